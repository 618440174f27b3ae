// The style book converter: annotated games in, a sorted style book out.
#include <sys/stat.h>

#include <cstring>
#include <unordered_map>

#include "book/BookTestSupport.h"
#include "shell/MoveText.h"
#include "shell/ShellState.h"
#include "shell/Xboard.h"

using namespace booktest;

namespace {

class StyleBookTest : public ScratchDir {
  protected:
    static void SetUpTestSuite() { PrepareBoard(); }
    void SetUp() override {
        ScratchDir::SetUp();
        ASSERT_TRUE(SetupPosition(StartPosition));
    }
    std::string Convert(const std::string &games) {
        WriteFileBytes("games.pgn", games);
        ::testing::internal::CaptureStdout();
        ConvertStyleBook("games.pgn");
        return ::testing::internal::GetCapturedStdout();
    }
    // Plays algebraic moves from the initial position and probes the style
    // book after the last one.
    BookRecord After(const std::vector<std::string> &moves) {
        EXPECT_TRUE(SetupPosition(StartPosition));
        for (const std::string &san : moves) {
            const std::vector<Move> legal = LegalMoves();
            Move found = 0;
            for (Move m : legal)
                if (SanText(legal, m) == san) found = m;
            EXPECT_NE(found, 0u) << san;
            PlayGameMove(found);
        }
        const BookRecord r = ProbeBook(StyleBookFile, StyleBookSize);
        EXPECT_TRUE(SetupPosition(StartPosition));
        return r;
    }
    void LoadStyle() {
        ::testing::internal::CaptureStdout();
        LoadBook("MVstyle.book", StyleBookFile, StyleBookSize);
        ::testing::internal::GetCapturedStdout();
    }
};

bool Exists(const char *name) {
    struct stat info;
    return stat(name, &info) == 0;
}

// Four games in standard notation: tags, move numbers "1." and "1...",
// comments of both kinds, a variation, glyphs, results, CRLF line ends and
// the annotation marks.
const char AnnotatedGames[] = "[Event \"Club game\"]\n"
                              "[Site \"Somewhere [upstairs]\"]\n"
                              "[White \"A\"]\n"
                              "[Black \"B\"]\n"
                              "[Result \"1-0\"]\n"
                              "\n"
                              "1. e4! e5 2. Nf3 Nc6?! 3. Bb5!! {the Spanish} a6 $1 4. Ba4 Nf6!? 5. 0-0 Be7??\n"
                              "6. Re1 b5 7. Bb3 d6 8. c3 O-O 1-0\n"
                              "\n"
                              "[Event \"Second\"]\r\n"
                              "[Result \"0-1\"]\r\n"
                              "\r\n"
                              "1.e4 {best by test} 1... e5 2.Nf3 (2. f4 exf4 3. Nf3 {gambit} (3. Bc4)) 2... Nc6\r\n"
                              "3. Bc4? Bc5 ; a comment to the end of the line 4. d3\r\n"
                              "4. c3 Nf6 $2 5. d4 exd4 0-1\r\n"
                              "\n"
                              "% an escaped line 1. h4\n"
                              "[Event \"Third\"]\n"
                              "\n"
                              "1. d4 d5! 2. c4 e6? 3. Nc3 1/2-1/2\n"
                              "[Event \"Fourth\"]\n"
                              "1. e4? *\n";

} // namespace

TEST_F(StyleBookTest, AnnotatedGamesConvert) {
    const std::string out = Convert(AnnotatedGames);
    EXPECT_EQ(out, "Converting style book...\n1\r2\r3\r4\r5\r6\r7\r8\r9\r"
                   "Style book succesfull converted (28 pos)\nSaved 28 positions\n");
    ASSERT_TRUE(Exists("MVstyle.book"));
    EXPECT_EQ(ReadFileBytes("MVstyle.book").size(), 4u + 28u * 40u);
    EXPECT_EQ(EngineSide, 1u); // left in a new game
    LoadStyle();
    ASSERT_EQ(StyleBookSize, 28 * 40);

    struct Expect {
        std::vector<std::string> moves;
        int bookClass, weight;
    };
    const std::vector<Expect> expected = {
        {{"e4"}, 1, 9},       // "!" (7), plain (+2), then "?" by White: class 1, weight kept
        {{"e4", "e5"}, 2, 4}, // plain twice
        {{"e4", "e5", "Nf3"}, 2, 4},
        {{"e4", "e5", "Nf3", "Nc6"}, 0, 2}, // "?!" by Black: bad (class 0, weight 0), then plain +2
        {{"e4", "e5", "Nf3", "Nc6", "Bb5"}, 4, 0},
        {{"e4", "e5", "Nf3", "Nc6", "Bb5", "a6"}, 2, 2},
        {{"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6"}, 4, 0},               // "!?"
        {{"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O"}, 2, 2},        // written 0-0
        {{"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O", "Be7"}, 0, 0}, // "??" by Black
        {{"e4", "e5", "Nf3", "Nc6", "Bc4"}, 1, 0},                                   // "?" by White
        {{"e4", "e5", "Nf3", "Nc6", "Bc4", "Bc5", "c3", "Nf6"}, 2, 2},               // glyph skipped
        {{"d4"}, 2, 2},
        {{"d4", "d5"}, 1, 7},             // "!" by Black
        {{"d4", "d5", "c4", "e6"}, 0, 0}, // "?" by Black
        {{"d4", "d5", "c4", "e6", "Nc3"}, 2, 2},
    };
    for (const Expect &e : expected) {
        const BookRecord r = After(e.moves);
        EXPECT_EQ(r.bookClass, e.bookClass) << e.moves.back() << " after " << e.moves.size();
        EXPECT_EQ(r.weight, e.weight) << e.moves.back() << " after " << e.moves.size();
    }
    // Variations, comments and escaped lines leave no positions behind.
    EXPECT_EQ(After({"e4", "e5", "f4"}).weight, -1);
    EXPECT_EQ(After({"e4", "e5", "Nf3", "Nc6", "Bc4", "Bc5", "d3"}).weight, -1);
    EXPECT_EQ(After({"h4"}).weight, -1);
}

TEST_F(StyleBookTest, SingleGameCountsHeaderAndRepeats) {
    // n moves reaching n distinct positions print n + 1.
    EXPECT_NE(Convert("1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3\n").find("converted (5 pos)"), std::string::npos);
    LoadStyle();
    EXPECT_EQ(After({"Nf3"}).weight, 4); // reached twice, unannotated
    EXPECT_EQ(After({}).weight, 2);      // back to the initial position with White to move
}

TEST_F(StyleBookTest, UnparsableMoveWritesNothing) {
    WriteFileBytes("MVstyle.book", "old book");
    const std::string out = Convert("[Event \"a\"]\n1. e4 e5 2. Nf3 Nc6\n[Event \"b\"]\n[Round \"2\"]\n1. e4 Ke5\n");
    EXPECT_NE(out.find("ERROR: bad style book, line 6\n"), std::string::npos);
    EXPECT_EQ(out.find("Saved"), std::string::npos);
    EXPECT_EQ(ReadFileBytes("MVstyle.book"), "old book");

    // A move the parser finds only among moves that leave the own king in
    // check is refused too.
    const std::string illegal = Convert("1. e4 e5 2. Qh5 f6 3. Qxe5+ Nh6\n");
    EXPECT_NE(illegal.find("ERROR: bad style book, line 0\n"), std::string::npos);
    EXPECT_EQ(ReadFileBytes("MVstyle.book"), "old book");

    // Afterwards the engine is in a new game.
    const BookRecord key = CurrentBookKey();
    EXPECT_EQ(EngineSide, 1u);
    ASSERT_TRUE(SetupPosition(StartPosition));
    EXPECT_EQ(CompareBookKeys(key, CurrentBookKey()), 0);
    EXPECT_EQ(SideToMove, 0u);
}

TEST_F(StyleBookTest, UnreadableFileIsSilent) {
    ::testing::internal::CaptureStdout();
    ConvertStyleBook("no-such-file.pgn");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(Exists("MVstyle.book"));
}

TEST_F(StyleBookTest, DamagedGameTextNeverCrashes) {
    const std::vector<std::string> inputs = {
        "",
        "[Event \"never closed",
        "[Event \"x\"] [Site",
        "1. e4 {never closed e5 Nf3",
        "1. e4 ( 1. d4 d5 ( 1... Nf6",
        "1. e4 e5 )))) }}} ]]] 2. Nf3",
        "1. e4 e5 2." + std::string(100000, '.'),
        std::string(5000, 'N'),
        "1. e4 $ $$ $123456789012345678901234567890 e5",
        std::string("1. e4 \0\x01\xff\xfe e5", 13),
        "1. e4\r\r\r\n\t\v\f e5 ;",
        "[[[[",
        "1...... 12.e4 e5 0-1 1-0 * 1/2",
        "O-O O-O-O 0-0-0 e8=Q exd6ep ??? !!! ?!?!",
    };
    for (const std::string &in : inputs) {
        const std::string out = Convert(in);
        EXPECT_NE(out.find("Converting style book..."), std::string::npos);
        EXPECT_TRUE(out.find("Saved") != std::string::npos || out.find("ERROR: bad style book") != std::string::npos ||
                    out.find("WARNING: no moves found") != std::string::npos ||
                    out.find("ERROR: cannot convert") != std::string::npos)
            << in.substr(0, 40);
        std::remove("MVstyle.book");
    }
    EXPECT_NE(Convert("1. e4 {never closed e5 Nf3").find("converted (2 pos)"), std::string::npos);
    EXPECT_NE(Convert("[Event \"never closed").find("WARNING: no moves found"), std::string::npos);
}

TEST_F(StyleBookTest, InputsWithoutMovesKeepTheOldBook) {
    WriteFileBytes("MVstyle.book", "old book");
    // Read errors: nothing printed, nothing written.
    for (const char *unreadable : {".", "missing.pgn"}) {
        ::testing::internal::CaptureStdout();
        ConvertStyleBook(unreadable);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << unreadable;
        EXPECT_EQ(ReadFileBytes("MVstyle.book"), "old book") << unreadable;
    }
    struct Case {
        std::string name, text, line;
    };
    const std::vector<Case> cases = {
        {"empty.pgn", "", "WARNING: no moves found in empty.pgn, MVstyle.book not changed\n"},
        {"comments.pgn", "{only a comment}\n; and another\n% and a line\n",
         "WARNING: no moves found in comments.pgn, MVstyle.book not changed\n"},
        {"tag.pgn", "[Event \"never closed", "1\rWARNING: no moves found in tag.pgn, MVstyle.book not changed\n"},
        {"binary.pgn", std::string("1. e4 e5 \0 2. Nf3", 17),
         "ERROR: cannot convert binary.pgn (not a text file), MVstyle.book not changed\n"},
    };
    for (const Case &c : cases) {
        WriteFileBytes(c.name, c.text);
        ::testing::internal::CaptureStdout();
        ConvertStyleBook(c.name.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Converting style book...\n" + c.line) << c.name;
        EXPECT_EQ(ReadFileBytes("MVstyle.book"), "old book") << c.name;
    }
    for (const char *device : {"/dev/null", "/dev/zero"}) {
        ::testing::internal::CaptureStdout();
        ConvertStyleBook(device);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_TRUE(out.find("WARNING: no moves found") != std::string::npos ||
                    out.find("ERROR: cannot convert") != std::string::npos)
            << out;
        EXPECT_EQ(ReadFileBytes("MVstyle.book"), "old book") << device;
    }
    // Past the size limit the conversion is refused; the engine goes on.
    std::string games;
    while (games.size() < 300000)
        games += "[Event \"x\"]\n1. e4 e5 2. Nf3 *\n";
    WriteFileBytes("huge.pgn", games);
    ::testing::internal::CaptureStdout();
    ConvertStyleBookTo("huge.pgn", "MVstyle.book", 1000, 1000, 200000);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR: cannot convert huge.pgn (larger than"), std::string::npos)
        << out.substr(out.size() - 200);
    EXPECT_EQ(ReadFileBytes("MVstyle.book"), "old book");
    EXPECT_EQ(EngineSide, 1u); // left in a new game
}

TEST_F(StyleBookTest, ManyPositionsTakeTheReallocationPath) {
#ifdef MORVANE_SANITIZED
    const int64_t capacity = 20000, growth = 3000, wanted = 27000;
#else
    const int64_t capacity = 1000000, growth = 100000, wanted = 1000400;
#endif
    // Random legal games until more distinct positions than the first block holds.
    std::mt19937 rng(2024);
    std::unordered_map<uint64_t, uint32_t> seen;
    seen.reserve(size_t(wanted) + 1000);
    std::string text;
    text.reserve(size_t(wanted) * 7);
    int games = 0;
    while (int64_t(seen.size()) < wanted) {
        ASSERT_TRUE(SetupPosition(StartPosition));
        text += "[Game \"" + std::to_string(++games) + "\"]\n";
        for (int ply = 0; ply < 300; ++ply) {
            const std::vector<Move> legal = LegalMoves();
            if (legal.empty()) break;
            Move m = 0;
            std::string san;
            for (int attempt = 0; attempt < 8 && m == 0; ++attempt) {
                const Move c = legal[rng() % legal.size()];
                san = SanText(legal, c);
                // Only three or more like pieces on one target can make two texts equal.
                int rivals = 0;
                for (Move o : legal)
                    rivals += MoveTo(o) == MoveTo(c) && Board[MoveFrom(o)].piece == Board[MoveFrom(c)].piece;
                int same = 1;
                if (rivals > 2) {
                    same = 0;
                    for (Move o : legal)
                        same += SanText(legal, o) == san;
                }
                if (same == 1) m = c;
            }
            if (m == 0) break;
            if (ply % 2 == 0) text += std::to_string(ply / 2 + 1) + ". ";
            text += san + " ";
            PlayGameMove(m);
            ++seen[KeyHashOfPosition()];
        }
        text += "*\n";
    }
    WriteFileBytes("many.pgn", text);
    ::testing::internal::CaptureStdout();
    ConvertStyleBookTo("many.pgn", "many.book", capacity, growth);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const int64_t count = int64_t(seen.size()) + 1;
    int64_t reallocations = 0;
    for (int64_t cap = capacity; cap <= count; cap += growth)
        ++reallocations;
    ASSERT_GE(reallocations, 1);
    size_t at = 0, messages = 0;
    while ((at = out.find("reallocate memory for style book \n", at)) != std::string::npos)
        ++messages, ++at;
    EXPECT_EQ(int64_t(messages), reallocations);
    EXPECT_NE(out.find("converted (" + std::to_string(count) + " pos)"), std::string::npos);
    EXPECT_NE(out.find("Saved " + std::to_string(count) + " positions"), std::string::npos);

    // Every position is in the file once, sorted, with weight 2 per visit.
    const std::string bytes = ReadFileBytes("many.book");
    ASSERT_EQ(int64_t(bytes.size()), 4 + 40 * count);
    const uint8_t *p = reinterpret_cast<const uint8_t *>(bytes.data()) + 4;
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(p)), "Book for chess engine Morvane");
    BookRecord previous{};
    int64_t wrong = 0;
    for (int64_t n = 1; n < count; ++n) {
        const BookRecord r = DecodeBookRecord(p + 40 * n);
        if (n > 1 && CompareBookKeys(previous, r) >= 0) ++wrong;
        auto it = seen.find(KeyHashOfRecord(r));
        if (it == seen.end() || r.weight != int32_t(2 * it->second) || r.bookClass != 2) ++wrong;
        previous = r;
    }
    EXPECT_EQ(wrong, 0);
    ASSERT_TRUE(SetupPosition(StartPosition));
}

TEST_F(StyleBookTest, CastlingOutOfCheckIsRefused) {
    // After 4...Bb4+ White is in check: the converter must know it, or the
    // generator offers castling.
    const std::string out = Convert("1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. d3 Bb4+ 5. O-O\n");
    EXPECT_NE(out.find("ERROR: bad style book, line 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Error recognizing move - O-O\n"), std::string::npos) << out;
    EXPECT_FALSE(Exists("MVstyle.book"));
    EXPECT_NE(Convert("1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. d3 Bb4+ 5. c3 Bc5 6. O-O\n").find("Saved 12 positions"),
              std::string::npos);
}

TEST_F(StyleBookTest, LoadedStyleBookIsUntouchedByAConversion) {
    Convert("1. d4! d5\n");
    LoadStyle();
    const int64_t size = StyleBookSize;
    ASSERT_EQ(size, 3 * 40);
    // A longer conversion replaces the file; the open book keeps its size
    // and contents until the next start.
    EXPECT_NE(Convert("1. e4 e5 2. Nf3 Nc6 3. Bb5 a6\n").find("Saved 7 positions"), std::string::npos);
    EXPECT_EQ(StyleBookSize, size);
    EXPECT_EQ(After({"d4"}).weight, 7);
    EXPECT_EQ(After({"e4"}).weight, -1);
    LoadStyle();
    EXPECT_EQ(StyleBookSize, 7 * 40);
    EXPECT_EQ(After({"e4"}).weight, 2);
}
