// Main books through the programs: morvane-book writes one, the engine loads
// it, lists its moves and plays them; the default book is found beside the
// executable or in the installed layout.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

namespace {

namespace fs = std::filesystem;

const fs::path BuildDir = fs::path(MORVANE_BINARY).parent_path();

// Runs morvane-book in the directory; returns its exit status.
int RunBookTool(const std::string &dir, const std::string &arguments) {
    const std::string command =
        "cd '" + dir + "' && '" + (BuildDir / "morvane-book").string() + "' " + arguments + " >tool.out 2>tool.err";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Joined(const std::vector<std::string> &lines) {
    std::string all;
    for (const std::string &l : lines)
        all += l + "\n";
    return all;
}

// Starts the engine and returns the line after "Reading main book...".
std::string StartAndReadMainBookLine(EngineProcess &engine, const std::string &binary = MORVANE_BINARY) {
    bool found = false;
    EXPECT_TRUE(engine.Start(binary));
    engine.ReadUntilPrefix("Reading main book...", &found);
    EXPECT_TRUE(found);
    const std::string line = engine.ReadLine().value_or("");
    engine.ReadStartup(&found);
    EXPECT_TRUE(found);
    return line;
}

const char KnownGames[] = "[Event \"a\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 1-0\n\n"
                          "[Event \"b\"]\n[Result \"1/2-1/2\"]\n\n1. e4 c5 2. Nf3 {Sicilian} d6 1/2-1/2\n\n"
                          "[Event \"c\"]\n[Result \"1-0\"]\n\n1. d4 d5 (1... Nf6) 2. c4 1-0\n\n"
                          "[Event \"d\"]\n[Result \"0-1\"]\n\n1. b4 e5 0-1\n";

} // namespace

TEST(BookTool, BuiltBookIsLoadedListedAndPlayed) {
    EngineProcess engine;
    engine.WriteFile("games.pgn", KnownGames);
    ASSERT_EQ(RunBookTool(engine.Dir(), "-m 1 games.pgn"), 0) << engine.ReadFile("tool.err");
    EXPECT_EQ(engine.ReadFile("tool.err"), "");
    // Win 4, draw 2, loss 0 for the side that moved; weight 0 is left out.
    // Kept: e4 (6), e4 e5 Nf3 (4), ... Nc6 Bb5 (4), e4 c5 (2), e4 c5 Nf3 (2),
    // ... d6 (2), d4 (4), d4 d5 c4 (4), b4 e5 (4).
    EXPECT_EQ(engine.ReadFile("tool.out"), "4 games (0 skipped), 13 positions, 9 written to Morvane.book\n");
    EXPECT_EQ(StartAndReadMainBookLine(engine), "found 10 positions in opening book");

    // From the start: e4 won one game and drew one (4 + 2), d4 won (4); b4 lost.
    engine.Send("book");
    EXPECT_EQ(Joined(engine.ReadUntilPrefix("end of list")),
              "List of book moves\ne2e4\t   60 %\nd2d4\t   40 %\nend of list\n");

    // Playing Black after 1. e4: e5 lost (0 for Black), c5 drew (2).
    engine.Send("new");
    engine.Send("e2e4");
    bool found = false;
    const std::string seen = Joined(engine.ReadUntilPrefix("move ", &found));
    ASSERT_TRUE(found) << seen;
    EXPECT_NE(seen.find("c7c5\t  100 %\n"), std::string::npos) << seen;
    EXPECT_EQ(seen.substr(seen.size() - 11), "\nmove c7c5\n") << seen;
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

TEST(BookTool, BadInputNeverReplacesABook) {
    EngineProcess engine;
    engine.WriteFile("Morvane.book", "old book");
    engine.WriteFile("cut.pgn", std::string(KnownGames).substr(0, 30));
    engine.WriteFile("garbage.pgn", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    engine.WriteFile("noise.pgn", "][ }{ )( $$ 1. Zz9 ?\?!! 1-0 1/2 ... ;;;\n%%%\n");
    for (const char *input : {"cut.pgn", "garbage.pgn", "noise.pgn", "missing.pgn", "/dev/null", "."}) {
        EXPECT_EQ(RunBookTool(engine.Dir(), input), 1) << input;
        EXPECT_EQ(engine.ReadFile("Morvane.book"), "old book") << input;
    }
    EXPECT_EQ(RunBookTool(engine.Dir(), "-p 0 cut.pgn"), 2);
    EXPECT_EQ(RunBookTool(engine.Dir(), "-x cut.pgn"), 2);
    EXPECT_EQ(RunBookTool(engine.Dir(), ""), 2);
    EXPECT_EQ(RunBookTool(engine.Dir(), "--help"), 0);
    EXPECT_NE(engine.ReadFile("tool.out").find("usage: morvane-book"), std::string::npos);
    EXPECT_EQ(engine.ReadFile("Morvane.book"), "old book");
}

TEST(BookTool, InstalledBookIsFoundFromAnEmptyDirectory) {
    // An installed layout: bin/morvane and share/morvane/Morvane.book.
    EngineProcess tree;
    tree.WriteFile("games.pgn", KnownGames);
    ASSERT_EQ(RunBookTool(tree.Dir(), "-m 1 -o book.bin games.pgn"), 0);
    fs::create_directories(tree.PathOf("bin"));
    fs::create_directories(tree.PathOf("share/morvane"));
    const std::string binary = tree.PathOf("bin/morvane");
    fs::copy_file(MORVANE_BINARY, binary);
    fs::copy_file(tree.PathOf("book.bin"), tree.PathOf("share/morvane/Morvane.book"));

    EngineProcess installed;
    EXPECT_EQ(StartAndReadMainBookLine(installed, binary), "found 10 positions in opening book");
    installed.Send("quit");
    EXPECT_EQ(installed.WaitExit(), 0);

    // A book beside the executable comes before the installed one, and one
    // in the working directory before both.
    tree.WriteFile("bin/Morvane.book", std::string(4 + 2 * 40, '\0'));
    EngineProcess beside;
    EXPECT_EQ(StartAndReadMainBookLine(beside, binary), "found 2 positions in opening book");
    beside.Send("quit");
    EXPECT_EQ(beside.WaitExit(), 0);
    EngineProcess own;
    own.WriteFile("Morvane.book", "damaged");
    EXPECT_EQ(StartAndReadMainBookLine(own, binary), "ERROR: opening book was damaged");
    own.Send("quit");
    EXPECT_EQ(own.WaitExit(), 0);

    // No book anywhere.
    fs::remove(tree.PathOf("bin/Morvane.book"));
    fs::remove(tree.PathOf("share/morvane/Morvane.book"));
    EngineProcess none;
    EXPECT_EQ(StartAndReadMainBookLine(none, binary), "WARNING: Morvane.book missing, no opening book");
    none.Send("quit");
    EXPECT_EQ(none.WaitExit(), 0);
}

TEST(BookTool, DefaultBookVariesTheOpenings) {
    if (!fs::exists(BuildDir / "Morvane.book")) GTEST_SKIP() << "no default book beside the engine";
    EngineProcess engine;
    const std::string line = StartAndReadMainBookLine(engine);
    ASSERT_EQ(line.rfind("found ", 0), 0u) << line;
    EXPECT_GT(std::stol(line.substr(6)), 10000);

    engine.Send("book");
    const std::string listing = Joined(engine.ReadUntilPrefix("end of list"));
    // Each game starts from the book; over a dozen games the first move varies.
    std::set<std::string> firstMoves;
    for (int game = 0; game < 12; ++game) {
        engine.Send("new");
        engine.Send("white");
        engine.Send("go");
        bool found = false;
        const std::vector<std::string> lines = engine.ReadUntilPrefix("move ", &found);
        ASSERT_TRUE(found) << Joined(lines);
        const std::string move = lines.back().substr(5);
        EXPECT_NE(listing.find(move + "\t"), std::string::npos) << move << " not in\n" << listing;
        // The lookup prints the shares when it chooses.
        EXPECT_NE(Joined(lines).find(move + "\t"), std::string::npos) << Joined(lines);
        firstMoves.insert(move);
        engine.Send("force");
    }
    EXPECT_GE(firstMoves.size(), 2u);

    // Analysis searches the position even where the book knows a move.
    engine.Send("new");
    engine.Send("analyze");
    bool found = false;
    const std::vector<std::string> thinking =
        engine.ReadUntil([](const std::string &l) { return l.rfind(" 4 ", 0) == 0; }, &found);
    EXPECT_TRUE(found) << Joined(thinking);
    engine.Send("exit");
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}
