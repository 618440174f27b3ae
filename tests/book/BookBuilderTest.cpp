// The main-book builder: move texts, weights of known games, the lookup over
// what it writes, and runs that must leave an existing book alone.
#include <map>
#include <random>

#include "board/Setup.h"
#include "book/BookBuilder.h"
#include "book/BookTestSupport.h"
#include "shell/MoveText.h"

using namespace booktest;

namespace {

class BookBuilderTest : public ScratchDir {
  protected:
    static void SetUpTestSuite() { PrepareBoard(); }
    void SetUp() override {
        ScratchDir::SetUp();
        ASSERT_TRUE(SetupPosition(StartPosition));
        options.progressEvery = 0;
    }
    // Builds "out.book" from the texts (one file each); returns the messages.
    std::string Build(const std::vector<std::string> &texts, bool expectOk = true) {
        std::vector<std::string> names;
        for (size_t i = 0; i < texts.size(); ++i) {
            names.push_back("games" + std::to_string(i + 1) + ".pgn");
            WriteFileBytes(names.back(), texts[i]);
        }
        return BuildFiles(names, expectOk);
    }
    std::string BuildFiles(const std::vector<std::string> &names, bool expectOk = true) {
        std::FILE *messages = std::tmpfile();
        ::testing::internal::CaptureStdout();
        const bool ok = BuildBook(names, "out.book", options, stats, messages);
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(ok, expectOk);
        std::rewind(messages);
        std::string text;
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, messages)) > 0)
            text.append(buffer, got);
        std::fclose(messages);
        return text;
    }
    // Weight of the position after the moves in the built book, -1 if absent.
    int32_t WeightAfter(const std::vector<std::string> &moves) {
        EXPECT_TRUE(SetupPosition(StartPosition));
        for (const std::string &san : moves)
            Play(san);
        const int32_t weight = ProbeBook(MainBookFile, MainBookSize).weight;
        EXPECT_TRUE(SetupPosition(StartPosition));
        return weight;
    }
    void Play(const std::string &san) {
        const Move m = FindPgnMove(san.c_str());
        ASSERT_NE(m, 0u) << san;
        PlayGameMove(m);
    }
    std::string LoadOut() {
        ::testing::internal::CaptureStdout();
        LoadBook("out.book", MainBookFile, MainBookSize);
        return ::testing::internal::GetCapturedStdout();
    }
    BookBuildOptions options;
    BookBuildStats stats;
};

std::string Coordinate(Move m) {
    char text[MoveTextSize + 8];
    MoveToText(text, m);
    return m == 0 ? "" : text;
}

} // namespace

TEST_F(BookBuilderTest, MoveTextsNameTheOneLegalMove) {
    struct Case {
        const char *fen, *text, *move; // move "" when the text names none
    };
    const char *start = StartPosition;
    // White: knights on b1 and f3 (both reach d2), pawn e5 with d5 just
    // played, pawn on g7 to promote with a capture on h8 or f8, castling both ways.
    const char *busy = "r3kn1r/ppp3P1/8/3pP3/8/5N2/PPP3PP/RN2K2R w KQq d6";
    // Knight on c3 pinned by the bishop on b4: "Ne2" needs no file.
    const char *pinned = "4k3/8/8/8/1b6/2N5/8/4K1N1 w - -";
    const Case cases[] = {
        {start, "e4", "e2e4"},    {start, "e2e4", "e2e4"},   {start, "e2-e4", "e2e4"},
        {start, "Nf3", "g1f3"},   {start, "Ng1f3", "g1f3"},  {start, "Ng1-f3", "g1f3"},
        {start, "N1f3", "g1f3"},  {start, "e5", ""},         {start, "Nf4", ""},
        {start, "Ke2", ""},       {start, "", ""},           {start, "Zf3", ""},
        {start, "e9", ""},        {start, "exd3", ""},       {start, "O-O", ""},
        {busy, "Nd2", ""}, // two knights reach d2
        {busy, "Nbd2", "b1d2"},   {busy, "Nfd2", "f3d2"},    {busy, "N3d2", "f3d2"},
        {busy, "exd6", "e5d6"},   {busy, "exd6ep", "e5d6"},  {busy, "exd6e.p.", "e5d6"},
        {busy, "e6", "e5e6"},     {busy, "d6", ""},          {busy, "gxh8=Q", "g7h8Q"},
        {busy, "gxh8Q", "g7h8Q"}, {busy, "gxf8=N", "g7f8N"}, {busy, "g8=R", "g7g8R"},
        {busy, "g8q", "g7g8Q"},   {busy, "g8", ""},          {busy, "g8=K", ""},
        {busy, "O-O", "e1g1"},    {busy, "0-0", "e1g1"},     {busy, "O-O-O", ""}, // b1 knight is in the way
        {pinned, "Ne2", "g1e2"},  {pinned, "Nge2", "g1e2"},  {pinned, "Nce2", ""},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(SetupPosition(c.fen)) << c.fen;
        EXPECT_EQ(Coordinate(FindPgnMove(c.text)), c.move) << c.fen << " " << c.text;
    }
    ASSERT_TRUE(SetupPosition(StartPosition));
}

TEST_F(BookBuilderTest, KnownGamesGiveTheirPositionsAndWeights) {
    // Three results, one game without, a transposition, a repeated position,
    // and annotations, comments and variations that must not count.
    const std::string games = "[Event \"1\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 {main} (2... d6 3. d4) 1-0\n\n"
                              "[Event \"2\"]\n[Result \"0-1\"]\n\n1. e4! e5 2. Nf3 Nf6?! 0-1\n\n"
                              "[Event \"3\"]\n[Result \"1/2-1/2\"]\n\n1. Nf3 Nc6 2. e4 e5 1/2-1/2\n\n"
                              "[Event \"4\"]\n\n1. d4 Nf6 2. Nf3 Ng8 3. Ng1 Nf6 *\n";
    options.minCount = 1;
    Build({games});
    EXPECT_EQ(stats.games, 4u);
    EXPECT_EQ(stats.skipped, 0u);
    EXPECT_EQ(LoadOut(), "found " + std::to_string(stats.written + 1) + " positions in opening book\n");

    // Win 4, draw or no result 2, loss 0, for the side that moved.
    struct Expect {
        std::vector<std::string> moves;
        int32_t weight;
    };
    const std::vector<Expect> expected = {
        {{"e4"}, 4 + 0},                        // games 1 and 2
        {{"e4", "e5"}, 0 + 4},                  // Black lost game 1, won game 2
        {{"e4", "e5", "Nf3"}, 4 + 0},           //
        {{"e4", "e5", "Nf3", "Nc6"}, 0 + 2},    // game 1 lost, game 3 drawn (by transposition)
        {{"e4", "e5", "Nf3", "Nf6"}, 4},        // game 2, won by Black
        {{"e4", "e5", "Nf3", "Nc6", "d4"}, -1}, // a variation
        {{"e4", "e5", "Nf3", "d6"}, -1},        // a variation
        {{"Nf3"}, 2},                           // game 3
        {{"Nf3", "Nc6"}, 2},                    //
        {{"d4", "Nf6"}, 2},                     // game 4: no result, once though reached twice
        {{"d4", "Nf6", "Nf3"}, 2},              //
        {{"d4"}, 2},                            // reached again after 3. Ng1
        {{"Nf3", "Nc6", "e4"}, 2},              //
    };
    for (const Expect &e : expected)
        EXPECT_EQ(WeightAfter(e.moves), e.weight) << e.moves.back() << " after " << e.moves.size();

    // The root lookup offers exactly these moves: after 1. e4 e5 White has
    // only Nf3 in the book.
    for (const char *san : {"e4", "e5"})
        Play(san);
    ::testing::internal::CaptureStdout();
    ListBookMoves();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "List of book moves\ng1f3\t  100 %\nend of list\n");
    ASSERT_TRUE(SetupPosition(StartPosition));
    // From the start: e4 4, Nf3 2, d4 2.
    ::testing::internal::CaptureStdout();
    ListBookMoves();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "List of book moves\ne2e4\t   50 %\nd2d4\t   25 %\ng1f3\t   25 %\nend of list\n");
}

TEST_F(BookBuilderTest, OptionsShapeTheBook) {
    const std::string games = "[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0\n"
                              "[Result \"0-1\"]\n1. e4 c5 2. Nf3 0-1\n"
                              "[Result \"0-1\"]\n1. e4 c5 2. Nc3 0-1\n"
                              "[Result \"1-0\"]\n1. d4 d5 1-0\n";
    // Defaults: at least two games; results count.
    Build({games});
    LoadOut();
    EXPECT_EQ(stats.written, 2u);
    EXPECT_EQ(WeightAfter({"e4"}), 4 + 0 + 0);
    EXPECT_EQ(WeightAfter({"e4", "c5"}), 4 + 4);
    EXPECT_EQ(WeightAfter({"e4", "e5"}), -1);
    EXPECT_EQ(WeightAfter({"d4"}), -1);

    // Results ignored: two per game.
    options.useResults = false;
    options.minCount = 1;
    Build({games});
    LoadOut();
    EXPECT_EQ(WeightAfter({"e4"}), 6);
    EXPECT_EQ(WeightAfter({"e4", "e5"}), 2);
    EXPECT_EQ(WeightAfter({"d4", "d5"}), 2);

    // The ply limit.
    options.plies = 1;
    Build({games});
    LoadOut();
    EXPECT_EQ(stats.written, 2u);
    EXPECT_EQ(WeightAfter({"e4"}), 6);
    EXPECT_EQ(WeightAfter({"e4", "c5"}), -1);
}

TEST_F(BookBuilderTest, UnplayableGamesAreNamedAndSkipped) {
    options.minCount = 1;
    const std::string messages =
        Build({"1. e4 e5 2. Nf3 Nc6 *\n\n[Event \"bad\"]\n1. e4 e5 2. Ke3 Nc6 *\n",
               "[FEN \"8/8/8/8/8/8/8/k6K w - -\"]\n1. Kg2 *\n[FEN \"not a position\"]\n1. e4 *\n1. d4 Nf6 2. c4 e6 3. "
               "Nc3 Bb4 4. Qc2 O-O 5. a3 Bxc3+ 6. Qxc3 Qe1 7. Nf3 *\n"});
    EXPECT_NE(messages.find("games1.pgn: game 2: cannot play move 2. Ke3, game skipped"), std::string::npos)
        << messages;
    EXPECT_NE(messages.find("games2.pgn: game 2: bad FEN tag, game skipped"), std::string::npos) << messages;
    EXPECT_NE(messages.find("games2.pgn: game 3: cannot play move 6... Qe1, game skipped"), std::string::npos)
        << messages;
    EXPECT_EQ(stats.games, 5u);
    EXPECT_EQ(stats.skipped, 3u);
    LoadOut();
    EXPECT_EQ(WeightAfter({"e4", "e5", "Nf3", "Nc6"}), 2); // game 1 only
    EXPECT_EQ(WeightAfter({"e4"}), 2);
    EXPECT_EQ(WeightAfter({"d4"}), -1);
    // The game set up from a FEN tag is in the book too.
    ASSERT_TRUE(SetupPosition("8/8/8/8/8/8/6K1/k7 b - -"));
    EXPECT_EQ(ProbeBook(MainBookFile, MainBookSize).weight, 2);
    ASSERT_TRUE(SetupPosition(StartPosition));
}

TEST_F(BookBuilderTest, FailedRunsLeaveTheOldBook) {
    WriteFileBytes("out.book", "old book");
    const std::string good = "1. e4 e5 *\n1. e4 e5 *\n";
    struct Case {
        std::vector<std::string> files; // written unless named "missing"
        std::string message;
    };
    WriteFileBytes("good.pgn", good);
    WriteFileBytes("empty.pgn", "");
    WriteFileBytes("comments.pgn", "{nothing but a comment}\n; and another\n");
    WriteFileBytes("tag.pgn", "[Event \"cut");
    WriteFileBytes("binary.pgn", std::string("1. e4 \0\0\0", 9));
    WriteFileBytes("single.pgn", "1. e4 e5 *\n");
    const std::vector<Case> cases = {
        {{"good.pgn", "missing.pgn"}, "cannot read missing.pgn"},
        {{"good.pgn", "."}, "cannot read ."},
        {{"good.pgn", "binary.pgn"}, "binary.pgn is no game file"},
        {{"empty.pgn"}, "no position qualifies"},
        {{"comments.pgn"}, "no position qualifies"},
        {{"tag.pgn"}, "no position qualifies"},
        {{"single.pgn"}, "no position qualifies"}, // every position seen once
        {{"/dev/null"}, "no position qualifies"},
        {{"/dev/zero"}, "is no game file"},
    };
    for (const Case &c : cases) {
        const std::string messages = BuildFiles(c.files, false);
        EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
        EXPECT_NE(messages.find("out.book not written"), std::string::npos) << messages;
        EXPECT_EQ(ReadFileBytes("out.book"), "old book") << c.files.back();
    }
    // Nothing is left behind but the old book and the inputs.
    size_t files = 0;
    for (const auto &entry : std::filesystem::directory_iterator("."))
        files += entry.path().extension() != ".pgn";
    EXPECT_EQ(files, 1u);

    // A file cut off in the middle of a game keeps what it holds.
    WriteFileBytes("cut.pgn", good + "[Event \"cut\"]\n1. e4 e5 2.");
    BuildFiles({"cut.pgn"});
    EXPECT_EQ(stats.games, 3u);
    EXPECT_EQ(stats.skipped, 0u);
    LoadOut();
    EXPECT_EQ(WeightAfter({"e4", "e5"}), 2 + 2 + 2);
    // One cut inside a move text loses that game only.
    WriteFileBytes("cut.pgn", good + "[Event \"cut\"]\n1. e4 e5 2. Nf");
    BuildFiles({"cut.pgn"});
    EXPECT_EQ(stats.skipped, 1u);
}

TEST_F(BookBuilderTest, AFullTableKeepsTheFrequentPositions) {
    // Random games after a fixed opening: far more distinct positions than
    // the table may hold, while the opening's positions come up in every game.
    std::mt19937 rng(7);
    std::string text;
    const int gameCount = 400;
    for (int game = 0; game < gameCount; ++game) {
        ASSERT_TRUE(SetupPosition(StartPosition));
        text += "1. d4 d5 2. c4 e6 ";
        for (const char *san : {"d4", "d5", "c4", "e6"})
            Play(san);
        for (int ply = 4; ply < 40; ++ply) {
            const std::vector<Move> legal = LegalMoves();
            if (legal.empty()) break;
            // A move whose text names it alone.
            Move m = legal[rng() % legal.size()];
            while (FindPgnMove(SanText(legal, m).c_str()) != m)
                m = legal[rng() % legal.size()];
            text += SanText(legal, m) + " ";
            PlayGameMove(m);
        }
        text += "*\n";
    }
    ASSERT_TRUE(SetupPosition(StartPosition));
    options.maxSlots = 2048;
    options.plies = 40;
    const std::string messages = Build({text});
    EXPECT_NE(messages.find("position table full"), std::string::npos);
    EXPECT_GE(stats.prunedBelow, 2u);
    EXPECT_LE(stats.positions, 2048u);
    EXPECT_EQ(stats.skipped, 0u);
    LoadOut();
    EXPECT_EQ(WeightAfter({"d4", "d5", "c4", "e6"}), 2 * gameCount);
    EXPECT_EQ(WeightAfter({"d4"}), 2 * gameCount);
}

TEST_F(BookBuilderTest, MutatedGameTextNeverCrashes) {
    // Byte flips, cuts and splices of real game text: every run either
    // writes a book the engine loads or leaves the old one.
    const std::string games = "[Event \"x\"]\n[Result \"1-0\"]\n\n1. e4 {c} e5 2. Nf3 (2. f4 exf4) Nc6 3. Bb5 a6 "
                              "4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6 8. c3 O-O 9. h3 Nb8 10. d4 Nbd7 1-0\n"
                              "[Event \"y\"]\n[Result \"0-1\"]\n\n1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. e3 O-O 5. Bd3 d5 "
                              "6. Nf3 c5 7. O-O Nc6 8. a3 Bxc3 9. bxc3 dxc4 10. Bxc4 Qc7 0-1\n";
    const std::string noise = "[]{}()$;%\"\\.!?+#=-x0O123456789abcdefghKQRBNP \n\r\t\xff";
    std::mt19937 rng(11);
    options.minCount = 1;
    options.maxSlots = 4096; // small tables: quick runs
    for (int round = 0; round < 300; ++round) {
        std::string text = games + games;
        const int edits = 1 + int(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % text.size();
            switch (rng() % 4) {
            case 0:
                text[at] = noise[rng() % noise.size()];
                break;
            case 1:
                text.erase(at, rng() % 20);
                break;
            case 2:
                text.insert(at, text.substr(rng() % text.size(), rng() % 40));
                break;
            default:
                text.resize(at);
                break;
            }
            if (text.empty()) text = "1.";
        }
        WriteFileBytes("out.book", "old book");
        WriteFileBytes("mutated.pgn", text);
        std::FILE *messages = std::tmpfile();
        ::testing::internal::CaptureStdout();
        const bool ok = BuildBook({"mutated.pgn"}, "out.book", options, stats, messages);
        ::testing::internal::GetCapturedStdout();
        std::fclose(messages);
        if (!ok) {
            EXPECT_EQ(ReadFileBytes("out.book"), "old book") << text;
            continue;
        }
        EXPECT_EQ(LoadOut(), "found " + std::to_string(stats.written + 1) + " positions in opening book\n") << text;
    }
    ASSERT_TRUE(SetupPosition(StartPosition));
}
