#include "search/SearchTestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "board/MoveGenerator.h"
#include "shell/TestSuite.h"

namespace {

// Runs in a fresh temporary directory, as the command writes its logs there.
class TestSuiteRun : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureSearchReady();
        old_ = std::filesystem::current_path();
        char pattern[] = "/tmp/morvane-suite-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
        FixedTimeMode = 0;
        PostThinking = 1;
    }
    static std::string Read(const char *name) {
        std::ifstream in(name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path old_, dir_;
};

TEST_F(TestSuiteRun, SolvesLogsAndStopsAtAnEmptyLine) {
    {
        // CRLF line ends, a long line, an empty line that ends the suite.
        std::ofstream out("suite.epd", std::ios::binary);
        out << "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8#; id \"mate\"; c0 \"" << std::string(1500, 'x') << "\";\r\n";
        out << "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Kf2; id \"wrong\";\r\n";
        out << "\r\n";
        out << "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8#; id \"after the end\";\r\n";
    }
    EngineClock = 20;
    PostThinking = 0;
    testing::internal::CaptureStdout();
    const int32_t solved = RunTestSuite("suite.epd");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(FixedTimeMode, 0u);
    EXPECT_EQ(out.rfind("Testing from suite.epd\nCurrent result 0 of 0\r", 0), 0u) << out;
    EXPECT_NE(out.find(" of 2 ("), std::string::npos) << out;
    EXPECT_EQ(out.find("of 3"), std::string::npos) << "the empty line ends the suite";

    EXPECT_EQ(solved, 1);
    EXPECT_NE(out.find("Current result 1 of 2 (0.5)"), std::string::npos) << out;
    const std::string log = Read("TestSuite.log");
    EXPECT_NE(log.find("Position 1 - solved in 0 sec\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Position 2 - > 0 sec\n"), std::string::npos) << log;
    EXPECT_EQ(Read("err.epd"), "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Kf2; id \"wrong\";\n");
}

namespace {

int Asked = 0;
bool EndAfterFirstQuestion() { return ++Asked >= 1; }

} // namespace

TEST_F(TestSuiteRun, RunsWithItsOwnLimitsAndStopsWhenAsked) {
    {
        std::ofstream out("suite.epd");
        for (int i = 0; i < 3; ++i)
            out << "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8# Ra7;\n";
    }
    EngineClock = 5;
    PostThinking = 1;
    // Analysis would lift every limit of the searches.
    AnalyzeMode = 1;
    Asked = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunTestSuite("suite.epd", EndAfterFirstQuestion), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(AnalyzeMode, 1u) << "the loop's mode comes back";
    AnalyzeMode = 0;
    EXPECT_EQ(Asked, 1);
    EXPECT_NE(out.find("\nBest moves:   a1a8 a1a7\nMorvane move: a1a8\nCurrent result 1 of 1 (1)       \n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("of 2"), std::string::npos) << out;

    // Without anyone to ask, every position runs.
    PostThinking = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunTestSuite("suite.epd"), 3);
    testing::internal::GetCapturedStdout();
}

TEST_F(TestSuiteRun, BenchStopsBetweenPositionsWhenAsked) {
    AnalyzeMode = 1;
    Asked = 0;
    testing::internal::CaptureStdout();
    RunBench(5, EndAfterFirstQuestion);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(AnalyzeMode, 1u);
    AnalyzeMode = 0;
    EXPECT_EQ(out.rfind("Positional - time: ", 0), 0u) << out;
    EXPECT_EQ(out.find("Tactical"), std::string::npos) << out;
    EXPECT_EQ(PostThinking, 1u);
}

TEST_F(TestSuiteRun, MissingFileGivesNoPositions) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunTestSuite("no-such-file.epd"), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Testing from no-such-file.epd\nCurrent result 0 of 0\r\n");
}

TEST(TestSuite, BestMoveComparesSquaresOnly) {
    BestMoveCount = 1;
    BestMoves[0] = MakePromotionWord(E7, E8, EmptySquare, WhiteQueen);
    EXPECT_TRUE(IsBestMove(MakePromotionWord(E7, E8, EmptySquare, WhiteKnight)));
    EXPECT_FALSE(IsBestMove(MakeMoveWord(E7, D8, BlackRook)));
    BestMoveCount = 0;
    EXPECT_FALSE(IsBestMove(MakePromotionWord(E7, E8, EmptySquare, WhiteQueen)));
}

TEST(TestSuite, ChecksListingShowsBothSides) {
    SetUpSearch("k7/8/8/8/2n5/8/6K1/8 w - -");
    testing::internal::CaptureStdout();
    ListChecksAndCaptures();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nwhite checks-caps:\nblack checks-caps:c4e3 \n");
    EXPECT_EQ(CaptureMargin, 1000);
}

} // namespace
