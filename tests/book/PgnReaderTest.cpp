// The streaming game-file reader: what it hands out, across chunk borders,
// and how it reports inputs that are no game text.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "book/BookTestSupport.h"
#include "book/PgnReader.h"

using namespace booktest;

namespace {

class PgnReaderTest : public ScratchDir {};

// Tokens as text: "T:name=value", "M:move", "R:result", and the end kind.
std::vector<std::string> ReadAll(PgnReader &in) {
    std::vector<std::string> tokens;
    for (;;) {
        switch (in.Next()) {
        case PgnToken::Tag:
            tokens.push_back(std::string("T:") + in.tagName + "=" + in.tagValue);
            break;
        case PgnToken::Move:
            tokens.push_back(std::string("M:") + in.text);
            break;
        case PgnToken::Result:
            tokens.push_back(std::string("R:") + in.text);
            break;
        case PgnToken::End:
            tokens.push_back("end");
            return tokens;
        case PgnToken::ReadError:
            tokens.push_back("read error");
            return tokens;
        case PgnToken::Binary:
            tokens.push_back("binary");
            return tokens;
        case PgnToken::TooLarge:
            tokens.push_back("too large");
            return tokens;
        }
    }
}

std::vector<std::string> Tokens(const std::string &text) {
    WriteFileBytes("games.pgn", text);
    PgnReader in;
    EXPECT_TRUE(in.Open("games.pgn"));
    return ReadAll(in);
}

using V = std::vector<std::string>;

} // namespace

TEST_F(PgnReaderTest, HandsOutTagsMovesAndResults) {
    struct Case {
        std::string text;
        V tokens;
    };
    const std::vector<Case> cases = {
        {"[Event \"Club [upstairs]\"]\n[White \"A \\\"B\\\" C\"]\n\n1. e4 e5 1-0\n",
         {"T:Event=Club [upstairs]", "T:White=A \"B\" C", "M:e4", "M:e5", "R:1-0", "end"}},
        // Move numbers alone or glued, with one or three dots, or none.
        {"1.e4 1... e5 2. Nf3 2...Nc6 3 Bb5 12.O-O-O *",
         {"M:e4", "M:e5", "M:Nf3", "M:Nc6", "M:Bb5", "M:O-O-O", "R:*", "end"}},
        // Comments of both kinds, escaped lines, glyphs, nested variations
        // with comments holding brackets.
        {"1. e4 {a (comment) } e5 ; rest of line 2. d4\n% escaped 2. c4\n2. Nf3 $1 $14 Nc6 "
         "(2... d6 (2... f5 {!)} 3. exf5) 3. d4) 3. Bb5!? 0-1",
         {"M:e4", "M:e5", "M:Nf3", "M:Nc6", "M:Bb5!?", "R:0-1", "end"}},
        // Marks and signs stay with the move; results of every kind.
        {"1. e8=Q+! exd6?? O-O# 1/2-1/2 * 0-1 1-0",
         {"M:e8=Q+!", "M:exd6??", "M:O-O#", "R:1/2-1/2", "R:*", "R:0-1", "R:1-0", "end"}},
        // CRLF line ends and a byte-order mark.
        {"\xEF\xBB\xBF[Event \"x\"]\r\n\r\n1. d4\r\nd5\r\n*\r\n", {"T:Event=x", "M:d4", "M:d5", "R:*", "end"}},
        // A "%" that does not begin a line is no escape.
        {"1. e4 %e5\n", {"M:e4", "M:%e5", "end"}},
        // Unterminated tag, comment and variation run to the end.
        {"[Event \"never closed", {"T:Event=never closed", "end"}},
        {"1. e4 {never closed e5", {"M:e4", "end"}},
        {"1. e4 ( 1. d4 ( 1... Nf6", {"M:e4", "end"}},
        {"", {"end"}},
        {") } ] \" 1. e4", {"M:e4", "end"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST_F(PgnReaderTest, OverlongWordsComeOutCut) {
    const V tokens = Tokens(std::string(150, 'N') + " e4");
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[0], "M:" + std::string(PgnReader::TextMax, 'N'));
    EXPECT_EQ(tokens[3], "M:e4");
    // A tag value longer than the room is cut, the rest of the tag skipped.
    const V tag = Tokens("[Annotator \"" + std::string(1000, 'x') + "\"] 1. c4");
    ASSERT_EQ(tag.size(), 3u);
    EXPECT_EQ(tag[0], "T:Annotator=" + std::string(PgnReader::ValueMax, 'x'));
    EXPECT_EQ(tag[1], "M:c4");
}

TEST_F(PgnReaderTest, TokensAcrossChunkBordersAreWhole) {
    // Games of varying length so that tags, comments and moves fall on the
    // borders of the reader's chunks at every offset.
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
}

namespace {

int failAfter = 0;
ssize_t FailingRead(int fd, void *buffer, size_t size) {
    if (failAfter-- <= 0) {
        errno = EIO;
        return -1;
    }
    return ::read(fd, buffer, size);
}

} // namespace

TEST_F(PgnReaderTest, ReadFailuresAreNoEndOfFile) {
    // A directory opens on Linux but cannot be read: that is no empty file.
    PgnReader in;
    EXPECT_FALSE(in.Open("."));
    EXPECT_FALSE(in.Open("missing.pgn"));

    // A failure after the first chunk is reported as such.
    std::string text;
    while (text.size() < 2 * PgnReader::ChunkSize)
        text += "1. e4 e5 2. Nf3 Nc6 *\n";
    WriteFileBytes("games.pgn", text);
    failAfter = 1;
    in.readFunction = FailingRead;
    ASSERT_TRUE(in.Open("games.pgn"));
    EXPECT_EQ(ReadAll(in).back(), "read error");
    EXPECT_EQ(in.readErrno, EIO);

    // A failure on the first read fails the open.
    failAfter = 0;
    EXPECT_FALSE(in.Open("games.pgn"));
}

TEST_F(PgnReaderTest, BinaryAndEndlessInputsAreRefused) {
    EXPECT_EQ(Tokens(std::string("1. e4 \0 e5", 10)).back(), "binary");
    PgnReader in;
    ASSERT_TRUE(in.Open("/dev/zero"));
    EXPECT_EQ(ReadAll(in), V{"binary"});

    // Past the byte limit the reader stops, in the chunk that passes it.
    std::string text;
    while (text.size() < 5 * PgnReader::ChunkSize)
        text += "1. e4 e5 *\n";
    WriteFileBytes("big.pgn", text);
    PgnReader limited;
    limited.maxBytes = 2 * PgnReader::ChunkSize;
    ASSERT_TRUE(limited.Open("big.pgn"));
    EXPECT_EQ(ReadAll(limited).back(), "too large");
    EXPECT_EQ(limited.bytesRead, 3 * PgnReader::ChunkSize);
}

TEST(PgnMoveText, StripsMarksSignsAndZeroCastling) {
    struct Case {
        const char *in, *move, *marks;
    };
    const Case cases[] = {
        {"Nf3+!", "Nf3", "!"},  {"Nf3!+", "Nf3", "!"},     {"e8=Q#", "e8=Q", ""},
        {"Bb5!?", "Bb5", "!?"}, {"exd5??", "exd5", "??"},  {"0-0-0+", "O-O-O", ""},
        {"0-0?!", "O-O", "?!"}, {"Qh5!!!!", "Qh5", "!!!"}, {"+!?", "", "!?"},
    };
    for (const Case &c : cases) {
        char text[PgnReader::TextMax + 1];
        std::strcpy(text, c.in);
        char marks[4];
        StripMoveText(text, marks);
        EXPECT_STREQ(text, c.move) << c.in;
        EXPECT_STREQ(marks, c.marks) << c.in;
    }
}
