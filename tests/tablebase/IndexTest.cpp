// The table list and its index functions: one index per class of symmetric
// positions, below lengths that end at the last legal position.
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

namespace {

class IndexTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { InitIndexTables(); }
};

// One more than the largest index of a legal position of a table side: the
// king pair leads every index, and en-passant positions come after the others.
uint32_t LastLegalIndexPlusOne(const std::string &name, uint32_t stm) {
    Pos p = PosOf(name);
    std::vector<std::pair<uint32_t, uint32_t>> pairs; // an index of each king pair, the pair
    for (uint32_t king : Region(p))
        for (uint32_t other = 0; other < 64; ++other) {
            p.sq[stm] = king;
            p.sq[1 - stm] = other;
            ForPlacements(
                p, 2,
                [&](Pos &q) {
                    return !Legal(q, stm) || (pairs.push_back({IndexOf(q, stm), king * 64 + other}), false);
                },
                (1u << 6 * (p.n - 2)) / 200 | 1);
        }
    std::sort(pairs.rbegin(), pairs.rend());
    for (bool ep : {p.Has(TbPawn, 0) && p.Has(TbPawn, 1), false})
        for (auto [first, kings] : pairs) {
            p.sq[stm] = kings / 64;
            p.sq[1 - stm] = kings % 64;
            int64_t last = -1;
            ForPlacements(p, 2, [&](Pos &q) {
                for (uint32_t e : Legal(q, stm) ? EpSquares(q, stm) : std::vector<uint32_t>{})
                    if ((e != TbNoEpSquare) == ep) last = std::max<int64_t>(last, IndexOf((q.ep = e, q), stm));
                q.ep = TbNoEpSquare;
                return true;
            });
            if (last >= 0) return uint32_t(last + 1);
        }
    return 0;
}

} // namespace

TEST_F(IndexTest, ThreePieceTablesExhaustively) {
    for (int id = 1; id <= 5; id++)
        for (uint32_t stm = 0; stm < 2; stm++)
            CheckSide(TbDescriptors[id].name, stm, 1, 0);
}

// Every seventh king pair here; the slow suite walks them all.
TEST_F(IndexTest, FourPieceTablesByKingPairs) {
    for (int id = 6; id <= 35; id++)
        for (uint32_t stm = 0; stm < 2; stm++)
            CheckSide(TbDescriptors[id].name, stm, Sanitized ? 401 : 7, 0, 1, Sanitized ? 7 : 3);
}

// Five pieces: every placement for one king pair, and a spread sample with images.
TEST_F(IndexTest, FivePieceTablesBySample) {
    for (int id = 36; id < TbTableCount; id++)
        for (uint32_t stm = 0; stm < 2 && (!Sanitized || id % 8 == 0); stm++) {
            if (!Sanitized || id % 32 == 0)
                CheckSide(TbDescriptors[id].name, stm, 1u << 20, (id * 37 + stm * 11) % 462);
            CheckSide(TbDescriptors[id].name, stm, 1, 0, Sanitized ? 1u << 20 : 1u << 18);
        }
}

TEST_F(IndexTest, LengthsEndAtTheLastLegalPosition) {
    for (int id = 1; id < TbTableCount; id++)
        for (uint32_t stm = 0; stm < 2 && (!Sanitized || id <= 6 || id % 10 == 0); stm++)
            EXPECT_EQ(LastLegalIndexPlusOne(TbDescriptors[id].name, stm), TbDescriptors[id].expectedLength[stm])
                << TbDescriptors[id].name << " side " << stm;
}

// Ids the probe and the piece limit rely on, and lengths of published table files.
TEST_F(IndexTest, TableListMatchesThePublishedFiles) {
    const std::tuple<const char *, int, uint32_t, uint32_t> rows[] = {
        {"kpk", 1, 81664, 84012},
        {"knk", 2, 26282, 28644},
        {"kqk", 5, 25629, 28644},
        {"kpkp", 6, 3863492, 3863492},
        {"knkp", 7, 4931904, 4981504},
        {"kqqk", 35, 698739, 873642},
        {"kppkp", 36, 84219361, 89391280},
        {"kppkn", 37, 108400260, 115899744},
        {"knpkb", 43, 278914860, 306720000},
        {"kqqkq", 110, 41944320, 46912050},
    };
    for (auto [name, id, white, black] : rows) {
        ASSERT_EQ(TbGenTableId(name), id);
        EXPECT_EQ(TbDescriptors[id].expectedLength[0], white) << name;
        EXPECT_EQ(TbDescriptors[id].expectedLength[1], black) << name;
    }
}

TEST_F(IndexTest, HandComputedAndBrokenPositions) {
    // K+N vs K, black to move: 62 x pair + x - [x > bk] - [x > wk]; kings a1 and c1 make pair 0.
    Pos p = PosOf("knk");
    p.sq[0] = 2, p.sq[1] = 0, p.sq[2] = 3;
    EXPECT_EQ(IndexOf(p, 1), 1u);
    p.sq[2] = 63;
    EXPECT_EQ(IndexOf(p, 1), 61u);
    // K+Q vs K, white to move, kings a1 and c1: the queen may not stand on b1, d1, b2, c2, d2.
    p = PosOf("kqk");
    p.sq[0] = 0, p.sq[1] = 2, p.sq[2] = 4;
    EXPECT_EQ(IndexOf(p, 0), 0u);
    p.sq[2] = 8; // a2, after e1, f1, g1, h1
    EXPECT_EQ(IndexOf(p, 0), 4u);
    // Squares off the board or kings side by side give an index beyond every table.
    for (int id = 1; id < TbTableCount; id++)
        for (uint32_t stm = 0; stm < 2; stm++) {
            p = PosOf(TbDescriptors[id].name);
            for (int k = 0; k < p.n; k++)
                p.sq[k] = 20 + 2 * k;
            p.sq[p.n - 1] = 64 + 1000 * id;
            EXPECT_GE(IndexOf(p, stm), TbDescriptors[id].expectedLength[stm]) << TbDescriptors[id].name;
            p.sq[p.n - 1] = 40;
            p.sq[0] = 27, p.sq[1] = 28;
            EXPECT_GE(IndexOf(p, stm), TbDescriptors[id].expectedLength[stm]) << TbDescriptors[id].name;
        }
}
