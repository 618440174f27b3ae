// Game-end announcements after game moves: mate, stalemate, repetition, the
// fifty-move rule and insufficient material.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "shell/GameEnd.h"
#include "shell/MoveText.h"
#include "shell/ShellState.h"

#include "shell/ShellTestSupport.h"

namespace {

std::string BoardKey() {
    std::string key(121, ' ');
    for (int s = 0; s < 120; ++s)
        key[s] = char('A' + Board[s].piece);
    key[120] = char('0' + SideToMove);
    return key;
}

// Plays reversible moves (no capture, no pawn) that lead to boards not seen
// before, so no repetition can end the game first; returns the output.
std::string PlayFreshReversibleMoves(int count, std::set<std::string> &seen) {
    std::string all;
    for (int i = 0; i < count; ++i) {
        MoveEntry list[MoveListSize];
        MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
        Move chosen = 0;
        for (MoveEntry *e = list; e != end && !chosen; ++e) {
            Move m = e->move;
            if (IsCapture(m) || IsCastling(m) || KindOf(Board[MoveFrom(m)].piece) == Pawn) continue;
            uint32_t side = SideToMove;
            if (!MakeMove(side, RootInCheck, 0, m)) continue;
            SideToMove = 1 - side;
            std::string key = BoardKey();
            bool opponentInCheck = SideInCheck(SideToMove);
            SideToMove = side;
            UnmakeMove(side, m);
            if (opponentInCheck || seen.count(key)) continue;
            seen.insert(key);
            chosen = m;
        }
        if (!chosen) {
            ADD_FAILURE() << "no fresh reversible move at " << i;
            return all;
        }
        char text[MoveTextSize];
        MoveToText(text, chosen);
        std::string out;
        EXPECT_EQ(TryMove(text, out), 1u) << text;
        all += out;
        if (i + 1 < count) {
            EXPECT_EQ(out, "") << "move " << i + 1;
        }
    }
    return all;
}

} // namespace

TEST(GameEndRules, FoolsMateIsAnnouncedOnce) {
    SetUpGame(StartPosition);
    EngineSide = 1;
    EXPECT_EQ(PlayMoves({"f2f3", "e7e5", "g2g4"}), "");
    EXPECT_EQ(EngineSide, 1u);
    EXPECT_EQ(PlayMoves({"d8h4"}), "0-1 {Black mates}\n");
    EXPECT_EQ(EngineSide, 2u);
    EXPECT_EQ(RootInCheck, 1u);
    EXPECT_EQ(GameResult, 3u) << "the interface sends the result";
}

TEST(GameEndRules, BackRankMateByWhite) {
    SetUpGame("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    EXPECT_EQ(PlayMoves({"a1a8"}), "1-0 {White mates}\n");
}

TEST(GameEndRules, StalemateOfWhite) {
    SetUpGame("8/8/8/8/8/3q4/2k5/K7 b - - 0 1");
    EXPECT_EQ(PlayMoves({"d3b3"}), "1/2-1/2 {Stalemate}\n");
    EXPECT_EQ(EngineSide, 2u);
    EXPECT_EQ(RootInCheck, 0u);
}

TEST(GameEndRules, NothingIsAnnouncedWhilePondering) {
    SetUpGame("8/8/8/8/8/3q4/2k5/K7 b - - 0 1");
    EngineSide = 0;
    Pondering = 1;
    std::string out;
    EXPECT_EQ(TryMove("d3b3", out), 0u) << "a move that ends the game is not pondered on";
    Pondering = 0;
    EXPECT_EQ(out, "");
    EXPECT_EQ(SideToMove, uint32_t(Black)) << "taken back";
    EXPECT_EQ(GamePly, 0u);
    EXPECT_EQ(EngineSide, 0u) << "the engine plays the side not to move again";
    EXPECT_EQ(GameResult, 3u);
}

TEST(GameEndRules, KnightShuffleIsThreefoldOnlyAfterTheEighthMove) {
    SetUpGame(StartPosition);
    EngineSide = 0;
    EXPECT_EQ(PlayMoves({"e2e4", "e7e5", "g1f3", "g8f6", "f3g1", "f6g8"}), "") << "second occurrence";
    EXPECT_EQ(PlayMoves({"g1f3", "g8f6", "f3g1"}), "");
    EXPECT_EQ(EngineSide, 0u);
    EXPECT_EQ(PlayMoves({"f6g8"}), "1/2-1/2 {Draw by threefold repetition}\n");
    EXPECT_EQ(EngineSide, 2u);
}

TEST(GameEndRules, SetUpPositionIsNotInTheRecord) {
    // The initial position stands on the board for the third time after the
    // eighth shuffle move, but it was never recorded: no announcement. The
    // ninth brings the position after g1f3 back for the third time.
    SetUpGame(StartPosition);
    const char *shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 8; ++i) {
        std::string out;
        ASSERT_EQ(TryMove(shuffle[i % 4], out), 1u);
        EXPECT_EQ(out, "") << "move " << i + 1;
    }
    EXPECT_EQ(PlayMoves({"g1f3"}), "1/2-1/2 {Draw by threefold repetition}\n");
}

TEST(GameEndRules, RepetitionWithLostCastlingRightsStillCounts) {
    SetUpGame(StartPosition);
    EXPECT_EQ(PlayMoves({"e2e4", "e7e5", "e1e2", "e8e7", "e2e1", "e7e8", "e1e2", "e8e7", "e2e1"}), "");
    EXPECT_EQ(PlayMoves({"e7e8"}), "1/2-1/2 {Draw by threefold repetition}\n");
}

TEST(GameEndRules, FiftyMoveRuleAtTheHundredthReversibleMove) {
    SetUpGame("r1bqkbnr/pppppppp/2n5/8/8/2N5/PPPPPPPP/R1BQKBNR w KQkq - 0 1");
    std::set<std::string> seen;
    EXPECT_EQ(PlayMoves({"e2e4"}), "");
    EXPECT_EQ(PlayFreshReversibleMoves(99, seen), "");
    EXPECT_EQ(BoardHistoryCount, 100u);
    EXPECT_EQ(PlayFreshReversibleMoves(1, seen), "1/2-1/2 {Draw by 50 moves rule}\n");
    EXPECT_EQ(BoardHistoryCount, 101u);
}

TEST(GameEndRules, FiftyMoveRuleFromASetUpPositionTakesOneMoveMore) {
    SetUpGame("r1bqkbnr/pppppppp/2n5/8/8/2N5/PPPPPPPP/R1BQKBNR w KQkq - 0 1");
    std::set<std::string> seen;
    EXPECT_EQ(PlayFreshReversibleMoves(100, seen), "");
    EXPECT_EQ(PlayFreshReversibleMoves(1, seen), "1/2-1/2 {Draw by 50 moves rule}\n");
}

TEST(GameEndRules, InsufficientMaterial) {
    SetUpGame("k7/8/8/8/8/8/1n6/K1B5 w - - 0 1");
    EXPECT_EQ(PlayMoves({"c1b2"}), "1/2-1/2 {Draw by insufficient material}\n");
    EXPECT_EQ(EngineSide, 2u);
    // Two knights are enough material to go on.
    SetUpGame("k7/8/8/8/8/8/1r6/K2N1N2 w - - 0 1");
    EXPECT_EQ(PlayMoves({"d1b2"}), "");
    // Bare kings.
    SetUpGame("k7/8/8/8/8/8/1r6/K7 w - - 0 1");
    EXPECT_EQ(PlayMoves({"a1b2"}), "1/2-1/2 {Draw by insufficient material}\n");
}

TEST(GameEndRules, MovesGoOnAfterTheAnnouncement) {
    SetUpGame(StartPosition);
    PlayMoves({"f2f3", "e7e5", "g2g4", "d8h4"});
    std::string out;
    EXPECT_EQ(TryMove("e2e3", out), 0u) << "no legal move in a mated position";
    SetUpGame("k7/8/8/8/8/8/1n6/K1B5 w - - 0 1");
    PlayMoves({"c1b2"});
    EXPECT_EQ(PlayMoves({"a8b7"}), "1/2-1/2 {Draw by insufficient material}\n") << "a user may go on";
}
