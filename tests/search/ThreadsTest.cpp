// Search threads: the setting, one thread searching exactly as before, and
// helpers that search alongside the main thread without disturbing it and
// never outlive its search.
#include "search/SearchTestSupport.h"

#include <chrono>

#include "board/MoveGenerator.h"
#include "search/Threads.h"

namespace {

// Restores one search thread whatever a test leaves behind.
struct ThreadsTest : testing::Test {
    void TearDown() override {
        SetSearchThreads(1);
        DepthLimit = 0;
        AnalyzeMode = 0;
        FixedTimeMode = 0;
    }
};

struct Outcome {
    Move move;
    uint64_t nodes;
    int32_t score;
    bool operator==(const Outcome &) const = default;
};

// A fixed-depth search of fen from a cleared search memory.
Outcome SearchToDepth(const char *fen, uint32_t depth) {
    SetUpSearch(fen);
    AnalyzeMode = 1; // no time limit: the depth alone ends the search
    DepthLimit = depth;
    SearchStartTime = MonotonicMilliseconds();
    const Move m = ThinkQuietly();
    return {m, NodeCount + QuiesceNodeCount, BestScore};
}

bool IsLegalMove(Move m) {
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, SideInCheck(SideToMove), EpSquare);
    for (MoveEntry *e = list; e < end; ++e) {
        if (e->move != m) continue;
        if (!MakeMove(SideToMove, SideInCheck(SideToMove), 0, m)) return false;
        UnmakeMove(SideToMove, m);
        return true;
    }
    return false;
}

const char *const Positions[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 b - - 0 1",
};

TEST_F(ThreadsTest, SettingIsClampedToTheSupportedRange) {
    const struct {
        int32_t asked, kept;
    } cases[] = {{-3, 1}, {0, 1}, {1, 1}, {2, 2}, {MaxSearchThreads, MaxSearchThreads}, {100000, MaxSearchThreads}};
    for (const auto &c : cases) {
        SetSearchThreads(c.asked);
        EXPECT_EQ(SearchThreads(), c.kept) << c.asked;
    }
}

TEST_F(ThreadsTest, OneThreadSearchesAsIfHelpersHadNeverRun) {
    for (const char *fen : Positions) {
        SetSearchThreads(1);
        const Outcome before = SearchToDepth(fen, 6);
        SetSearchThreads(3);
        SearchToDepth(fen, 6);
        SetSearchThreads(1);
        const Outcome after = SearchToDepth(fen, 6);
        EXPECT_EQ(before, after) << fen;
    }
}

TEST_F(ThreadsTest, HelpersLeaveTheMainPositionAndReturnALegalMove) {
    SetSearchThreads(2);
    for (const char *fen : Positions) {
        SetUpSearch(fen);
        const uint64_t key = HashKey;
        const int32_t material = Material;
        const Outcome o = SearchToDepth(fen, 7);
        EXPECT_EQ(RunningHelpers(), 0) << fen;
        EXPECT_EQ(HashKey, key) << fen;
        EXPECT_EQ(Material, material) << fen;
        EXPECT_TRUE(IsLegalMove(o.move)) << fen;
    }
}

TEST_F(ThreadsTest, TimedSearchStopsItsHelpers) {
    SetSearchThreads(2);
    SetUpSearch(Positions[1]);
    FixedTimeMode = 1;
    NextPollCheck = 0; // poll the clock from the first node on
    testing::internal::CaptureStdout();
    AllocateTime();
    TimeLimit1 = TimeLimit2 = TimeLimit3 = 20; // centiseconds
    SearchStartTime = MonotonicMilliseconds();
    const auto start = std::chrono::steady_clock::now();
    const Move m = ThinkSide(SideToMove);
    testing::internal::GetCapturedStdout();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(RunningHelpers(), 0);
    EXPECT_TRUE(IsLegalMove(m));
    EXPECT_LT(seconds, 60.0) << "the helpers held the search up";
}

TEST_F(ThreadsTest, MatedPositionStartsNoHelpers) {
    SetSearchThreads(4);
    SetUpSearch("7k/8/8/8/8/8/1r6/r5K1 w - -");
    EXPECT_EQ(ThinkQuietly(), 0u);
    EXPECT_EQ(RunningHelpers(), 0);
}

} // namespace
