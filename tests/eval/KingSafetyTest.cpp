#include "eval/EvalTestSupport.h"

namespace {

void SetUpWithPawns(const std::string &fen, uint32_t whiteRights = 0, uint32_t blackRights = 0) {
    SetUpPosition(fen);
    RootCastlingRights[White] = whiteRights;
    RootCastlingRights[Black] = blackRights;
    EvaluatePawns();
}

} // namespace

TEST(Development, InitialPositionWithAllRights) {
    SetUpWithPawns(StartPosition, 2, 2);
    EXPECT_EQ(WhiteDevelopment(), -24);
    EXPECT_EQ(BlackDevelopment(), 24);
}

TEST(Development, EarlyQueenAndBlockedCentrePawns) {
    // 1.e4 e5 2.Qh5: the queen left d1 (-12) with the rights kept (-24).
    SetUpWithPawns("rnbqkbnr/pppp1ppp/8/4p2Q/4P3/8/PPPP1PPP/RNB1KBNR b KQkq -", 2, 2);
    EXPECT_EQ(WhiteDevelopment(), -36);
    // d2 blocked by a bishop on d3, e2 by a knight on e3.
    SetUpWithPawns("rnbqkbnr/pppppppp/8/8/8/3BN3/PPPPPPPP/RNBQK2R w KQkq -", 2, 2);
    EXPECT_EQ(WhiteDevelopment(), -12 - 12 - 24);
    // c2 pawn behind a knight on c3 facing d5 without e5: -6.
    SetUpWithPawns("rnbqkbnr/ppp1pppp/8/3p4/8/2N5/PPPPPPPP/R1BQKBNR w KQkq -", 2, 2);
    EXPECT_EQ(WhiteDevelopment(), -6 - 24);
    SetUpWithPawns("r1bqkbnr/pppppppp/2n5/8/3P4/8/PPP1PPPP/RNBQKBNR w KQkq -", 2, 2);
    EXPECT_EQ(BlackDevelopment(), 6 + 24);
}

TEST(Development, CastlingAndShelterOfTheChosenWing) {
    // Castled king side (rights gone): no penalty; the king-side shelter
    // (g-pawn missing: 3) is compared with the queen side (0): -8 x 3.
    SetUpWithPawns("r3k2r/pppppppp/8/8/8/8/PPPPPP1P/R4RK1 w kq -", 2, 2);
    Castled[White] = 1;
    EXPECT_EQ(WhiteDevelopment(), -24);
    // Not castled and the rights lost: -20 - 20 per black queen.
    SetUpWithPawns("3qk3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - -", 1, 0);
    EXPECT_EQ(WhiteDevelopment(), -40);
    // Only the queen-side right kept: the queen-side shelter counts.
    SetUpWithPawns("4k3/pppppppp/8/8/8/8/1PPPPPPP/R3K2R w Q -", 2, 0);
    EXPECT_EQ(WhiteDevelopment(), -12 - 8 * 3 - 24);
    Castled[White] = 0;
}

TEST(KingSafety, CastledKingBehindItsPawns) {
    SetUpWithPawns("3qk3/5ppp/8/8/8/8/5PPP/6K1 w - -");
    EXPECT_EQ(KingSafety<White>(), 0);
    EXPECT_EQ(WhiteKingDanger, 0);
    // g3 and a black bishop on f3 with the black queen: 0 + 2 + 3 = 5.
    SetUpWithPawns("3qk3/5ppp/8/8/8/5bP1/5P1P/6K1 w - -");
    EXPECT_EQ(KingSafety<White>(), 40);
    EXPECT_EQ(WhiteKingDanger, 5);
    // Without the black queen: no +3, and 2 is halved to 1.
    SetUpWithPawns("4k3/5ppp/8/8/8/5bP1/5P1P/6K1 w - -");
    EXPECT_EQ(KingSafety<White>(), 8);
    EXPECT_EQ(WhiteKingDanger, 1);
}

TEST(KingSafety, UncastledKingAndOpenCentre) {
    // Both rights kept, only the e-file open: 3 + 4.
    SetUpWithPawns("r2qk2r/pppp1ppp/8/8/8/8/PPPP1PPP/R2QK2R w KQkq -");
    EXPECT_EQ(KingSafety<White>(), 56);
    EXPECT_EQ(KingSafety<Black>(), 56);
    EXPECT_EQ(BlackKingDanger, 7);
    // King-side right only: half the king-side shelter counts.
    SetUpWithPawns("r2qk2r/pppp1ppp/8/8/8/8/PPPP1P1P/R3K2R w Kkq -");
    EXPECT_EQ(KingSafety<White>(), 8 * (3 + 4 + (3 >> 1)));
}

TEST(KingSafety, QueenSideKingAndDFileKing) {
    // Castled long, b2 missing, black pawn on c3, black queen: shelter of a-c
    // plus the hole; a king on d1 also looks at the c-, d- and e-files.
    SetUpWithPawns("3qk3/ppp5/8/8/8/2p5/P1P5/2K5 w - -");
    const int32_t c1 = KingSafety<White>();
    EXPECT_EQ(c1, 8 * (2 + 3 + 3)); // c1: 2, no white b-pawn: 3, hole: 3
    // Without a white queen Black's weakness is halved: (3 + 4) / 2.
    SetUpWithPawns("r2qk2r/pppp1ppp/8/8/8/8/PPPP1PPP/R3K2R w KQkq -");
    EXPECT_EQ(KingSafety<Black>(), 8 * 3);
    SetUpWithPawns("3qk3/ppp5/8/8/8/8/PPP5/3K4 w - -");
    EXPECT_EQ(KingSafety<White>(), 8 * (3 + 4 + 2)); // d- and e-files open
}
