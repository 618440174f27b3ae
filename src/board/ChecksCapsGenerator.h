// Captures, queen promotions and checking moves for the first quiescence plies.
#pragma once

#include "board/Board.h"

template <Color Us> MoveEntry *GenerateChecksAndCaptures(MoveEntry *list);

inline MoveEntry *GenerateWhiteChecksAndCaptures(MoveEntry *l) { return GenerateChecksAndCaptures<White>(l); }
inline MoveEntry *GenerateBlackChecksAndCaptures(MoveEntry *l) { return GenerateChecksAndCaptures<Black>(l); }
