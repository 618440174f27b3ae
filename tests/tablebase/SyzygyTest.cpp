// Syzygy tables through Fathom: loading (and what bad folders and files
// get), the win/draw/loss probe of the board's position, the root probe.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "RequiredPackage.h"
#include "board/MoveGenerator.h"
#include "board/MoveText.h"
#include "tablebase/Syzygy.h"
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

SyzygyWdl ProbeFen(const std::string &fen) {
    EXPECT_TRUE(SetupPosition(fen.c_str())) << fen;
    return SyzygyProbeWdl(SideToMove, EpSquare);
}

class SyzygyTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        FillZobristKeys();
        InitBoard();
    }
    void SetUp() override {
        if (!SyzygyCompiledIn) SKIP_WITHOUT_PACKAGE("built without Fathom (libfathom-dev)");
    }
    void TearDown() override {
        SyzygyInit("");
        Syzygy50MoveRule = true;
        SetSyzygyProbeLimit(SyzygyProbeLimitMax);
    }
};

} // namespace

TEST_F(SyzygyTest, LoadsAndCountsTheTablesOfEveryFolderOfThePath) {
    TempDirectory other;
    CopyTable("KQvK", other.path);                                         // also in the first folder: counted once
    fs::copy_file(DataTables + "/KRvKB.rtbw", other.path + "/KRvKQ.rtbw"); // a name, though no real table
    std::ofstream(other.path + "/notes.rtbw") << "not a table name";

    const SyzygyLoadResult r = SyzygyInit(DataTables + ":" + other.path);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.tables, DataTableCount + 1);
    EXPECT_EQ(r.warnings, "");
    EXPECT_EQ(SyzygyLargest, 4u);
    EXPECT_EQ(SyzygyProbePieces, 4u);
    SetSyzygyProbeLimit(3);
    EXPECT_EQ(SyzygyProbePieces, 3u);
    SetSyzygyProbeLimit(12);
    EXPECT_EQ(SyzygyProbeLimit, SyzygyProbeLimitMax);
    EXPECT_EQ(SyzygyProbePieces, 4u);

    const SyzygyLoadResult off = SyzygyInit("");
    EXPECT_EQ(off.tables, 0);
    EXPECT_EQ(off.warnings, "");
    EXPECT_EQ(SyzygyProbePieces, 0u);
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/8/3QK3 w - -"), SyzygyNoAnswer);
}

// Bad folders and files: a warning each, the rest still loads, nothing crashes.
TEST_F(SyzygyTest, BadFoldersAndFilesAreReportedAndLeftOut) {
    TempDirectory bad;
    CopyTable("KRvK", bad.path);
    CopyTable("KQvK", bad.path);
    CopyTable("KPvK", bad.path);
    fs::resize_file(bad.path + "/KQvK.rtbw", 100); // truncated
    {
        const auto size = fs::file_size(bad.path + "/KPvK.rtbw");
        std::ofstream(bad.path + "/KPvK.rtbw", std::ios::binary) << std::string(size, 'x'); // garbage, right size
    }
    const std::string missing = bad.path + "/no-such-folder";
    const std::string tooLong = "/" + std::string(5000, 'a');

    const SyzygyLoadResult r = SyzygyInit(missing + ":" + tooLong + ":" + bad.path);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.tables, 1) << r.warnings;
    EXPECT_NE(r.warnings.find("WARNING: Syzygy folder " + missing + " does not exist"), std::string::npos)
        << r.warnings;
    EXPECT_NE(r.warnings.find("longer than the system allows"), std::string::npos) << r.warnings;
    EXPECT_NE(r.warnings.find("KQvK.rtbw is truncated"), std::string::npos) << r.warnings;
    EXPECT_NE(r.warnings.find("KPvK.rtbw is not a Syzygy table"), std::string::npos) << r.warnings;
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/8/3RK3 w - -"), SyzygyWin);
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/8/3QK3 w - -"), SyzygyNoAnswer); // its table was left out
    EXPECT_EQ(ProbeFen("4k3/8/8/8/8/8/4P3/4K3 w - -"), SyzygyNoAnswer);

    const SyzygyLoadResult none = SyzygyInit(missing);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.tables, 0);
    EXPECT_NE(none.warnings.find("no Syzygy tables found"), std::string::npos) << none.warnings;
    EXPECT_EQ(SyzygyLargest, 0u);
}

// Positions whose results a player sees at a glance; the pawn, mate and
// stalemate rows fail with the ranks (or colours) of the masks mixed up.
TEST_F(SyzygyTest, ProbeGivesTheResultForTheSideToMove) {
    ASSERT_EQ(SyzygyInit(DataTables).tables, DataTableCount);
    const struct {
        const char *fen;
        SyzygyWdl wdl;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/3QK3 w - -", SyzygyWin},
        {"4k3/8/8/8/8/8/8/3QK3 b - -", SyzygyLoss},
        {"8/8/8/8/8/2k5/1Q6/7K b - -", SyzygyDraw},  // the king takes the queen
        {"k7/1Q6/1K6/8/8/8/8/8 b - -", SyzygyLoss},  // mated
        {"k7/2Q5/1K6/8/8/8/8/8 b - -", SyzygyDraw},  // stalemated
        {"8/P7/8/8/8/8/8/k1K5 w - -", SyzygyWin},    // promotes
        {"k1K5/8/8/8/8/8/p7/8 b - -", SyzygyWin},    // the same, colours reversed
        {"k7/P7/K7/8/8/8/8/8 w - -", SyzygyDraw},    // rook pawn, the corner held
        {"8/8/8/8/8/k7/p7/K7 b - -", SyzygyDraw},    // the same for black
        {"4k3/4P3/4K3/8/8/8/8/8 b - -", SyzygyDraw}, // opposition
        {"4k3/8/4K3/4P3/8/8/8/8 w - -", SyzygyWin},  // king in front of its pawn
        {"8/8/8/3k4/8/8/8/KBN5 w - -", SyzygyWin},   // bishop and knight
        {"8/8/8/4k3/8/8/8/KBN5 b - -", SyzygyLoss},
        {"4k3/8/8/8/8/8/8/1NN1K3 w - -", SyzygyDraw}, // two knights cannot force mate
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProbeFen(c.fen), c.wdl) << c.fen;
}

// The board's masks (a8 = bit 0) turned into a1 = bit 0, written out by hand.
TEST_F(SyzygyTest, BoardMasksTurnIntoFathomSquares) {
    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/1N6/4K2Q w - d6"));
    const SyzygyBoard b = SyzygyBoardOfPosition(SideToMove, EpSquare);
    auto bit = [](int file, int rank) { return uint64_t(1) << (8 * rank + file); }; // a1 = (0, 0)
    EXPECT_EQ(b.white, bit(4, 0) | bit(4, 4) | bit(1, 1) | bit(7, 0));
    EXPECT_EQ(b.black, bit(4, 7) | bit(3, 4));
    EXPECT_EQ(b.kings, bit(4, 0) | bit(4, 7));
    EXPECT_EQ(b.pawns, bit(4, 4) | bit(3, 4));
    EXPECT_EQ(b.knights, bit(1, 1));
    EXPECT_EQ(b.queens, bit(7, 0));
    EXPECT_EQ(b.rooks | b.bishops, 0u);
    EXPECT_EQ(b.ep, 8u * 5 + 3); // d6
    EXPECT_TRUE(b.whiteToMove);
    EXPECT_FALSE(SyzygyBoardOfPosition(Black, 0).whiteToMove);
    EXPECT_EQ(SyzygyBoardOfPosition(Black, 0).ep, 0u);
}

TEST_F(SyzygyTest, RootProbeGivesTheResultOfEveryMove) {
    ASSERT_EQ(SyzygyInit(DataTables).tables, DataTableCount);
    ASSERT_TRUE(SetupPosition("8/8/8/3k4/8/8/8/KBN5 w - -"));
    SelectMoveFunctions();
    MoveEntry list[MoveListSize];
    SyzygyRootMove moves[MoveListSize];
    int count = 0;
    for (MoveEntry *e = list, *end = GenerateSideMoves(White, list, 0, 0); e < end; ++e)
        if (MakeMove(White, 0, 0, e->move)) {
            UnmakeMove(White, e->move);
            moves[count++].move = e->move;
        }
    ASSERT_EQ(count, 13);
    for (const uint32_t rule50 : {0u, 60u}) {
        ASSERT_TRUE(SyzygyProbeRoot(White, 0, rule50, moves, count));
        for (int i = 0; i < count; ++i) {
            char text[MoveTextSize];
            MoveToText(text, moves[i].move);
            const bool hangs = std::string(text) == "b1e4";
            EXPECT_EQ(moves[i].wdl, hangs ? SyzygyDraw : rule50 ? SyzygyCursedWin : SyzygyWin) << text;
            if (!hangs) {
                EXPECT_GT(moves[i].dtz, 40) << text;
            }
        }
    }
    for (const bool rule : {true, false}) {
        Syzygy50MoveRule = rule;
        EXPECT_GT(SyzygyResultRank(SyzygyWin), SyzygyResultRank(SyzygyDraw));
        EXPECT_GT(SyzygyResultRank(SyzygyDraw), SyzygyResultRank(SyzygyLoss));
        EXPECT_EQ(SyzygyResultRank(SyzygyCursedWin) == SyzygyResultRank(SyzygyDraw), rule);
        EXPECT_EQ(SyzygyResultRank(SyzygyBlessedLoss) == SyzygyResultRank(SyzygyDraw), rule);
    }
    // Mate and stalemate have no moves to rank.
    ASSERT_TRUE(SetupPosition("k7/1Q6/1K6/8/8/8/8/8 b - -"));
    EXPECT_FALSE(SyzygyProbeRoot(Black, 0, 0, moves, 0));
}

// Damaged copies of tables: cut short anywhere (also where the length still
// looks like a table's), a few bits flipped, or garbage of the right size. The table is refused
// or its probes give no answer; the engine never goes down with it.
TEST_F(SyzygyTest, DamagedTablesNeverCrashTheProbe) {
    // MORVANE_FUZZ_ROUNDS=n runs a longer session (with seeds of its own).
    const char *more = std::getenv("MORVANE_FUZZ_ROUNDS");
    std::mt19937 random(more ? std::random_device()() : 2026);
    const int rounds = more ? std::atoi(more) : Sanitized ? 12 : 40;
    for (int round = 0; round < rounds; ++round) {
        TempDirectory copy;
        for (const char *stem : {"KQvKR", "KQvK", "KRvK"})
            CopyTable(stem, copy.path);
        const std::string victim = copy.path + (round / 4 % 2 ? "/KQvKR.rtbw" : "/KQvKR.rtbz");
        std::vector<char> bytes(fs::file_size(victim));
        std::ifstream(victim, std::ios::binary).read(bytes.data(), std::streamsize(bytes.size()));
        if (round % 4 == 0) {
            bytes.resize(random() % bytes.size());
        } else if (round % 4 == 1) {
            bytes.resize(16 + 64 * (random() % (bytes.size() / 64))); // a table's shape of length
        } else if (round % 4 == 2) {
            for (int flips = 1 + int(random() % 8); flips > 0; --flips) // a few bits anywhere
                bytes[random() % bytes.size()] ^= char(1 << random() % 8);
        } else {
            for (char &b : bytes)
                b = char(random());
        }
        std::ofstream(victim, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));

        testing::internal::CaptureStdout();
        SyzygyInit(copy.path);
        Pos p = PosOf("kqkr");
        uint64_t answers = 0, probes = 0;
        ForPlacements(
            p, 0,
            [&](Pos &q) {
                for (uint32_t stm = 0; stm < 2; ++stm) {
                    if (!Legal(q, stm)) continue;
                    SyzygyBoard b = {0, 0, 0, 0, 0, 0, 0, 0, 0, stm == White};
                    b.white = 1ull << q.sq[0] | 1ull << q.sq[2];
                    b.black = 1ull << q.sq[1] | 1ull << q.sq[3];
                    b.kings = 1ull << q.sq[0] | 1ull << q.sq[1];
                    b.queens = 1ull << q.sq[2];
                    b.rooks = 1ull << q.sq[3];
                    answers += SyzygyProbeWdl(b) != SyzygyNoAnswer;
                    probes++;
                }
                return true;
            },
            Sanitized ? 9973 : 997, uint64_t(round));
        testing::internal::GetCapturedStdout();
        EXPECT_GT(probes, 100u);
        EXPECT_LE(answers, probes);
    }
}
