// Polyglot books through the binary: a book written by morvane-book, named
// in Morvane.ini or set as an option, played from move by move (castling and
// en passant included), listed, switched off, and damaged books refused.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "book/PolyglotBook.h"
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

// The book's moves (coordinate text, weight) in the position after `moves`,
// read from the file's bytes by the referee.
std::map<std::string, int> BookMovesAfter(const std::string &bytes, const std::vector<std::string> &moves) {
    referee::Setup(StartPosition);
    for (const std::string &m : moves)
        referee::LegalMoves(m);
    const uint64_t key = PolyglotKey();
    std::map<std::string, int> found;
    for (size_t i = 0; i + 16 <= bytes.size(); i += 16) {
        const auto *b = reinterpret_cast<const uint8_t *>(bytes.data() + i);
        uint64_t k = 0;
        for (int j = 0; j < 8; ++j)
            k = k << 8 | b[j];
        if (k != key) continue;
        const int move = b[8] << 8 | b[9];
        std::string text = {char('a' + (move >> 6 & 7)), char('1' + (move >> 9 & 7)), char('a' + (move & 7)),
                            char('1' + (move >> 3 & 7))};
        // Castling as the king onto its rook, as the engine announces it.
        if (text == "e1h1" || text == "e8h8") text[2] = 'g';
        if (text == "e1a1" || text == "e8a8") text[2] = 'c';
        found[text] = b[10] << 8 | b[11];
    }
    return found;
}

} // namespace

TEST(PolyglotBook, EnginePlaysOnlyBookMovesCastlingAndEnPassantIncluded) {
    EngineProcess engine;
    engine.WriteFile("games.pgn", Games);
    ASSERT_EQ(RunBookTool(engine, "-f polyglot -m 1 -o small.bin games.pgn"), 0) << engine.ReadFile("err");
    EXPECT_EQ(engine.ReadFile("out"), "3 games (0 skipped), 22 moves, 14 entries written to small.bin\n");
    const std::string bytes = engine.ReadFile("small.bin");
    engine.WriteFile("Morvane.ini", std::string(EngineProcess::DefaultConfig) + "BookFile          small.bin\n");
    ASSERT_TRUE(engine.Start());
    const Lines startup = engine.ReadStartup();
    EXPECT_EQ(Count(startup, "found 14 entries in polyglot book small.bin"), 1) << Joined(startup);
    EXPECT_EQ(engine.Run({"book"}), (Lines{"List of book moves", "e2e4\t  100 %", "end of list"}));
    // The engine plays White; Black follows each line; every engine move must be the book's.
    for (const auto &line : Lines3) {
        engine.Send("new");
        engine.Send("go");
        std::vector<std::string> played;
        for (size_t ply = 0; ply < line.size(); ++ply) {
            if (ply % 2 == 1) {
                engine.Send(line[ply]);
                played.push_back(line[ply]);
                continue;
            }
            bool found = false;
            const Lines out = engine.ReadUntilPrefix("move ", &found);
            ASSERT_TRUE(found) << Joined(out);
            const std::string move = out.back().substr(5);
            const std::map<std::string, int> book = BookMovesAfter(bytes, played);
            EXPECT_TRUE(book.count(move) && book.at(move) > 0) << "ply " << ply << ": " << move;
            EXPECT_EQ(move, line[ply]);
            // Played from the book: its moves are shown with their shares, here one move at 100 %.
            EXPECT_EQ(Count(out, move + "\t  100 %"), 1) << Joined(out);
            played.push_back(move);
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
    engine.WriteFile("empty.bin", "");
    engine.WriteFile("cut.bin", engine.ReadFile("small.bin").substr(0, 40));
    const std::pair<const char *, const char *> bad[] = {{"folder.bin", "a directory"},
                                                         {"empty.bin", "empty"},
                                                         {"cut.bin", "size 40 is not a multiple of 16"},
                                                         {"gone.bin", "missing"}};
    for (const auto &[name, reason] : bad) {
        engine.WriteFile("Morvane.ini", std::string(EngineProcess::DefaultConfig) + "BookFile " + name + "\n");
        ASSERT_TRUE(engine.Start());
        const Lines startup = engine.ReadStartup();
        EXPECT_EQ(Count(startup, "WARNING: polyglot book "), 1) << Joined(startup);
        EXPECT_EQ(Count(startup, std::string("WARNING: polyglot book ") + name + " not used: " + reason), 1)
            << Joined(startup);
        EXPECT_NE(Joined(startup).find("feature option=\"BookFile -file " + std::string(name) + "\""),
                  std::string::npos);
        EXPECT_EQ(engine.Run({"book"}), (Lines{"List of book moves", "end of list"}));
        engine.Send("sd 2");
        engine.Send("go");
        bool found = false;
        engine.ReadUntilPrefix("move ", &found);
        EXPECT_TRUE(found) << name;
        engine.Send("quit");
        EXPECT_EQ(engine.WaitExit(), 0);
    }
}
