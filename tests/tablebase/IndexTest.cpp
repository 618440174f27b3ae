// The table list and its index functions: lengths that end at the last
// legal position, indices worked out by hand, broken input. The slow suite
// checks one index per class of symmetric positions.
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
    for (uint32_t kings = 0; kings < 4096; ++kings) {
        p.sq[stm] = kings / 64;
        p.sq[1 - stm] = kings % 64;
        auto first = [&](Pos &q) { return !Legal(q, stm) || (pairs.push_back({IndexOf(q, stm), kings}), false); };
        if (InRegion(p, kings / 64)) ForPlacements(p, 2, first, (1u << 6 * (p.n - 2)) / 200 | 1);
    }
    std::sort(pairs.rbegin(), pairs.rend());
    for (bool ep : {p.Has(TbPawn, 0) && p.Has(TbPawn, 1), false})
        for (auto [index, kings] : pairs) {
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

TEST_F(IndexTest, LengthsEndAtTheLastLegalPosition) {
    for (int id = 1; id < TbTableCount; id++)
        for (uint32_t stm = 0; stm < 2 && (!Sanitized || id <= 6 || id % 10 == 0); stm++)
            EXPECT_EQ(LastLegalIndexPlusOne(TbDescriptors[id].name, stm), TbDescriptors[id].expectedLength[stm])
                << TbDescriptors[id].name << " side " << stm;
}

// Ids the probe and the piece limit rely on, lengths of published table
// files, indices worked out by hand, and broken input beyond every table.
TEST_F(IndexTest, TableListAndHandComputedIndices) {
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
    // K+N vs K, black to move: 62 x pair + x - [x > bk] - [x > wk]; kings a1 and c1 make pair 0, a1 and
    // c3 pair 12 (on the long diagonal nothing is transposed). K+Q vs K, white to move, kings a1 and c1: the
    // queen may not stand on b1, d1, b2, c2, d2. K+P vs K, black to move: the board is turned, the kings
    // come to a1 and c1, the pawn to d4, the 20th square from a2 on.
    const std::tuple<const char *, uint32_t, std::vector<uint32_t>, uint32_t> indices[] = {
        {"knk", 1, {2, 0, 3}, 1}, {"knk", 1, {2, 0, 63}, 61}, {"knk", 1, {18, 0, 17}, 760},
        {"kqk", 0, {0, 2, 4}, 0}, {"kqk", 0, {0, 2, 8}, 4},   {"kpk", 1, {58, 56, 35}, 19},
    };
    for (auto [name, stm, squares, index] : indices) {
        Pos p = PosOf(name);
        std::copy(squares.begin(), squares.end(), p.sq);
        EXPECT_EQ(IndexOf(p, stm), index) << name << " " << squares.back();
    }
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
