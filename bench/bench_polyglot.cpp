// Polyglot books: build time against the main-book builder on the same games,
// and probe time on positions reached in those games.
//
// Both books are built from the game file with the default book's limits
// (20 plies, moves seen in 2 games), each three times; the best processor
// time counts (the machine may be busy). Then 10,000 positions are drawn at
// random from the first 20 plies of the games, and for each the book's legal
// moves are looked up (key, binary search over the open file, matching the
// entries to legal moves); the median and the slowest tenth are printed, as
// is the probe alone (key and search).
//
// Usage: bench_polyglot [GAMES.pgn] [probes]
// (default: build/books/bjbraams_chessdb_198350_lines.pgn, unpacked by the build)
// Peak memory of each build: /usr/bin/time -v build/morvane-book [-f polyglot] ...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "book/BookBuilder.h"
#include "book/PgnReader.h"
#include "book/PolyglotBook.h"
#include "book/PolyglotWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int Plies = 20;
constexpr int Rounds = 3;

double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

template <class F> double BestCpuTime(F build) {
    double best = 1e30;
    for (int i = 0; i < Rounds; ++i) {
        const double start = CpuSeconds();
        if (!build()) {
            std::fprintf(stderr, "bench_polyglot: build failed\n");
            std::exit(1);
        }
        best = std::min(best, CpuSeconds() - start);
    }
    return best;
}

void Play(Move m) {
    SelectMoveFunctions();
    const uint32_t side = SideToMove;
    MakeMove(side, RootInCheck, 0, m);
    SideToMove = side ^ 1;
    EpSquare = EpSquareAfter(m);
    RootInCheck = SideInCheck(SideToMove);
}

// The first plies of every game, as moves.
std::vector<std::vector<Move>> ReadLines(const char *file) {
    std::vector<std::vector<Move>> lines(1);
    PgnReader in;
    if (!in.Open(file)) return {};
    SetupPosition(StartPosition);
    bool skip = false;
    for (PgnToken t = in.Next(); t != PgnToken::End && t != PgnToken::ReadError; t = in.Next()) {
        if (t == PgnToken::Result) {
            if (!lines.back().empty()) lines.emplace_back();
            SetupPosition(StartPosition);
            skip = false;
        }
        if (t != PgnToken::Move || skip || lines.back().size() >= Plies) continue;
        char marks[4];
        StripMoveMarks(in.text, marks, true);
        const Move m = ParseSanMove(in.text, 1, SanReading::Loose);
        if (m == 0) {
            skip = true;
            continue;
        }
        lines.back().push_back(m);
        Play(m);
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double Decile(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() * 9 / 10];
}

} // namespace

int main(int argc, char **argv) {
    const char *games = argc > 1 ? argv[1] : "build/books/bjbraams_chessdb_198350_lines.pgn";
    const int probes = argc > 2 ? std::atoi(argv[2]) : 10000;
    FillZobristKeys();
    InitBoard();
    BuildTables();

    BookBuildOptions options;
    options.plies = Plies;
    options.minCount = 2;
    options.progressEvery = 0;
    BookBuildStats stats;
    std::FILE *quiet = std::fopen("/dev/null", "w");
    const std::string own = "/tmp/bench_polyglot.book", bin = "/tmp/bench_polyglot.bin";
    const double ownTime = BestCpuTime([&] { return BuildBook({games}, own.c_str(), options, stats, quiet); });
    const uint64_t ownWritten = stats.written;
    const double binTime = BestCpuTime([&] { return BuildPolyglotBook({games}, bin.c_str(), options, stats, quiet); });
    std::printf("build from %s, %d plies, moves in 2 games or more (best of %d, processor time):\n", games, Plies,
                Rounds);
    std::printf("  own format  %7.3f s  %llu positions\n", ownTime, static_cast<unsigned long long>(ownWritten));
    std::printf("  polyglot    %7.3f s  %llu entries\n", binTime, static_cast<unsigned long long>(stats.written));
    std::printf("  ratio       %7.3f (target at most 1.2)\n", binTime / ownTime);

    PolyglotBookFile book;
    std::string problem;
    if (!OpenPolyglotBook(bin.c_str(), book, problem)) {
        std::fprintf(stderr, "bench_polyglot: %s: %s\n", bin.c_str(), problem.c_str());
        return 1;
    }
    const std::vector<std::vector<Move>> lines = ReadLines(games);
    if (lines.empty()) return 1;
    std::mt19937 rng(7);
    std::vector<double> full, probeOnly;
    int hits = 0;
    for (int i = 0; i < probes; ++i) {
        const std::vector<Move> &line = lines[rng() % lines.size()];
        const size_t ply = rng() % line.size();
        SetupPosition(StartPosition);
        for (size_t p = 0; p < ply; ++p)
            Play(line[p]);
        PolyglotMove moves[MaxMoves];
        auto start = Clock::now();
        const int n = PolyglotBookMoves(book, moves, MaxMoves);
        full.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        hits += n > 0;
        PolyglotEntry entries[MaxMoves];
        start = Clock::now();
        ProbePolyglotBook(book, PolyglotKey(), entries, MaxMoves);
        probeOnly.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::printf("probe of %d positions from the games' first %d plies (%d with book moves), %lld entries:\n", probes,
                Plies, hits, static_cast<long long>(book.entries));
    std::printf("  book moves  median %6.2f us, 90%% within %6.2f us (target: median under 50 us)\n", Median(full),
                Decile(full));
    std::printf("  probe only  median %6.2f us, 90%% within %6.2f us\n", Median(probeOnly), Decile(probeOnly));
    ClosePolyglotBook(book);
    std::remove(own.c_str());
    std::remove(bin.c_str());
    return 0;
}
