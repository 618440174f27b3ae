// The command loop run in-process on words fed through fd 0: what edit mode
// and the side commands leave in the position state.
#include <gtest/gtest.h>

#include <string>

#include "board/Board.h"
#include "board/Setup.h"
#include "shell/InputReader.h"
#include "shell/ShellState.h"
#include "shell/ShellTestSupport.h"
#include "shell/Xboard.h"

namespace {

// Runs the loop over the given input up to its end; returns its output.
std::string RunLoop(const std::string &input) {
    StdinPipe in;
    in.Write(input);
    in.Close();
    testing::internal::CaptureStdout();
    EXPECT_EQ(CommandLoop(), 0);
    return testing::internal::GetCapturedStdout();
}

struct Keys {
    uint64_t hash, pawn;
};

Keys KeysOf(const char *fen) {
    EnsureGameBoardReady();
    EXPECT_TRUE(SetupPosition(fen));
    return {HashKey, PawnHashKey};
}

} // namespace

TEST(XboardLoop, EditEndsLikeASetup) {
    const Keys expected = KeysOf("4k3/4r3/8/8/8/8/3P4/4K3 w - -");

    // A game in progress with an en-passant square and a move on the record.
    SetUpGame("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6");
    PlayMoves({"g1f3", "g8f6"});
    ASSERT_EQ(GamePly, 2u);
    ASSERT_EQ(SideToMove, uint32_t(White));
    GameResult = 1; // a result was given: editing does not lift it

    RunLoop("edit\n#\nKe1\nPd2\nc\nKe8\nRe7\n.\n");
    EXPECT_EQ(HashKey, expected.hash) << "keys of the edited position";
    EXPECT_EQ(PawnHashKey, expected.pawn);
    EXPECT_EQ(PositionHistory[0].keyLow, KeyLow(HashKey));
    EXPECT_EQ(PositionHistory[0].keyHigh, KeyHigh(HashKey));
    EXPECT_EQ(PositionHistory[0].irreversible, 1);
    EXPECT_EQ(RootInCheck, 1u) << "the rook on e7 checks the white king";
    EXPECT_EQ(EpSquare, 0u);
    EXPECT_EQ(GamePly, 0u);
    EXPECT_EQ(BoardHistoryCount, 0u);
    EXPECT_EQ(EngineSide, 2u);
    EXPECT_EQ(GameResult, 1u);
    EXPECT_EQ(SideToMove, uint32_t(White)) << "edit mode keeps the side to move";
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 1u);
    EXPECT_EQ(CastleSpoilers[BlackQueenSide], 1u);
    GameResult = 3;
}

TEST(XboardLoop, SideChangeClearsTheEnPassantSquareAndTheRecord) {
    SetUpGame("4k3/8/8/8/3pP3/8/8/4K3 b - e3");
    RunLoop("black\n");
    EXPECT_EQ(EpSquare, 75u) << "no change of side, nothing else changes";
    EXPECT_EQ(EngineSide, uint32_t(White));

    PlayMoves({"e8d8", "e1d1"});
    ASSERT_EQ(GamePly, 2u);
    RunLoop("white\n");
    EXPECT_EQ(SideToMove, uint32_t(White));
    EXPECT_EQ(EngineSide, uint32_t(Black));
    EXPECT_EQ(EpSquare, 0u);
    EXPECT_EQ(RootInCheck, 0u);
    EXPECT_EQ(GamePly, 0u) << "the moves before the change cannot be taken back";
    EXPECT_EQ(PositionHistory[0].keyLow, KeyLow(HashKey));
}
