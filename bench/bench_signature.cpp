// Fixed-depth node-count signature: the three bench positions and the first
// positions of an EPD file, each searched from a cleared search memory to a
// fixed depth without time limit. The total node count changes whenever the
// tree changes, so it must stay the same across changes that only make the
// engine faster or tidier.
//
//   bench_signature [-v] [-t threads] [-m lines] [depth] [epd file] [positions]
//
// Without an EPD file it searches the positions of "morvane bench" (the
// three bench positions and the first thirty of tests/data/wac.epd), so its
// signature at the default depth equals the count "morvane bench" prints.
//
// -v also prints the thinking lines; their third column (centiseconds) and
// the speed after the node count are the only parts that may differ between
// runs. -t searches with that many threads: the time then gives the time to
// depth, and the node count (the main thread's) no longer forms the
// signature. -m searches that many principal variations (the time to depth
// of an analysis); the signature is the one of a single line.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "board/MoveText.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/Threads.h"
#include "shell/FixedDepthBench.h"
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
        } else if (std::strcmp(argv[arg], "-m") == 0 && arg + 1 < argc) {
            MultiPV = std::atoi(argv[++arg]);
            if (MultiPV < 1 || MultiPV > MaxPrincipalLines) MultiPV = 1;
        } else {
            std::fprintf(stderr,
                         "usage: bench_signature [-v] [-t threads] [-m lines] [depth] [epd file] [positions]\n");
            return 2;
        }
    }
    SetSearchThreads(threads);
    const uint32_t depth = arg < argc ? uint32_t(std::atoi(argv[arg++])) : FixedBenchDepth;
    const char *file = arg < argc ? argv[arg++] : nullptr;
    const int32_t positions = arg < argc ? std::atoi(argv[arg++]) : 30;

    if (!PrepareFixedDepthSearch(depth, verbose)) return 1;

    // Without a file: the positions of "morvane bench". With one: the three
    // bench positions and the first positions of the file.
    std::vector<std::string> fens;
    if (file == nullptr) {
        fens = FixedBenchPositions();
    } else {
        fens = BenchPositionsAndFile(file, positions);
    }

    uint64_t total = 0;
    const auto start = std::chrono::steady_clock::now();
    int32_t index = 0;
    for (const std::string &fen : fens) {
        ++index;
        if (verbose) std::printf("%3d %s\n", index, fen.c_str());
        const FixedDepthResult r = SearchFixedDepth(fen);
        if (!r.searched) {
            std::printf("%3d setup refused\n", index);
            continue;
        }
        total += r.nodes;
        char text[MoveTextSize];
        MoveToText(text, r.move);
        std::printf("%3d nodes %12llu  move %-6s score %d\n", index, static_cast<unsigned long long>(r.nodes), text,
                    r.score);
        std::fflush(stdout);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char lines[32] = "";
    if (MultiPV > 1) std::snprintf(lines, sizeof lines, ", %d lines", int(MultiPV));
    std::printf("depth %u, %zu positions, %d thread%s%s: %.2f s, %.0f nodes/s\n", depth, fens.size(), SearchThreads(),
                SearchThreads() == 1 ? "" : "s", lines, seconds, seconds > 0 ? double(total) / seconds : 0.0);
    std::printf("signature %llu\n", static_cast<unsigned long long>(total));
    return 0;
}
