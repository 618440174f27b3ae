// Polyglot books through the binary: a book written by morvane-book, named
// in Morvane.ini or set as an option, played from, listed, switched off, and
// a damaged book refused (the book's own moves are BookTest's).
#include <gtest/gtest.h>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

// After 1. e4 White has one book move in each line; 22 moves, of which the 8
// Black moves of the lost games weigh 0 and are left out.
const char Games[] = "[Result \"1-0\"]\n1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. c3 Nf6 5. d3 d6 6. Nbd2 O-O 7. O-O 1-0\n"
                     "[Result \"1/2-1/2\"]\n1. e4 Nf6 2. e5 d5 3. exd6 cxd6 1/2-1/2\n"
                     "[Result \"1-0\"]\n1. e4 c5 2. Nf3 d6 3. d4 1-0\n";

} // namespace

TEST(PolyglotBook, NamedSetPlayedFromListedSwitchedOffAndRefused) {
    EngineProcess engine;
    engine.WriteFile("games.pgn", Games);
    ASSERT_EQ(RunBookTool(engine, "-f polyglot -m 1 -o small.bin games.pgn"), 0) << engine.ReadFile("err");
    EXPECT_EQ(engine.ReadFile("out"), "3 games (0 skipped), 22 moves, 14 entries written to small.bin\n");
    // Named in Morvane.ini: loaded at start-up, listed, played from with the shares shown.
    engine.WriteFile("Morvane.ini", std::string(EngineProcess::DefaultConfig) + "BookFile          small.bin\n");
    ASSERT_TRUE(engine.Start());
    EXPECT_EQ(Count(engine.ReadStartup(), "found 14 entries in polyglot book small.bin"), 1);
    EXPECT_EQ(engine.Run({"book"}), (Lines{"List of book moves", "e2e4\t  100 %", "end of list"}));
    engine.Send("go");
    const Lines first = engine.ReadUntilPrefix("move ");
    EXPECT_TRUE(Count(first, "e2e4\t  100 %") == 1 && first.back() == "move e2e4") << Joined(first);
    EXPECT_EQ(engine.Quit(), 0);

    // UCI: set, played from, switched off by OwnBook; a file that is no book is named.
    engine.WriteFile("Morvane.ini", EngineProcess::DefaultConfig);
    ASSERT_TRUE(engine.Start());
    engine.ReadStartup();
    engine.Send("uci\nsetoption name BookFile value small.bin\nposition startpos moves e2e4 g8f6");
    engine.Send("go wtime 60000 btime 60000");
    Lines out = engine.ReadUntilPrefix("bestmove ");
    EXPECT_EQ(Count(out, "info string found 14 entries in polyglot book small.bin"), 1) << Joined(out);
    EXPECT_EQ(BestMoveOf(out), "e4e5");
    EXPECT_EQ(Count(out, "info depth"), 0);
    engine.Send("setoption name OwnBook value false\ngo wtime 6000 btime 6000");
    out = engine.ReadUntilPrefix("bestmove ");
    EXPECT_GT(Count(out, "info depth"), 0) << Joined(out);
    engine.Send("setoption name BookFile value games.pgn\nisready"); // not whole entries, or out of order
    out = engine.ReadUntilPrefix("readyok");
    EXPECT_EQ(Count(out, "info string WARNING: polyglot book games.pgn not used: "), 1) << Joined(out);
    EXPECT_EQ(engine.Quit(), 0);

    // Named in Morvane.ini but no good: one warning at start-up, and the engine plays without it.
    fs::create_directory(engine.PathOf("folder.bin"));
    engine.WriteFile("Morvane.ini", std::string(EngineProcess::DefaultConfig) + "BookFile folder.bin\n");
    ASSERT_TRUE(engine.Start());
    const Lines startup = engine.ReadStartup();
    EXPECT_EQ(Count(startup, "WARNING: polyglot book "), 1) << Joined(startup);
    EXPECT_EQ(Count(startup, "WARNING: polyglot book folder.bin not used: a directory"), 1) << Joined(startup);
    EXPECT_EQ(engine.Run({"book"}), (Lines{"List of book moves", "end of list"}));
    engine.Send("sd 2\ngo");
    EXPECT_TRUE(engine.Sees("move "));
    EXPECT_EQ(engine.Quit(), 0);
}
