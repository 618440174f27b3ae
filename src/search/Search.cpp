#include "search/Search.h"

#include "board/Attack.h"
#include "board/ColorTraits.h"
#include "board/MoveGenerator.h"
#include "board/MoveMaker.h"
#include "eval/Evaluate.h"
#include "search/MoveOrdering.h"
#include "search/SearchHost.h"
#include "search/SearchParams.h"
#include "search/SearchState.h"
#include "search/SyzygySearch.h"
#include "search/Threads.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "tablebase/TablebaseAccess.h"

void PollCheck() {
    if (NodeCount < NextPollCheck) return;
    if (IsHelperThread()) { // helpers leave input and clock to the main thread
        NextPollCheck = NodeCount + 1024;
        if (HelpersMustStop()) StopSearch = 1;
        return;
    }
    if (NodeLimit != 0 && NodeCount + QuiesceNodeCount >= NodeLimit) {
        StopSearch = 1;
        return;
    }
    if (SearchHost.checkInput()) {
        StopSearch = 1;
        return;
    }
    const int64_t now = ElapsedMilliseconds();
    if (now == LastPollTime) return; // the clock has not moved: try again at the next node
    uint64_t rate = 65535;
    if (now > LastPollTime && NodeCount >= LastPollNodes)
        rate = (NodeCount - LastPollNodes) * 1000 / uint64_t(now - LastPollTime);
    NodesPerSecond = rate;
    LastPollNodes = NodeCount;
    LastPollTime = now;
    uint64_t interval = PollInterval(rate);
    if (NodeLimit != 0) {
        // Look again before the node limit can be passed by much.
        const uint64_t left = NodeLimit - (NodeCount + QuiesceNodeCount);
        if (interval > left / 2) interval = left / 2;
    }
    NextPollCheck = NodeCount + interval;
}

bool TablebaseProbeAllowed(Move last, int32_t ply) {
    // Signed: a limit of -2 (no tables) never probes, not even a bare-king ending.
    return TbProbeAllowed(PieceCount) && (IsCapture(last) || IsPromotion(last) || ply < 2);
}

bool IsDrawByRule(int32_t ply) {
    const int32_t i = int32_t(GamePly) + ply;
    const HistoryEntry &here = PositionHistory[i];
    PositionHistory[i].keyLow = KeyLow(HashKey);
    PositionHistory[i].keyHigh = KeyHigh(HashKey);
    for (int32_t k = i; k >= i - 3; --k)
        if (k < 0 || PositionHistory[k].irreversible) return false;
    for (int32_t j = i - 4; j >= i - 100; j -= 2) {
        if (j < 0) return false;
        if (PositionHistory[j].keyLow == here.keyLow && PositionHistory[j].keyHigh == here.keyHigh) return true;
        if (PositionHistory[j].irreversible || j == 0 || PositionHistory[j - 1].irreversible) return false;
    }
    return true; // a hundred reversible plies: the fifty-move draw
}

namespace {

// The opponent has just undone his previous move: find our move that undoes
// our own last move and so repeats the position of four plies ago.
MoveEntry *FindReversal(int32_t ply, MoveEntry *begin, MoveEntry *end) {
    const Move m1 = MoveAtPly(ply - 1), m2 = MoveAtPly(ply - 2), m3 = MoveAtPly(ply - 3);
    if (IsCapture(m1) || IsCapture(m2) || IsCapture(m3)) return nullptr;
    if (IsPromotion(m2) || IsPromotion(m3)) return nullptr;
    if (IsCastling(m2) || IsCastling(m3)) return nullptr; // a king move never undoes a castling
    if (MoveTo(m1) != MoveFrom(m3) || MoveFrom(m1) != MoveTo(m3)) return nullptr;
    for (MoveEntry *e = begin; e < end; ++e)
        if (MoveFrom(e->move) == MoveTo(m2) && MoveTo(e->move) == MoveFrom(m2)) return e;
    return nullptr;
}

inline int32_t CapturedValue(Move m) { return MoveCaptured(m) < 14 ? PieceValue[MoveCaptured(m)] : 0; }

inline int32_t ClearRow(int32_t ply, int32_t score) {
    PVTable[ply][ply] = 0;
    return score;
}

// Forcing lines are searched deeper: the side to move in check, an enemy pawn
// one step from promotion, a recapture of equal value. Returns the extension.
template <Color Us> [[gnu::always_inline]] inline int32_t Extension(int32_t ply, uint32_t inCheck) {
    using T = ColorTraits<Us>;
    const Move last = MoveAtPly(ply - 1);
    const Move beforeLast = MoveAtPly(ply - 2);
    if (inCheck) return ForcingExtension;
    if (Board[MoveTo(last)].piece == T::EnemyPawn && RankOf[MoveTo(last)] == T::SecondRank) return ForcingExtension;
    if (MoveTo(last) == MoveTo(beforeLast) && CapturedValue(last) > RecaptureMinValue &&
        CapturedValue(last) == CapturedValue(beforeLast))
        return ForcingExtension;
    return 0;
}

// The null move: the opponent moves twice. When even that does not lift the
// score off the cut bound, the node cuts off; deep cutoffs are verified with a
// reduced search of the real moves. Returns the node's result, or NoScore to
// go on; a mate threat found on the way deepens the node.
template <Color Us>
[[gnu::always_inline]] inline int32_t NullMoveResult(int32_t ply, int32_t &depth, int32_t own, int32_t cut,
                                                     uint32_t epSquare, Move hashMove1, Move hashMove2,
                                                     MoveEntry *list) {
    using T = ColorTraits<Us>;
    constexpr Color Them = T::Them;
    constexpr bool IsWhite = Us == White;
    auto cuts = [&](int32_t s) { return !T::Better(cut, s); };
    // Null window at the cut bound: white (beta - 1, beta), black (alpha, alpha + 1).
    const int32_t nullAlpha = IsWhite ? cut - 1 : cut, nullBeta = IsWhite ? cut : cut + 1;

    PositionHistory[GamePly + ply + 1].irreversible = 1;
    const int32_t n = depth - NullMoveReduction >= OnePly
                          ? Search<Them>(ply + 1, depth - NullMoveReduction, nullAlpha, nullBeta, 0, 0)
                          : Quiesce<Them>(ply + 1, 0, nullAlpha, nullBeta);
    if (StopSearch) return own;
    if (T::Sign * n < -MateThreatScore) depth += MateThreatExtension;
    if (!cuts(n)) return NoScore;
    if (depth < NullVerifyDepth) return ClearRow(ply, n);

    MoveEntry *end = GenerateMoves<Us>(list, 0, epSquare);
    ScoreMoves(list, end, ply, hashMove1, hashMove2);
    for (MoveEntry *e = list; e < end; ++e) {
        PickMove(e, end);
        const Move m = e->move;
        if (!MakeMove(Us, 0, uint32_t(ply), m)) continue;
        MoveAtPly(ply) = m;
        const int32_t v = Search<Them>(ply + 1, depth - NullVerifyReduction, nullAlpha, nullBeta, EpSquareAfter(m),
                                       MoveGivesCheck<Us>(m));
        UnmakeMove(Us, m);
        if (StopSearch) return own;
        if (cuts(v)) return ClearRow(ply, v);
    }
    MoveAtPly(ply) &= ~0xff00u;
    return NoScore;
}

} // namespace

template <Color Us>
int32_t Search(int32_t ply, int32_t depth, int32_t alpha, int32_t beta, uint32_t epSquare, uint32_t inCheck) {
    using T = ColorTraits<Us>;
    constexpr Color Them = T::Them;
    constexpr bool IsWhite = Us == White;

    // Step 1. The node: count it, poll the input, end at a draw or the ply cap.
    ++NodeCount;
    if (ply > SelectiveDepth) SelectiveDepth = ply;
    PollCheck();
    if (StopSearch) return alpha;
    if (IsDrawByRule(ply)) return ClearRow(ply, 0);
    // The Syzygy tables have settled every move the root kept.
    if (ply == 1 && SyzygyRootScore != NoScore) return ClearRow(ply, SyzygyRootScore);
    if (ply >= MainSearchPlyCap) return ClearRow(ply, Evaluate(Us, alpha, beta));

    // White's own bound is alpha (raised by better moves) and beta cuts off;
    // for black it is the other way round.
    int32_t &own = IsWhite ? alpha : beta;
    int32_t &cut = IsWhite ? beta : alpha;
    const int32_t entryOwn = own;
    auto better = [](int32_t a, int32_t b) { return T::Better(a, b); };
    auto cuts = [&](int32_t s) { return !better(cut, s); }; // white: s >= beta, black: s <= alpha

    // Step 2. Extensions, at most one.
    const int32_t extension = Extension<Us>(ply, inCheck);
    depth += extension;

    // Step 3. Frontier pruning: cut when material and the evaluation already
    // do; no full-width depth left when material cannot reach our bound.
    if (extension == 0 && depth <= FrontierDepth) {
        if (T::OwnWeight() > FrontierCutMinWeight && cuts(Material) &&
            cuts(Evaluate(Us, IsWhite ? cut - 1 : cut, IsWhite ? cut : cut + 1)))
            return ClearRow(ply, cut);
        if (!better(Material, own)) depth = 0;
    }

    // Step 4. Transposition table.
    Move hashMove1 = 0, hashMove2 = 0;
    const int32_t probed = ProbeHash<Us>(depth, alpha, beta, ply, hashMove1, hashMove2);
    if (probed != NoScore) return ClearRow(ply, probed);

    // Step 5. Tablebases.
    const Move last = MoveAtPly(ply - 1);
    if (TablebaseProbeAllowed(last, ply)) {
        const int32_t r = ProbeTablebase(uint32_t(ply), epSquare, Us);
        if (r != NoScore) {
            ++TbHits;
            return ClearRow(ply, r);
        }
    }
    // Syzygy where our own tables gave no answer.
    if (SyzygyProbeAllowed(last, depth)) {
        const int32_t r = ProbeSyzygy(Us, ply, epSquare);
        if (r != NoScore) return ClearRow(ply, r);
    }

    // Step 6. Less than a ply left: quiescence.
    if (depth < OnePly) {
        const int32_t q = Quiesce<Us>(ply, 0, alpha, beta);
        const uint32_t bound = q >= beta ? LowerBound : (q > alpha ? ExactScore : UpperBound);
        StoreHash<Us>(q, QuiesceStoreDepth, bound, ply, 0);
        return q;
    }

    // Start loading what the first children will probe: the null move's and
    // the hash move's positions.
    if (depth >= NullMoveMinDepth) PrefetchHash<Them>();
    if (hashMove1 != 0) PrefetchHashAfterStored<Us>(hashMove1);

    MoveAtPly(ply) &= ~0xff00u; // no move yet: a child sees a null move here
    MoveEntry list[MoveListSize];

    // Step 7. Null move, with its verification.
    if (depth >= NullMoveMinDepth && !inCheck && MoveTo(last) != 0 && T::OwnWeight() >= NullMoveMinWeight &&
        cuts(Material + T::Sign * NullMoveMargin)) {
        const int32_t r = NullMoveResult<Us>(ply, depth, own, cut, epSquare, hashMove1, hashMove2, list);
        if (r != NoScore) return r;
    }

    // Step 8. The moves; the move that repeats the position scores 0 unsearched.
    MoveEntry *end = GenerateMoves<Us>(list, inCheck, epSquare);
    const int32_t mated = MatedScore<Us>(ply);
    int32_t best = mated;
    Move bestMove = 0;
    bool legalMove = false;
    if (MoveEntry *rep = FindReversal(ply, list, end)) {
        const Move m = rep->move;
        best = 0;
        PVTable[ply][ply] = m;
        PVTable[ply][ply + 1] = 0;
        if (cuts(0)) return 0;
        if (better(0, own)) {
            own = 0;
            bestMove = m;
        }
        *rep = *--end;
        legalMove = true;
    }

    // Step 9. Internal deepening: no hash move, so find one.
    if (depth >= InternalDeepeningDepth && hashMove1 == 0 && hashMove2 == 0) {
        Search<Us>(ply, depth - InternalDeepeningReduction, alpha, beta, epSquare, inCheck);
        if (StopSearch) return own;
        hashMove1 = PVTable[ply][ply];
    }

    ScoreMoves(list, end, ply, hashMove1, hashMove2);

    // Step 10. The move loop, with late-move reductions.
    Move searched[MoveListSize];
    int32_t searchedCount = 0;
    // In check, most moves cannot be legal: they are passed over untried,
    // leaving the trace a refused make would, so the order stays as it was.
    const uint64_t evasions = inCheck ? EvasionSquares<Us>() : ~uint64_t(0);
    const Square king = KingSquare(Us);
    for (MoveEntry *e = list; e < end; ++e) {
        PickMove(e, end);
        const Move m = e->move;
        if (PassedOver(m, evasions, king)) continue;
        PrefetchHashAfter<Us>(m);
        if (!MakeMove(Us, inCheck, uint32_t(ply), m)) continue;
        PrefetchHash<Them>();
        MoveAtPly(ply) = m;
        legalMove = true;
        const uint32_t givesCheck = MoveGivesCheck<Us>(m);
        const uint32_t ep = EpSquareAfter(m);
        int32_t r = 0;
        if (depth >= ReductionMinDepth && !inCheck && !givesCheck && e->score < HistoryLimit && !IsCapture(m) &&
            searchedCount >= FullDepthMoves) {
            if (LowCutoffRate(Board[MoveTo(m)].piece, MoveTo(m))) r = LateMoveReduction + ExtraLateMoveReduction;
        }
        int32_t s = Search<Them>(ply + 1, depth - r - OnePly, alpha, beta, ep, givesCheck);
        if (r != 0 && better(s, own) && !StopSearch)
            s = Search<Them>(ply + 1, depth - OnePly, alpha, beta, ep, givesCheck); // the reduction failed
        UnmakeMove(Us, m);
        if (StopSearch) return own;
        searched[searchedCount++] = m;
        if (better(s, best)) {
            best = s;
            UpdatePV(ply, m);
            if (better(s, own)) {
                if (cuts(s)) {
                    if (IsQuietMove(m)) CutoffUpdate(searched, searchedCount, m, ply, depth);
                    StoreHash<Us>(s, depth, IsWhite ? LowerBound : UpperBound, ply, m);
                    return s;
                }
                own = s;
                bestMove = m;
            }
        }
    }

    // Step 11. The result: mate or stalemate without a legal move; otherwise
    // the best score, stored with its bound.
    if (!legalMove) return ClearRow(ply, inCheck ? mated : 0);
    if (bestMove != 0 && IsQuietMove(bestMove)) BestMoveUpdate(bestMove, ply, depth);
    const bool failedLow = IsWhite ? best <= entryOwn : best >= entryOwn;
    StoreHash<Us>(best, depth, failedLow ? (IsWhite ? UpperBound : LowerBound) : ExactScore, ply, bestMove);
    return best;
}

template int32_t Search<White>(int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t);
template int32_t Search<Black>(int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t);
