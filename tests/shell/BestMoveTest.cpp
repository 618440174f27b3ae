// Best moves of an EPD line are turned into move words at setup.
#include <gtest/gtest.h>

#include <string>

#include "board/Board.h"
#include "shell/GameSetup.h"
#include "shell/MoveText.h"
#include "shell/ShellState.h"

namespace {

std::string Text(Move m) {
    char buffer[MoveTextSize];
    MoveToText(buffer, m);
    return buffer;
}

} // namespace

TEST(BestMoves, TokensBecomeMovesOfThePosition) {
    InitBoard();
    FillZobristKeys();
    MovesPerControl = 40;
    MovesToGo = 3;
    ASSERT_TRUE(SetupGame("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Nf3+ e4; id \"x\";"));
    ASSERT_EQ(BestMoveCount, 2u);
    EXPECT_EQ(Text(BestMoves[0]), "g1f3");
    EXPECT_EQ(Text(BestMoves[1]), "e2e4");
    EXPECT_EQ(MovesToGo, 40u) << "a test position starts a time control";

    MovesToGo = 3;
    ASSERT_TRUE(SetupGame("r3k2r/8/8/8/8/8/8/4K3 b kq - bm O-O-O;"));
    ASSERT_EQ(BestMoveCount, 1u);
    EXPECT_EQ(Text(BestMoves[0]), "e8c8");

    // Without a bm operation nothing is read and the clock stays.
    MovesToGo = 3;
    ASSERT_TRUE(SetupGame(StartPosition));
    EXPECT_EQ(BestMoveCount, 0u);
    EXPECT_EQ(MovesToGo, 3u);
    MovesPerControl = 0;
    MovesToGo = 0;
}
