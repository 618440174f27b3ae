// The engine as a UCI engine behind polyglot, the adapter that lets xboard
// interfaces use UCI engines. The test speaks xboard protocol 2 to polyglot
// as xboard would, and polyglot speaks UCI to the engine: the clocks arrive
// as "go wtime ... winc ...", pondering as "go ponder" with "ponderhit" or
// "stop". The opponent is the engine itself in xboard mode; the referee keeps
// both clocks and checks every move. Skipped when polyglot is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/EngineProcess.h"
#include "e2e/RefereeBoard.h"
#include "e2e/XboardEngine.h"

namespace {

// polyglot on the search path, or where Debian puts games.
std::string FindPolyglot() {
    std::vector<std::string> dirs;
    if (const char *path = std::getenv("PATH")) {
        std::stringstream s(path);
        for (std::string dir; std::getline(s, dir, ':');)
            if (!dir.empty()) dirs.push_back(dir);
    }
    dirs.push_back("/usr/games");
    for (const std::string &dir : dirs) {
        std::filesystem::path candidate = std::filesystem::path(dir) / "polyglot";
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return "";
}

// polyglot started in its own temporary directory, which also holds the
// engine's configuration file: polyglot reads "polyglot.ini" from there and
// starts the engine there (its log goes to "polyglot.log" beside it).
class PolyglotEngine : public EngineProcess {
  public:
    explicit PolyglotEngine(const std::string &polyglot, bool ponder = true) {
        WriteFile("polyglot.ini", "[PolyGlot]\n"
                                  "EngineDir = " +
                                      Dir() + "\nEngineCommand = " + BooklessBinary() +
                                      "\nLog = true\n"
                                      "LogFile = polyglot.log\n"
                                      "Book = false\n"
                                      "Resign = false\n"
                                      "[Engine]\n"
                                      "Hash = 16\n" +
                                      (ponder ? "" : "Ponder = false\n"));
        started_ = Start(polyglot);
    }
    bool Started() const { return started_; }
    // The exchange between polyglot and the engine, for failure messages.
    std::string Log() const { return ReadFile("polyglot.log"); }

  private:
    bool started_ = false;
};

// The xboard start-up: features announced up to "done=1", each accepted.
bool Handshake(EngineProcess &engine, std::vector<std::string> *features = nullptr) {
    engine.Send("xboard");
    engine.Send("protover 2");
    bool found = false;
    auto lines = engine.ReadUntil([](const std::string &l) { return l.find("done=1") != std::string::npos; }, &found);
    if (features) *features = lines;
    return found;
}

// "ping N" answered with "pong N"; lines read on the way go to *seen.
bool Pong(EngineProcess &engine, int n, std::vector<std::string> *seen = nullptr) {
    engine.Send("ping " + std::to_string(n));
    bool found = false;
    auto lines = engine.ReadUntil([&](const std::string &l) { return l == "pong " + std::to_string(n); }, &found);
    if (seen) seen->insert(seen->end(), lines.begin(), lines.end());
    return found;
}

class Polyglot : public ::testing::Test {
  protected:
    void SetUp() override {
        binary_ = FindPolyglot();
        if (binary_.empty()) GTEST_SKIP() << "polyglot is not installed";
    }
    std::string binary_;
};

// The start-up through the adapter: the features come after the engine's
// "uciok", the engine's options are offered to the interface, and "ping"
// is answered.
TEST_F(Polyglot, StartsTheEngineAndOffersItsOptions) {
    PolyglotEngine adapter(binary_);
    ASSERT_TRUE(adapter.Started());
    std::vector<std::string> features;
    ASSERT_TRUE(Handshake(adapter, &features)) << adapter.Log();
    std::string all;
    for (const std::string &l : features)
        all += l + "\n";
    EXPECT_NE(all.find("myname=\"Morvane"), std::string::npos) << all;
    // Hash becomes "memory"; the other options are passed on.
    EXPECT_NE(all.find("memory=1"), std::string::npos) << all;
    EXPECT_NE(all.find("option=\"OwnBook -check 1\""), std::string::npos) << all;
    EXPECT_NE(all.find("option=\"TbCache -spin"), std::string::npos) << all;
    EXPECT_TRUE(Pong(adapter, 7)) << adapter.Log();
    adapter.Send("quit");
    EXPECT_EQ(adapter.WaitExit(), 0);
    // The engine saw "uci" and answered it in full, with no error lines.
    const std::string log = adapter.Log();
    EXPECT_NE(log.find("uciok"), std::string::npos) << log;
    EXPECT_EQ(log.find("Error ("), std::string::npos) << log;
}

// One move from each kind of search the adapter asks for: a fixed time per
// move ("st"), a depth ("sd") and a clock with a fractional increment, from a
// position where only the en-passant capture that the FEN allows wins.
TEST_F(Polyglot, SearchesFromSetboardWithEachKindOfLimit) {
    const char *fen = "7k/8/8/3pP3/8/8/8/4K3 w - d6 0 2"; // exd6 queens first
    struct Limit {
        const char *commands[2];
        const char *goWords; // on the "go" line the engine receives
    };
    for (const Limit &limit : {Limit{{"st 1", "sd 30"}, " movetime "}, Limit{{"sd 6", "level 0 1 0"}, " depth 6"},
                               Limit{{"level 0 0:30 0.5", "sd 30"}, "go wtime 30000 btime 30000"}}) {
        SCOPED_TRACE(limit.commands[0]);
        PolyglotEngine adapter(binary_);
        ASSERT_TRUE(adapter.Started());
        ASSERT_TRUE(Handshake(adapter)) << adapter.Log();
        for (const char *c : {"new", "force", "post"})
            adapter.Send(c);
        for (const char *c : limit.commands)
            adapter.Send(c);
        adapter.Send(std::string("setboard ") + fen);
        adapter.Send("time 3000");
        adapter.Send("otim 3000");
        ASSERT_TRUE(Pong(adapter, 1)) << adapter.Log();
        adapter.Send("go");
        std::vector<std::string> complaints;
        std::string move = AwaitMoveOrResult(adapter, &complaints);
        EXPECT_TRUE(complaints.empty()) << complaints.front() << "\n" << adapter.Log();
        EXPECT_EQ(move, "e5d6") << adapter.Log();
        adapter.Send("quit");
        EXPECT_EQ(adapter.WaitExit(), 0);
        const std::string log = adapter.Log();
        const size_t go = log.find("Adapter->Engine: go ");
        ASSERT_NE(go, std::string::npos) << log;
        EXPECT_NE(log.substr(go, log.find('\n', go) - go).find(limit.goWords), std::string::npos) << log;
    }
}

constexpr int MaxPlies = 80;

// A game between the engine behind polyglot ([0], moving first) and the
// engine in xboard mode, at 5 s + 0.2 s, both pondering.
void PlayThroughPolyglot(const std::string &polyglot, const char *fen) {
    SCOPED_TRACE(fen);
    PolyglotEngine adapter(polyglot);
    EngineProcess direct;
    ASSERT_TRUE(adapter.Started());
    ASSERT_TRUE(direct.Start());
    EngineProcess *players[2] = {&adapter, &direct};
    // polyglot announces usermove=1: moves go to it after "usermove".
    const char *movePrefix[2] = {"usermove ", ""};
    for (EngineProcess *p : players) {
        ASSERT_TRUE(Handshake(*p)) << adapter.Log();
        for (const char *c : {"new", "hard", "post", "level 0 0:05 0.2", "force"})
            p->Send(c);
        p->Send(std::string("setboard ") + fen);
        ASSERT_TRUE(Pong(*p, 1)) << adapter.Log();
    }
    ASSERT_TRUE(referee::Setup(fen));
    int32_t clock[2] = {500, 500}; // centiseconds, by player
    direct.Send("playother");
    std::string history;
    std::string lastMove;
    std::vector<std::string> complaints;
    for (int ply = 0; ply < MaxPlies; ++ply) {
        EngineProcess &mover = *players[ply % 2];
        mover.Send("time " + std::to_string(clock[ply % 2]));
        mover.Send("otim " + std::to_string(clock[1 - ply % 2]));
        auto start = std::chrono::steady_clock::now();
        mover.Send(ply == 0 ? std::string("go") : movePrefix[ply % 2] + lastMove);
        std::string reply = AwaitMoveOrResult(mover, &complaints);
        int32_t used = int32_t(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() /
            10);
        ASSERT_TRUE(complaints.empty()) << complaints.front() << " after " << history << "\n" << adapter.Log();
        ASSERT_FALSE(reply.empty()) << "silent after " << history << "\n" << adapter.Log();
        if (IsResult(reply)) break;
        ASSERT_TRUE(referee::Play(reply)) << "illegal move " << reply << " after " << history << "\n" << adapter.Log();
        clock[ply % 2] -= used;
        ASSERT_GT(clock[ply % 2], 0) << "flag fell at ply " << ply << ": " << history << "\n" << adapter.Log();
        clock[ply % 2] += 20;
        history += reply + " ";
        lastMove = reply;
        // The mover ponders now; the ping is answered at once all the same.
        std::vector<std::string> seen;
        ASSERT_TRUE(Pong(mover, ply + 2, &seen)) << "no pong after " << history << "\n" << adapter.Log();
        for (const std::string &l : seen)
            EXPECT_FALSE(IsComplaint(l)) << l << " after " << history;
        if (referee::LegalMoves().empty()) break;
    }
    for (EngineProcess *p : players) {
        p->Send("result * {test over}");
        p->Send("quit");
        EXPECT_EQ(p->WaitExit(), 0);
    }
    const std::string log = adapter.Log();
    EXPECT_EQ(log.find("Error ("), std::string::npos) << log;
    EXPECT_EQ(log.find("Illegal"), std::string::npos) << log;
    // "hard" reached the engine: it pondered on the opponent's time.
    bool pondered = false;
    std::stringstream lines(log);
    for (std::string l; std::getline(lines, l);)
        pondered = pondered || (l.find("Adapter->Engine: go ") != std::string::npos && l.ends_with(" ponder"));
    EXPECT_TRUE(pondered) << log;
}

TEST_F(Polyglot, PlaysTimedGamesWithPonderingAgainstAnXboardEngine) {
    // White may take en passant at once; in the second game White has
    // given up long castling, Black short castling, and d6 can be taken.
    PlayThroughPolyglot(binary_, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
    PlayThroughPolyglot(binary_, "r3k2r/pppq1ppp/2n1bn2/2bpP3/8/2NP1N2/PPP1BPPP/R1BQK2R w Kq d6 0 8");
}

} // namespace
