// EPD lines with a best-move operation: the moves are read against the
// position, and the position is checked for the end of the game.
#include <gtest/gtest.h>

#include "e2e/XboardEngine.h"

using Lines = XboardEngine::Lines;

TEST(BestMoveSetup, MovesAreReadAndTheGameEndIsChecked) {
    XboardEngine engine;
    engine.WriteFile("suite.epd", "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - bm Bc5+; id \"check\";\n"
                                  "7k/5Q2/6K1/8/8/8/8/8 b - - bm Kh7; id \"stalemate\";\n"
                                  "7k/5Q2/6K1/8/8/8/8/8 b - - id \"no bm\";\n"
                                  "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Zz9 e4; id \"bad\";\n");
    EXPECT_TRUE(engine.RunQuiet({"setup suite.epd 1"}).empty());
    EXPECT_EQ(engine.RunQuiet({"setup suite.epd 2"}), Lines{"1/2-1/2 {Stalemate}"});
    EXPECT_TRUE(engine.RunQuiet({"setup suite.epd 3"}).empty()) << "no bm, no game-end check";
    EXPECT_EQ(engine.RunQuiet({"setup suite.epd 4"}), Lines{"Error recognizing move - Zz9"});
}
