// The search with Syzygy tables: where the search probes and the fifty-move rule.
#include "search/SyzygySearch.h"
#include "RequiredPackage.h"
#include "search/SearchTestSupport.h"
#include "tablebase/Syzygy.h"

namespace {

struct SyzygySearch : testing::Test {
    void SetUp() override {
        if (!SyzygyCompiledIn) SKIP_WITHOUT_PACKAGE("built without Fathom (libfathom-dev)");
        EnsureSearchReady();
        ASSERT_EQ(SyzygyInit(std::string(MORVANE_TEST_DATA) + "/syzygy").tables, 9);
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
        EXPECT_TRUE(!c.probed || TbHits > 0) << c.what; // (the others may probe deeper, with fewer pieces)
        EXPECT_GT(s, 0) << c.what;
    }
    SyzygyInit("");
    EXPECT_FALSE(InWinBand(SearchScore(fen, 3))) << "no tables";
}

// Bishop and knight against Kd5 after sixty plies without a capture: the
// mate, some thirty moves away, comes too late for the fifty-move rule. (The
// root's choice among the table moves is played out through the binary.)
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
        EXPECT_TRUE(rule ? BestScore == 0 : InWinBand(BestScore)) << BestScore;
        GamePly = 0;
    }
}
