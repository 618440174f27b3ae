// The main-book builder: move texts, weights of known games, options, runs
// that must leave an existing book alone; both converters on damaged text.
#include "book/BookTestSupport.h"

using namespace booktest;

namespace {

class BookBuilderTest : public ScratchDir {
  protected:
    // Builds "out.book" from game texts (files games1.pgn, ...), loads it when written, returns the
    // messages; expect: 1 written, 0 not, -1 either way (`built` tells).
    std::string Build(std::vector<std::string> files, int expect = 1) {
        for (size_t i = 0; i < files.size(); ++i) {
            WriteFileBytes("games" + std::to_string(i + 1) + ".pgn", files[i]);
            files[i] = "games" + std::to_string(i + 1) + ".pgn";
        }
        options.progressEvery = 0;
        const std::string text =
            Messages([&](std::FILE *m) { built = BuildBook(files, "out.book", options, stats, m); });
        EXPECT_TRUE(expect < 0 || built == (expect == 1));
        if (built) {
            EXPECT_EQ(Load("out.book", MainBookFile, MainBookSize),
                      "found " + std::to_string(stats.written + 1) + " positions in opening book\n");
        }
        return text;
    }
    int32_t WeightAfter(const std::string &moves, const char *fen = StartPosition) {
        return RecordAfter(MainBookFile, MainBookSize, moves, fen).weight;
    }
    BookBuildOptions options;
    BookBuildStats stats;
    bool built = false;
};

} // namespace

TEST_F(BookBuilderTest, KnownGamesGiveTheirPositionsAndWeights) {
    // Three results, one game without, a transposition, a repeated position; marks do not count.
    options.minCount = 1;
    Build({"[Result \"1-0\"]\n1. e4 e5 2. Nf3 Nc6 1-0\n[Result \"0-1\"]\n1. e4! e5 2. Nf3 Nf6?! 0-1\n"
           "[Result \"1/2-1/2\"]\n1. Nf3 Nc6 2. e4 e5 1/2-1/2\n[Event \"4\"]\n1. d4 Nf6 2. Nf3 Ng8 3. Ng1 Nf6 *\n"});
    EXPECT_EQ(stats.games, 4u);
    EXPECT_EQ(stats.skipped, 0u);
    // Win 4, draw or no result 2, loss 0, for the side that moved; a game counts a position once.
    const std::pair<const char *, int32_t> expected[] = {
        {"e4", 4 + 0}, {"e4 e5", 0 + 4}, {"e4 e5 Nf3 Nc6", 0 + 2}, {"e4 e5 Nf3 Nf6", 4}, {"Nf3 Nc6", 2},
        {"d4 Nf6", 2}, {"d4", 2},        {"e4 e5 Nf3 d6", -1},
    };
    for (auto [moves, weight] : expected)
        EXPECT_EQ(WeightAfter(moves), weight) << moves;
}

TEST_F(BookBuilderTest, OptionsShapeTheBook) {
    const std::string games = "[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0\n[Result \"0-1\"]\n1. e4 c5 2. Nf3 0-1\n"
                              "[Result \"0-1\"]\n1. e4 c5 2. Nc3 0-1\n[Result \"1-0\"]\n1. d4 d5 1-0\n";
    Build({games}); // at least two games; results count
    EXPECT_EQ(stats.written, 2u);
    EXPECT_EQ(WeightAfter("e4"), 4 + 0 + 0);
    EXPECT_EQ(WeightAfter("e4 c5"), 4 + 4);
    EXPECT_EQ(WeightAfter("e4 e5"), -1);
    options.useResults = false; // two a game
    options.minCount = 1;
    Build({games});
    EXPECT_EQ(WeightAfter("e4"), 6);
    EXPECT_EQ(WeightAfter("d4 d5"), 2); // the ply limit: PolyglotBookTest
}

TEST_F(BookBuilderTest, UnplayableGamesAreNamedAndSkipped) {
    options.minCount = 1;
    const std::string messages =
        Build({"1. e4 e5 2. Nf3 Nc6 *\n\n[Event \"bad\"]\n1. e4 e5 2. Ke3 Nc6 *\n",
               "[FEN \"8/8/8/8/8/8/8/k6K w - -\"]\n1. Kg2 *\n[FEN \"not a position\"]\n1. e4 *\n"
               "1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. Qc2 O-O 5. a3 Bxc3+ 6. Qxc3 Qe1 7. Nf3 *\n"});
    for (const char *line :
         {"games1.pgn: game 2: cannot play move 2. Ke3, game skipped", "games2.pgn: game 2: bad FEN tag, game skipped",
          "games2.pgn: game 3: cannot play move 6... Qe1, game skipped"})
        EXPECT_NE(messages.find(line), std::string::npos) << messages;
    EXPECT_EQ(stats.games, 5u);
    EXPECT_EQ(stats.skipped, 3u);
    EXPECT_EQ(WeightAfter("e4 e5 Nf3 Nc6"), 2); // game 1 only
    EXPECT_EQ(WeightAfter("d4"), -1);
    EXPECT_EQ(WeightAfter("", "8/8/8/8/8/8/6K1/k7 b - -"), 2); // a game set up from its FEN tag
}

TEST_F(BookBuilderTest, FailedRunsLeaveTheOldBook) {
    WriteFileBytes("out.book", "old book");
    const std::string good = "1. e4 e5 *\n1. e4 e5 *\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{good, std::string("1. e4 \0\0\0", 9)}, "games2.pgn is no game file"},
        {{""}, "no position qualifies"},
        {{"1. e4 e5 *\n"}, "no position qualifies"}, // every position seen once
    };
    for (const auto &[files, message] : cases) {
        const std::string messages = Build(files, 0);
        EXPECT_NE(messages.find(message), std::string::npos) << messages;
        EXPECT_NE(messages.find("out.book not written"), std::string::npos) << messages;
        EXPECT_EQ(ReadFileBytes("out.book"), "old book") << message;
    }
    // A file cut off in the middle of a game keeps what it holds; a cut move loses its game only.
    Build({good + "[Event \"cut\"]\n1. e4 e5 2."});
    EXPECT_EQ(stats.games, 3u);
    EXPECT_EQ(stats.skipped, 0u);
    EXPECT_EQ(WeightAfter("e4 e5"), 2 + 2 + 2);
    Build({good + "[Event \"cut\"]\n1. e4 e5 2. Nf"});
    EXPECT_EQ(stats.skipped, 1u);
}

TEST_F(BookBuilderTest, AFullTableKeepsTheFrequentPositions) {
    // Far more distinct positions than the table may hold; the opening's come up in every game.
    options.maxSlots = 2048;
    EXPECT_NE(Build({PawnGames(400, 7, "1. Nf3 Nf6 2. Ng1 Ng8 ")}).find("position table full"), std::string::npos);
    EXPECT_GE(stats.prunedBelow, 2u);
    EXPECT_LE(stats.positions, 2048u);
    EXPECT_EQ(WeightAfter("Nf3 Nf6"), 2 * 400);
    EXPECT_EQ(WeightAfter("", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - -"), 2 * 400);
}

TEST_F(BookBuilderTest, DamagedGameTextNeverCrashesEitherConverter) {
    // Bytes changed, cut and repeated: every run writes a book that loads or leaves the old one.
    const std::string games = "[Result \"1-0\"]\n1. e4 {c} e5 2. Nf3 (2. f4 exf4) Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O "
                              "Be7 6. Re1 b5 7. Bb3 d6 8. c3 O-O 9. h3 Nb8 10. d4 Nbd7 1-0\n[Event \"y\"]\n1. d4 Nf6 "
                              "2. c4 e6 3. Nc3 Bb4 4. e3 O-O 5. Bd3 d5 6. Nf3 c5 7. O-O Nc6 8. a3 Bxc3+ 9. bxc3 0-1\n";
    const std::string noise = "[]{}()$;%\"\\.!?+#=-x0O123456789abcdefghKQRBNP \n\r\t\xff";
    std::mt19937 rng(11);
    options.minCount = 1;
    options.maxSlots = 4096; // small tables: quick runs
    for (int round = 0; round < 300; ++round) {
        std::string text = games + games;
        for (int edit = 0; edit < 8; ++edit) {
            const size_t at = rng() % text.size();
            if (edit % 4 == 0) text.insert(at, text.substr(rng() % text.size(), rng() % 40));
            text[at] = noise[rng() % noise.size()];
            text.erase(at + 1, rng() % 10);
        }
        text.resize(text.size() - rng() % 20);
        WriteFileBytes("out.book", "old book");
        WriteFileBytes("MVstyle.book", "old book");
        SCOPED_TRACE(text);
        Build({text}, -1);
        EXPECT_EQ(ReadFileBytes("out.book") == "old book", !built);
        const bool saved = Output([] { ConvertStyleBookTo("games1.pgn", "MVstyle.book", 1000, 1000); }).find("Saved") !=
                           std::string::npos;
        EXPECT_EQ(ReadFileBytes("MVstyle.book") == "old book", !saved);
        if (saved) {
            EXPECT_NE(Load("MVstyle.book", StyleBookFile, StyleBookSize).find("found"), std::string::npos);
        }
    }
}
