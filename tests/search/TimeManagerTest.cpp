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
    // The three limits that move overhead gives.
    static std::string WithOverhead(int32_t overhead) {
        MoveOverhead = overhead;
        Output(AllocateTime);
        MoveOverhead = 0;
        return std::to_string(TimeLimit1) + " " + std::to_string(TimeLimit2) + " " + std::to_string(TimeLimit3);
    }
};

} // namespace

TEST_F(TimeManager, TimeUp) {
    Output(AllocateTime);                              // 446 / 2230 / 4460
    SearchStartTime = MonotonicMilliseconds() - 30000; // 3000 centiseconds in
    EXPECT_TRUE(SoftTimeUp() && HardTimeUp(0));
    EXPECT_FALSE(HardTimeUp(1) || HardTimeUp()) << "a dropped score uses the longest limit";
    FixedTimeMode = 1; // fixed time: the argument is ignored
    EXPECT_TRUE(HardTimeUp(1));
    FixedTimeMode = 0;
    MovesToGo = 1;
    EngineClock = 0;
    Output(AllocateTime);
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

// The move overhead comes off every limit of a clocked or set-time search,
// never below one centisecond, and never off the guess or test runs.
TEST_F(TimeManager, MoveOverheadComesOffEveryClockedAndSetTimeLimit) {
    // A set time of 1.5 s ends 30 ms early: 147 cs.
    FixedMoveTime = 1500;
    EXPECT_EQ(WithOverhead(0), "147 147 147");
    EXPECT_EQ(WithOverhead(5), "146 146 146") << "part of a centisecond takes a whole one";
    EXPECT_EQ(WithOverhead(5000), "1 1 1") << "never below a centisecond";
    FixedMoveTime = 0;
    // The last move before the control: all but the five-second reserve.
    MovesToGo = 1;
    EXPECT_EQ(WithOverhead(10), "29499 29499 29499");
    // The guess before pondering and test runs keep their own times.
    PonderGuess = 1;
    EXPECT_EQ(WithOverhead(500), "100 100 100");
    PonderGuess = 0;
    FixedTimeMode = 1;
    EXPECT_EQ(WithOverhead(500), "30000 30000 30000");
}
