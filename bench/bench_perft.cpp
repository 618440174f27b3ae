// Perft speed: leaves per second from two positions (run a Release build).
#include <chrono>
#include <cstdio>
#include <ctime>

#include "board/Board.h"
#include "board/Perft.h"
#include "shell/GameSetup.h"

namespace {

void Measure(const char *label, const char *fen, int depth) {
    if (!SetupGame(fen)) return;
    auto start = std::chrono::steady_clock::now();
    std::clock_t cpuStart = std::clock();
    uint64_t leaves = PerftRoot(depth);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // CPU time as well: on a busy machine the wall clock also counts other processes.
    std::printf("%s perft %d: %llu leaves in %.3f s (%.3f s CPU), %.2f million leaves/s (%.2f per CPU second)\n", label,
                depth, static_cast<unsigned long long>(leaves), seconds, cpuSeconds, double(leaves) / seconds / 1e6,
                double(leaves) / cpuSeconds / 1e6);
    std::fflush(stdout);
}

} // namespace

int main() {
    FillZobristKeys();
    InitBoard();
    Measure("initial position", StartPosition, 6);
    Measure("r3k2r/p1ppqpb1/...", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 5);
    return 0;
}
