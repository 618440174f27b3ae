// Attack, check and legality tests. All read the current position only.
#pragma once

#include "board/Board.h"

// Is t attacked by Side, with `occupied` standing for the occupied squares
// (Occupied, or Occupied less a piece that has left)?
template <Color Side> bool AttackedBy(Square t, uint64_t occupied);
// Is Us's king attacked?
template <Color Us> uint32_t InCheck();
// Is square s on Us's back rank attacked by the enemy (castling squares only)?
template <Color Us> uint32_t BackRankSquareAttacked(Square s);
// A piece of Us has just left s (move already made): is Us's king now exposed?
template <Color Us> uint32_t UncoversKing(Square s);
// Does the move of Us, already made, give check to the enemy king?
template <Color Us> uint32_t MoveGivesCheck(Move m);

// Against a check on Us's king, the squares that a move of another piece
// must reach to be legal at all: the checker's and those between it and the
// king; none against a double check, all when Us is not in check.
template <Color Us> uint64_t EvasionSquares();
// Can Us's move m be legal, given EvasionSquares<Us>() and Us's king square?
// King moves and en-passant captures always need the full test.
inline bool MayEvade(Move m, uint64_t evasions, Square king) {
    return (SquareBit[MoveTo(m)] & evasions) != 0 || MoveFrom(m) == king || IsEnPassant(m);
}

inline uint32_t SideInCheck(uint32_t side) { return side == White ? InCheck<White>() : InCheck<Black>(); }
