// The engine in xboard itself, run without a display: a match between the
// engine speaking xboard protocol 2 and the engine speaking UCI through
// polyglot, from a start position with an en-passant capture on the board
// and castling rights given up, once with each colour, at 5 s + 0.2 s with
// pondering on. The match and its checks are scripts/xboard-match.sh (also
// for matches by hand against other engines); the test skips when xboard,
// xvfb-run or polyglot is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "e2e/EngineProcess.h"

namespace {

// Words on an engine's output that make xboard give up on it as a program
// that failed to start.
const char *const FatalToXboard[] = {"not found",   "No such file", "Permission denied",
                                     "can't alloc", "unknown host", "No remote directory"};

void ExpectNothingFatalToXboard(const std::vector<std::string> &lines) {
    for (const std::string &line : lines)
        for (const char *words : FatalToXboard)
            EXPECT_EQ(line.find(words), std::string::npos) << line;
}

// A first start in an empty directory (no configuration file, no books)
// and a start whose configuration file cannot be written say so in words
// xboard lets pass.
TEST(XboardStart, StartupMessagesDoNotStopXboard) {
    {
        EngineProcess engine(false);
        ASSERT_TRUE(engine.Start());
        bool found = false;
        auto lines = engine.ReadStartup(&found);
        ASSERT_TRUE(found);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "WARNING: Morvane.ini missing, create new"), lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "WARNING: Morvane.book missing, no opening book"), lines.end());
        ExpectNothingFatalToXboard(lines);
        engine.Send("quit");
        EXPECT_EQ(engine.WaitExit(), 0);
    }
    {
        EngineProcess engine(false);
        std::filesystem::create_directory(engine.PathOf("Morvane.ini.new"));
        engine.WriteFile("Morvane.ini.new/keep", "x");
        ASSERT_TRUE(engine.Start());
        bool found = false;
        auto lines = engine.ReadStartup(&found);
        ASSERT_TRUE(found);
        ExpectNothingFatalToXboard(lines);
        engine.Send("quit");
        EXPECT_EQ(engine.WaitExit(), 0);
    }
}

// Runs a command through the shell; its exit status and everything it printed.
int RunCommand(const std::string &command, std::string *output) {
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output->append(buffer, n);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string &text) {
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

TEST(XboardMatch, XboardAndUciEnginesPlayWithoutTimeLossOrIllegalMove) {
    const std::string script = std::string(MORVANE_TEST_DATA) + "/../../scripts/xboard-match.sh";
    EngineProcess place(false); // only its temporary directory is used
    const std::string engine = EngineProcess::BooklessBinary();
    std::string output;
    const int status = RunCommand("bash " + Quoted(script) + " -g 2 -t 0:05 -i 0.2 -T 300 -o " + Quoted(place.Dir()) +
                                      " " + Quoted(engine) + " " + Quoted("uci:" + engine),
                                  &output);
    if (status == 77) GTEST_SKIP() << output;
    EXPECT_EQ(status, 0) << output << "\n" << place.ReadFile("games.pgn");
    // Both engines started on a first run and wrote their configuration.
    EXPECT_TRUE(place.FileExists("first/Morvane.ini"));
    EXPECT_TRUE(place.FileExists("second/Morvane.ini"));
}

} // namespace
