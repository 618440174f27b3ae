// The search shows everything through its host: with recording hooks in place it writes nothing to
// standard output, and the hooks see the iterations, the root moves and the limits as they happen.
#include <set>

#include "search/SearchHost.h"
#include "search/SearchTestSupport.h"

namespace {

struct Recorded {
    std::vector<uint32_t> iterations;                    // of each thinking line
    std::vector<std::pair<int32_t, Move>> lines;         // line number and first move of each exact thinking line
    std::vector<std::pair<uint32_t, int32_t>> rootMoves; // iteration, move number
    int limits = 0, settledAsks = 0;
    bool settle = false;
    int laterMoveBeatLastLine = 0; // fail highs of moves behind the lines, from the third iteration on
};
Recorded Record;

uint32_t Nothing() { return 0; } // no input, no repetition
void Thinking(int32_t, const char *marker) {
    Record.iterations.push_back(IterationDepth);
    if (marker == nullptr) Record.lines.emplace_back(CurrentLine, PVTable[0][0]);
    if (marker != nullptr && std::strcmp(marker, ":)") == 0 && PrincipalLineCount > 1 && IterationDepth >= 3 &&
        RootMoveNumber > PrincipalLineCount)
        ++Record.laterMoveBeatLastLine;
}
void RootMove(int32_t number, Move) { Record.rootMoves.emplace_back(IterationDepth, number); }
void Limits() { ++Record.limits; }
void Message(const char *) {}
bool Settled(Move, int32_t) { return ++Record.settledAsks, Record.settle; }

// Installs the recording hooks for each test and the shell's again after it.
struct SearchOutput : testing::Test {
    void SetUp() override {
        Record = Recorded{};
        SkipBook = 1; // a book move would end the search unsearched
        SearchHost = {Nothing, Thinking, RootMove, Limits, Message, Nothing, Settled};
    }
    void TearDown() override {
        SearchHost = saved;
        SkipBook = UciMode = FixedTimeMode = DepthLimit = 0;
        MultiPV = 1;
        // Searches leave null-move marks in the history past the game; tests that build one expect it clean.
        std::memset(PositionHistory, 0, sizeof PositionHistory);
    }
    const SearchHooks saved = SearchHost;
};

} // namespace

TEST_F(SearchOutput, EveryLineGoesThroughTheHooks) {
    SetUpSearch("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
    UciMode = 1; // the mode in which the search used to print on its own
    DepthLimit = 4;
    EXPECT_EQ(Output([] { AllocateTime(), ThinkSide(SideToMove); }), "");
    EXPECT_TRUE(std::is_sorted(Record.iterations.begin(), Record.iterations.end()));
    EXPECT_EQ(std::set<uint32_t>(Record.iterations.begin(), Record.iterations.end()), (std::set<uint32_t>{1, 2, 3, 4}))
        << "lines from every iteration";
    EXPECT_EQ(Record.limits, 1);
    // Each iteration tries all 27 legal moves of the position, numbered 1, 2, 3, ... without a gap.
    std::vector<std::pair<uint32_t, int32_t>> numbered;
    for (uint32_t iteration = 1; iteration <= 4; ++iteration)
        for (int32_t number = 1; number <= 27; ++number)
            numbered.emplace_back(iteration, number);
    EXPECT_EQ(Record.rootMoves, numbered);
    EXPECT_EQ(Record.settledAsks, 0) << "only test runs (fixed time) ask for a settled answer";
}

TEST_F(SearchOutput, ASettledRightAnswerEndsAFixedTimeSearch) {
    SetUpSearch("6k1/5ppp/8/8/8/8/8/R5K1 w - -");
    FixedTimeMode = 1;
    EngineClock = 100000; // far more than a mate in one needs
    Record.settle = true;
    ThinkQuietly();
    EXPECT_EQ(Record.settledAsks, 1);
    EXPECT_EQ(IterationDepth, 1u) << "the first iteration's answer ends the search";
}

TEST_F(SearchOutput, LinesStayDistinctAndOrderedWhenLaterMovesBeatTheLastLine) {
    // Quiet and tactical positions of both colours, where moves behind the
    // lines keep beating the last one as the search deepens.
    const char *const positions[] = {
        "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
        "1k5r/pppbn1pp/4q1r1/1P3p2/2NPp3/1QP5/P4PPP/R1B1R1K1 w - -",
        "3r2k1/1p1b1pp1/pq5p/8/3NR3/2PQ3P/PP3PP1/6K1 b - -",
        "r4rk1/ppp2ppp/2n5/2bqp3/8/P2PB3/1PP1NPPP/R2Q1RK1 w - -",
        "8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - -",
    };
    for (const char *fen : positions)
        for (int32_t lines : {2, 3, 5}) {
            SCOPED_TRACE(std::string(fen) + ", " + std::to_string(lines) + " lines");
            SetUpSearch(fen);
            MultiPV = lines;
            DepthLimit = 6;
            const Move played = ThinkQuietly();
            EXPECT_EQ(ExtraLateMoveReduction, 0) << "a distant line's reductions stay in its own tree";
            ASSERT_EQ(PrincipalLineCount, lines);
            EXPECT_EQ(PrincipalLines[0].moves[0], played);
            EXPECT_EQ(PVTable[0][0], played);
            const int32_t sign = SideToMove == White ? 1 : -1; // scores are White's view
            std::set<Move> firsts;
            for (int32_t k = 0; k < lines; ++k) {
                firsts.insert(PrincipalLines[k].moves[0]);
                EXPECT_TRUE(k == 0 || sign * PrincipalLines[k - 1].score >= sign * PrincipalLines[k].score) << k;
                // The last report holds every line once, in order, with its own move.
                EXPECT_EQ(Record.lines.at(Record.lines.size() - size_t(lines - k)),
                          std::make_pair(k, PrincipalLines[k].moves[0]));
            }
            EXPECT_EQ(firsts.size(), size_t(lines));
        }
    EXPECT_GT(Record.laterMoveBeatLastLine, 0) << "no later move ever beat the last line: the positions test nothing";
}
