// The UCI front end through pipes, as a UCI interface drives it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/EngineProcess.h"
#include "e2e/RefereeBoard.h"
#include "e2e/UciEngine.h"

namespace {

// Every "info ... pv" line must be a legal line from the searched position.
void ExpectLegalPvs(const std::vector<std::string> &lines, const char *fen) {
    int checked = 0;
    for (const std::string &line : lines) {
        size_t at = line.find(" pv ");
        if (line.rfind("info depth ", 0) != 0 || at == std::string::npos) continue;
        ASSERT_NE(line.find(" score "), std::string::npos) << line;
        ASSERT_NE(line.find(" nodes "), std::string::npos) << line;
        ASSERT_TRUE(referee::Setup(fen));
        std::istringstream pv(line.substr(at + 4));
        std::string move;
        while (pv >> move) {
            ASSERT_TRUE(move.size() == 4 || (move.size() == 5 && islower(move[4]))) << line;
            ASSERT_TRUE(referee::Play(move)) << "illegal pv move " << move << " in: " << line;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no info line with a principal variation";
}

const char AfterE4E5[] = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -";

TEST(Uci, IdentifiesItselfAndItsOptions) {
    UciEngine engine;
    std::vector<std::string> expected = {"id name Morvane 7 UCI",
                                         "id author Halvard Quent",
                                         "option name Hash type spin default 16 min 1 max 32768",
                                         "option name Clear Hash type button",
                                         "option name Ponder type check default false",
                                         "option name OwnBook type check default true",
                                         "option name TbPath type string default D:\\tablebases",
                                         "option name TbCache type spin default 1 min 1 max 1024",
                                         "option name Threads type spin default 1 min 1 max 64",
                                         "uciok"};
    EXPECT_EQ(engine.Identification(), expected);
    engine.Send("isready");
    EXPECT_EQ(engine.ReadLine(), "readyok");
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

TEST(Uci, BareGoSearchesUntilStopAndNamesALegalMove) {
    UciEngine engine;
    engine.Identification();
    engine.Send("position startpos moves e2e4 e7e5");
    engine.Send("go");
    bool early = false;
    auto lines = engine.ReadUntilPrefix("bestmove", &early, 1500);
    EXPECT_FALSE(early) << "a bare go waits for stop";
    engine.Send("stop");
    auto rest = engine.AwaitBestMove();
    lines.insert(lines.end(), rest.begin(), rest.end());
    std::string best = BestMoveOf(lines);
    ASSERT_FALSE(best.empty());
    ExpectLegalPvs(lines, AfterE4E5);
    ASSERT_TRUE(referee::Setup(AfterE4E5));
    EXPECT_TRUE(referee::Play(best)) << best << " is not a white move after 1. e4 e5";

    engine.Send("isready");
    EXPECT_EQ(engine.ReadLine(), "readyok") << "answered between searches";
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

// Runs "position <args>", a short search, and returns the best move.
std::string SearchAfter(UciEngine &engine, const std::string &args, std::vector<std::string> *lines = nullptr) {
    engine.Send("position " + args);
    engine.Send("go");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    engine.Send("stop");
    auto got = engine.AwaitBestMove();
    if (lines) *lines = got;
    return BestMoveOf(got);
}

TEST(Uci, PositionForms) {
    UciEngine engine;
    engine.Identification();
    std::vector<std::string> lines;

    // A FEN with a trailing move list: Black to move after 1... e5 2. Nf3.
    std::string best = SearchAfter(engine, "fen " + std::string(AfterE4E5) + " 0 2 moves g1f3", &lines);
    const char afterNf3[] = "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -";
    ASSERT_TRUE(referee::Setup(afterNf3));
    EXPECT_TRUE(referee::Play(best)) << best;
    ExpectLegalPvs(lines, afterNf3);

    // "startpos" anywhere after "fen" means the initial position.
    best = SearchAfter(engine, "fen 8/8/8/8/8/8/8/K6k w - - startpos");
    ASSERT_TRUE(referee::Setup(StartPosition));
    EXPECT_TRUE(referee::Play(best)) << best;

    // Two blanks give an empty token that is dropped; later moves still count.
    best = SearchAfter(engine, "startpos moves e2e4  e7e5 g1f3");
    ASSERT_TRUE(referee::Setup(afterNf3));
    EXPECT_TRUE(referee::Play(best)) << best;

    // Promotions in lower case are accepted and written in lower case.
    const char promo[] = "8/4P1k1/8/8/8/8/6K1/8 w - -";
    best = SearchAfter(engine, "fen " + std::string(promo) + " moves e7e8q g7h7", &lines);
    ASSERT_TRUE(referee::Setup("4Q3/7k/8/8/8/8/6K1/8 w - -"));
    EXPECT_TRUE(referee::Play(best)) << best << ": the promotion was not played";

    best = SearchAfter(engine, "fen " + std::string(promo), &lines);
    EXPECT_EQ(best, "e7e8q");

    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

TEST(Uci, BadInputNeverHurts) {
    UciEngine engine;
    engine.Identification();
    engine.Send("position " + std::string(12000, 'x') + " moves " + std::string(3000, 'e'));
    engine.Send("position fen this is no fen at all moves e2e4");
    engine.Send("position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR");
    engine.Send("ucinewgame");
    engine.Send("setoption name Hash value 1");
    engine.Send("stop");
    engine.Send("isready");
    bool found = false;
    engine.ReadUntilPrefix("readyok", &found);
    EXPECT_TRUE(found);
    std::string moves = "startpos moves";
    for (int i = 0; i < 700; ++i)
        moves += i % 2 ? " g8f6 f6g8" : " g1f3 f3g1"; // a 10,000+ character line
    std::string best = SearchAfter(engine, moves);
    EXPECT_EQ(best.size(), 4u) << best;
    engine.Send("go");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    engine.CloseInput(); // the interface vanishes in mid-search
    EXPECT_EQ(engine.WaitExit(), 0);
}

} // namespace
