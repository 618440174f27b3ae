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

// Every 60th position of the Chess960 file to six plies.
TEST(Chess960PerftDeep, SampleToDepthSix) {
    const auto cases = ReadPerftFile("chess960-perft.epd");
    ASSERT_EQ(cases.size(), 480u);
    for (size_t i = 0; i < cases.size(); i += 60) {
        const auto &[fen, counts] = cases[i];
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        ASSERT_EQ(PerftRoot(6), counts[5]) << fen;
    }
}
