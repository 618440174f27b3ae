// Games in the modern xboard dialogue: positions sent with "setboard" (en
// passant squares, castling rights given up), "playother", a fractional
// increment, pondering on, and "ping" before every move. The referee keeps
// both clocks and checks every move.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "e2e/EngineProcess.h"
#include "e2e/RefereeBoard.h"
#include "e2e/XboardEngine.h"

namespace {

// "ping N" answered with "pong N" before anything that comes later.
void ExpectPong(EngineProcess &engine, int n) {
    engine.Send("ping " + std::to_string(n));
    bool found = false;
    engine.ReadUntil([&](const std::string &l) { return l == "pong " + std::to_string(n); }, &found);
    EXPECT_TRUE(found) << "no pong " << n;
}

constexpr int MaxPlies = 80;

void PlayXboardGame(const char *fen) {
    SCOPED_TRACE(fen);
    EngineProcess engines[2]; // [0] moves first
    for (EngineProcess &e : engines) {
        ASSERT_TRUE(e.Start());
        bool ok = false;
        e.ReadStartup(&ok);
        ASSERT_TRUE(ok);
        for (const char *c : {"xboard", "protover 2", "new", "hard", "nopost", "level 0 0:05 0.2", "force"})
            e.Send(c);
        e.Send(std::string("setboard ") + fen);
        ExpectPong(e, 1);
    }
    ASSERT_TRUE(referee::Setup(fen));
    int32_t clock[2] = {500, 500}; // centiseconds, by engine
    engines[1].Send("playother");
    std::string history;
    std::string lastMove;
    for (int ply = 0; ply < MaxPlies; ++ply) {
        EngineProcess &mover = engines[ply % 2];
        mover.Send("time " + std::to_string(clock[ply % 2]));
        mover.Send("otim " + std::to_string(clock[1 - ply % 2]));
        auto start = std::chrono::steady_clock::now();
        mover.Send(ply == 0 ? "go" : lastMove);
        std::string reply = AwaitMoveOrResult(mover);
        int32_t used = int32_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() /
            10);
        ASSERT_FALSE(reply.empty()) << "silent after " << history;
        if (IsResult(reply)) return;
        ASSERT_TRUE(referee::Play(reply)) << "illegal move " << reply << " after " << history;
        clock[ply % 2] -= used;
        EXPECT_GT(clock[ply % 2], 0) << "flag fell at ply " << ply << ": " << history;
        if (clock[ply % 2] <= 0) return;
        clock[ply % 2] += 20; // 0.2 s increment
        history += reply + " ";
        lastMove = reply;
        // The mover may ponder now: the ping is answered at once.
        ExpectPong(mover, ply + 2);
        if (referee::LegalMoves().empty()) return;
    }
    for (EngineProcess &e : engines) {
        e.Send("quit");
        EXPECT_EQ(e.WaitExit(), 0);
    }
}

TEST(XboardGames, SetboardGamesWithPonderingAndFractionalIncrement) {
    // White can take en passant at once; White has given up its long
    // castling, Black its short one.
    PlayXboardGame("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
    PlayXboardGame("r3k2r/pppq1ppp/2n1bn2/2bpP3/8/2NP1N2/PPP1BPPP/R1BQK2R w Kq d6 0 8");
}

} // namespace
