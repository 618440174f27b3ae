// Index functions: every legal position gets an index below the table length,
// positions equal up to the board symmetries share it, and different
// positions never do.
#include <gtest/gtest.h>

#include <random>
#include <unordered_map>

#include "tablebase/IndexTestSupport.h"

using namespace tbtest;

namespace {

#ifdef MORVANE_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

class IndexTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitIndexTables(); }
};

} // namespace

TEST_F(IndexTest, ThreePieceTablesExhaustively) {
    for (int id = 1; id <= 5; id++)
        for (int stm = 0; stm < 2; stm++)
            CheckTableSide(id, stm, 1, 1);
}

// Every seventh king pair here; the slow suite walks them all.
TEST_F(IndexTest, FourPieceTablesByKingPairSlices) {
    for (int id = 6; id <= 35; id++)
        for (int stm = 0; stm < 2; stm++)
            CheckTableSide(id, stm, Sanitized ? 401 : 7, Sanitized ? 7 : 3);
}

// Five pieces: all piece placements for a few king pairs, and random
// positions anywhere on the board.
TEST_F(IndexTest, FivePieceTablesBySample) {
    std::mt19937 random(20261206);
    const int samples = Sanitized ? 200 : 1000;
    for (int id = 36; id < TbTableCount; id++) {
        if (Sanitized && id % 8 != 0) continue;
        for (int stm = 0; stm < 2; stm++) {
            const uint32_t length = TbDescriptors[id].expectedLength[stm];
            // A whole slice: every placement of the pieces for one king pair.
            if (!Sanitized || id % 32 == 0) CheckSlice(id, stm, 1u << 20, (id * 37 + stm * 11) % NoPawnPairCount);
            // Random positions with all their images.
            TablePosition p = EmptyPosition(TbDescriptors[id].name);
            for (int n = 0; n < samples; n++) {
                do {
                    for (int k = 0; k < PieceTotal(p); k++)
                        Slot(p, k) = random() & 63;
                    p.ep = TbNoEpSquare;
                } while (!IsLegal(p, stm));
                uint32_t eps[2];
                if (n % 4 == 0 && EpSquares(p, stm, eps) > 0) p.ep = eps[0];
                // Entries past the pieces are never read.
                TablePosition junk = p;
                for (int s = 0; s < 2; s++)
                    for (int i = p.count[s]; i < 3; i++)
                        junk.side[s][5 + i] = 0xdeadbeef;
                const uint32_t index = IndexOf(id, stm, p);
                ASSERT_LT(index, length) << TbDescriptors[id].name << " side " << stm;
                ASSERT_EQ(IndexOf(id, stm, junk), index);
                ASSERT_TRUE(ImagesAgree(id, stm, p, index));
            }
        }
    }
}

// A few indices worked out by hand from the construction.
TEST_F(IndexTest, HandComputedIndices) {
    auto at = [](const char *file_rank) { return uint32_t(file_rank[0] - 'a' + 8 * (file_rank[1] - '1')); };
    // K+N vs K, black to move: 62 x pair + x - [x > bk] - [x > wk]. Black
    // king a1 and white king c1 make pair 0; a knight on d1 is digit 1.
    TablePosition p = EmptyPosition("knk");
    p.side[0][4] = at("c1");
    p.side[1][4] = at("a1");
    p.side[0][5] = at("d1");
    EXPECT_EQ(IndexOf(2, 1, p), 1u);
    p.side[0][5] = at("h8");
    EXPECT_EQ(IndexOf(2, 1, p), 61u);
    // K+Q vs K, white to move: white king a1, black king c1 is pair 0. The
    // queen may not touch c1 (b1, d1, b2, c2, d2 are out) nor stand on a1.
    p = EmptyPosition("kqk");
    p.side[0][4] = at("a1");
    p.side[1][4] = at("c1");
    p.side[0][5] = at("e1");
    EXPECT_EQ(IndexOf(5, 0, p), 0u);
    p.side[0][5] = at("a2"); // after e1, f1, g1, h1
    EXPECT_EQ(IndexOf(5, 0, p), 4u);
}

// Squares off the board or kings side by side give an index beyond every table.
TEST_F(IndexTest, BrokenInputStaysOutOfRange) {
    for (int id = 1; id < TbTableCount; id++) {
        for (int stm = 0; stm < 2; stm++) {
            TablePosition p = EmptyPosition(TbDescriptors[id].name);
            for (int k = 0; k < PieceTotal(p); k++)
                Slot(p, k) = 20 + 2 * k;
            Slot(p, PieceTotal(p) - 1) = 64 + 1000 * id;
            EXPECT_GE(IndexOf(id, stm, p), TbDescriptors[id].expectedLength[stm]) << TbDescriptors[id].name;
            Slot(p, PieceTotal(p) - 1) = 40;
            Slot(p, 0) = 27;
            Slot(p, 1) = 28; // kings adjacent
            EXPECT_GE(IndexOf(id, stm, p), TbDescriptors[id].expectedLength[stm]) << TbDescriptors[id].name;
        }
    }
}
