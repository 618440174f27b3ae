// Polyglot books read by the engine: published keys, entry and move encoding, the root's shares, damaged
// and fuzzed files. Books written by the engine's builder: weights of known games, scaling into 16 bits, and
// the same games through the classic builder of Debian's polyglot package.
#include <map>

#include "RequiredPackage.h"
#include "book/BookTestSupport.h"
#include "book/PolyglotWriter.h"

using namespace booktest;

namespace {

// A move word as the format lays it out: files a..h 0..7, rows 1..8 0..7,
// promotion 0 none, 1 knight .. 4 queen.
uint16_t Word(const std::string &move) {
    const int promotion = move.size() > 4 ? int(std::string(" nbrq").find(move[4])) : 0;
    return uint16_t((move[2] - 'a') | (move[3] - '1') << 3 | (move[0] - 'a') << 6 | (move[1] - '1') << 9 |
                    promotion << 12);
}

// An entry in the file's byte order, written out by hand (big-endian).
std::string EntryBytes(uint64_t key, const std::string &move, int weight) {
    std::string b;
    for (const uint64_t word : {key, uint64_t(Word(move)) << 48 | uint64_t(weight) << 32}) // learn 0
        for (int i = 56; i >= 0; i -= 8)
            b += char(word >> i);
    return b;
}

uint64_t KeyOf(const std::string &fen) {
    EXPECT_TRUE(SetupPosition(fen.c_str())) << fen;
    return PolyglotKey();
}

// The lines of a data file that are no comment.
std::vector<std::string> DataLines(const std::string &name) {
    std::ifstream in(std::string(MORVANE_TEST_DATA) + "/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

using BookMap = std::map<uint64_t, std::map<uint16_t, uint16_t>>; // key -> move -> weight

// The entries of a book file.
std::vector<PolyglotEntry> EntriesOf(const std::string &bytes) {
    std::vector<PolyglotEntry> out;
    for (size_t i = 0; i + 16 <= bytes.size(); i += 16)
        out.push_back(DecodePolyglotEntry(reinterpret_cast<const uint8_t *>(bytes.data() + i)));
    return out;
}

BookMap MapOf(const std::string &bytes) {
    BookMap m;
    for (const PolyglotEntry &e : EntriesOf(bytes))
        m[e.key][e.move] = e.weight;
    return m;
}

// The first 1500 lines of the opening collection the default book is built
// from (data/books, CC0), with the results 1-0, 0-1, 1/2-1/2 and * in turn.
const std::string Sample = std::string(MORVANE_TEST_DATA) + "/opening-lines-sample.pgn";

class PolyglotBookTest : public ScratchDir {
  protected:
    // Loads the named file as the polyglot book; the lines it printed.
    std::string Load(const std::string &name) {
        return Output([&] { LoadPolyglotBook(name); });
    }
    // The root lookup's choice in the current position ("" for none), a legal move.
    std::string Choice() {
        const std::vector<MoveEntry> legal = LegalList();
        std::vector<MoveEntry> list = legal;
        bool found = false;
        Lookup(list, found);
        EXPECT_TRUE(!found || std::ranges::any_of(legal, [&](const MoveEntry &e) { return e.move == list[0].move; }));
        return found ? Text(list[0].move) : "";
    }
    // Builds out.bin from a game file; the messages.
    std::string Build(const std::string &file) {
        options.progressEvery = 0;
        return Messages([&](std::FILE *m) { EXPECT_TRUE(BuildPolyglotBook({file}, "out.bin", options, stats, m)); });
    }
    // The weights of the position after the moves by move text.
    std::map<std::string, uint32_t> After(const std::string &moves) {
        PlaySan(moves);
        std::map<std::string, uint32_t> out;
        PolyglotMove found[MaxMoves];
        for (int i = 0, n = PolyglotBookMoves(PolyglotBook, found, MaxMoves); i < n; ++i)
            out[Text(found[i].move)] = found[i].weight;
        return out;
    }
    BookBuildOptions options;
    BookBuildStats stats;
};

} // namespace

TEST_F(PolyglotBookTest, PublishedNumbersAndKeys) {
    const std::vector<std::string> numbers = DataLines("polyglot-random64.txt");
    ASSERT_EQ(numbers.size(), size_t(PolyglotRandomCount));
    for (size_t n = 0; n < numbers.size(); ++n)
        EXPECT_EQ(PolyglotRandom[n], std::stoull(numbers[n], nullptr, 16)) << "number " << n;
    // "FEN;key" lines: castling rights, side to move and en-passant files that count or not.
    const std::vector<std::string> keys = DataLines("polyglot-test-keys.txt");
    EXPECT_EQ(keys.size(), 9u);
    for (const std::string &line : keys) {
        const size_t semicolon = line.find(';');
        EXPECT_EQ(KeyOf(line.substr(0, semicolon)), std::stoull(line.substr(semicolon + 1), nullptr, 16)) << line;
    }
    // Only a pawn of the side to move beside the double-stepped pawn makes the file count.
    EXPECT_EQ(KeyOf("4k3/8/8/8/3Pp3/8/8/4K3 w - d3"), KeyOf("4k3/8/8/8/3Pp3/8/8/4K3 w - -"));
    EXPECT_NE(KeyOf("4k3/8/8/8/3Pp3/8/8/4K3 b - d3"), KeyOf("4k3/8/8/8/3Pp3/8/8/4K3 b - -"));
}

TEST_F(PolyglotBookTest, EntryBytesAndMoveWords) {
    // The first entry of a book made by the classic builder: 1. e4 from the start, weight 3.
    const std::string bytes("\x46\x3b\x96\x18\x16\x91\xfc\x9c\x03\x1c\x00\x03\x00\x00\x00\x2a", 16);
    const PolyglotEntry entry = DecodePolyglotEntry(reinterpret_cast<const uint8_t *>(bytes.data()));
    EXPECT_EQ(std::make_tuple(entry.key, entry.move, entry.weight, entry.learn),
              std::make_tuple(0x463b96181691fc9cull, Word("e2e4"), uint16_t(3), 42u));
    uint8_t again[PolyglotEntrySize];
    EncodePolyglotEntry(entry, again);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(again), 16), bytes);

    // Castling is the king onto its own rook (the king's square is taken too);
    // promotions name the piece; a word that names no legal move gives none.
    const char *castle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", *promote = "1r2k3/P7/8/8/8/8/8/4K3 w - -";
    const std::tuple<const char *, const char *, const char *> moves[] = {
        {castle, "e1h1", "e1g1"},
        {castle, "e1a1", "e1c1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", "e8a8", "e8c8"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w kq -", "e1h1", ""},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5d6", "e5d6"},
        {promote, "a7b8n", "a7b8N"},
        {promote, "a7a8", ""},
        {"4k3/8/8/8/8/8/4q3/4K3 w - -", "e1d1", ""}, // into check
        {StartPosition, "a1a1", ""},                 // the word 0
    };
    for (const auto &[fen, book, played] : moves) {
        ASSERT_TRUE(SetupPosition(fen)) << fen;
        const Move m = LegalMoveFromPolyglot(Word(book));
        EXPECT_EQ(m == 0 ? "" : Text(m), played) << fen << " " << book;
    }
    EXPECT_EQ(LegalMoveFromPolyglot(uint16_t(Word("e2e4") | 5 << 12)), 0u); // no such promotion piece
}

TEST_F(PolyglotBookTest, RootTakesWeightedLegalBookMoves) {
    // e4 3, d4 1, Nf3 0 (never played), an illegal e2e5 and moves of the keys beside it.
    const uint64_t start = KeyOf(StartPosition);
    WriteFileBytes("test.bin", EntryBytes(start - 1, "b1c3", 9) + EntryBytes(start, "e2e4", 3) +
                                   EntryBytes(start, "d2d4", 1) + EntryBytes(start, "g1f3", 0) +
                                   EntryBytes(start, "e2e5", 500) + EntryBytes(start + 1, "b1c3", 9));
    ASSERT_EQ(Load("test.bin"), "found 6 entries in polyglot book test.bin\n");
    const char *shares = "List of book moves\ne2e4\t   75 %\nd2d4\t   25 %\nend of list\n";
    EXPECT_EQ(Output(ListBookMoves), shares); // the choice by shares is the main book's (BookLookupTest)
    EXPECT_NE(Choice(), "");
    // The main book is not asked while a polyglot book is open.
    PlaySan("a3");
    WriteBook("Morvane.book", {KeyWith(NeutralClass, 1000)});
    booktest::Load("Morvane.book", MainBookFile, MainBookSize);
    ASSERT_TRUE(SetupPosition(StartPosition));
    EXPECT_EQ(Output(ListBookMoves), shares);
    ClosePolyglotBook(PolyglotBook);
    EXPECT_EQ(Output(ListBookMoves), "List of book moves\na2a3\t  100 %\nend of list\n");
}

TEST_F(PolyglotBookTest, BadFilesAreNamedAndLeftOut) {
    const std::string good = EntryBytes(1, "e2e4", 1) + EntryBytes(2, "e2e4", 1);
    WriteFileBytes("good.bin", good);
    WriteFileBytes("cut.bin", good.substr(0, 17));
    WriteFileBytes("order.bin", EntryBytes(2, "e2e4", 1) + EntryBytes(1, "e2e4", 1));
    WriteFileBytes("empty.bin", "");
    const std::pair<const char *, const char *> cases[] = {
        {"cut.bin", "size 17 is not a multiple of 16"},
        {"order.bin", "entries out of key order (entry 2)"},
        {"empty.bin", "empty"},
        {"missing.bin", "missing"},
        {"", nullptr}, // an empty name closes the book without a word
    };
    for (const auto &[name, reason] : cases) {
        ASSERT_EQ(Load("good.bin"), "found 2 entries in polyglot book good.bin\n");
        EXPECT_EQ(Load(name),
                  reason ? std::string("WARNING: polyglot book ") + name + " not used: " + reason + "\n" : "");
        EXPECT_FALSE(PolyglotBookOpen()) << name;
    }
}

TEST_F(PolyglotBookTest, FuzzedCopiesOfAGoodBookNeverGiveAnIllegalMove) {
    // A real book: the sample games, every move of their first ten plies.
    options.plies = 10;
    options.minCount = 1;
    Build(Sample);
    const std::string good = ReadFileBytes("out.bin");
    ASSERT_GT(good.size(), 1000u);
    const char *lines[] = {"", "e4", "e4 c5", "d4 Nf6 c4", "Nf3 d5", "e4 e5 Nf3 Nc6"};
    std::mt19937 rng(20261207);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        if (round % 3 == 0) { // truncated anywhere
            bytes.resize(rng() % bytes.size());
        } else if (round % 3 == 1) { // bits flipped
            for (int i = 0, n = 1 + int(rng() % 16); i < n; ++i)
                bytes[rng() % bytes.size()] ^= char(1 << (rng() % 8));
        } else { // moves and weights anything at all, keys kept
            for (size_t e = 0; e < bytes.size() / 16; ++e)
                for (size_t k = 8; k < 12; ++k)
                    bytes[16 * e + k] = char(rng());
        }
        WriteFileBytes("fuzz.bin", bytes);
        const std::string said = Load("fuzz.bin");
        EXPECT_TRUE(said == "found " + std::to_string(bytes.size() / 16) + " entries in polyglot book fuzz.bin\n" ||
                    (said.starts_with("WARNING: polyglot book fuzz.bin not used: ") &&
                     std::count(said.begin(), said.end(), '\n') == 1))
            << said;
        for (const char *line : lines) {
            PlaySan(line);
            BookMisses = 0;
            Choice();
        }
    }
}

TEST_F(PolyglotBookTest, LargeSumsAreScaledAndRepeatsCountOnce) {
    // 70000 won games of 1. e4 sum to 140000: e4 becomes 65535, the 1000 drawn
    // games of 1. d4 1000 * 65535 / 140000 = 468.1, and the one of 1. a3 would
    // round to 0 but stays playable at 1. After 1. d4 nothing needs scaling;
    // 1... e5 only lost. 1... Nf6, played twice in one game, counts once.
    std::string games;
    for (int i = 0; i < 70000; ++i)
        games += "[Result \"1-0\"]\n1. e4 e5 1-0\n";
    for (int i = 0; i < 1000; ++i)
        games += "[Result \"1/2-1/2\"]\n1. d4 d5 1/2-1/2\n";
    games += "[Result \"1/2-1/2\"]\n1. a3 d5 1/2-1/2\n1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 *\n";
    options.minCount = 1;
    WriteFileBytes("games.pgn", games);
    EXPECT_EQ(Build("games.pgn"), "");
    ASSERT_TRUE(Output([] { LoadPolyglotBook("out.bin"); }).starts_with("found 9 entries"));
    using W = std::map<std::string, uint32_t>;
    EXPECT_EQ(After(""), (W{{"e2e4", 65535}, {"d2d4", 468}, {"a2a3", 1}, {"g1f3", 1}}));
    EXPECT_EQ(After("d4"), (W{{"d7d5", 1000}}));
    EXPECT_EQ(After("e4"), W{});
    EXPECT_EQ(After("Nf3"), (W{{"g8f6", 1}}));
}

TEST_F(PolyglotBookTest, SameGamesAsTheClassicBuilder) {
    const std::string polyglot = "/usr/games/polyglot"; // where Debian's package puts it
    if (access(polyglot.c_str(), X_OK) != 0) SKIP_WITHOUT_PACKAGE("polyglot is not installed");
    // Results in turn 1-0, 0-1, 1/2-1/2 and none; counts stay far below 16 bits.
    for (auto [plies, minCount] : {std::pair{12, 1}, {20, 3}, {4, 2}}) {
        options.plies = plies;
        options.minCount = uint32_t(minCount);
        EXPECT_EQ(Build(Sample), "");
        const std::string command = "'" + polyglot + "' make-book -pgn '" + Sample + "' -bin theirs.bin -max-ply " +
                                    std::to_string(plies) + " -min-game " + std::to_string(minCount) +
                                    " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string bytes = ReadFileBytes("out.bin"), theirs = ReadFileBytes("theirs.bin");
        ASSERT_FALSE(theirs.empty());
        EXPECT_EQ(MapOf(bytes), MapOf(theirs)) << plies << " plies"; // the same moves with the same weights
        EXPECT_EQ(stats.written, theirs.size() / 16);
        // Keys rise; within a key the weights fall.
        const std::vector<PolyglotEntry> entries = EntriesOf(bytes);
        EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), [](const PolyglotEntry &a, const PolyglotEntry &b) {
            return a.key < b.key || (a.key == b.key && a.weight > b.weight);
        }));
    }
}
