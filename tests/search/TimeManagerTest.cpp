#include <gtest/gtest.h>

#include <string>

#include "search/TimeManager.h"
#include "shell/ShellState.h"

namespace {

class TimeManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EngineClock = 30000;
        MovesPerControl = 40;
        MovesToGo = 40;
        Increment = 0;
        PonderEnabled = 0;
        FixedTimeMode = 0;
        PonderGuess = 0;
        PonderSearch = 0;
        AnalyzeMode = 0;
    }
    void TearDown() override { SetUp(); }
    static std::string Allocate() {
        testing::internal::CaptureStdout();
        AllocateTime();
        return testing::internal::GetCapturedStdout();
    }
};

// The three limits from the clock, the moves to go, the increment and pondering.
TEST_F(TimeManagerTest, LimitsFromTheClock) {
    const struct {
        int32_t clock;
        uint32_t perControl, toGo;
        int32_t increment;
        uint8_t ponder;
        int32_t limits[3];
        const char *why;
    } cases[] = {
        {30000, 40, 40, 0, 0, {446, 2230, 4460}, "forty moves in five minutes"},
        {30000, 40, 10, 0, 0, {1475, 7375, 14750}, "ten moves to go spread over ten"},
        // limit1 = 29500 / 6 = 4916; cap = 30000 - 4916 * 2 - 500 = 19668
        {30000, 40, 3, 0, 0, {4916, 19668, 19668}, "the cap binds near the control"},
        {30000, 40, 1, 0, 0, {29500, 29500, 29500}, "the last move uses all but the reserve"},
        {300, 40, 1, 0, 0, {1, 1, 1}, "below the reserve: still a positive limit"},
        {30000, 0, 0, 0, 1, {29500 / 50, -1, -1}, "pondering spreads over fewer moves"},
        {30000, 0, 0, 1200, 1, {29500 / 50 + 600, -1, -1}, "half the increment counts"},
    };
    for (const auto &c : cases) {
        EngineClock = c.clock;
        MovesPerControl = c.perControl;
        MovesToGo = c.toGo;
        Increment = c.increment;
        PonderEnabled = c.ponder;
        const std::string out = Allocate();
        const int32_t got[3] = {TimeLimit1, TimeLimit2, TimeLimit3};
        for (int i = 0; i < 3; i++)
            if (c.limits[i] >= 0) {
                EXPECT_EQ(got[i], c.limits[i]) << c.why << ", limit " << i + 1;
            }
        EXPECT_EQ(out, "time1 = " + std::to_string(got[0]) + "\ntime2 = " + std::to_string(got[1]) +
                           "\ntime3 = " + std::to_string(got[2]) + "\n");
    }
}

TEST_F(TimeManagerTest, TinyClockNeverGivesZero) {
    MovesPerControl = 0;
    MovesToGo = 0;
    for (int32_t clock : {0, 1, 400, 500, 501, -3000}) {
        EngineClock = clock;
        Allocate();
        EXPECT_GE(TimeLimit1, 1) << clock;
        EXPECT_GE(TimeLimit2, TimeLimit1) << clock;
        EXPECT_GE(TimeLimit3, TimeLimit1) << clock;
    }
}

TEST_F(TimeManagerTest, GuessAndFixedTimeSearchesPrintNothing) {
    PonderGuess = 1;
    EXPECT_EQ(Allocate(), "");
    EXPECT_EQ(TimeLimit1, 100);
    EXPECT_EQ(TimeLimit3, 100);
    PonderGuess = 0;
    FixedTimeMode = 1;
    EngineClock = 100;
    EXPECT_EQ(Allocate(), "");
    EXPECT_EQ(TimeLimit2, 100);
}

TEST_F(TimeManagerTest, RecomputeKeepsTheStartTime) {
    Allocate();
    const int64_t start = SearchStartTime;
    SearchStartTime -= 5000; // pretend the search has run for five seconds
    EngineClock = 60000;
    testing::internal::CaptureStdout();
    RecomputeTime();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "time1 = 901\ntime2 = 4505\ntime3 = 9010\n");
    EXPECT_EQ(SearchStartTime, start - 5000);
    EXPECT_GE(ElapsedTime(), 500);
}

TEST_F(TimeManagerTest, NoTimeOutInAnalysisOrBeforeAPonderHit) {
    MovesToGo = 1;
    EngineClock = 0;
    Allocate();
    SearchStartTime -= 100000;
    EXPECT_TRUE(SoftTimeUp());
    EXPECT_TRUE(HardTimeUp(0));
    EXPECT_TRUE(HardTimeUp(1));
    AnalyzeMode = 1;
    EXPECT_FALSE(SoftTimeUp());
    EXPECT_FALSE(HardTimeUp(1));
    AnalyzeMode = 0;
    PonderSearch = 1;
    EXPECT_FALSE(SoftTimeUp());
    EXPECT_FALSE(HardTimeUp(0));
}

TEST_F(TimeManagerTest, DroppedScoreUsesTheLongestLimit) {
    Allocate();                                        // 446 / 2230 / 4460
    SearchStartTime = MonotonicMilliseconds() - 30000; // 3000 centiseconds in
    EXPECT_TRUE(SoftTimeUp());
    EXPECT_TRUE(HardTimeUp(0));
    EXPECT_FALSE(HardTimeUp(1));
    EXPECT_FALSE(HardTimeUp());
    FixedTimeMode = 1; // fixed time: the argument is ignored
    EXPECT_TRUE(HardTimeUp(1));
}

TEST_F(TimeManagerTest, MovesToGoFollowsTheGame) {
    MovesPerControl = 2;
    MovesToGo = 2;
    CountMoveForClock();
    EXPECT_EQ(MovesToGo, 1u);
    CountMoveForClock();
    EXPECT_EQ(MovesToGo, 2u) << "a new control starts";
    UncountMoveForClock();
    EXPECT_EQ(MovesToGo, 1u) << "wraps past the control";
    UncountMoveForClock();
    EXPECT_EQ(MovesToGo, 2u);
    MovesPerControl = 0;
    MovesToGo = 0;
    CountMoveForClock();
    EXPECT_EQ(MovesToGo, 0u);
}

} // namespace
