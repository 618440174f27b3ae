// Static exchange evaluation: balance of a capture sequence on one square.
#pragma once

#include "board/Board.h"

// Balance for Us of Us's piece on `from` going to `to`, clipped to [alpha, beta].
template <Color Us> int32_t StaticExchange(Square from, Square to, int32_t alpha, int32_t beta);

inline int32_t WhiteStaticExchange(Square f, Square t, int32_t a, int32_t b) {
    return StaticExchange<White>(f, t, a, b);
}
inline int32_t BlackStaticExchange(Square f, Square t, int32_t a, int32_t b) {
    return StaticExchange<Black>(f, t, a, b);
}
