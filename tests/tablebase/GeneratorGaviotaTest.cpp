// Generated three-piece tables against an independent source: the Debian
// Gaviota tables and their probing library, loaded at run time. The test
// skips when they are not installed.
#include <dlfcn.h>
#include <sys/stat.h>

#include "tablebase/GeneratorTestSupport.h"

using namespace gentest;

namespace {

// The library's C interface (declared here so that the test builds without its header).
using TbPathsInit = const char **(*)();
using TbPathsAdd = const char **(*)(const char **, const char *);
using TbInit = char *(*)(int, int, const char **);
using TbCacheInit = int (*)(size_t, int);
using TbProbeHard = int (*)(unsigned, unsigned, unsigned, const unsigned *, const unsigned *, const unsigned char *,
                            const unsigned char *, unsigned *, unsigned *);
constexpr unsigned NoSquare = 64;
constexpr int Compression4 = 4;
constexpr unsigned Draw = 0, WhiteMates = 1, BlackMates = 2;

struct Gaviota {
    void *library = nullptr;
    TbProbeHard probe = nullptr;
};

// Loads the library and the tables once; probe stays null when either is missing.
const Gaviota &Load() {
    static Gaviota g;
    static bool tried = false;
    if (tried) return g;
    tried = true;
    const char *directory = "/usr/share/gaviotatb/gtb4";
    struct stat info;
    if (::stat((std::string(directory) + "/kqk.gtb.cp4").c_str(), &info) != 0) return g;
    for (const char *name : {"libgaviotatb.so.1", "libgaviotatb.so"})
        if ((g.library = dlopen(name, RTLD_NOW)) != nullptr) break;
    if (g.library == nullptr) return g;
    auto pathsInit = reinterpret_cast<TbPathsInit>(dlsym(g.library, "tbpaths_init"));
    auto pathsAdd = reinterpret_cast<TbPathsAdd>(dlsym(g.library, "tbpaths_add"));
    auto init = reinterpret_cast<TbInit>(dlsym(g.library, "tb_init"));
    auto cacheInit = reinterpret_cast<TbCacheInit>(dlsym(g.library, "tbcache_init"));
    auto probe = reinterpret_cast<TbProbeHard>(dlsym(g.library, "tb_probe_hard"));
    if (!pathsInit || !pathsAdd || !init || !cacheInit || !probe) return g;
    const char **paths = pathsAdd(pathsInit(), directory);
    init(0, Compression4, paths);
    cacheInit(8 << 20, 0);
    g.probe = probe;
    return g;
}

// Value in moves for the side to move, as the Gaviota tables give it.
int32_t GaviotaValue(const Gaviota &g, const std::vector<char> &letters, const uint32_t *squares, uint32_t stm) {
    unsigned white[6], black[6];
    unsigned char whiteKinds[6], blackKinds[6];
    int nw = 0, nb = 0;
    for (size_t i = 0; i < letters.size(); i++) {
        const char c = letters[i];
        const bool isWhite = c >= 'A' && c <= 'Z';
        const char lower = char(isWhite ? c - 'A' + 'a' : c);
        const unsigned char kind = lower == 'p'   ? 1
                                   : lower == 'n' ? 2
                                   : lower == 'b' ? 3
                                   : lower == 'r' ? 4
                                   : lower == 'q' ? 5
                                                  : 6;
        if (isWhite) {
            white[nw] = squares[i];
            whiteKinds[nw++] = kind;
        } else {
            black[nb] = squares[i];
            blackKinds[nb++] = kind;
        }
    }
    white[nw] = black[nb] = NoSquare;
    whiteKinds[nw] = blackKinds[nb] = 0;
    unsigned info = 0, plies = 0;
    if (!g.probe(stm, NoSquare, 0, white, black, whiteKinds, blackKinds, &info, &plies)) return NoValue;
    if (info == Draw) return 0;
    if (info != WhiteMates && info != BlackMates) return NoValue;
    const bool sideToMoveWins = (info == WhiteMates) == (stm == White);
    return sideToMoveWins ? WinInMoves(int32_t(plies + 1) / 2) : LossInMoves(int32_t(plies) / 2);
}

class GeneratorGaviotaTest : public ::testing::TestWithParam<const char *> {};

} // namespace

// Every legal position of the table, both sides to move, with the table's
// own colours and with colours reversed: the engine's probe of our file
// gives the same result and distance as the Gaviota table.
TEST_P(GeneratorGaviotaTest, EveryPositionAgrees) {
    const Gaviota &g = Load();
    if (g.probe == nullptr) GTEST_SKIP() << "Gaviota tables or library not installed";
    EnsureTables({GetParam()});
    const std::string name = GetParam();
    // Colours reversed: the same pieces with Black as the stronger side.
    const size_t second = name.find('k', 1);
    std::string reversed(1, 'k');
    reversed.append(name, second + 1, std::string::npos);
    reversed.append(name, 0, second);
    uint64_t compared = 0, wins = 0, losses = 0;
    for (const std::string &table : {name, reversed}) {
        const std::vector<char> letters = LettersOf(table);
        ForEachPosition(table, false, Sanitized ? 7 : 1, [&](const uint32_t *squares, uint32_t stm) {
            const int32_t ours = ProbeValue(stm);
            const int32_t theirs = GaviotaValue(g, letters, squares, stm);
            ASSERT_EQ(ours, theirs) << Fen(letters, squares, stm);
            compared++;
            wins += ours > 0;
            losses += ours < 0;
        });
    }
    EXPECT_GT(compared, Sanitized ? 20000u : 150000u);
    if (name != "knk" && name != "kbk") {
        EXPECT_GT(wins, 0u);
        EXPECT_GT(losses, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(ThreePieceTables, GeneratorGaviotaTest, ::testing::Values("kqk", "krk", "kbk", "knk", "kpk"));
