// Search threads. The main thread alone reads input, prints, keeps time and
// chooses the move; while it thinks, helper threads search the same root with
// their own position and tables, sharing only the transposition table.
#pragma once

#include <cstdint>

#include "board/Board.h"

constexpr int32_t MaxSearchThreads = 64;

// Threads per search, main thread included; clamped to 1..MaxSearchThreads.
void SetSearchThreads(int32_t n);
int32_t SearchThreads();

// True on a helper thread.
bool IsHelperThread();

// Starts the helpers on the root moves [begin, end) of the current position
// (none with one thread). Called by the root search only.
void StartHelpers(const MoveEntry *begin, const MoveEntry *end);
// Stops the helpers and waits for them to end.
void StopHelpers();
// Helpers running now (0 once StopHelpers has returned).
int32_t RunningHelpers();

// Helpers started for the running search and stopped when it returns, on
// every path out of the root search.
class HelperScope {
  public:
    HelperScope(const MoveEntry *begin, const MoveEntry *end) { StartHelpers(begin, end); }
    ~HelperScope() { StopHelpers(); }
    HelperScope(const HelperScope &) = delete;
    HelperScope &operator=(const HelperScope &) = delete;
};

// Set on a helper when it must end its search; read by the node poll.
bool HelpersMustStop();
