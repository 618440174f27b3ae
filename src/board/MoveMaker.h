// Make and unmake. Make returns 1 after a legal move, 0 when the move would
// leave the own king in check or castle through check: the position is then
// as it was, but for the order of piece lists (see RefusedMoveTrace).
#pragma once

#include "board/Attack.h"
#include "board/Board.h"

template <Color Us> void AddPiece(PieceCode c, Square s);
template <Color Us> void RemovePiece(PieceCode c, Square s);

// How much castling bookkeeping make and unmake do: none (no right left), the
// standard layout with its fixed corners, or any layout (Chess960).
enum CastlingRule { NoCastling, CornerCastling, AnyCastling };

template <Color Us, CastlingRule Rule> uint32_t MakeMoveOf(uint32_t inCheck, uint32_t ply, Move m);
template <Color Us, CastlingRule Rule> void UnmakeMoveOf(Move m);
// Unmakes a move of the game, castling or not, whatever the move functions
// now installed (they may have dropped castling since).
template <Color Us> void UnmakeGameLevelMove(Move m) {
    if (CastlingAnyLayout)
        UnmakeMoveOf<Us, AnyCastling>(m);
    else
        UnmakeMoveOf<Us, CornerCastling>(m);
}

// What make leaves behind when it refuses m, done without making m: a piece
// taken off its list and put back lands at the end of the list (the captured
// piece, and a promoting pawn). Lets a caller pass over a move it knows to be
// illegal with everything as if make had been tried.
void RefusedMoveTrace(Move m);

// In check: passes over m, with that trace, when it cannot answer the check
// (see MayEvade); false when it needs make's full test.
inline bool PassedOver(Move m, uint64_t evasions, Square king) {
    if (MayEvade(m, evasions, king)) return false;
    RefusedMoveTrace(m);
    return true;
}
