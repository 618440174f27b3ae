// Polyglot books through the binary: a book written by morvane-book, named
// in Morvane.ini or set as an option, played from move by move (castling and
// en passant included), listed, switched off, and a damaged book refused.
#include <gtest/gtest.h>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

// Every game starts 1. e4; after that Black's choice decides the line, and
// White has one book move in each position: 7. O-O in the first line,
// 3. exd6 en passant in the second. 22 moves, of which the 8 Black moves of
// the lost games weigh 0 and are left out.
const char Games[] = "[Result \"1-0\"]\n1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. c3 Nf6 5. d3 d6 6. Nbd2 O-O 7. O-O 1-0\n"
                     "[Result \"1/2-1/2\"]\n1. e4 Nf6 2. e5 d5 3. exd6 cxd6 1/2-1/2\n"
                     "[Result \"1-0\"]\n1. e4 c5 2. Nf3 d6 3. d4 1-0\n";
const std::vector<std::string> Lines3[] = {
    {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5", "c2c3", "g8f6", "d2d3", "d7d6", "b1d2", "e8g8", "e1g1"},
    {"e2e4", "g8f6", "e4e5", "d7d5", "e5d6"},
    {"e2e4", "c7c5", "g1f3", "d7d6", "d2d4"}};

int RunBookTool(const EngineProcess &place, const std::string &arguments) {
    const std::string tool = (fs::path(MORVANE_BINARY).parent_path() / "morvane-book").string();
    const int status = std::system(("cd '" + place.Dir() + "' && '" + tool + "' " + arguments + " >out 2>err").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(PolyglotBook, EnginePlaysOnlyBookMovesCastlingAndEnPassantIncluded) {
    EngineProcess engine;
    engine.WriteFile("games.pgn", Games);
    ASSERT_EQ(RunBookTool(engine, "-f polyglot -m 1 -o small.bin games.pgn"), 0) << engine.ReadFile("err");
    EXPECT_EQ(engine.ReadFile("out"), "3 games (0 skipped), 22 moves, 14 entries written to small.bin\n");
    engine.WriteFile("Morvane.ini", std::string(EngineProcess::DefaultConfig) + "BookFile          small.bin\n");
    ASSERT_TRUE(engine.Start());
    const Lines startup = engine.ReadStartup();
    EXPECT_EQ(Count(startup, "found 14 entries in polyglot book small.bin"), 1) << Joined(startup);
    EXPECT_EQ(engine.Run({"book"}), (Lines{"List of book moves", "e2e4\t  100 %", "end of list"}));
    // The engine plays White; Black follows each line; every engine move must be the book's.
    for (const auto &line : Lines3) {
        engine.Send("new");
        engine.Send("go");
        for (size_t ply = 0; ply < line.size(); ++ply) {
            if (ply % 2 == 1) {
                engine.Send(line[ply]);
                continue;
            }
            bool found = false;
            const Lines out = engine.ReadUntilPrefix("move ", &found);
            ASSERT_TRUE(found) << Joined(out);
            const std::string move = out.back().substr(5);
            EXPECT_EQ(move, line[ply]) << "ply " << ply;
            // Played from the book: its moves are shown with their shares, here one move at 100 %.
            EXPECT_EQ(Count(out, move + "\t  100 %"), 1) << Joined(out);
        }
        engine.Send("force");
        engine.Sync();
    }
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

TEST(PolyglotBook, OptionsOwnBookAndDamagedFiles) {
    EngineProcess engine;
    engine.WriteFile("games.pgn", Games);
    ASSERT_EQ(RunBookTool(engine, "-f polyglot -m 1 -o small.bin games.pgn"), 0) << engine.ReadFile("err");
    // UCI: announced, set, played from, switched off by OwnBook.
    ASSERT_TRUE(engine.Start());
    engine.ReadStartup();
    engine.Send("uci");
    const Lines intro = engine.ReadUntilPrefix("uciok");
    EXPECT_EQ(Count(intro, "option name BookFile type string default <empty>"), 1) << Joined(intro);
    engine.Send("setoption name BookFile value small.bin");
    engine.Send("position startpos moves e2e4 g8f6");
    engine.Send("go wtime 60000 btime 60000");
    Lines out = engine.ReadUntilPrefix("bestmove ");
    EXPECT_EQ(Count(out, "info string found 14 entries in polyglot book small.bin"), 1) << Joined(out);
    EXPECT_EQ(BestMoveOf(out), "e4e5");
    EXPECT_EQ(Count(out, "info depth"), 0);
    engine.Send("setoption name OwnBook value false");
    engine.Send("go depth 3");
    out = engine.ReadUntilPrefix("bestmove ");
    EXPECT_GT(Count(out, "info depth"), 0) << Joined(out);
    engine.Send("setoption name BookFile value games.pgn"); // 1 + whatever: not whole entries, or out of order
    engine.Send("isready");
    out = engine.ReadUntilPrefix("readyok");
    EXPECT_EQ(Count(out, "info string WARNING: polyglot book games.pgn not used: "), 1) << Joined(out);
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);

    // Named in Morvane.ini but no good: one warning at start-up, and the engine plays without it.
    fs::create_directory(engine.PathOf("folder.bin"));
    engine.WriteFile("Morvane.ini", std::string(EngineProcess::DefaultConfig) + "BookFile folder.bin\n");
    ASSERT_TRUE(engine.Start());
    const Lines startup = engine.ReadStartup();
    EXPECT_EQ(Count(startup, "WARNING: polyglot book "), 1) << Joined(startup);
    EXPECT_EQ(Count(startup, "WARNING: polyglot book folder.bin not used: a directory"), 1) << Joined(startup);
    EXPECT_NE(Joined(startup).find("feature option=\"BookFile -file folder.bin\""), std::string::npos);
    EXPECT_EQ(engine.Run({"book"}), (Lines{"List of book moves", "end of list"}));
    engine.Send("sd 2");
    engine.Send("go");
    bool found = false;
    engine.ReadUntilPrefix("move ", &found);
    EXPECT_TRUE(found);
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}
