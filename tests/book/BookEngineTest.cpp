// The engine's "convert" command: the progress counter rewrites one line, the style book is written.
#include <gtest/gtest.h>

#include "e2e/EngineProcess.h"

TEST(BookEngine, ConvertWritesTheStyleBook) {
    bool found = false;
    EngineProcess engine;
    engine.WriteFile("games.pgn", "[Event \"one\"]\n\n1. e4 e5 2. Nf3 Nc6 *\n[Event \"two\"]\n\n1. d4! d5 2. c4 *\n");
    ASSERT_TRUE(engine.Start());
    engine.ReadStartup(&found);
    engine.Send("convert games.pgn");
    std::string seen;
    for (const std::string &line : engine.ReadUntilPrefix("Saved 8 positions", &found))
        seen += line + "\n";
    ASSERT_TRUE(found) << seen;
    EXPECT_NE(seen.find("Converting style book...\n1\r2\rStyle book succesfull converted (8 pos)\n"),
              std::string::npos);
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
    EXPECT_EQ(engine.ReadFile("MVstyle.book").size(), 4u + 8 * 40);
}
