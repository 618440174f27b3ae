// Evaluation speed over the WAC positions with the pawn hash table warm.
//
// For every position, each legal move is made, the position evaluated with the
// full window and the move unmade, for a number of rounds (the first round
// warms the pawn table and is not timed). The same loop without the
// evaluation is timed too, and its time subtracted, so the figure is the
// evaluation alone over many different positions.
//
// Usage: bench_eval [wac.epd] [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "eval/EvalState.h"
#include "eval/Evaluate.h"
#include "shell/GameSetup.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> ReadFens(const char *path) {
    std::vector<std::string> fens;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string b, s, c, e;
        if (words >> b >> s >> c >> e) fens.push_back(b + " " + s + " " + c + " " + e);
    }
    return fens;
}

volatile int32_t Sink;

// Makes each legal move, optionally evaluates, unmakes; returns the number of
// positions visited.
uint64_t Sweep(const MoveEntry *begin, const MoveEntry *end, bool evaluate) {
    const uint32_t side = SideToMove, other = side ^ 1;
    uint64_t n = 0;
    int32_t sum = 0;
    for (const MoveEntry *e = begin; e != end; ++e) {
        if (!MakeMove(side, RootInCheck, 0, e->move)) continue;
        if (evaluate) sum += Evaluate(other, -32767, 32767);
        UnmakeMove(side, e->move);
        ++n;
    }
    Sink = sum;
    return n;
}

} // namespace

int main(int argc, char **argv) {
#ifdef MORVANE_TEST_DATA
    const char *path = argc > 1 ? argv[1] : MORVANE_TEST_DATA "/wac.epd";
#else
    const char *path = argc > 1 ? argv[1] : "tests/data/wac.epd";
#endif
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;
    const std::vector<std::string> fens = ReadFens(path);
    if (fens.empty()) {
        std::printf("no positions in %s\n", path);
        return 1;
    }
    FillZobristKeys();
    InitBoard();
    OpponentIsComputer = 0;

    MoveEntry list[MoveListSize];
    uint64_t evaluations = 0;
    double withEval = 0, withoutEval = 0, rootOnly = 0;
    uint64_t rootEvaluations = 0;
    for (const std::string &fen : fens) {
        if (!SetupGame(fen.c_str())) continue;
        EngineSide = 2;
        SelectMoveFunctions();
        MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
        Sweep(list, end, true); // warm the pawn table

        auto t0 = Clock::now();
        for (int r = 0; r < rounds; ++r)
            evaluations += Sweep(list, end, true);
        auto t1 = Clock::now();
        for (int r = 0; r < rounds; ++r)
            Sweep(list, end, false);
        auto t2 = Clock::now();
        int32_t sum = 0;
        for (int r = 0; r < rounds; ++r)
            sum += Evaluate(SideToMove, -32767, 32767);
        auto t3 = Clock::now();
        Sink = sum;
        rootEvaluations += uint64_t(rounds);
        withEval += std::chrono::duration<double>(t1 - t0).count();
        withoutEval += std::chrono::duration<double>(t2 - t1).count();
        rootOnly += std::chrono::duration<double>(t3 - t2).count();
    }
    const double evalTime = withEval - withoutEval;
    std::printf("positions: %zu, rounds: %d\n", fens.size(), rounds);
    std::printf("after each legal move: %llu evaluations, %.3f s (make/unmake %.3f s subtracted)\n",
                static_cast<unsigned long long>(evaluations), evalTime, withoutEval);
    std::printf("evaluations per second: %.0f\n", evalTime > 0 ? double(evaluations) / evalTime : 0.0);
    std::printf("same root position repeated: %.0f evaluations per second\n",
                rootOnly > 0 ? double(rootEvaluations) / rootOnly : 0.0);
    return 0;
}
