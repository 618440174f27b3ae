#include <gtest/gtest.h>

#include "board/BoardTestSupport.h"
#include "board/Perft.h"

// Every listed depth of the suite, six plies included.
TEST(PerftDeep, SuiteToDepthSix) {
    EnsureBoardReady();
    auto cases = ReadPerftFile("perftsuite.epd");
    ASSERT_FALSE(cases.empty());
    for (const auto &c : cases) {
        ASSERT_TRUE(SetupPosition(c.fen.c_str())) << c.fen;
        for (int depth = 1; depth <= 6 && depth <= int(c.counts.size()); depth++)
            ASSERT_EQ(PerftRoot(depth), c.counts[depth - 1])
                << "line " << c.line << " depth " << depth << ": " << c.fen;
    }
}
