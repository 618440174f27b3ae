// Analysis as interfaces drive it: several principal variations, bounds,
// excluded root moves, the move overhead, and the developer commands of UCI.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <set>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

// White wins the black queen with Nxh4: the best move is beyond doubt.
const char QueenHangs[] = "rnb1kbnr/pppp1ppp/8/4p3/4P2q/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";

// The value after `key` in a UCI info line ("" when absent).
std::string Field(const std::string &line, const std::string &key) {
    const std::string padded = " " + line + " ";
    const size_t at = padded.find(" " + key + " ");
    if (at == std::string::npos) return "";
    const size_t start = at + key.size() + 2;
    return padded.substr(start, padded.find(' ', start) - start);
}

int ScoreOf(const std::string &line) { // centipawns; mates far beyond any
    const std::string cp = Field(line, "cp");
    if (!cp.empty()) return std::stoi(cp);
    const int mate = std::stoi(Field(line, "mate"));
    return mate > 0 ? 100000 - mate : -100000 - mate;
}

// The last info line of each multipv number at `depth`.
std::map<int, std::string> LinesAtDepth(const Lines &lines, int depth) {
    std::map<int, std::string> last;
    for (const std::string &l : lines)
        if (StartsWith(l, "info depth " + std::to_string(depth) + " ") && !Field(l, "multipv").empty())
            last[std::stoi(Field(l, "multipv"))] = l;
    return last;
}

// The principal variation of an xboard thinking line: after its tab.
std::string XboardPv(const std::string &line) {
    const size_t tab = line.find('\t');
    return tab == std::string::npos ? "" : line.substr(tab + 1);
}
int XboardDepth(const std::string &line) { return std::atoi(line.c_str()); }
bool IsXboardThinking(const std::string &line) { return line.find('\t') != std::string::npos && XboardDepth(line) > 0; }

} // namespace

TEST(Analysis, SeveralLinesAreDistinctLegalOrderedAndTheFirstIsTheSingleLineChoice) {
    UciEngine engine;
    engine.Send("setoption name MultiPV value 3");
    engine.Send(std::string("position fen ") + QueenHangs);
    engine.Send("go depth 5");
    const Lines lines = engine.AwaitBestMove();
    const std::map<int, std::string> last = LinesAtDepth(lines, 5);
    ASSERT_EQ(last.size(), 3u) << Joined(lines);
    std::set<std::string> firstMoves;
    int previous = 1000000;
    for (const auto &[k, line] : last) {
        const std::string move = Field(line, "pv");
        EXPECT_TRUE(referee::IsLegalIn(QueenHangs, move)) << line;
        firstMoves.insert(move);
        EXPECT_LE(ScoreOf(line), previous) << "ordered by score: " << line;
        previous = ScoreOf(line);
        EXPECT_EQ(Field(line, "lowerbound") + Field(line, "upperbound"), "") << "a final line is exact";
        EXPECT_FALSE(line.ends_with(" ")) << line;
        EXPECT_GE(std::stoi(Field(line, "seldepth")), 5) << line;
    }
    EXPECT_EQ(firstMoves.size(), 3u) << Joined(lines);
    EXPECT_EQ(Field(last.at(1), "pv"), "f3h4");
    EXPECT_EQ(BestMoveOf(lines), "f3h4");

    // One line, from a cleared memory: the same choice, and a single line per report.
    engine.Send("setoption name MultiPV value 1");
    engine.Send("ucinewgame");
    engine.Send(std::string("position fen ") + QueenHangs);
    engine.Send("go depth 5");
    const Lines single = engine.AwaitBestMove();
    EXPECT_EQ(BestMoveOf(single), "f3h4");
    EXPECT_EQ(LinesAtDepth(single, 5).size(), 1u);
    EXPECT_EQ(Field(LinesAtDepth(single, 5).at(1), "pv"), "f3h4");
    // Every line complete; no bare depth line, no blank at the end.
    for (const std::string &l : single) {
        if (!StartsWith(l, "info depth ")) continue;
        for (const char *key : {"seldepth", "multipv", "nodes", "nps", "hashfull", "time", "pv"})
            EXPECT_NE(Field(l, key), "") << key << " missing: " << l;
        EXPECT_FALSE(l.ends_with(" ")) << l;
    }
}

TEST(Analysis, AFailHighLineCarriesItsBound) {
    UciEngine engine;
    engine.Send("ucinewgame"); // the first window lies around 0; taking the queen scores far above it
    engine.Send(std::string("position fen ") + QueenHangs);
    engine.Send("go depth 3");
    const Lines lines = engine.AwaitBestMove();
    bool lower = false;
    for (const std::string &l : lines)
        if (StartsWith(l, "info depth 1 ") && l.find(" lowerbound ") != std::string::npos)
            lower = Field(l, "pv") == "f3h4" && ScoreOf(l) > 31;
    EXPECT_TRUE(lower) << Joined(lines);
}

TEST(Analysis, LinesNeverOutnumberTheLegalMoves) {
    UciEngine engine;
    engine.Send("setoption name MultiPV value 256");
    engine.Send("position fen 7k/8/8/8/8/8/6PP/7K w - - 0 1"); // 5 legal moves
    engine.Send("go depth 3");
    const Lines lines = engine.AwaitBestMove();
    EXPECT_EQ(LinesAtDepth(lines, 3).size(), 5u) << Joined(lines);
}

TEST(Analysis, SearchmovesLimitsTheRootAndAnEmptyListMeansAll) {
    UciEngine engine;
    const std::tuple<const char *, std::set<std::string>> cases[] = {
        {"searchmoves a2a3 b2b3", {"a2a3", "b2b3"}},
        {"searchmoves 0000", {"f3h4"}}, // python-style "all moves"
        {"searchmoves", {"f3h4"}},
        {"searchmoves e2e5 h7h5", {"f3h4"}}, // no legal move named: all
    };
    for (const auto &[moves, allowed] : cases) {
        engine.Send(std::string("position fen ") + QueenHangs);
        engine.Send(std::string("go depth 3 ") + moves);
        const std::string best = BestMoveOf(engine.AwaitBestMove());
        EXPECT_TRUE(allowed.count(best)) << moves << ": " << best;
    }
}

TEST(Analysis, XboardExcludesAndIncludesRootMoves) {
    Lines intro;
    XboardEngine engine;
    const Lines features = engine.Run({"protover 2"}); // the features came at start-up already
    (void)features;
    auto analyseTo = [&](int depth, std::string *firstMove) {
        engine.Send("analyze");
        Lines lines =
            engine.ReadUntil([&](const std::string &l) { return IsXboardThinking(l) && XboardDepth(l) >= depth; });
        engine.Send("exit");
        engine.Sync();
        *firstMove = lines.empty() ? "" : XboardPv(lines.back()).substr(0, 4);
        for (const std::string &l : lines)
            if (IsXboardThinking(l)) {
                EXPECT_FALSE(XboardPv(l).empty()) << l;
            }
        return lines;
    };
    std::string first;
    engine.Send(std::string("setboard ") + QueenHangs);
    analyseTo(4, &first);
    EXPECT_EQ(first, "f3h4");

    // Excluded: never a first move of the analysis; several at once; the errors name the command.
    EXPECT_EQ(engine.Run({"exclude f3h4", "exclude d2d4", "exclude e2e5", "exclude nonsense", "include a7a6"}),
              (Lines{"Error (illegal move): exclude e2e5", "Error (bad argument): exclude nonsense",
                     "Error (illegal move): include a7a6"}));
    Lines lines = analyseTo(4, &first);
    for (const std::string &l : lines)
        if (IsXboardThinking(l)) {
            EXPECT_NE(XboardPv(l).substr(0, 4), "f3h4") << l;
        }
    EXPECT_NE(first, "d2d4");
    EXPECT_NE(first, "");
    // Included again, it is found again.
    engine.Send("include f3h4");
    analyseTo(4, &first);
    EXPECT_EQ(first, "f3h4");
    // "exclude all" leaves nothing to search; "include all" brings every move back.
    engine.Send("exclude all");
    engine.Send("analyze");
    const Lines none = engine.Sync();
    EXPECT_EQ(std::count_if(none.begin(), none.end(), IsXboardThinking), 0) << Joined(none);
    engine.Send("exit");
    engine.Send("include all");
    analyseTo(3, &first);
    EXPECT_EQ(first, "f3h4");
    // A new position starts with every move searched.
    engine.Send("exclude f3h4");
    engine.Send(std::string("setboard ") + QueenHangs);
    analyseTo(3, &first);
    EXPECT_EQ(first, "f3h4");
}

TEST(Analysis, XboardThinkingLinesShowTheExtraFieldsAndBounds) {
    XboardEngine engine;
    engine.Send("new");
    engine.Send(std::string("setboard ") + QueenHangs);
    engine.Send("post");
    engine.Send("sd 3");
    engine.Send("go");
    const Lines lines = engine.ReadUntilPrefix("move ");
    bool failHigh = false;
    for (const std::string &l : lines) {
        if (!IsXboardThinking(l)) continue;
        // depth score time nodes, then selective depth, speed and table hits, then the tab.
        std::istringstream fields(l.substr(0, l.find('\t')));
        std::vector<long long> numbers;
        for (long long n; fields >> n;)
            numbers.push_back(n);
        EXPECT_EQ(numbers.size(), 7u) << l;
        failHigh |= l.ends_with("!");
    }
    EXPECT_TRUE(failHigh) << "taking the queen fails high over the first window: " << Joined(lines);
}

TEST(Analysis, MoveOverheadShortensASetTimePerMove) {
    UciEngine engine;
    auto search = [&](const char *overhead, long *limit) {
        engine.Send(std::string("setoption name Move Overhead value ") + overhead);
        engine.Send("position startpos");
        const auto start = Clock::now();
        engine.Send("go movetime 1500");
        const Lines lines = engine.AwaitBestMove();
        *limit = -1;
        for (const std::string &l : lines)
            if (StartsWith(l, "info string time1 = ")) *limit = std::stol(l.substr(20));
        return Since(start);
    };
    long plain = 0, shortened = 0, kept = 0;
    const int64_t plainTime = search("0", &plain);
    const int64_t shortTime = search("800", &shortened);
    EXPECT_EQ(plain - shortened, 80) << "800 ms come off the limit (in centiseconds)";
    EXPECT_LT(shortTime, plainTime) << "the shortened search ends first";
    // A bad value leaves the old one: still 800.
    engine.Send("setoption name Move Overhead value 5001");
    const Lines answer = engine.Ready();
    EXPECT_EQ(Count(answer, "info string bad value"), 1) << Joined(answer);
    engine.Send("position startpos");
    engine.Send("go movetime 1500");
    for (const std::string &l : engine.AwaitBestMove())
        if (StartsWith(l, "info string time1 = ")) kept = std::stol(l.substr(20));
    EXPECT_EQ(kept, shortened);
}

TEST(Analysis, GoPerftSumsToThePublishedCount) {
    // The second position of the perft suite, with its published count at depth 3.
    std::ifstream suite(MORVANE_TEST_DATA "/perftsuite.epd");
    std::string line;
    for (int i = 0; i < 2; ++i)
        std::getline(suite, line);
    const std::string fen = line.substr(0, line.find(" ;"));
    const size_t d3 = line.find(";D3 ");
    ASSERT_NE(d3, std::string::npos);
    const uint64_t known = std::stoull(line.substr(d3 + 4));

    UciEngine engine;
    engine.Send("position fen " + fen);
    engine.Send("go perft 3");
    const Lines lines = engine.ReadUntilPrefix("Nodes searched: ");
    uint64_t sum = 0;
    std::set<std::string> moves;
    for (const std::string &l : lines) {
        const size_t colon = l.find(": ");
        if (colon == std::string::npos || StartsWith(l, "Nodes")) continue;
        EXPECT_TRUE(referee::IsLegalIn(fen, l.substr(0, colon))) << l;
        moves.insert(l.substr(0, colon));
        sum += std::stoull(l.substr(colon + 2));
    }
    ASSERT_TRUE(referee::Setup(fen));
    EXPECT_EQ(moves.size(), referee::LegalMoves().size());
    EXPECT_EQ(sum, known);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Nodes searched: " + std::to_string(known));
    // Bad depths get a line and no count; a huge one is cut.
    for (const char *bad : {"go perft", "go perft -2", "go perft x"})
        engine.Send(bad);
    const Lines refused = engine.Ready();
    EXPECT_EQ(Count(refused, "info string go perft needs a depth"), 3) << Joined(refused);
    EXPECT_EQ(Count(refused, "Nodes searched"), 0);
    engine.Send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"); // stalemate: even the cut depth is quick
    engine.Send("go perft 99999999999");
    const Lines cut = engine.ReadUntilPrefix("Nodes searched: ");
    EXPECT_EQ(Count(cut, "info string perft depth 99999999999 cut to "), 1) << Joined(cut);
    EXPECT_EQ(cut.back(), "Nodes searched: 0");
}

TEST(Analysis, DisplayAndEvalInUci) {
    const std::string fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    XboardEngine xboard;
    xboard.Send("setboard " + fen);
    const Lines score = xboard.Run({"score"});
    ASSERT_EQ(score.size(), 1u);

    UciEngine engine;
    engine.Send("position fen " + fen + " moves e1g1 a6e2");
    engine.Send("d");
    engine.Send("eval");
    Lines lines = engine.Ready();
    EXPECT_EQ(Count(lines, "Fen: r3k2r/p1ppqpb1/1n2pnp1/3PN3/1p2P3/2N2Q1p/PPPBbPPP/R4RK1 w kq - 0 2"), 1)
        << Joined(lines);
    engine.Send("position fen " + fen);
    engine.Send("eval");
    lines = engine.Ready();
    EXPECT_EQ(Count(lines, "Static evaluation: " + score[0] + " "), 1)
        << "the same as xboard's score: " << Joined(lines);
}

TEST(Analysis, NoInfoBeforeUciok) {
    Lines intro;
    UciEngine engine(&intro);
    EXPECT_EQ(Count(intro, "info"), 0) << Joined(intro);
    EXPECT_EQ(Count(intro, "option name MultiPV type spin default 1 min 1 max 256"), 1) << Joined(intro);
    EXPECT_EQ(Count(intro, "option name Move Overhead type spin default 10 min 0 max 5000"), 1) << Joined(intro);
}

// Every new reader gets junk: option values (the strength ones with searches at
// whatever level they leave), perft depths, excluded moves. The
// engine answers each with a line or takes it, and goes on.
TEST(AnalysisFuzz, JunkArgumentsNeverStopTheEngine) {
    const std::vector<std::string> junk = {
        "",     "0",     "-1",   "257",  "5001", "abc", "3x",    "+2", "99999999999999999999",
        "1",    "2",     "e2e4", "e7e5", "a1a1", "all", "e2e4q", "\t", "x y z",
        "true", "false", "1400", "2400"};
    // Depths that count quickly or are refused.
    const std::vector<std::string> depths = {"",   "0", "-1", "abc",   "3x",
                                             "+2", "1", "2",  "x y z", "-99999999999999999999"};
    std::mt19937 rng(2026);
    auto pick = [&] { return junk[rng() % junk.size()]; };
    UciEngine uci;
    for (int i = 0; i < 200; ++i) {
        switch (rng() % 6) {
        case 0:
            uci.Send("setoption name MultiPV value " + pick());
            break;
        case 1:
            uci.Send("setoption name Move Overhead value " + pick());
            break;
        case 2:
            uci.Send("go perft " + depths[rng() % depths.size()]);
            break;
        case 3:
            uci.Send("setoption name UCI_Elo value " + pick());
            break;
        case 4:
            uci.Send(std::string(rng() % 2 ? "setoption name UCI_LimitStrength value "
                                           : "setoption name UCI_ShowWDL value ") +
                     pick());
            break;
        default:
            uci.Send("go depth 2 searchmoves " + pick() + " " + pick());
            break;
        }
        if (i % 20 == 19) {
            bool ready = false;
            uci.Ready(&ready);
            ASSERT_TRUE(ready) << "after round " << i;
        }
    }
    XboardEngine xboard;
    for (int i = 0; i < 100; ++i) {
        if (i % 25 == 0) xboard.Send(i % 50 ? "analyze" : "exit");
        xboard.Send((rng() % 2 ? "exclude " : "include ") + pick());
        if (i % 7 == 3) xboard.Send(std::string(rng() % 2 ? "option Elo=" : "option Limit Strength=") + pick());
        if (i % 10 == 9) {
            bool synced = false;
            xboard.Sync(&synced);
            ASSERT_TRUE(synced) << "after round " << i;
        }
    }
    xboard.Send("exit");
}
