// Syzygy tables through the binary: the settings in both protocols and "Morvane.ini" (how many tables were
// found, warnings for paths that hold none, an engine that goes on), and games from four-piece endings.
#include <gtest/gtest.h>

#include "RequiredPackage.h"
#include "e2e/EngineProcess.h"
#include "tablebase/Syzygy.h"

using namespace e2e;

namespace {

const std::string Tables = std::string(MORVANE_TEST_DATA) + "/syzygy";

class SyzygyOptions : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!SyzygyCompiledIn) SKIP_WITHOUT_PACKAGE("built without Fathom (libfathom-dev)");
    }
};
using SyzygyGames = SyzygyOptions;

} // namespace

TEST_F(SyzygyOptions, UciLoadsReportsAndGoesOnAfterBadPaths) {
    UciEngine engine;
    const std::string tooLong = "/" + std::string(5000, 'x');
    for (const std::string &value :
         {Tables, std::string("/no/such/folder"), tooLong + ":" + Tables, std::string("<empty>")})
        engine.Send("setoption name SyzygyPath value " + value);
    for (const char *c : {"SyzygyProbeLimit value 8", "SyzygyProbeDepth value 0", "Syzygy50MoveRule value perhaps",
                          "SyzygyProbeLimit value 5", "syzygy50moverule value false"})
        engine.Send(std::string("setoption name ") + c);
    EXPECT_EQ(
        engine.Ready(),
        (Lines{"info string found 9 Syzygy tables", "info string WARNING: Syzygy folder /no/such/folder does not exist",
               "info string WARNING: no Syzygy tables found in /no/such/folder",
               "info string WARNING: Syzygy folder name longer than the system allows (5001 characters), "
               "not used",
               "info string found 9 Syzygy tables", "info string Syzygy tables off",
               "info string bad value, the option keeps its value: name SyzygyProbeLimit value 8",
               "info string bad value, the option keeps its value: name SyzygyProbeDepth value 0",
               "info string bad value, the option keeps its value: name Syzygy50MoveRule value perhaps", "readyok"}));
}

TEST_F(SyzygyOptions, XboardTakesEgtpathAndOptions) {
    XboardEngine engine;
    EXPECT_EQ(Count(engine.intro, "feature sigint=0 sigterm=0 reuse=1 colors=0 egt=\"nalimov,syzygy\""), 1);
    for (const char *option :
         {"feature option=\"SyzygyPath -path \"", "feature option=\"SyzygyProbeDepth -spin 1 1 100\"",
          "feature option=\"SyzygyProbeLimit -spin 7 0 7\"", "feature option=\"Syzygy50MoveRule -check 1\""})
        EXPECT_EQ(Count(engine.intro, option), 1) << option;
    EXPECT_EQ(engine.Run({"egtpath syzygy " + Tables, "egtpath syzygy /no/such/folder", "option SyzygyPath=" + Tables,
                          "option SyzygyProbeLimit=9", "option Syzygy50MoveRule=0"}),
              (Lines{"found 9 Syzygy tables", "WARNING: Syzygy folder /no/such/folder does not exist",
                     "WARNING: no Syzygy tables found in /no/such/folder", "found 9 Syzygy tables",
                     "Error (bad argument): option SyzygyProbeLimit=9"}));
}

// The optional keys: read when there (a depth out of range clamped), tables loaded at start-up; the file
// written on a first start keeps its six lines.
TEST_F(SyzygyOptions, ConfigurationFileKeys) {
    const std::pair<std::string, Lines> cases[] = {
        {"SyzygyPath " + Tables + "\nSyzygyProbeDepth 3\n",
         {"found 9 Syzygy tables", "feature option=\"SyzygyProbeDepth -spin 3 1 100\""}},
        {"SyzygyPath /no/such/folder\nSyzygyProbeDepth 1000\n",
         {"WARNING: no Syzygy tables found in /no/such/folder", "feature option=\"SyzygyProbeDepth -spin 100 1 100\""}},
        {"", {}}};
    for (const auto &[keys, expected] : cases) {
        EngineProcess engine(false);
        if (!keys.empty()) engine.WriteFile("Morvane.ini", "BookLearn FALSE\nHash 8\n" + keys);
        ASSERT_TRUE(engine.Start());
        const Lines lines = engine.ReadStartup();
        EXPECT_EQ(Count(lines, "found ") + Count(lines, "WARNING: no Syzygy"), int(expected.size()) / 2) << keys;
        for (const std::string &line : expected)
            EXPECT_EQ(Count(lines, line), 1) << Joined(lines);
        EXPECT_EQ(engine.Quit(), 0);
        EXPECT_TRUE(!keys.empty() || engine.ReadFile("Morvane.ini").find("Syzygy") == std::string::npos);
    }
}

// The engine with the tables (White) against itself without converts the long wins (bishop and knight, queen
// against rook) within the fifty-move rule; after each of its moves the tables, read here on their own, must
// still see the win.
TEST_F(SyzygyGames, WinsAreConvertedWithinFiftyMoves) {
    ASSERT_TRUE(referee::Setup(StartPosition));
    ASSERT_EQ(SyzygyInit(Tables).tables, 9);
    for (const std::string fen : {"8/8/8/3k4/8/8/8/KBN5 w - - 0 1", "8/8/3k4/8/8/3r4/8/4K2Q w - - 0 1"}) {
        SCOPED_TRACE(fen);
        UciEngine engines[2];
        engines[White].Send("setoption name SyzygyPath value " + Tables);
        engines[White].Ready();
        ASSERT_TRUE(referee::Setup(fen));
        ASSERT_EQ(SyzygyProbeWdl(White, 0), SyzygyWin);
        std::string moves;
        int plies = 0;
        for (int quiet = 0; plies < 100 && !referee::LegalMoves().empty(); ++plies) {
            const uint32_t side = SideToMove;
            const std::string position = "fen " + fen + (moves.empty() ? "" : " moves" + moves);
            const std::string move =
                BestMoveOf(engines[side].Go(position, side ? "go movetime 60" : "go movetime 200"));
            const uint64_t pawns = PawnHashKey;
            const int32_t material = Material;
            ASSERT_TRUE(referee::Play(move)) << "no legal move " << move << " after" << moves;
            moves += " " + move;
            quiet = PawnHashKey != pawns || Material != material ? 0 : quiet + 1; // a pawn moved, or a capture
            EXPECT_LT(quiet, 100) << moves;
            const SyzygyWdl wdl = SyzygyProbeWdl(SideToMove, EpSquare);
            EXPECT_TRUE(side == Black || wdl == SyzygyNoAnswer || wdl == SyzygyLoss) << "a win let go:" << moves;
        }
        EXPECT_TRUE(SideToMove == Black && RootInCheck && referee::LegalMoves().empty()) << "not mated:" << moves;
        std::printf("%s: mate after %d plies\n", fen.c_str(), plies);
    }
    SyzygyInit("");
}
