#include "eval/EvalTestSupport.h"

TEST(Evaluate, InitialPositionIsLevelWhoeverMoves) {
    SetUpPosition(StartPosition);
    EXPECT_EQ(Evaluate(White, -32767, 32767), 0);
    EXPECT_EQ(Evaluate(Black, -32767, 32767), 0);
    RootCastlingRights[White] = RootCastlingRights[Black] = 2;
    EXPECT_EQ(Evaluate(White, -32767, 32767), 0);
    SetUpPosition(StartPosition, 0); // a human opponent: no blocked pawns, no term
    EXPECT_EQ(Evaluate(White, -32767, 32767), 0);
}

TEST(Evaluate, LazyExits) {
    SetUpPosition(StartPosition);
    EXPECT_EQ(Evaluate(White, 1000, 32767), 225);
    EXPECT_EQ(Evaluate(White, -32767, -1000), -225);
    // Black without pieces: no first exit for a high alpha, but the second
    // one, 150 above the pawn terms and patterns.
    SetUpPosition("4k3/4p3/8/8/8/8/4P3/R3K3 w - -");
    EXPECT_EQ(Evaluate(White, -32767, 0), 600 - 225);
    const int32_t pawns = EvaluatePawns();
    EXPECT_EQ(Evaluate(White, 5000, 32767), 600 + pawns + 150);
    // A verdict disables both exits: K+R vs K+N never scores above 0.
    SetUpPosition("3nk3/8/8/8/8/8/8/3RK3 w - -");
    EXPECT_EQ(Evaluate(White, 1000, 32767), 0);
    EXPECT_EQ(FullEvaluate(), 0);
}

TEST(Evaluate, SpecialMaterialPaths) {
    // K+R vs K: material plus the lone-king term (edge e6 10, distance 2).
    SetUpPosition("8/8/4k3/8/4K3/8/8/R7 w - -");
    EXPECT_EQ(FullEvaluate(), 600 + 85);
    // K+P vs K: a pure pawn ending counts the material twice. e4: advance 7,
    // passed 15, isolated on a half-open file -16.
    SetUpPosition("4k3/8/8/8/4P3/8/8/4K3 w - -");
    EXPECT_EQ(FullEvaluate(), 100 + (7 + 15 - 10 - 6) + 100);
    // K+N vs K: White cannot win, so 0 for either colour.
    SetUpPosition("4k3/8/8/8/8/8/8/3NK3 w - -");
    EXPECT_EQ(FullEvaluate(), 0);
    SetUpPosition("3nk3/8/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(FullEvaluate(), 0);
}

TEST(Evaluate, TrappedBishopsAndShutInRooks) {
    SetUpPosition("4k3/B7/1p6/8/8/8/8/4K3 w - -");
    EXPECT_EQ(TrappedBishops<White>(), -175);
    SetUpPosition("4k3/8/8/8/8/6P1/7b/4K3 w - -");
    EXPECT_EQ(TrappedBishops<Black>(), 175);
    SetUpPosition("4k3/8/8/8/8/8/7R/6K1 w - -");
    EXPECT_EQ(RookShutIn<White>(), -30);
    SetUpPosition("4k3/8/8/8/8/8/8/4K2R w - -");
    EXPECT_EQ(RookShutIn<White>(), 0);
    SetUpPosition("4k3/8/8/8/8/8/8/R1K5 w - -");
    EXPECT_EQ(RookShutIn<White>(), -30);
    SetUpPosition("1kr5/r7/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(RookShutIn<Black>(), 30); // one 30 however many rooks
}

TEST(Evaluate, KingPlacementAndBackRank) {
    SetUpPosition("4k3/p7/8/8/4K3/8/7P/8 w - -");
    EvaluatePawns();
    EXPECT_EQ(KingTerm<White>(), 40); // both wings
    EXPECT_EQ(WhiteKingDanger, 0);
    SetUpPosition("4k3/7p/8/8/4K3/8/7P/8 w - -");
    EvaluatePawns();
    EXPECT_EQ(KingTerm<White>(), 20); // king side only
    SetUpPosition("4k3/p7/8/8/3K4/8/P7/8 w - -");
    EvaluatePawns();
    EXPECT_EQ(KingTerm<White>(), 20); // queen side only: the table reflected
    SetUpPosition("8/p7/8/4k3/8/8/7P/4K3 w - -");
    EvaluatePawns();
    EXPECT_EQ(KingTerm<Black>(), -40); // read at the mirrored square

    SetUpPosition("6k1/8/8/8/8/8/5PPP/6K1 w - -");
    EXPECT_EQ(BackRank<White>(), -12);
    SetUpPosition("6k1/8/8/8/8/8/6PP/7K w - -");
    EXPECT_EQ(BackRank<White>(), 0); // the h-file king never qualifies
    SetUpPosition("6k1/5ppp/8/8/8/8/8/6K1 w - -");
    EXPECT_EQ(BackRank<Black>(), 12);
}

TEST(Evaluate, OppositeBishopScalingRoundsTowardMinusInfinity) {
    // Bishops only, |M| below 201: a quarter, by arithmetic shift.
    SetUpPosition("4k3/p7/8/8/8/8/P7/2B1Kb2 w - -");
    EXPECT_EQ(ScaleOppositeBishops(5), 1);
    EXPECT_EQ(ScaleOppositeBishops(-5), -2);
    EXPECT_EQ(ScaleOppositeBishops(-8), -2);
    // Bishops only, three pawns up: a half.
    SetUpPosition("4k3/8/8/8/8/8/PPP5/2B1Kb2 w - -");
    EXPECT_EQ(ScaleOppositeBishops(7), 3);
    EXPECT_EQ(ScaleOppositeBishops(-7), -4);
    // Equal other material, three pawns up: only the positional part halves.
    SetUpPosition("r3k3/8/8/8/8/8/PPP5/R1B1Kb2 w - -");
    EXPECT_EQ(ScaleOppositeBishops(305), 302);
    EXPECT_EQ(ScaleOppositeBishops(295), 297);
    // Same-coloured bishops, or two bishops each: no scaling.
    SetUpPosition("4k3/p7/8/8/8/8/P7/2B1K1b1 w - -");
    EXPECT_EQ(ScaleOppositeBishops(-5), -5);
    SetUpPosition("4kb2/p1b5/8/8/8/8/P7/2B1KB2 w - -");
    EXPECT_EQ(ScaleOppositeBishops(-5), -5);
}

// Whole evaluations worked out by hand, king attack included.
TEST(Evaluate, KingAttackScaledByTheKingsWeakness) {
    // Pawns: +2 for each side-by-side pawn, cancelling. Back ranks cancel.
    // Rook d1: 12 + 24 (open file), attack 1 (file distance 3). Rook f8: -7.
    // Queen h5: attack 4 (file distance 1). Kings safe: 5 x 64 >> 4 = 20.
    SetUpPosition("3q1rk1/5ppp/8/7Q/8/8/5PPP/3R2K1 w - -");
    EXPECT_EQ(FullEvaluate(), 36 - 7 + 20);
    // g7 on g5: Black's pawns -7 (advance), Black's back rank lost (-12),
    // Black's shelter deficit 3 (+24 king safety), and the attack grows to
    // 5 x (64 + 4 x (3 / 3)) >> 4 = 21.
    SetUpPosition("3q1rk1/5p1p/8/6pQ/8/8/5PPP/3R2K1 w - -");
    EXPECT_EQ(FullEvaluate(), (6 - 7) + 36 - 7 - 12 + 24 + 21);
    EXPECT_EQ(BlackKingDanger, 3);
}
