#include "eval/EvalTestSupport.h"

namespace {

void SetUpWithPawns(const std::string &fen) {
    SetUpPosition(fen);
    EvaluatePawns();
}

} // namespace

TEST(Knights, SupportedOutpost) {
    // e5 supported by d4, no black pawn can chase it, Black has only a
    // light-squared bishop: table 25, outpost 25 + 25.
    SetUpWithPawns("4k3/8/8/4N3/3P4/8/8/4K2b w - -");
    int32_t attack = 0;
    EXPECT_EQ(KnightTerms<White>(attack), 25 + 25 + 25);
    EXPECT_EQ(attack, 2); // distance 3 to e8
    // A dark-squared black bishop can trade it: half the outpost for one supporter.
    SetUpWithPawns("4k3/8/8/4N3/3P4/8/8/4K1b1 w - -");
    attack = 0;
    EXPECT_EQ(KnightTerms<White>(attack), 25 + 25 + 12);
    // A black pawn on f7 can chase it: table value only.
    SetUpWithPawns("4k3/5p2/8/4N3/3P4/8/8/4K2b w - -");
    attack = 0;
    EXPECT_EQ(KnightTerms<White>(attack), 25);
    // Black's knight on d3 in front of the d2 pawn, supported by e4 (no white
    // minor pieces): table 10 + outpost 15 + 15 + 12, subtracted.
    SetUpWithPawns("4k3/8/8/8/4p3/3n4/3P4/4K3 w - -");
    attack = 0;
    EXPECT_EQ(KnightTerms<Black>(attack), -(10 + 15 + 15 + 12));
}

TEST(Bishops, MobilityLooksThroughPiecesButNotPawns) {
    SetUpWithPawns("4k3/8/8/8/8/8/1P1P4/2B1K3 w - -");
    EXPECT_EQ(BishopMobility(C1), 0u);
    int32_t attack = 0;
    // -10 - 20 for the hemmed bishop, -4 x 2 for the two pawns on its colour.
    EXPECT_EQ(BishopTerms<White>(attack), -30 - 8);
    SetUpWithPawns("1r2k3/B7/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(BishopMobility(A7), 7u); // b8, then b6 .. g1
}

TEST(Bishops, PawnsOnBothWingsAndFianchetto) {
    // Lone bishop, White's weight 3, no black bishop, pawns on a-c and f-h:
    // +30. d3 sees 10 squares (up to the h7 pawn, not onto it).
    SetUpWithPawns("4k3/p6p/8/8/8/3B4/8/4K3 w - -");
    int32_t attack = 0;
    EXPECT_EQ(BishopMobility(D3), 10u);
    EXPECT_EQ(BishopTerms<White>(attack), 10 + 5 * 10 - 20 + 30);
    // Fianchetto: king g1, g3 pawn, bishop g2, Black's weight above 13.
    SetUpWithPawns("r2qk2r/8/8/8/8/6P1/5PBP/6K1 w - -");
    attack = 0;
    // g2: table 15, sees f3 .. a8 (through the rook), h3, f1 and h1; the
    // pawns f2, g3, h2 all stand on dark squares, the bishop on a light one.
    EXPECT_EQ(BishopTerms<White>(attack), 15 + 5 * 9 - 20 - 4 * 0 + 10);
}

TEST(Rooks, SeventhRankPairAndOpenFiles) {
    // c7 and e7, d7 empty, king g8: open files (+24 each), file bonus 7 and
    // 12, +30 each on the 7th, +16 once for the pair.
    SetUpWithPawns("6k1/2R1R3/8/8/8/8/8/4K3 w - -");
    int32_t attack = 0;
    EXPECT_EQ(RookTerms<White>(attack), 7 + 24 + 12 + 24 + 30 + 30 + 16);
    // Attack: c7 file distance 4 -> 0, distance 4 -> 0; e7 file 2 -> 2, distance 2 -> 2.
    EXPECT_EQ(attack, 0 + 2);
}

TEST(Rooks, BehindPassedPawnsAndShutIn) {
    SetUpWithPawns("4k3/8/4P3/8/8/8/8/4RK2 w - -");
    int32_t attack = 0;
    EXPECT_EQ(RookTerms<White>(attack), 12 + 20); // behind its own passer
    // Behind Black's passer (going down from the rook): +20 as well.
    SetUpWithPawns("7k/8/8/4R3/8/4p3/8/5K2 w - -");
    attack = 0;
    EXPECT_EQ(RookTerms<White>(attack), 12 + 5 + 20);
    // Hemmed in by its king on g1 and the edge: -20 here (and -30 in the driver).
    SetUpWithPawns("4k3/8/8/8/8/8/8/6KR w - -");
    attack = 0;
    EXPECT_EQ(RookTerms<White>(attack), 0 + 24 - 20);
    EXPECT_EQ(RookShutIn<White>(), -30);
}

TEST(Queens, SeventhRankDangerAndFarWing) {
    // Queen d7 joined by the rook on b7, black king on rank 8.
    SetUpWithPawns("4k3/1R1Q4/8/8/8/8/8/4K3 b - -");
    WhiteKingDanger = 0;
    BlackKingDanger = 5; // more than 4 above White's: +30
    int32_t attack = 0;
    EXPECT_EQ(QueenTerms<White>(attack), 5 + 10 + 30);
    // Distance 1 and file distance 1: max(4, 0).
    EXPECT_EQ(attack, 4);
    // Queen a4 with five pawns, king g8: far wing, attack reduced by 8 and
    // kept at 0.
    SetUpWithPawns("6k1/8/8/8/Q7/8/PPPPP3/4K3 w - -");
    WhiteKingDanger = BlackKingDanger = 0;
    attack = 3;
    EXPECT_EQ(QueenTerms<White>(attack), 0);
    EXPECT_EQ(attack, 0);
}
