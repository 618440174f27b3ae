#include "search/SearchTestSupport.h"

#include "eval/Evaluate.h"
#include "search/Search.h"
#include "tablebase/TablebaseAccess.h"

namespace {

TEST(SearchNode, MateAndStalemateAreScoredAndNotStored) {
    SetUpSearch("R5k1/5ppp/8/8/8/8/8/6K1 b - -"); // black is mated
    ASSERT_TRUE(InCheck<Black>());
    EXPECT_EQ(Search<Black>(3, 8, -100, 100, 0, 1), MateValue - 3);
    int32_t alpha = -100, beta = 100;
    Move m1 = 1, m2 = 1;
    EXPECT_EQ(ProbeHash<Black>(0, alpha, beta, 3, m1, m2), NoScore);
    EXPECT_EQ(m1, 0u);
    EXPECT_EQ(PVTable[3][3], 0u);

    SetUpSearch("7k/5Q2/6K1/8/8/8/8/8 b - -"); // stalemate
    EXPECT_EQ(Search<Black>(2, 8, -100, 100, 0, 0), 0);
    EXPECT_EQ(ProbeHash<Black>(0, alpha, beta, 2, m1, m2), NoScore);

    SetUpSearch("6rk/6pp/8/8/8/8/5PPP/r5K1 w - -"); // white is mated
    EXPECT_EQ(Search<White>(1, 4, -100, 100, 0, 1), 1 - MateValue);
}

TEST(SearchNode, StopReturnsAlphaAtOnce) {
    SetUpSearch(StartPosition);
    StopSearch = 1;
    EXPECT_EQ(Search<White>(1, 40, -5, 5, 0, 0), -5);
    EXPECT_EQ(Search<Black>(1, 40, -5, 5, 0, 0), -5);
    EXPECT_EQ(NodeCount, 2u);
    StopSearch = 0;
}

TEST(SearchNode, DeepPliesEndInTheEvaluation) {
    SetUpSearch("r3k2r/pppq1ppp/2n2n2/3pp3/3PP3/2N2N2/PPPQ1PPP/R3K2R w KQkq -");
    PositionHistory[MainSearchPlyCap - 1].irreversible = 1; // no fifty-move draw from the empty record
    EXPECT_EQ(Search<White>(MainSearchPlyCap, 40, -500, 500, 0, 0), Evaluate(White, -500, 500));
    EXPECT_EQ(NodeCount, 1u);
    EXPECT_EQ(Quiesce<White>(64, 0, -500, 500), Evaluate(White, -500, 500));
    EXPECT_EQ(QuiesceNodeCount, 0u);
    SetUpSearch("4k3/8/8/8/8/8/8/r3K3 w - -");
    EXPECT_EQ(Evade<White>(EvasionPlyCap, -5, -500, 500, 0), Evaluate(White, -500, 500));
}

TEST(SearchNode, EnPassantAnswersACheckByDoubleStep) {
    // g2-g4 checked the king on h5; only h4xg3 e.p. saves it.
    SetUpSearch("8/5N2/8/5P1k/6Pp/4BP2/8/4K3 b - g3");
    ASSERT_TRUE(InCheck<Black>());
    const int32_t s = Evade<Black>(1, -1, -32767, 32767, G3);
    EXPECT_LT(s, MateBound) << "not mate";
    EXPECT_EQ(PVTable[1][1], MakeMoveWord(H4, G3, WhitePawn, EnPassantFlag));

    // The same through the quiescence search of white's checking double step.
    SetUpSearch("8/5N2/8/5P1k/7p/4BP2/6P1/4K3 w - -");
    EXPECT_LT(Quiesce<White>(1, 0, -32767, 32767), MateBound);
}

TEST(SearchNode, RepetitionAndFiftyMoveDraws) {
    SetUpSearch(StartPosition);
    GamePly = 10;
    for (int i = 1; i <= 10; ++i)
        PositionHistory[i] = {uint32_t(i), 0, 0};
    PositionHistory[7] = {KeyLow(HashKey), KeyHigh(HashKey), 0}; // same side to move, 4 plies back
    EXPECT_TRUE(IsDrawByRule(1));
    PositionHistory[9].irreversible = 1; // a capture in between
    EXPECT_FALSE(IsDrawByRule(1));

    GamePly = 200;
    for (int i = 1; i <= 205; ++i)
        PositionHistory[i] = {uint32_t(i) * 3, 7, 0};
    EXPECT_TRUE(IsDrawByRule(1)) << "102 reversible entries: the fifty-move rule";
    PositionHistory[201 - 101].irreversible = 1;
    EXPECT_FALSE(IsDrawByRule(1));
    PositionHistory[201 - 101].irreversible = 0;
    PositionHistory[201 - 100].irreversible = 1;
    EXPECT_FALSE(IsDrawByRule(1));
    GamePly = 0;
    EXPECT_FALSE(IsDrawByRule(0)) << "the set-up position starts the record";
}

TEST(SearchNode, ReversingTheLastMovesIsADrawWithoutSearch) {
    // Black Ng8-f6, white Nb1-c3, black Nf6-g8: Nc3-b1 repeats the position.
    SetUpSearch("rnbqkbnr/pppppppp/8/8/8/2N5/PPPPPPPP/R1BQKBNR w KQkq -");
    MoveAtPly(0) = MakeMoveWord(G8, F6);
    MoveAtPly(1) = MakeMoveWord(B1, C3);
    MoveAtPly(2) = MakeMoveWord(F6, G8);
    EXPECT_EQ(Search<White>(3, 6, -50, 0, 0, 0), 0);
    EXPECT_EQ(NodeCount, 1u) << "nothing was searched";
    EXPECT_EQ(PVTable[3][3], MakeMoveWord(C3, B1));
}

TEST(SearchNode, TablebaseLimitComparesSigned) {
    SetUpSearch("4k3/8/8/8/8/8/8/4K3 w - -");
    TbSearchLimit = -2;
    EXPECT_FALSE(TablebaseProbeAllowed(0, 1));
    TbSearchLimit = 0;
    EXPECT_TRUE(TablebaseProbeAllowed(0, 1));
    EXPECT_FALSE(TablebaseProbeAllowed(MakeMoveWord(E2, E4), 3));
    EXPECT_TRUE(TablebaseProbeAllowed(MakeMoveWord(E2, E4, BlackRook), 3));
    TbSearchLimit = -2;
}

TEST(RootSearch, OnlyMoveIsPlayedWithoutSearch) {
    SetUpSearch("k7/8/8/8/8/8/1r6/r5K1 w - -");
    ASSERT_TRUE(InCheck<White>());
    BestScore = 55;
    IterationDepth = 9;
    EXPECT_EQ(ThinkQuietly(), 0u) << "mated: no move";
    SetUpSearch("k7/8/8/8/8/4n3/8/r6K w - -");
    const Move m = ThinkQuietly();
    EXPECT_EQ(m, MakeMoveWord(H1, H2)) << "the only legal move";
    EXPECT_EQ(BestScore, 0);
    EXPECT_EQ(IterationDepth, 0u);
    EXPECT_EQ(NodeCount, 0u);
}

TEST(RootSearch, MatesAreReportedWithTheExactScore) {
    SetUpSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
    EXPECT_EQ(ThinkQuietly(), MakeMoveWord(A1, A8));
    EXPECT_EQ(BestScore, MateValue - 1);

    SetUpSearch("r5k1/8/8/8/8/8/5PPP/6K1 b - -");
    EXPECT_EQ(ThinkQuietly(), MakeMoveWord(A8, A1));
    EXPECT_EQ(BestScore, MateValue - 1) << "the engine's point of view";

    // Mate in two with a quiet first move.
    SetUpSearch("kbK5/pp6/1P6/8/8/8/8/R7 w - -");
    EXPECT_EQ(ThinkQuietly(), MakeMoveWord(A1, A6));
    EXPECT_EQ(BestScore, MateValue - 3);
}

TEST(RootSearch, WindowsStayInsideTheScoreRange) {
    for (int32_t previous : {MateValue, -MateValue, 32000, -32000}) {
        SetUpSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
        PreviousScore = previous;
        EXPECT_EQ(ThinkQuietly(), MakeMoveWord(A1, A8)) << previous;
        EXPECT_EQ(BestScore, MateValue - 1);
        SetUpSearch("r5k1/8/8/8/8/8/5PPP/6K1 w - -"); // white must make room for the king
        PreviousScore = previous;
        FixedTimeMode = 1;
        EngineClock = 30;
        const Move m = ThinkQuietly();
        EXPECT_NE(m, 0u);
        EXPECT_GT(BestScore, -MateBound) << previous;
    }
}

TEST(RootSearch, ClearSearchMemoryForgetsTheLine) {
    SetUpSearch(StartPosition);
    PVTable[0][0] = MakeMoveWord(E2, E4);
    PreviousScore = 77;
    HistoryScore[WhiteKnight][F3] = 40;
    ClearSearchMemory();
    EXPECT_EQ(PVTable[0][0], 0u);
    EXPECT_EQ(PreviousScore, 0);
    EXPECT_EQ(HistoryScore[WhiteKnight][F3], 0);
    EXPECT_EQ(CutoffCount[WhiteKnight][F3], 1);
}

} // namespace

namespace {

TEST(PollCheck, PacesItselfByTheNodeRateAndStopsOnTime) {
    SetUpSearch(StartPosition);
    EngineClock = 1000000;
    testing::internal::CaptureStdout();
    AllocateTime();
    testing::internal::GetCapturedStdout();
    SearchStartTime = MonotonicMilliseconds() - 200; // 200 ms into the search

    const uint64_t base = uint64_t(5) << 32; // far beyond 32 bits
    NodeCount = base + 1000000;
    LastPollNodes = base;
    LastPollTime = 100;
    NextPollCheck = NodeCount;
    PollCheck();
    EXPECT_EQ(StopSearch, 0u);
    EXPECT_GE(NodesPerSecond, 1000000u * 1000 / 150); // a million nodes in about 100 ms
    EXPECT_LE(NodesPerSecond, 1000000u * 1000 / 90);
    EXPECT_EQ(NextPollCheck, NodeCount + PollInterval(NodesPerSecond));
    EXPECT_GT(NextPollCheck, base);

    ++NodeCount; // below the next check point: nothing happens
    const uint64_t rate = NodesPerSecond;
    PollCheck();
    EXPECT_EQ(NodesPerSecond, rate);

    TimeLimit1 = TimeLimit2 = TimeLimit3 = 1; // the clock has run out
    NodeCount = NextPollCheck;
    PollCheck();
    EXPECT_EQ(StopSearch, 1u);
    StopSearch = 0;
    NodesPerSecond = 65535;
}

// Ten looks a second, a hundred with a set time per move; a rate measured
// over too short a time cannot push the next look far away.
TEST(PollCheck, IntervalFollowsTheRateWithinBounds) {
    struct Case {
        int64_t moveTime;
        uint64_t rate, interval;
    } cases[] = {
        {0, 500000, 50000}, {0, 100000000, 100000}, {1000, 500000, 5000}, {1000, 100000000, 10000}, {0, 5, 0},
    };
    for (const Case &c : cases) {
        FixedMoveTime = c.moveTime;
        EXPECT_EQ(PollInterval(c.rate), c.interval) << c.moveTime << " " << c.rate;
    }
    FixedMoveTime = 0;
}

// A node limit stops the search at the first look past it, and the looks
// come closer as the limit nears.
TEST(PollCheck, NodeLimitStopsTheSearch) {
    SetUpSearch(StartPosition);
    NodeLimit = 10000;
    TimeLimit1 = TimeLimit2 = TimeLimit3 = 1000000; // the clock has no say here
    NodesPerSecond = 1000000;
    LastPollNodes = 0;
    LastPollTime = 0;
    SearchStartTime = MonotonicMilliseconds() - 100;
    NodeCount = 6000;
    QuiesceNodeCount = 0;
    NextPollCheck = NodeCount;
    PollCheck();
    EXPECT_EQ(StopSearch, 0u);
    EXPECT_LE(NextPollCheck, 8000u);
    NodeCount = 9000;
    QuiesceNodeCount = 1000;
    NextPollCheck = NodeCount;
    PollCheck();
    EXPECT_EQ(StopSearch, 1u);
    StopSearch = 0;
    NodeLimit = 0;
    NodeCount = QuiesceNodeCount = 0;
    NodesPerSecond = 65535;
}

} // namespace
