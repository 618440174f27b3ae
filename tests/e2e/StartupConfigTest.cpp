// Start-up lines and the configuration file, through the binary.
#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

namespace {

using Lines = std::vector<std::string>;

const Lines Banner = {"Morvane", "chess engine for xboard interfaces (UCI on request)", "", "feature done=0"};
const Lines BooksAndFeatures = {"Reading main book...",         "WARNING: Morvane.book missing, no opening book",
                                "Reading style book...",        "WARNING: MVstyle.book missing, no style book",
                                "feature myname=\"Morvane 7\"", "feature done=1"};

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Starts the engine on a given configuration text (none: no file at all)
// and returns every line it prints until it ends or reaches the loop.
struct Started {
    Lines lines;
    bool reachedLoop;
};

// The protocol features between the name and "done=1" are left out here:
// the order of the start-up lines is what these tests look at.
Started StartWith(EngineProcess &engine) {
    EXPECT_TRUE(engine.Start());
    bool found = false;
    Lines lines;
    for (const std::string &l : engine.ReadStartup(&found))
        if (l.rfind("feature ", 0) != 0 || l == "feature done=0" || l == "feature done=1" ||
            l.rfind("feature myname=", 0) == 0)
            lines.push_back(l);
    return {lines, found};
}

// Ends a started engine with "quit" and checks status 0.
void Quit(EngineProcess &engine) {
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

} // namespace

TEST(Startup, LinesInOrderWithConfigurationFile) {
    EngineProcess engine;
    Started s = StartWith(engine);
    ASSERT_TRUE(s.reachedLoop);
    EXPECT_EQ(s.lines, Concat({Banner, {"Hash size 16 Mbytes"}, BooksAndFeatures}));
    Quit(engine);
}

TEST(Startup, MissingConfigurationIsCreatedWithTheSixDefaultLines) {
    EngineProcess engine(false);
    Started s = StartWith(engine);
    ASSERT_TRUE(s.reachedLoop);
    EXPECT_EQ(s.lines,
              Concat({Banner, {"WARNING: Morvane.ini missing, create new", "Hash size 16 Mbytes"}, BooksAndFeatures}));
    EXPECT_EQ(engine.ReadFile("Morvane.ini"), EngineProcess::DefaultConfig);
    // The new file says FALSE, yet book learning is on for this run.
    engine.Send("result 1-0 {White mates}");
    auto lines = engine.Sync();
    EXPECT_EQ(lines, Lines{"WARINING: book learning does not implemented in this version"});
    Quit(engine);

    // The second start reads the file it wrote: quiet, learning off.
    EngineProcess again(false);
    again.WriteFile("Morvane.ini", engine.ReadFile("Morvane.ini"));
    Started t = StartWith(again);
    ASSERT_TRUE(t.reachedLoop);
    EXPECT_EQ(t.lines, Concat({Banner, {"Hash size 16 Mbytes"}, BooksAndFeatures}));
    again.Send("result 1-0");
    EXPECT_TRUE(again.Sync().empty());
    Quit(again);
}

TEST(Startup, BookFilesAreReportedInOrder) {
    // The loader checks the size only: a count word and whole 40-byte records.
    EngineProcess engine;
    engine.WriteFile("Morvane.book", std::string(4 + 3 * 40, '\0'));
    engine.WriteFile("MVstyle.book", std::string(4 + 40 + 7, '\0'));
    Started s = StartWith(engine);
    ASSERT_TRUE(s.reachedLoop);
    EXPECT_EQ(s.lines, Concat({Banner,
                               {"Hash size 16 Mbytes", "Reading main book...", "found 3 positions in opening book",
                                "Reading style book...", "ERROR: opening book was damaged",
                                "feature myname=\"Morvane 7\"", "feature done=1"}}));
    Quit(engine);

    EngineProcess both;
    both.WriteFile("Morvane.book", std::string(4 + 2 * 40, '\0'));
    both.WriteFile("MVstyle.book", std::string(4 + 5 * 40, '\0'));
    s = StartWith(both);
    ASSERT_TRUE(s.reachedLoop);
    EXPECT_EQ(s.lines, Concat({Banner,
                               {"Hash size 16 Mbytes", "Reading main book...", "found 2 positions in opening book",
                                "Reading style book...", "found 5 positions in opening book",
                                "feature myname=\"Morvane 7\"", "feature done=1"}}));
    Quit(both);
}

namespace {

// Runs the engine on a configuration text that must stop start-up.
void ExpectFatal(const std::string &config, const Lines &afterBanner) {
    EngineProcess engine(false);
    engine.WriteFile("Morvane.ini", config);
    ASSERT_TRUE(engine.Start());
    std::string rest = engine.ReadToEnd();
    EXPECT_EQ(engine.WaitExit(), 1) << config;
    std::string expected;
    for (const Lines &part : {Banner, afterBanner})
        for (const std::string &l : part)
            expected += l + "\n";
    EXPECT_EQ(rest, expected) << config;
}

// Starts on a configuration text and returns the lines between the banner
// and the book lines (warnings and the hash line).
Lines ConfigLines(const std::string &config, EngineProcess &engine) {
    engine.WriteFile("Morvane.ini", config);
    Started s = StartWith(engine);
    EXPECT_TRUE(s.reachedLoop) << config;
    if (!s.reachedLoop || s.lines.size() < Banner.size() + BooksAndFeatures.size()) return s.lines;
    return Lines(s.lines.begin() + Banner.size(), s.lines.end() - BooksAndFeatures.size());
}

} // namespace

TEST(Config, MissingRequiredSettingsEndWithStatusOne) {
    ExpectFatal("Hash 32\n", {"ERROR: option BookLearn not defined in Morvane.ini"});
    ExpectFatal("BookLearn TRUE\nResign TRUE\n", {"ERROR: option Hash not defined in Morvane.ini"});
    // Both missing: only the first error.
    ExpectFatal("Resign FALSE\n", {"ERROR: option BookLearn not defined in Morvane.ini"});
    ExpectFatal("", {"ERROR: option BookLearn not defined in Morvane.ini"});
    // An unknown value warns and leaves the setting undefined.
    ExpectFatal("BookLearn yes\nHash 16\n",
                {"WARNING: unknown BookLearn value", "ERROR: option BookLearn not defined in Morvane.ini"});
    // Keys are case-sensitive.
    ExpectFatal("booklearn TRUE\nHash 16\n", {"ERROR: option BookLearn not defined in Morvane.ini"});
}

TEST(Config, ValueThatIsNoNumberStopsTheReading) {
    // Nothing after "abc" is seen, so Hash stays undefined.
    ExpectFatal("BookLearn FALSE\nHash abc\nHash 8\n", {"ERROR: option Hash not defined in Morvane.ini"});
    ExpectFatal("BookLearn FALSE\nExtraPlySearch x\nHash 8\n", {"ERROR: option Hash not defined in Morvane.ini"});
    ExpectFatal("BookLearn FALSE\nTbCache fast\nHash 8\n", {"ERROR: option Hash not defined in Morvane.ini"});
    ExpectFatal("Hash 8\nTbCache 1..5\nBookLearn FALSE\n", {"ERROR: option BookLearn not defined in Morvane.ini"});
    // Settings read before the bad value stay.
    EngineProcess engine(false);
    EXPECT_EQ(ConfigLines("BookLearn FALSE\nHash 8\nHash x\nHash 4\n", engine), Lines{"Hash size 8 Mbytes"});
    Quit(engine);
}

TEST(Config, LayoutOrderAndRepetitionDoNotMatter) {
    {
        EngineProcess engine(false);
        EXPECT_EQ(ConfigLines("Resign TRUE Hash 8 TbCache 0.5 BookLearn TRUE TbPath /tb ExtraPlySearch 2", engine),
                  Lines{"Hash size 8 Mbytes"});
        engine.Send("result 0-1");
        EXPECT_EQ(engine.Sync(), Lines{"WARINING: book learning does not implemented in this version"});
        Quit(engine);
    }
    {
        // CRLF line ends, unknown words, a later key overriding an earlier one.
        EngineProcess engine(false);
        EXPECT_EQ(
            ConfigLines("; settings\r\nBookLearn TRUE\r\nfoo bar\r\nHash 8\r\nHash 4\r\nBookLearn FALSE\r\n", engine),
            Lines{"Hash size 4 Mbytes"});
        engine.Send("result 0-1");
        EXPECT_TRUE(engine.Sync().empty());
        Quit(engine);
    }
    {
        // A long line is read like any other.
        EngineProcess engine(false);
        std::string filler(5000, 'x');
        EXPECT_EQ(ConfigLines(filler + " BookLearn FALSE " + filler + " Hash 2\n", engine),
                  Lines{"Hash size 2 Mbytes"});
        Quit(engine);
    }
}

TEST(Config, UnknownValuesWarn) {
    {
        EngineProcess engine(false);
        EXPECT_EQ(ConfigLines("BookLearn FALSE\nResign maybe\nHash 8\n", engine),
                  (Lines{"WARNING: unknown Resign value", "Hash size 8 Mbytes"}));
        Quit(engine);
    }
    {
        // The BookLearn value word is looked at as a key too.
        EngineProcess engine(false);
        EXPECT_EQ(ConfigLines("BookLearn FALSE BookLearn Hash 8\n", engine),
                  (Lines{"WARNING: unknown BookLearn value", "Hash size 8 Mbytes"}));
        Quit(engine);
    }
}

TEST(Config, OverlongTablebasePathIsRefusedWithoutHarm) {
    EngineProcess engine(false);
    std::string path(300, 'p');
    EXPECT_EQ(ConfigLines("BookLearn FALSE\nTbPath " + path + "\nHash 8\n", engine),
              (Lines{"WARNING: TbPath longer than 255 characters, ignored", "Hash size 8 Mbytes"}));
    Quit(engine);

    // 255 characters still fit.
    EngineProcess fits(false);
    EXPECT_EQ(ConfigLines("BookLearn FALSE\nTbPath " + std::string(255, 'p') + "\nHash 8\n", fits),
              Lines{"Hash size 8 Mbytes"});
    Quit(fits);
}

// "Threads" is optional: with two search threads the engine starts as before
// and plays a legal move; a value that is no number stops the reading like
// any other.
TEST(Config, ThreadsKeyIsOptional) {
    EngineProcess engine(false);
    EXPECT_EQ(ConfigLines("BookLearn FALSE\nHash 8\nThreads 2\n", engine), Lines{"Hash size 8 Mbytes"});
    engine.Send("new");
    engine.Send("st 1");
    engine.Send("white");
    engine.Send("go");
    bool found = false;
    const Lines out = engine.ReadUntilPrefix("move ", &found);
    EXPECT_TRUE(found);
    Quit(engine);
    ExpectFatal("BookLearn FALSE\nThreads many\nHash 8\n", {"ERROR: option Hash not defined in Morvane.ini"});
}

TEST(Config, OutOfRangeHashSizesAreNamedAndTreatedAlike) {
    struct Case {
        const char *value;
        const char *warning;
    };
    const Case cases[] = {
        {"-1", "WARNING: Hash -1 out of range (1 to 32768), 1 used"},
        {"0", "WARNING: Hash 0 out of range (1 to 32768), 1 used"},
        {"-2147483648", "WARNING: Hash -2147483648 out of range (1 to 32768), 1 used"},
        {"-99999999999999999999", "WARNING: Hash -99999999999999999999 out of range (1 to 32768), 1 used"},
    };
    for (const Case &c : cases) {
        EngineProcess engine(false);
        EXPECT_EQ(ConfigLines(std::string("BookLearn FALSE\nHash ") + c.value + "\n", engine),
                  (Lines{c.warning, "Hash size 1 Mbytes"}));
        Quit(engine);
    }
    // Too large: the largest table is tried (which this machine may refuse).
    for (const char *value : {"2147483647", "99999999999999999999"}) {
        EngineProcess engine(false);
        engine.WriteFile("Morvane.ini", std::string("BookLearn FALSE\nHash ") + value + "\n");
        ASSERT_TRUE(engine.Start());
        Lines lines = engine.ReadUntilPrefix("Hash size");
        ASSERT_GT(lines.size(), Banner.size());
        EXPECT_EQ(lines[Banner.size()],
                  std::string("WARNING: Hash ") + value + " out of range (1 to 32768), 32768 used");
    }
}

namespace {

// Start-up on an unusable Morvane.ini: the lines up to the hash line, which
// must show the default size; the engine reaches its loop.
Lines StartOnDefaults(EngineProcess &engine, const std::string &binary = MORVANE_BINARY) {
    EXPECT_TRUE(engine.Start(binary));
    bool found = false;
    Lines lines = engine.ReadStartup(&found);
    EXPECT_TRUE(found);
    // The warnings and the hash line: what follows depends on the books found.
    auto hash =
        std::find_if(lines.begin(), lines.end(), [](const std::string &l) { return l.rfind("Hash size", 0) == 0; });
    if (lines.size() < Banner.size() || hash == lines.end()) return lines;
    return Lines(lines.begin() + Banner.size(), hash + 1);
}

} // namespace

TEST(Config, UnreadableOrEndlessFileIsNamedAndLeftAlone) {
    {
        EngineProcess engine(false);
        std::filesystem::create_directory(engine.PathOf("Morvane.ini"));
        EXPECT_EQ(StartOnDefaults(engine),
                  (Lines{"ERROR: cannot read Morvane.ini (Is a directory), starting on the defaults",
                         "Hash size 16 Mbytes"}));
        Quit(engine);
        EXPECT_TRUE(std::filesystem::is_directory(engine.PathOf("Morvane.ini")));
    }
    {
        EngineProcess engine(false);
        std::filesystem::create_symlink("/dev/zero", engine.PathOf("Morvane.ini"));
        EXPECT_EQ(StartOnDefaults(engine),
                  (Lines{"ERROR: Morvane.ini is larger than 1 MB, not read; starting on the defaults",
                         "Hash size 16 Mbytes"}));
        Quit(engine);
        EXPECT_TRUE(std::filesystem::is_symlink(engine.PathOf("Morvane.ini")));
    }
    {
        // One byte over the limit is refused; the limit itself is read.
        const std::string settings = "BookLearn FALSE Hash 4 ";
        EngineProcess over(false);
        std::string text = settings + std::string((1 << 20) + 1 - settings.size(), ' ');
        over.WriteFile("Morvane.ini", text);
        EXPECT_EQ(StartOnDefaults(over).at(0),
                  "ERROR: Morvane.ini is larger than 1 MB, not read; starting on the defaults");
        Quit(over);
        EXPECT_EQ(over.ReadFile("Morvane.ini"), text) << "the user's file is kept";

        EngineProcess at(false);
        text.pop_back();
        EXPECT_EQ(ConfigLines(text, at), Lines{"Hash size 4 Mbytes"});
        Quit(at);
    }
}

TEST(Config, DefaultFileThatCannotBeWrittenLeavesNothingBehind) {
    {
        // A full disk: no file may be longer than 0 bytes.
        EngineProcess engine(false);
        engine.WriteFile("full-disk.sh",
                         std::string("#!/bin/sh\nulimit -f 0\ntrap '' XFSZ\nexec ") + MORVANE_BINARY + "\n");
        std::filesystem::permissions(engine.PathOf("full-disk.sh"), std::filesystem::perms::owner_all);
        Lines lines = StartOnDefaults(engine, engine.PathOf("full-disk.sh"));
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0], "WARNING: Morvane.ini missing, create new");
        EXPECT_EQ(lines[1].rfind("WARNING: cannot write Morvane.ini (", 0), 0u) << lines[1];
        EXPECT_EQ(lines[2], "Hash size 16 Mbytes");
        // The defaults are in force: book learning is on as after a first start.
        engine.Send("result 1-0");
        EXPECT_EQ(engine.Sync(), Lines{"WARINING: book learning does not implemented in this version"});
        Quit(engine);
        EXPECT_FALSE(engine.FileExists("Morvane.ini"));
        EXPECT_FALSE(engine.FileExists("Morvane.ini.new"));
    }
    {
        // The temporary file cannot be made.
        EngineProcess engine(false);
        std::filesystem::create_directory(engine.PathOf("Morvane.ini.new"));
        engine.WriteFile("Morvane.ini.new/keep", "x");
        EXPECT_EQ(StartOnDefaults(engine),
                  (Lines{"WARNING: Morvane.ini missing, create new",
                         "WARNING: cannot write Morvane.ini (File exists), starting on the defaults",
                         "Hash size 16 Mbytes"}));
        Quit(engine);
        EXPECT_FALSE(engine.FileExists("Morvane.ini"));
    }
    {
        // A leftover of an earlier failed start does not get in the way.
        EngineProcess engine(false);
        engine.WriteFile("Morvane.ini.new", "Hash");
        EXPECT_EQ(StartOnDefaults(engine), (Lines{"WARNING: Morvane.ini missing, create new", "Hash size 16 Mbytes"}));
        Quit(engine);
        EXPECT_EQ(engine.ReadFile("Morvane.ini"), EngineProcess::DefaultConfig);
        EXPECT_FALSE(engine.FileExists("Morvane.ini.new"));
    }
}

TEST(Config, FileWithoutReadPermissionIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    EngineProcess engine(false);
    engine.WriteFile("Morvane.ini", "BookLearn TRUE\nHash 4\n");
    std::filesystem::permissions(engine.PathOf("Morvane.ini"), std::filesystem::perms::owner_write);
    EXPECT_EQ(
        StartOnDefaults(engine),
        (Lines{"ERROR: cannot read Morvane.ini (access refused), starting on the defaults", "Hash size 16 Mbytes"}));
    Quit(engine);
    std::filesystem::permissions(engine.PathOf("Morvane.ini"), std::filesystem::perms::owner_all);
    EXPECT_EQ(engine.ReadFile("Morvane.ini"), "BookLearn TRUE\nHash 4\n");
}
