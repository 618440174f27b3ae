#include "search/Perft.h"

#include <chrono>
#include <cstdio>

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

uint64_t PerftRoot(int32_t depth, bool (*endRequested)()) {
    PerftCount = 0;
    AskToEnd = endRequested;
    NextCheck = LeavesBetweenChecks;
    Abandoned = false;
    if (depth <= 0) return 0;
    // The position history has room for the deepest search path only.
    if (depth > MaxSearchPly) depth = MaxSearchPly;
    SelectMoveFunctions();
    if (SideToMove == White)
        PerftWhite(depth, EpSquare, RootInCheck);
    else
        PerftBlack(depth, EpSquare, RootInCheck);
    AskToEnd = nullptr;
    return PerftCount;
}

bool PerftAbandoned() { return Abandoned; }

void PerftCommand(int32_t depth, bool (*endRequested)()) {
    if (depth <= 0) return;
    auto start = std::chrono::steady_clock::now();
    uint64_t leaves = PerftRoot(depth, endRequested);
    if (Abandoned) return; // a part of the tree is no count at all
    auto elapsed = std::chrono::steady_clock::now() - start;
    int64_t centiseconds = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 10;
    std::printf("Total nodes: %llu\ttime: %g\n", static_cast<unsigned long long>(leaves), double(centiseconds) / 100.0);
    std::fflush(stdout);
}
