// Attack, check and legality tests. All read the current position only.
#pragma once

#include "board/Board.h"

// Is Us's king attacked?
template <Color Us> uint32_t InCheck();
// Is square s on Us's back rank attacked by the enemy (castling squares only)?
template <Color Us> uint32_t BackRankSquareAttacked(Square s);
// A piece of Us has just left s (move already made): is Us's king now exposed?
template <Color Us> uint32_t UncoversKing(Square s);
// Does the move of Us, already made, give check to the enemy king?
template <Color Us> uint32_t MoveGivesCheck(Move m);

inline uint32_t WhiteInCheck() { return InCheck<White>(); }
inline uint32_t BlackInCheck() { return InCheck<Black>(); }
inline uint32_t BackRankSquareAttackedByBlack(Square s) { return BackRankSquareAttacked<White>(s); }
inline uint32_t BackRankSquareAttackedByWhite(Square s) { return BackRankSquareAttacked<Black>(s); }
inline uint32_t WhiteMoveGivesCheck(Move m) { return MoveGivesCheck<White>(m); }
inline uint32_t BlackMoveGivesCheck(Move m) { return MoveGivesCheck<Black>(m); }
inline uint32_t SideInCheck(uint32_t side) { return side == White ? InCheck<White>() : InCheck<Black>(); }
