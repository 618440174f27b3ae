// Start-up through the binary: its lines, the configuration file, the books and morvane-book.
#include <gtest/gtest.h>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

const Lines Banner = {"Morvane", "chess engine for xboard interfaces (UCI on request)", "", "feature done=0"};
const Lines NoBooks = {"Reading main book...", "WARNING: Morvane.book missing, no opening book",
                       "Reading style book...", "WARNING: MVstyle.book missing, no style book"};
const std::string Learning = "WARINING: book learning does not implemented in this version";

// Start-up lines (of the features only name and done), then "result 1-0" (learning on?), then quit.
Lines StartUp(EngineProcess &engine, const std::string &binary = EngineProcess::BooklessBinary()) {
    EXPECT_TRUE(engine.Start(binary));
    Lines lines = engine.ReadStartup();
    std::erase_if(lines, [](const std::string &l) {
        return l.starts_with("feature ") && l != "feature done=0" && l != "feature done=1" &&
               !l.starts_with("feature myname=");
    });
    if (engine.Found()) {
        const Lines after = engine.Run({"result 1-0"});
        lines.insert(lines.end(), after.begin(), after.end());
    }
    engine.Quit();
    return lines;
}

// The lines of a start with book learning on ('L') or off ('N'), or of one that a fatal error ends ('F').
Lines Started(const Lines &middle, char start) {
    Lines all = Banner;
    all.insert(all.end(), middle.begin(), middle.end());
    if (start == 'F') return all;
    all.insert(all.end(), NoBooks.begin(), NoBooks.end());
    all.insert(all.end(), {"feature myname=\"Morvane 7\"", "feature done=1"});
    if (start == 'L') all.push_back(Learning);
    return all;
}

const char KnownGames[] = "[Event \"a\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 1-0\n\n"
                          "[Event \"b\"]\n[Result \"1/2-1/2\"]\n\n1. e4 c5 2. Nf3 {Sicilian} d6 1/2-1/2\n\n"
                          "[Event \"c\"]\n[Result \"1-0\"]\n\n1. d4 d5 (1... Nf6) 2. c4 1-0\n\n"
                          "[Event \"d\"]\n[Result \"0-1\"]\n\n1. b4 e5 0-1\n";

} // namespace

TEST(Startup, ConfigurationFile) {
    const std::string missing = "WARNING: Morvane.ini missing, create new", hash16 = "Hash size 16 Mbytes";
    const std::string larger = "ERROR: Morvane.ini is larger than 1 MB, not read",
                      defaults = ", starting on the defaults";
    const std::string range = "WARNING: Hash ", used = " out of range (1 to 32768), 1 used", one = "Hash size 1 Mbytes";
    const std::string largest = "BookLearn FALSE Hash 4 " + std::string((1 << 20) - 23, ' ');
    const std::string notDefined = "ERROR: option BookLearn not defined in Morvane.ini",
                      notWhole = " is not a whole number from 0 to 5000, 10 kept";
    // Text or kind of file; lines after the banner; learning on, off, or fatal; what is left of the file.
    const std::tuple<std::string, Lines, char, std::string> rows[] = {
        {EngineProcess::DefaultConfig, {hash16}, 'N', "kept"},
        {"BookLearn TRUE Hash 8", {"Hash size 8 Mbytes"}, 'L', "kept"},
        {"Hash 32\n", {notDefined}, 'F', "kept"},
        {"BookLearn TRUE\nResign TRUE\n", {"ERROR: option Hash not defined in Morvane.ini"}, 'F', "kept"},
        {"BookLearn FALSE\nHash 0\n", {range + "0" + used, one}, 'N', "kept"},
        {"BookLearn FALSE\nHash -99999999999999999999\n", {range + "-99999999999999999999" + used, one}, 'N', "kept"},
        {largest, {"Hash size 4 Mbytes"}, 'N', "kept"}, // the size limit itself
        {"BookLearn FALSE\nHash 8\nMoveOverhead 5001\nMoveOverhead x\n",
         {"WARNING: MoveOverhead 5001" + notWhole, "WARNING: MoveOverhead x" + notWhole, "Hash size 8 Mbytes"},
         'N',
         "kept"},
        // Missing: the six default lines are written; book learning is on for this run.
        {"missing", {missing, hash16}, 'L', "defaults"},
        {"leftover of a failed start", {missing, hash16}, 'L', "defaults"},
        // Unreadable, endless or too large: named, started on the defaults, left alone.
        {"directory", {"ERROR: cannot read Morvane.ini (Is a directory)" + defaults, hash16}, 'L', "directory"},
        {"endless", {larger + "; starting on the defaults", hash16}, 'L', "link"},
        {largest + " ", {larger + "; starting on the defaults", hash16}, 'L', "kept"},
        // A default file that cannot be written leaves nothing behind.
        {"unwritable", {missing, "WARNING: cannot write Morvane.ini (File exists)" + defaults, hash16}, 'L', "none"},
        {"full disk", {missing, "WARNING: cannot write Morvane.ini (File too large)" + defaults, hash16}, 'L', "none"},
        {"unreadable", {"ERROR: cannot read Morvane.ini (access refused)" + defaults, hash16}, 'L', "kept"}};
    for (const auto &[kind, middle, start, left] : rows) {
        SCOPED_TRACE(kind.substr(0, 40));
        EngineProcess engine(false);
        const fs::path file = engine.PathOf("Morvane.ini");
        if (kind == "leftover of a failed start") engine.WriteFile("Morvane.ini.new", "Hash");
        if (kind == "directory") fs::create_directory(file);
        if (kind == "endless") fs::create_symlink("/dev/zero", file);
        if (kind == "unwritable") fs::create_directories(engine.PathOf("Morvane.ini.new/keep"));
        if (kind == "full disk") // no file may be longer than 0 bytes
            engine.WriteFile("full", "#!/bin/sh\nulimit -f 0\ntrap '' XFSZ\nexec " + engine.BooklessBinary() + "\n");
        if (kind == "full disk") fs::permissions(engine.PathOf("full"), fs::perms::owner_all);
        if (left == "kept") engine.WriteFile("Morvane.ini", kind);
        if (kind == "unreadable" && geteuid() == 0) continue; // permissions do not bind the superuser
        if (kind == "unreadable") fs::permissions(file, fs::perms::owner_write);
        EXPECT_EQ(StartUp(engine, kind == "full disk" ? engine.PathOf("full") : engine.BooklessBinary()),
                  Started(middle, start));
        EXPECT_EQ(engine.WaitExit(), start == 'F' ? 1 : 0);
        if (kind == "unreadable") fs::permissions(file, fs::perms::owner_all);
        const std::string now = fs::is_symlink(file)                                             ? "link"
                                : fs::is_directory(file)                                         ? "directory"
                                : !fs::exists(file)                                              ? "none"
                                : engine.ReadFile("Morvane.ini") == kind                         ? "kept"
                                : engine.ReadFile("Morvane.ini") == EngineProcess::DefaultConfig ? "defaults"
                                                                                                 : "changed";
        EXPECT_EQ(now, left);
        EXPECT_EQ(fs::exists(engine.PathOf("Morvane.ini.new")), kind == "unwritable");
    }
    // Too large: the largest table is tried; a machine that cannot give it stops the start.
    EngineProcess engine(false);
    engine.WriteFile("Morvane.ini", "BookLearn FALSE\nHash 99999999999999999999\n");
    const Lines lines = StartUp(engine);
    const Lines refused = Started({"WARNING: Hash 99999999999999999999 out of range (1 to 32768), 32768 used",
                                   "ERROR: cannot allocate 32768 Mbytes for the hash table"},
                                  'F');
    EXPECT_TRUE(lines == refused ||
                (sysconf(_SC_PHYS_PAGES) * sysconf(_SC_PAGE_SIZE) >> 30 >= 32 && lines[4] == refused[4]))
        << Joined(lines);
}

TEST(Books, ReportedAndFoundWhereTheEngineLooks) {
    // Damaged books are the loader's (BookFormatTest); here where the engine looks.
    // Installed as bin/morvane and share/morvane/Morvane.book: the working directory first, then bin/.
    EngineProcess tree;
    tree.WriteFile("games.pgn", KnownGames);
    fs::create_directories(tree.PathOf("share/morvane"));
    fs::create_directories(tree.PathOf("bin"));
    ASSERT_EQ(RunBookTool(tree, "-m 1 -o share/morvane/Morvane.book games.pgn"), 0);
    fs::copy_file(MORVANE_BINARY, tree.PathOf("bin/morvane"));
    for (const char *line : {"found 10 positions in opening book", "found 2 positions in opening book",
                             "ERROR: opening book was damaged", "WARNING: Morvane.book missing, no opening book"}) {
        EngineProcess installed;
        if (line[6] == '2') tree.WriteFile("bin/Morvane.book", std::string(4 + 2 * 40, '\0'));
        if (line[0] == 'E') installed.WriteFile("Morvane.book", "damaged");
        if (line[0] == 'W') fs::remove(tree.PathOf("bin/Morvane.book"));
        if (line[0] == 'W') fs::remove(tree.PathOf("share/morvane/Morvane.book"));
        const Lines lines = StartUp(installed, tree.PathOf("bin/morvane"));
        EXPECT_EQ(lines.size() > 6 ? lines[6] : "", line);
    }
}

TEST(Books, BuiltBookIsLoadedListedAndPlayed) {
    EngineProcess engine;
    engine.WriteFile("games.pgn", KnownGames);
    ASSERT_EQ(RunBookTool(engine, "-m 1 games.pgn"), 0) << engine.ReadFile("err");
    EXPECT_EQ(engine.ReadFile("err"), "");
    // Win 4, draw 2, loss 0 for the side that moved; weight 0 is left out.
    EXPECT_EQ(engine.ReadFile("out"), "4 games (0 skipped), 13 positions, 9 written to Morvane.book\n");
    ASSERT_TRUE(engine.Start(MORVANE_BINARY));
    EXPECT_EQ(Count(engine.ReadStartup(), "found 10 positions in opening book"), 1);
    // From the start: e4 won one game and drew one (4 + 2), d4 won (4); b4 lost.
    EXPECT_EQ(engine.Run({"book"}), (Lines{"List of book moves", "e2e4\t   60 %", "d2d4\t   40 %", "end of list"}));
    // Playing Black after 1. e4: e5 lost (0 for Black), c5 drew (2).
    engine.Send("new");
    engine.Send("e2e4");
    const std::string seen = Joined(engine.ReadUntilPrefix("move "));
    EXPECT_NE(seen.find("c7c5\t  100 %\n"), std::string::npos) << seen;
    EXPECT_TRUE(seen.ends_with("\nmove c7c5\n")) << seen;
    engine.SendRaw("new\nforce\npost\nanalyze\n"); // analysis searches where the book knows a move
    EXPECT_TRUE(engine.Sees(" 4 "));
    engine.Send("exit");
    EXPECT_EQ(engine.Quit(), 0);
    // Bad input never replaces a book.
    engine.WriteFile("Morvane.book", "old book");
    engine.WriteFile("cut.pgn", std::string(KnownGames).substr(0, 30));
    const std::pair<const char *, int> runs[] = {
        {"cut.pgn", 1}, {"missing.pgn", 1}, {".", 1}, {"-p 0 cut.pgn", 2}, {"-x cut.pgn", 2}, {"", 2}, {"--help", 0}};
    for (auto [arguments, status] : runs) {
        EXPECT_EQ(RunBookTool(engine, arguments), status) << arguments;
        EXPECT_EQ(engine.ReadFile("Morvane.book"), "old book") << arguments;
    }
    EXPECT_NE(engine.ReadFile("out").find("usage: morvane-book"), std::string::npos);
}
