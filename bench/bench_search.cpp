// Search speed: nodes per second over the first WAC positions at a fixed
// time per position, then the three bench positions.
//
//   bench_search [wac.epd] [centiseconds per WAC position] [positions] [centiseconds per bench position]
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "board/Board.h"
#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"
#include "shell/TestSuite.h"

namespace {

// Processor time of this process in milliseconds: the machine may be shared.
int64_t CpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return int64_t(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

} // namespace

int main(int argc, char **argv) {
    const char *file = argc > 1 ? argv[1] : "tests/data/wac.epd";
    const int32_t perPosition = argc > 2 ? std::atoi(argv[2]) : 100;
    const int32_t positions = argc > 3 ? std::atoi(argv[3]) : 50;
    const int32_t perBench = argc > 4 ? std::atoi(argv[4]) : 1000;

    if (!AllocateHash(16)) return 1;
    InitBoard();
    PostThinking = 0;
    SkipBook = 1;

    std::ifstream in(file);
    if (!in) {
        std::printf("cannot read %s\n", file);
        return 1;
    }
    std::string line;
    uint64_t nodes = 0;
    int64_t milliseconds = 0;
    const int64_t cpuStart = CpuMilliseconds();
    int32_t n = 0, solved = 0;
    EngineClock = perPosition;
    FixedTimeMode = 1;
    while (n < positions && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || !SetupGame(line.c_str())) continue;
        ++n;
        ClearSearchMemory();
        AllocateTime();
        const Move m = ThinkSide(SideToMove);
        milliseconds += ElapsedMilliseconds();
        nodes += NodeCount + QuiesceNodeCount;
        solved += IsBestMove(m);
    }
    FixedTimeMode = 0;
    const int64_t cpu = CpuMilliseconds() - cpuStart;
    std::printf("WAC %d positions at %d cs: %d solved, %llu nodes in %.2f s, %.0f nodes/s "
                "(processor time %.2f s, %.0f nodes per processor second)\n",
                n, perPosition, solved, static_cast<unsigned long long>(nodes), milliseconds / 1000.0,
                milliseconds > 0 ? nodes * 1000.0 / double(milliseconds) : 0.0, cpu / 1000.0,
                cpu > 0 ? nodes * 1000.0 / double(cpu) : 0.0);

    std::printf("bench at %d cs per position:\n", perBench);
    RunBench(perBench);
    return 0;
}
