// The search with Syzygy tables: the score band of table results, where the
// search probes, the root's choice of moves and the fifty-move rule.
#include "search/SyzygySearch.h"
#include "RequiredPackage.h"
#include "eval/Evaluate.h"
#include "search/SearchTestSupport.h"
#include "tablebase/Syzygy.h"

namespace {

const std::string Tables = std::string(MORVANE_TEST_DATA) + "/syzygy";

class SyzygySearch : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!SyzygyCompiledIn) SKIP_WITHOUT_PACKAGE("built without Fathom (libfathom-dev)");
        EnsureSearchReady();
        ASSERT_EQ(SyzygyInit(Tables).tables, 9);
    }
    void TearDown() override {
        SyzygyInit("");
        Syzygy50MoveRule = true;
        SyzygyProbeDepth = 1;
        SetSyzygyProbeLimit(SyzygyProbeLimitMax);
        DepthLimit = 0;
    }
    // The score (White's view) of a search of fen to `depth` plies.
    static int32_t SearchScore(const char *fen, uint32_t depth) {
        SetUpSearch(fen);
        DepthLimit = depth;
        TbHits = 0;
        ThinkQuietly();
        return SideToMove == White ? BestScore : -BestScore;
    }
    static bool InWinBand(int32_t s) { return s > SyzygyWinBandLow && s <= SyzygyWinValue; }
};

} // namespace

// Table results sit between the evaluations and the mates, for either colour
// and any ply; the fifty-move rule decides what a spoiled win is worth.
TEST_F(SyzygySearch, TableScoresHaveABandOfTheirOwn) {
    // Eight queens against a bare king: more than a real game reaches.
    SetUpSearch("k7/8/8/8/8/8/2QQQ2K/2QQQQQ1 w - -");
    EXPECT_LT(Evaluate(White, -MateValue, MateValue), SyzygyWinBandLow);
    for (int32_t ply = 0; ply <= MaxSearchPly; ply += 7) {
        const int32_t win = SyzygyScore(SyzygyWin, White, ply);
        EXPECT_TRUE(InWinBand(win)) << ply;
        EXPECT_LE(win, MateBound); // a mate, even the longest, counts for more
        EXPECT_EQ(SyzygyScore(SyzygyWin, Black, ply), -win);
        EXPECT_EQ(SyzygyScore(SyzygyLoss, White, ply), -win);
        EXPECT_EQ(SyzygyScore(SyzygyDraw, Black, ply), 0);
        EXPECT_GT(SyzygyScore(SyzygyWin, White, ply), SyzygyScore(SyzygyWin, White, ply + 1)); // sooner is better
    }
    for (const bool rule : {true, false}) {
        Syzygy50MoveRule = rule;
        EXPECT_EQ(SyzygyScore(SyzygyCursedWin, White, 3), rule ? 0 : SyzygyScore(SyzygyWin, White, 3));
        EXPECT_EQ(SyzygyScore(SyzygyBlessedLoss, Black, 3), rule ? 0 : SyzygyScore(SyzygyLoss, Black, 3));
    }
}

// Five pieces, out of the tables; taking the pawn leads into a won queen
// against rook ending, which only the tables know for certain: the root
// score is a table win exactly when that ending is probed. Each row changes
// one condition of the probe.
TEST_F(SyzygySearch, NodesProbeAfterCapturesWithinTheLimits) {
    const char *fen = "r3k3/8/8/8/8/8/3p4/3QK3 w - -";
    const struct {
        const char *what;
        const char *fen;
        int32_t limit, depth;
        bool probed;
    } cases[] = {
        {"tables", fen, 7, 1, true},
        {"piece limit below the ending", fen, 3, 1, false},
        {"probe depth beyond the search", fen, 7, 20, false},
        {"a castling right left", "r3k3/8/8/8/8/8/3p4/3QK3 w q -", 7, 1, false},
    };
    for (const auto &c : cases) {
        SetSyzygyProbeLimit(c.limit);
        SyzygyProbeDepth = c.depth;
        const int32_t s = SearchScore(c.fen, 3);
        EXPECT_EQ(InWinBand(s), c.probed) << c.what << ": " << s;
        if (c.probed) { // (the others may probe deeper, with fewer pieces)
            EXPECT_GT(TbHits, 0u) << c.what;
        }
        EXPECT_GT(s, 0) << c.what;
    }
    SyzygyInit("");
    EXPECT_FALSE(InWinBand(SearchScore(fen, 3))) << "no tables";
}

// Bishop and knight against Kd5: Be4 would give the bishop away; the root
// keeps the twelve winning moves, the fastest win first, and plays one.
TEST_F(SyzygySearch, RootKeepsOnlyTheMovesThatKeepTheResult) {
    const int32_t s = SearchScore("8/8/8/3k4/8/8/8/KBN5 w - -", 4);
    EXPECT_EQ(RootMoveCount, 12);
    EXPECT_TRUE(InWinBand(s)) << s;
    const Move m = PVTable[0][0];
    ASSERT_TRUE(MakeMove(White, 0, 0, m));
    EXPECT_EQ(SyzygyProbeWdl(Black, 0), SyzygyLoss) << MoveText(m);
    UnmakeMove(White, m);

    // Lost: all moves lose, the longest defence is played.
    SearchScore("8/8/8/3k4/8/8/8/KBN5 b - -", 4);
    EXPECT_LT(BestScore, -SyzygyWinBandLow);
    EXPECT_GT(RootMoveCount, 1);
}

// The same ending after sixty plies without a capture: the mate, some thirty
// moves away, comes too late for the fifty-move rule.
TEST_F(SyzygySearch, FiftyMoveRuleTurnsASpoiledWinIntoADraw) {
    for (const bool rule : {true, false}) {
        Syzygy50MoveRule = rule;
        SetUpSearch("8/8/8/3k4/8/8/8/KBN5 w - -");
        for (uint32_t i = 1; i <= 60; ++i)
            PositionHistory[i] = HistoryEntry{i, ~i, 0};
        GamePly = 60;
        EXPECT_EQ(RootFiftyMoveCount(), 60u);
        DepthLimit = 4;
        ThinkQuietly();
        if (rule)
            EXPECT_EQ(BestScore, 0);
        else
            EXPECT_TRUE(InWinBand(BestScore)) << BestScore;
        GamePly = 0;
    }
}
