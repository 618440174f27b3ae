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

TEST_F(TimeManagerTest, FortyMovesInFiveMinutes) {
    EXPECT_EQ(Allocate(), "time1 = 446\ntime2 = 2230\ntime3 = 4460\n");
    EXPECT_EQ(TimeLimit1, 446);
}

TEST_F(TimeManagerTest, TenMovesToGoSpreadsOverTen) {
    MovesToGo = 10;
    Allocate();
    EXPECT_EQ(TimeLimit1, 1475);
    EXPECT_EQ(TimeLimit2, 7375);
    EXPECT_EQ(TimeLimit3, 14750);
}

TEST_F(TimeManagerTest, TheCapBindsNearTheControl) {
    MovesToGo = 3;
    Allocate();
    // N = 3: limit1 = 29500 / 6 = 4916; cap = 30000 - 4916 * 2 - 500 = 19668
    EXPECT_EQ(TimeLimit1, 4916);
    EXPECT_EQ(TimeLimit2, 19668);
    EXPECT_EQ(TimeLimit3, 19668);
}

TEST_F(TimeManagerTest, LastMoveBeforeTheControlUsesAllButTheReserve) {
    MovesToGo = 1;
    EXPECT_EQ(Allocate(), "time1 = 29500\ntime2 = 29500\ntime3 = 29500\n");
    EngineClock = 300; // below the reserve: still a positive limit
    Allocate();
    EXPECT_EQ(TimeLimit1, 1);
    EXPECT_EQ(TimeLimit2, 1);
    EXPECT_EQ(TimeLimit3, 1);
}

TEST_F(TimeManagerTest, PonderingSpreadsOverFewerMovesAndIncrementCounts) {
    MovesPerControl = 0;
    MovesToGo = 0;
    PonderEnabled = 1;
    Allocate();
    EXPECT_EQ(TimeLimit1, 29500 / 50);
    Increment = 1200;
    Allocate();
    EXPECT_EQ(TimeLimit1, 29500 / 50 + 600);
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
