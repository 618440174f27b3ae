#include <gtest/gtest.h>

#include "board/Attack.h"
#include "board/BoardTestSupport.h"
#include "board/MoveMaker.h"

namespace {

// Moves a king by hand (positions that setup would refuse).
void PutKing(Color side, Square to) {
    Square from = KingSquare(side);
    Board[to] = Board[from];
    Board[from].piece = EmptySquare;
    KingSquare(side) = to;
}

// Makes the root move with that text and returns what the check test says.
uint32_t CheckAfter(const char *fen, const char *move) {
    EXPECT_TRUE(SetupPosition(fen));
    Move m = FindMove(move);
    EXPECT_NE(m, 0u) << move;
    EXPECT_EQ(MakeMove(SideToMove, RootInCheck, 0, m), 1u);
    uint32_t check = SideToMove == White ? MoveGivesCheck<White>(m) : MoveGivesCheck<Black>(m);
    UnmakeMove(SideToMove, m);
    return check;
}

} // namespace

TEST(Attack, KingsTouching) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("8/8/4k3/8/4K3/8/8/8 w - -"));
    EXPECT_EQ(InCheck<White>(), 0u) << "kings on e4 and e6";
    EXPECT_EQ(InCheck<Black>(), 0u);
    PutKing(Black, E5);
    EXPECT_EQ(InCheck<White>(), 1u) << "kings on e4 and e5";
    EXPECT_EQ(InCheck<Black>(), 1u);
    PutKing(Black, F5);
    EXPECT_EQ(InCheck<White>(), 1u);
    PutKing(Black, G5);
    EXPECT_EQ(InCheck<White>(), 0u);
}

TEST(Attack, CheckByBishopAndPawns) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/7b/8/8/4K3 w - -"));
    EXPECT_EQ(InCheck<White>(), 1u);
    EXPECT_EQ(RootInCheck, 1u);
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/7b/6P1/8/4K3 w - -"));
    EXPECT_EQ(InCheck<White>(), 0u) << "g3 blocks";
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/3p4/4K3 w - -"));
    EXPECT_EQ(InCheck<White>(), 1u);
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/5p2/4K3 w - -"));
    EXPECT_EQ(InCheck<White>(), 1u);
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/4p3/4K3 w - -"));
    EXPECT_EQ(InCheck<White>(), 0u);
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/5n2/8/4K3 w - -"));
    EXPECT_EQ(InCheck<White>(), 1u) << "knight";
    ASSERT_TRUE(SetupPosition("4k3/4P3/8/8/8/8/8/4K3 b - -"));
    EXPECT_EQ(InCheck<Black>(), 0u) << "a pawn in front does not attack";
    ASSERT_TRUE(SetupPosition("4k3/3P4/8/8/8/8/8/4K3 b - -"));
    EXPECT_EQ(InCheck<Black>(), 1u);
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/R3K3 b - -"));
    EXPECT_EQ(InCheck<Black>(), 0u);
    ASSERT_TRUE(SetupPosition("R3k3/8/8/8/8/8/8/4K3 b - -"));
    EXPECT_EQ(InCheck<Black>(), 1u);
}

TEST(Attack, BackRankSquares) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/R3K2R w KQ -"));
    for (Square s : {C1, D1, F1, G1})
        EXPECT_EQ(BackRankSquareAttacked<White>(s), 0u) << s;
    ASSERT_TRUE(SetupPosition("4kr2/8/8/8/8/8/8/R3K2R w KQ -"));
    EXPECT_EQ(BackRankSquareAttacked<White>(F1), 1u);
    EXPECT_EQ(BackRankSquareAttacked<White>(G1), 0u);
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/7n/R3K2R w KQ -"));
    EXPECT_EQ(BackRankSquareAttacked<White>(F1), 1u) << "knight h2";
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/2p5/R3K2R w KQ -"));
    EXPECT_EQ(BackRankSquareAttacked<White>(D1), 1u) << "pawn c2";
    EXPECT_EQ(BackRankSquareAttacked<White>(C1), 0u);
    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/6B1/8/8/4K3 b kq -"));
    EXPECT_EQ(BackRankSquareAttacked<Black>(C8), 1u) << "bishop g4";
    EXPECT_EQ(BackRankSquareAttacked<Black>(D8), 0u);
    EXPECT_EQ(BackRankSquareAttacked<Black>(G8), 0u);
}

TEST(Attack, UncoversKing) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4r1k1/8/8/8/8/8/4N3/4K3 w - -"));
    // Take the knight off e2 by hand: the e-file opens.
    Board[E2].piece = EmptySquare;
    EXPECT_EQ(UncoversKing<White>(E2), 1u);
    EXPECT_EQ(UncoversKing<White>(F3), 0u) << "f3 is not on a line with e1";
    Board[E2].piece = WhiteKnight;
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/3B4/4K2q w - -"));
    EXPECT_EQ(UncoversKing<White>(F1), 1u) << "the rank to h1 is open";
    EXPECT_EQ(UncoversKing<White>(D2), 0u) << "d2 is still occupied";
    ASSERT_TRUE(SetupPosition("4k3/8/8/b7/8/8/8/4K3 w - -"));
    EXPECT_EQ(UncoversKing<White>(D2), 1u) << "bishop a5 on the diagonal";
    EXPECT_EQ(UncoversKing<White>(E2), 0u);
}

TEST(Attack, MoveGivesCheck) {
    EnsureBoardReady();
    EXPECT_EQ(CheckAfter("3k4/8/8/8/8/8/8/R3K3 w Q -", "e1c1"), 1u) << "rook d1 checks d8";
    EXPECT_EQ(CheckAfter("8/8/8/7k/8/8/8/R3K3 w Q -", "e1c1"), 0u) << "h5 is on no rook line from d1";
    EXPECT_EQ(CheckAfter("5k2/8/8/8/8/8/8/4K2R w K -", "e1g1"), 1u);
    EXPECT_EQ(CheckAfter("5k2/8/8/8/8/8/5P2/4K2R w K -", "e1g1"), 0u) << "f2 blocks";
    EXPECT_EQ(CheckAfter("r3k3/8/8/8/8/8/8/3K4 b q -", "e8c8"), 1u);
    // En passant through the captured pawn's square only.
    EXPECT_EQ(CheckAfter("8/5k2/8/3pP3/8/1B6/8/4K3 w - d6", "e5d6"), 1u);
    EXPECT_EQ(CheckAfter("8/8/8/R2pP2k/8/8/8/4K3 w - d6", "e5d6"), 1u);
    EXPECT_EQ(CheckAfter("8/8/8/2kpP3/8/8/8/4K3 w - d6", "e5d6"), 0u) << "a pawn on d6 attacks c7 and e7 only";
    // Promotions: knight checks, a blocked queen does not.
    EXPECT_EQ(CheckAfter("8/4P1k1/8/8/8/8/8/4K3 w - -", "e7e8n"), 1u);
    EXPECT_EQ(CheckAfter("8/4P1k1/8/8/8/8/8/4K3 w - -", "e7e8q"), 0u);
    EXPECT_EQ(CheckAfter("3r3k/1P6/8/8/8/8/8/4K3 w - -", "b7b8q"), 0u);
    EXPECT_EQ(CheckAfter("7k/1P6/8/8/8/8/8/4K3 w - -", "b7b8q"), 1u);
    // Direct and discovered checks.
    EXPECT_EQ(CheckAfter("4k3/8/8/8/8/8/8/R3K3 w - -", "a1a8"), 1u);
    EXPECT_EQ(CheckAfter("4k3/8/8/8/8/8/4N3/4RK2 w - -", "e2c3"), 1u) << "discovered by the rook";
    EXPECT_EQ(CheckAfter("4k3/8/8/8/8/8/4N3/4RK2 w - -", "e2d4"), 1u);
    EXPECT_EQ(CheckAfter("4k3/8/8/8/8/8/4P3/4RK2 w - -", "e2e4"), 0u) << "the pawn stays on the file";
    EXPECT_EQ(CheckAfter("4k3/8/8/8/8/8/8/4K1N1 w - -", "g1f3"), 0u);
    EXPECT_EQ(CheckAfter("4k3/8/8/8/8/8/8/4K1N1 w - -", "g1e2"), 0u);
    EXPECT_EQ(CheckAfter("4k3/8/8/8/8/8/3P4/4K3 w - -", "d2d4"), 0u);
    EXPECT_EQ(CheckAfter("8/8/4k3/8/8/3P4/8/4K3 w - -", "d3d4"), 0u);
    EXPECT_EQ(CheckAfter("8/8/4k3/8/3P4/8/8/4K3 w - -", "d4d5"), 1u);
    EXPECT_EQ(CheckAfter("4K3/8/8/8/8/8/5p2/4k3 b - -", "f2f1n"), 0u);
    EXPECT_EQ(CheckAfter("8/8/8/8/8/8/5p2/4k2K b - -", "f2f1q"), 1u);
}
