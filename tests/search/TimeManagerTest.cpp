#include <sstream>

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

// The limits from the clock, the moves to go, the increment, pondering, a
// guess after a ponder hit and a fixed time per move.
TEST_F(TimeManager, LimitsFromTheClock) {
    const std::tuple<int32_t, uint32_t, int32_t, uint8_t, uint32_t, uint32_t, const char *> cases[] = {
        // clock, moves to go (of 40), increment, pondering, guess, fixed time
        {30000, 40, 0, 0, 0, 0, "446 2230 4460"},     // forty moves in five minutes
        {30000, 10, 0, 0, 0, 0, "1475 7375 14750"},   // ten to go, spread over ten
        {30000, 3, 0, 0, 0, 0, "4916 19668 19668"},   // the cap 30000 - 4916 * 2 - 500 binds
        {30000, 1, 0, 0, 0, 0, "29500 29500 29500"},  // the last move uses all but the reserve
        {300, 1, 0, 0, 0, 0, "1 1 1"},                // below the reserve: still positive
        {30000, 0, 0, 1, 0, 0, "590 2950 5900"},      // pondering spreads over fewer moves
        {30000, 0, 1200, 1, 0, 0, "1190 5950 11900"}, // half the increment counts
        {0, 0, 0, 0, 0, 0, "1 1 1"},                  // tiny clocks never give 0
        {500, 0, 0, 0, 0, 0, "1 1 1"},
        {-3000, 0, 0, 0, 0, 0, "1 1 1"},
        {30000, 40, 0, 0, 1, 0, "100 100 100"}, // a guess and a fixed time print nothing
        {100, 40, 0, 0, 0, 1, "100 100 100"},
    };
    for (auto [clock, toGo, increment, ponder, guess, fixed, limits] : cases) {
        EngineClock = clock;
        MovesPerControl = toGo ? 40 : 0;
        MovesToGo = toGo;
        Increment = increment;
        PonderEnabled = ponder;
        PonderGuess = guess;
        FixedTimeMode = fixed;
        std::istringstream words(limits);
        std::string printed, limit;
        for (int i = 1; !guess && !fixed && words >> limit; i++)
            printed += "time" + std::to_string(i) + " = " + limit + "\n";
        EXPECT_EQ(Allocate(), printed + limits) << clock << " " << toGo;
    }
}

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
