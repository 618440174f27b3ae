// Root search with iterative deepening.
#pragma once

#include "board/Board.h"

template <Color Us> Move Think();
inline Move ThinkSide(uint32_t side) { return side == White ? Think<White>() : Think<Black>(); }

// Searches one root move; the score is white's view. first: the iteration's first move.
template <Color Us> int32_t SearchRootMove(int32_t alpha, int32_t beta, Move move, int32_t moveScore, bool first);

// Row 0 of PVTable becomes principal line k (PrincipalLines).
void LoadPrincipalLine(int32_t k);

// Forget what earlier searches learned (history, cutoff counters, hash, PV,
// the previous score). The book's miss counter is the shell's to reset.
void ClearSearchMemory();

constexpr int32_t MaxIterationDepth = 61;
