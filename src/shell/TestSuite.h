// Diagnostic commands: "test", "bench", "checks", "perft".
#pragma once

#include <cstdint>

#include "board/Board.h"

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

// The "perft" command: nothing for depth <= 0, otherwise one line
// "Total nodes: N<tab>time: S" on standard output; nothing either when the
// count was abandoned (endRequested as for the test suite, asked every few
// million leaves).
void PerftCommand(int32_t depth, bool (*endRequested)() = nullptr);

struct BenchEntry {
    const char *label;
    const char *fen;
};
extern const BenchEntry BenchPositions[3];
