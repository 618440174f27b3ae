// Fixed-depth node-count signature: the three bench positions and the first
// positions of an EPD file, each searched from a cleared search memory to a
// fixed depth without time limit. The total node count changes whenever the
// tree changes, so it must stay the same across changes that only make the
// engine faster or tidier.
//
//   bench_signature [-v] [-t threads] [depth] [epd file] [positions]
//
// -v also prints the thinking lines; their third column (centiseconds) is the
// only part that may differ between runs. -t searches with that many threads:
// the time then gives the time to depth, and the node count (the main
// thread's) no longer forms the signature.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/MoveText.h"
#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/Threads.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"
#include "shell/TestSuite.h"

int main(int argc, char **argv) {
    bool verbose = false;
    int32_t threads = 1;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "-v") == 0) {
            verbose = true;
        } else if (std::strcmp(argv[arg], "-t") == 0 && arg + 1 < argc) {
            threads = std::atoi(argv[++arg]);
        } else {
            std::fprintf(stderr, "usage: bench_signature [-v] [-t threads] [depth] [epd file] [positions]\n");
            return 2;
        }
    }
    SetSearchThreads(threads);
    const uint32_t depth = arg < argc ? uint32_t(std::atoi(argv[arg++])) : 10;
    const char *file = arg < argc ? argv[arg++] : "tests/data/wac.epd";
    const int32_t positions = arg < argc ? std::atoi(argv[arg++]) : 30;

    // The search polls its input; give it a pipe that never has anything to
    // read, so that no terminal or closed input can stop it.
    int quiet[2];
    if (pipe(quiet) == 0) dup2(quiet[0], 0);

    if (!AllocateHash(16)) return 1;
    InitBoard();
    SkipBook = 1;
    AnalyzeMode = 1; // no time limit: the depth alone ends each search
    PostThinking = verbose ? 1 : 0;
    DepthLimit = depth;

    std::vector<std::string> fens;
    for (const BenchEntry &b : BenchPositions)
        fens.emplace_back(b.fen);
    std::ifstream in(file);
    std::string line;
    for (int32_t n = 0; n < positions && std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        fens.push_back(line);
        ++n;
    }

    uint64_t total = 0;
    const auto start = std::chrono::steady_clock::now();
    int32_t index = 0;
    for (const std::string &fen : fens) {
        ++index;
        if (!SetupGame(fen.c_str())) {
            std::printf("%3d setup refused\n", index);
            continue;
        }
        ClearSearchMemory();
        SearchStartTime = MonotonicMilliseconds();
        if (verbose) std::printf("%3d %s\n", index, fen.c_str());
        const Move m = ThinkSide(SideToMove);
        const uint64_t nodes = NodeCount + QuiesceNodeCount;
        total += nodes;
        char text[MoveTextSize];
        MoveToText(text, m);
        std::printf("%3d nodes %12llu  move %-6s score %d\n", index, static_cast<unsigned long long>(nodes), text,
                    BestScore);
        std::fflush(stdout);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("depth %u, %zu positions, %d thread%s: %.2f s, %.0f nodes/s\n", depth, fens.size(), SearchThreads(),
                SearchThreads() == 1 ? "" : "s", seconds, seconds > 0 ? double(total) / seconds : 0.0);
    std::printf("signature %llu\n", static_cast<unsigned long long>(total));
    return 0;
}
