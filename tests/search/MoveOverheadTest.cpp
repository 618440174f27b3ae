// The move overhead comes off every limit of a clocked or set-time search,
// never below one centisecond, and never off the guess or test runs.
#include "search/SearchTestSupport.h"

namespace {

struct Limits {
    int32_t soft, hard, dropped;
    bool operator==(const Limits &) const = default;
};

Limits AllocateWith(int32_t overhead) {
    MoveOverhead = overhead;
    testing::internal::CaptureStdout();
    AllocateTime();
    testing::internal::GetCapturedStdout();
    MoveOverhead = 0;
    return {TimeLimit1, TimeLimit2, TimeLimit3};
}

} // namespace

TEST(MoveOverhead, ComesOffEveryClockedAndSetTimeLimit) {
    PonderEnabled = FixedTimeMode = PonderGuess = PonderSearch = AnalyzeMode = 0;
    // A set time of 1.5 s ends 30 ms early: 147 cs; 800 ms less is 67 cs.
    FixedMoveTime = 1500;
    EXPECT_EQ(AllocateWith(0), (Limits{147, 147, 147}));
    EXPECT_EQ(AllocateWith(800), (Limits{67, 67, 67}));
    EXPECT_EQ(AllocateWith(5), (Limits{146, 146, 146})) << "part of a centisecond takes a whole one";
    EXPECT_EQ(AllocateWith(5000), (Limits{1, 1, 1})) << "never below a centisecond";
    FixedMoveTime = 0;
    // The last move before the control: all but the five-second reserve.
    EngineClock = 30000;
    MovesPerControl = 40;
    MovesToGo = 1;
    EXPECT_EQ(AllocateWith(0), (Limits{29500, 29500, 29500}));
    EXPECT_EQ(AllocateWith(10), (Limits{29499, 29499, 29499}));
    // The guess before pondering and test runs keep their own times.
    PonderGuess = 1;
    EXPECT_EQ(AllocateWith(500), (Limits{100, 100, 100}));
    PonderGuess = 0;
    FixedTimeMode = 1;
    EXPECT_EQ(AllocateWith(500), (Limits{30000, 30000, 30000}));
    FixedTimeMode = 0;
    MovesPerControl = MovesToGo = 0;
    EngineClock = 1000000;
}
