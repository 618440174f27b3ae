// Root search with iterative deepening.
#pragma once

#include "board/Board.h"

template <Color Us> Move Think();
inline Move ThinkWhite() { return Think<White>(); }
inline Move ThinkBlack() { return Think<Black>(); }
inline Move ThinkSide(uint32_t side) { return side == White ? Think<White>() : Think<Black>(); }

// Forget what earlier searches learned (history, cutoff counters, hash, PV).
void ClearSearchMemory();
