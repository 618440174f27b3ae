// The table list and its index functions (every legal index: the slow cross-check), registration of
// table files, the block cache, and the probe from the board's position to a score.
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

namespace {

class AccessTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitTables(); }
    void TearDown() override { StartTablebases("", 1.0); } // leave nothing registered
    void Restart(double megabytes = 1.0) { StartTablebases(temp.path.c_str(), megabytes); }
    // The score of a position of the board, probed at `ply`.
    static int32_t ProbeFen(const char *fen, uint32_t ply = 0) {
        EXPECT_TRUE(SetupPosition(fen)) << fen;
        return ProbeTablebase(ply, 0, SideToMove);
    }
    static uint32_t At(const char *name, uint32_t stm, std::vector<uint32_t> sq) {
        return IndexOf(PosOf(name, sq), stm);
    }
    static constexpr double TwoBlocks = 2 * 8300 / 1048576.0; // a block takes 8192 bytes and a header under 64
    TempDirectory temp;
    const int kpk = TbGenTableId("kpk"), kqk = TbGenTableId("kqk");
};

} // namespace

// Ids the probe and the piece limit rely on, lengths of published table
// files, indices worked out by hand, and broken input beyond every table.
TEST_F(AccessTest, TableListAndHandComputedIndices) {
    const std::tuple<const char *, int, uint32_t, uint32_t> rows[] = {
        {"kpk", 1, 81664, 84012},           {"kqk", 5, 25629, 28644},          {"kpkp", 6, 3863492, 3863492},
        {"kqqk", 35, 698739, 873642},       {"kppkp", 36, 84219361, 89391280}, {"knpkb", 43, 278914860, 306720000},
        {"kqqkq", 110, 41944320, 46912050},
    };
    for (auto [name, id, white, black] : rows) {
        ASSERT_EQ(TbGenTableId(name), id);
        EXPECT_EQ(TbDescriptors[id].expectedLength[0], white) << name;
        EXPECT_EQ(TbDescriptors[id].expectedLength[1], black) << name;
    }
    // K+N vs K, black to move: 62 x pair + x - [x > bk] - [x > wk]; kings a1 and c1 make pair 0, a1 and
    // c3 pair 12 (on the long diagonal nothing is transposed). K+Q vs K, white to move, kings a1 and c1: the
    // queen may not stand on b1, d1, b2, c2, d2. K+P vs K, black to move: the board is turned, the kings
    // come to a1 and c1, the pawn to d4, the 20th square from a2 on.
    const std::tuple<const char *, uint32_t, std::vector<uint32_t>, uint32_t> indices[] = {
        {"knk", 1, {2, 0, 3}, 1}, {"knk", 1, {2, 0, 63}, 61}, {"knk", 1, {18, 0, 17}, 760},
        {"kqk", 0, {0, 2, 4}, 0}, {"kqk", 0, {0, 2, 8}, 4},   {"kpk", 1, {58, 56, 35}, 19},
    };
    for (auto [name, stm, squares, index] : indices)
        EXPECT_EQ(At(name, stm, squares), index) << name << " " << squares.back();
    for (int id = 1; id < TbTableCount; id++) // squares off the board, kings side by side
        for (uint32_t stm = 0; stm < 2; stm++) {
            Pos p = PosOf(TbDescriptors[id].name);
            for (int k = 0; k < p.n; k++)
                p.sq[k] = k + 1 < p.n ? 20 + 2 * k : 64 + 1000 * id;
            EXPECT_GE(IndexOf(p, stm), TbDescriptors[id].expectedLength[stm]) << TbDescriptors[id].name;
            p.sq[p.n - 1] = 40, p.sq[0] = 27, p.sq[1] = 28;
            EXPECT_GE(IndexOf(p, stm), TbDescriptors[id].expectedLength[stm]) << TbDescriptors[id].name;
        }
}

TEST_F(AccessTest, DirectoryListIsSearchedInOrder) {
    Restart();
    EXPECT_EQ(TbLimit, -2); // an empty directory
    EXPECT_EQ(ProbeTableValue(kqk, 0, 0), TbNotAvailable);
    const std::string a = temp.path + "/a", b = temp.path + "/b", c = temp.path + "/c";
    WriteTable(a, "kqk", 0, 1);
    WriteTable(b, "kqk", 0, 2);
    WriteTable(b, "kqk", 1, 2);
    WriteTable(c, "knk", 0, 3);
    WriteTable(c, "krkr", 1, 3);
    const std::string list = a + ";" + b + "," + c;
    EXPECT_EQ(InitTablebases(list.c_str()), 4); // the largest table decides the limit
    StartTablebases(list.c_str(), 1.0);
    EXPECT_EQ(TbLimit, 2);
    EXPECT_EQ(ProbeTableValue(kqk, 0, 12345), Pattern(12345, 1)); // the first folder that has a file wins
    EXPECT_EQ(ProbeTableValue(kqk, 1, 12345), Pattern(12345, 2));
    EXPECT_EQ(ProbeTableValue(TbGenTableId("knk"), 0, 5), Pattern(5, 3));
    EXPECT_EQ(ProbeTableValue(TbGenTableId("knk"), 1, 5), TbNotAvailable);
    EXPECT_EQ(InitTablebases(a.c_str()), 3);
    WriteTable(a, "kqqkq", 1, 0, -1, true);
    EXPECT_EQ(InitTablebases(a.c_str()), 5);
    StartTablebases(c.c_str(), 1.0); // registration starts from scratch each time
    EXPECT_EQ(ProbeTableValue(kqk, 0, 100), TbNotAvailable);
}

TEST_F(AccessTest, WrongSizeIsFatal) {
    WriteTable(temp.path, "kqk", 0, 0, 1000);
    EXPECT_EXIT(
        {
            dup2(2, 1);
            InitTablebases(temp.path.c_str());
        },
        testing::ExitedWithCode(1), "\\*\\*\\* " + temp.path + "/kqk.nbw corrupted\n");
}

TEST_F(AccessTest, BlockCacheReadsEveryBlockRight) {
    const std::string path = WriteTable(temp.path, "kpk", 0); // 9 blocks and 7936 bytes
    Restart(-5.0);                                            // no cache
    EXPECT_EQ(ProbeTableValue(kpk, 0, 0), TbNotAvailable);
    // Many blocks of several files through two entries, the short last block and the ends included.
    WriteTable(temp.path, "kpk", 1, 5);
    WriteTable(temp.path, "kqk", 1, 6);
    Restart(TwoBlocks);
    for (uint32_t index : {81663u, 9u * 8192u, 0u, 81662u})
        EXPECT_EQ(ProbeTableValue(kpk, 0, index), Pattern(index));
    EXPECT_EQ(ProbeTableValue(kpk, 0, 81664), TbNotAvailable);
    EXPECT_EQ(ProbeTableValue(kpk, 0, 0xffffffffu), TbNotAvailable);
    for (uint32_t i = 0, n = 0; n < 300; n++, i = i * 1103515245u + 12345u) {
        ASSERT_EQ(ProbeTableValue(kpk, 1, i % 84012), Pattern(i % 84012, 5));
        ASSERT_EQ(ProbeTableValue(kqk, 1, i % 28644), Pattern(i % 28644, 6));
        ASSERT_EQ(ProbeTableValue(kpk, 0, i % 81664), Pattern(i % 81664));
    }
    // Files cut or removed behind the engine's back answer "not available".
    const std::string other = WriteTable(temp.path, "kqk", 0);
    Restart();
    ASSERT_EQ(truncate(path.c_str(), 9000), 0);
    ASSERT_EQ(unlink(other.c_str()), 0);
    EXPECT_EQ(ProbeTableValue(kqk, 0, 100), TbNotAvailable);
    EXPECT_EQ(ProbeTableValue(kqk, 0, 100), TbNotAvailable); // the entry went back to the free list
    EXPECT_EQ(ProbeTableValue(kpk, 0, 8999), Pattern(8999));
    EXPECT_EQ(ProbeTableValue(kpk, 0, 9000), TbNotAvailable);
    EXPECT_EQ(ProbeTableValue(kpk, 0, 20000), TbNotAvailable);
    EXPECT_EQ(ProbeTableValue(kpk, 0, 100), Pattern(100));
}

TEST_F(AccessTest, ProbeTurnsBytesIntoScores) {
    // Mate in n (byte 127 - n) scores 32767 - 2n for the side to move, mated in n (byte n - 126) 2n - 32767.
    const std::tuple<int, uint32_t, int32_t> rows[] = {{0, 0, 0},          {126, 1, 32765},   {1, 2, 32515},
                                                       {-128, 5, 32513},   {-1, 6, -32517},   {-126, 9, -32767},
                                                       {-127, 10, -32515}, {127, 12, NoScore}}; // byte, queen square
    const std::string files[] = {WriteTable(temp.path, "kqk", 0), WriteTable(temp.path, "kqk", 1)};
    for (auto [byte, queen, score] : rows)
        for (uint32_t side : {0u, 1u})
            PokeTable(files[side], At("kqk", side, {4, 35, queen}), int8_t(byte));
    Restart();
    for (auto [byte, queen, score] : rows) {
        const Pos p = PosOf("kqk", {4, 35, queen});
        const int32_t later = score == NoScore || !score ? score : score > 0 ? score - 3 : score + 3;
        EXPECT_EQ(ProbeFen(Fen(p, 0).c_str()), score) << byte;
        EXPECT_EQ(ProbeFen(Fen(p, 0).c_str(), 3), later) << byte; // mates counted from the root
        EXPECT_EQ(ProbeFen(Fen(p, 1).c_str(), 3), later == NoScore ? NoScore : -later) << byte; // White's view
    }
    // Bare kings are a draw; too many pieces, a missing table, no cache or an en-passant square give no answer.
    EXPECT_EQ(ProbeFen("8/8/8/3k4/8/8/8/4K3 w - -"), 0);
    EXPECT_EQ(ProbeFen("8/8/8/3k4/8/8/8/QQQ1K3 w - -"), NoScore);
    EXPECT_EQ(ProbeFen("8/8/8/3k4/8/8/8/R3K3 w - -"), NoScore);
    WriteTable(temp.path, "kpkp", 1, 0, -1, true);
    Restart(0.0);
    EXPECT_EQ(ProbeFen("8/8/8/3k4/8/8/8/Q3K3 w - -"), NoScore);
    Restart();
    ASSERT_TRUE(SetupPosition("8/8/8/2k5/3pP3/8/8/4K3 b - e3"));
    EXPECT_EQ(ProbeTablebase(0, E3, Black), NoScore);
    EXPECT_EQ(ProbeTablebase(0, 0, Black), 0);
}

// Colours reversed: the other colour's table with the other side to move, ranks mirrored, the score turned
// (every three-piece position with either colouring: the Gaviota comparison).
TEST_F(AccessTest, ColoursReversedUseTheSameFiles) {
    PokeTable(WriteTable(temp.path, "krpkr", 1, 0, -1, true), At("krpkr", 1, {14, 52, 33, 0, 63}), 5);
    PokeTable(WriteTable(temp.path, "kqkq", 0), At("kqkq", 0, {4, 60, 0, 63}), 9);
    WriteTable(temp.path, "kppkp", 1, 0, -1, true);
    Restart();
    const std::pair<const char *, int32_t> rows[] = {
        {"7r/4k3/8/1P6/8/8/6K1/R7 b - -", -32523},
        {"r7/6k1/8/8/1p6/8/4K3/7R w - -", 32523}, // Black holds the table's white pieces
        // Equal material: the table as it is, never reversed; its black-to-move file is missing.
        {"4k2q/8/8/8/8/8/8/Q3K3 w - -", 32531},
        {"4k2q/8/8/8/8/8/8/Q3K3 b - -", NoScore},
        // Seven known wrong entries of K+P+P vs K+P, black to move, are answered without the file.
        {"8/1p6/5P2/5P2/8/k1K5/8/8 b - -", 32513},
        {"8/8/1p3P2/5P2/8/k1K5/8/8 b - -", 32513},
        {"8/1p6/5P2/8/5P2/k1K5/8/8 b - -", 0}, // another position reads the file
    };
    for (auto [fen, score] : rows)
        EXPECT_EQ(ProbeFen(fen), score) << fen;
    EXPECT_EQ(ProbeFen("8/1p6/5P2/5P2/8/k1K5/8/8 b - -", 4), 32509);
}
