// The alpha-beta search below the root and the quiescence search. Minimax
// with scores from white's point of view: white's twins maximise, black's
// minimise; alpha and beta are always the lower and upper bound.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "search/SearchState.h"

// depth in quarter plies; epSquare: target of the double step just played;
// inCheck: the side to move is in check. Fail-soft.
template <Color Us>
int32_t Search(int32_t ply, int32_t depth, int32_t alpha, int32_t beta, uint32_t epSquare, uint32_t inCheck);
template <Color Us> int32_t Quiesce(int32_t ply, int32_t qdepth, int32_t alpha, int32_t beta);
// Quiescence for a side in check; epSquare is the checking double step's target.
template <Color Us> int32_t Evade(int32_t ply, int32_t qdepth, int32_t alpha, int32_t beta, uint32_t epSquare);

// The score of Us being mated at `ply` (white's view): a later mate scores
// closer to zero, so the search prefers the shortest mate and the longest
// defence.
template <Color Us> constexpr int32_t MatedScore(int32_t ply) {
    return Us == White ? ply - MateValue : MateValue - ply;
}

// Node-rate paced input check; sets StopSearch when the search must end.
void PollCheck();
// Repetition or fifty-move draw at `ply`; records the position's key.
bool IsDrawByRule(int32_t ply);

// The search may ask the tablebases after `last` at `ply`.
bool TablebaseProbeAllowed(Move last, int32_t ply);

// Copies the child's line behind `move` into row `ply` of PVTable.
inline void UpdatePV(int32_t ply, Move move) {
    Move *row = PVTable[ply];
    const Move *child = PVTable[ply + 1];
    row[ply] = move;
    int32_t k = ply + 1;
    while (k <= MaxSearchPly && child[k] != 0) {
        row[k] = child[k];
        ++k;
    }
    row[k] = 0;
}
