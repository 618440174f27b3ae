// Syzygy tables in the search: the score band of table wins and losses, the
// probe at search nodes, and the root's choice among the moves that keep the
// tables' result.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "search/SearchState.h"
#include "tablebase/Syzygy.h"

// A table win for the side to move at `ply` scores SyzygyWinValue - ply: a
// band of its own above every evaluation (material tops out far below it)
// and below every mate score, so that a found mate still counts for more.
constexpr int32_t SyzygyWinValue = 16000;
constexpr int32_t SyzygyWinBandLow = SyzygyWinValue - MaxSearchPly - 2;
static_assert(SyzygyWinValue <= MateBound, "table wins stay below the mate scores");


// The score, from White's point of view, of a result for `side` to move at
// `ply`; with Syzygy50MoveRule a cursed win and a blessed loss are draws.
int32_t SyzygyScore(SyzygyWdl wdl, uint32_t side, int32_t ply);

// May a node at `ply` with `depth` (quarter plies) left, reached by `last`,
// be probed? Only just after a capture or pawn move (the tables' fifty-move
// count starts there), with no castling right left and few enough pieces.
inline bool SyzygyProbeAllowed(Move last, int32_t depth) {
    if (PieceCount + 2 > SyzygyProbePieces) return false; // also: no tables
    if (depth < 4 * SyzygyProbeDepth) return false;
    if (!IsCapture(last) && !IsPromotion(last) && KindOf(Board[MoveTo(last)].piece) != Pawn) return false;
    return CastleSpoilers[0] && CastleSpoilers[1] && CastleSpoilers[2] && CastleSpoilers[3];
}

// The probe's score for the node (NoScore when the tables give no answer).
int32_t ProbeSyzygy(uint32_t side, int32_t ply, Square epSquare);

// The root result the tables give, for every root move the search keeps
// (White's point of view, as a ply-1 node scores it), or NoScore when the
// tables do not decide the root. Set by FilterRootMoves on the main thread
// before the helper threads start, and only read while they run: one copy
// serves them all.
extern int32_t SyzygyRootScore;

// Main thread, at the root: when the tables hold the root position (and no
// table of our own does, whose exact mates come first), keeps the moves that
// keep the best result, ordered by distance to zeroing (the fastest win, the
// longest defence first), and sets SyzygyRootScore. Returns the new end.
MoveEntry *FilterRootMoves(uint32_t side, MoveEntry *list, MoveEntry *end);

// Plies since the last capture or pawn move of the game (at the root).
uint32_t RootFiftyMoveCount();
