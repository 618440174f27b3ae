#include "board/BoardTestSupport.h"
#include "board/Perft.h"

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
