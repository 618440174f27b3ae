// Analysis as interfaces drive it: several principal variations, bounds, excluded root moves, and the
// developer commands of UCI.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
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
        if (l.starts_with("info depth " + std::to_string(depth) + " ") && !Field(l, "multipv").empty())
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

TEST(Analysis, SeveralLinesAreDistinctLegalAndOrderedButNeverMoreThanTheLegalMoves) {
    UciEngine engine;
    // Asked for, the lines shown; the last one has only 5 legal moves.
    for (const auto &[asked, fen, shown] :
         {std::tuple{3, std::string(QueenHangs), 3u}, {256, std::string("7k/8/8/8/8/8/6PP/7K w - - 0 1"), 5u}}) {
        engine.Send("setoption name MultiPV value " + std::to_string(asked));
        const Lines lines = engine.Go("fen " + fen, "go depth 5");
        const std::map<int, std::string> last = LinesAtDepth(lines, 5);
        ASSERT_EQ(last.size(), shown) << Joined(lines);
        std::set<std::string> firstMoves;
        int previous = 1000000;
        for (const auto &[k, line] : last) {
            const std::string move = Field(line, "pv");
            EXPECT_TRUE(referee::IsLegalIn(fen, move)) << line;
            firstMoves.insert(move);
            EXPECT_LE(ScoreOf(line), previous) << "ordered by score: " << line;
            previous = ScoreOf(line);
            EXPECT_EQ(Field(line, "lowerbound") + Field(line, "upperbound"), "") << "a final line is exact";
        }
        EXPECT_EQ(firstMoves.size(), shown) << Joined(lines);
        EXPECT_EQ(Field(last.at(1), "pv"), BestMoveOf(lines));
        EXPECT_TRUE(asked != 3 || BestMoveOf(lines) == "f3h4") << "Nxh4 wins the queen";
    }
}

TEST(Analysis, XboardExcludesAndIncludesRootMoves) {
    XboardEngine engine;
    // The first moves of the thinking lines of an analysis to `depth` (0: what it shows at once), the
    // last one's first.
    auto firstMoves = [&](int depth) {
        engine.Send("analyze");
        Lines lines =
            depth
                ? engine.ReadUntil([&](const std::string &l) { return IsXboardThinking(l) && XboardDepth(l) >= depth; })
                : engine.Sync();
        engine.Run({"exit"});
        std::vector<std::string> moves;
        for (const std::string &l : lines)
            if (IsXboardThinking(l)) moves.insert(moves.begin(), XboardPv(l).substr(0, 4));
        return moves;
    };
    engine.Send(std::string("setboard ") + QueenHangs);
    EXPECT_EQ(firstMoves(4).at(0), "f3h4");
    // Excluded: never a first move of the analysis; several at once; the errors name the command.
    EXPECT_EQ(engine.Run({"exclude f3h4", "exclude d2d4", "exclude e2e5", "exclude nonsense", "include a7a6"}),
              (Lines{"Error (illegal move): exclude e2e5", "Error (bad argument): exclude nonsense",
                     "Error (illegal move): include a7a6"}));
    for (const std::string &move : firstMoves(4))
        EXPECT_TRUE(move != "f3h4" && move != "d2d4") << move;
    // Included again, it is found again; "exclude all" leaves nothing to search, "include all" brings
    // every move back, and so does a new position.
    engine.Send("include f3h4");
    EXPECT_EQ(firstMoves(4).at(0), "f3h4");
    engine.Send("exclude all");
    EXPECT_EQ(firstMoves(0), std::vector<std::string>{});
    engine.Send("include all");
    EXPECT_EQ(firstMoves(3).at(0), "f3h4");
    engine.Send("exclude f3h4");
    engine.Send(std::string("setboard ") + QueenHangs);
    EXPECT_EQ(firstMoves(3).at(0), "f3h4");
}

TEST(Analysis, XboardThinkingLinesShowTheExtraFieldsAndBounds) {
    XboardEngine engine;
    engine.SendRaw(std::string("new\nsetboard ") + QueenHangs + "\npost\nsd 3\ngo\n");
    const Lines lines = engine.ReadUntilPrefix("move ");
    bool failHigh = false;
    for (const std::string &l : lines) {
        if (!IsXboardThinking(l)) continue;
        // depth score time nodes, then selective depth, speed and table hits, then the tab.
        std::istringstream fields(l.substr(0, l.find('\t')));
        EXPECT_EQ(std::distance(std::istream_iterator<long long>(fields), {}), 7) << l;
        EXPECT_FALSE(XboardPv(l).empty()) << l;
        failHigh |= XboardDepth(l) == 1 && XboardPv(l).starts_with("f3h4") && l.ends_with("!");
    }
    EXPECT_TRUE(failHigh) << "taking the queen fails high over the first window: " << Joined(lines);
}

TEST(Analysis, GoPerftSumsToThePublishedCount) {
    // The second position of the perft suite, with its published count at depth 3.
    std::ifstream suite(MORVANE_TEST_DATA "/perftsuite.epd");
    std::string line;
    for (int i = 0; i < 2; ++i)
        std::getline(suite, line);
    const std::string fen = line.substr(0, line.find(" ;"));
    const std::string known = line.substr(line.find(";D3 ") + 4, line.find(" ;D4") - line.find(";D3 ") - 4);

    UciEngine engine;
    engine.Send("position fen " + fen);
    engine.Send("go perft 3");
    const Lines lines = engine.ReadUntilPrefix("Nodes searched: ");
    uint64_t sum = 0;
    size_t moves = 0;
    for (const std::string &l : lines)
        if (l.find(": ") == 4 && ++moves) sum += std::stoull(l.substr(6));
    ASSERT_TRUE(referee::Setup(fen));
    EXPECT_EQ(moves, referee::LegalMoves().size()) << "a line for each root move";
    EXPECT_EQ(std::to_string(sum), known);
    EXPECT_EQ(lines.back(), "Nodes searched: " + known);
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
    Lines lines = engine.Ready();
    EXPECT_EQ(Count(lines, "Fen: r3k2r/p1ppqpb1/1n2pnp1/3PN3/1p2P3/2N2Q1p/PPPBbPPP/R4RK1 w kq - 0 2"), 1)
        << Joined(lines);
    engine.Send("position fen " + fen);
    engine.Send("eval");
    lines = engine.Ready();
    EXPECT_EQ(Count(lines, "Static evaluation: " + score[0] + " "), 1)
        << "the same as xboard's score: " << Joined(lines);
}

// Every new reader gets junk: option values (the strength ones with searches at whatever level they leave),
// perft depths, excluded moves. The engine answers each with a line or takes it, and goes on.
TEST(AnalysisFuzz, JunkArgumentsNeverStopTheEngine) {
    const std::vector<std::string> junk = {
        "",     "0",     "-1",   "257",  "5001", "abc", "3x",    "+2", "99999999999999999999",
        "1",    "2",     "e2e4", "e7e5", "a1a1", "all", "e2e4q", "\t", "x y z",
        "true", "false", "1400", "2400"};
    // Depths that count quickly or are refused.
    const std::vector<std::string> depths = {"",   "0", "-1", "abc",   "3x",
                                             "+2", "1", "2",  "x y z", "-99999999999999999999"};
    // The UCI commands that take a junk word; a perft depth or searchmoves now and then.
    const std::vector<std::string> takers = {"setoption name MultiPV value ", "setoption name Move Overhead value ",
                                             "setoption name UCI_Elo value ", "setoption name UCI_LimitStrength value ",
                                             "setoption name UCI_ShowWDL value "};
    std::mt19937 rng(2026);
    auto pick = [&] { return junk[rng() % junk.size()]; };
    UciEngine uci;
    for (int i = 0; i < 200; ++i) {
        const size_t kind = rng() % (takers.size() + 2);
        if (kind < takers.size()) uci.Send(takers[kind] + pick());
        if (kind == takers.size()) uci.Send("go perft " + depths[rng() % depths.size()]);
        if (kind > takers.size()) uci.Send("go depth 2 searchmoves " + pick() + " " + pick());
        if (i % 20 == 19) {
            uci.Ready();
            ASSERT_TRUE(uci.Found()) << "after round " << i;
        }
    }
    XboardEngine xboard;
    for (int i = 0; i < 100; ++i) {
        if (i % 25 == 0) xboard.Send(i % 50 ? "analyze" : "exit");
        xboard.Send((rng() % 2 ? "exclude " : "include ") + pick());
        if (i % 7 == 3) xboard.Send(std::string(rng() % 2 ? "option Elo=" : "option Limit Strength=") + pick());
        if (i % 10 == 9) {
            xboard.Sync();
            ASSERT_TRUE(xboard.Found()) << "after round " << i;
        }
    }
    xboard.Send("exit");
}
