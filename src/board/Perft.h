// Perft: counts the leaves of the legal move tree, for move generator checks.
#pragma once

#include <cstdint>

#include "board/Board.h"

extern uint64_t PerftCount;

// Adds the number of legal move paths of `depth` plies from the current
// position, Us to move, to PerftCount. `ply` is the distance from the root.
template <Color Us> void Perft(int32_t depth, uint32_t epSquare, uint32_t inCheck, uint32_t ply);

// Leaves of the current root position (SideToMove, EpSquare, RootInCheck).
// When endRequested is given it is asked every few million leaves; a true
// answer abandons the count (PerftAbandoned() then tells so).
uint64_t PerftRoot(int32_t depth, bool (*endRequested)() = nullptr);
bool PerftAbandoned();
// The count of PerftRoot split by root move: `each` gets every legal root
// move with its leaves, in generation order. Returns the total; an abandoned
// count reports the moves counted in full and returns what it had.
uint64_t PerftDivide(int32_t depth, void (*each)(Move move, uint64_t leaves), bool (*endRequested)() = nullptr);
