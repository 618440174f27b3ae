// Helper threads of the "lazy" kind: each runs its own iterative deepening
// over the root moves, without window or time, until the main thread stops
// it. What they find reaches the main thread through the shared
// transposition table only.
#include "search/Threads.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "board/Attack.h"
#include "board/ColorTraits.h"
#include "eval/EvalState.h"
#include "search/MoveOrdering.h"
#include "search/RootSearch.h"
#include "search/Search.h"
#include "search/SearchState.h"

namespace {

std::atomic<int32_t> ThreadCount{1};
std::atomic<bool> StopRequested{false};
std::atomic<int32_t> Running{0};
constinit thread_local bool HelperThread = false;

std::vector<std::thread> Helpers;
// Pawn tables of the helpers, emptied for every search: an entry's score also
// depends on settings (the opponent, the engine's side) that change between
// searches.
std::vector<std::unique_ptr<PawnHashEntry[]>> HelperPawnTables;

// What a helper copies from the main thread before it starts.
struct HelperStart {
    PositionState position;
    Move moveStack[MaxSearchPly + MoveStackOffset + 2];
    MoveEntry root[MoveListSize];
    int32_t rootCount;
};

template <Color Us> void HelperSearch(MoveEntry *list, MoveEntry *end, int32_t id) {
    using T = ColorTraits<Us>;
    // Helpers of odd number start a ply deeper, so that the threads spread
    // over two depths instead of all racing through the same one.
    for (int32_t depth = 1 + (id & 1); depth <= MaxIterationDepth; ++depth) {
        int32_t alpha = -MateValue, beta = MateValue;
        int32_t &own = Us == White ? alpha : beta;
        FollowPV = 0;
        for (MoveEntry *e = list; e < end; ++e) {
            const Move m = e->move;
            if (!MakeMove(Us, RootInCheck, 0, m)) continue;
            MoveAtPly(0) = m;
            const int32_t s = Search<T::Them>(1, depth * 4 - 4, alpha, beta, EpSquareAfter(m), MoveGivesCheck<Us>(m));
            UnmakeMove(Us, m);
            if (StopSearch) return;
            if (T::Better(s, own)) {
                own = s;
                const MoveEntry found = *e;
                for (MoveEntry *p = e; p > list; --p)
                    *p = *(p - 1);
                list[0] = found;
            }
        }
    }
}

void RunHelper(std::shared_ptr<HelperStart> start, PawnHashEntry *pawnTable, int32_t id) {
    HelperThread = true;
    ThreadPawnTable = pawnTable;
    RestorePosition(start->position);
    for (int i = 0; i < MaxSearchPly + MoveStackOffset + 2; ++i)
        MoveStack[i] = start->moveStack[i];
    ClearHistory();
    StopSearch = 0;
    NodeCount = QuiesceNodeCount = 0;
    NextPollCheck = 0;
    // Each helper orders the root moves its own way: a copy of its own.
    MoveEntry list[MoveListSize];
    for (int32_t i = 0; i < start->rootCount; ++i)
        list[i] = start->root[i];
    MoveEntry *end = list + start->rootCount;
    if (SideToMove == White)
        HelperSearch<White>(list, end, id);
    else
        HelperSearch<Black>(list, end, id);
    Running.fetch_sub(1);
}

} // namespace

void SetSearchThreads(int32_t n) {
    ThreadCount.store(n < 1 ? 1 : n > MaxSearchThreads ? MaxSearchThreads : n, std::memory_order_relaxed);
}

int32_t SearchThreads() { return ThreadCount.load(std::memory_order_relaxed); }

bool IsHelperThread() { return HelperThread; }

bool HelpersMustStop() { return StopRequested.load(std::memory_order_relaxed); }

int32_t RunningHelpers() { return Running.load(); }

void StartHelpers(const MoveEntry *begin, const MoveEntry *end) {
    const int32_t helpers = SearchThreads() - 1;
    if (helpers <= 0 || HelperThread || !Helpers.empty()) return;
    auto start = std::make_shared<HelperStart>();
    SavePosition(start->position);
    for (int i = 0; i < MaxSearchPly + MoveStackOffset + 2; ++i)
        start->moveStack[i] = MoveStack[i];
    start->rootCount = 0;
    for (const MoveEntry *e = begin; e < end && start->rootCount < MoveListSize; ++e)
        start->root[start->rootCount++] = *e;

    // Allocated when the number of helpers grows, emptied for every search.
    while (int32_t(HelperPawnTables.size()) < helpers)
        HelperPawnTables.push_back(std::make_unique<PawnHashEntry[]>(PawnHashSize));
    for (int32_t id = 1; id <= helpers; ++id)
        std::fill_n(HelperPawnTables[id - 1].get(), PawnHashSize, PawnHashEntry{});
    StopRequested.store(false);
    for (int32_t id = 1; id <= helpers; ++id) {
        Running.fetch_add(1);
        try {
            Helpers.emplace_back(RunHelper, start, HelperPawnTables[id - 1].get(), id);
        } catch (...) {
            Running.fetch_sub(1); // no thread to be had: search with fewer
            break;
        }
    }
}

void StopHelpers() {
    if (HelperThread) return;
    StopRequested.store(true);
    for (std::thread &t : Helpers)
        t.join();
    Helpers.clear();
}
