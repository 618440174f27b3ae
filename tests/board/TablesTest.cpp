#include <gtest/gtest.h>

#include <set>

#include "board/BoardTestSupport.h"

TEST(Tables, QueenLineAndPieceSteps) {
    EnsureBoardReady();
    EXPECT_EQ(AttackStep[0][E4][E1], -10) << "walk from e1 toward e4";
    EXPECT_EQ(AttackStep[0][E1][E4], 10);
    EXPECT_EQ(AttackStep[0][A1][B3], 0);
    EXPECT_EQ(AttackStep[0][H8][A1], -9);
    EXPECT_EQ(AttackStep[0][A8][H1], -11);
    EXPECT_EQ(AttackStep[0][H1][A1], 1);

    EXPECT_EQ(AttackStep[WhiteBishop + 1][H8][A1], -9);
    EXPECT_EQ(AttackStep[BlackBishop + 1][E4][E1], 0) << "bishops take diagonals only";
    EXPECT_EQ(AttackStep[WhiteRook + 1][E4][E1], -10);
    EXPECT_EQ(AttackStep[BlackRook + 1][H8][A1], 0) << "rooks take ranks and files only";
    EXPECT_EQ(AttackStep[BlackQueen + 1][H8][A1], -9);

    EXPECT_EQ(AttackStep[WhitePawn + 1][E4][D5], 1);
    EXPECT_EQ(AttackStep[WhitePawn + 1][E4][F5], 1);
    EXPECT_EQ(AttackStep[WhitePawn + 1][E4][E5], 0);
    EXPECT_EQ(AttackStep[BlackPawn + 1][E5][D4], 1);
    EXPECT_EQ(AttackStep[BlackPawn + 1][E5][D6], 0);
    EXPECT_EQ(AttackStep[WhiteKnight + 1][G1][F3], 1);
    EXPECT_EQ(AttackStep[BlackKnight + 1][H8][F7], 1);
    EXPECT_EQ(AttackStep[WhiteKnight + 1][H8][A7], 0) << "no wrap across the border";

    for (int c : {WhiteKing, BlackKing, EmptySquare, OffBoard})
        for (int a = 0; a < 120; a++)
            for (int b = 0; b < 120; b++)
                ASSERT_EQ(AttackStep[c + 1][a][b], 0) << c << " " << a << " " << b;
}

TEST(Tables, KeysAreFixedAndDistinct) {
    EnsureBoardReady();
    uint64_t first = ZobristKeys[WhitePawn][E2];
    uint64_t side = SideToMoveKey;
    NextRandom(); // a stray draw must not shift the keys of a later fill
    FillZobristKeys();
    EXPECT_EQ(ZobristKeys[WhitePawn][E2], first);
    EXPECT_EQ(SideToMoveKey, side);

    std::set<uint64_t> seen;
    for (int c = 0; c < 14; c++)
        for (int s = 0; s < 120; s++)
            seen.insert(ZobristKeys[c][s]);
    seen.insert(SideToMoveKey);
    EXPECT_EQ(seen.size(), 14u * 120 + 1);
}

TEST(Tables, InitialPosition) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition(StartPosition));
    EXPECT_EQ(PieceLists[WhitePawn][0], 8u);
    EXPECT_EQ(PieceLists[BlackKnight][0], 2u);
    EXPECT_EQ(PieceLists[WhiteBishop][0], 2u);
    EXPECT_EQ(PieceLists[BlackRook][0], 2u);
    EXPECT_EQ(PieceLists[WhiteQueen][0], 1u);
    EXPECT_EQ(KingSquare(White), uint32_t(E1));
    EXPECT_EQ(KingSquare(Black), uint32_t(E8));
    EXPECT_EQ(PieceCount, 30u);
    EXPECT_EQ(Material, 0);
    EXPECT_EQ(WhitePieceWeight, 31u);
    EXPECT_EQ(BlackPieceWeight, 31u);
    EXPECT_EQ(PositionInconsistency(), "");
    for (Square s = 0; s < 120; s++)
        if (FileOf[s] == 0) {
            EXPECT_EQ(Board[s].piece, uint32_t(OffBoard)) << s;
        }

    // The pawn key covers pawns only, the full key every piece including kings.
    uint64_t pawns = 0, all = 0;
    for (Square s = 21; s <= 98; s++) {
        PieceCode c = Board[s].piece;
        if (c == EmptySquare || c == OffBoard) continue;
        all ^= ZobristKeys[c][s];
        if (KindOf(c) == Pawn) pawns ^= ZobristKeys[c][s];
    }
    EXPECT_EQ(HashKey, all);
    EXPECT_EQ(PawnHashKey, pawns);
}
