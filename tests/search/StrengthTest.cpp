// Playing at a set strength: the levels order themselves by Elo, the choice
// among the lines follows its error model and cap, and a weakened search
// plays a line it searched, reproducibly, showing only the lines asked for.
#include <cmath>
#include <set>

#include "search/SearchHost.h"
#include "search/SearchTestSupport.h"
#include "search/Strength.h"
#include "search/Threads.h"

namespace {

// Thinking lines seen through the search's hook, by principal line.
std::vector<int32_t> ShownLines;
uint32_t DistantLinesReducedWhileShown = 0;
void CountLine(int32_t, const char *) {
    ShownLines.push_back(CurrentLine);
    DistantLinesReducedWhileShown |= ReduceDistantLines;
}

} // namespace

TEST(StrengthLevels, MoreEloMeansMoreNodesAndSmallerErrors) {
    StrengthLevel previous = LevelFor(MinStrengthElo);
    for (int32_t elo = MinStrengthElo + 1; elo <= MaxStrengthElo; ++elo) {
        SCOPED_TRACE(elo);
        const StrengthLevel level = LevelFor(elo);
        EXPECT_GE(level.nodes, previous.nodes);
        EXPECT_LE(level.spread, previous.spread);
        EXPECT_LE(level.lossCap, previous.lossCap);
        previous = level;
    }
    // Levels outside the range are its ends; a queen is never given away, at any level.
    const StrengthLevel low = LevelFor(MinStrengthElo), high = LevelFor(MaxStrengthElo);
    EXPECT_LT(low.lossCap, 900);
    for (int32_t outside : {INT32_MIN, 0, MinStrengthElo - 1, MaxStrengthElo + 1, 9999, INT32_MAX})
        EXPECT_EQ(LevelFor(outside).nodes, (outside < MinStrengthElo ? low : high).nodes) << outside;
}

TEST(StrengthChoice, FollowsTheErrorModelWithinTheCap) {
    const StrengthLevel exact{2000, 1000, 0, 1000};
    const StrengthLevel noisy{1400, 1000, 100, 150};
    const int rounds = 8000;
    // The lines played over that many seeds; the same seed, the same line.
    auto played = [](const int32_t(&scores)[4], const StrengthLevel &level, int seeds) {
        std::set<int32_t> lines;
        for (uint64_t seed = 0; seed < uint64_t(seeds) * 7919; seed += 7919) {
            const int32_t line = ChooseLine(scores, 4, level, seed);
            EXPECT_EQ(ChooseLine(scores, 4, level, seed), line) << seed;
            lines.insert(line);
        }
        return lines;
    };
    // Without error the best line is played, wherever it stands.
    const int32_t unordered[] = {10, -40, 75, 74};
    EXPECT_EQ(played(unordered, exact, 50), std::set<int32_t>{2});
    EXPECT_EQ(ChooseLine(unordered, 1, LevelFor(MinStrengthElo), 7), 0);

    // Two lines 100 apart, each with an error of deviation 100: the worse one wins when the difference of the
    // errors, of deviation 100 * sqrt(2), exceeds 100.
    const int32_t two[] = {0, -100};
    int worse = 0;
    for (int i = 0; i < rounds; ++i)
        worse += ChooseLine(two, 2, noisy, 0x5eed0000u + uint64_t(i)) == 1;
    EXPECT_NEAR(double(worse) / rounds, 0.5 * std::erfc(100 / (100 * 2.0)), 0.025);

    // A line past the cap is never played, one inside it sometimes.
    const int32_t blunders[] = {50, 49, -101, -400};
    EXPECT_EQ(played(blunders, noisy, rounds), (std::set<int32_t>{0, 1}));

    // Other seeds spread over the lines.
    const int32_t close[] = {0, -5, -10, -15};
    EXPECT_EQ(played(close, noisy, 200).size(), 4u);
}

// The weakest level searches more lines than it shows and plays one of them,
// the same again for the same seed and not always for others, and puts the
// user's settings back. (Its games against a stronger level are played out
// through the binary.)
TEST(StrengthLevel, SearchesLinesItDoesNotShowAndPutsTheSettingsBack) {
    const SearchHooks saved = SearchHost;
    SearchHost.printThinking = CountLine;
    SkipBook = LimitStrength = 1;
    StrengthElo = MinStrengthElo;
    StrengthSeed = 1;
    SetSearchThreads(2);
    auto play = [] {
        SetUpSearch("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9");
        return ThinkQuietly(ThinkForMove);
    };
    const Move m = play();
    ASSERT_NE(m, 0u);
    // Four lines were searched, one shown; the move is the chosen line's.
    EXPECT_EQ(PrincipalLineCount, StrengthLines);
    EXPECT_EQ(std::set<int32_t>(ShownLines.begin(), ShownLines.end()), std::set<int32_t>{0});
    EXPECT_EQ(PVTable[0][0], m);
    EXPECT_EQ(DistantLinesReducedWhileShown, 0u) << "the level was calibrated with every line searched alike";
    EXPECT_TRUE(std::any_of(PrincipalLines, PrincipalLines + PrincipalLineCount, [m](const PrincipalLine &l) {
        return l.moves[0] == m && l.score == BestScore; // White to move
    }));
    // The user's settings are back.
    EXPECT_EQ(MultiPV, 1);
    EXPECT_EQ(SearchThreads(), 2);
    EXPECT_EQ(IterationNodeLimit, 0u);
    EXPECT_EQ(ReduceDistantLines, 1u);
    EXPECT_EQ(SearchHost.printThinking, &CountLine);
    EXPECT_EQ(play(), m) << "the same seed, the same move";
    std::set<Move> chosen;
    for (StrengthSeed = 2; StrengthSeed <= 7; ++StrengthSeed)
        chosen.insert(play());
    EXPECT_GT(chosen.size(), 1u) << "no other seed ever changed the move";
    SetSearchThreads(1);
    SearchHost = saved;
    SkipBook = LimitStrength = 0;
    StrengthElo = DefaultStrengthElo;
}
