// The engine's own move around the search: what is made and announced, and
// when nothing may be.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <unistd.h>

#include "search/SearchState.h"
#include "shell/InputPoll.h"
#include "shell/InputReader.h"
#include "shell/MoveText.h"

#include "shell/ShellTestSupport.h"

namespace {

// Runs ThinkAndMove with an open, silent standard input, as an interface
// that has nothing to say while the engine thinks.
std::string Think() {
    StdinPipe input;
    testing::internal::CaptureStdout();
    ThinkAndMove();
    return testing::internal::GetCapturedStdout();
}

// A short clock, so a real search ends quickly.
void ShortClock() {
    EngineClock = 600;
    MovesPerControl = 0;
    MovesToGo = 0;
    Increment = 0;
}

} // namespace

TEST(GameMovesThink, NothingIsMadeOrAnnouncedWithoutALegalMove) {
    SetUpGame("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
    EngineSide = Black;
    EXPECT_EQ(Think(), "") << "mated: no search, no move";
    EXPECT_EQ(GamePly, 0u);
    EXPECT_EQ(EngineSide, 2u) << "the loop must not ask again";
    SetUpGame("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EngineSide = Black;
    EXPECT_EQ(Think(), "") << "stalemated";
    EXPECT_EQ(EngineSide, 2u);
}

TEST(GameMovesThink, FrozenGameIsNotPlayed) {
    SetUpGame(StartPosition);
    EngineSide = White;
    GameResult = 2;
    EXPECT_EQ(Think(), "");
    EXPECT_EQ(GamePly, 0u);
    GameResult = 3;
}

TEST(GameMovesThink, GameChangingCommandDuringTheSearchPlaysNoMove) {
    ShortClock();
    for (const char *word : {"force", "new", "undo", "remove", "edit", "setup", "result", "white", "black", "quit"}) {
        SetUpGame(StartPosition);
        EngineSide = White;
        strcpy(PendingCommand, word); // as CheckInput parks it
        std::string out = Think();
        EXPECT_EQ(out.find("move "), std::string::npos) << word << ": " << out;
        EXPECT_EQ(GamePly, 0u) << word;
        EXPECT_EQ(SideToMove, uint32_t(White)) << word;
        EXPECT_STREQ(PendingCommand, word) << "left for the loop";
        PendingCommand[0] = 0;
    }
}

TEST(GameMovesThink, OtherInterruptionsStillPlayALegalMove) {
    ShortClock();
    SetUpGame(StartPosition);
    EngineSide = White;
    strcpy(PendingCommand, "?");
    std::string out = Think();
    PendingCommand[0] = 0;
    EXPECT_NE(out.find("Eval = "), std::string::npos) << out;
    size_t at = out.find("\nmove ");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.find("####"), std::string::npos) << "never the null move: " << out;
    EXPECT_NE(out.find("tellics whisper "), std::string::npos) << out;
    EXPECT_NE(out.find("\nTime elapsed: "), std::string::npos) << out;
    EXPECT_EQ(GamePly, 1u);
    EXPECT_EQ(SideToMove, uint32_t(Black));
    char text[MoveTextSize];
    MoveToText(text, GameMoves[0]);
    EXPECT_EQ(out.substr(at + 6, strlen(text)), text);
}

TEST(GameMovesThink, PonderingNeverStartsOverAParkedCommand) {
    SetUpGame(StartPosition);
    PlayMoves({"e2e4"});
    EngineSide = White; // the engine has just played e2e4
    strcpy(PendingCommand, "post");
    testing::internal::CaptureStdout();
    EXPECT_EQ(Ponder(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_STREQ(PendingCommand, "post") << "the parked word is kept";
    EXPECT_EQ(GamePly, 1u);
    PendingCommand[0] = 0;
}

TEST(GameMovesThink, NoPonderMoveWithAMovesPerControlClock) {
    SetUpGame(StartPosition);
    PlayMoves({"e2e4"});
    EngineSide = White;
    memset(PVTable[0], 0, sizeof(PVTable[0]));
    MovesPerControl = 40;
    MovesToGo = 40;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Ponder(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Pondering ... \nNo move to ponder\nBad move to ponder nomove\n");
    EXPECT_STREQ(ExpectedMove, "nomove");
    EXPECT_EQ(Pondering, 0u);
    EXPECT_EQ(GamePly, 1u) << "nothing made";
    MovesPerControl = 0;
    MovesToGo = 0;
}

TEST(GameMovesThink, NoPonderingAfterTheGameEnded) {
    SetUpGame(StartPosition);
    PlayMoves({"f2f3", "e7e5", "g2g4", "d8h4"});
    ASSERT_EQ(EngineSide, 2u);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Ponder(), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
