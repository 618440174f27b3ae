// The UCI dialogue through the binary, as a UCI interface drives it.
#include <gtest/gtest.h>

#include <cstring>

#include "e2e/EngineProcess.h"
#include "tablebase/Syzygy.h"

using namespace e2e;

namespace {

std::vector<long> PrintedLimits(const Lines &lines) { // of "info string timeN = V"
    std::vector<long> limits;
    for (const std::string &l : lines)
        if (l.starts_with("info string time")) limits.push_back(std::stol(l.substr(l.find("= ") + 2)));
    return limits;
}

std::string LongMoveList() {
    std::string moves = "startpos moves";
    for (int i = 0; i < 700; ++i)
        moves += i % 2 ? " g8f6 f6g8" : " g1f3 f3g1";
    return moves;
}

const char AfterE4[] = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";
const char Middlegame[] = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9";
const char AfterNf3[] = "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -";
const char QueenHangs[] = "rnb1kbnr/pppp1ppp/8/4p3/4P2q/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"; // Nxh4 wins it

} // namespace

TEST(Uci, IdentificationPositionsAndSearches) {
    UciEngine engine;
    Lines expected = {"id name Morvane 7 UCI",
                      "id author Halvard Quent",
                      "option name Hash type spin default 16 min 1 max 32768",
                      "option name Clear Hash type button",
                      "option name Ponder type check default false",
                      "option name OwnBook type check default true",
                      "option name BookFile type string default <empty>",
                      "option name TbPath type string default D:\\tablebases",
                      "option name TbCache type spin default 1 min 1 max 1024",
                      "option name UCI_Chess960 type check default false",
                      "option name Threads type spin default 1 min 1 max 64",
                      "option name MultiPV type spin default 1 min 1 max 256",
                      "option name Move Overhead type spin default 10 min 0 max 5000",
                      "option name UCI_ShowWDL type check default false",
                      "option name UCI_LimitStrength type check default false",
                      "option name UCI_Elo type spin default 1800 min 1400 max 1800"};
    if (SyzygyCompiledIn)
        expected.insert(expected.end(), {"option name SyzygyPath type string default <empty>",
                                         "option name SyzygyProbeDepth type spin default 1 min 1 max 100",
                                         "option name SyzygyProbeLimit type spin default 7 min 0 max 7",
                                         "option name Syzygy50MoveRule type check default true"});
    expected.push_back("uciok");
    EXPECT_EQ(engine.intro, expected);
    // Position, go, the position searched, the best move(s), depth, text of the last pv line, a reply (2: any).
    // A bare go, stopped after a while, waits for the stop; so do infinite and ponder.
    const std::tuple<std::string, const char *, std::string, const char *, int, const char *, int> cases[] = {
        {"startpos moves e2e4 e7e5", "go", "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -", "", 0, "", 2},
        {"fen rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2 moves g1f3", "go", AfterNf3, "", 0, "", 2},
        {"fen 8/8/8/8/8/8/8/K6k w - - startpos", "go", StartPosition, "", 0, "", 2}, // "startpos" anywhere
        {"startpos moves e2e4  e7e5 g1f3", "go", AfterNf3, "", 0, "", 2},            // an empty token is dropped
        {"fen 8/4P1k1/8/8/8/8/6K1/8 w - - moves e7e8q g7h7", "go", "4Q3/7k/8/8/8/8/6K1/8 w - -", "", 0, "", 2},
        {"fen 8/4P1k1/8/8/8/8/6K1/8 w - -", "go", "8/4P1k1/8/8/8/8/6K1/8 w - -", "e7e8q", 0, "", 2},
        {"startpos", "go infinite", StartPosition, "", 0, "", 2},
        {"startpos", "go depth 2 infinite", StartPosition, "", 0, "", 2}, // the depth is reached long before
        {"startpos", "go ponder wtime 100000 btime 100000", StartPosition, "", 0, "", 2},
        // Searches that end by themselves, within each limit.
        {std::string("fen ") + Middlegame, "go depth 4", Middlegame, "", 4, " score cp ", 1},
        {std::string("fen ") + Middlegame, "go nodes 5000", Middlegame, "", 0, "", 2},
        {std::string("fen ") + Middlegame, "go movetime 300", Middlegame, "", 0, "", 2},
        {std::string("fen ") + Middlegame, "go wtime 2000 btime 2000 winc 100 binc 100", Middlegame, "", 0, "", 2},
        {"startpos", "go depth 5 searchmoves a2a3", StartPosition, "a2a3", 0, "", 2},
        // No legal move named, or "0000" (python-style "all moves"): all.
        {std::string("fen ") + QueenHangs, "go depth 3 searchmoves 0000", QueenHangs, "f3h4", 0, "", 2},
        {std::string("fen ") + QueenHangs, "go depth 3 searchmoves", QueenHangs, "f3h4", 0, "", 2},
        {std::string("fen ") + QueenHangs, "go depth 3 searchmoves e2e5 h7h5", QueenHangs, "f3h4", 0, "", 2},
        {"startpos", "go depth 4 searchmoves g1h3 b1c3 depth 3", StartPosition, "g1h3 b1c3", 3, "", 2},
        // Mate shown as mate; no moves: "0000".
        {"fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "go depth 5", "", "d1d8", 0, " score mate 1 ", 0},
        {"fen 3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "go depth 5", "", "d8d1", 0, " score mate 1 ", 0},
        {"fen 1r6/8/8/8/8/8/P4k2/7K w - - 0 1", "go depth 5", "1r6/8/8/8/8/8/P4k2/7K w - -", "", 0, " mate -1 ", 1},
        {"fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "go depth 5", "", "0000", 0, "", 0},
        // Bad input never hurts: a huge line, no FEN, a FEN without its side, a move list of 10,000 characters.
        {std::string(12000, 'x') + " moves " + std::string(3000, 'e'), "go depth 3", StartPosition, "", 0, "", 2},
        {"fen this is no fen at all moves e2e4", "go depth 3", AfterE4, "", 0, "", 2},
        {"fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", "go depth 3", StartPosition, "", 0, "", 2},
        {LongMoveList(), "go depth 3", StartPosition, "", 0, "", 2}};
    for (const auto &[position, go, fen, best, depth, text, ponder] : cases) {
        SCOPED_TRACE(position + " / " + go);
        const bool waits = go == std::string("go") || strstr(go, "infinite") || strstr(go, " ponder");
        Lines lines = engine.Go(position, go, waits ? 300 : Patience);
        EXPECT_EQ(engine.Found(), !waits);
        if (waits) {
            EXPECT_EQ(Count(engine.Ready(), "bestmove"), 0) << "isready answered, the search goes on";
            engine.Send("stop");
            lines = engine.AwaitBestMove();
        }
        const std::string move = BestMoveOf(lines);
        EXPECT_TRUE(*best ? !move.empty() && std::string(best).find(move) != std::string::npos
                          : referee::IsLegalIn(fen, move))
            << lines.back();
        auto reached = [&](int d) { return Count(lines, "info depth " + std::to_string(d) + " ") > 0; };
        EXPECT_TRUE(!depth || (reached(depth) && !reached(depth + 1))) << "not searched to depth " << depth;
        std::string last;
        for (const std::string &l : lines) {
            const size_t at = l.find(" pv "), nodes = l.find(" nodes ");
            last = at == std::string::npos ? last : l;
            EXPECT_TRUE(l.starts_with("info ") || l == lines.back()) << "not a UCI line: " << l;
            EXPECT_TRUE(strcmp(go, "go nodes 5000") || nodes == std::string::npos ||
                        std::stoull(l.substr(nodes + 7)) <= 6000)
                << l;
            // Every variation is legal from the searched position, promotions in lower case.
            std::istringstream pv(at == std::string::npos ? "" : l.substr(at + 4));
            EXPECT_TRUE(fen.empty() || at == std::string::npos || referee::Setup(fen));
            for (std::string m; !fen.empty() && pv >> m;)
                EXPECT_TRUE(referee::Play(m) && (m.size() == 4 || islower(m[4]))) << m << " in " << l;
        }
        EXPECT_TRUE(!*text || last.find(text) != std::string::npos) << last;
        EXPECT_TRUE(ponder == 2 || PonderMoveOf(lines).empty() == !ponder) << lines.back();
        // A stop after the search has ended does nothing.
        engine.Send("stop");
        engine.Send("ponderhit");
        EXPECT_EQ(engine.Ready(), Lines{"readyok"});
    }
}

TEST(Uci, PonderhitStopAndQuitDuringASearch) {
    UciEngine engine;
    // "ponderhit" turns a ponder search into the timed one: the answer comes by itself.
    for (const char *go : {"go ponder wtime 3000 btime 3000 depth 2", "go ponder wtime 2000 btime 2000"}) {
        engine.Go("startpos moves e2e4", go, 400);
        EXPECT_FALSE(engine.Found()) << go;
        engine.Send("ponderhit");
        EXPECT_TRUE(referee::IsLegalIn(AfterE4, BestMoveOf(engine.AwaitBestMove()))) << go;
    }
    // The side to move's clock and increment, in milliseconds, set the limits.
    engine.Send("position startpos moves e2e4\ngo wtime 3000 btime 60000 winc 100 binc 1000");
    EXPECT_EQ(PrintedLimits(engine.AwaitBestMove()), (std::vector<long>{132, 664, 1329}))
        << "133, 665, 1330 less the 10 ms move overhead";
    // A whole minute for one move: "stop" ends it. "movetime" is a hard limit, kept to just below it.
    engine.Go(std::string("fen ") + Middlegame, "go wtime 60000 btime 60000 movestogo 1", 1000);
    EXPECT_FALSE(engine.Found());
    engine.Send("stop");
    EXPECT_TRUE(referee::IsLegalIn(Middlegame, BestMoveOf(engine.AwaitBestMove())));
    engine.Send("go movetime 1000");
    for (long limit : PrintedLimits(engine.AwaitBestMove()))
        EXPECT_TRUE(limit <= 100 && limit >= 90) << limit;
    // "quit", or an interface that vanishes, ends the process during a search.
    for (const char *go : {"go infinite", "go wtime 100000 btime 100000", "go ponder wtime 9000 btime 9000", "go"}) {
        UciEngine quitting;
        quitting.Send(std::string("position startpos\n") + go);
        quitting.ReadUntilPrefix("info depth 3");
        if (go[2]) quitting.Send("quit");
        if (!go[2]) quitting.CloseInput();
        EXPECT_EQ(quitting.WaitExit(), 0) << go;
    }
}

TEST(Uci, OptionsAndOnlyUciLines) {
    UciEngine engine;
    // Only UCI lines: no results of replayed moves, one set of limits, the lower layers' messages as info.
    engine.Send("position startpos moves f2f3 e7e5 g2g4 d8h4");
    Lines lines = engine.Go("startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 e2e4", "go wtime 3000 btime 3000");
    for (const char *c : {"setoption name Hash value 2", "position fen 8/8/8/8 w - - 0 1",
                          "setoption name TbCache value 0", "setoption name NoSuchThing value 3"})
        engine.Send(c);
    const Lines ready = engine.Ready();
    lines.insert(lines.end(), ready.begin(), ready.end());
    EXPECT_EQ((std::vector<int>{Count(lines, "info string Hash size 2 Mbytes"), Count(lines, "info string ERROR: "),
                                Count(lines, "info string time1 = "), Count(lines, "info string unknown option")}),
              (std::vector<int>{1, 1, 1, 1}))
        << Joined(lines);
    EXPECT_EQ(Count(lines, "info ") + Count(lines, "bestmove ") + Count(lines, "readyok"), int(lines.size()));
    // Case does not matter; names may hold blanks; a bad value leaves the option as it was.
    for (const char *c :
         {"setoption name hash value 1", "setoption name Clear Hash", "setoption name OwnBook value false",
          "setoption name TbPath value /nonexistent", "setoption name TbCache value 2",
          "setoption name Ponder value true", "setoption name move overhead value 0",
          "setoption name Move Overhead value 5001", "ucinewgame", "position startpos", "go wtime 100000 btime 100000"})
        engine.Send(c);
    lines = engine.AwaitBestMove();
    EXPECT_EQ(Count(lines, "info string unknown option"), 0);
    EXPECT_EQ(Count(lines, "info string bad value, the option keeps its value: name Move Overhead value 5001"), 1);
    EXPECT_EQ(PrintedLimits(lines), (std::vector<long>{190, 950, 1900}))
        << "pondering: 25 moves to spread the clock over, no move overhead";
    // The chances of UCI_ShowWDL on every scored line once asked for (a mate found is a sure win), until
    // switched off; a value the option cannot take leaves it as it was.
    for (const std::string show : {"", "true", "perhaps", "false"}) {
        if (!show.empty()) engine.Send("setoption name uci_showwdl value " + show);
        lines = engine.Go("fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "go depth 3");
        auto count = [&](const char *word) {
            return std::ranges::count_if(lines, [&](const std::string &l) { return l.find(word) != l.npos; });
        };
        const auto scored = count(" score "), chances = count(" wdl ");
        const bool shown = show == "true" || show == "perhaps";
        EXPECT_TRUE(scored > 0 && chances == (shown ? scored : 0)) << show << "\n" << Joined(lines);
        EXPECT_EQ(Count(lines, "info string bad value"), show == "perhaps" ? 1 : 0) << show;
        EXPECT_EQ(Joined(lines).find(" score mate 1 wdl 1000 0 0 ") != std::string::npos, shown) << show;
    }
}
