// Whole games between two engine processes over UCI, driven as a match
// manager does: the driver keeps both clocks with increment, sends the
// position and the clocks before every move, checks every move and every
// expected reply, and flags an engine whose clock runs out.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "e2e/RefereeBoard.h"
#include "e2e/UciEngine.h"

namespace {

struct Control {
    int64_t base;      // milliseconds per side
    int64_t increment; // milliseconds per move
    bool ponder;       // "go ponder" on the opponent's time, with ponderhit / stop
};

constexpr int MaxPlies = 100; // adjudicated beyond this

void PlayUciGame(int number, const Control &control, const char *fen) {
    SCOPED_TRACE("game " + std::to_string(number));
    UciEngine engines[2];
    for (UciEngine &e : engines) {
        bool ok = false;
        e.ReadUntilPrefix("uciok", &ok);
        ASSERT_TRUE(ok);
        if (control.ponder) e.Send("setoption name Ponder value true");
        e.Send("ucinewgame");
        e.Ready(&ok);
        ASSERT_TRUE(ok);
    }
    ASSERT_TRUE(referee::Setup(fen));
    const int firstSide = SideToMove;
    int64_t clock[2] = {control.base, control.base}; // by colour
    std::string moves;
    std::string pondering[2]; // the move each engine ponders on, "" if none

    for (int ply = 0; ply < MaxPlies; ++ply) {
        if (referee::LegalMoves().empty()) return; // mate or stalemate
        const int side = SideToMove;
        UciEngine &engine = engines[(side + firstSide) % 2];
        std::string &ponderMove = pondering[(side + firstSide) % 2];
        const std::string position = std::string("position fen ") + fen + (moves.empty() ? "" : " moves" + moves);
        const std::string clocks = "wtime " + std::to_string(clock[White]) + " btime " + std::to_string(clock[Black]) +
                                   " winc " + std::to_string(control.increment) + " binc " +
                                   std::to_string(control.increment);
        const std::string last = moves.empty() ? "" : moves.substr(moves.rfind(' ') + 1);
        auto start = std::chrono::steady_clock::now();
        if (!ponderMove.empty() && ponderMove == last) {
            engine.Send("ponderhit");
        } else {
            if (!ponderMove.empty()) {
                engine.Send("stop"); // a miss: the ponder result is dropped
                bool found = false;
                engine.AwaitBestMove(EngineProcess::DefaultTimeoutMs, &found);
                ASSERT_TRUE(found) << "no answer to stop after a ponder miss";
            }
            engine.Send(position);
            engine.Send("go " + clocks);
        }
        ponderMove.clear();
        bool found = false;
        auto lines = engine.AwaitBestMove(EngineProcess::DefaultTimeoutMs, &found);
        const int64_t used =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        ASSERT_TRUE(found) << "no bestmove after" << moves;
        const std::string best = BestMoveOf(lines);
        ASSERT_TRUE(referee::Play(best)) << "illegal move " << best << " after" << moves;
        clock[side] -= used;
        EXPECT_GT(clock[side], 0) << "flag fell at ply " << ply << " after" << moves;
        if (clock[side] <= 0) return;
        clock[side] += control.increment;
        moves += " " + best;

        // The expected reply must be legal; the engine ponders on it.
        const std::string reply = PonderMoveOf(lines);
        if (!reply.empty()) {
            bool legal = false;
            for (Move m : referee::LegalMoves()) {
                char t[MoveTextSize];
                MoveToText(t, m);
                std::string text = t;
                if (text.size() == 5) text[4] = char(std::tolower(static_cast<unsigned char>(text[4])));
                legal = legal || text == reply;
            }
            EXPECT_TRUE(legal) << "ponder move " << reply << " after" << moves;
            if (control.ponder && legal) {
                engine.Send(std::string("position fen ") + fen + " moves" + moves + " " + reply);
                engine.Send("go ponder " + clocks);
                ponderMove = reply;
            }
        }
    }
    for (UciEngine &e : engines) {
        e.Send("quit");
        EXPECT_EQ(e.WaitExit(), 0);
    }
}

TEST(UciGames, TimedGamesWithIncrementStayInsideTheClock) {
    // Short clocks with an increment: the limits must come from the clock of
    // the side to move, and no move may take more than is left.
    const Control control{3000, 100, false};
    PlayUciGame(1, control, StartPosition);
    PlayUciGame(2, control, "r3k2r/ppp2ppp/2n1bn2/2bpp3/4P3/2NP1N2/PPP1BPPP/R1B1K2R w Kq d6 0 8");
}

TEST(UciGames, PonderingGameWithHitsAndMisses) {
    const Control control{4000, 200, true};
    PlayUciGame(3, control, StartPosition);
}

} // namespace
