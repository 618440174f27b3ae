// UCI_ShowWDL through the binary: the chances in the info lines, as an
// interface reads them.
#include <gtest/gtest.h>

#include <sstream>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

struct Chances {
    bool shown = false;
    bool wellPlaced = false; // right after the score and its bound
    int win = 0, draw = 0, loss = 0;
};

// The "wdl" of a UCI info line.
Chances ChancesOf(const std::string &line) {
    Chances c;
    const size_t at = line.find(" wdl ");
    if (at == std::string::npos) return c;
    c.shown = true;
    std::istringstream words(line.substr(line.find(" score ") + 7));
    std::string kind, value, next;
    words >> kind >> value >> next;
    if (next == "lowerbound" || next == "upperbound") words >> next;
    c.wellPlaced = (kind == "cp" || kind == "mate") && next == "wdl";
    std::istringstream numbers(line.substr(at + 5));
    if (!(numbers >> c.win >> c.draw >> c.loss)) c.wellPlaced = false;
    return c;
}

// The info lines with a score of a search of `position` to `depth`.
Lines ScoredLines(UciEngine &engine, const std::string &position, int depth) {
    engine.Send("position " + position);
    engine.Send("go depth " + std::to_string(depth));
    Lines scored;
    for (const std::string &l : engine.AwaitBestMove())
        if (StartsWith(l, "info ") && l.find(" score ") != std::string::npos) scored.push_back(l);
    EXPECT_FALSE(scored.empty()) << position;
    return scored;
}

const char QueenUp[] = "fen rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char QueenDown[] = "fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1";
const char MateInOne[] = "fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1";

} // namespace

TEST(UciWinChances, InfoLinesCarryThemOnlyWhenAskedFor) {
    Lines intro;
    UciEngine engine(&intro);
    EXPECT_EQ(Count(intro, "option name UCI_ShowWDL type check default false"), 1) << Joined(intro);
    for (const std::string &l : ScoredLines(engine, "startpos moves e2e4", 5))
        EXPECT_FALSE(ChancesOf(l).shown) << "off by default: " << l;

    engine.Send("setoption name UCI_ShowWDL value true");
    // Every scored line, bounds and several lines included; the best line's
    // chances move with its score.
    engine.Send("setoption name MultiPV value 3");
    int bestWin[2] = {0, 0}, bestLoss[2] = {0, 0};
    for (int side = 0; side < 2; ++side) {
        const Lines lines = ScoredLines(engine, side == 0 ? QueenUp : QueenDown, 6);
        for (const std::string &l : lines) {
            const Chances c = ChancesOf(l);
            EXPECT_TRUE(c.shown && c.wellPlaced) << l;
            EXPECT_EQ(c.win + c.draw + c.loss, 1000) << l;
            EXPECT_TRUE(c.win >= 0 && c.draw >= 0 && c.loss >= 0) << l;
            if (l.find(" multipv 1 ") != std::string::npos) bestWin[side] = c.win, bestLoss[side] = c.loss;
        }
    }
    EXPECT_GT(bestWin[0], bestWin[1]) << "a queen up wins more often than a queen down";
    EXPECT_GT(bestLoss[1], bestLoss[0]);
    EXPECT_GT(bestWin[0], 900);
    EXPECT_GT(bestLoss[1], 900);
    engine.Send("setoption name MultiPV value 1");

    // A mate found is a sure win.
    bool mate = false;
    for (const std::string &l : ScoredLines(engine, MateInOne, 4))
        if (l.find(" score mate 1 ") != std::string::npos) {
            mate = true;
            const Chances c = ChancesOf(l);
            EXPECT_TRUE(c.wellPlaced && c.win == 1000 && c.draw == 0 && c.loss == 0) << l;
        }
    EXPECT_TRUE(mate);

    // A value it cannot take leaves the option as it was; off takes them away.
    engine.Send("setoption name UCI_ShowWDL value perhaps");
    EXPECT_EQ(Count(engine.Ready(), "info string bad value"), 1);
    for (const std::string &l : ScoredLines(engine, "startpos", 3))
        EXPECT_TRUE(ChancesOf(l).shown) << l;
    engine.Send("setoption name uci_showwdl value false");
    for (const std::string &l : ScoredLines(engine, QueenUp, 4))
        EXPECT_FALSE(ChancesOf(l).shown) << l;
}
