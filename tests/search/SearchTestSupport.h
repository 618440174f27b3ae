// Shared set-up of the search tests: a position with a clean search state.
#pragma once

#include <cstring>

#include "board/BoardTestSupport.h"
#include "search/MoveOrdering.h"
#include "search/RootSearch.h"
#include "search/Search.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/ShellState.h"

inline void EnsureSearchReady() {
    EnsureBoardReady(); // first: the hash adjusts the side key the board fills
    static bool hash = false;
    if (!hash) Output([] { hash = AllocateHash(1); });
    ASSERT_TRUE(hash);
}

// The position and a clean search state.
inline void SetUpSearch(const char *fen) {
    EnsureSearchReady();
    ASSERT_TRUE(SetupPosition(fen)) << fen;
    std::memset(MoveStack, 0, sizeof MoveStack);
    std::memset(KillerMoves, 0, sizeof KillerMoves);
    std::memset(PositionHistory + 1, 0, 8 * sizeof PositionHistory[0]);
    ClearSearchMemory();
    HashGeneration = 0;
    StopSearch = FollowPV = 0;
    NodeCount = QuiesceNodeCount = 0;
    NextPollCheck = ~uint64_t(0); // no input polling inside unit tests
    IterationDepth = 1;
    AnalyzeMode = PonderSearch = PonderGuess = PostThinking = Interruptible = 0;
    FixedTimeMode = MovesPerControl = MovesToGo = 0;
    EngineClock = 1000000;
}

// The root search (or another way of choosing the move), its thinking and time lines captured.
inline Move ThinkQuietly(Move (*think)(uint32_t side) = ThinkSide) {
    Move m = 0;
    Output([&] { AllocateTime(), m = think(SideToMove); });
    return m;
}
