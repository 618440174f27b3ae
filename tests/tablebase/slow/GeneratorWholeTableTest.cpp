// Whole four-piece tables: every position, both sides to move, is the best
// value over its moves one ply deeper; kpkp also has its en-passant entries checked.
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

class GeneratorWholeTableTest : public ::testing::TestWithParam<const char *> {};

TEST_P(GeneratorWholeTableTest, EveryPositionIsTheBestOverItsMoves) {
    EnsureTables({GetParam()});
    const MinimaxCount c = CheckMinimax(GetParam(), Sanitized ? 61 : 1);
    EXPECT_GT(c.positions, Sanitized ? 10000u : 1000000u);
    EXPECT_GT(c.wins, 0u);
    EXPECT_GT(c.losses, 0u);
    EXPECT_GE(c.enPassant, std::string(GetParam()) == "kpkp" ? Sanitized ? 10u : 10000u : 0u);
}

INSTANTIATE_TEST_SUITE_P(FourPieceTables, GeneratorWholeTableTest, ::testing::Values("krkn", "kqkr", "kbnk", "kpkp"));
