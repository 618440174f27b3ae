// Games from four-piece endings: the engine with Syzygy tables against
// itself without. It converts the long wins (bishop and knight, queen
// against rook) within the fifty-move rule; after every move the tables,
// read here on their own, judge the position.
#include <gtest/gtest.h>

#include "RequiredPackage.h"
#include "e2e/EngineProcess.h"
#include "tablebase/Syzygy.h"

using namespace e2e;

namespace {

const std::string Tables = std::string(MORVANE_TEST_DATA) + "/syzygy";

struct Outcome {
    bool mated = false;         // the side to move at the end is mated
    uint32_t loser = 2;         // who, when mated
    int plies = 0;              // moves played
    int longestQuiet = 0;       // the longest run of plies without a capture or pawn move
    bool tablesDropped = false; // the tabled side's result got worse after its own move
    std::string moves;
};

// Plays up to maxPlies from fen; the engine of `tabledSide` has the tables.
Outcome Play(const std::string &fen, uint32_t tabledSide, int maxPlies) {
    UciEngine engines[2];
    engines[tabledSide].Send("setoption name SyzygyPath value " + Tables);
    engines[tabledSide].Ready();
    EXPECT_TRUE(referee::Setup(fen));
    const int startRank = SyzygyResultRank(SyzygyProbeWdl(SideToMove, EpSquare));
    const int tabledStart = SideToMove == tabledSide ? startRank : -startRank; // the tabled side's result
    Outcome o;
    for (int quiet = 0; o.plies < maxPlies; ++o.plies) {
        const uint32_t side = SideToMove;
        if (referee::LegalMoves().empty()) {
            o.mated = RootInCheck;
            o.loser = side;
            break;
        }
        UciEngine &engine = engines[side];
        engine.Send("position fen " + fen + (o.moves.empty() ? "" : " moves" + o.moves));
        engine.Send(side == tabledSide ? "go movetime 200" : "go movetime 60");
        const std::string text = BestMoveOf(engine.AwaitBestMove());
        const uint64_t pawns = PawnHashKey;
        const int32_t material = Material;
        if (!referee::Play(text)) {
            ADD_FAILURE() << "no legal move " << text << " after" << o.moves;
            break;
        }
        o.moves += " " + text;
        quiet = PawnHashKey != pawns || Material != material ? 0 : quiet + 1; // a pawn moved, or a capture
        o.longestQuiet = std::max(o.longestQuiet, quiet);
        if (side == tabledSide) {
            // The tabled side just moved: its result for the opponent to move.
            const SyzygyWdl wdl = SyzygyProbeWdl(SideToMove, EpSquare);
            if (wdl != SyzygyNoAnswer && -SyzygyResultRank(wdl) < tabledStart) o.tablesDropped = true;
        }
    }
    return o;
}

class SyzygyGames : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!SyzygyCompiledIn) SKIP_WITHOUT_PACKAGE("built without Fathom (libfathom-dev)");
        ASSERT_TRUE(referee::Setup(StartPosition));
        ASSERT_EQ(SyzygyInit(Tables).tables, 9);
    }
    void TearDown() override { SyzygyInit(""); }
};

} // namespace

TEST_F(SyzygyGames, WinsAreConvertedWithinFiftyMoves) {
    for (const char *fen : {"8/8/8/3k4/8/8/8/KBN5 w - - 0 1", "8/8/3k4/8/8/3r4/8/4K2Q w - - 0 1"}) {
        ASSERT_TRUE(referee::Setup(fen));
        ASSERT_EQ(SyzygyProbeWdl(White, 0), SyzygyWin) << fen;
        const Outcome o = Play(fen, White, 100);
        EXPECT_TRUE(o.mated && o.loser == Black) << fen << ":" << o.moves;
        EXPECT_LT(o.longestQuiet, 100) << fen;
        EXPECT_FALSE(o.tablesDropped) << fen << ":" << o.moves;
        std::printf("%s: mate after %d plies\n", fen, o.plies);
    }
}
