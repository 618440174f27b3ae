#include "search/SearchTestSupport.h"

#include "eval/Evaluate.h"
#include "tablebase/TablebaseAccess.h"

namespace {

// What the table answers for Us at `ply` (NoScore when nothing) and its first move.
template <Color Us> std::pair<int32_t, Move> Probe(int32_t ply) {
    int32_t alpha = -100, beta = 100;
    Move m1 = 1, m2 = 1;
    const int32_t score = ProbeHash<Us>(0, alpha, beta, ply, m1, m2);
    return {score, m1};
}

} // namespace

TEST(SearchNode, MatesStopsPlyCapsAndEnPassantEvasion) {
    SetUpSearch("R5k1/5ppp/8/8/8/8/8/6K1 b - -");
    EXPECT_EQ(Search<Black>(3, 8, -100, 100, 0, 1), MateValue - 3);
    EXPECT_EQ(Probe<Black>(3), std::pair(NoScore, Move(0)));
    EXPECT_EQ(PVTable[3][3], 0u);
    SetUpSearch("7k/5Q2/6K1/8/8/8/8/8 b - -");
    EXPECT_EQ(Search<Black>(2, 8, -100, 100, 0, 0), 0);
    EXPECT_EQ(Probe<Black>(2), std::pair(NoScore, Move(0)));
    SetUpSearch("6rk/6pp/8/8/8/8/5PPP/r5K1 w - -");
    EXPECT_EQ(Search<White>(1, 4, -100, 100, 0, 1), 1 - MateValue);
    SetUpSearch(StartPosition);
    StopSearch = 1;
    EXPECT_EQ(Search<White>(1, 40, -5, 5, 0, 0), -5) << "a stopped search returns alpha at once";
    EXPECT_EQ(NodeCount, 1u);
    SetUpSearch("r3k2r/pppq1ppp/2n2n2/3pp3/3PP3/2N2N2/PPPQ1PPP/R3K2R w KQkq -");
    PositionHistory[MainSearchPlyCap - 1].irreversible = 1; // no fifty-move draw from the empty record
    EXPECT_EQ(Search<White>(MainSearchPlyCap, 40, -500, 500, 0, 0), Evaluate(White, -500, 500));
    EXPECT_EQ(NodeCount, 1u);
    EXPECT_EQ(Quiesce<White>(64, 0, -500, 500), Evaluate(White, -500, 500));
    EXPECT_EQ(QuiesceNodeCount, 0u);
    SetUpSearch("4k3/8/8/8/8/8/8/r3K3 w - -");
    EXPECT_EQ(Evade<White>(EvasionPlyCap, -5, -500, 500, 0), Evaluate(White, -500, 500));
    SetUpSearch("8/5N2/8/5P1k/6Pp/4BP2/8/4K3 b - g3"); // only h4xg3 saves the king
    EXPECT_LT(Evade<Black>(1, -1, -32767, 32767, G3), MateBound);
    EXPECT_EQ(PVTable[1][1], MakeMoveWord(H4, G3, WhitePawn, EnPassantFlag));
    SetUpSearch("8/5N2/8/5P1k/7p/4BP2/6P1/4K3 w - -"); // the same after g2-g4 in the quiescence search
    EXPECT_LT(Quiesce<White>(1, 0, -32767, 32767), MateBound);
}

TEST(SearchNode, DrawsAndTheTablebaseLimit) {
    SetUpSearch(StartPosition);
    GamePly = 10;
    for (int i = 1; i <= 10; ++i)
        PositionHistory[i] = {uint32_t(i), 0, 0};
    PositionHistory[7] = {KeyLow(HashKey), KeyHigh(HashKey), 0}; // four plies back
    EXPECT_TRUE(IsDrawByRule(1));
    PositionHistory[9].irreversible = 1; // a capture in between
    EXPECT_FALSE(IsDrawByRule(1));
    GamePly = 200;
    for (int i = 1; i <= 205; ++i)
        PositionHistory[i] = {uint32_t(i) * 3, 7, 0};
    EXPECT_TRUE(IsDrawByRule(1)) << "102 reversible entries";
    for (int irreversible : {100, 101}) {
        PositionHistory[irreversible].irreversible = 1;
        EXPECT_FALSE(IsDrawByRule(1)) << irreversible;
        PositionHistory[irreversible].irreversible = 0;
    }
    GamePly = 0;
    EXPECT_FALSE(IsDrawByRule(0)) << "the set-up position starts the record";
    // Ng8-f6, Nb1-c3, Nf6-g8: Nc3-b1 repeats, a draw without search.
    SetUpSearch("rnbqkbnr/pppppppp/8/8/8/2N5/PPPPPPPP/R1BQKBNR w KQkq -");
    MoveAtPly(0) = MakeMoveWord(G8, F6);
    MoveAtPly(1) = MakeMoveWord(B1, C3);
    MoveAtPly(2) = MakeMoveWord(F6, G8);
    EXPECT_EQ(Search<White>(3, 6, -50, 0, 0, 0), 0);
    EXPECT_EQ(NodeCount, 1u);
    EXPECT_EQ(PVTable[3][3], MakeMoveWord(C3, B1));
    SetUpSearch("4k3/8/8/8/8/8/8/4K3 w - -");
    TbSearchLimit = -2; // the tablebase limit compares signed
    EXPECT_FALSE(TablebaseProbeAllowed(0, 1));
    TbSearchLimit = 0;
    EXPECT_TRUE(TablebaseProbeAllowed(0, 1));
    EXPECT_FALSE(TablebaseProbeAllowed(MakeMoveWord(E2, E4), 3));
    EXPECT_TRUE(TablebaseProbeAllowed(MakeMoveWord(E2, E4, BlackRook), 3));
    TbSearchLimit = -2;
}

TEST(RootSearch, OnlyMovesMatesAndWindows) {
    SetUpSearch("k7/8/8/8/8/8/1r6/r5K1 w - -");
    EXPECT_EQ(ThinkQuietly(), 0u) << "mated: no move";
    SetUpSearch("k7/8/8/8/8/4n3/8/r6K w - -");
    BestScore = 55;
    IterationDepth = 9;
    EXPECT_EQ(ThinkQuietly(), MakeMoveWord(H1, H2)) << "the only legal move, without search";
    EXPECT_EQ(std::tuple(BestScore, IterationDepth, NodeCount), std::tuple(0, 0u, uint64_t(0)));
    SetUpSearch("kbK5/pp6/1P6/8/8/8/8/R7 w - -");
    EXPECT_EQ((std::pair{ThinkQuietly(), BestScore}), std::pair(MakeMoveWord(A1, A6), MateValue - 3)) << "mate in two";
    // Aspiration windows stay inside the score range whatever the previous score.
    for (int32_t previous : {MateValue, -MateValue, 32000, -32000}) {
        SetUpSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
        PreviousScore = previous;
        EXPECT_EQ(ThinkQuietly(), MakeMoveWord(A1, A8)) << previous;
        EXPECT_EQ(BestScore, MateValue - 1);
        SetUpSearch("r5k1/8/8/8/8/8/5PPP/6K1 w - -"); // white must make room for the king
        PreviousScore = previous;
        FixedTimeMode = 1;
        EngineClock = 30;
        EXPECT_NE(ThinkQuietly(), 0u);
        EXPECT_GT(BestScore, -MateBound) << previous;
    }
}

// Ten looks a second, a hundred with a set time per move; a rate measured over
// too short a time cannot push the next look far away.
TEST(PollCheck, IntervalFollowsTheRateWithinBounds) {
    const std::tuple<int64_t, uint64_t, uint64_t> cases[] = {
        {0, 500000, 50000}, {0, 100000000, 100000}, {1000, 500000, 5000}, {1000, 100000000, 10000}, {0, 5, 0}};
    FixedTimeMode = 0; // not a test run, which looks ten times a second
    for (auto [moveTime, rate, interval] : cases) {
        FixedMoveTime = moveTime;
        EXPECT_EQ(PollInterval(rate), interval) << moveTime << " " << rate;
    }
    FixedMoveTime = 0;
}
