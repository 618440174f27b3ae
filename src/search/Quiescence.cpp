#include "board/Attack.h"
#include "board/ChecksCapsGenerator.h"
#include "board/ColorTraits.h"
#include "board/MoveGenerator.h"
#include "board/MoveMaker.h"
#include "eval/Evaluate.h"
#include "search/MoveOrdering.h"
#include "search/Search.h"
#include "search/SearchParams.h"
#include "search/SearchState.h"

namespace {

// Searches the replies of a quiescence node, best-ordered first, from the
// score the node already has; a check extends into the evasion search.
template <Color Us>
int32_t SearchReplies(MoveEntry *list, MoveEntry *end, uint32_t inCheck, int32_t ply, int32_t qdepth, int32_t a,
                      int32_t b, int32_t best) {
    using T = ColorTraits<Us>;
    constexpr Color Them = T::Them;
    constexpr bool IsWhite = Us == White;
    // White's own bound is alpha and beta cuts off; for black the other way round.
    int32_t &own = IsWhite ? a : b;
    const int32_t cut = IsWhite ? b : a;
    // In check, moves that cannot be legal are passed over untried (with the
    // trace a refused make would leave).
    const uint64_t evasions = inCheck ? EvasionSquares<Us>() : ~uint64_t(0);
    const Square king = KingSquare(Us);
    for (MoveEntry *e = list; e < end; ++e) {
        PickMove(e, end);
        const Move m = e->move;
        if (PassedOver(m, evasions, king)) continue;
        if (!MakeMove(Us, inCheck, uint32_t(ply), m)) continue;
        ++QuiesceNodeCount;
        const int32_t s = MoveGivesCheck<Us>(m) ? Evade<Them>(ply + 1, qdepth - 1, a, b, EpSquareAfter(m))
                                                : Quiesce<Them>(ply + 1, qdepth - 1, a, b);
        UnmakeMove(Us, m);
        if (T::Better(s, best)) {
            best = s;
            UpdatePV(ply, m);
            if (T::Better(s, own)) {
                if (!T::Better(cut, s)) return s;
                own = s;
            }
        }
    }
    return best;
}

} // namespace

// Captures (and at the first level checks) until the position is quiet.
// No table, no repetition test, no poll: the stand pat bounds every node.
template <Color Us> int32_t Quiesce(int32_t ply, int32_t qdepth, int32_t alpha, int32_t beta) {
    using T = ColorTraits<Us>;
    constexpr bool IsWhite = Us == White;

    PVTable[ply][ply] = 0;
    if (ply > SelectiveDepth) SelectiveDepth = ply;
    const int32_t standPat = Evaluate(Us, alpha, beta);
    if (ply >= QuiescePlyCap) return standPat;
    if (!T::Better(IsWhite ? beta : alpha, standPat)) return standPat; // the stand pat cuts off

    int32_t a = alpha, b = beta;
    int32_t &own = IsWhite ? a : b;
    if (T::Better(standPat, own)) own = standPat;
    // A capture must win back the gap between the stand pat and our bound, less a margin.
    const int32_t gap = T::Sign * (own - standPat) - QuiesceCaptureMargin;
    CaptureMargin = gap > 0 ? gap : 0;

    MoveEntry list[MoveListSize];
    MoveEntry *end = qdepth < 0 ? GenerateCaptures<Us>(list) : GenerateChecksAndCaptures<Us>(list);
    return SearchReplies<Us>(list, end, 0, ply, qdepth, a, b, standPat);
}

template <Color Us> int32_t Evade(int32_t ply, int32_t qdepth, int32_t alpha, int32_t beta, uint32_t epSquare) {
    PVTable[ply][ply] = 0;
    if (ply > SelectiveDepth) SelectiveDepth = ply;
    // Checks answered by checks can go on for a long time: cap the chain.
    if (ply >= EvasionPlyCap) return Evaluate(Us, alpha, beta);

    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateMoves<Us>(list, 1, epSquare);
    // No legal evasion: mated here.
    return SearchReplies<Us>(list, end, 1, ply, qdepth, alpha, beta, MatedScore<Us>(ply));
}

template int32_t Quiesce<White>(int32_t, int32_t, int32_t, int32_t);
template int32_t Quiesce<Black>(int32_t, int32_t, int32_t, int32_t);
template int32_t Evade<White>(int32_t, int32_t, int32_t, int32_t, uint32_t);
template int32_t Evade<Black>(int32_t, int32_t, int32_t, int32_t, uint32_t);
