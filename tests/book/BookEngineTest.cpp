// The books through the engine: start-up lines, "convert", and the style
// moves listed by "book" after a restart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

namespace {

std::string Joined(const std::vector<std::string> &lines) {
    std::string all;
    for (const std::string &l : lines)
        all += l + "\n";
    return all;
}

TEST(BookEngine, ConvertedStyleBookIsListedAfterRestart) {
    bool found = false;
    EngineProcess first;
    first.WriteFile("games.pgn", "[Event \"one\"]\n[Result \"*\"]\n\n1. e4 e5 2. Nf3 Nc6 *\n"
                                 "[Event \"two\"]\n\n1. d4! {good} d5 2. c4 *\n"
                                 "[Event \"three\"]\n\n1. c4? e5 *\n");
    ASSERT_TRUE(first.Start());
    // Missing books are reported as missing and the engine goes on.
    first.ReadUntilPrefix("Reading main book...", &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(first.ReadLine(), "WARNING: Morvane.book missing, no opening book");
    EXPECT_EQ(first.ReadLine(), "Reading style book...");
    EXPECT_EQ(first.ReadLine(), "WARNING: MVstyle.book missing, no style book");
    first.ReadStartup(&found);
    ASSERT_TRUE(found);

    // The converter's progress counter rewrites one line with carriage returns.
    first.Send("convert games.pgn");
    std::string seen = Joined(first.ReadUntilPrefix("Saved 10 positions", &found));
    ASSERT_TRUE(found) << seen;
    EXPECT_NE(seen.find("Converting style book...\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("1\r2\r3\r4\rStyle book succesfull converted (10 pos)\n"), std::string::npos) << seen;
    first.Send("quit");
    EXPECT_EQ(first.WaitExit(), 0);

    EngineProcess second;
    second.WriteFile("MVstyle.book", first.ReadFile("MVstyle.book"));
    ASSERT_TRUE(second.Start());
    second.ReadUntilPrefix("Reading style book...", &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(second.ReadLine(), "found 10 positions in opening book");
    second.ReadStartup(&found);
    ASSERT_TRUE(found);
    // d2d4 was good (7); e2e4 neutral and c2c4 bad for White are no book moves.
    second.Send("book");
    EXPECT_EQ(Joined(second.ReadUntilPrefix("end of list")), "List of book moves\nd2d4\t  100 %\nend of list\n");

    // Told to move, the engine plays the book move.
    second.Send("new");
    second.Send("go");
    seen = Joined(second.ReadUntilPrefix("move d2d4", &found));
    ASSERT_TRUE(found) << seen;
    EXPECT_NE(seen.find("d2d4\t  100 %\n"), std::string::npos) << seen;
    second.Send("quit");
    EXPECT_EQ(second.WaitExit(), 0);
}

} // namespace
