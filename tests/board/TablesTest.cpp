#include <set>

#include "board/BoardTestSupport.h"
#include "board/Perft.h"
#include "board/Swap.h"
#include "shell/TestSuite.h"

TEST(Tables, KeysAreFixedAndDistinct) {
    ASSERT_TRUE(SetUpBoard(StartPosition));
    const uint64_t first = ZobristKeys[WhitePawn][E2], side = SideToMoveKey;
    NextRandom(); // a stray draw must not shift the keys of a later fill
    FillZobristKeys();
    EXPECT_EQ(ZobristKeys[WhitePawn][E2], first);
    EXPECT_EQ(SideToMoveKey, side);
    std::set<uint64_t> seen = {SideToMoveKey};
    for (int c = 0; c < 14; c++)
        seen.insert(ZobristKeys[c], ZobristKeys[c] + 120);
    EXPECT_EQ(seen.size(), 14u * 120 + 1);
}

TEST(StaticExchange, CaptureSequences) {
    const std::tuple<const char *, Square, Square, int32_t> cases[] = {
        {"4k3/8/8/3n4/4P3/8/8/4K3 w - -", E4, D5, 400},
        {"4k3/8/2p5/3p4/8/8/8/3QK3 w - -", D1, D5, -1100},
        {"4k3/8/8/8/8/4p3/3p4/4K3 w - -", E1, D2, -9900}, // the king takes a defended pawn
        {"r3k3/1P6/8/8/8/8/8/4K3 w - -", B7, A8, 1700},
        {"4k3/8/8/4p3/3N4/8/8/4K3 b - -", E5, D4, 400},
        {"4k3/8/8/8/8/8/1p6/R3K3 b - -", B2, A1, 1700},
        {"4k3/5b2/8/3r4/8/8/3R4/3RK3 w - -", D2, D5, 400},
        {"4k3/5b2/8/3r4/8/8/3R4/4K3 w - -", D2, D5, 0},
        {"4k3/8/8/8/4p3/8/8/4K1N1 w - -", G1, F3, -400},
        {"4k3/8/8/8/4p3/8/6P1/4K1N1 w - -", G1, F3, -300},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - -", E4, D5, 100},
        {"4k3/8/2p5/3p4/4P3/8/8/4K3 w - -", E4, D5, 0},
        {"4k3/8/1n6/3p4/4B3/5Q2/8/4K3 w - -", E4, D5, 100}, // the queen behind the bishop joins
        {"4k3/8/1n6/3p4/4B3/8/8/4K3 w - -", E4, D5, -300},
    };
    for (auto [fen, from, to, balance] : cases) {
        ASSERT_TRUE(SetUpBoard(fen));
        const auto before = State();
        EXPECT_EQ(SideToMove == White ? StaticExchange<White>(from, to, -32767, 32767)
                                      : StaticExchange<Black>(from, to, -32767, 32767),
                  balance)
            << fen;
        EXPECT_EQ(State(), before) << fen;
    }
    // The window clips the result: 400 with a window below or above it.
    ASSERT_TRUE(SetUpBoard("4k3/8/8/3n4/4P3/8/8/4K3 w - -"));
    EXPECT_LE(StaticExchange<White>(E4, D5, -32767, 100), 100);
    EXPECT_GE(StaticExchange<White>(E4, D5, 500, 32767), 400);
    EXPECT_LE(StaticExchange<White>(E4, D5, 500, 32767), 500);
}

namespace {

int Asked = 0;
bool Never() { return ++Asked, false; }
bool Always() { return ++Asked, true; }

} // namespace

// Whole suites are counted by the walk, the command through the binary; here the count itself.
TEST(Perft, CountIsAskedAboutAndAbandoned) {
    ASSERT_TRUE(SetUpBoard(StartPosition));
    Asked = 0;
    EXPECT_EQ(PerftRoot(5, Never), 4865609u); // asked once every four million leaves
    EXPECT_FALSE(PerftAbandoned());
    EXPECT_EQ(Asked, 1);
    EXPECT_LT(PerftRoot(5, Always), 4865609u);
    EXPECT_TRUE(PerftAbandoned());
    EXPECT_EQ(Asked, 2);
    testing::internal::CaptureStdout();
    PerftCommand(-3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "nothing for a depth below 0";
    EXPECT_EQ(PerftRoot(3), 8902u) << "the position is whole again";
    EXPECT_FALSE(PerftAbandoned());
    // The root's check and en-passant state reach the first ply.
    ASSERT_TRUE(SetUpBoard("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
    EXPECT_EQ(PerftRoot(1), 7u);
    ASSERT_TRUE(SetUpBoard("4k3/8/8/8/8/8/8/r3K2R w K -"));
    EXPECT_EQ(PerftRoot(1), 3u);
}
