// The search's input check: which words stop a search, which are answered at
// once, and how the opponent's move is recognised while pondering. Standard
// input is replaced by a pipe for each test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

#include "search/TimeManager.h"
#include "shell/GameMoves.h"
#include "shell/InputPoll.h"
#include "shell/InputReader.h"
#include "shell/ShellState.h"
#include "shell/ShellTestSupport.h"

namespace {

class PonderInput : public testing::Test {
  protected:
    void SetUp() override {
        PendingCommand[0] = 0;
        AnalyzeMode = 0;
        Pondering = 0;
        PonderSearch = 0;
        PonderGuess = 0;
        PonderHit = 0;
        FixedTimeMode = 0;
        Interruptible = 1;
        strcpy(ExpectedMove, "nomove");
    }
    void TearDown() override {
        PendingCommand[0] = 0;
        AnalyzeMode = 0;
        Pondering = 0;
        PonderSearch = 0;
        PonderGuess = 0;
        PonderHit = 0;
        FixedTimeMode = 0;
    }
    void Send(const std::string &text) { input_.Write(text); }
    // Runs CheckInput, returns its answer and what it wrote.
    uint32_t Check(std::string &out) {
        testing::internal::CaptureStdout();
        uint32_t r = CheckInput();
        out = testing::internal::GetCapturedStdout();
        return r;
    }
    std::string NextWord() {
        char word[256];
        long n = ReadWord(word, sizeof(word));
        return n < 0 ? "<end>" : word;
    }

    StdinPipe input_;
};

} // namespace

TEST_F(PonderInput, StopAndExitEndTheSearchAndAnalysis) {
    std::string out;
    AnalyzeMode = 1;
    Send("stop\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_EQ(AnalyzeMode, 0u);
    EXPECT_STREQ(PendingCommand, "") << "the word is consumed";
    AnalyzeMode = 1;
    Send("exit\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_EQ(AnalyzeMode, 0u);
    EXPECT_EQ(out, "");
}

TEST_F(PonderInput, DrawOfferIsDeclinedAndTheSearchGoesOn) {
    std::string out;
    PonderSearch = 1; // no time limit, so "go on" is a plain 0
    Send("draw\n");
    EXPECT_EQ(Check(out), 0u);
    EXPECT_EQ(out, "Offer is declined\n");
    EXPECT_STREQ(PendingCommand, "");
    // Nothing waiting: no read, no stop while no limit applies.
    EXPECT_EQ(Check(out), 0u);
    EXPECT_EQ(out, "");
}

TEST_F(PonderInput, OtherWordsAreParkedAndASecondOneReplacesTheFirst) {
    std::string out;
    Send("?\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_STREQ(PendingCommand, "?");
    EXPECT_EQ(out, "");
    Send("e2e4\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_EQ(out, "ERROR: Ponder buffer full !!!\n");
    EXPECT_STREQ(PendingCommand, "e2e4");
}

TEST_F(PonderInput, OverlongWordIsRefusedWhole) {
    std::string out;
    PonderSearch = 1;
    // A word whose first characters spell a move must not become that move.
    std::string word = "e2e4" + std::string(300, 'x');
    Send(word + "\n");
    EXPECT_EQ(Check(out), 0u) << "refused, the search goes on";
    EXPECT_STREQ(PendingCommand, "");
    EXPECT_EQ(out.rfind("Error (unknown command): e2e4xxx", 0), 0u) << out;
    Send("post\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_STREQ(PendingCommand, "post") << "the reader is back in step after the long word";
}

TEST_F(PonderInput, FixedTimeAndPonderGuessLeaveTheInputAlone) {
    std::string out;
    Send("go\n");
    FixedTimeMode = 1;
    TimeLimit1 = TimeLimit2 = TimeLimit3 = INT32_MAX;
    EXPECT_EQ(Check(out), 0u);
    FixedTimeMode = 0;
    PonderGuess = 1;
    EXPECT_EQ(Check(out), 1u) << "the guess search gives way to waiting input";
    EXPECT_STREQ(PendingCommand, "");
    PonderGuess = 0;
    EXPECT_EQ(NextWord(), "go") << "the word is still there for the loop";
}

TEST_F(PonderInput, PonderHitAfterClockUpdates) {
    std::string out;
    Pondering = 1;
    PonderSearch = 1;
    strcpy(ExpectedMove, "e7e5");
    int32_t savedClock = EngineClock;
    Send("time 4321\notim 1234\ne7e5\n");
    Check(out);
    EXPECT_EQ(EngineClock, 4321);
    EXPECT_EQ(PonderHit, 1u);
    EXPECT_EQ(PonderSearch, 0u) << "the clock runs from now on";
    EXPECT_STREQ(PendingCommand, "") << "the expected move is taken, not parked";
    EXPECT_NE(out.find("Continue pondering\nTime: "), std::string::npos) << out;
    EXPECT_EQ(out.find("Abort"), std::string::npos);

    // After the hit the search is an ordinary one: a "?" is parked and stops
    // it, and the hit stays a hit.
    Send("?\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_EQ(out, "");
    EXPECT_STREQ(PendingCommand, "?");
    EXPECT_EQ(PonderHit, 1u);
    EngineClock = savedClock;
}

TEST_F(PonderInput, PonderMissOnAnotherMoveOrCommand) {
    std::string out;
    Pondering = 1;
    PonderSearch = 1;
    strcpy(ExpectedMove, "e7e5");
    Send("otim 500\nd7d5\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_EQ(out, "Abort pondering\n");
    EXPECT_STREQ(PendingCommand, "d7d5") << "the real move waits for the loop";
    EXPECT_EQ(PonderHit, 0u);
    EXPECT_EQ(PonderSearch, 0u);

    PendingCommand[0] = 0;
    PonderSearch = 1;
    Send("force\n");
    EXPECT_EQ(Check(out), 1u);
    EXPECT_EQ(out, "Abort pondering\n");
    EXPECT_STREQ(PendingCommand, "force");
}

TEST_F(PonderInput, BadClockValueWhilePonderingIsReportedAndSkipped) {
    std::string out;
    Pondering = 1;
    PonderSearch = 1;
    strcpy(ExpectedMove, "g8f6");
    int32_t savedClock = EngineClock;
    EngineClock = 777;
    Send("time abc\ng8f6\n");
    Check(out);
    EXPECT_EQ(EngineClock, 777);
    EXPECT_EQ(PonderHit, 1u);
    EXPECT_EQ(out.rfind("Error (bad argument): time\nContinue pondering\n", 0), 0u) << out;
    EngineClock = savedClock;
}

TEST_F(PonderInput, DrawOfferAmongTheClockUpdatesIsNoPonderMove) {
    std::string out;
    Pondering = 1;
    PonderSearch = 1;
    strcpy(ExpectedMove, "e7e5");
    Send("time 4000\notim 4000\ndraw\ne7e5\n");
    Check(out);
    EXPECT_EQ(PonderHit, 1u) << out;
    EXPECT_NE(out.find("Offer is declined\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Abort"), std::string::npos) << out;
}
