// Diagnostic commands: "test", "bench", "checks", "perft".
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/Board.h"

// Best moves of a test position: the "bm" operation of the EPD line the game
// was set up from (SetupGame).
constexpr int MaxBestMoves = 44;
extern char BestMoveTexts[MaxBestMoves][10];
extern uint32_t BestMoveCount;
extern Move BestMoves[MaxBestMoves];
extern uint32_t BestMoveOperation; // the last text set up had a "bm" operation

// Reads the "bm" operation of `text`, whose position fields end at
// `fieldsEnd`, into the best moves above (none when it has no such operation).
// The position must be set up already: the moves are read as its moves.
void ReadBestMoves(const char *text, size_t fieldsEnd);
// Reads one move token of an operation at `index` into the next free
// BestMoveTexts slot; 0 when there is none (or no slot is free).
uint32_t ReadMoveToken(const char *text, uint32_t &index);
// Is m (from- and to-square) one of the best moves of the position set up?
bool IsBestMove(Move m);
// A right move has stayed best long enough: the test position is solved and
// its search may end (ExtraPlySearch iterations, as the configuration says).
bool RightMoveSettled(Move best, int32_t stableIterations);

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
