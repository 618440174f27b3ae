// Time and nodes per move at a set strength: each level from the weakest to
// the strongest, over the three bench positions and the first WAC positions,
// each searched as a game move under a clock of its own (one minute by
// default, the whole game to play). Prints per level the median and the
// longest time per move and the median and largest node count.
//
//   bench_strength [wac.epd] [positions] [clock in centiseconds] [Elo step]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "search/RootSearch.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/Strength.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/FixedDepthBench.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"

namespace {

template <typename T> T Median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? T() : v[v.size() / 2];
}

void NoLimitsLine() {}
// No input: only the clock ends a search early.
uint32_t ClockOnly() { return HardTimeUp(1); }

} // namespace

int main(int argc, char **argv) {
    const char *file = argc > 1 ? argv[1] : "tests/data/wac.epd";
    const int32_t positions = argc > 2 ? std::atoi(argv[2]) : 30;
    const int32_t clock = argc > 3 ? std::atoi(argv[3]) : 6000;
    const int32_t step = argc > 4 && std::atoi(argv[4]) > 0 ? std::atoi(argv[4]) : 200;

    if (!AllocateHash(16)) return 1;
    InitBoard();
    PostThinking = 0;
    SkipBook = 1;
    SearchHost.timeLimitsSet = NoLimitsLine;
    SearchHost.checkInput = ClockOnly;
    const std::vector<std::string> fens = BenchPositionsAndFile(file, positions);

    LimitStrength = 1;
    StrengthSeed = 1;
    for (int32_t elo = MinStrengthElo; elo <= MaxStrengthElo; elo += step) {
        StrengthElo = elo;
        std::vector<int64_t> times;
        std::vector<uint64_t> nodes;
        for (const std::string &fen : fens) {
            if (!SetupGame(fen.c_str())) continue;
            ClearSearchMemory();
            EngineClock = clock;
            MovesPerControl = MovesToGo = 0;
            Increment = 0;
            AllocateTime();
            ThinkForMove(SideToMove);
            times.push_back(ElapsedMilliseconds());
            nodes.push_back(NodeCount + QuiesceNodeCount);
        }
        std::printf("Elo %d: %zu moves, time per move median %lld ms, longest %lld ms; nodes median %llu, "
                    "largest %llu (budget %llu)\n",
                    int(elo), times.size(), static_cast<long long>(Median(times)),
                    static_cast<long long>(times.empty() ? 0 : *std::max_element(times.begin(), times.end())),
                    static_cast<unsigned long long>(Median(nodes)),
                    static_cast<unsigned long long>(nodes.empty() ? 0 : *std::max_element(nodes.begin(), nodes.end())),
                    static_cast<unsigned long long>(LevelFor(elo).nodes));
        std::fflush(stdout);
    }
    return 0;
}
