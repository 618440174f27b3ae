// The UCI commands an interface uses to play and analyse: the limits of
// "go", stop, ponderhit, isready and quit during a search, options, and what
// the output looks like.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/RefereeBoard.h"
#include "e2e/UciEngine.h"

namespace {

using Lines = std::vector<std::string>;

bool HasPrefix(const std::string &line, const std::string &prefix) { return line.rfind(prefix, 0) == 0; }

int CountPrefix(const Lines &lines, const std::string &prefix) {
    int n = 0;
    for (const std::string &l : lines)
        n += HasPrefix(l, prefix);
    return n;
}

// The largest "info depth D" seen.
int DeepestIteration(const Lines &lines) {
    int deepest = 0;
    for (const std::string &l : lines)
        if (HasPrefix(l, "info depth ")) deepest = std::max(deepest, std::stoi(l.substr(11)));
    return deepest;
}

// Values of "info string timeN = V".
std::vector<long> PrintedLimits(const Lines &lines) {
    std::vector<long> limits;
    for (const std::string &l : lines)
        if (HasPrefix(l, "info string time")) limits.push_back(std::stol(l.substr(l.find("= ") + 2)));
    return limits;
}

bool IsLegalIn(const char *fen, const std::string &move) { return referee::Setup(fen) && referee::Play(move); }

struct Started : UciEngine {
    Started() {
        bool found = false;
        ReadUntilPrefix("uciok", &found);
        EXPECT_TRUE(found);
    }
    ~Started() {
        if (Running()) {
            Send("quit");
            EXPECT_EQ(WaitExit(), 0);
        }
    }
};

const char Middlegame[] = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9";

// Searches that end by themselves: each limit of "go" is kept, and the result
// comes without "stop".
TEST(UciCommands, LimitedSearchesAnswerOnTheirOwn) {
    Started engine;
    struct Case {
        std::string go;
        int maxDepth; // 0: not checked
    } cases[] = {
        {"go depth 4", 4},
        {"go nodes 20000", 0},
        {"go movetime 300", 0},
        {"go wtime 2000 btime 2000 winc 100 binc 100", 0},
        {"go wtime 60000 btime 60000 movestogo 1", 0},
        {"go btime 5000 wtime 1 binc 0", 0}, // only the side to move's clock counts
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.go);
        engine.Send(std::string("position fen ") + Middlegame);
        engine.Send(c.go);
        bool found = false;
        const bool longSearch = c.go.find("movestogo 1") != std::string::npos;
        Lines lines = engine.AwaitBestMove(longSearch ? 1000 : EngineProcess::DefaultTimeoutMs, &found);
        if (longSearch) {
            // A whole minute for one move: "stop" ends it.
            EXPECT_FALSE(found);
            engine.Send("stop");
            lines = engine.AwaitBestMove(EngineProcess::DefaultTimeoutMs, &found);
        }
        ASSERT_TRUE(found);
        EXPECT_TRUE(IsLegalIn(Middlegame, BestMoveOf(lines))) << lines.back();
        if (c.maxDepth) {
            EXPECT_EQ(DeepestIteration(lines), c.maxDepth);
        }
    }
    // "movetime" is a hard limit; its printed limits stay just below it.
    engine.Send(std::string("position fen ") + Middlegame);
    engine.Send("go movetime 1000");
    Lines lines = engine.AwaitBestMove();
    for (long limit : PrintedLimits(lines)) {
        EXPECT_LE(limit, 100);
        EXPECT_GE(limit, 90);
    }
}

TEST(UciCommands, NodeLimitIsKept) {
    Started engine;
    engine.Send(std::string("position fen ") + Middlegame);
    engine.Send("go nodes 5000");
    Lines lines = engine.AwaitBestMove();
    for (const std::string &l : lines) {
        size_t at = l.find(" nodes ");
        if (!HasPrefix(l, "info depth ") || at == std::string::npos) continue;
        EXPECT_LE(std::stoull(l.substr(at + 7)), 6000u) << l;
    }
}

TEST(UciCommands, SearchmovesRestrictsTheRoot) {
    Started engine;
    for (const char *only : {"a2a3", "h2h4", "b1a3"}) {
        engine.Send("position startpos");
        engine.Send(std::string("go depth 5 searchmoves ") + only);
        EXPECT_EQ(BestMoveOf(engine.AwaitBestMove()), only);
    }
    engine.Send("position startpos");
    engine.Send("go depth 4 searchmoves g1h3 b1c3 depth 3");
    Lines lines = engine.AwaitBestMove();
    std::string best = BestMoveOf(lines);
    EXPECT_TRUE(best == "g1h3" || best == "b1c3") << best;
    EXPECT_EQ(DeepestIteration(lines), 3) << "parameters after the move list are read";
}

// "go infinite" and "go ponder" never answer on their own; isready is
// answered during them without ending them.
TEST(UciCommands, InfiniteAndPonderWaitForTheInterface) {
    Started engine;
    struct Case {
        const char *go;
        const char *end; // "stop" or "ponderhit"
    } cases[] = {
        {"go infinite", "stop"},
        {"go depth 2 infinite", "stop"}, // the depth is reached long before
        {"go ponder wtime 100000 btime 100000", "stop"},
        {"go ponder wtime 100000 btime 100000", "ponderhit"},
        {"go ponder wtime 3000 btime 3000 depth 2", "ponderhit"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.go) + " / " + c.end);
        engine.Send("position startpos moves e2e4");
        engine.Send(c.go);
        bool early = false;
        Lines lines = engine.ReadUntilPrefix("bestmove", &early, 700);
        EXPECT_FALSE(early);
        bool ready = false;
        Lines more = engine.Ready(&ready);
        EXPECT_TRUE(ready);
        EXPECT_EQ(CountPrefix(more, "bestmove"), 0) << "isready ended the search";
        engine.Send(c.end);
        bool found = false;
        more = engine.AwaitBestMove(EngineProcess::DefaultTimeoutMs, &found);
        ASSERT_TRUE(found);
        EXPECT_TRUE(IsLegalIn("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", BestMoveOf(more)));
        // A stop after the search has ended does nothing.
        engine.Send("stop");
        engine.Send("ponderhit");
        more = engine.Ready();
        EXPECT_EQ(CountPrefix(more, "bestmove"), 0);
    }
}

TEST(UciCommands, PonderHitTurnsIntoTheTimedSearch) {
    Started engine;
    engine.Send("position startpos moves e2e4");
    engine.Send("go ponder wtime 2000 btime 2000");
    bool early = false;
    engine.ReadUntilPrefix("bestmove", &early, 500);
    EXPECT_FALSE(early);
    engine.Send("ponderhit");
    // About a second and a half on the clock: the answer comes without "stop".
    bool found = false;
    Lines lines = engine.AwaitBestMove(EngineProcess::DefaultTimeoutMs, &found);
    EXPECT_TRUE(found);
}

TEST(UciCommands, QuitEndsTheProcessDuringASearch) {
    for (const char *go : {"go infinite", "go wtime 100000 btime 100000", "go ponder wtime 9000 btime 9000"}) {
        SCOPED_TRACE(go);
        UciEngine engine;
        engine.Identification();
        engine.Send("position startpos");
        engine.Send(go);
        engine.ReadUntilPrefix("info depth 3");
        engine.Send("quit");
        EXPECT_EQ(engine.WaitExit(), 0);
    }
}

// Mate is shown as mate, a position without moves gives "0000", and the
// expected reply is offered with the move.
TEST(UciCommands, ScoresAndSpecialResults) {
    Started engine;
    struct Case {
        const char *position;
        const char *best;    // expected bestmove, "" = any legal
        const char *score;   // a text the last info line must hold
        bool ponderExpected; // a reply exists
    } cases[] = {
        {"fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8", " score mate 1 ", false},
        {"fen 3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", "d8d1", " score mate 1 ", false},
        {"fen 1r6/8/8/8/8/8/P4k2/7K w - - 0 1", "", " score mate -1 ", true},
        {"fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "0000", nullptr, false},    // stalemate
        {"fen R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", "0000", nullptr, false}, // checkmated
        {"startpos", "", " score cp ", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.position);
        engine.Send(std::string("position ") + c.position);
        engine.Send("go depth 5");
        bool found = false;
        Lines lines = engine.AwaitBestMove(EngineProcess::DefaultTimeoutMs, &found);
        ASSERT_TRUE(found);
        if (*c.best) {
            EXPECT_EQ(BestMoveOf(lines), c.best);
        }
        if (c.score) {
            std::string last;
            for (const std::string &l : lines)
                if (l.find(" pv ") != std::string::npos) last = l;
            EXPECT_NE(last.find(c.score), std::string::npos) << last;
            for (const char *field : {" depth ", " time ", " nodes ", " hashfull ", " pv "})
                EXPECT_NE(last.find(field), std::string::npos) << field << " missing: " << last;
        }
        EXPECT_EQ(!PonderMoveOf(lines).empty(), c.ponderExpected) << lines.back();
        for (const std::string &l : lines)
            EXPECT_TRUE(HasPrefix(l, "info ") || HasPrefix(l, "bestmove ")) << "not a UCI line: " << l;
    }
}

// What the xboard dialogue would print (clock limits, results of replayed
// moves) is no UCI output.
TEST(UciCommands, OnlyUciLinesAreWritten) {
    Started engine;
    engine.Send("position startpos moves f2f3 e7e5 g2g4 d8h4");
    engine.Send("position startpos moves g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 e2e4");
    engine.Send("go wtime 3000 btime 3000");
    Lines lines = engine.AwaitBestMove();
    // What the lower layers say on their own: a new hash size, an unreadable
    // position.
    engine.Send("setoption name Hash value 2");
    engine.Send("position fen 8/8/8/8 w - - 0 1");
    engine.Send("setoption name TbCache value 0");
    Lines more = engine.Ready();
    EXPECT_EQ(CountPrefix(more, "info string Hash size 2 Mbytes"), 1);
    EXPECT_EQ(CountPrefix(more, "info string ERROR: "), 1);
    lines.insert(lines.end(), more.begin(), more.end());
    EXPECT_EQ(CountPrefix(lines, "info string time1 = "), 1);
    for (const std::string &l : lines)
        EXPECT_TRUE(HasPrefix(l, "info ") || HasPrefix(l, "bestmove ") || l == "readyok") << l;
}

TEST(UciCommands, OptionsTakeEffect) {
    Started engine;
    // Case does not matter; names may hold blanks.
    for (const char *line : {"setoption name hash value 1", "setoption name Clear Hash",
                             "setoption name OwnBook value false", "setoption name Ponder value true",
                             "setoption name TbPath value /nonexistent", "setoption name TbCache value 2"}) {
        engine.Send(line);
    }
    Lines lines = engine.Ready();
    for (const std::string &l : lines)
        EXPECT_EQ(l.find("unknown option"), std::string::npos) << l;
    engine.Send("setoption name NoSuchThing value 3");
    lines = engine.Ready();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(HasPrefix(lines.front(), "info string ")) << lines.front();
    // Pondering on: the clock is spread over 25 moves instead of 33.
    engine.Send("ucinewgame");
    engine.Send("position startpos");
    engine.Send("go wtime 100000 btime 100000");
    std::vector<long> limits = PrintedLimits(engine.AwaitBestMove());
    ASSERT_EQ(limits.size(), 3u);
    EXPECT_EQ(limits[0], (10000 - 500) / 50);
}

// More search threads: announced, set, and the search still answers with a
// legal move at the depth asked for, and again after going back to one.
TEST(UciCommands, ThreadsOption) {
    UciEngine engine;
    bool found = false;
    const Lines intro = engine.ReadUntilPrefix("uciok", &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(CountPrefix(intro, "option name Threads type spin default 1 min 1 max "), 1);
    for (const char *threads : {"2", "1"}) {
        SCOPED_TRACE(threads);
        engine.Send(std::string("setoption name Threads value ") + threads);
        engine.Send(std::string("position fen ") + Middlegame);
        engine.Send("go depth 6");
        const Lines out = engine.AwaitBestMove(60000, &found);
        ASSERT_TRUE(found);
        EXPECT_EQ(DeepestIteration(out), 6);
        std::istringstream words(out.back());
        std::string word, move;
        words >> word >> move;
        EXPECT_TRUE(IsLegalIn(Middlegame, move)) << move;
    }
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

} // namespace
