#include "eval/EvalTestSupport.h"

namespace {

using Term = int32_t (*)();

template <int32_t Alpha, int32_t Beta> int32_t Lazy() { return Evaluate(SideToMove, Alpha, Beta); }
template <int32_t S> int32_t Scaled() { return ScaleOppositeBishops(S); }
template <int32_t (*F)(uint32_t whiteToMove)> int32_t ForTheMover() { // after the pawn table's entry
    EvaluatePawns();
    return F(SideToMove == White);
}
constexpr Term Verdict = ForTheMover<RecognizeEnding>, Passed = ForTheMover<EvaluatePassedPawns>,
               Race = ForTheMover<EvaluatePawnRace>;
template <Color Us> int32_t Knights() {
    int32_t attack = 0;
    return KnightTerms<Us>(attack);
}
template <uint32_t Side> int32_t Closed() { // the closed-position term against a human
    OpponentIsComputer = 0;
    EngineSide = Side;
    return FreshPawnEntry().score;
}
} // namespace

// Terms worked out by hand. The term weights as a whole are pinned by the
// fixed-depth node count of "morvane bench" (bench/expected-nodes.txt).
TEST(EvalTerms, HandWorkedValues) {
    const struct {
        const char *fen;
        Term term;
        int32_t value;
    } cases[] = {
        {StartPosition, FullEvaluate, 0},
        {StartPosition, Lazy<1000, 32767>, 225},
        {"3nk3/8/8/8/8/8/8/3RK3 w - -", Lazy<1000, 32767>, 0}, // a verdict disables the lazy exits
        {"3nk3/8/8/8/8/8/8/3RK3 w - -", FullEvaluate, 0},
        {"8/8/4k3/8/4K3/8/8/R7 w - -", FullEvaluate, 600 + 85},
        {"4k3/8/8/8/4P3/8/8/4K3 w - -", FullEvaluate, 100 + (7 + 15 - 10 - 6) + 100}, // pawn endings count twice
        {"3q1rk1/5ppp/8/7Q/8/8/5PPP/3R2K1 w - -", FullEvaluate, 36 - 7 + 20},         // king attack 5 x 64 >> 4
        {"3q1rk1/5p1p/8/6pQ/8/8/5PPP/3R2K1 w - -", FullEvaluate, (6 - 7) + 36 - 7 - 12 + 24 + 21},
        {"8/8/8/3k4/8/3K4/8/R7 w - -", FullEvaluate, 600 + 0 - 30 + 105},
        {"4k3/B7/1p6/8/8/8/8/4K3 w - -", TrappedBishops<White>, -175},
        {"1kr5/r7/8/8/8/8/8/4K3 w - -", RookShutIn<Black>, 30}, // one 30 however many rooks
        {"4k3/p7/8/8/8/8/P7/2B1Kb2 w - -", Scaled<5>, 1},
        {"4k3/p7/8/8/8/8/P7/2B1Kb2 w - -", Scaled<-5>, -2},
        {"4k3/8/8/8/8/8/PPP5/2B1Kb2 w - -", Scaled<7>, 3},
        {"r3k3/8/8/8/8/8/PPP5/R1B1Kb2 w - -", Scaled<305>, 302},
        {"4k3/p7/8/8/8/8/P7/2B1K1b1 w - -", Scaled<-5>, -5},
        {"4kb2/p1b5/8/8/8/8/P7/2B1KB2 w - -", Scaled<-5>, -5},
        {"1k6/8/8/8/8/8/P3K3/8 w - -", Verdict, -1},
        {"8/p3k3/8/8/8/8/8/1K6 b - -", Verdict, -2},
        {"7k/8/8/8/8/8/7P/4KB2 w - -", Verdict, -1}, // the wrong bishop
        {"7k/8/8/8/8/8/7P/3KB3 w - -", Verdict, 0},
        {"k3b3/p7/8/8/8/8/8/K7 b - -", Verdict, -2},
        {"1k6/8/8/8/8/8/P6P/4K3 w - -", Verdict, 0},
        {"8/8/1k1K4/8/8/P7/8/8 w - -", Verdict, 0}, // the rook-pawn rules are one tempo apart
        {"8/8/1k1K4/8/8/P7/8/8 b - -", Verdict, -1},
        {"8/8/p7/8/8/1K1k4/8/8 b - -", Verdict, -2},
        {"3rk3/8/8/8/8/8/8/2BRK3 w - -", Verdict, -1},
        {"3rk3/8/8/8/8/8/PP6/3BK3 w - -", Verdict, -2},
        {"3bk3/pp6/8/8/8/8/8/3RK3 w - -", Verdict, -1},
        {"4k3/8/8/8/8/8/8/2NNK3 w - -", Verdict, -2},
        {"8/8/8/8/8/2K5/8/k1B1N3 w - -", MateLoneKing, 100 - 15 * 2 + 105}, // the bishop's corner
        {"2b1n3/8/8/8/8/5k2/8/7K w - -", MateLoneKing, -100 + 15 * 2 - 105},
        {"1k6/8/1K6/8/8/8/8/7R w - -", MateLoneKing, 0 - 30 + 105},
        {"7r/8/8/8/8/1k6/8/1K6 w - -", MateLoneKing, 30 - 50 - 105},
        // A knight on the sixth rank no enemy pawn can chase: square 10, outpost 15, and 12 more on d6/e6 when an
        // enemy pawn stands blocked in front of it.
        {"7k/3p4/3N4/8/8/8/8/4K3 w - -", Knights<White>, 10 + 15 + 12},
        // Supporting pawns add the outpost value again, only half of it for a single pawn while an enemy
        // piece can trade the knight off (a knight, or a bishop of the knight's square colour; d6 is dark).
        {"n6k/8/3N4/2P1P3/8/8/8/4K3 w - -", Knights<White>, 10 + 15 + 15},
        {"n6k/8/3N4/2P5/8/8/8/4K3 w - -", Knights<White>, 10 + 15 + 7},
        {"7k/1b6/3N4/2P5/8/8/8/4K3 w - -", Knights<White>, 10 + 15 + 15},
        {"4k3/8/8/3KP3/8/8/8/8 w - -", Passed, 15},
        {"7k/8/8/8/8/8/P7/4K3 w - -", Race, 600},
        {"8/8/8/1P6/7k/6p1/8/K7 b - -", Race, -640},
        {"8/1P6/8/8/7k/6p1/8/K7 w - -", Race, 640},
        {"8/1P6/8/8/8/7k/6p1/K7 w - -", Race, 0},
        {"4k3/5pp1/8/2ppp3/2PPP3/8/PP6/4K3 w - -", Closed<0>, 0 - 40},
        {"4k3/5pp1/8/2ppp3/2PPP3/8/PP6/4K3 w - -", Closed<1>, 0 + 40},
        {"4k3/5pp1/8/2ppp3/2PPP3/8/PP6/4K3 w - -", Closed<2>, 0 + 40}, // no engine side counts as Black
    };
    for (const auto &c : cases) {
        SetUpPosition(c.fen);
        EXPECT_EQ(c.term(), c.value) << c.fen << ", row " << &c - cases;
    }
    OpponentIsComputer = 1;
}
