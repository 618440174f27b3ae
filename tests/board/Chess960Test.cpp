// Chess960: castling in any layout, the castling field of the FEN in both
// spellings, and perft over published Chess960 counts.
#include "board/BoardTestSupport.h"
#include "board/Perft.h"

#ifdef MORVANE_SANITIZED
constexpr int SuiteDepth = 3;
#else
constexpr int SuiteDepth = 4;
#endif

// All 480 positions of the Chess960 perft file, their first plies.
TEST(Chess960Perft, EveryStartLayout) {
    const auto cases = ReadPerftFile("chess960-perft.epd");
    ASSERT_EQ(cases.size(), 480u);
    for (const auto &[fen, counts] : cases) {
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        const auto root = State();
        for (int depth = 1; depth <= SuiteDepth; depth++)
            ASSERT_EQ(PerftRoot(depth), counts[depth - 1]) << "depth " << depth << ": " << fen;
        EXPECT_EQ(State(), root) << fen;
        EXPECT_EQ(PositionInconsistency(), "") << fen;
    }
}
