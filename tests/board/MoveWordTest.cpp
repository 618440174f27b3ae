#include <gtest/gtest.h>

#include "board/Board.h"

TEST(MoveWord, SquareTextAndFieldsRoundTrip) {
    EXPECT_EQ(SquareFromText('e', '3'), 75u);
    EXPECT_EQ(SquareFromText('a', '8'), A8);
    EXPECT_EQ(SquareFromText('h', '1'), H1);
    EXPECT_EQ(SquareOf(5, 1), E1);

    Move m = MakePromotionWord(B7, A8, BlackRook, WhiteQueen);
    EXPECT_EQ(MoveFrom(m), B7);
    EXPECT_EQ(MoveTo(m), A8);
    EXPECT_EQ(MoveCaptured(m), BlackRook);
    EXPECT_EQ(MovePromoted(m), WhiteQueen);
    EXPECT_TRUE(IsPromotion(m) && IsCapture(m) && !IsCastling(m));

    Move castle = MakeMoveWord(E1, G1, EmptySquare, CastlingFlag);
    EXPECT_LT(int32_t(castle), 0) << "castling is the sign bit";
    EXPECT_FALSE(IsCapture(castle));
}
