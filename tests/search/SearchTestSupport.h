// Shared set-up of the search tests: tables, hash, a position from FEN.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/Setup.h"
#include "search/MoveOrdering.h"
#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/ShellState.h"

inline void EnsureSearchReady() {
    static bool ready = false;
    if (!ready) {
        testing::internal::CaptureStdout();
        AllocateHash(1);
        InitBoard();
        testing::internal::GetCapturedStdout();
        ready = true;
    }
}

// Sets up the position and a clean search state; no game moves before it.
inline void SetUpSearch(const char *fen) {
    EnsureSearchReady();
    ASSERT_TRUE(SetupPosition(fen)) << fen;
    SelectMoveFunctions();
    std::memset(MoveStack, 0, sizeof MoveStack);
    for (int i = 1; i < 8; ++i)
        PositionHistory[i] = {0, 0, 0};
    ClearSearchMemory();
    for (auto &k : KillerMoves)
        k[0] = k[1] = 0;
    StopSearch = 0;
    NodeCount = QuiesceNodeCount = 0;
    NextPollCheck = ~uint64_t(0); // no input polling inside unit tests
    FollowPV = 0;
    IterationDepth = 1;
    AnalyzeMode = 0;
    PonderSearch = 0;
    PonderGuess = 0;
    FixedTimeMode = 0;
    EngineClock = 1000000;
    MovesPerControl = 0;
    MovesToGo = 0;
    PostThinking = 0;
    Interruptible = 0; // the tests' standard input is not a command stream
}

// Runs the root search quietly (thinking and time lines are captured).
inline Move ThinkQuietly() {
    testing::internal::CaptureStdout();
    AllocateTime();
    const Move m = ThinkSide(SideToMove);
    testing::internal::GetCapturedStdout();
    return m;
}
