// Search speed with and without Syzygy tables: the positions of the node
// signature (three bench positions and the first of an EPD file) or ten
// five- and six-piece endings whose captures lead into the tables, each
// searched from a cleared search memory to a fixed depth.
//
//   bench_syzygy [-s FOLDERS] [-e] [depth] [epd file] [positions]
//
// -s loads the Syzygy tables of FOLDERS (':'-separated); -e takes the
// endings instead of the signature positions. Prints nodes, table hits and
// nodes per second; compare runs with and without -s.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/SyzygySearch.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/FixedDepthBench.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"
#include "shell/TestSuite.h"
#include "tablebase/Syzygy.h"

namespace {

// Five and six pieces; every capture of a piece leads into a table of four or fewer.
const char *const Endings[] = {
    "8/8/3k4/8/2r5/8/3Q4/3RK3 w - - 0 1",   "8/5k2/8/3n4/8/2B5/3PK3/8 w - - 0 1",  "4k3/8/8/3p4/8/2N5/3PK3/8 w - - 0 1",
    "8/8/2k5/8/1r6/8/2RP4/3K4 w - - 0 1",   "8/8/4k3/3p1p2/8/4K3/4P3/8 w - - 0 1", "8/2k5/8/2p5/8/8/2PP4/2K5 w - - 0 1",
    "6k1/5pp1/8/8/8/8/5PP1/6K1 w - - 0 1",  "8/8/3k4/3r4/8/3B4/3N4/3K4 w - - 0 1", "8/8/8/2kq4/8/2QN4/8/3K4 w - - 0 1",
    "8/1k6/8/3r1b2/8/3R4/8/3K3Q w - - 0 1",
};

} // namespace

int main(int argc, char **argv) {
    std::string tables;
    bool endings = false;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "-s") == 0 && arg + 1 < argc) {
            tables = argv[++arg];
        } else if (std::strcmp(argv[arg], "-e") == 0) {
            endings = true;
        } else {
            std::fprintf(stderr, "usage: bench_syzygy [-s FOLDERS] [-e] [depth] [epd file] [positions]\n");
            return 2;
        }
    }
    const uint32_t depth = arg < argc ? uint32_t(std::atoi(argv[arg++])) : 10;
    const char *file = arg < argc ? argv[arg++] : "tests/data/wac.epd";
    const int32_t positions = arg < argc ? std::atoi(argv[arg++]) : 30;

    int quiet[2];
    if (pipe(quiet) == 0) dup2(quiet[0], 0);
    if (!AllocateHash(16)) return 1;
    InitBoard();
    SkipBook = 1;
    AnalyzeMode = 1;
    DepthLimit = depth;
    if (!tables.empty()) {
        const SyzygyLoadResult r = SyzygyInit(tables);
        if (!r.warnings.empty()) std::printf("%s\n", r.warnings.c_str());
        std::printf("found %d Syzygy tables\n", r.tables);
    }

    std::vector<std::string> fens;
    if (endings) {
        fens.assign(std::begin(Endings), std::end(Endings));
    } else {
        fens = BenchPositionsAndFile(file, positions);
    }

    uint64_t total = 0, hits = 0;
    double searching = 0;
    int32_t index = 0;
    for (const std::string &fen : fens) {
        ++index;
        if (!SetupGame(fen.c_str())) {
            std::printf("%3d setup refused\n", index);
            continue;
        }
        ClearSearchMemory();
        const auto start = std::chrono::steady_clock::now();
        SearchStartTime = MonotonicMilliseconds();
        ThinkSide(SideToMove);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const uint64_t nodes = NodeCount + QuiesceNodeCount;
        total += nodes;
        hits += TbHits;
        searching += seconds;
        std::printf("%3d nodes %12llu  tbhits %9llu  %8.0f nodes/s  score %d\n", index,
                    static_cast<unsigned long long>(nodes), static_cast<unsigned long long>(TbHits),
                    seconds > 0 ? double(nodes) / seconds : 0.0, BestScore);
        std::fflush(stdout);
    }
    std::printf("depth %u, %zu positions: %llu nodes, %llu tbhits, %.2f s, %.0f nodes/s\n", depth, fens.size(),
                static_cast<unsigned long long>(total), static_cast<unsigned long long>(hits), searching,
                searching > 0 ? double(total) / searching : 0.0);
    return 0;
}
