#include "search/SyzygySearch.h"
#include "search/SearchState.h"

#include <algorithm>

#include "tablebase/TablebaseAccess.h"

int32_t SyzygyRootScore = NoScore;

int32_t SyzygyScore(SyzygyWdl wdl, uint32_t side, int32_t ply) {
    int32_t own = 0; // the side to move's view
    switch (wdl) {
    case SyzygyWin:
        own = SyzygyWinValue - ply;
        break;
    case SyzygyLoss:
        own = ply - SyzygyWinValue;
        break;
    case SyzygyCursedWin:
        own = Syzygy50MoveRule ? 0 : SyzygyWinValue - ply;
        break;
    case SyzygyBlessedLoss:
        own = Syzygy50MoveRule ? 0 : ply - SyzygyWinValue;
        break;
    default:
        own = 0;
        break;
    }
    return side == White ? own : -own;
}

int32_t ProbeSyzygy(uint32_t side, int32_t ply, Square epSquare) {
    const SyzygyWdl wdl = SyzygyProbeWdl(side, epSquare);
    if (wdl == SyzygyNoAnswer) return NoScore;
    ++TbHits;
    return SyzygyScore(wdl, side, ply);
}

uint32_t RootFiftyMoveCount() {
    uint32_t count = 0;
    for (uint32_t i = GamePly; i > 0 && !PositionHistory[i].irreversible; --i)
        ++count;
    return count;
}

MoveEntry *FilterRootMoves(uint32_t side, MoveEntry *list, MoveEntry *end) {
    SyzygyRootScore = NoScore;
    if (PieceCount + 2 > SyzygyProbePieces || end - list < 1) return end;
    if (!(CastleSpoilers[0] && CastleSpoilers[1] && CastleSpoilers[2] && CastleSpoilers[3])) return end;
    // Our own tables give exact mates: where they hold the position they decide.
    if (TbLimit >= int32_t(PieceCount) && ProbeTablebase(0, EpSquare, side) != NoScore) return end;

    SyzygyRootMove moves[MaxMoves];
    const int count = int(std::min<ptrdiff_t>(end - list, MaxMoves));
    for (int i = 0; i < count; ++i)
        moves[i].move = list[i].move;
    if (!SyzygyProbeRoot(side, EpSquare, RootFiftyMoveCount(), moves, count)) return end;
    ++TbHits;

    int32_t best = -2;
    for (int i = 0; i < count; ++i)
        best = std::max(best, SyzygyResultRank(moves[i].wdl));
    // Within the kept result: a win as fast as possible, a loss as slow as
    // possible, and among draws the spoiled wins first, the saved losses last.
    auto preference = [](const SyzygyRootMove &m) {
        const int32_t dtz = std::min(m.dtz, 10000);
        switch (m.wdl) {
        case SyzygyWin:
            return dtz;
        case SyzygyCursedWin:
            return Syzygy50MoveRule ? -20000 + dtz : dtz;
        case SyzygyDraw:
            return 0;
        case SyzygyBlessedLoss:
            return Syzygy50MoveRule ? 20000 - dtz : -dtz;
        default:
            return -dtz;
        }
    };
    MoveEntry *kept = list;
    for (int i = 0; i < count; ++i)
        if (SyzygyResultRank(moves[i].wdl) == best) {
            // Slots before i are already consumed, so kept never overtakes i.
            moves[kept - list] = moves[i];
            *kept++ = list[i];
        }
    const int keptCount = int(kept - list);
    std::stable_sort(moves, moves + keptCount,
                     [&](const SyzygyRootMove &a, const SyzygyRootMove &b) { return preference(a) < preference(b); });
    for (int i = 0; i < keptCount; ++i)
        for (MoveEntry *e = list + i; e < kept; ++e)
            if (e->move == moves[i].move) {
                std::swap(*e, list[i]);
                break;
            }
    // The score every kept move gets: the result one ply down.
    SyzygyRootScore = best > 0 ? SyzygyScore(SyzygyWin, side, 1) : best < 0 ? SyzygyScore(SyzygyLoss, side, 1) : 0;
    return kept;
}
