// Pondering around a real search: the opponent's move arrives through
// standard input (a pipe here) while the engine thinks on its time.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <unistd.h>

#include "search/SearchState.h"
#include "shell/InputPoll.h"
#include "shell/InputReader.h"
#include "shell/MoveText.h"

#include "shell/ShellTestSupport.h"

namespace {

class PonderSearch_ : public testing::Test {
  protected:
    void SetUp() override {
        alarm(120); // a search that never looks at its input must not hang the suite
        EngineClock = 6000;
        MovesPerControl = 0;
        MovesToGo = 0;
        Increment = 0;
        PostThinking = 0;
        // The engine (White) has just played e2e4 and expects e7e5.
        SetUpGame(StartPosition);
        PlayMoves({"e2e4"});
        EngineSide = White;
        memset(PVTable[0], 0, sizeof(PVTable[0]));
        PVTable[0][0] = GameMoves[0];
        PVTable[0][1] = MakeMoveWord(E7, E5, EmptySquare, DoubleStepFlag);
    }
    void TearDown() override {
        alarm(0);
        PendingCommand[0] = 0;
        PostThinking = 1;
        EngineClock = 300000;
    }
    void Send(const std::string &text) { input_.Write(text); }
    uint32_t RunPonder(std::string &out) {
        testing::internal::CaptureStdout();
        uint32_t r = Ponder();
        out = testing::internal::GetCapturedStdout();
        return r;
    }

    StdinPipe input_;
};

} // namespace

TEST_F(PonderSearch_, MissTakesTheExpectedReplyBack) {
    Send("otim 5000\nd7d5\n");
    std::string out;
    EXPECT_EQ(RunPonder(out), 0u);
    EXPECT_EQ(out.rfind("Pondering ... \n", 0), 0u) << out;
    EXPECT_NE(out.find("Abort pondering\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("move "), std::string::npos) << out;
    EXPECT_STREQ(PendingCommand, "d7d5") << "the real move is next for the loop";
    EXPECT_EQ(GamePly, 1u);
    EXPECT_EQ(SideToMove, uint32_t(Black));
    EXPECT_EQ(EngineSide, uint32_t(White));
    EXPECT_EQ(Pondering, 0u);
    EXPECT_EQ(PonderSearch, 0u);
}

TEST_F(PonderSearch_, HitPlaysTheAnswerAndNamesTheNextExpectedReply) {
    Send("time 700\notim 5000\ne7e5\n");
    std::string out;
    EXPECT_EQ(RunPonder(out), 1u) << out;
    EXPECT_NE(out.find("Continue pondering\nTime: "), std::string::npos) << out;
    EXPECT_EQ(out.find("Abort"), std::string::npos) << out;
    EXPECT_EQ(EngineClock, 700);
    EXPECT_EQ(GamePly, 3u) << "e2e4, the expected e7e5 and the engine's answer";
    EXPECT_EQ(SideToMove, uint32_t(Black));
    char answer[MoveTextSize];
    MoveToText(answer, GameMoves[2]);
    size_t at = out.find(std::string("move ") + answer + "\n");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_NE(at, 0u);
    EXPECT_EQ(out[at - 1], '\n') << "no empty line before the move on this path";
    EXPECT_NE(out[at - 2], '\n');
    size_t summary = out.find("tellics whisper ", at);
    ASSERT_NE(summary, std::string::npos) << out;
    std::string line = out.substr(summary, out.find('\n', summary) - summary);
    std::string pv = line.substr(line.find(" Knps pv = ") + 11);
    EXPECT_TRUE(pv == "####" || pv.size() == 4 || pv.size() == 5) << "one move only: " << line;
    EXPECT_EQ(out.find("Time elapsed"), std::string::npos);
    EXPECT_STREQ(PendingCommand, "");
}

TEST_F(PonderSearch_, MoveNowAfterTheHitStillPlaysAndKeepsTheWord) {
    // A long clock: only the "?" that follows the expected move ends it.
    Send("time 100000\ne7e5\n?\n");
    std::string out;
    EXPECT_EQ(RunPonder(out), 1u) << out;
    EXPECT_NE(out.find("Continue pondering"), std::string::npos) << out;
    EXPECT_EQ(out.find("Abort"), std::string::npos) << "a word after the hit is no miss: " << out;
    EXPECT_EQ(GamePly, 3u);
    EXPECT_EQ(GameMoves[1] & 0xffff, uint32_t(E7 | (E5 << 8))) << "the opponent's real move stays";
    EXPECT_STREQ(PendingCommand, "?") << "left for the loop";
    // The loop takes the word before any further pondering.
    testing::internal::CaptureStdout();
    EXPECT_EQ(Ponder(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(PonderSearch_, GameChangingCommandAfterTheHitPlaysNoMove) {
    Send("time 100000\ne7e5\nforce\n");
    std::string out;
    EXPECT_EQ(RunPonder(out), 0u) << out;
    EXPECT_NE(out.find("Continue pondering"), std::string::npos) << out;
    EXPECT_EQ(out.find("move "), std::string::npos) << out;
    EXPECT_EQ(GamePly, 2u) << "the opponent's move is on the board, no answer";
    EXPECT_EQ(SideToMove, uint32_t(White));
    EXPECT_STREQ(PendingCommand, "force");
}

TEST_F(PonderSearch_, HitInALostGameAppliesTheResignRule) {
    // White (the engine) is a queen and two rooks down and has just played
    // h2h3, expecting a8b7.
    SetUpGame("kr6/r7/q7/8/8/8/6PP/7K w - -");
    PlayMoves({"h2h3"});
    EngineSide = White;
    memset(PVTable[0], 0, sizeof(PVTable[0]));
    PVTable[0][0] = GameMoves[0];
    PVTable[0][1] = MakeMoveWord(A8, B7, EmptySquare, 0);
    ResignEnabled = 1;
    RecentScores[0] = 0;
    RecentScores[1] = -850; // the scores of the engine's two moves before
    RecentScores[2] = -900;
    Send("time 700\na8b7\n");
    std::string out;
    EXPECT_EQ(RunPonder(out), 1u) << out;
    EXPECT_NE(out.find("Continue pondering"), std::string::npos) << out;
    EXPECT_LT(RecentScores[2], -900) << "the found move's score is kept";
    EXPECT_EQ(RecentScores[1], -900);
    EXPECT_NE(out.find("\nresign\n"), std::string::npos) << out;
}
