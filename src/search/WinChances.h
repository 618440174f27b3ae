// What a score means in games: the chances of a win, a draw and a loss.
#pragma once

#include <cstdint>

// Per mille, from the point of view of the side the score belongs to; the
// three always sum to 1000.
struct WinChances {
    int32_t win;
    int32_t draw;
    int32_t loss;
};

// The material on the board, both sides: pawns 1, knights and bishops 3,
// rooks 5, queens 9 (78 at the start).
int32_t MaterialLeft();

// The chances that go with `score` (centipawns; a mate score is a sure win
// or loss) with `material` (as MaterialLeft) on the board.
WinChances ChancesFromScore(int32_t score, int32_t material);
