// Whole-file consistency of generated four-piece tables: every position of
// each file, both sides to move, equals the best value over its moves one
// ply deeper; kpkp also has its en-passant entries checked.
#include "tablebase/GeneratorTestSupport.h"

using namespace gentest;

class GeneratorWholeTableTest : public ::testing::TestWithParam<const char *> {};

TEST_P(GeneratorWholeTableTest, EveryPositionIsTheBestOverItsMoves) {
    EnsureTables({GetParam()});
    const MinimaxCount c = CheckMinimax(GetParam(), Sanitized ? 61 : 1);
    EXPECT_GT(c.positions, Sanitized ? 10000u : 1000000u);
    EXPECT_GT(c.wins, 0u);
    EXPECT_GT(c.losses, 0u);
    // Longest mates every endgame player knows.
    const std::string name = GetParam();
    const int32_t longest = LongestWin(ReadFile(TbGenFilePath(TableDirectory(), TbGenTableId(name), 0)));
    const int32_t known = name == "kqkr" ? 35 : name == "krkn" ? 40 : name == "kbnk" ? 33 : longest;
    EXPECT_EQ(longest, known);
    if (name == "kpkp") {
        EXPECT_GT(c.enPassant, Sanitized ? 10u : 10000u);
    }
}

INSTANTIATE_TEST_SUITE_P(FourPieceTables, GeneratorWholeTableTest, ::testing::Values("krkn", "kqkr", "kbnk", "kpkp"));
