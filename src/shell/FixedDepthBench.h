// The fixed-depth bench: a fixed set of positions, each searched from a
// cleared search memory to a fixed depth on one thread, without time limit
// and without books. Its node total changes whenever the search tree changes,
// so it serves as the signature of the engine's play: "morvane bench" prints
// it for test frameworks, and bench_signature prints it per position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"

// The depth "morvane bench" and bench_signature search to when given none.
constexpr uint32_t FixedBenchDepth = 10;

// The three positions of the interactive "bench" command followed by the
// first thirty positions of the Win at Chess suite.
std::vector<std::string> FixedBenchPositions();

// The three positions of the interactive "bench" command followed by the
// first `count` non-empty lines of an EPD file.
std::vector<std::string> BenchPositionsAndFile(const char *file, int32_t count);

// Readies the search for fixed-depth runs: the hash table, the board
// tables, an input that never has anything to read (so neither a terminal
// nor a closed input can stop a search), no books, no time limit. With
// `thinking` the search prints its thinking lines. False when the hash
// table cannot be allocated.
bool PrepareFixedDepthSearch(uint32_t depth, bool thinking);

struct FixedDepthResult {
    bool searched; // false when the position was refused
    uint64_t nodes;
    Move move;
    int32_t score;
};

// Searches one position (FEN or EPD text) from a cleared search memory.
FixedDepthResult SearchFixedDepth(const std::string &position);

// "morvane bench [depth]": searches the positions and prints the totals as
// "N nodes" and "N nps", each on its own line. It neither reads nor writes
// any file. Returns the exit status: 0, or 2 for a bad depth, 1 when the
// hash table cannot be allocated.
int RunFixedBenchCommand(int argc, const char *const *argv);
