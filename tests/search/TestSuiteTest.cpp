// The "test" and "bench" runs (stopping on the end of the input and keeping
// their limits in analysis are checked through the binary).
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "search/SearchTestSupport.h"
#include "shell/GameSetup.h"
#include "shell/TestSuite.h"

namespace {

std::string Read(const char *name) {
    std::stringstream s;
    s << std::ifstream(name).rdbuf();
    return s.str();
}

} // namespace

TEST(TestSuite, SolvesLogsAndStopsAtAnEmptyLine) {
    SetUpSearch(StartPosition);
    const std::filesystem::path old = std::filesystem::current_path();
    char dir[] = "/tmp/morvane-suite-XXXXXX"; // the run writes its logs in the current directory
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::filesystem::current_path(dir);
    const std::string mate = "6k1/5ppp/8/8/8/8/8/R5K1 w - - ";
    std::ofstream("suite.epd", std::ios::binary) // CRLF ends, a long line, an empty line ending the suite
        << mate << "bm Ra8# Ra7; id \"mate\"; c0 \"" << std::string(1500, 'x') << "\";\r\n"
        << mate << "bm Kf2; id \"wrong\";\r\n\r\n"
        << mate << "bm Ra8#; id \"after the end\";\r\n";
    EngineClock = 20;
    PostThinking = 1;
    const std::string out = Output([] { EXPECT_EQ(RunTestSuite("suite.epd"), 1); });
    EXPECT_NE(out.find("\nBest moves:   a1a8 a1a7\nMorvane move: a1a8\nCurrent result 1 of 1 (1)       \n"),
              std::string::npos)
        << out;
    EXPECT_TRUE(out.ends_with("Current result 1 of 2 (0.5)       \n\n")) << out;
    EXPECT_EQ(Read("TestSuite.log"), "Position 1 - solved in 0 sec\nPosition 2 - > 0 sec\n");
    EXPECT_EQ(Read("err.epd"), mate + "bm Kf2; id \"wrong\";\n");
    EXPECT_EQ(Output([] { EXPECT_EQ(RunTestSuite("no-such-file.epd"), 0); }),
              "Testing from no-such-file.epd\nCurrent result 0 of 0\r\n");
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
}

TEST(TestSuite, BenchAndTheChecksListing) {
    SetUpSearch(StartPosition);
    AnalyzeMode = 1;
    const std::string bench = Output([] { RunBench(5, [] { return true; }); }); // stops between positions when asked
    EXPECT_EQ(bench.rfind("Positional - time: ", 0), 0u) << bench;
    EXPECT_EQ(bench.find("Tactical"), std::string::npos) << bench;
    EXPECT_EQ(std::pair(AnalyzeMode, PostThinking), std::pair(1u, 1u)) << "the loop's settings come back";
    AnalyzeMode = 0;
    SetUpSearch("k7/8/8/8/2n5/8/6K1/8 w - -");
    EXPECT_EQ(Output(ListChecksAndCaptures), "\nwhite checks-caps:\nblack checks-caps:c4e3 \n");
    EXPECT_EQ(CaptureMargin, 1000);
}

TEST(TestSuiteAnswer, ARightMoveMustStayBestTheConfiguredIterations) {
    ASSERT_TRUE(SetupGame("6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8#;"));
    const Move right = MakeMoveWord(A1, A8), wrong = MakeMoveWord(A1, A7);
    ExtraPlySearch = 3;
    EXPECT_FALSE(RightMoveSettled(right, 2));
    EXPECT_TRUE(RightMoveSettled(right, 3));
    EXPECT_FALSE(RightMoveSettled(wrong, 10));
    ASSERT_TRUE(SetupGame("6k1/5ppp/8/8/8/8/8/R5K1 w - -"));
    EXPECT_FALSE(RightMoveSettled(right, 10)) << "a position without best moves is never solved";
}
