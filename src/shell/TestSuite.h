// Diagnostic commands: "test", "bench", "checks", "perft".
#pragma once

#include <cstdint>

#include "board/Board.h"

// "test FILE": searches every EPD line of the file for EngineClock
// centiseconds, logs to "TestSuite.log" and appends misses to "err.epd".
// Returns the number of positions solved.
int32_t RunTestSuite(const char *fileName);

// One bench position: fixed-time search, prints "time: T\tK kNodes / sec".
void BenchPosition(const char *fen);
// "bench": the three bench positions at `centiseconds` each (the command
// uses 30000), without books or thinking lines. The caller starts a new game
// afterwards.
void RunBench(int32_t centiseconds);

// "checks": both sides' check-and-capture moves with CaptureMargin 1000.
void ListChecksAndCaptures();

// The "perft" command: nothing for depth <= 0, otherwise one line
// "Total nodes: N<tab>time: S" on standard output.
void PerftCommand(int32_t depth);

struct BenchEntry {
    const char *label;
    const char *fen;
};
extern const BenchEntry BenchPositions[3];
