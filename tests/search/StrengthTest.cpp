// Playing at a set strength: the levels order themselves by Elo, the choice
// among the lines follows its error model and cap, and a weakened search
// plays a line it searched, reproducibly, showing only the lines asked for.
#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "search/SearchHost.h"
#include "search/SearchTestSupport.h"
#include "search/Strength.h"
#include "search/Threads.h"

namespace {

// The chance that a line `loss` centipawns worse beats the best of two when
// each gets a normal error of deviation `spread`: the difference of the two
// errors has deviation spread * sqrt(2).
double WorseLineChance(double loss, double spread) { return 0.5 * std::erfc(loss / (spread * 2.0)); }

} // namespace

TEST(StrengthLevels, MoreEloMeansMoreNodesAndSmallerErrors) {
    StrengthLevel previous = LevelFor(MinStrengthElo);
    for (int32_t elo = MinStrengthElo + 1; elo <= MaxStrengthElo; ++elo) {
        SCOPED_TRACE(elo);
        const StrengthLevel level = LevelFor(elo);
        EXPECT_GE(level.nodes, previous.nodes);
        EXPECT_LE(level.spread, previous.spread);
        EXPECT_LE(level.lossCap, previous.lossCap);
        EXPECT_GE(level.spread, 0);
        EXPECT_GE(level.lossCap, 0);
        previous = level;
    }
    // The ends are really apart, and levels outside the range are its ends.
    const StrengthLevel low = LevelFor(MinStrengthElo), high = LevelFor(MaxStrengthElo);
    EXPECT_GE(high.nodes, 10 * low.nodes);
    EXPECT_LT(high.spread, low.spread);
    EXPECT_LT(high.lossCap, low.lossCap);
    // A queen is never given away, at any level.
    EXPECT_LT(low.lossCap, 900);
    for (int32_t outside : {INT32_MIN, 0, MinStrengthElo - 1})
        EXPECT_EQ(LevelFor(outside).nodes, low.nodes);
    for (int32_t outside : {MaxStrengthElo + 1, 9999, INT32_MAX})
        EXPECT_EQ(LevelFor(outside).nodes, high.nodes);
}

TEST(StrengthChoice, FollowsTheErrorModelWithinTheCap) {
    const StrengthLevel exact{2000, 1000, 0, 1000};
    const StrengthLevel noisy{1400, 1000, 100, 150};
    // Without error the best line is played, wherever it stands.
    const int32_t unordered[] = {10, -40, 75, 74};
    for (uint64_t seed = 0; seed < 50; ++seed)
        EXPECT_EQ(ChooseLine(unordered, 4, exact, seed), 2);
    EXPECT_EQ(ChooseLine(unordered, 1, LevelFor(MinStrengthElo), 7), 0);

    // Two lines 100 apart: the worse one wins as often as the normal law says.
    const int32_t two[] = {0, -100};
    const int rounds = 8000;
    int worse = 0;
    for (int i = 0; i < rounds; ++i)
        worse += ChooseLine(two, 2, noisy, 0x5eed0000u + uint64_t(i)) == 1;
    EXPECT_NEAR(double(worse) / rounds, WorseLineChance(100, 100), 0.025);

    // A line past the cap is never played, one inside it sometimes.
    const int32_t blunders[] = {50, 49, -101, -400};
    std::set<int32_t> played;
    for (int i = 0; i < rounds; ++i)
        played.insert(ChooseLine(blunders, 4, noisy, uint64_t(i) * 7919));
    EXPECT_EQ(played, (std::set<int32_t>{0, 1}));

    // The same seed, the same line; other seeds spread over the lines.
    const int32_t close[] = {0, -5, -10, -15};
    std::set<int32_t> seen;
    for (uint64_t seed = 1; seed < 200; ++seed) {
        const int32_t line = ChooseLine(close, 4, noisy, seed);
        EXPECT_EQ(ChooseLine(close, 4, noisy, seed), line);
        seen.insert(line);
    }
    EXPECT_EQ(seen.size(), 4u);
}

namespace {

// Thinking lines seen through the search's hook, by principal line.
std::vector<int32_t> ShownLines;
void CountLine(int32_t, const char *) { ShownLines.push_back(CurrentLine); }

struct LevelFixture : testing::Test {
    SearchHooks saved = SearchHost;
    void SetUp() override {
        SkipBook = 1;
        SearchHost.printThinking = CountLine;
        ShownLines.clear();
        LimitStrength = 1;
        StrengthElo = MinStrengthElo;
        StrengthSeed = 1;
    }
    void TearDown() override {
        SearchHost = saved;
        SkipBook = 0;
        LimitStrength = 0;
        StrengthElo = DefaultStrengthElo;
    }
    Move Play(const char *fen) {
        SetUpSearch(fen);
        testing::internal::CaptureStdout();
        AllocateTime();
        const Move m = ThinkForMove(SideToMove);
        testing::internal::GetCapturedStdout();
        return m;
    }
};

// White to move can take a queen for nothing; so can Black in the second.
const char QueenHangs[] = "r1b1kbnr/pppp1ppp/2n5/4p3/4P2q/5N2/PPPP1PPP/RNBQKB1R w KQkq - 4 4";
const char QueenHangsToAKnight[] = "4k3/pppp4/8/8/8/1n6/PPPP4/Q3K3 b - - 0 1";

} // namespace

TEST_F(LevelFixture, TheWeakestLevelStillTakesAFreeQueen) {
    for (uint64_t seed = 1; seed <= 12; ++seed) {
        StrengthSeed = seed * 0x9e3779b97f4a7c15ull;
        EXPECT_EQ(MoveText(Play(QueenHangs)), "f3h4") << seed;
        EXPECT_EQ(MoveText(PVTable[0][0]), "f3h4");
        EXPECT_EQ(MoveText(Play(QueenHangsToAKnight)), "b3a1") << seed;
    }
}

TEST_F(LevelFixture, SearchesLinesItDoesNotShowAndPutsTheSettingsBack) {
    const char middlegame[] = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9";
    MultiPV = 1;
    NodeLimit = 0;
    SetSearchThreads(2);
    const Move m = Play(middlegame);
    ASSERT_NE(m, 0u);
    // Four lines were searched, one shown; the move is the chosen line's.
    EXPECT_EQ(PrincipalLineCount, StrengthLines);
    EXPECT_FALSE(ShownLines.empty());
    EXPECT_EQ(*std::max_element(ShownLines.begin(), ShownLines.end()), 0);
    EXPECT_EQ(PVTable[0][0], m);
    bool found = false;
    for (int32_t k = 0; k < PrincipalLineCount; ++k)
        if (PrincipalLines[k].moves[0] == m) found = BestScore == PrincipalLines[k].score; // White to move
    EXPECT_TRUE(found);
    // The user's settings are back.
    EXPECT_EQ(MultiPV, 1);
    EXPECT_EQ(SearchThreads(), 2);
    SetSearchThreads(1);
    EXPECT_EQ(NodeLimit, 0u);
    EXPECT_EQ(IterationNodeLimit, 0u);
    EXPECT_EQ(SearchHost.printThinking, &CountLine);

    // The last iteration started within the budget and ended past it: one
    // iteration less stays below it.
    const uint64_t budget = LevelFor(MinStrengthElo).nodes;
    const uint32_t depth = IterationDepth;
    EXPECT_GE(NodeCount + QuiesceNodeCount, budget);
    ASSERT_GT(depth, 1u);
    DepthLimit = depth - 1;
    Play(middlegame);
    DepthLimit = 0;
    EXPECT_LT(NodeCount + QuiesceNodeCount, budget);
    // A stronger level searches deeper.
    StrengthElo = MaxStrengthElo;
    Play(middlegame);
    EXPECT_GT(IterationDepth, depth);
    StrengthElo = MinStrengthElo;

    // Asked for two lines, it shows two.
    MultiPV = 2;
    ShownLines.clear();
    Play(middlegame);
    EXPECT_EQ(*std::max_element(ShownLines.begin(), ShownLines.end()), 1);
    MultiPV = 1;
}

TEST_F(LevelFixture, SameSeedSameMoveAndOffMeansTheFullSearch) {
    const char *const fens[] = {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                                "r2qkb1r/ppp2ppp/2np1n2/4p3/2B1P1b1/2NP1N2/PPP2PPP/R1BQK2R w KQkq - 2 6",
                                "8/5pk1/6p1/3R4/5P2/6PK/r7/8 b - - 0 40"};
    std::set<Move> different;
    for (const char *fen : fens) {
        SCOPED_TRACE(fen);
        for (uint64_t seed : {11u, 12u, 13u, 14u, 15u, 16u}) {
            StrengthSeed = seed;
            const Move first = Play(fen);
            EXPECT_EQ(Play(fen), first);
            different.insert(first);
        }
    }
    EXPECT_GT(different.size(), std::size(fens)) << "no seed ever changed a move";

    // Off, the choice is the plain search's, at any set Elo.
    LimitStrength = 0;
    DepthLimit = 5;
    for (const char *fen : fens) {
        SetUpSearch(fen);
        const Move full = ThinkQuietly();
        EXPECT_EQ(Play(fen), full);
        EXPECT_EQ(PrincipalLineCount, 1);
    }
    DepthLimit = 0;
}
