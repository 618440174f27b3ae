// Game moves and undo: the game record, and everything undo must bring back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "search/SearchState.h"
#include "shell/GameEnd.h"

#include "shell/ShellTestSupport.h"

namespace {

// Everything a game move changes, piece lists compared as sets.
struct GameState {
    std::vector<uint32_t> words;

    static GameState Take() {
        GameState g;
        auto add = [&g](uint64_t v) { g.words.push_back(uint32_t(v)), g.words.push_back(uint32_t(v >> 32)); };
        for (int s = 0; s < 120; ++s)
            add(Board[s].piece);
        for (int c = 0; c < 14; ++c) {
            uint32_t n = (c == WhiteKing || c == BlackKing) ? 0 : std::min<uint32_t>(PieceLists[c][0], 10);
            std::vector<uint32_t> squares(PieceLists[c] + 1, PieceLists[c] + 1 + n);
            std::sort(squares.begin(), squares.end());
            add(PieceLists[c][0]);
            for (uint32_t s : squares)
                add(s);
        }
        for (uint64_t v : {HashKey, PawnHashKey, uint64_t(uint32_t(Material)), uint64_t(WhitePieceWeight),
                           uint64_t(BlackPieceWeight), uint64_t(PieceCount), uint64_t(SideToMove), uint64_t(EpSquare),
                           uint64_t(RootInCheck), uint64_t(GamePly), uint64_t(Castled[0]), uint64_t(Castled[1]),
                           uint64_t(MoveStack[0]), uint64_t(MoveStack[1]), uint64_t(BoardHistoryCount)})
            add(v);
        for (uint32_t c : CastleSpoilers)
            add(c);
        for (uint32_t i = 0; i < BoardHistoryCount; ++i)
            for (int s = 0; s < 120; ++s)
                add(BoardHistory[i][s]);
        for (uint32_t i = 0; i <= GamePly; ++i)
            add(PositionHistory[i].keyLow), add(PositionHistory[i].keyHigh);
        return g;
    }
    bool operator==(const GameState &o) const { return words == o.words; }
};

std::string Undo() {
    testing::internal::CaptureStdout();
    UndoMove();
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(GameMovesUndo, EnPassantSquareFollowsDoubleSteps) {
    SetUpGame(StartPosition);
    PlayMoves({"e2e4"});
    EXPECT_EQ(EpSquare, 75u);
    EXPECT_EQ(GamePly, 1u);
    EXPECT_EQ(GameMoves[0] & 0xffff, uint32_t(E2 | (E4 << 8)));
    EXPECT_EQ(PositionHistory[1].keyLow, KeyLow(HashKey));
    EXPECT_EQ(PositionHistory[1].keyHigh, KeyHigh(HashKey));
    EXPECT_EQ(MoveStack[1], GameMoves[0]);
    PlayMoves({"c7c5"});
    EXPECT_EQ(EpSquare, uint32_t(C6));
    EXPECT_EQ(MoveStack[0], GameMoves[0]) << "the older slot takes the newer";
    EXPECT_EQ(MoveStack[1], GameMoves[1]);
    PlayMoves({"g1f3"});
    EXPECT_EQ(EpSquare, 0u);
    PlayMoves({"c5c4"});
    EXPECT_EQ(EpSquare, 0u) << "a single step leaves no target";
}

TEST(GameMovesUndo, EveryMoveIsTakenBackExactly) {
    SetUpGame("r3k2r/1P4p1/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1");
    const char *moves[] = {"e5d6", "g7g5", "e1c1", "e8g8", "b7a8q", "f8a8", "h1h8", "g8h8"};
    std::vector<GameState> before;
    for (const char *m : moves) {
        before.push_back(GameState::Take());
        PlayMoves({m});
    }
    EXPECT_EQ(Castled[0], 1);
    EXPECT_EQ(Castled[1], 1);
    EXPECT_EQ(GamePly, 8u);
    for (int i = 7; i >= 0; --i) {
        EngineSide = 0;
        EXPECT_EQ(Undo(), "");
        EXPECT_EQ(EngineSide, 2u) << "undo leaves the engine in force mode";
        EXPECT_TRUE(GameState::Take() == before[i]) << "after undoing " << moves[i];
    }
    EXPECT_EQ(CastleSpoilers[0] | CastleSpoilers[1] | CastleSpoilers[2] | CastleSpoilers[3], 0u);
    EXPECT_EQ(EpSquare, uint32_t(D6));
    EXPECT_EQ(Undo(), "Error undo: no moves\n");
    EXPECT_EQ(SideToMove, uint32_t(White));
    EXPECT_TRUE(GameState::Take() == before[0]);
}

TEST(GameMovesUndo, UndoingACheckRestoresTheCheckFlag) {
    SetUpGame("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
    PlayMoves({"a1a8"});
    EXPECT_EQ(RootInCheck, 1u);
    Undo();
    EXPECT_EQ(RootInCheck, 0u);
    SetUpGame("4k3/8/8/8/8/8/8/r3K3 w - - 0 1");
    EXPECT_EQ(RootInCheck, 1u);
    PlayMoves({"e1e2"});
    Undo();
    EXPECT_EQ(RootInCheck, 1u) << "back in check";
}

TEST(GameMovesUndo, UndoingAPawnMoveBringsBackTheEarlierBoards) {
    // After 1. e4 e5 a knight round trip brings the position back once; a
    // pawn move is played and taken back; the next round trip is the third
    // occurrence, so the boards before the pawn move must still be known.
    SetUpGame(StartPosition);
    const char *shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    EXPECT_EQ(PlayMoves({"e2e4", "e7e5", "g1f3", "g8f6", "f3g1", "f6g8"}), "");
    EXPECT_EQ(BoardHistoryCount, 5u);
    PlayMoves({"a2a3"});
    EXPECT_EQ(BoardHistoryCount, 1u);
    Undo();
    EXPECT_EQ(BoardHistoryCount, 5u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(PlayMoves({shuffle[i]}), "");
    EXPECT_EQ(PlayMoves({"f6g8"}), "1/2-1/2 {Draw by threefold repetition}\n");
}

TEST(GameMovesUndo, UndoAtTheFullRecordPutsTheDroppedBoardBack) {
    SetUpGame(StartPosition);
    const char *shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < BoardHistorySize; ++i) {
        // Past the fifty-move announcement the engine stays in force mode.
        testing::internal::CaptureStdout();
        ASSERT_EQ(UserMove(shuffle[i % 4]), 1u);
        testing::internal::GetCapturedStdout();
    }
    ASSERT_EQ(BoardHistoryCount, uint32_t(BoardHistorySize));
    std::vector<uint32_t> full(&BoardHistory[0][0], &BoardHistory[0][0] + BoardHistorySize * 120);
    testing::internal::CaptureStdout();
    UserMove(shuffle[0]);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(BoardHistoryCount, uint32_t(BoardHistorySize));
    Undo();
    EXPECT_EQ(BoardHistoryCount, uint32_t(BoardHistorySize));
    EXPECT_TRUE(std::equal(full.begin(), full.end(), &BoardHistory[0][0]));
}

TEST(GameMovesUndo, UndoOfReversibleMovesShortensTheRecord) {
    SetUpGame(StartPosition);
    PlayMoves({"e2e4", "g8f6", "g1f3"});
    EXPECT_EQ(BoardHistoryCount, 3u);
    Undo();
    EXPECT_EQ(BoardHistoryCount, 2u);
    Undo();
    Undo();
    EXPECT_EQ(BoardHistoryCount, 0u);
    EXPECT_EQ(GamePly, 0u);
}
