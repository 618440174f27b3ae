
#include "search/SearchTestSupport.h"

namespace {

struct TimeManager : testing::Test {
    void SetUp() override {
        EngineClock = 30000;
        MovesPerControl = MovesToGo = 40;
        Increment = 0;
        PonderEnabled = FixedTimeMode = PonderGuess = PonderSearch = AnalyzeMode = 0;
    }
    void TearDown() override { SetUp(); }
    // What AllocateTime printed, then the three limits.
    static std::string Allocate() {
        testing::internal::CaptureStdout();
        AllocateTime();
        return testing::internal::GetCapturedStdout() + std::to_string(TimeLimit1) + " " + std::to_string(TimeLimit2) +
               " " + std::to_string(TimeLimit3);
    }
};

} // namespace

TEST_F(TimeManager, RecomputeKeepsTheStartTime) {
    Allocate();
    const int64_t start = SearchStartTime -= 5000; // five seconds into the search
    EngineClock = 60000;
    testing::internal::CaptureStdout();
    RecomputeTime();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "time1 = 901\ntime2 = 4505\ntime3 = 9010\n");
    EXPECT_EQ(SearchStartTime, start);
    EXPECT_GE(ElapsedTime(), 500);
}

TEST_F(TimeManager, TimeUp) {
    Allocate();                                        // 446 / 2230 / 4460
    SearchStartTime = MonotonicMilliseconds() - 30000; // 3000 centiseconds in
    EXPECT_TRUE(SoftTimeUp() && HardTimeUp(0));
    EXPECT_FALSE(HardTimeUp(1) || HardTimeUp()) << "a dropped score uses the longest limit";
    FixedTimeMode = 1; // fixed time: the argument is ignored
    EXPECT_TRUE(HardTimeUp(1));
    FixedTimeMode = 0;
    MovesToGo = 1;
    EngineClock = 0;
    Allocate();
    SearchStartTime -= 100000;
    EXPECT_TRUE(SoftTimeUp() && HardTimeUp(0) && HardTimeUp(1));
    AnalyzeMode = 1; // no time out in analysis or before a ponder hit
    EXPECT_FALSE(SoftTimeUp() || HardTimeUp(1));
    AnalyzeMode = 0;
    PonderSearch = 1;
    EXPECT_FALSE(SoftTimeUp() || HardTimeUp(0));
}

TEST_F(TimeManager, MovesToGoFollowsTheGame) {
    MovesPerControl = MovesToGo = 2;
    const uint32_t expected[4] = {1, 2, 1, 2}; // a new control starts; taking back wraps past it
    for (int i = 0; i < 4; i++) {
        i < 2 ? CountMoveForClock() : UncountMoveForClock();
        EXPECT_EQ(MovesToGo, expected[i]) << i;
    }
    MovesPerControl = MovesToGo = 0;
    CountMoveForClock();
    EXPECT_EQ(MovesToGo, 0u);
}
