// Move ordering: hash, killer and principal-variation scores, picking and
// sorting, and the statistics behind the history score and the reductions.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "board/MoveScores.h"
#include "search/SearchParams.h"
#include "search/SearchState.h"

// A quiet move captures nothing and does not promote.
constexpr bool IsQuietMove(Move m) { return !IsCapture(m) && !IsPromotion(m); }

// Late-move reduction test: such moves cut off less than about 70 % of the
// times they were tried at failing-high nodes. 64-bit: the counts grow large.
inline bool LowCutoffRate(PieceCode piece, Square to) {
    return int64_t(CutoffCount[piece][to]) * CutoffRateScale / TriedCount[piece][to] < LowCutoffRateLimit;
}

void ScoreMoves(MoveEntry *begin, MoveEntry *end, int32_t ply, Move hashMove1, Move hashMove2);
// Swaps the best-scored entry of [current, end) into current (first of equals wins).
inline void PickMove(MoveEntry *current, MoveEntry *end) {
    // The best score first (a loop without branches), then its first holder.
    int32_t bestScore = current->score;
    for (const MoveEntry *e = current + 1; e < end; ++e)
        bestScore = e->score > bestScore ? e->score : bestScore;
    MoveEntry *best = current;
    while (best->score != bestScore)
        ++best;
    if (best != current) {
        const MoveEntry t = *current;
        *current = *best;
        *best = t;
    }
}
void SortMoves(MoveEntry *begin, MoveEntry *end);

void ClearHistory();
void AgeHistory();

// A quiet move `cutMove` caused a cutoff at a node of `depth`; `searched` are
// the moves searched there so far (cutMove included). Moves are unmade.
void CutoffUpdate(const Move *searched, int32_t count, Move cutMove, int32_t ply, int32_t depth);
// The node ended without a cutoff and its best move is quiet.
void BestMoveUpdate(Move best, int32_t ply, int32_t depth);
