#include <gtest/gtest.h>

#include "board/BoardTestSupport.h"
#include "board/Swap.h"

namespace {

int32_t WhiteSee(const char *fen, Square from, Square to) {
    EXPECT_TRUE(SetupPosition(fen)) << fen;
    return WhiteStaticExchange(from, to, -32767, 32767);
}

int32_t BlackSee(const char *fen, Square from, Square to) {
    EXPECT_TRUE(SetupPosition(fen)) << fen;
    return BlackStaticExchange(from, to, -32767, 32767);
}

} // namespace

TEST(StaticExchange, SimpleCaptures) {
    EnsureBoardReady();
    EXPECT_EQ(WhiteSee("4k3/8/8/3n4/4P3/8/8/4K3 w - -", E4, D5), 400) << "pawn takes a lone knight";
    EXPECT_EQ(WhiteSee("4k3/8/2p5/3p4/8/8/8/3QK3 w - -", D1, D5), -1100) << "queen takes a defended pawn";
    EXPECT_EQ(WhiteSee("4k3/8/8/8/8/4p3/3p4/4K3 w - -", E1, D2), -9900) << "king takes a defended pawn";
    EXPECT_EQ(WhiteSee("r3k3/1P6/8/8/8/8/8/4K3 w - -", B7, A8), 1700) << "capture with promotion";
    EXPECT_EQ(BlackSee("4k3/8/8/4p3/3N4/8/8/4K3 b - -", E5, D4), 400) << "mirror";
    EXPECT_EQ(BlackSee("4k3/8/8/8/8/8/1p6/R3K3 b - -", B2, A1), 1700);
}

TEST(StaticExchange, RecaptureSequences) {
    EnsureBoardReady();
    EXPECT_EQ(WhiteSee("4k3/5b2/8/3r4/8/8/3R4/3RK3 w - -", D2, D5), 400) << "doubled rooks against rook and bishop";
    EXPECT_EQ(WhiteSee("4k3/5b2/8/3r4/8/8/3R4/4K3 w - -", D2, D5), 0) << "rook for rook";
    EXPECT_EQ(WhiteSee("4k3/8/8/8/4p3/8/8/4K1N1 w - -", G1, F3), -400) << "knight onto a square a pawn covers";
    EXPECT_EQ(WhiteSee("4k3/8/8/8/4p3/8/6P1/4K1N1 w - -", G1, F3), -300) << "knight lost, pawn won back";
    EXPECT_EQ(WhiteSee("4k3/8/8/3p4/4P3/8/8/4K3 w - -", E4, D5), 100);
    EXPECT_EQ(WhiteSee("4k3/8/2p5/3p4/4P3/8/8/4K3 w - -", E4, D5), 0) << "pawn for pawn";
    // A queen behind a bishop joins the exchange along the diagonal.
    EXPECT_EQ(WhiteSee("4k3/8/1n6/3p4/4B3/5Q2/8/4K3 w - -", E4, D5), 100);
    EXPECT_EQ(WhiteSee("4k3/8/1n6/3p4/4B3/8/8/4K3 w - -", E4, D5), -300);
}

TEST(StaticExchange, WindowClipsTheResult) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4k3/8/8/3n4/4P3/8/8/4K3 w - -"));
    EXPECT_LE(WhiteStaticExchange(E4, D5, -32767, 100), 100);
    EXPECT_GE(WhiteStaticExchange(E4, D5, 500, 32767), 400) << "true value 400, at or below alpha";
    EXPECT_LE(WhiteStaticExchange(E4, D5, 500, 32767), 500);
    // The board is left as it was.
    PositionSnapshot before = PositionSnapshot::Take();
    WhiteStaticExchange(E4, D5, -32767, 32767);
    EXPECT_TRUE(PositionSnapshot::Take() == before);
}
