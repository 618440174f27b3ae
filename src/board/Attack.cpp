// Attack, check and legality tests on the current position.
#include "board/Attack.h"

#include <initializer_list>

#include "board/ColorTraits.h"

namespace {

constexpr int DiagonalSteps[4] = {-9, -11, 9, 11};
constexpr int OrthogonalSteps[4] = {-10, -1, 1, 10};

inline bool KingsTouch(Square a, Square b) {
    int df = int(FileOf[a]) - int(FileOf[b]);
    int dr = int(RankOf[a]) - int(RankOf[b]);
    return df >= -1 && df <= 1 && dr >= -1 && dr <= 1;
}

} // namespace

template <Color Side> bool AttackedBy(Square t, uint64_t occupied) {
    using T = ColorTraits<Side>;
    constexpr int Behind = Side == White ? 10 : -10; // Side's pawns attack t from the squares behind it
    if (Board[t + Behind - 1].piece == T::Pawn || Board[t + Behind + 1].piece == T::Pawn) return true;
    if (KnightReach[t] & PieceMask[T::Knight]) return true;
    if (KingReach[t] & PieceMask[T::King]) return true;
    const uint64_t straight = PieceMask[T::Queen] | PieceMask[T::Rook];
    if (StraightLines[t] & straight)
        for (int step : OrthogonalSteps)
            if (FirstAlongIsOneOf(t, step, straight, occupied)) return true;
    const uint64_t diagonal = PieceMask[T::Queen] | PieceMask[T::Bishop];
    if (DiagonalLines[t] & diagonal)
        for (int step : DiagonalSteps)
            if (FirstAlongIsOneOf(t, step, diagonal, occupied)) return true;
    return false;
}

template <Color Us> uint32_t InCheck() { return AttackedBy<ColorTraits<Us>::Them>(KingSquare(Us), Occupied) ? 1 : 0; }

template <Color Us> uint32_t BackRankSquareAttacked(Square s) {
    using T = ColorTraits<Us>;
    // Only the directions leading away from the own back rank: along the rank
    // nothing can attack without also attacking the king, which is not in check.
    if (Board[s + T::CaptureRight].piece == T::EnemyPawn || Board[s + T::CaptureLeft].piece == T::EnemyPawn) return 1;
    constexpr int S = T::Sign;
    for (int step : {-21 * S, -19 * S, -12 * S, -8 * S})
        if (Board[s + step].piece == T::EnemyKnight) return 1;
    for (int step : {-9 * S, -11 * S}) {
        PieceCode c = FirstPieceAlong(s, step);
        if (c == T::EnemyQueen || c == T::EnemyBishop) return 1;
    }
    PieceCode c = FirstPieceAlong(s, -10 * S);
    if (c == T::EnemyQueen || c == T::EnemyRook) return 1;
    return KingsTouch(s, KingSquare(T::Them)) ? 1 : 0;
}

template <Color Us> uint32_t UncoversKing(Square s) {
    using T = ColorTraits<Us>;
    Square k = KingSquare(Us);
    int d = AttackStep[0][s][k];
    if (d == 0) return 0;
    return FirstAlongIsOneOf(k, d, PieceMask[T::EnemyQueen] | PieceMask[SliderFor(T::Them, d)], Occupied) ? 1 : 0;
}

template <Color Us> uint32_t MoveGivesCheck(Move m) {
    using T = ColorTraits<Us>;
    Square from = MoveFrom(m), to = MoveTo(m);
    Square b = KingSquare(T::Them);

    if (IsEnPassant(m) && UncoversKing<T::Them>(to - T::Forward)) return 1;

    if (IsCastling(m)) {
        // The rook now stands next to the king's destination, on the centre side.
        Square rook = CastlingRookTarget(m);
        int step = AttackStep[T::Rook + 1][rook][b];
        if (step == 0) return 0;
        return FirstOccupied(b, step) == rook ? 1 : 0;
    }

    PieceCode c = Board[to].piece;
    int step = AttackStep[c + 1][to][b];
    if (step != 0) {
        if (KindOf(c) == Pawn || KindOf(c) == Knight) return 1;
        if (FirstOccupied(b, step) == to) return 1;
    }

    int d = AttackStep[0][from][b];
    // A discovered check by a slider behind the piece that left.
    return d != 0 && FirstAlongIsOneOf(b, d, PieceMask[T::Queen] | PieceMask[SliderFor(Us, d)], Occupied) ? 1 : 0;
}

namespace {

// A slider of `sliders` first on the line from k along Step checks k: it
// joins the checkers, the squares between it and k the lines.
template <int Step> inline void LineChecker(Square k, uint64_t sliders, uint64_t &checkers, uint64_t &lines) {
    uint64_t before;
    const Square s = FirstOccupiedBefore<Step>(k, before);
    if (SquareBit[s] & sliders) {
        checkers |= SquareBit[s];
        lines |= before;
    }
}

template <int... Steps> inline void LineCheckers(Square k, uint64_t sliders, uint64_t &checkers, uint64_t &lines) {
    (LineChecker<Steps>(k, sliders, checkers, lines), ...);
}

} // namespace

template <Color Us> uint64_t EvasionSquares() {
    using T = ColorTraits<Us>;
    const Square k = KingSquare(Us);
    uint64_t checkers = KnightReach[k] & PieceMask[T::EnemyKnight], lines = 0;
    if (Board[k + T::CaptureLeft].piece == T::EnemyPawn) checkers |= SquareBit[k + T::CaptureLeft];
    if (Board[k + T::CaptureRight].piece == T::EnemyPawn) checkers |= SquareBit[k + T::CaptureRight];
    const uint64_t straight = PieceMask[T::EnemyQueen] | PieceMask[T::EnemyRook];
    if (StraightLines[k] & straight) LineCheckers<-10, -1, 1, 10>(k, straight, checkers, lines);
    const uint64_t diagonal = PieceMask[T::EnemyQueen] | PieceMask[T::EnemyBishop];
    if (DiagonalLines[k] & diagonal) LineCheckers<-11, -9, 9, 11>(k, diagonal, checkers, lines);
    if (checkers == 0) return ~uint64_t(0);
    if (checkers & (checkers - 1)) return 0;
    return checkers | lines;
}

template bool AttackedBy<White>(Square, uint64_t);
template bool AttackedBy<Black>(Square, uint64_t);
template uint32_t InCheck<White>();
template uint32_t InCheck<Black>();
template uint32_t BackRankSquareAttacked<White>(Square);
template uint32_t BackRankSquareAttacked<Black>(Square);
template uint32_t UncoversKing<White>(Square);
template uint32_t UncoversKing<Black>(Square);
template uint32_t MoveGivesCheck<White>(Move);
template uint32_t MoveGivesCheck<Black>(Move);
template uint64_t EvasionSquares<White>();
template uint64_t EvasionSquares<Black>();
