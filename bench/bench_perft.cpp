// Perft speed: leaves per second (run a Release build). Without arguments, two
// positions; with "FILE DEPTH", every position of a perft file ("FEN ;D1 N ..."
// lines) to that depth, and the total.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "board/Board.h"
#include "board/Perft.h"
#include "shell/GameSetup.h"

namespace {

struct Timing {
    uint64_t leaves = 0;
    double seconds = 0, cpuSeconds = 0;
};

Timing Count(const char *fen, int depth) {
    Timing t;
    if (!SetupGame(fen)) return t;
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    t.leaves = PerftRoot(depth);
    t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    t.cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return t;
}

void Report(const char *label, int depth, const Timing &t) {
    // CPU time as well: on a busy machine the wall clock also counts other processes.
    std::printf("%s perft %d: %llu leaves in %.3f s (%.3f s CPU), %.2f million leaves/s (%.2f per CPU second)\n", label,
                depth, static_cast<unsigned long long>(t.leaves), t.seconds, t.cpuSeconds,
                double(t.leaves) / t.seconds / 1e6, double(t.leaves) / t.cpuSeconds / 1e6);
    std::fflush(stdout);
}

int MeasureFile(const char *name, int depth) {
    std::ifstream in(name);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", name);
        return 1;
    }
    Timing total;
    int positions = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find(";D1 ") == std::string::npos) continue;
        const Timing t = Count(line.substr(0, line.find(';')).c_str(), depth);
        total.leaves += t.leaves;
        total.seconds += t.seconds;
        total.cpuSeconds += t.cpuSeconds;
        positions++;
    }
    const std::string label = std::string(name) + " (" + std::to_string(positions) + " positions)";
    Report(label.c_str(), depth, total);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    FillZobristKeys();
    InitBoard();
    if (argc == 3) return MeasureFile(argv[1], std::atoi(argv[2]));
    Report("initial position", 6, Count(StartPosition, 6));
    Report("r3k2r/p1ppqpb1/...", 5, Count("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 5));
    return 0;
}
