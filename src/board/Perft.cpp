#include "board/Perft.h"

#include "board/Attack.h"
#include "board/ColorTraits.h"
#include "board/MoveGenerator.h"

uint64_t PerftCount = 0;

namespace {

// The count asks the caller every few million leaves whether to give up.
constexpr uint64_t LeavesBetweenChecks = 4u << 20;
bool (*AskToEnd)() = nullptr;
uint64_t NextCheck = 0;
bool Abandoned = false;

} // namespace

template <Color Us> void Perft(int32_t depth, uint32_t epSquare, uint32_t inCheck, uint32_t ply) {
    using T = ColorTraits<Us>;
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateMoves<Us>(list, inCheck, epSquare);
    const MakeFunction make = MoveFunctions.make[Us];
    const UnmakeFunction unmake = MoveFunctions.unmake[Us];
    for (MoveEntry *e = list; e < end; e++) {
        const Move m = e->move;
        if (!make(inCheck, ply, m)) continue;
        if (depth > 1) {
            uint32_t ep = IsDoubleStep(m) ? MoveFrom(m) + T::Forward : 0;
            Perft<T::Them>(depth - 1, ep, MoveGivesCheck<Us>(m), ply + 1);
        } else {
            PerftCount++;
        }
        unmake(m);
        if (Abandoned) return;
    }
    if (depth == 1 && PerftCount >= NextCheck) {
        NextCheck = PerftCount + LeavesBetweenChecks;
        if (AskToEnd != nullptr && AskToEnd()) Abandoned = true;
    }
}

template void Perft<White>(int32_t, uint32_t, uint32_t, uint32_t);
template void Perft<Black>(int32_t, uint32_t, uint32_t, uint32_t);

namespace {

// A new count: counters cleared, the depth capped; false when there is
// nothing to count.
bool StartCount(int32_t &depth, bool (*endRequested)()) {
    PerftCount = 0;
    AskToEnd = endRequested;
    NextCheck = LeavesBetweenChecks;
    Abandoned = false;
    if (depth <= 0) return false;
    // The position history has room for the deepest search path only.
    if (depth > MaxSearchPly) depth = MaxSearchPly;
    SelectMoveFunctions();
    return true;
}

} // namespace

uint64_t PerftRoot(int32_t depth, bool (*endRequested)()) {
    if (!StartCount(depth, endRequested)) return 0;
    if (SideToMove == White)
        Perft<White>(depth, EpSquare, RootInCheck, 0);
    else
        Perft<Black>(depth, EpSquare, RootInCheck, 0);
    AskToEnd = nullptr;
    return PerftCount;
}

bool PerftAbandoned() { return Abandoned; }

namespace {

template <Color Us> void DivideRoot(int32_t depth, void (*each)(Move, uint64_t)) {
    using T = ColorTraits<Us>;
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateMoves<Us>(list, RootInCheck, EpSquare);
    for (MoveEntry *e = list; e < end; e++) {
        const Move m = e->move;
        if (!MoveFunctions.make[Us](RootInCheck, 0, m)) continue;
        const uint64_t before = PerftCount;
        if (depth > 1)
            Perft<T::Them>(depth - 1, IsDoubleStep(m) ? MoveFrom(m) + T::Forward : 0, MoveGivesCheck<Us>(m), 1);
        else
            PerftCount++;
        MoveFunctions.unmake[Us](m);
        if (Abandoned) return;
        each(m, PerftCount - before);
    }
}

} // namespace

uint64_t PerftDivide(int32_t depth, void (*each)(Move, uint64_t), bool (*endRequested)()) {
    if (!StartCount(depth, endRequested)) return 0;
    if (SideToMove == White)
        DivideRoot<White>(depth, each);
    else
        DivideRoot<Black>(depth, each);
    AskToEnd = nullptr;
    return PerftCount;
}
