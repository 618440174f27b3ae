// morvane-book: writes the engine's main opening book from game collections.
//
//   morvane-book [-f FORMAT] [-o FILE] [-p PLIES] [-m COUNT] [-n] PGN...
//
// Every game is replayed to at most PLIES plies; each position reached gets
// a weight from the games that reached it (and how they ended, unless -n).
// Positions reached in fewer than COUNT games are left out. With -f polyglot
// the book is a polyglot ".bin" book that other programs read as well.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/Board.h"
#include "book/BookBuilder.h"
#include "book/PolyglotWriter.h"

namespace {

void PrintUsage(std::FILE *out) {
    std::fprintf(out, "usage: morvane-book [-f FORMAT] [-o FILE] [-p PLIES] [-m COUNT] [-n] PGN...\n"
                      "  PGN       game files in portable game notation (tags, comments, variations\n"
                      "            and numeric glyphs are read past; only the main line counts)\n"
                      "  -f FORMAT morvane (default): the engine's own book format;\n"
                      "            polyglot: a polyglot \".bin\" book, which interfaces and other\n"
                      "            engines read too; the engine reads it through its BookFile setting\n"
                      "  -o FILE   book to write (default: Morvane.book in the current directory,\n"
                      "            morvane.bin with -f polyglot)\n"
                      "  -p PLIES  replay each game to at most PLIES plies (default 20, at most 400):\n"
                      "            ten moves each covers the openings people know by name; deeper\n"
                      "            lines are seldom reached twice and only grow the book\n"
                      "  -m COUNT  leave out positions reached in fewer than COUNT games (default 2):\n"
                      "            a move played once is as likely a slip or a one-off as a choice\n"
                      "            (polyglot: moves played in fewer than COUNT games)\n"
                      "  -n        ignore results: every game that played the move adds 2 to its\n"
                      "            weight. By default a won game adds 4, a draw or a game without\n"
                      "            result 2 and a lost game 0 (for the side that moved), so moves\n"
                      "            that scored well are chosen more often and moves that only\n"
                      "            lost are left out and never chosen. Polyglot weights count\n"
                      "            2 per win, 1 per draw or game without result (1 per game with\n"
                      "            -n), scaled down in proportion where a position's exceed 65535\n"
                      "The engine plays a book move with a chance in proportion to its weight.\n"
                      "Games that cannot be replayed are reported and skipped. The book is written\n"
                      "only when the run succeeds; an existing book is otherwise left unchanged.\n");
}

int Usage() {
    PrintUsage(stderr);
    return 2;
}

bool ReadNumber(const char *text, long low, long high, long &value) {
    char *end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == 0 && value >= low && value <= high;
}

} // namespace

int main(int argc, char **argv) {
    std::string output;
    bool polyglot = false;
    BookBuildOptions options;
    std::vector<std::string> files;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        long value = 0;
        if (arg == "-f") {
            if (++i == argc) return Usage();
            const std::string format = argv[i];
            if (format != "polyglot" && format != "morvane") {
                std::fprintf(stderr, "morvane-book: unknown format \"%s\" (polyglot or morvane)\n", argv[i]);
                return Usage();
            }
            polyglot = format == "polyglot";
        } else if (arg == "-o") {
            if (++i == argc) return Usage();
            output = argv[i];
        } else if (arg == "-p") {
            if (++i == argc || !ReadNumber(argv[i], 1, 400, value)) return Usage();
            options.plies = int(value);
        } else if (arg == "-m") {
            if (++i == argc || !ReadNumber(argv[i], 1, 1000000000, value)) return Usage();
            options.minCount = uint32_t(value);
        } else if (arg == "-n") {
            options.useResults = false;
        } else if (arg == "-h" || arg == "--help") {
            PrintUsage(stdout);
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "morvane-book: unknown option \"%s\"\n", arg.c_str());
            return Usage();
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return Usage();
    if (output.empty()) output = polyglot ? "morvane.bin" : "Morvane.book";

    FillZobristKeys();
    InitBoard();
    BuildTables();
    BookBuildStats stats;
    if (polyglot) {
        if (!BuildPolyglotBook(files, output.c_str(), options, stats, stderr)) return 1;
    } else if (!BuildBook(files, output.c_str(), options, stats, stderr)) {
        return 1;
    }
    std::printf(polyglot ? "%llu games (%llu skipped), %llu moves, %llu entries written to %s\n"
                         : "%llu games (%llu skipped), %llu positions, %llu written to %s\n",
                static_cast<unsigned long long>(stats.games), static_cast<unsigned long long>(stats.skipped),
                static_cast<unsigned long long>(stats.positions), static_cast<unsigned long long>(stats.written),
                output.c_str());
    return 0;
}
