// The books through the engine: start-up lines, "convert", and the style
// moves listed by "book" after a restart.
#include "BookTestUtil.h"
#include "EngineProcess.h"

using namespace booktest;

namespace {

class BookEngine : public ScratchDir {};

} // namespace

TEST_F(BookEngine, ConvertedStyleBookIsListedAfterRestart) {
    WriteFileBytes("games.pgn", "[Event \"one\"]\n[Result \"*\"]\n\n1. e4 e5 2. Nf3 Nc6 *\n"
                                "[Event \"two\"]\n\n1. d4! {good} d5 2. c4 *\n"
                                "[Event \"three\"]\n\n1. c4? e5 *\n");
    std::string seen;
    {
        EngineProcess engine(dir_.string());
        ASSERT_TRUE(engine.Started());
        // Missing books: each one reports the damaged-book line and the engine goes on.
        ASSERT_TRUE(engine.ReadUntil("Reading main book...", seen)) << seen;
        std::string line;
        ASSERT_TRUE(engine.ReadLine(line));
        EXPECT_EQ(line, "ERROR: opening book was damaged");
        ASSERT_TRUE(engine.ReadLine(line));
        EXPECT_EQ(line, "Reading style book...");
        ASSERT_TRUE(engine.ReadLine(line));
        EXPECT_EQ(line, "ERROR: opening book was damaged");
        ASSERT_TRUE(engine.ReadUntil("feature done=1", seen)) << seen;

        engine.Send("convert games.pgn");
        seen.clear();
        ASSERT_TRUE(engine.ReadUntil("Saved 10 positions", seen)) << seen;
        EXPECT_NE(seen.find("Converting style book...\n"), std::string::npos);
        EXPECT_NE(seen.find("1\r2\r3\r4\rStyle book succesfull converted (10 pos)\n"), std::string::npos) << seen;
        engine.Send("quit");
        EXPECT_EQ(engine.Finish(), 0);
    }
    EngineProcess engine(dir_.string());
    ASSERT_TRUE(engine.Started());
    seen.clear();
    ASSERT_TRUE(engine.ReadUntil("Reading style book...", seen)) << seen;
    std::string line;
    ASSERT_TRUE(engine.ReadLine(line));
    EXPECT_EQ(line, "found 10 positions in opening book");
    ASSERT_TRUE(engine.ReadUntil("feature done=1", seen)) << seen;
    // d2d4 was good (7); e2e4 neutral and c2c4 bad for White are no book moves.
    engine.Send("book");
    seen.clear();
    ASSERT_TRUE(engine.ReadUntil("end of list", seen)) << seen;
    EXPECT_EQ(seen, "List of book moves\nd2d4\t  100 %\nend of list\n");

    // Told to move, the engine plays the book move.
    engine.Send("new");
    engine.Send("go");
    seen.clear();
    ASSERT_TRUE(engine.ReadUntil("move d2d4", seen)) << seen;
    EXPECT_NE(seen.find("d2d4\t  100 %\n"), std::string::npos) << seen;
    engine.Send("quit");
    EXPECT_EQ(engine.Finish(), 0);
}
