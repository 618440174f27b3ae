// Refereed games between engine processes (polyglot, xboard when installed); perft through the binary.
#include <gtest/gtest.h>

#include <regex>
#include <utility>

#include "RequiredPackage.h"
#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

// White may take en passant at once; in the second White has given up long castling, Black short.
const char *const SetboardFens[] = {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
                                    "r3k2r/pppq1ppp/2n1bn2/2bpP3/8/2NP1N2/PPP1BPPP/R1BQK2R w Kq d6 0 8"};

// polyglot (xboard to UCI) set up by its own "polyglot.ini"; its log must hold no complaint.
struct Polyglot : EngineProcess {
    explicit Polyglot(const std::string &binary) {
        WriteFile("polyglot.ini", "[PolyGlot]\nEngineDir = " + Dir() + "\nEngineCommand = " + BooklessBinary() +
                                      "\nLog = true\nLogFile = polyglot.log\nBook = false\nResign = false\n"
                                      "[Engine]\nHash = 16\n");
        EXPECT_TRUE(Start(binary));
        Send("xboard\nprotover 2");
        features = Joined(ReadUntil([](const std::string &l) { return l.find("done=1") != std::string::npos; }));
    }
    ~Polyglot() override {
        EXPECT_EQ(Quit(), 0);
        EXPECT_TRUE(Log().find("Error (") == std::string::npos && Log().find("Illegal") == std::string::npos) << Log();
    }
    std::string Log() const { return ReadFile("polyglot.log"); }
    std::string features;
};

} // namespace

// From the start without increment, and Chess960 from shuffled starts (where the referee takes castling only
// as O-O / O-O-O).
TEST(XboardGames, FromTheStartAndFromShuffledStarts) {
    std::vector<Game> games;
    for (const char *opening : {"e2e4", "d2d4", "c2c4", "g1f3"})
        games.push_back({.opening = opening});
    for (const char *fen : {"bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1",
                            "nrkbbnrq/pppppppp/8/8/8/8/PPPPPPPP/NRKBBNRQ w KQkq - 0 1",
                            "1r1kr3/pppbqppp/2np1n2/4p3/4P3/2NP1N2/PPPBQPPP/1R1KR3 w EBeb - 0 8"})
        games.push_back(
            {.fen = fen, .level = "level 0 0:05 0", .base = 500, .maxPlies = 100, .variant = "fischerandom"});
    for (const Game &g : games) {
        CastlingOutput = g.variant.empty() ? KingToDestination : CastlingLetters;
        XboardEngine a, b;
        EngineProcess *players[2] = {&a, &b};
        PlayXboardGame(players, g);
    }
    CastlingOutput = KingToDestination;
}

TEST(Polyglot, OptionsLimitsAndTimedGamesAgainstAnXboardEngine) {
    std::string binary; // on the search path or where Debian puts games
    std::stringstream path(std::string(getenv("PATH") ? getenv("PATH") : "") + ":/usr/games");
    for (std::string dir; binary.empty() && std::getline(path, dir, ':');)
        binary = !dir.empty() && access((dir + "/polyglot").c_str(), X_OK) == 0 ? dir + "/polyglot" : "";
    if (binary.empty()) SKIP_WITHOUT_PACKAGE("polyglot is not installed");
    {
        // After the engine's "uciok": Hash as "memory", the other options passed on, "ping" answered.
        Polyglot adapter(binary);
        for (const char *f : {"myname=\"Morvane", "memory=1", "option=\"OwnBook -check 1\"", "option=\"TbCache -spin"})
            EXPECT_NE(adapter.features.find(f), std::string::npos) << f << " in " << adapter.features;
        EXPECT_TRUE(Pong(adapter, 7) && adapter.Log().find("uciok") != std::string::npos) << adapter.Log();
    }
    // Each kind of search the adapter asks for finds the en-passant capture the FEN allows.
    for (auto [commands, goWords] : {std::pair{"st 1\nsd 30", " movetime "},
                                     {"sd 6\nlevel 0 1 0", " depth 6"},
                                     {"level 0 0:30 0.5\nsd 30", "go wtime 30000 btime 30000"}}) {
        Polyglot adapter(binary);
        adapter.Send(std::string("new\nforce\npost\n") + commands + "\nsetboard 7k/8/8/3pP3/8/8/8/4K3 w - d6 0 2");
        ASSERT_TRUE(Pong(adapter, 1)) << adapter.Log();
        adapter.Send("time 3000\notim 3000\ngo");
        EXPECT_EQ(AwaitMoveOrResult(adapter), "e5d6") << adapter.Log();
        const std::string log = adapter.Log();
        const size_t go = log.find("Adapter->Engine: go ");
        EXPECT_NE(log.substr(go, log.find('\n', go) - go).find(goWords), std::string::npos) << log;
    }
    // Games against the engine in xboard mode from setboard positions, both pondering ("hard" reaches the
    // engine), with a fractional increment; the adapter asks for "usermove".
    for (const char *fen : SetboardFens) {
        Polyglot adapter(binary);
        XboardEngine direct;
        EngineProcess *players[2] = {&adapter, &direct};
        PlayXboardGame(players, {.fen = fen,
                                 .level = "level 0 0:05 0.2",
                                 .base = 500,
                                 .increment = 20,
                                 .ponder = true,
                                 .maxPlies = 80,
                                 .prefix = "usermove "});
        EXPECT_TRUE(std::regex_search(adapter.Log(), std::regex("Adapter->Engine: go .* ponder\n"))) << adapter.Log();
    }
}

// scripts/xboard-match.sh: xboard plays the engine against itself behind polyglot (77: not installed).
TEST(XboardMatch, XboardAndUciEnginesPlayWithoutTimeLossOrIllegalMove) {
    EngineProcess place(false); // only its directory is used
    const std::string engine = EngineProcess::BooklessBinary();
    FILE *pipe = popen(("bash '" + std::string(MORVANE_TEST_DATA) + "/../../scripts/xboard-match.sh' -g 2 -t 0:05 " +
                        "-i 0.2 -T 300 -o '" + place.Dir() + "' '" + engine + "' 'uci:" + engine + "' 2>&1")
                           .c_str(),
                       "r");
    std::string output;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = pipe ? pclose(pipe) : -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) SKIP_WITHOUT_PACKAGE(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output << "\n" << place.ReadFile("games.pgn");
    // Both engines started on a first run and wrote their configuration.
    EXPECT_TRUE(fs::exists(place.PathOf("first/Morvane.ini")) && fs::exists(place.PathOf("second/Morvane.ini")));
}
