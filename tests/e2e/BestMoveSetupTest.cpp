// EPD lines with a best-move operation: the moves are read against the
// position, and the position is checked for the end of the game.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

namespace {

using Lines = std::vector<std::string>;

Lines Without(const Lines &lines, const std::string &prefix) {
    Lines out;
    for (const std::string &l : lines)
        if (l.rfind(prefix, 0) != 0) out.push_back(l);
    return out;
}

} // namespace

TEST(BestMoveSetup, MovesAreReadAndTheGameEndIsChecked) {
    EngineProcess engine;
    ASSERT_TRUE(engine.Start());
    engine.ReadStartup();
    engine.WriteFile("suite.epd", "r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - bm Bc5+; id \"check\";\n"
                                  "7k/5Q2/6K1/8/8/8/8/8 b - - bm Kh7; id \"stalemate\";\n"
                                  "7k/5Q2/6K1/8/8/8/8/8 b - - id \"no bm\";\n"
                                  "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Zz9 e4; id \"bad\";\n");
    engine.Send("setup suite.epd 1");
    EXPECT_TRUE(Without(engine.Sync(), "\t\t").empty());
    engine.Send("setup suite.epd 2");
    EXPECT_EQ(Without(engine.Sync(), "\t\t"), Lines{"1/2-1/2 {Stalemate}"});
    engine.Send("setup suite.epd 3");
    EXPECT_TRUE(Without(engine.Sync(), "\t\t").empty()) << "no bm, no game-end check";
    engine.Send("setup suite.epd 4");
    EXPECT_EQ(Without(engine.Sync(), "\t\t"), Lines{"Error recognizing move - Zz9"});
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}
