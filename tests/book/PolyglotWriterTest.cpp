// The polyglot writer: weights of known games, scaling into 16 bits, failed
// runs, and the same games through the classic builder of Debian's polyglot
// package (limits, weights and the order of the file).
#include <sys/wait.h>

#include <map>

#include "RequiredPackage.h"
#include "board/MoveText.h"
#include "book/BookTestSupport.h"
#include "book/PolyglotBook.h"
#include "book/PolyglotWriter.h"

using namespace booktest;

namespace {

using BookMap = std::map<uint64_t, std::map<uint16_t, uint16_t>>; // key -> move -> weight

// The entries of a book file, read here from its bytes (big-endian).
std::vector<PolyglotEntry> EntriesOf(const std::string &bytes) {
    std::vector<PolyglotEntry> out;
    for (size_t i = 0; i + 16 <= bytes.size(); i += 16) {
        const auto *b = reinterpret_cast<const uint8_t *>(bytes.data() + i);
        PolyglotEntry e;
        for (int k = 0; k < 8; ++k)
            e.key = e.key << 8 | b[k];
        e.move = uint16_t(b[8] << 8 | b[9]);
        e.weight = uint16_t(b[10] << 8 | b[11]);
        out.push_back(e);
    }
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

// Where Debian's polyglot is, "" when it is not installed.
std::string PolyglotProgram() {
    std::stringstream path(std::string(getenv("PATH") ? getenv("PATH") : "") + ":/usr/games");
    for (std::string dir; std::getline(path, dir, ':');)
        if (!dir.empty() && access((dir + "/polyglot").c_str(), X_OK) == 0) return dir + "/polyglot";
    return "";
}

class PolyglotWriterTest : public ScratchDir {
  protected:
    void TearDown() override {
        ClosePolyglotBook(PolyglotBook);
        ScratchDir::TearDown();
    }
    // Builds out.bin from game text (or, with names, files); the messages.
    std::string Build(const std::string &games, bool expectWritten = true, bool isFile = false) {
        if (!isFile) WriteFileBytes("games.pgn", games);
        std::FILE *messages = std::tmpfile();
        options.progressEvery = 0;
        const bool built = BuildPolyglotBook({isFile ? games : "games.pgn"}, "out.bin", options, stats, messages);
        EXPECT_EQ(built, expectWritten);
        std::string text(size_t(std::ftell(messages)), 0);
        std::rewind(messages);
        EXPECT_EQ(std::fread(text.data(), 1, text.size(), messages), text.size());
        std::fclose(messages);
        return text;
    }
    // The weights of the position after the moves (coordinate texts) by move text.
    std::map<std::string, uint32_t> After(const std::string &moves) {
        EXPECT_TRUE(SetupPosition(StartPosition));
        std::istringstream in(moves);
        for (std::string san; in >> san;) {
            char text[64];
            std::snprintf(text, sizeof text, "%s", san.c_str());
            const Move m = ParseSanMove(text, 1, SanReading::Loose);
            EXPECT_NE(m, 0u) << san;
            PlayGameMove(m);
        }
        std::map<std::string, uint32_t> out;
        PolyglotMove found[MaxMoves];
        for (int i = 0, n = PolyglotBookMoves(PolyglotBook, found, MaxMoves); i < n; ++i) {
            char text[16];
            MoveToText(text, found[i].move);
            out[text] = found[i].weight;
        }
        return out;
    }
    BookBuildOptions options;
    BookBuildStats stats;
};

const char Games[] = "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n"
                     "[Result \"0-1\"]\n\n1. e4 e5 2. Nf3 Nf6 0-1\n\n"
                     "[Result \"1/2-1/2\"]\n\n1. e4 c5 2. Nf3 {Sicilian} d6 1/2-1/2\n\n"
                     "1. d4 d5 (1... Nf6) 2. c4 e6 *\n\n"
                     "[Result \"1/2-1/2\"]\n\n1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 Nf6 1/2-1/2\n";

} // namespace

TEST_F(PolyglotWriterTest, KnownGamesGiveTheClassicWeights) {
    // Win 2, draw or no result 1, loss 0 for the side that moved; a move that
    // only lost is left out; a move repeated within one game counts once.
    // With results ignored every game counts 1.
    using W = std::map<std::string, uint32_t>;
    options.minCount = 1;
    EXPECT_EQ(Build(Games), "");
    EXPECT_EQ(stats.games, 5u);
    EXPECT_EQ(stats.written, 15u);
    ASSERT_EQ(Output([] { LoadPolyglotBook("out.bin"); }), "found 15 entries in polyglot book out.bin\n");
    const std::pair<const char *, W> after[] = {{"", {{"e2e4", 3}, {"d2d4", 1}, {"g1f3", 1}}},
                                                {"e4", {{"e7e5", 2}, {"c7c5", 1}}},
                                                {"e4 e5", {{"g1f3", 2}}},
                                                {"e4 e5 Nf3", {{"g8f6", 2}}},
                                                {"e4 c5 Nf3", {{"d7d6", 1}}},
                                                {"d4 d5 c4", {{"e7e6", 1}}},
                                                {"Nf3 Nf6", {{"f3g1", 1}}}};
    for (const auto &[moves, weights] : after)
        EXPECT_EQ(After(moves), weights) << "after " << moves;
    options.useResults = false;
    EXPECT_EQ(Build(Games), "");
    Output([] { LoadPolyglotBook("out.bin"); });
    EXPECT_EQ(After("e4 e5 Nf3"), (W{{"g8f6", 1}, {"b8c6", 1}}));
}

TEST_F(PolyglotWriterTest, LargeSumsAreScaledInProportion) {
    // 70000 won games of 1. e4 sum to 140000: e4 becomes 65535, the 1000 drawn
    // games of 1. d4 1000 * 65535 / 140000 = 468.1, and the one of 1. a3 would
    // round to 0 but stays playable at 1. After 1. d4 nothing needs scaling.
    std::string games;
    for (int i = 0; i < 70000; ++i)
        games += "[Result \"1-0\"]\n1. e4 e5 1-0\n";
    for (int i = 0; i < 1000; ++i)
        games += "[Result \"1/2-1/2\"]\n1. d4 d5 1/2-1/2\n";
    games += "[Result \"1/2-1/2\"]\n1. a3 d5 1/2-1/2\n";
    options.minCount = 1;
    EXPECT_EQ(Build(games), "");
    ASSERT_TRUE(Output([] { LoadPolyglotBook("out.bin"); }).starts_with("found 5 entries"));
    EXPECT_EQ(After(""), (std::map<std::string, uint32_t>{{"e2e4", 65535}, {"d2d4", 468}, {"a2a3", 1}}));
    EXPECT_EQ(After("d4"), (std::map<std::string, uint32_t>{{"d7d5", 1000}}));
    EXPECT_EQ(After("e4"), (std::map<std::string, uint32_t>{}));
}

TEST_F(PolyglotWriterTest, FailedRunsKeepTheOldBook) {
    WriteFileBytes("out.bin", "old book");
    options.minCount = 2;
    EXPECT_NE(Build("1. e4 e5 *\n", false).find("no move qualifies"), std::string::npos);
    EXPECT_NE(Build("missing.pgn", false, true).find("cannot read missing.pgn"), std::string::npos);
    EXPECT_EQ(ReadFileBytes("out.bin"), "old book");
    int files = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("."))
        ++files;
    EXPECT_EQ(files, 2); // out.bin and games.pgn
}

TEST_F(PolyglotWriterTest, SameGamesAsTheClassicBuilder) {
    const std::string polyglot = PolyglotProgram();
    if (polyglot.empty()) SKIP_WITHOUT_PACKAGE("polyglot is not installed");
    // Results in turn 1-0, 0-1, 1/2-1/2 and none; counts stay far below 16 bits.
    for (auto [plies, minCount] : {std::pair{12, 1}, {20, 3}, {4, 2}}) {
        options.plies = plies;
        options.minCount = uint32_t(minCount);
        EXPECT_EQ(Build(Sample, true, true), "");
        const std::string command = "'" + polyglot + "' make-book -pgn '" + Sample + "' -bin theirs.bin -max-ply " +
                                    std::to_string(plies) + " -min-game " + std::to_string(minCount) +
                                    " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string bytes = ReadFileBytes("out.bin");
        const BookMap ours = MapOf(bytes), theirs = MapOf(ReadFileBytes("theirs.bin"));
        ASSERT_FALSE(theirs.empty());
        EXPECT_EQ(ours.size(), theirs.size()) << plies << " plies";
        for (const auto &[key, moves] : theirs) {
            const auto it = ours.find(key);
            ASSERT_NE(it, ours.end()) << std::hex << key;
            ASSERT_EQ(it->second.size(), moves.size()) << std::hex << key;
            // Weights in proportion: each move's share of its position.
            double sumOurs = 0, sumTheirs = 0;
            for (const auto &[move, weight] : moves) {
                ASSERT_TRUE(it->second.count(move)) << std::hex << key << " " << move;
                sumOurs += it->second.at(move);
                sumTheirs += weight;
            }
            for (const auto &[move, weight] : moves)
                EXPECT_NEAR(it->second.at(move) / sumOurs, weight / sumTheirs, 1e-9) << std::hex << key;
        }
        EXPECT_EQ(stats.written, ReadFileBytes("theirs.bin").size() / 16);
        // Keys rise; within a key the weights fall.
        const std::vector<PolyglotEntry> entries = EntriesOf(bytes);
        for (size_t i = 1; i < entries.size(); ++i)
            EXPECT_TRUE(entries[i - 1].key < entries[i].key ||
                        (entries[i - 1].key == entries[i].key && entries[i - 1].weight >= entries[i].weight))
                << i;
    }
}
