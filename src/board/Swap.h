// Static exchange evaluation: balance of a capture sequence on one square.
#pragma once

#include "board/Board.h"
#include "board/ColorTraits.h"

// Balance for Us of Us's piece on `from` going to `to`, clipped to [alpha, beta].
template <Color Us> int32_t StaticExchange(Square from, Square to, int32_t alpha, int32_t beta);

// True when the full-window exchange of the move from -> to is sure to stay
// below `threshold`, told without collecting attackers; false proves nothing.
// Once an enemy piece worth a can recapture, the exchange ends at most a above
// the loss of our mover: their cheapest recapture is worth no more, and after
// our reply they may stop. Not so on our promotion rank, where a pawn of ours
// that recaptures wins a queen on top. (A pawn of theirs that recaptures onto
// its promotion rank adds a queen to our loss and to what we win back alike.)
template <Color Us> inline bool ExchangeBelow(Square from, Square to, int32_t threshold) {
    using T = ColorTraits<Us>;
    if (RankOf[to] == T::PromotionRank) return false;
    const int32_t b = PieceValue[Board[to].piece] - PieceValue[Board[from].piece];
    if (b + PieceValue[T::EnemyPawn] >= threshold) return false;
    if (Board[to + T::CaptureLeft].piece == T::EnemyPawn || Board[to + T::CaptureRight].piece == T::EnemyPawn)
        return true;
    if (b + PieceValue[T::EnemyKnight] >= threshold) return false;
    if (KnightReach[to] & PieceMask[T::EnemyKnight]) return true;
    // A slider counts when it is the first piece on its line. The mover still
    // stands on its square: it can hide an attacker, never invent one.
    auto firstOn = [to](uint64_t pieces, auto... steps) {
        return (FirstAlongIsOneOf(to, steps, pieces, Occupied) || ...);
    };
    const uint64_t bishops = PieceMask[T::EnemyBishop];
    if (b + PieceValue[T::EnemyBishop] < threshold && (DiagonalLines[to] & bishops) && firstOn(bishops, -11, -9, 9, 11))
        return true;
    const uint64_t rooks = PieceMask[T::EnemyRook];
    return b + PieceValue[T::EnemyRook] < threshold && (StraightLines[to] & rooks) && firstOn(rooks, -10, -1, 1, 10);
}

inline int32_t WhiteStaticExchange(Square f, Square t, int32_t a, int32_t b) {
    return StaticExchange<White>(f, t, a, b);
}
inline int32_t BlackStaticExchange(Square f, Square t, int32_t a, int32_t b) {
    return StaticExchange<Black>(f, t, a, b);
}
