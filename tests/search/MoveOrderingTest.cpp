// Ordering on the normal path is pinned by the fixed-depth results of the
// threads test; here the corners those searches do not reach.
#include "search/SearchTestSupport.h"

namespace {

constexpr Move Quiet1 = MakeMoveWord(G1, F3), Quiet2 = MakeMoveWord(B1, C3), Capture = MakeMoveWord(D4, E5, BlackPawn);

struct MoveOrdering : testing::Test {
    void SetUp() override { SetUpSearch("4k3/8/8/8/3Q4/8/4P3/1N2K1N1 w - -"); }
};

} // namespace

TEST_F(MoveOrdering, KillersHashMovesAndTheLine) {
    MoveEntry list[3] = {{Quiet1, 10}, {Capture, 1000000100}, {Quiet2, 5}};
    KillerMoves[3][0] = Capture; // a capture keeps its own, higher score
    KillerMoves[3][1] = Quiet1;  // a killer that is also the hash move scores as the hash move
    ScoreMoves(list, list + 3, 3, Quiet1, 0);
    EXPECT_EQ(std::tuple(list[0].score, list[1].score, list[2].score), std::tuple(HashMove1Score, 1000000100, 5));
    FollowPV = 1;
    PVTable[0][3] = Quiet2;
    ScoreMoves(list, list, 3, 0, 0);
    EXPECT_EQ(FollowPV, 0u) << "an empty list ends the line";
}

TEST_F(MoveOrdering, CountsAreHalvedAndHistoryAgedAtTheLimit) {
    const Move searched[3] = {Quiet2, Capture, Quiet1};
    CutoffUpdate(searched, 3, Quiet1, 5, 13);
    EXPECT_EQ(std::pair(TriedCount[WhiteKnight][F3], TriedCount[WhiteKnight][C3]), std::pair(2, 2));
    EXPECT_EQ(TriedCount[WhiteQueen][E5], 1) << "captures are not counted";
    EXPECT_EQ(std::pair(CutoffCount[WhiteKnight][F3], CutoffCount[WhiteKnight][C3]), std::pair(2, 1));
    BestMoveUpdate(Quiet2, 5, 8);
    EXPECT_EQ(TriedCount[WhiteKnight][C3], 2) << "the best-move update leaves the counts";
    TriedCount[WhiteKnight][F3] = 499999;
    CutoffCount[WhiteKnight][F3] = 300001;
    CutoffUpdate(searched + 2, 1, Quiet1, 1, 4);
    EXPECT_EQ(std::pair(TriedCount[WhiteKnight][F3], CutoffCount[WhiteKnight][F3]), std::pair(250000, 150001 + 1));
    HistoryScore[WhiteKnight][F3] = 499990;
    HistoryScore[BlackPawn][E5] = -7;
    BestMoveUpdate(Quiet1, 1, 8); // + 16
    EXPECT_EQ(std::pair(HistoryScore[WhiteKnight][F3], HistoryScore[BlackPawn][E5]), std::pair(250003, -4));
}

TEST_F(MoveOrdering, ReductionRatioDoesNotOverflow) {
    const std::tuple<int32_t, int32_t, bool> cases[] = {{250000, 260000, false}, {100, 200, true}, {140, 200, false}};
    for (auto [cutoffs, tried, low] : cases) {
        CutoffCount[WhiteKnight][F3] = cutoffs;
        TriedCount[WhiteKnight][F3] = tried;
        EXPECT_EQ(LowCutoffRate(WhiteKnight, F3), low) << cutoffs << "/" << tried;
    }
}
