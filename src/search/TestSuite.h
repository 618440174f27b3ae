// Diagnostic commands that drive the search: "test", "bench", "checks".
#pragma once

#include <cstdint>

#include "board/Board.h"

// Is m (from- and to-square) one of the best moves of the test position?
bool IsBestMove(Move m);

// "test FILE": searches every EPD line of the file for EngineClock
// centiseconds, logs to "TestSuite.log" and appends misses to "err.epd".
// Returns the number of positions solved. When endRequested is given it is
// asked after each position, and a true answer ends the run there.
int32_t RunTestSuite(const char *fileName, bool (*endRequested)() = nullptr);

// One bench position: fixed-time search, prints "time: T\tK kNodes / sec".
void BenchPosition(const char *fen);
// "bench": the three bench positions at `centiseconds` each (the command
// uses 30000), without books or thinking lines. The caller starts a new game
// afterwards. endRequested as for the test suite.
void RunBench(int32_t centiseconds, bool (*endRequested)() = nullptr);

// "checks": both sides' check-and-capture moves with CaptureMargin 1000.
void ListChecksAndCaptures();

struct BenchEntry {
    const char *label;
    const char *fen;
};
extern const BenchEntry BenchPositions[3];
