// Syzygy tables through Fathom: loading and bad files, the win/draw/loss probe of the board's position
// (the root probe is the search's), the layout check before Fathom reads a table, and damaged tables.
#include <cstring>
#include <functional>
#include <random>

#include "RequiredPackage.h"
#include "tablebase/SyzygyLayout.h"
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;
namespace fs = std::filesystem;

namespace {

const std::string DataTables = std::string(MORVANE_TEST_DATA) + "/syzygy";
constexpr int DataTableCount = 9; // the .rtbw files there

void CopyTable(const std::string &stem, const std::string &to) {
    for (const char *extension : {".rtbw", ".rtbz"}) {
        fs::copy_file(DataTables + "/" + stem + extension, to + "/" + stem + extension);
        fs::permissions(to + "/" + stem + extension, fs::perms::owner_read | fs::perms::owner_write);
    }
}

// KQvKR.rtbw: 5 header bytes, 5 settings bytes for its one sub-table pair
// (four pieces and the order), so the first sub-table's settings start at
// byte 10; its longest and shortest code lengths are bytes 18 and 19, and its
// symbol count follows the 2-byte offsets of each length.
constexpr size_t FirstPairs = 10;
size_t SymbolCountAt(const std::vector<uint8_t> &t) {
    return FirstPairs + 10 + 2 * (t[FirstPairs + 8] - t[FirstPairs + 9] + 1);
}
uint32_t SymbolCount(const std::vector<uint8_t> &t) { return t[SymbolCountAt(t)] | t[SymbolCountAt(t) + 1] << 8; }
// The pair of symbol `s`: left in the low 12 bits, right in the high 12.
void SetPair(std::vector<uint8_t> &t, uint32_t s, uint32_t left, uint32_t right) {
    uint8_t *w = &t[SymbolCountAt(t) + 2 + 3 * s];
    w[0] = uint8_t(left);
    w[1] = uint8_t(left >> 8 | right << 4);
    w[2] = uint8_t(right >> 4);
}

SyzygyWdl ProbeFen(const std::string &fen) {
    EXPECT_TRUE(SetupPosition(fen.c_str())) << fen;
    return SyzygyProbeWdl(SideToMove, EpSquare);
}

class SyzygyTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitTables(); }
    void SetUp() override {
        if (!SyzygyCompiledIn) SKIP_WITHOUT_PACKAGE("built without Fathom (libfathom-dev)");
    }
    void TearDown() override { SyzygyInit(""); }
};

} // namespace

// The tables of every folder of the path, each counted once; files that are no table are passed over,
// damaged ones named and left out (folders missing or too long: the options' end-to-end tests).
TEST_F(SyzygyTest, LoadsEveryFolderAndLeavesOutBadFiles) {
    TempDirectory bad;
    for (const char *stem : {"KRvK", "KQvK", "KPvK"})
        CopyTable(stem, bad.path);
    std::ofstream(bad.path + "/notes.rtbw") << "not a table name";
    fs::resize_file(bad.path + "/KQvK.rtbw", 100); // truncated
    const auto size = fs::file_size(bad.path + "/KPvK.rtbw");
    std::ofstream(bad.path + "/KPvK.rtbw", std::ios::binary) << std::string(size, 'x'); // garbage, right size
    SyzygyLoadResult r = SyzygyInit(DataTables + ":" + DataTables);
    EXPECT_EQ(r.tables, DataTableCount) << r.warnings;
    r = SyzygyInit(bad.path);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.tables, 1) << r.warnings;
    EXPECT_NE(r.warnings.find("KQvK.rtbw is truncated"), std::string::npos) << r.warnings;
    EXPECT_NE(r.warnings.find("KPvK.rtbw is not a Syzygy table"), std::string::npos) << r.warnings;
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/8/3RK3 w - -"), SyzygyWin);
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/8/3QK3 w - -"), SyzygyNoAnswer); // its table was left out
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/4P3/4K3 w - -"), SyzygyNoAnswer);
    SyzygyInit("");
    EXPECT_EQ(SyzygyProbePieces, 0u);
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/8/3RK3 w - -"), SyzygyNoAnswer);
}

// Positions whose results a player sees at a glance; the pawn, mate and
// stalemate rows fail with the ranks (or colours) of the masks mixed up.
TEST_F(SyzygyTest, ProbeGivesTheResultForTheSideToMove) {
    ASSERT_EQ(SyzygyInit(DataTables).tables, DataTableCount);
    const std::pair<const char *, SyzygyWdl> cases[] = {
        {"4k3/8/8/8/8/8/8/3QK3 w - -", SyzygyWin},
        {"8/8/8/8/8/2k5/1Q6/7K b - -", SyzygyDraw},   // the king takes the queen
        {"k7/1Q6/1K6/8/8/8/8/8 b - -", SyzygyLoss},   // mated
        {"k7/2Q5/1K6/8/8/8/8/8 b - -", SyzygyDraw},   // stalemated
        {"8/P7/8/8/8/8/8/k1K5 w - -", SyzygyWin},     // promotes
        {"k1K5/8/8/8/8/8/p7/8 b - -", SyzygyWin},     // the same, colours reversed
        {"k7/P7/K7/8/8/8/8/8 w - -", SyzygyDraw},     // rook pawn, the corner held
        {"4k3/4P3/4K3/8/8/8/8/8 b - -", SyzygyDraw},  // opposition
        {"4k3/8/4K3/4P3/8/8/8/8 w - -", SyzygyWin},   // king in front of its pawn
        {"8/8/8/3k4/8/8/8/KBN5 w - -", SyzygyWin},    // bishop and knight
        {"4k3/8/8/8/8/8/8/1NN1K3 w - -", SyzygyDraw}, // two knights cannot force mate
    };
    for (const auto &[fen, wdl] : cases)
        EXPECT_EQ(ProbeFen(fen), wdl) << fen;
}

// The board's masks (a8 = bit 0) turned into a1 = bit 0, written out by hand, and the en-passant square.
TEST_F(SyzygyTest, BoardMasksTurnIntoFathomSquares) {
    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/1N6/4K2Q w - d6"));
    const SyzygyBoard b = SyzygyBoardOfPosition(SideToMove, EpSquare);
    auto bit = [](int file, int rank) { return uint64_t(1) << (8 * rank + file); }; // a1 = (0, 0)
    EXPECT_EQ(b.white, bit(4, 0) | bit(4, 4) | bit(1, 1) | bit(7, 0));
    EXPECT_EQ(b.black, bit(4, 7) | bit(3, 4));
    EXPECT_EQ(b.pawns, bit(4, 4) | bit(3, 4)); // the kinds: ProbeGivesTheResultForTheSideToMove
    EXPECT_EQ(b.ep, 8u * 5 + 3);               // d6
    EXPECT_TRUE(b.whiteToMove);
    EXPECT_FALSE(SyzygyBoardOfPosition(Black, 0).whiteToMove);
    EXPECT_EQ(SyzygyBoardOfPosition(Black, 0).ep, 0u);
}

// Damaged copies of tables (cut short anywhere, a few bits flipped, or garbage of the right size) are
// refused or give no answer; the engine never goes down with them.
TEST_F(SyzygyTest, DamagedTablesNeverCrashTheProbe) {
    std::mt19937 random(2026);
    for (int round = 0; round < (Sanitized ? 12 : 40); ++round) {
        TempDirectory copy;
        for (const char *stem : {"KQvKR", "KQvK", "KRvK"})
            CopyTable(stem, copy.path);
        const std::string victim = copy.path + (round / 4 % 2 ? "/KQvKR.rtbw" : "/KQvKR.rtbz");
        std::vector<int8_t> bytes = ReadTableFile(victim);
        if (round % 4 < 2) { // cut anywhere, or where the length still looks like a table's
            bytes.resize(round % 4 ? 16 + 64 * (random() % (bytes.size() / 64)) : random() % bytes.size());
        } else if (round % 4 == 2) {
            for (int flips = 1 + int(random() % 8); flips > 0; --flips) // a few bits anywhere
                bytes[random() % bytes.size()] ^= int8_t(1 << random() % 8);
        } else {
            std::generate(bytes.begin(), bytes.end(), [&] { return int8_t(random()); });
        }
        std::ofstream(victim, std::ios::binary)
            .write(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));

        testing::internal::CaptureStdout();
        SyzygyInit(copy.path);
        uint64_t probes = 0;
        auto probe = [&](Pos &q) {
            for (uint32_t stm = 0; stm < 2; ++stm) {
                if (!Legal(q, stm)) continue;
                SyzygyProbeWdl(SyzygyBoardOf(q, stm));
                probes++;
            }
            return true;
        };
        ForPlacements("kqkr", probe, Sanitized ? 9973 : 997, uint64_t(round));
        testing::internal::GetCapturedStdout();
        EXPECT_GT(probes, 100u);
    }
}

// The layout check before Fathom reads a table (sound tables pass it whenever they load) names each kind
// of damage that would make Fathom write outside its memory or recurse without end.
TEST(SyzygyLayout, DamageFathomWouldTrustIsNamed) {
    std::ifstream in(DataTables + "/KQvKR.rtbw", std::ios::binary);
    const std::vector<uint8_t> good{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(SymbolCount(good), 2u);
    const uint32_t symbols = SymbolCount(good);
    // The last symbol of a sound tree is a pair (the root) of earlier symbols.
    const std::pair<std::function<void(std::vector<uint8_t> &)>, const char *> cases[] = {
        {[&](auto &t) { SetPair(t, symbols - 1, symbols, 0); }, "names a symbol it does not have"},
        {[&](auto &t) { SetPair(t, symbols - 1, symbols - 1, 0); }, "has a symbol that contains itself"},
        {[](auto &t) { std::memcpy(&t[SymbolCountAt(t)], "\x01\x10", 2); }, "has too many symbols"}, // 4097
        {[](auto &t) { t[FirstPairs + 9] = t[FirstPairs + 8] + 1; }, "has impossible code lengths"},
        {[&](auto &t) { t.resize(SymbolCountAt(t) + 2 + 3 * symbols / 2); }, "ends inside its symbols"},
        {[](auto &t) { t.resize(3); }, "ends inside its header"},
    };
    for (const auto &[damage, problem] : cases) {
        std::vector<uint8_t> t = good;
        damage(t);
        EXPECT_EQ(SyzygyLayoutProblem(t.data(), t.size(), "KQvKR", true), problem);
    }
}
