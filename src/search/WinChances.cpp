// Win, draw and loss chances from a score: two logistic curves, one for the
// win and its mirror for the loss, whose midpoint and spread follow the
// material on the board: what an edge of a pawn is worth in games depends on
// what else is left to play with.
#include "search/WinChances.h"

#include <cmath>

#include "board/Board.h"
#include "search/SearchState.h"

namespace {

// The model's constants, fitted by tools/wdl-fit.py (maximum likelihood,
// degree 2, no floor) to data/wdl/selfplay-1300.csv.gz: 1,300 self-play games
// of tools/wdl-games.py (seed 1, two random plies, then the default book at
// random, then 6 plies a move; 124,552 positions fitted, the 31,250 of every
// fifth game held out). Held-out mean log-loss 0.759, against 0.769 for the
// score alone and 1.077 for constant shares.
//
// x is the material left scaled to [0, 1] (MaterialLeft / MaterialScale);
// win = Logistic((score - Midpoint(x)) / Spread(x)) and loss is the same
// curve at -score. Midpoint and Spread are polynomials in x, lowest power
// first, in centipawns.
constexpr double MidpointCoefficients[] = {177.361, -229.623, 117.742};
constexpr double SpreadCoefficients[] = {88.938, 44.322, -14.732};
// The start position's material (pawns 1, minor pieces 3, rook 5, queen 9).
constexpr double MaterialScale = 78;
// Less material is read as this much (the fit's --floor; the games gave
// enough bare endings not to need one).
constexpr int32_t MaterialFloor = 0;
// The curves' smallest midpoint and spread (centipawns): a midpoint at or
// below zero would leave no room for the draw, a spread at zero none for
// doubt.
constexpr double SmallestMidpoint = 1;
constexpr double SmallestSpread = 1;
// Scores beyond this are sure results already; it keeps exp() finite.
constexpr int32_t ScoreClamp = 10000;
constexpr int32_t PerMille = 1000;

template <size_t N> double Polynomial(const double (&c)[N], double x) {
    double v = 0;
    for (size_t i = N; i-- > 0;)
        v = v * x + c[i];
    return v;
}

double Logistic(double t) { return 1 / (1 + std::exp(-t)); }

} // namespace

int32_t MaterialLeft() {
    int32_t material = 0;
    for (PieceCode c : {WhitePawn, WhiteKnight, WhiteBishop, WhiteRook, WhiteQueen, BlackPawn, BlackKnight, BlackBishop,
                        BlackRook, BlackQueen})
        material += int32_t(PieceLists[c][0] * PieceWeight[c]);
    return material;
}

WinChances ChancesFromScore(int32_t score, int32_t material) {
    if (score > MateBound) return {PerMille, 0, 0};
    if (score < -MateBound) return {0, 0, PerMille};
    const int32_t s = score > ScoreClamp ? ScoreClamp : score < -ScoreClamp ? -ScoreClamp : score;
    const int32_t m = material < MaterialFloor ? MaterialFloor : material;
    const double x = (m > MaterialScale ? MaterialScale : m) / MaterialScale;
    const double midpoint = std::fmax(Polynomial(MidpointCoefficients, x), SmallestMidpoint);
    const double spread = std::fmax(Polynomial(SpreadCoefficients, x), SmallestSpread);
    WinChances c;
    c.win = int32_t(std::lround(PerMille * Logistic((s - midpoint) / spread)));
    c.loss = int32_t(std::lround(PerMille * Logistic((-s - midpoint) / spread)));
    if (c.win + c.loss > PerMille) c.loss = PerMille - c.win; // rounding at the very edge
    c.draw = PerMille - c.win - c.loss;
    return c;
}
