#include "search/MoveOrdering.h"

#include "search/SearchState.h"

constinit thread_local int32_t CutoffCount[14][128];
constinit thread_local int32_t TriedCount[14][128];
constinit thread_local Move KillerMoves[MaxSearchPly + 2][2];
constinit thread_local uint32_t FollowPV = 0;
constinit thread_local int32_t ExtraLateMoveReduction = 0;

void ScoreMoves(MoveEntry *begin, MoveEntry *end, int32_t ply, Move hashMove1, Move hashMove2) {
    const Move killer0 = KillerMoves[ply][0];
    const Move killer1 = KillerMoves[ply][1];
    for (MoveEntry *e = begin; e < end; ++e) {
        if (e->move == hashMove1)
            e->score = HashMove1Score;
        else if (e->move == hashMove2)
            e->score = HashMove2Score;
        else if (e->move == killer0 && e->score < CaptureScoreBase)
            e->score = Killer0Score;
        else if (e->move == killer1 && e->score < CaptureScoreBase)
            e->score = Killer1Score;
    }
    if (FollowPV) {
        const Move pv = PVTable[0][ply];
        FollowPV = 0;
        for (MoveEntry *e = begin; e < end; ++e) {
            if (e->move == pv) {
                e->score = PVMoveScore;
                FollowPV = 1;
                break;
            }
        }
    }
}

void SortMoves(MoveEntry *begin, MoveEntry *end) {
    for (MoveEntry *i = begin; i < end; ++i) {
        for (MoveEntry *j = end - 1; j > i; --j) {
            if (i->score < j->score) {
                const MoveEntry t = *i;
                *i = *j;
                *j = t;
            }
        }
    }
}

void ClearHistory() {
    for (int c = 0; c < 14; ++c) {
        for (int s = 0; s < 120; ++s)
            HistoryScore[c][s] = 0;
        for (int s = 0; s < 128; ++s)
            CutoffCount[c][s] = TriedCount[c][s] = 1;
    }
}

void AgeHistory() {
    for (int c = 0; c < 14; ++c)
        for (int s = 0; s < 120; ++s)
            HistoryScore[c][s] >>= 1;
}

namespace {

void EnterKiller(Move m, int32_t ply) {
    if (KillerMoves[ply][0] != m) {
        KillerMoves[ply][1] = KillerMoves[ply][0];
        KillerMoves[ply][0] = m;
    }
}

void AddHistory(Move m, int32_t bonus) {
    int32_t &h = HistoryScore[Board[MoveFrom(m)].piece][MoveTo(m)];
    h += bonus;
    if (h >= HistoryLimit) AgeHistory();
}

} // namespace

void CutoffUpdate(const Move *searched, int32_t count, Move cutMove, int32_t ply, int32_t depth) {
    for (int32_t i = 0; i < count; ++i) {
        const Move m = searched[i];
        if (!IsQuietMove(m)) continue;
        const PieceCode piece = Board[MoveFrom(m)].piece;
        const Square to = MoveTo(m);
        if (TriedCount[piece][to] + 1 >= HistoryLimit) {
            TriedCount[piece][to] = (TriedCount[piece][to] + 2) / 2;
            CutoffCount[piece][to] = (CutoffCount[piece][to] + 1) / 2;
        } else {
            TriedCount[piece][to] += 1;
        }
    }
    CutoffCount[Board[MoveFrom(cutMove)].piece][MoveTo(cutMove)] += 1;
    EnterKiller(cutMove, ply);
    const int32_t d = depth / 4;
    AddHistory(cutMove, d * d);
}

void BestMoveUpdate(Move best, int32_t ply, int32_t depth) {
    EnterKiller(best, ply);
    const int32_t d = depth / 4;
    AddHistory(best, 4 * d * d);
}
