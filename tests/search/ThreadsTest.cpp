// Helper threads search beside the main thread without disturbing it, and never outlive its search.
#include <chrono>

#include "search/SearchTestSupport.h"
#include "search/Threads.h"

namespace {

struct Threads : testing::Test {
    void TearDown() override {
        SetSearchThreads(1);
        DepthLimit = AnalyzeMode = FixedTimeMode = 0;
    }
};

// Move, nodes and score of a fixed-depth search from a cleared search memory.
std::tuple<Move, uint64_t, int32_t> SearchToDepth(const char *fen, uint32_t depth) {
    SetUpSearch(fen);
    AnalyzeMode = 1; // no time limit: the depth alone ends the search
    DepthLimit = depth;
    const Move m = ThinkQuietly();
    return {m, NodeCount + QuiesceNodeCount, BestScore};
}

bool IsLegalMove(Move m) { return m != 0 && FindMove(MoveText(m)) == m && MakeMove(SideToMove, RootInCheck, 0, m); }

// The whole search, ordering and table included, is pinned by the node
// count of "morvane bench" (bench/expected-nodes.txt); here what threads add.
const char *const Positions[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 b - - 0 1",
};

} // namespace

TEST_F(Threads, SettingIsClampedToTheSupportedRange) {
    const int32_t cases[][2] = {
        {-3, 1}, {0, 1}, {1, 1}, {2, 2}, {MaxSearchThreads, MaxSearchThreads}, {100000, MaxSearchThreads}};
    for (const auto &c : cases) {
        SetSearchThreads(c[0]);
        EXPECT_EQ(SearchThreads(), c[1]) << c[0];
    }
}

TEST_F(Threads, HelpersLeaveTheMainSearchAlone) {
    for (const char *fen : Positions) {
        SetSearchThreads(1);
        const auto [m, n, s] = SearchToDepth(fen, 6);
        SetSearchThreads(3);
        SearchToDepth(fen, 6);
        SetSearchThreads(1);
        EXPECT_EQ(SearchToDepth(fen, 6), std::tuple(m, n, s)) << "one thread searches as if helpers had never run";
        SetSearchThreads(2);
        SetUpSearch(fen);
        const auto position = State();
        const Move helped = std::get<0>(SearchToDepth(fen, 7));
        EXPECT_EQ(RunningHelpers(), 0) << fen;
        EXPECT_EQ(State(), position) << fen;
        EXPECT_TRUE(IsLegalMove(helped)) << fen;
    }
}

TEST_F(Threads, TimedSearchStopsItsHelpersAndMatedPositionsStartNone) {
    SetSearchThreads(2);
    SetUpSearch(Positions[1]);
    FixedTimeMode = 1;
    NextPollCheck = 0; // poll the clock from the first node on
    Output(AllocateTime);
    TimeLimit1 = TimeLimit2 = TimeLimit3 = 20; // centiseconds
    const auto start = std::chrono::steady_clock::now();
    Move m = 0;
    Output([&] { m = ThinkSide(SideToMove); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60)) << "the helpers held the search up";
    EXPECT_EQ(RunningHelpers(), 0);
    EXPECT_TRUE(IsLegalMove(m));
    SetSearchThreads(4);
    SetUpSearch("7k/8/8/8/8/8/1r6/r5K1 w - -");
    EXPECT_EQ(ThinkQuietly(), 0u);
    EXPECT_EQ(RunningHelpers(), 0);
}
