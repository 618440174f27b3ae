#include "eval/EvalTestSupport.h"

#include "eval/EvalTables.h"

namespace {

int32_t VerdictOf(const std::string &fen) {
    SetUpPosition(fen);
    return RecognizeEnding(SideToMove == White);
}

int32_t LoneKingTermOf(const std::string &fen) {
    SetUpPosition(fen);
    return MateLoneKing();
}

} // namespace

TEST(RecognizeEnding, RookPawnHeldByTheDefendingKing) {
    // a2 pawn, black king b8, white king e2: Dd 1, Da 6 + 1, Dp 6.
    EXPECT_EQ(VerdictOf("1k6/8/8/8/8/8/P3K3/8 w - -"), -1);
    // a5 pawn, black king e8, white king b6: the white king is nearer.
    EXPECT_EQ(VerdictOf("4k3/8/1K6/P7/8/8/8/8 w - -"), 0);
    // The same for Black's rook pawns.
    EXPECT_EQ(VerdictOf("8/p3k3/8/8/8/8/8/1K6 b - -"), -2);
    EXPECT_EQ(VerdictOf("8/8/8/8/p7/1k6/8/4K3 b - -"), 0);
}

TEST(RecognizeEnding, WrongBishopOnlyCountsWhenItMissesTheCorner) {
    // Light bishop (f1) with an h-pawn: h8 is dark, the defender holds it.
    EXPECT_EQ(VerdictOf("7k/8/8/8/8/8/7P/4KB2 w - -"), -1);
    // Dark bishop (e1) controls h8: no verdict.
    EXPECT_EQ(VerdictOf("7k/8/8/8/8/8/7P/3KB3 w - -"), 0);
    // Black: a dark bishop with an a-pawn covers a1.
    EXPECT_EQ(VerdictOf("3bk3/p7/8/8/8/8/8/K7 b - -"), 0);
    EXPECT_EQ(VerdictOf("k3b3/p7/8/8/8/8/8/K7 b - -"), -2);
    // Pawns on both rook files win.
    EXPECT_EQ(VerdictOf("1k6/8/8/8/8/8/P6P/4K3 w - -"), 0);
}

// The two colours' rook-pawn rules are one tempo apart: with the defender one
// square nearer than the attacker, White's pawn needs Black to move, Black's
// pawn is held whoever moves.
TEST(RecognizeEnding, RookPawnRulesAreOneTempoApart) {
    const std::string white = "8/8/1k1K4/8/8/P7/8/8";
    const std::string black = "8/8/p7/8/8/1K1k4/8/8";
    EXPECT_EQ(VerdictOf(white + " w - -"), 0);
    EXPECT_EQ(VerdictOf(white + " b - -"), -1);
    EXPECT_EQ(VerdictOf(black + " b - -"), -2);
    EXPECT_EQ(VerdictOf(black + " w - -"), -2);
}

TEST(RecognizeEnding, MaterialTooSmallToMate) {
    EXPECT_EQ(VerdictOf("4k3/8/8/8/8/8/8/3NK3 w - -"), -1);    // K+N vs K
    EXPECT_EQ(VerdictOf("3nk3/8/8/8/8/8/8/4K3 w - -"), -2);    // K vs K+N
    EXPECT_EQ(VerdictOf("3nk3/8/8/8/8/8/8/3RK3 w - -"), -1);   // K+R vs K+N
    EXPECT_EQ(VerdictOf("3rk3/8/8/8/8/8/8/2BRK3 w - -"), -1);  // K+R+B vs K+R
    EXPECT_EQ(VerdictOf("3rk3/8/8/8/8/8/PP6/3BK3 w - -"), -2); // K+B+pawns vs K+R
    EXPECT_EQ(VerdictOf("3bk3/pp6/8/8/8/8/8/3RK3 w - -"), -1); // opponent's pawns do not matter
    EXPECT_EQ(VerdictOf("4k3/pp6/8/8/8/8/PP6/3RK3 w - -"), 0); // pawns on both sides
    EXPECT_EQ(VerdictOf("4k3/8/8/8/8/8/8/2NNK3 w - -"), -2);   // two knights: only Black cannot win
    EXPECT_EQ(VerdictOf("4k3/8/8/8/8/8/8/2BNK3 w - -"), -2);   // B+N mates: only Black cannot win
}

TEST(MateLoneKing, BishopAndKnightDriveToTheBishopsCorner) {
    // Dark bishop on c1: a1 and h8 score 100, a8 scores 30.
    EXPECT_EQ(LoneKingTermOf("8/8/8/8/8/2K5/8/k1B1N3 w - -"), 100 - 15 * 2 + 105);
    EXPECT_EQ(LoneKingTermOf("k7/8/2K5/8/8/8/8/2B1N3 w - -"), 30 - 15 * 2 + 105);
    EXPECT_EQ(LoneKingTermOf("7k/8/5K2/8/8/8/8/2B1N3 w - -"), 100 - 15 * 2 + 105);
    // Black's pieces: the tables read at the white king and negated.
    EXPECT_EQ(LoneKingTermOf("2b1n3/8/8/8/8/5k2/8/7K w - -"), -100 + 15 * 2 - 105); // light bishop, h1
}

TEST(MateLoneKing, EdgeAndKingProximity) {
    // Kings in opposition e4/e6, White a rook up: 10 - 30 + 105.
    EXPECT_EQ(LoneKingTermOf("8/8/4k3/8/4K3/8/8/R7 w - -"), 85);
    // b8 holds 0, b1 holds 50: the table is read at the losing king's square.
    EXPECT_EQ(LoneKingTermOf("1k6/8/1K6/8/8/8/8/7R w - -"), 0 - 30 + 105);
    EXPECT_EQ(LoneKingTermOf("7r/8/8/8/8/1k6/8/1K6 w - -"), 30 - 50 - 105);
    EXPECT_EQ(LoneKingTermOf("1K6/8/1k6/8/8/8/8/7r w - -"), 30 - 0 - 105);
    EXPECT_EQ(LoneKingTermOf("8/8/8/8/8/8/8/K6k w - -"), 0);
}

TEST(MateLoneKing, GrowsAsTheKingNearsTheEdge) {
    SetUpPosition("8/8/8/3k4/8/3K4/8/R7 w - -");
    const int32_t centre = FullEvaluate();
    SetUpPosition("8/8/8/8/8/8/1k6/R2K4 w - -");
    const int32_t edge = FullEvaluate();
    EXPECT_EQ(centre, 600 + 0 - 30 + 105);
    EXPECT_GT(edge, centre);
}
