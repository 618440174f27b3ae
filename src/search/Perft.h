// Perft: counts the leaves of the legal move tree, for move generator checks.
#pragma once

#include <cstdint>

#include "board/Board.h"

extern uint64_t PerftCount;

// Adds the number of legal move paths of `depth` plies from the current
// position, Us to move, to PerftCount. `ply` is the distance from the root.
template <Color Us> void Perft(int32_t depth, uint32_t epSquare, uint32_t inCheck, uint32_t ply);

inline void PerftWhite(int32_t depth, uint32_t epSquare, uint32_t inCheck) {
    Perft<White>(depth, epSquare, inCheck, 0);
}
inline void PerftBlack(int32_t depth, uint32_t epSquare, uint32_t inCheck) {
    Perft<Black>(depth, epSquare, inCheck, 0);
}

// Leaves of the current root position (SideToMove, EpSquare, RootInCheck).
// When endRequested is given it is asked every few million leaves; a true
// answer abandons the count (PerftAbandoned() then tells so).
uint64_t PerftRoot(int32_t depth, bool (*endRequested)() = nullptr);
bool PerftAbandoned();

// The "perft" command: nothing for depth <= 0, otherwise one line
// "Total nodes: N<tab>time: S" on standard output; nothing either when the
// count was abandoned.
void PerftCommand(int32_t depth, bool (*endRequested)() = nullptr);
