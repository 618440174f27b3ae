#include "shell/FixedDepthBench.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/Threads.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"
#include "shell/TestSuite.h"

namespace {

// Hash size of every fixed-depth run: a different size changes the tree.
constexpr int32_t FixedBenchHashMegabytes = 16;
// Deep enough for the signature's purpose is depth 10; beyond 30 a run never ends.
constexpr uint32_t FixedBenchMaxDepth = 30;

// The first thirty lines of the Win at Chess suite (tests/data/wac.epd), kept
// whole: bench_signature -v prints them as they are.
// clang-format off
const char *const TacticalPositions[] = {
    R"(2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - acd 5; bm Qg6; id "WAC.001"; ce 32764; dm 2; pv Qg6 h5 Qh7#;)",
    R"(8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - - acd 211; bm Rxb2; id "WAC.002"; ce 32558; dm 105; pv Rxb2 Rxb2 c3 Rb6+ Ke7 Rb7+ Kd6 Rb6+ Kc5 Rb8 c2 Rc8+ Kd6 Kf2 d2 Rxc2 d1=Q Re2 Qd3 Ra2 Ke7 h3 Qb3 Rd2 Qxa3 Rc2 Qd3 Rc7+ Kd6 Rc8 Qd2+ Kf3 Qb4 Kg3 Qe1+ Kf3 Qf1+ Kg3 Qe2 e4 Qxe4 Rd8+ Kc7 Rf8 a3 Rf7+ Kd6 Rf6+ Ke7 Rh6 a2 Rxh7+ Kd6 Rh6+ Kc5 Rf6 Qe3+ Kh4 Qxf4+ Kh5 a1=Q Rf8 Qd1+ Kg6 Qg3+ Kf7;)",
    R"(5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/PP1BQ1P1/5RKN w - - acd 38; bm Rg3; id "WAC.003"; ce 549; pv Rg3 Rg4 Rxg4 Bxg4 Qxg4 Qxg4 hxg4 c5 d5 Rd8 Re1 c4 Nf2 Bc5;)",
    R"(r1bq2rk/pp3pbp/2p1p1pQ/7P/3P4/2PB1N2/PP3PPR/2KR4 w - - acd 5; bm Qxh7+; id "WAC.004"; ce 32764; dm 2; pv Qxh7+ Kxh7 hxg6#;)",
    R"(5k2/6pp/p1qN4/1p1p4/3P4/2PKP2Q/PP3r2/3R4 b - - acd 5; bm Qc4+; id "WAC.005"; ce 32764; dm 2; pv Qc4+ Nxc4 bxc4#;)",
    R"(7k/p7/1R5K/6r1/6p1/6P1/8/8 w - - acd 23; bm Rb7; id "WAC.006"; ce 32746; dm 11; pv Rb7 Rh5+ Kxh5 Kg8 Kg5 Kf8 Rxa7 Ke8 Kf6 Kd8 Ke6 Kc8 Kd6 Kb8 Rc7 Ka8 Kc6 Kb8 Kb6 Ka8 Rc8+;)",
    R"(rnbqkb1r/pppp1ppp/8/4P3/6n1/7P/PPPNPPP1/R1BQKBNR b KQkq - acd 32; bm Ne3; id "WAC.007"; ce 913; pv Ne3 Ngf3 Nxd1 Kxd1;)",
    R"(r4q1k/p2bR1rp/2p2Q1N/5p2/5p2/2P5/PP3PPP/R5K1 w - - acd 15; bm Rf7; id "WAC.008"; ce 32754; dm 7; pv Rf7 Be6 Rxf8+ Rxf8 Qxf8+ Bg8 Qf6 Be6 Rd1 Bxa2 Nxf5 h5 Qxg7#;)",
    R"(3q1rk1/p4pp1/2pb3p/3p4/6Pr/1PNQ4/P1PB1PP1/4RRK1 b - - acd 11; bm Bh2+; id "WAC.009"; ce 32758; dm 5; pv Bh2+ Kh1 Bg3+ Kg1 Rh1+ Kxh1 Qh4+ Kg1 Qh2#;)",
    R"(2br2k1/2q3rn/p2NppQ1/2p1P3/Pp5R/4P3/1P3PPP/3R2K1 w - - acd 38; bm Rxh7; id "WAC.010"; ce 757; pv Rxh7 Rxg6 Rxc7 fxe5 Rxc8 Rxc8 Nxc8 Rg4 Nb6 b3 a5 Rb4 Rd6 Rb5 Nc4 Rb4 Nxe5 Ra4 g4 Rxa5 Rb6 Rb5 Rxe6 Rb4 f4 a5 Rg6+ Kf8 Nd7+ Kf7 Ra6 Ra4 Nxc5 Ra1+ Kg2 Rb1 Ra7+ Kf8 Na4 Re1 Kf3 Rf1+ Ke4 Rh1 Rxa5 Rxh2 Rb5 Rh4 g5 Kf7 Rf5+ Kg7 Nc5 Rh3 Ne6+ Kg6 Rf6+ Kh5;)",
    R"(r1b1kb1r/3q1ppp/pBp1pn2/8/Np3P2/5B2/PPP3PP/R2Q1RK1 w kq - acd 35; bm Bxc6; id "WAC.011"; ce 913; pv Bxc6 Be7 Bxd7+ Bxd7 c4 bxc3 Nxc3 O-O Qe2 Rfe8 Bd4 Bc6 Rad1 h6 Rfe1 Bb7 Qe5 Bc6 f5 exf5;)",
    R"(4k1r1/2p3r1/1pR1p3/3pP2p/3P2qP/P4N2/1PQ4P/5R1K b - - acd 5; bm Qxf3+; id "WAC.012"; ce 32764; dm 2; pv Qxf3+ Qg2 Qxg2#;)",
    R"(5rk1/pp4p1/2n1p2p/2Npq3/2p5/6P1/P3P1BP/R4Q1K w - - acd 32; bm Qxf8+; id "WAC.013"; ce 160; pv Qxf8+ Kxf8;)",
    R"(r2rb1k1/pp1q1p1p/2n1p1p1/2bp4/5P2/PP1BPR1Q/1BPN2PP/R5K1 w - - acd 9; bm Qxh7+; id "WAC.014"; ce 32760; dm 4; pv Qxh7+ Kf8 Bf6 Bxe3+ Rxe3 g5 Qh8#;)",
    R"(1R6/1brk2p1/4p2p/p1P1Pp2/P7/6P1/1P4P1/2R3K1 w - - acd 39; bm Rxb7; id "WAC.015"; ce 32730; dm 19; pv Rxb7 Rxb7 c6+ Kc7 cxb7+ Kxb7 Rc5 Kb6 Rb5+ Ka7 Rxa5+ Kb6 Rb5+ Kc6 Rb8 f4 a5 Kc7 Rb3 Kc6 a6 Kd5 a7 Kc4 Rb6 f3 gxf3 g6 a8Q Kd3 Qe4+ Kd2 Rc6 Kd1 Qd3+ Ke1 Rc1+;)",
    R"(r4rk1/ppp2ppp/2n5/2bqp3/8/P2PB3/1PP1NPPP/R2Q1RK1 w - - acd 33; bm Nc3; id "WAC.016"; ce 455; pv Nc3 Qd6 Ne4 Qg6 Nxc5 b6 Na6 Qd6 Re1 Rae8 Qg4 Re6 Rad1 Qd7 Qc4 Rd8 b4 Rc8 Qe4 h6 c3 Rd8 f4 exf4 Qxf4 Ne5 Qg3 Rde8 d4 Qc8 Bf4 Rg6 Qf2;)",
    R"(1k5r/pppbn1pp/4q1r1/1P3p2/2NPp3/1QP5/P4PPP/R1B1R1K1 w - - acd 41; bm Ne5; id "WAC.017"; ce 168; pv Ne5 Qxb3 axb3 Bxb5 c4 Be8 Nxg6 Bxg6 d5 Nc8 f3 b6 Kf2 Kb7 fxe4 fxe4 Ba3 Bf5 Bb2 Rg8 Rf1 h5 Ke3 g6 h3 Re8 Rac1 Nd6 Ba3 Nc8 Rf4 a6 g4 hxg4 hxg4 Bd7 Rg1 Rh8 Kxe4 Rh4 c5 bxc5 Bxc5 Nd6+ Bxd6 cxd6 g5;)",
    R"(R7/P4k2/8/8/8/8/r7/6K1 w - - acd 43; bm Rh8; id "WAC.018"; ce 32726; dm 21; pv Rh8;)",
    R"(r1b2rk1/ppbn1ppp/4p3/1QP4q/3P4/N4N2/5PPP/R1B2RK1 w - - acd 47; bm c6; id "WAC.019"; ce 142; pv c6 Qxb5 Nxb5 Bb6 cxd7 Bxd7 Rb1 Rfd8 Ba3 Bc6 Bc5 Be4;)",
    R"(r2qkb1r/1ppb1ppp/p7/4p3/P1Q1P3/2P5/5PPP/R1B2KNR b kq - acd 31; bm Bb5; id "WAC.020"; ce 1636; pv Bb5 Qxb5+ axb5 Ke2 Qd6 Be3 Qc6 Nh3 bxa4 f3 Qb5+ Kf2 Qb2+ Kg3 a3 Rhb1 Qxc3 Bg5 a2 Rc1 Qb3;)",
    R"(5rk1/1b3p1p/pp3p2/3n1N2/1P6/P1qB1PP1/3Q3P/4R1K1 w - - acd 37; bm Qh6; id "WAC.021"; ce 1823; pv Qh6 Qxe1+ Bf1 Qe3+ Nxe3 Nxe3 Bd3 f5 Qg5+ Kh8 Qxe3 Bc8 Qxb6 Be6 Bxa6 h6 Kf2 Kg8 a4 f4 gxf4 Bf5 a5 Bh7 Bc4 Re8 Qc7 Rf8 Qd6 Re8 Bd3 Rc8 Qd7 Rf8 Bxh7+ Kxh7 Qe7 Kg8 Qxf8+ Kxf8 a6 Kg7 a7 Kg6 a8=Q Kg7 Qa1+ f6 Qa7+ Kg8 Qa8+ Kg7;)",
    R"(r1bqk2r/ppp1nppp/4p3/n5N1/2BPp3/P1P5/2P2PPP/R1BQK2R w KQkq - acd 43; bm Nxf7; id "WAC.022"; ce 74; pv Nxf7 Kxf7 Qh5+ g6 Qxa5 Nd5 O-O a6 f3 e3 Bxd5 exd5 Bxe3 Qd6 Rfe1 b6 Qa4 Bd7 Qb3 Qc6 Bf4 Rae8 Be5 Rhf8 Re3 a5 Qb1 Kg8 Qe1 Rf7 Qd2 Qc4 h4 Bb5 Rb1 Ba4 Ree1 Re6 Rb2 Rc6;)",
    R"(r3nrk1/2p2p1p/p1p1b1p1/2NpPq2/3R4/P1N1Q3/1PP2PPP/4R1K1 w - - acd 33; bm g4; id "WAC.023"; ce 856; pv g4 Qxc2 Re2 Qxe2 Nxe2 Ng7 h3 Rfe8 Rd2 Bc8 Nd4 Ne6 Ncxe6 fxe6 Nxc6;)",
    R"(6k1/1b1nqpbp/pp4p1/5P2/1PN5/4Q3/P5PP/1B2B1K1 b - - acd 31; bm Bd4; id "WAC.024"; ce 1482; pv Bd4 Bf2 Bxe3 Nxe3 Qxb4 Bd3 Qd2 Bc4 Ne5 Bf1 Qxa2 h3 b5 Be1 Bxg2 Bxg2 Qb1 Kf1 Nd3 Ke2 Nxe1 Kf2 Nxg2 Kxg2 Qe4+ Kf2 gxf5 Ke2;)",
    R"(3R1rk1/8/5Qpp/2p5/2P1p1q1/P3P3/1P2PK2/8 b - - acd 27; bm Qh4+; id "WAC.025"; ce 32742; dm 13; pv Qh4+ Kg2 Qxf6 Rxf8+ Kxf8 b4 h5 bxc5 Ke7 c6 Qh4 a4 g5 c7 Kd7 Kg1 g4 Kf1 Kxc7 a5 Qh1+ Kf2 h4 c5 g3#;)",
    R"(3r2k1/1p1b1pp1/pq5p/8/3NR3/2PQ3P/PP3PP1/6K1 b - - acd 36; bm Bf5; id "WAC.026"; ce 327; pv Bf5 b4 Qc7 f3 Bxe4 fxe4 Qf4 a3 b5 Qf3 Qc1+ Kh2 Rc8 Ne2 Qd2 Kg3 Rc6 e5 Rc8 Qe4 Re8 Kf3 Qa2 Qd4 Qxa3 Nf4 a5 bxa5 Qxa5 e6 fxe6 Qe5 Qa3 Qxb5 Qxc3+;)",
    R"(7k/pp4np/2p3p1/3pN1q1/3P4/Q7/1r3rPP/2R2RK1 w - - acd 5; bm Qf8+; id "WAC.027"; ce 32764; dm 2; pv Qf8+ Rxf8 Rxf8#;)",
    R"(1r1r2k1/4pp1p/2p1b1p1/p3R3/RqBP4/4P3/1PQ2PPP/6K1 b - - acd 41; bm Qe1+; id "WAC.028"; ce 611; pv Qe1+ Bf1 Bb3 Qc3 Qxc3 bxc3 Bxa4 Rxa5 Ra8 Re5 e6 g4 Bd1 Kg2 Rd5 Kg3 Rxe5 dxe5 Ra5 Bg2 Rxe5 Bxc6 Rc5 Bg2 Kf8 c4 Rxc4 h3 Ke7 g5 Rc3 h4 Kd6 Kf4 Bb3 Kg3 Bd5 Bh3 Ra3 Bg4 Ra1 f3 Rg1+ Kf2 Rh1 Kg3 Bc6 e4 Rg1+ Kf2 Rc1 Kg2 Ke5 Kg3 Rc3;)",
    R"(r2q2k1/pp1rbppp/4pn2/2P5/1P3B2/6P1/P3QPBP/1R3RK1 w - - acd 43; bm c6; id "WAC.029"; ce 235; pv c6 bxc6 Bxc6 g6;)",
    R"(1r3r2/4q1kp/b1pp2p1/5p2/pPn1N3/6P1/P3PPBP/2QRR1K1 w - - acd 40; bm Nxd6; id "WAC.030"; ce 120; pv Nxd6 Nxd6 Qxc6 Bb5 Qxd6 Qxd6 Rxd6 Rfd8 Rxd8 Rxd8 a3 Rd2 Ra1 Bxe2 Bc6 Bd1 f4 Bc2 Ra2 Kf6 b5 Ke7 b6 Kd8 Bb7 Rd7 Ba6 Rd1+ Kf2 Bd3 Bb7 Be4 Bxe4 fxe4 Ke3 Re1+ Re2 Ra1 Kd4 Rxa3 Rxe4 Ra1 Kc5 a3 Ra4 a2 Ra8+ Kd7 b7 Rc1+ Kd5 a1=Q;)",
};
// clang-format on

} // namespace

std::vector<std::string> BenchPositionsAndFile(const char *file, int32_t count) {
    std::vector<std::string> fens;
    for (const BenchEntry &b : BenchPositions)
        fens.emplace_back(b.fen);
    std::ifstream in(file);
    std::string line;
    for (int32_t n = 0; n < count && std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        fens.push_back(line);
        ++n;
    }
    return fens;
}

std::vector<std::string> FixedBenchPositions() {
    std::vector<std::string> positions;
    for (const BenchEntry &b : BenchPositions)
        positions.emplace_back(b.fen);
    for (const char *fen : TacticalPositions)
        positions.emplace_back(fen);
    return positions;
}

bool PrepareFixedDepthSearch(uint32_t depth, bool thinking) {
    int quiet[2];
    if (pipe(quiet) == 0) dup2(quiet[0], 0);
    if (!AllocateHash(FixedBenchHashMegabytes)) return false;
    InitBoard();
    SkipBook = 1;
    AnalyzeMode = 1; // no time limit: the depth alone ends each search
    PostThinking = thinking ? 1 : 0;
    DepthLimit = depth;
    return true;
}

FixedDepthResult SearchFixedDepth(const std::string &position) {
    if (!SetupGame(position.c_str())) return {false, 0, 0, 0};
    ClearSearchMemory();
    SearchStartTime = MonotonicMilliseconds();
    const Move move = ThinkSide(SideToMove);
    return {true, NodeCount + QuiesceNodeCount, move, BestScore};
}

int RunFixedBenchCommand(int argc, const char *const *argv) {
    uint32_t depth = FixedBenchDepth;
    if (argc > 1) {
        std::fputs("usage: morvane bench [depth]\n", stderr);
        return 2;
    }
    if (argc == 1) {
        char *end = nullptr;
        const long value = std::strtol(argv[0], &end, 10);
        if (end == argv[0] || *end != '\0' || value < 1 || value > long(FixedBenchMaxDepth)) {
            std::fprintf(stderr, "morvane bench: depth must be a number from 1 to %u\n", FixedBenchMaxDepth);
            return 2;
        }
        depth = uint32_t(value);
    }
    SetSearchThreads(1);
    if (!PrepareFixedDepthSearch(depth, false)) {
        std::fprintf(stderr, "morvane bench: cannot allocate %d Mbytes for the hash table\n", FixedBenchHashMegabytes);
        return 1;
    }
    uint64_t nodes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const std::string &position : FixedBenchPositions())
        nodes += SearchFixedDepth(position).nodes;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double nps = seconds > 0 ? double(nodes) / seconds : 0.0;
    std::printf("%llu nodes\n%.0f nps\n", static_cast<unsigned long long>(nodes), nps);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
