// Move ordering: hash, killer and principal-variation scores, picking and
// sorting, and the statistics behind the history score and the reductions.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "search/SearchState.h"

// Fixed ordering scores.
constexpr int32_t PVMoveScore = 2000000001;
constexpr int32_t HashMove1Score = 2000000000;
constexpr int32_t HashMove2Score = 1999999999;
constexpr int32_t Killer0Score = 999999999;
constexpr int32_t Killer1Score = 999999998;
constexpr int32_t CaptureScoreBase = 1000000000; // generator scores from here up are captures/promotions
constexpr int32_t HistoryLimit = 500000;

// A quiet move captures nothing and does not promote.
constexpr bool IsQuietMove(Move m) { return !IsCapture(m) && !IsPromotion(m); }

// Late-move reduction test: such moves cut off less than about 70 % of the
// times they were tried at failing-high nodes. 64-bit: the counts grow large.
inline bool LowCutoffRate(PieceCode piece, Square to) {
    return int64_t(CutoffCount[piece][to]) * 16384 / TriedCount[piece][to] < 11468;
}

void ScoreMoves(MoveEntry *begin, MoveEntry *end, int32_t ply, Move hashMove1, Move hashMove2);
// Swaps the best-scored entry of [current, end) into current (first of equals wins).
inline void PickMove(MoveEntry *current, MoveEntry *end) {
    // Score in the high word, the complement of the offset in the low one:
    // the largest key is the best score and, among equals, the first entry.
    // Without a branch per entry the loop does not stall on mispredictions.
    const uint32_t count = uint32_t(end - current);
    int64_t bestKey = INT64_MIN;
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t key = int64_t(uint64_t(int64_t(current[i].score)) << 32 | ~i);
        bestKey = key > bestKey ? key : bestKey;
    }
    MoveEntry *best = current + ~uint32_t(bestKey);
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
