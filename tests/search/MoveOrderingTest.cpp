// Ordering on the normal path is pinned by the node count of "morvane bench"
// (bench/expected-nodes.txt); here the corners its searches do not reach.
#include "search/SearchTestSupport.h"

namespace {

constexpr Move Quiet1 = MakeMoveWord(G1, F3), Quiet2 = MakeMoveWord(B1, C3), Capture = MakeMoveWord(D4, E5, BlackPawn);

struct MoveOrdering : testing::Test {
    void SetUp() override { SetUpSearch("4k3/8/8/8/3Q4/8/4P3/1N2K1N1 w - -"); }
};

} // namespace

TEST_F(MoveOrdering, CountsAndHistoryScaleDownAtTheirLimit) {
    const Move searched[3] = {Quiet2, Capture, Quiet1};
    CutoffUpdate(searched, 3, Quiet1, 5, 13);
    EXPECT_EQ(std::pair(TriedCount[WhiteKnight][F3], TriedCount[WhiteKnight][C3]), std::pair(2, 2));
    EXPECT_EQ(TriedCount[WhiteQueen][E5], 1) << "captures are not counted";
    EXPECT_EQ(std::pair(CutoffCount[WhiteKnight][F3], CutoffCount[WhiteKnight][C3]), std::pair(2, 1));
    BestMoveUpdate(Quiet2, 5, 8);
    EXPECT_EQ(TriedCount[WhiteKnight][C3], 2) << "the best-move update leaves the counts";
    // At the limit the counts halve, keeping the cutoff rate, and so does the whole history table.
    TriedCount[WhiteKnight][F3] = HistoryLimit - 1;
    CutoffCount[WhiteKnight][F3] = HistoryLimit * 3 / 5;
    CutoffUpdate(searched + 2, 1, Quiet1, 1, 4);
    EXPECT_LT(TriedCount[WhiteKnight][F3], HistoryLimit * 3 / 4);
    EXPECT_NEAR(double(CutoffCount[WhiteKnight][F3]) / TriedCount[WhiteKnight][F3], 0.6, 0.01);
    HistoryScore[WhiteKnight][F3] = HistoryLimit - 10;
    HistoryScore[WhiteKnight][C3] = HistoryLimit / 5;
    HistoryScore[BlackPawn][E5] = -7;
    BestMoveUpdate(Quiet1, 1, 8);
    EXPECT_LT(HistoryScore[WhiteKnight][F3], HistoryLimit * 3 / 4);
    EXPECT_GT(HistoryScore[WhiteKnight][F3], HistoryScore[WhiteKnight][C3]);
    EXPECT_EQ(std::pair(HistoryScore[WhiteKnight][C3], HistoryScore[BlackPawn][E5]), std::pair(HistoryLimit / 10, -4))
        << "every entry halves, rounding down";
}

TEST_F(MoveOrdering, ReductionRatioDoesNotOverflow) {
    const std::tuple<int32_t, int32_t, bool> cases[] = {{250000, 260000, false}, {100, 200, true}, {140, 200, false}};
    for (auto [cutoffs, tried, low] : cases) {
        CutoffCount[WhiteKnight][F3] = cutoffs;
        TriedCount[WhiteKnight][F3] = tried;
        EXPECT_EQ(LowCutoffRate(WhiteKnight, F3), low) << cutoffs << "/" << tried;
    }
}
