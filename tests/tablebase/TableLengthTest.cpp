// Table list: names, lengths and the telling rows of the published sizes.
#include <gtest/gtest.h>

#include <cstring>

#include "tablebase/IndexTestSupport.h"

namespace {

struct Row {
    const char *name;
    uint32_t white, black;
};

// Lengths everyone can check against published table files.
constexpr Row KnownLengths[] = {
    {"kpk", 81664, 84012},           {"knk", 26282, 28644},           {"kqk", 25629, 28644},
    {"kpkp", 3863492, 3863492},      {"knkp", 4931904, 4981504},      {"kppkp", 84219361, 89391280},
    {"kppkn", 108400260, 115899744}, {"knpkb", 278914860, 306720000}, {"kqqkq", 41944320, 46912050},
};

int IdOf(const char *name) {
    for (int id = 0; id < TbTableCount; id++)
        if (std::strcmp(TbDescriptors[id].name, name) == 0) return id;
    return -1;
}

} // namespace

TEST(TableList, IdsNamesAndFunctions) {
    EXPECT_STREQ(TbDescriptors[0].name, "kk");
    EXPECT_EQ(IdOf("kqk"), 5);
    EXPECT_EQ(IdOf("kpkp"), 6);
    EXPECT_EQ(IdOf("kqqk"), 35);
    EXPECT_EQ(IdOf("kppkp"), 36);
    EXPECT_EQ(IdOf("kqqkq"), 110);
    for (int id = 1; id < TbTableCount; id++) {
        EXPECT_EQ(TbDescriptors[id].id, id);
        EXPECT_NE(TbDescriptors[id].indexFunction[0], nullptr);
        EXPECT_NE(TbDescriptors[id].indexFunction[1], nullptr);
        EXPECT_GT(TbDescriptors[id].expectedLength[0], 0u);
        EXPECT_GT(TbDescriptors[id].expectedLength[1], 0u);
    }
}

TEST(TableList, TellingRowsMatchPublishedSizes) {
    for (const Row &row : KnownLengths) {
        const int id = IdOf(row.name);
        ASSERT_GT(id, 0) << row.name;
        EXPECT_EQ(TbDescriptors[id].expectedLength[0], row.white) << row.name;
        EXPECT_EQ(TbDescriptors[id].expectedLength[1], row.black) << row.name;
    }
}

// Tables whose side to move has the same pieces against the same number of
// opposing non-pawn pieces share one index function; all others differ.
TEST(TableList, SharedIndexFunctions) {
    auto fn = [](const char *name, int side) { return TbDescriptors[IdOf(name)].indexFunction[side]; };
    EXPECT_EQ(fn("knk", 1), fn("kqk", 1));
    EXPECT_EQ(fn("kbkp", 1), fn("kqkp", 1));
    EXPECT_EQ(fn("knkn", 1), fn("kqkn", 1));
    EXPECT_EQ(fn("kqkn", 0), fn("kqkq", 0));
    EXPECT_EQ(fn("krkn", 0), fn("krkr", 0));
    EXPECT_EQ(fn("kqrkn", 0), fn("kqrkq", 0));
    EXPECT_NE(fn("kqkp", 0), fn("kqkn", 0));
    EXPECT_NE(fn("kpk", 1), fn("knk", 1));
    std::vector<uintptr_t> all;
    for (int id = 1; id < TbTableCount; id++)
        for (int side = 0; side < 2; side++)
            all.push_back(reinterpret_cast<uintptr_t>(TbDescriptors[id].indexFunction[side]));
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::unique(all.begin(), all.end()) - all.begin(), 157);
}

// The stored length of a table side is one more than the largest index of a
// legal position: recompute it for all 220 table sides.
TEST(TableList, LengthsEndAtTheLastLegalPosition) {
    InitIndexTables();
    for (int id = 1; id < TbTableCount; id++) {
#ifdef MORVANE_SANITIZED
        if (id > 6 && id % 10 != 0) continue;
#endif
        for (int stm = 0; stm < 2; stm++)
            EXPECT_EQ(tbtest::HighestLegalIndexPlusOne(id, stm), TbDescriptors[id].expectedLength[stm])
                << TbDescriptors[id].name << " side " << stm;
    }
}
