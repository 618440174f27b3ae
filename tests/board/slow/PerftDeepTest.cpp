#include "board/BoardTestSupport.h"
#include "board/Perft.h"

// Every listed depth of the suite, six plies included.
TEST(PerftDeep, SuiteToDepthSix) {
    const auto cases = ReadPerftFile("perftsuite.epd");
    ASSERT_FALSE(cases.empty());
    for (const auto &[fen, counts] : cases) {
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        for (int depth = 1; depth <= 6 && depth <= int(counts.size()); depth++)
            ASSERT_EQ(PerftRoot(depth), counts[depth - 1]) << "depth " << depth << ": " << fen;
    }
}
