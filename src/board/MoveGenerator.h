// Pseudo-legal move generation with first ordering scores.
#pragma once

#include "board/Board.h"

// All pseudo-legal moves of Us; returns the end of the written entries.
template <Color Us> MoveEntry *GenerateMoves(MoveEntry *list, uint32_t inCheck, uint32_t epSquare);
// Captures passing CaptureMargin, plus queen promotions.
template <Color Us> MoveEntry *GenerateCaptures(MoveEntry *list);

inline MoveEntry *GenerateWhiteCaptures(MoveEntry *l) { return GenerateCaptures<White>(l); }
inline MoveEntry *GenerateBlackCaptures(MoveEntry *l) { return GenerateCaptures<Black>(l); }
inline MoveEntry *GenerateSideMoves(uint32_t side, MoveEntry *l, uint32_t inCheck, uint32_t ep) {
    return side == White ? GenerateMoves<White>(l, inCheck, ep) : GenerateMoves<Black>(l, inCheck, ep);
}
