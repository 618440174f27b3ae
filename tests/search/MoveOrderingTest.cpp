#include <gtest/gtest.h>

#include "board/Board.h"
#include "search/MoveOrdering.h"
#include "search/SearchState.h"

namespace {

constexpr Move Quiet1 = MakeMoveWord(G1, F3);
constexpr Move Quiet2 = MakeMoveWord(B1, C3);
constexpr Move Quiet3 = MakeMoveWord(E2, E4, EmptySquare, DoubleStepFlag);
constexpr Move Capture = MakeMoveWord(D4, E5, BlackPawn);

class MoveOrderingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearHistory();
        for (auto &k : KillerMoves)
            k[0] = k[1] = 0;
        FollowPV = 0;
        PVTable[0][3] = 0;
    }
};

TEST_F(MoveOrderingTest, HashKillerAndLineScoresInTheirOrder) {
    MoveEntry list[5] = {{Quiet1, 10}, {Quiet2, 20}, {Quiet3, 30}, {Capture, 1000000100}, {MakeMoveWord(A2, A3), 5}};
    KillerMoves[3][0] = Capture; // a capture keeps its own, higher score
    KillerMoves[3][1] = Quiet3;
    PVTable[0][3] = MakeMoveWord(A2, A3);
    FollowPV = 1;
    ScoreMoves(list, list + 5, 3, Quiet2, Quiet1);
    EXPECT_EQ(list[0].score, HashMove2Score);
    EXPECT_EQ(list[1].score, HashMove1Score);
    EXPECT_EQ(list[2].score, Killer1Score);
    EXPECT_EQ(list[3].score, 1000000100);
    EXPECT_EQ(list[4].score, PVMoveScore);
    EXPECT_EQ(FollowPV, 1u);
}

TEST_F(MoveOrderingTest, KillerThatIsAlsoHashMoveScoresAsHashMove) {
    MoveEntry list[1] = {{Quiet1, 0}};
    KillerMoves[2][0] = Quiet1;
    ScoreMoves(list, list + 1, 2, Quiet1, 0);
    EXPECT_EQ(list[0].score, HashMove1Score);
}

TEST_F(MoveOrderingTest, LineFollowingStopsWhereTheLineLeavesTheTree) {
    MoveEntry list[2] = {{Quiet1, 0}, {Quiet2, 0}};
    PVTable[0][3] = Quiet3;
    FollowPV = 1;
    ScoreMoves(list, list + 2, 3, 0, 0);
    EXPECT_EQ(FollowPV, 0u);
    PVTable[0][4] = Quiet1;
    ScoreMoves(list, list + 2, 4, 0, 0);
    EXPECT_EQ(list[0].score, 0) << "once off the line, it stays off";
    FollowPV = 1;
    ScoreMoves(list, list, 4, 0, 0);
    EXPECT_EQ(FollowPV, 0u) << "an empty list ends the line too";
}

TEST_F(MoveOrderingTest, PickTakesTheFirstOfEqualBestAndSortIsDescending) {
    MoveEntry list[4] = {{1, 5}, {2, 9}, {3, 9}, {4, 7}};
    PickMove(list, list + 4);
    EXPECT_EQ(list[0].move, 2u);
    EXPECT_EQ(list[1].move, 1u);
    MoveEntry sorted[5] = {{1, 3}, {2, -4}, {3, 2000000111}, {4, 3}, {5, 1000000000}};
    SortMoves(sorted, sorted + 5);
    for (int i = 0; i + 1 < 5; ++i)
        EXPECT_GE(sorted[i].score, sorted[i + 1].score);
    EXPECT_EQ(sorted[0].move, 3u);
}

TEST_F(MoveOrderingTest, CutoffUpdateCountsKillsAndRewards) {
    Board[G1].piece = WhiteKnight;
    Board[B1].piece = WhiteKnight;
    Board[D4].piece = WhiteQueen;
    const Move searched[3] = {Quiet2, Capture, Quiet1};
    CutoffUpdate(searched, 3, Quiet1, 5, 13);
    EXPECT_EQ(TriedCount[WhiteKnight][F3], 2);
    EXPECT_EQ(TriedCount[WhiteKnight][C3], 2);
    EXPECT_EQ(TriedCount[WhiteQueen][E5], 1) << "captures are not counted";
    EXPECT_EQ(CutoffCount[WhiteKnight][F3], 2);
    EXPECT_EQ(CutoffCount[WhiteKnight][C3], 1);
    EXPECT_EQ(HistoryScore[WhiteKnight][F3], 9) << "(13 / 4) squared";
    EXPECT_EQ(KillerMoves[5][0], Quiet1);

    CutoffUpdate(searched, 3, Quiet1, 5, 8);
    EXPECT_EQ(KillerMoves[5][1], 0u) << "a killer is not entered twice";
    BestMoveUpdate(Quiet2, 5, 8);
    EXPECT_EQ(KillerMoves[5][0], Quiet2);
    EXPECT_EQ(KillerMoves[5][1], Quiet1);
    EXPECT_EQ(HistoryScore[WhiteKnight][C3], 16);
    EXPECT_EQ(TriedCount[WhiteKnight][C3], 3) << "the best-move update leaves the counts";
}

TEST_F(MoveOrderingTest, CountsAreHalvedTogetherAtTheLimit) {
    Board[G1].piece = WhiteKnight;
    TriedCount[WhiteKnight][F3] = 499999;
    CutoffCount[WhiteKnight][F3] = 300001;
    const Move searched[1] = {Quiet1};
    CutoffUpdate(searched, 1, Quiet1, 1, 4);
    EXPECT_EQ(TriedCount[WhiteKnight][F3], 250000);
    EXPECT_EQ(CutoffCount[WhiteKnight][F3], 150001 + 1);
}

TEST_F(MoveOrderingTest, HistoryIsAgedAtTheLimit) {
    Board[G1].piece = WhiteKnight;
    HistoryScore[WhiteKnight][F3] = 499990;
    HistoryScore[BlackPawn][E5] = -7;
    BestMoveUpdate(Quiet1, 1, 8); // + 16
    EXPECT_EQ(HistoryScore[WhiteKnight][F3], 250003);
    EXPECT_EQ(HistoryScore[BlackPawn][E5], -4) << "arithmetic shift";
}

TEST_F(MoveOrderingTest, ReductionRatioDoesNotOverflow) {
    CutoffCount[WhiteKnight][F3] = 250000;
    TriedCount[WhiteKnight][F3] = 260000; // about 96 %: no reduction
    EXPECT_FALSE(LowCutoffRate(WhiteKnight, F3));
    CutoffCount[WhiteKnight][F3] = 100;
    TriedCount[WhiteKnight][F3] = 200;
    EXPECT_TRUE(LowCutoffRate(WhiteKnight, F3));
    CutoffCount[WhiteKnight][F3] = 140;
    EXPECT_FALSE(LowCutoffRate(WhiteKnight, F3));
}

} // namespace
