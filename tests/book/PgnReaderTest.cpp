// The streaming game-file reader: what it hands out, across chunk borders,
// and how it reports inputs that are no game text.
#include <cerrno>

#include "book/BookTestSupport.h"
#include "book/PgnReader.h"

using namespace booktest;

namespace {

class PgnReaderTest : public ScratchDir {};

using V = std::vector<std::string>;

// Tokens as text: "T:name=value", "M:move", "R:result", then how the input ended.
V ReadAll(PgnReader &in) {
    V tokens;
    for (PgnToken t = in.Next();; t = in.Next()) {
        if (t == PgnToken::Tag) tokens.push_back(std::string("T:") + in.tagName + "=" + in.tagValue);
        if (t == PgnToken::Move || t == PgnToken::Result)
            tokens.push_back((t == PgnToken::Move ? "M:" : "R:") + std::string(in.text));
        if (t > PgnToken::Result)
            return tokens.push_back(V{"end", "read error", "binary", "too large"}[int(t) - 3]), tokens;
    }
}

V Tokens(const std::string &text) {
    WriteFileBytes("games.pgn", text);
    PgnReader in;
    EXPECT_TRUE(in.Open("games.pgn"));
    return ReadAll(in);
}

int failAfter = 0;
ssize_t FailingRead(int fd, void *buffer, size_t size) {
    if (failAfter-- > 0) return ::read(fd, buffer, size);
    errno = EIO;
    return -1;
}

} // namespace

TEST_F(PgnReaderTest, HandsOutTagsMovesAndResults) {
    const std::string n63(PgnReader::TextMax, 'N'), x255(PgnReader::ValueMax, 'x');
    const std::pair<std::string, V> cases[] = {
        {"[Event \"Club [upstairs]\"]\n[White \"A \\\"B\\\" C\"]\n\n1. e4 e5 1-0\n",
         {"T:Event=Club [upstairs]", "T:White=A \"B\" C", "M:e4", "M:e5", "R:1-0", "end"}},
        // Move numbers alone or glued, with one or three dots, or none.
        {"1.e4 1... e5 2. Nf3 2...Nc6 3 Bb5 12.O-O-O *",
         {"M:e4", "M:e5", "M:Nf3", "M:Nc6", "M:Bb5", "M:O-O-O", "R:*", "end"}},
        // Comments, escaped lines, glyphs, nested variations with brackets in comments.
        {"1. e4 {a (comment) } e5 ; rest of line 2. d4\n% escaped 2. c4\n2. Nf3 $1 $14 Nc6 "
         "(2... d6 (2... f5 {!)} 3. exf5) 3. d4) 3. Bb5!? 0-1",
         {"M:e4", "M:e5", "M:Nf3", "M:Nc6", "M:Bb5!?", "R:0-1", "end"}},
        // Marks and signs stay with the move; results of every kind.
        {"1. e8=Q+! exd6?? O-O# 1/2-1/2 * 0-1 1-0",
         {"M:e8=Q+!", "M:exd6??", "M:O-O#", "R:1/2-1/2", "R:*", "R:0-1", "R:1-0", "end"}},
        {"\xEF\xBB\xBF[Event \"x\"]\r\n\r\n1. d4\r\nd5\r\n*\r\n", {"T:Event=x", "M:d4", "M:d5", "R:*", "end"}},
        {"1. e4 %e5\n", {"M:e4", "M:%e5", "end"}}, // "%" escapes only at a line start
        // Unterminated tag, comment and variation run to the end.
        {"[Event \"never closed", {"T:Event=never closed", "end"}},
        {"1. e4 {never closed e5", {"M:e4", "end"}},
        {"1. e4 ( 1. d4 ( 1... Nf6", {"M:e4", "end"}},
        {") } ] \" 1. e4", {"M:e4", "end"}},
        // Overlong words come out in pieces; an overlong tag value is cut, the rest skipped.
        {std::string(150, 'N') + " e4", {"M:" + n63, "M:" + n63, "M:" + std::string(24, 'N'), "M:e4", "end"}},
        {"[Annotator \"" + std::string(1000, 'x') + "\"] 1. c4", {"T:Annotator=" + x255, "M:c4", "end"}},
    };
    for (const auto &[text, tokens] : cases)
        EXPECT_EQ(Tokens(text), tokens) << text.substr(0, 80);
}

// Games of varying length put tags, comments and moves on the chunk borders at every offset. A failed
// read and the byte limit end the input, and are no end of file (binary files: the converters' tests).
TEST_F(PgnReaderTest, ChunkBordersFailedReadsAndTheLimit) {
    std::string text;
    V expected;
    for (int game = 0; game < 3000; ++game) {
        text += "[Round \"" + std::to_string(game) + "\"]\n\n1. e4 {" + std::string(size_t(game % 97), '-') +
                "} e5 2. Nf3 (2. f4) Nc6 1/2-1/2\n\n";
        expected.insert(expected.end(),
                        {"T:Round=" + std::to_string(game), "M:e4", "M:e5", "M:Nf3", "M:Nc6", "R:1/2-1/2"});
    }
    expected.push_back("end");
    ASSERT_GT(text.size(), 3 * PgnReader::ChunkSize);
    EXPECT_EQ(Tokens(text), expected);

    PgnReader in;
    EXPECT_FALSE(in.Open(".")); // a directory opens but cannot be read
    in.readFunction = FailingRead;
    failAfter = 0; // the first read fails the open
    EXPECT_FALSE(in.Open("games.pgn"));
    failAfter = 1;
    ASSERT_TRUE(in.Open("games.pgn"));
    EXPECT_EQ(ReadAll(in).back(), "read error");
    EXPECT_EQ(in.readErrno, EIO);
    // Past the byte limit the reader stops, in the chunk that passes it.
    PgnReader limited;
    limited.maxBytes = 2 * PgnReader::ChunkSize;
    ASSERT_TRUE(limited.Open("games.pgn"));
    EXPECT_EQ(ReadAll(limited).back(), "too large");
    EXPECT_EQ(limited.bytesRead, 3 * PgnReader::ChunkSize);
}

TEST(PgnMoveText, StripsMarksAndOnRequestSigns) {
    // Text; then text left and marks with signs stripped, and without.
    const char *cases[][3] = {
        {"Nf3+!", "Nf3 !", "Nf3+ !"},      {"Nf3!+", "Nf3 !", "Nf3!+ "}, {"e8=Q#", "e8=Q ", "e8=Q# "},
        {"Qh5!!!!", "Qh5 !!!", "Qh5 !!!"}, {"+!?", " !?", "+ !?"},
    };
    for (const auto &c : cases)
        for (const bool signs : {true, false}) {
            char text[PgnReader::TextMax + 1], marks[4];
            std::strcpy(text, c[0]);
            StripMoveMarks(text, marks, signs);
            EXPECT_EQ(std::string(text) + " " + marks, c[signs ? 1 : 2]) << c[0] << " signs " << signs;
        }
}
