// The probe: from the current position to a table byte and on to a score.
#include <gtest/gtest.h>

#include "board/Board.h"
#include "board/Setup.h"
#include "tablebase/IndexTestSupport.h"
#include "tablebase/TableFileTestSupport.h"

using namespace tbtest;

namespace {

uint32_t At(const char *text) { return uint32_t(text[0] - 'a' + 8 * (text[1] - '1')); }

// Table index of a position given in table colours: white king, white
// pieces in array order, black king, black pieces.
uint32_t TableIndex(const char *name, int side, std::vector<const char *> white, std::vector<const char *> black,
                    uint32_t reversed = 0) {
    TablePosition p = EmptyPosition(name);
    p.side[0][4] = At(white[0]);
    p.side[1][4] = At(black[0]);
    for (size_t i = 1; i < white.size(); i++)
        p.side[0][4 + i] = At(white[i]);
    for (size_t i = 1; i < black.size(); i++)
        p.side[1][4 + i] = At(black[i]);
    return TbDescriptors[TableId(name)].indexFunction[side](p.side[0], p.side[1], TbNoEpSquare, reversed);
}

int32_t ExpectedScore(int8_t b, uint32_t ply, int sideToMove) {
    int32_t t = b == 0                 ? 0
                : b >= 1 && b <= 126   ? b + 32640
                : b <= -1 && b >= -126 ? b - 32640
                : b == -127            ? -32640
                                       : 32640;
    const int32_t score = t > 0 ? 2 * t - 32767 - int32_t(ply) : t < 0 ? 2 * t + 32765 + int32_t(ply) : 0;
    return sideToMove == 1 ? -score : score; // the side to move's score, seen from White
}

class ProbeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        FillZobristKeys();
        InitBoard();
        InitIndexTables();
    }
    void TearDown() override { StartTablebases("", 1.0); }
    void Setup(const char *fen) { ASSERT_TRUE(SetupPosition(fen)) << fen; }
    // Registers the directory again, which also empties the cache.
    void Restart() { StartTablebases(temp.Path().c_str(), 1.0); }
    TempDirectory temp;
};

} // namespace

TEST_F(ProbeTest, BareKingsAreADraw) {
    Setup("8/8/8/3k4/8/8/8/4K3 w - -");
    EXPECT_EQ(ProbeTablebase(0, 0, White), 0);
    EXPECT_EQ(ProbeTablebase(7, 0, Black), 0);
}

TEST_F(ProbeTest, NoTableNoAnswer) {
    Setup("8/8/8/3k4/8/8/8/Q3K3 w - -");
    EXPECT_EQ(ProbeTablebase(0, 0, White), NoScore);
    WriteTable(temp.Path(), "kqk", 1);
    Restart();
    EXPECT_EQ(ProbeTablebase(0, 0, White), NoScore); // only the black-to-move side is there
    EXPECT_NE(ProbeTablebase(0, 0, Black), NoScore);
    Setup("8/8/8/3k4/8/8/8/QQQ1K3 w - -"); // more pieces than any table
    EXPECT_EQ(ProbeTablebase(0, 0, White), NoScore);
    Setup("8/8/8/3k4/8/8/8/Q3K3 w - -");
    StartTablebases(temp.Path().c_str(), 0.0); // no cache
    EXPECT_EQ(ProbeTablebase(0, 0, Black), NoScore);
}

TEST_F(ProbeTest, ByteToScore) {
    const std::string path = WriteTable(temp.Path(), "kqk", 0);
    WriteTable(temp.Path(), "kqk", 1);
    Setup("8/8/8/3k4/8/8/8/Q3K3 w - -");
    const uint32_t white = TableIndex("kqk", 0, {"e1", "a1"}, {"d5"});
    const uint32_t black = TableIndex("kqk", 1, {"e1", "a1"}, {"d5"});
    for (int b : {0, 1, 2, 100, 126, -1, -2, -126, -127, -128}) {
        PokeTable(path, white, int8_t(b));
        PokeTable(temp.Path() + "/kqk.nbb", black, int8_t(b));
        Restart();
        for (uint32_t ply : {0u, 1u, 17u}) {
            EXPECT_EQ(ProbeTablebase(ply, 0, White), ExpectedScore(int8_t(b), ply, 0)) << b << " ply " << ply;
            EXPECT_EQ(ProbeTablebase(ply, 0, Black), ExpectedScore(int8_t(b), ply, 1)) << b << " ply " << ply;
        }
    }
    // Spot values: a win scores high for the winner, nearer the root higher.
    EXPECT_EQ(ExpectedScore(126, 0, 0), 32765);
    EXPECT_EQ(ExpectedScore(-126, 3, 0), -32764);
    EXPECT_EQ(ExpectedScore(126, 0, 1), -32765); // Black wins exactly as much
    EXPECT_EQ(ExpectedScore(-126, 3, 1), 32764);
    PokeTable(path, white, 127); // not available
    Restart();
    EXPECT_EQ(ProbeTablebase(0, 0, White), NoScore);
}

TEST_F(ProbeTest, EnPassantSquareGivesNoAnswer) {
    WriteSparseTable(temp.Path(), "kpkp", 0);
    WriteSparseTable(temp.Path(), "kpkp", 1);
    Restart();
    Setup("8/8/8/2k5/3pP3/8/8/4K3 b - e3");
    EXPECT_EQ(ProbeTablebase(0, E3, Black), NoScore);
    EXPECT_EQ(ProbeTablebase(0, 0, Black), 0); // the file holds zeros
}

// Colours reversed: the table of the other colour with the other side to
// move, ranks mirrored, and the score mirrored.
TEST_F(ProbeTest, ColoursReversedUseTheSameFile) {
    const std::string kqkWhite = WriteTable(temp.Path(), "kqk", 0);
    const std::string kpkWhite = WriteTable(temp.Path(), "kpk", 0);
    const std::string kpkBlack = WriteTable(temp.Path(), "kpk", 1);
    const std::string krpkrBlack = WriteSparseTable(temp.Path(), "krpkr", 1);
    PokeTable(kqkWhite, TableIndex("kqk", 0, {"e1", "a1"}, {"d5"}), 42);
    PokeTable(kpkWhite, TableIndex("kpk", 0, {"g2", "c4"}, {"e7"}), 17);
    PokeTable(kpkBlack, TableIndex("kpk", 1, {"g2", "c4"}, {"e7"}), -23);
    PokeTable(krpkrBlack, TableIndex("krpkr", 1, {"g2", "b5", "a1"}, {"e7", "h8"}), 5);
    Restart();

    Setup("8/8/8/3k4/8/8/8/Q3K3 w - -");
    const int32_t queen = ProbeTablebase(3, 0, White);
    EXPECT_EQ(queen, ExpectedScore(42, 3, 0));
    Setup("q3k3/8/8/8/3K4/8/8/8 b - -");
    EXPECT_EQ(ProbeTablebase(3, 0, Black), -queen);

    Setup("8/4k3/8/8/2P5/8/6K1/8 w - -");
    const int32_t pawnWhite = ProbeTablebase(0, 0, White);
    const int32_t pawnBlack = ProbeTablebase(0, 0, Black);
    EXPECT_EQ(pawnWhite, ExpectedScore(17, 0, 0));
    EXPECT_EQ(pawnBlack, ExpectedScore(-23, 0, 1));
    Setup("8/6k1/8/2p5/8/8/4K3/8 b - -");
    EXPECT_EQ(ProbeTablebase(0, 0, Black), -pawnWhite);
    EXPECT_EQ(ProbeTablebase(0, 0, White), -pawnBlack);

    Setup("7r/4k3/8/1P6/8/8/6K1/R7 b - -");
    EXPECT_EQ(ProbeTablebase(0, 0, Black), ExpectedScore(5, 0, 1));
    Setup("r7/6k1/8/8/1p6/8/4K3/7R w - -"); // Black holds the table's white pieces
    EXPECT_EQ(ProbeTablebase(0, 0, White), ExpectedScore(5, 0, 0));
}

// Seven entries of kppkp with black to move are answered without the file.
TEST_F(ProbeTest, KppkpBlackToMoveFixes) {
    WriteSparseTable(temp.Path(), "kppkp", 1);
    Restart();
    // Black: king a3, pawn b7; White: king c3, pawns f5 and f6.
    EXPECT_EQ(TableIndex("kppkp", 1, {"c3", "f5", "f6"}, {"a3", "b7"}), 0x0362BC7Cu);
    Setup("8/1p6/5P2/5P2/8/k1K5/8/8 b - -");
    EXPECT_EQ(ProbeTablebase(0, 0, Black), 32513);
    EXPECT_EQ(ProbeTablebase(4, 0, Black), 32509);
    EXPECT_EQ(TableIndex("kppkp", 1, {"c3", "f5", "f6"}, {"a3", "b6"}), 0x0362DE44u);
    Setup("8/8/1p3P2/5P2/8/k1K5/8/8 b - -");
    EXPECT_EQ(ProbeTablebase(0, 0, Black), 32513);
    Setup("8/1p6/5P2/8/5P2/k1K5/8/8 b - -"); // another position reads the file (zeros)
    EXPECT_EQ(ProbeTablebase(0, 0, Black), 0);
}

// Equal material on both sides: the table is used as it is, never reversed.
TEST_F(ProbeTest, SymmetricMaterialUsesTheTableDirectly) {
    const std::string path = WriteTable(temp.Path(), "kqkq", 0); // white to move only
    PokeTable(path, TableIndex("kqkq", 0, {"e1", "a1"}, {"e8", "h8"}), 9);
    Restart();
    Setup("4k2q/8/8/8/8/8/8/Q3K3 w - -");
    EXPECT_EQ(ProbeTablebase(0, 0, White), ExpectedScore(9, 0, 0));
    EXPECT_EQ(ProbeTablebase(0, 0, Black), NoScore); // its black-to-move file is missing
}
