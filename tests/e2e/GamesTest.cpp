// Whole games between two engine processes, refereed as an interface would:
// moves and clock commands are relayed, every move is checked for legality,
// every engine's clock is kept and must never run out.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/EngineProcess.h"
#include "e2e/RefereeBoard.h"
#include "e2e/XboardEngine.h"

namespace {

struct Player {
    EngineProcess engine;
    int32_t clock; // centiseconds left
};

constexpr int32_t StartClock = 1000; // 10 seconds a side, no increment
constexpr int MaxPlies = 160;        // adjudicated as a draw beyond this

void PlayGame(int gameNumber) {
    SCOPED_TRACE("game " + std::to_string(gameNumber));
    Player players[2];
    for (Player &p : players) {
        ASSERT_TRUE(p.engine.Start());
        bool ok = false;
        p.engine.ReadStartup(&ok);
        ASSERT_TRUE(ok);
        p.engine.Send("new");
        p.engine.Send("level 0 0:10 0");
        p.engine.Send("nopost");
        p.clock = StartClock;
    }
    ASSERT_TRUE(referee::Setup(StartPosition));
    // Each game opens with its own first move, played by the referee, so the
    // games differ; White's engine takes over with "go" on its first turn.
    static const char *const Openings[] = {"e2e4", "d2d4", "c2c4", "g1f3"};
    std::string lastMove = Openings[gameNumber % 4];
    ASSERT_TRUE(referee::Play(lastMove));
    std::string history = lastMove + " ";
    players[0].engine.Send("force");
    players[0].engine.Send(lastMove);
    for (int ply = 1; ply < MaxPlies; ++ply) {
        Player &mover = players[ply % 2];
        Player &other = players[1 - ply % 2];
        mover.engine.Send("time " + std::to_string(mover.clock));
        mover.engine.Send("otim " + std::to_string(other.clock));
        auto start = std::chrono::steady_clock::now();
        mover.engine.Send(lastMove);
        if (ply == 2) mover.engine.Send("go");
        std::string reply = AwaitMoveOrResult(mover.engine);
        int32_t used = int32_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() /
            10);
        ASSERT_FALSE(reply.empty()) << "the engine went silent after " << history;
        if (IsResult(reply)) {
            // The game ended with the last move: the referee must agree that
            // something ended it (no legal reply, or a draw rule/resignation).
            if (reply.find("mates") != std::string::npos) {
                EXPECT_TRUE(referee::LegalMoves().empty() && RootInCheck) << history << reply;
            }
            if (reply.find("Stalemate") != std::string::npos) {
                EXPECT_TRUE(referee::LegalMoves().empty() && !RootInCheck) << history << reply;
            }
            return;
        }
        ASSERT_FALSE(referee::LegalMoves().empty()) << "a move in a finished game: " << history << reply;
        ASSERT_TRUE(referee::Play(reply)) << "illegal move " << reply << " after " << history;
        mover.clock -= used;
        EXPECT_GT(mover.clock, 0) << "the engine overstepped its clock at ply " << ply << ": " << history;
        history += reply + " ";
        lastMove = reply;
        if (referee::LegalMoves().empty()) {
            // Mate or stalemate: the opponent's engine must announce it.
            other.engine.Send(lastMove);
            std::string result = AwaitMoveOrResult(other.engine);
            EXPECT_TRUE(IsResult(result)) << "no result after " << history << ": " << result;
            return;
        }
    }
    for (Player &p : players) {
        p.engine.Send("quit");
        EXPECT_EQ(p.engine.WaitExit(), 0);
    }
}

TEST(Games, EnginesPlayLegalGamesWithinTheirClocks) {
    for (int game = 1; game <= 4; ++game)
        PlayGame(game);
}

} // namespace
