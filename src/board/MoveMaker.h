// Make and unmake. Make returns 1 after a legal move, 0 (position untouched)
// when the move would leave the own king in check or castle through check.
#pragma once

#include "board/Board.h"

template <Color Us> void AddPiece(PieceCode c, Square s);
template <Color Us> void RemovePiece(PieceCode c, Square s);

template <Color Us, bool Castling> uint32_t MakeMoveOf(uint32_t inCheck, uint32_t ply, Move m);
template <Color Us, bool Castling> void UnmakeMoveOf(Move m);
