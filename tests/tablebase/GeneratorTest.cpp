// The table generator: byte meaning, files and what they need, the tool;
// generated tables against published longest mates and the Gaviota tables.
#include <dlfcn.h>

#include "RequiredPackage.h"
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

namespace {

int32_t LongestWin(const std::string &name, int side) {
    int32_t longest = 0;
    for (int8_t b : ReadTableFile(TbGenFilePath(TableDirectory(), TbGenTableId(name), side)))
        longest = std::max(longest, ValueOfByte(b) > 0 ? Win(0) - ValueOfByte(b) : 0);
    return longest;
}

std::vector<std::string> Subtables(const char *name) {
    std::vector<std::string> names;
    for (int id : TbGenSubtables(TbGenTableId(name)))
        names.push_back(TbDescriptors[id].name);
    return names;
}

} // namespace

TEST(Generator, BytesAndScores) {
    for (int b = -128; b <= 126; b++) {
        int8_t back;
        ASSERT_TRUE(TbGenByteOfScore(TbGenScoreOfByte(int8_t(b)), back)) << b;
        EXPECT_EQ(back, b);
    }
    EXPECT_EQ(TbGenScoreOfByte(127), TbGenUnknown);
    // Mate in 127 and mated in 126 fit (the Gaviota comparison checks the other distances), one more does not.
    EXPECT_EQ(ValueOfByte(-128), Win(127));
    EXPECT_EQ(ValueOfByte(-127), Loss(126));
    int8_t byte;
    EXPECT_FALSE(TbGenByteOfScore(TbGenWin - 255, byte));  // mate in 128
    EXPECT_FALSE(TbGenByteOfScore(-TbGenWin + 254, byte)); // mated in 127
}

TEST(Generator, SubtablesFilesAndTheTool) {
    // Captures and promotions lead into these (kqk none).
    EnsureTable("kqk");
    EXPECT_EQ(Subtables("kqk"), std::vector<std::string>{});
    EXPECT_EQ(Subtables("kpk"), (std::vector<std::string>{"knk", "kbk", "krk", "kqk"}));
    EXPECT_EQ(Subtables("kqkr"), (std::vector<std::string>{"krk", "kqk"}));
    EXPECT_EQ(Subtables("kpkp"), (std::vector<std::string>{"kpk", "knkp", "kbkp", "krkp", "kqkp"}));
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
    const std::vector<int8_t> good = ReadTableFile(path);
    std::ofstream(path, std::ios::binary) << "short";
    EXPECT_FALSE(TbGenTablePresent(dir, TbGenTableId("kqk")));
    ASSERT_TRUE(TbGenerateTables({TbGenTableId("kpk")}, dir, false, TbGenSilent, error)) << error;
    EXPECT_EQ(ReadTableFile(path), good);
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
    for (const std::string &bad : {"-o " + dir + " kxk", std::string("-o")})
        EXPECT_EQ(run(bad), 2) << bad;
    EXPECT_EQ(run("-o /proc/no-such-place kqk"), 1);
}

namespace {

// The Gaviota tables and their probing library (a test-only package), loaded at run time if installed.
using TbProbeHard = int (*)(unsigned, unsigned, unsigned, const unsigned *, const unsigned *, const unsigned char *,
                            const unsigned char *, unsigned *, unsigned *);

TbProbeHard LoadGaviota() {
    static TbProbeHard probe = [] {
        const char *directory = "/usr/share/gaviotatb/gtb4";
        void *library = dlopen("libgaviotatb.so.1", RTLD_NOW);
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
    // Each side's list of squares ends with 64, its list of kinds with 0; a king's kind is 6.
    unsigned squares[2][4] = {{64, 64, 64, 64}, {64, 64, 64, 64}}, info = 0, plies = 0, n[2] = {0, 0};
    unsigned char kinds[2][4] = {};
    for (int k = 0; k < p.n; ++k) {
        const uint32_t c = p.color[k];
        squares[c][n[c]] = p.sq[k];
        kinds[c][n[c]++] = (unsigned char)p.kind[k];
    }
    if (!probe(stm, 64, 0, squares[0], squares[1], kinds[0], kinds[1], &info, &plies)) return NoValue;
    if (info == 0) return 0; // a draw
    if (info != 1 && info != 2) return NoValue;
    return (info == 1) == (stm == White) ? Win(int32_t(plies + 1) / 2) : Loss(int32_t(plies) / 2);
}

class GeneratedTable : public ::testing::TestWithParam<std::pair<const char *, int32_t>> {};

} // namespace

// Generated tables have the longest mates every endgame player knows, and every three-piece position
// (both colourings and sides to move) the result and distance of the Gaviota tables.
TEST_P(GeneratedTable, LongestMateAndEveryPositionAsGaviota) {
    const auto [name, longest] = GetParam();
    if (Sanitized && PosOf(name).n > 3 && name[1] != 'r') GTEST_SKIP() << "one four-piece table under the sanitizers";
    EnsureTable(name); // a file of the wrong length would stop the registration
    EXPECT_EQ(LongestWin(name, 0), longest);
    if (PosOf(name).n > 3) return;
    EXPECT_EQ(LongestWin(name, 1), 0); // the lone king never wins
    const TbProbeHard probe = LoadGaviota();
    if (probe == nullptr) SKIP_WITHOUT_PACKAGE("Gaviota tables or library not installed");
    const std::string table = name, reversed = table.substr(table.find('k', 1)) + table.substr(0, table.find('k', 1));
    uint64_t compared = 0;
    auto compare = [&](Pos &p) {
        for (uint32_t stm = 0; stm < 2; ++stm) {
            if (!Legal(p, stm) || !SetupPosition(Fen(p, stm).c_str())) continue;
            const int32_t ours = ProbeValue(stm), theirs = GaviotaValue(probe, p, stm);
            EXPECT_EQ(ours, theirs) << Fen(p, stm);
            if (++compared, ours != theirs) return false;
        }
        return true;
    };
    for (const std::string &colours : {table, reversed})
        ForPlacements(colours, compare, Sanitized ? 7 : 1);
    EXPECT_GT(compared, Sanitized ? 20000u : 150000u);
}

INSTANTIATE_TEST_SUITE_P(Tables, GeneratedTable,
                         ::testing::Values(std::pair("kqk", 10), std::pair("krk", 16), std::pair("kpk", 28),
                                           std::pair("kbk", 0), std::pair("knk", 0), std::pair("kqkr", 35),
                                           std::pair("krkn", 40), std::pair("kbnk", 33)),
                         [](const auto &info) { return std::string(info.param.first); });
