// Play at a set strength through the binary: the options and their bad
// values, a seeded level that repeats its moves, and a weak level that loses
// to a strong one in refereed games.
#include <gtest/gtest.h>

#include <random>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

// A UCI engine started on the default Morvane.ini plus `settings`.
struct UciWithSettings : EngineProcess {
    explicit UciWithSettings(const std::string &settings) {
        WriteFile("Morvane.ini", std::string(DefaultConfig) + settings);
        bool found = false;
        EXPECT_TRUE(Start());
        ReadStartup(&found);
        Send("uci");
        startup = ReadUntilPrefix("uciok", &found);
        EXPECT_TRUE(found);
    }
    ~UciWithSettings() override {
        Send("quit");
        EXPECT_EQ(WaitExit(), 0);
    }
    // The lines of a search of `position` with `go`, through "bestmove".
    Lines Search(const std::string &position, const std::string &go) {
        Send("position " + position);
        Send(go);
        bool found = false;
        Lines lines = ReadUntilPrefix("bestmove ", &found);
        EXPECT_TRUE(found) << Joined(lines);
        return lines;
    }
    std::string Move(const std::string &position, const std::string &go = "go wtime 60000 btime 60000") {
        return BestMoveOf(Search(position, go));
    }
    Lines Options(const Lines &commands) {
        for (const std::string &c : commands)
            Send(c);
        Send("isready");
        Lines lines = ReadUntilPrefix("readyok");
        if (!lines.empty()) lines.pop_back();
        return lines;
    }
    Lines startup;
};

const char *const Positions[] = {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                                 "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
                                 "r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9",
                                 "8/5pk1/6p1/3R4/5P2/6PK/r7/8 b - - 0 40",
                                 "2r3k1/pp3ppp/4p3/3n4/3P4/P4N2/1P3PPP/2R3K1 w - - 0 22"};

std::vector<std::string> MovesAtLevel(const std::string &settings) {
    UciWithSettings engine(settings);
    std::vector<std::string> moves;
    for (const char *p : Positions) {
        moves.push_back(engine.Move(std::string("fen ") + p));
        EXPECT_TRUE(referee::IsLegalIn(p, moves.back())) << p << " " << moves.back();
    }
    return moves;
}

// The thinking of a fixed-depth search, times and speeds left out.
std::string ThinkingOf(const Lines &lines) {
    std::string text;
    for (const std::string &l : lines) {
        if (!StartsWith(l, "info depth") || l.find(" pv ") == std::string::npos) continue;
        const size_t nodes = l.find(" nodes "), pv = l.find(" pv ");
        text += l.substr(0, nodes) + l.substr(pv) + "\n";
    }
    return text + lines.back() + "\n";
}

} // namespace

TEST(Strength, ASeededLevelRepeatsItsMovesAndOtherSeedsDiffer) {
    const std::string level = "LimitStrength TRUE\nElo 1400\n";
    const std::vector<std::string> first = MovesAtLevel(level + "StrengthSeed 2026\n");
    EXPECT_EQ(MovesAtLevel(level + "StrengthSeed 2026\n"), first);
    bool differs = false;
    for (int seed = 1; seed <= 4 && !differs; ++seed)
        differs = MovesAtLevel(level + "StrengthSeed " + std::to_string(seed) + "\n") != first;
    EXPECT_TRUE(differs) << "four other seeds played the same moves";
}

TEST(Strength, BadValuesGetALineAndTheLevelSwitchesBetweenMoves) {
    UciWithSettings engine("StrengthSeed 5\n");
    for (const char *line : {"option name UCI_LimitStrength type check default false",
                             "option name UCI_Elo type spin default 1800 min 1400 max 1800"})
        EXPECT_EQ(Count(engine.startup, line), 1) << Joined(engine.startup);
    const std::string middlegame = std::string("fen ") + Positions[2];

    // The level alone changes nothing: the same thinking as before it was set.
    const std::string full = ThinkingOf(engine.Search(middlegame, "go depth 6"));
    EXPECT_EQ(engine.Options({"setoption name UCI_Elo value 1400"}),
              Lines{"info string UCI_Elo 1400 applies once UCI_LimitStrength is on"});
    engine.Send("ucinewgame");
    EXPECT_EQ(ThinkingOf(engine.Search(middlegame, "go depth 6")), full);

    // Out of range: the nearest level; no number, no switch: the old value.
    const std::pair<const char *, Lines> bad[] = {
        {"setoption name UCI_Elo value 1000",
         {"info string UCI_Elo 1000 out of range (1400 to 1800), 1400 used",
          "info string UCI_Elo 1400 applies once UCI_LimitStrength is on"}},
        {"setoption name uci_elo value 99999999999999999999",
         {"info string UCI_Elo 99999999999999999999 out of range (1400 to 1800), 1800 used",
          "info string UCI_Elo 1800 applies once UCI_LimitStrength is on"}},
        {"setoption name UCI_Elo value -3",
         {"info string UCI_Elo -3 out of range (1400 to 1800), 1400 used",
          "info string UCI_Elo 1400 applies once UCI_LimitStrength is on"}},
        {"setoption name UCI_Elo value 15OO",
         {"info string bad value, the option keeps its value: name UCI_Elo value 15OO"}},
        {"setoption name UCI_Elo value", {"info string bad value, the option keeps its value: name UCI_Elo value"}},
        {"setoption name UCI_LimitStrength value maybe",
         {"info string bad value, the option keeps its value: name UCI_LimitStrength value maybe"}},
        {"setoption name UCI_LimitStrength value true", {"info string playing at Elo 1400"}},
        {"setoption name UCI_LimitStrength value true", {}},
        {"setoption name UCI_Elo value 1700", {}},
        {"setoption name UCI_LimitStrength value false", {"info string playing at full strength"}}};
    for (const auto &[command, answer] : bad)
        EXPECT_EQ(engine.Options({command}), answer) << command;

    // On and off between the moves of one game: each answer is a legal move,
    // the weak ones from a small search.
    std::string game = "startpos moves";
    for (int ply = 0; ply < 8; ++ply) {
        engine.Options({std::string("setoption name UCI_LimitStrength value ") + (ply % 2 ? "true" : "false")});
        const Lines lines = engine.Search(game, "go wtime 60000 btime 60000 movestogo 40");
        const std::string move = BestMoveOf(lines);
        ASSERT_TRUE(referee::Setup(StartPosition));
        std::istringstream played(game.substr(14));
        for (std::string m; played >> m;)
            ASSERT_TRUE(referee::Play(m));
        ASSERT_TRUE(referee::Play(move)) << game << " " << move;
        game += " " + move;
    }
}

TEST(Strength, XboardOptionsAnswerAsTheOthersDo) {
    EngineProcess engine;
    ASSERT_TRUE(engine.Start());
    const Lines features = engine.ReadStartup();
    EXPECT_EQ(Count(features, "feature option=\"Limit Strength -check 0\""), 1) << Joined(features);
    EXPECT_EQ(Count(features, "feature option=\"Elo -spin 1800 1400 1800\""), 1) << Joined(features);
    const std::pair<const char *, Lines> cases[] = {
        {"option Elo=abc", {"Error (bad argument): option Elo=abc"}},
        {"option Elo=3000",
         {"Elo 3000 out of range (1400 to 1800), 1800 used", "Elo 1800 applies once Limit Strength is on"}},
        {"option Limit Strength=2", {"Error (bad argument): option Limit Strength=2"}},
        {"option Limit Strength=1", {"playing at Elo 1800"}},
        {"option Elo=1500", {}},
        {"option Limit Strength=0", {"playing at full strength"}}};
    for (const auto &[command, answer] : cases)
        EXPECT_EQ(engine.Run({command}), answer) << command;
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

namespace {

bool IsResult(const std::string &l) {
    return StartsWith(l, "1-0 {") || StartsWith(l, "0-1 {") || StartsWith(l, "1/2-1/2 {");
}

// The move ("move X" gives X) or the result line; "" on silence or a complaint.
std::string NextMoveOrResult(EngineProcess &engine) {
    const Lines lines = engine.ReadUntil([](const std::string &l) { return StartsWith(l, "move ") || IsResult(l); });
    for (const char *complaint : {"Illegal move", "Error", "tellusererror"})
        if (Count(lines, complaint) > 0) return "";
    return lines.empty() ? "" : StartsWith(lines.back(), "move ") ? lines.back().substr(5) : lines.back();
}

// A game from the start after `opening`, players[0] White; the engines judge
// the end, the referee every move. White's points (1, 0.5, 0), or -1 when the
// game went wrong.
double PlayGame(EngineProcess *players[2], const std::string &opening, int maxPlies) {
    if (!referee::Setup(StartPosition) || !referee::Play(opening)) return -1;
    for (int i = 0; i < 2; ++i)
        players[i]->Send("new\nforce\neasy\nlevel 0 1 0\noption Resign=0\n" + opening);
    std::string last;
    for (int ply = 1; ply < maxPlies; ++ply) {
        const int side = ply % 2;
        EngineProcess &mover = *players[side];
        // A minute on each clock; the first move of each engine sets it playing its side.
        mover.Send("time 6000\notim 6000");
        mover.Send(ply <= 2 ? (ply == 2 ? last + "\ngo" : "go") : last);
        const std::string reply = NextMoveOrResult(mover);
        if (reply.empty()) return -1;
        if (IsResult(reply)) return StartsWith(reply, "1-0") ? 1 : StartsWith(reply, "0-1") ? 0 : 0.5;
        if (!referee::Play(reply)) return -1;
        last = reply;
        if (referee::LegalMoves().empty()) { // mate or stalemate: the other engine says which
            players[1 - side]->Send(last);
            const std::string result = NextMoveOrResult(*players[1 - side]);
            return StartsWith(result, "1-0") ? 1 : StartsWith(result, "0-1") ? 0 : StartsWith(result, "1/2") ? 0.5 : -1;
        }
    }
    return 0.5; // long enough: called a draw, which only helps the weak side
}

} // namespace

// "Levels apart": the weakest level against a strong one, both colours.
TEST(Strength, AWeakLevelLosesClearlyToAStrongOne) {
    double strong = 0;
    int games = 0;
    for (const char *opening : {"e2e4", "d2d4", "c2c4", "g1f3"}) {
        XboardEngine weak, good;
        weak.Run({"option Limit Strength=1", "option Elo=1400"});
        good.Run({"option Limit Strength=1", "option Elo=1800"});
        const bool goodIsWhite = games % 2 == 0;
        EngineProcess *players[2] = {goodIsWhite ? &good : &weak, goodIsWhite ? &weak : &good};
        const double white = PlayGame(players, opening, 300);
        ASSERT_GE(white, 0) << "game " << games + 1 << " went wrong";
        strong += goodIsWhite ? white : 1 - white;
        ++games;
    }
    EXPECT_GE(strong, 3.0) << "the 1800 level scored " << strong << " of " << games;
}
