// The table generator: byte meaning, files and what they need, the tool;
// generated tables against their own moves, an independent source and the
// engine's search.
#include <dlfcn.h>

#include "RequiredPackage.h"
#include "search/SearchTestSupport.h"
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

namespace {

std::vector<int8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<int8_t>(std::istreambuf_iterator<char>(in), {});
}

int32_t LongestWin(const std::string &name, int side) {
    int32_t longest = 0;
    for (int8_t b : ReadFile(TbGenFilePath(TableDirectory(), TbGenTableId(name), side)))
        longest = std::max(longest, ValueOfByte(b) > 0 ? Win(0) - ValueOfByte(b) : 0);
    return longest;
}

std::vector<std::string> Subtables(const char *name) {
    std::vector<std::string> names;
    for (int id : TbGenSubtables(TbGenTableId(name)))
        names.push_back(TbDescriptors[id].name);
    return names;
}

// The table position after a move of the engine's board.
Pos Moved(Pos p, Move m) {
    auto at = [](Square s) { return uint32_t((9 - s / 10) * 8 + s % 10 - 1); };
    for (int k = 0; k < p.n; ++k)
        if (p.sq[k] == at(MoveFrom(m))) p.sq[k] = at(MoveTo(m));
    return p;
}

// Wins with White to move in a spread sample of a table, with two legal
// moves or more (a single one is played without a search).
std::vector<std::pair<Pos, int32_t>> Wins(const std::string &name) {
    std::vector<std::pair<Pos, int32_t>> wins;
    ForBoardPositions(name, true, Sanitized ? 427 : 61, [&](Pos &p, uint32_t stm) {
        MoveEntry list[MoveListSize];
        int legal = 0;
        for (MoveEntry *e = list, *end = GenerateSideMoves(stm, list, SideInCheck(stm), 0); e < end; ++e)
            if (MakeMove(stm, SideInCheck(stm), 1, e->move)) legal++, UnmakeMove(stm, e->move);
        if (stm == White && ProbeValue(stm) > 0 && legal > 1) wins.push_back({p, Win(0) - ProbeValue(stm)});
        return true;
    });
    return wins;
}

// Plays White with the engine's search against the tables' best defence;
// returns the moves White took to mate, -1 when it did not.
int32_t PlayOut(Pos p, int32_t stated) {
    for (int32_t moves = 1; moves <= stated; ++moves) {
        SetUpSearch(Fen(p, White).c_str());
        p = Moved(p, ThinkQuietly());
        EXPECT_TRUE(SetupPosition(Fen(p, Black).c_str()));
        SelectMoveFunctions();
        MoveEntry list[MoveListSize];
        Move best = 0;
        int32_t longest = 0;
        for (MoveEntry *e = list, *end = GenerateSideMoves(Black, list, SideInCheck(Black), 0); e < end; ++e)
            if (MakeMove(Black, SideInCheck(Black), 1, e->move)) {
                const int32_t v = ProbeValue(White);
                UnmakeMove(Black, e->move);
                if (!best || v < longest) best = e->move, longest = v;
            }
        if (!best) return SideInCheck(Black) ? moves : -1;
        if (longest <= 0) return -1; // the win is gone
        p = Moved(p, best);
    }
    return -1;
}

} // namespace

TEST(Generator, BytesAndScores) {
    for (int b = -128; b <= 126; b++) {
        int8_t back;
        ASSERT_TRUE(TbGenByteOfScore(TbGenScoreOfByte(int8_t(b)), back)) << b;
        EXPECT_EQ(back, b);
    }
    EXPECT_EQ(TbGenScoreOfByte(127), TbGenUnknown);
    // Mate in 1 and in 127, mated now and in 126.
    const std::pair<int, int32_t> values[] = {{126, Win(1)},   {1, Win(126)},   {-128, Win(127)},
                                              {-126, Loss(0)}, {-1, Loss(125)}, {-127, Loss(126)}};
    for (auto [b, v] : values)
        EXPECT_EQ(ValueOfByte(int8_t(b)), v) << b;
    int8_t byte;
    EXPECT_FALSE(TbGenByteOfScore(TbGenWin - 255, byte));  // mate in 128
    EXPECT_FALSE(TbGenByteOfScore(-TbGenWin + 254, byte)); // mated in 127
    EXPECT_EQ(TbGenBackUp(-TbGenWin), TbGenWin - 1);       // the mating move
    EXPECT_EQ(TbGenBackUp(TbGenWin - 1), -TbGenWin + 2);   // the only move walks into mate
}

TEST(Generator, SubtablesFilesAndTheTool) {
    // The probe turns the bytes into the engine's mate scores.
    EnsureTables({"kqk"});
    ASSERT_TRUE(SetupPosition("k7/1Q6/1K6/8/8/8/8/8 b - -")); // mated
    EXPECT_EQ(ProbeTablebase(3, 0, Black), 32767 - 3);
    ASSERT_TRUE(SetupPosition("k7/7Q/1K6/8/8/8/8/8 w - -")); // Qb7 mates
    EXPECT_EQ(ProbeValue(White), Win(1));
    ASSERT_TRUE(SetupPosition("7q/8/8/8/8/8/8/k2K4 b - -")); // colours reversed
    EXPECT_GT(ProbeValue(Black), 0);
    EXPECT_EQ(Subtables("kqk"), std::vector<std::string>{});
    EXPECT_EQ(Subtables("kpk"), (std::vector<std::string>{"knk", "kbk", "krk", "kqk"}));
    EXPECT_EQ(Subtables("kqkr"), (std::vector<std::string>{"krk", "kqk"}));
    EXPECT_EQ(Subtables("kbnk"), (std::vector<std::string>{"knk", "kbk"}));
    EXPECT_EQ(Subtables("kpkp"), (std::vector<std::string>{"kpk", "knkp", "kbkp", "krkp", "kqkp"}));
    const std::vector<std::string> kqpkp = Subtables("kqpkp");
    for (const char *needed : {"kpkp", "kqkp", "kqpk", "kqnkp", "kqbkp", "kqrkp", "kqqkp", "kqpkq", "kqpkn"})
        EXPECT_NE(std::find(kqpkp.begin(), kqpkp.end(), needed), kqpkp.end()) << needed;
    // A missing subtable is an error; one of the wrong size is made again before it is used.
    const std::string dir = TableDirectory() + "/own";
    std::filesystem::create_directory(dir);
    TbGenReport report;
    std::string error;
    EXPECT_FALSE(TbGenerateTable(TbGenTableId("kqkr"), dir, false, report, error));
    EXPECT_NE(error.find("krk.nbw"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(TbGenFilePath(dir, TbGenTableId("kqkr"), 0)));
    ASSERT_TRUE(TbGenerateTables({TbGenTableId("kqk")}, dir, false, TbGenSilent, error)) << error;
    const std::string path = TbGenFilePath(dir, TbGenTableId("kqk"), 1);
    const std::vector<int8_t> good = ReadFile(path);
    std::ofstream(path, std::ios::binary) << "short";
    EXPECT_FALSE(TbGenTablePresent(dir, TbGenTableId("kqk")));
    ASSERT_TRUE(TbGenerateTables({TbGenTableId("kpk")}, dir, false, TbGenSilent, error)) << error;
    EXPECT_EQ(ReadFile(path), good);
    EXPECT_TRUE(TbGenTablePresent(dir, TbGenTableId("kpk")));
    // The tool: tables with what they need, exit codes.
    const std::string tool = std::string(MORVANE_BINARY).substr(0, std::string(MORVANE_BINARY).rfind('/') + 1);
    auto run = [&](const std::string &arguments) {
        const int status = std::system((tool + "morvane-tbgen " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    if (!std::filesystem::exists(tool + "morvane-tbgen")) GTEST_SKIP() << "morvane-tbgen not built";
    EXPECT_EQ(run("-o " + dir + "/tool -q kpk"), 0);
    for (const char *name : {"kpk", "kqk", "krk", "kbk", "knk"})
        EXPECT_TRUE(TbGenTablePresent(dir + "/tool", TbGenTableId(name))) << name;
    EXPECT_EQ(run("-o " + dir + "/tool -q all3"), 0);
    for (const std::string &bad : {"-o " + dir + " kxk", std::string(), std::string("-o")})
        EXPECT_EQ(run(bad), 2) << bad;
    EXPECT_EQ(run("-o /proc/no-such-place kqk"), 1);
}

// Four-piece tables (the slow suite checks each position against its moves):
// the longest mate every endgame player knows, and the engine's search: mates
// as long as the tables say, found by itself when short and reported exactly
// with the tables, and played out from the longest win met against the best
// defence.
class FourPieceTable : public ::testing::TestWithParam<std::pair<const char *, int32_t>> {};

TEST_P(FourPieceTable, AgreesWithItsMovesAndTheSearch) {
    const auto [name, longest] = GetParam();
    if (Sanitized && name[1] != 'r') GTEST_SKIP() << "one table is enough under the sanitizers";
    EnsureTables({name});
    EXPECT_EQ(LongestWin(name, 0), longest);
    EnsureSearchReady();
    const auto wins = Wins(name);
    std::vector<std::pair<Pos, int32_t>> shortWins;
    std::copy_if(wins.begin(), wins.end(), std::back_inserter(shortWins), [](auto &w) { return w.second <= 3; });
    ASSERT_FALSE(shortWins.empty());
    for (bool tables : {true, false}) {
        StartTablebases(tables ? TableDirectory().c_str() : "", 16.0);
        const auto &sample = tables ? wins : shortWins;
        for (size_t i = 0, n = Sanitized ? 3 : 12; i < n; ++i) {
            const auto &[p, moves] = sample[i * sample.size() / n];
            SetUpSearch(Fen(p, White).c_str());
            ThinkQuietly();
            EXPECT_EQ(BestScore, MateValue - (2 * moves - 1)) << Fen(p, White) << (tables ? " with" : " without");
        }
    }
    if (name[1] != 'b') return;
    StartTablebases(TableDirectory().c_str(), 16.0);
    const auto &[start, stated] =
        *std::max_element(wins.begin(), wins.end(), [](auto &a, auto &b) { return a.second < b.second; });
    EXPECT_GE(stated, 20);
    const int32_t taken = PlayOut(start, stated);
    EXPECT_GT(taken, 0) << Fen(start, White);
    EXPECT_LE(taken, stated) << Fen(start, White);
}

INSTANTIATE_TEST_SUITE_P(Generated, FourPieceTable,
                         ::testing::Values(std::pair("kqkr", 35), std::pair("krkn", 40), std::pair("kbnk", 33)),
                         [](const auto &info) { return std::string(info.param.first); });

namespace {

// The Gaviota tables and their probing library, loaded at run time (a
// test-only package); the comparison skips when they are not installed.
using TbProbeHard = int (*)(unsigned, unsigned, unsigned, const unsigned *, const unsigned *, const unsigned char *,
                            const unsigned char *, unsigned *, unsigned *);

TbProbeHard LoadGaviota() {
    static TbProbeHard probe = [] {
        const char *directory = "/usr/share/gaviotatb/gtb4";
        void *library = dlopen("libgaviotatb.so.1", RTLD_NOW);
        if (!library) library = dlopen("libgaviotatb.so", RTLD_NOW);
        if (!library || !std::filesystem::exists(std::string(directory) + "/kqk.gtb.cp4")) return TbProbeHard(nullptr);
        auto pathsInit = reinterpret_cast<const char **(*)()>(dlsym(library, "tbpaths_init"));
        auto pathsAdd = reinterpret_cast<const char **(*)(const char **, const char *)>(dlsym(library, "tbpaths_add"));
        auto init = reinterpret_cast<char *(*)(int, int, const char **)>(dlsym(library, "tb_init"));
        auto cacheInit = reinterpret_cast<int (*)(size_t, int)>(dlsym(library, "tbcache_init"));
        if (!pathsInit || !pathsAdd || !init || !cacheInit) return TbProbeHard(nullptr);
        init(0, 4, pathsAdd(pathsInit(), directory)); // 4: the compression of the packaged files
        cacheInit(8 << 20, 0);
        return reinterpret_cast<TbProbeHard>(dlsym(library, "tb_probe_hard"));
    }();
    return probe;
}

// Value in moves for the side to move, as the Gaviota tables give it.
int32_t GaviotaValue(TbProbeHard probe, const Pos &p, uint32_t stm) {
    unsigned squares[2][4], info = 0, plies = 0, n[2] = {0, 0};
    unsigned char kinds[2][4];
    for (int k = 0; k < p.n; ++k) { // kings last... their kind 6, the list ends with 64 and 0
        const uint32_t c = p.color[k];
        squares[c][n[c]] = p.sq[k];
        kinds[c][n[c]++] = (unsigned char)p.kind[k];
    }
    for (int c = 0; c < 2; ++c)
        squares[c][n[c]] = 64, kinds[c][n[c]] = 0;
    if (!probe(stm, 64, 0, squares[0], squares[1], kinds[0], kinds[1], &info, &plies)) return NoValue;
    if (info == 0) return 0; // a draw
    if (info != 1 && info != 2) return NoValue;
    return (info == 1) == (stm == White) ? Win(int32_t(plies + 1) / 2) : Loss(int32_t(plies) / 2);
}

class ThreePieceTable : public ::testing::TestWithParam<std::pair<const char *, int32_t>> {};

} // namespace

// Three-piece tables: files of their full length, the longest mates every
// endgame player knows, and every position, with both colourings and sides
// to move, the same result and distance as in the Gaviota tables.
TEST_P(ThreePieceTable, EveryPositionIsRight) {
    const auto [name, longest] = GetParam();
    EnsureTables({name});
    for (int side = 0; side < 2; side++)
        EXPECT_EQ(std::filesystem::file_size(TbGenFilePath(TableDirectory(), TbGenTableId(name), side)),
                  TbDescriptors[TbGenTableId(name)].expectedLength[side]);
    EXPECT_EQ(LongestWin(name, 0), longest);
    EXPECT_EQ(LongestWin(name, 1), 0); // the lone king never wins
    const TbProbeHard probe = LoadGaviota();
    if (probe == nullptr) SKIP_WITHOUT_PACKAGE("Gaviota tables or library not installed");
    const std::string table = name, reversed = table.substr(table.find('k', 1)) + table.substr(0, table.find('k', 1));
    uint64_t compared = 0;
    for (const std::string &colours : {table, reversed})
        ForBoardPositions(colours, false, Sanitized ? 7 : 1, [&](Pos &p, uint32_t stm) {
            const int32_t ours = ProbeValue(stm), theirs = GaviotaValue(probe, p, stm);
            EXPECT_EQ(ours, theirs) << Fen(p, stm);
            return ++compared, ours == theirs;
        });
    EXPECT_GT(compared, Sanitized ? 20000u : 150000u);
}

INSTANTIATE_TEST_SUITE_P(Generated, ThreePieceTable,
                         ::testing::Values(std::pair("kqk", 10), std::pair("krk", 16), std::pair("kpk", 28),
                                           std::pair("kbk", 0), std::pair("knk", 0)),
                         [](const auto &info) { return std::string(info.param.first); });
