// The standard-input reader, fed through a pipe put in place of fd 0.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "shell/InputPoll.h"
#include "shell/InputReader.h"
#include "shell/ShellState.h"
#include "shell/ShellTestSupport.h"

namespace {

std::string Word(long *length = nullptr, size_t size = 100) {
    std::string buffer(size, '\0');
    long n = ReadWord(buffer.data(), size);
    if (length) *length = n;
    return buffer.c_str();
}

} // namespace

TEST(InputReader, WordsAcrossBlanksTabsAndLineEnds) {
    StdinPipe in;
    in.Write("  new\te2e4\r\n\r\n level 40 5 0\n\vgo");
    in.Close();
    for (const char *expected : {"new", "e2e4", "level", "40", "5", "0", "go"})
        EXPECT_EQ(Word(), expected);
    long length = 0;
    Word(&length);
    EXPECT_EQ(length, -1);
    EXPECT_TRUE(InputEnded());
    EXPECT_EQ(Word(&length), "");
    EXPECT_EQ(length, -1) << "the end of input stays the end";
}

TEST(InputReader, LongWordIsCutButReportsItsLength) {
    StdinPipe in;
    std::string big(20000, 'a'); // longer than the reader's own buffer
    in.Write(big + " next");
    in.Close();
    long length = 0;
    std::string w = Word(&length, 100);
    EXPECT_EQ(length, 20000);
    EXPECT_EQ(w, std::string(99, 'a'));
    EXPECT_EQ(Word(), "next");
}

TEST(InputReader, Integers) {
    StdinPipe in;
    in.Write("42 -7 +3 2147483647 -2147483648 2147483648 4x x4 - 0\n");
    in.Close();
    int32_t v = 0;
    for (int32_t expected : {42, -7, 3, 2147483647, int32_t(-2147483647 - 1)}) {
        ASSERT_EQ(ReadInteger(v), 1);
        EXPECT_EQ(v, expected);
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadInteger(v), 0) << "word " << i << " is no number";
    ASSERT_EQ(ReadInteger(v), 1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ReadInteger(v), -1);
}

TEST(InputReader, RestOfLine) {
    StdinPipe in;
    std::string longComment(30000, 'c');
    in.Write("result 1-0 {White mates}\r\nnext " + longComment + "\nafter\nresult 0-1\nlast\nno line end");
    in.Close();
    char rest[100];
    EXPECT_EQ(Word(), "result");
    EXPECT_EQ(Word(), "1-0");
    EXPECT_EQ(ReadRestOfLine(rest, sizeof rest), 14);
    EXPECT_STREQ(rest, " {White mates}");
    EXPECT_EQ(Word(), "next");
    EXPECT_EQ(ReadRestOfLine(rest, sizeof rest), 99) << "the rest of a long line is dropped";
    EXPECT_EQ(Word(), "after");
    EXPECT_EQ(Word(), "result");
    EXPECT_EQ(Word(), "0-1");
    EXPECT_EQ(ReadRestOfLine(rest, sizeof rest), 0);
    EXPECT_EQ(Word(), "last");
    EXPECT_EQ(ReadRestOfLine(rest, sizeof rest), 0);
    EXPECT_EQ(ReadRestOfLine(rest, sizeof rest), 11);
    EXPECT_STREQ(rest, "no line end");
    EXPECT_EQ(ReadRestOfLine(rest, sizeof rest), -1);
}

TEST(InputReader, WaitingInputIsSeenWithoutBlocking) {
    StdinPipe in;
    EXPECT_FALSE(InputWaiting());
    in.Write("stop\n");
    EXPECT_TRUE(InputWaiting());
    EXPECT_EQ(Word(), "stop");
    // The line break left behind is no waiting command.
    EXPECT_FALSE(InputWaiting());
    in.Write("\n\n  \r\n");
    EXPECT_FALSE(InputWaiting());
    in.Write("go ?\n");
    EXPECT_TRUE(InputWaiting());
    EXPECT_EQ(Word(), "go");
    EXPECT_TRUE(InputWaiting()) << "a second word in the buffer";
    EXPECT_EQ(Word(), "?");
    EXPECT_FALSE(InputWaiting());
    in.Close();
    EXPECT_TRUE(InputWaiting()) << "the end of input lets the next read run";
    long length = 0;
    Word(&length);
    EXPECT_EQ(length, -1);
}

TEST(InputReader, InputAvailableHonoursNoInterrupt) {
    StdinPipe in;
    in.Write("stop\n");
    Interruptible = 0;
    EXPECT_EQ(InputAvailable(), 0u);
    Interruptible = 1;
    EXPECT_NE(InputAvailable(), 0u);
    EXPECT_EQ(Word(), "stop");
    EXPECT_EQ(InputAvailable(), 0u);
}

TEST(InputReader, ClosedInputIsSeenEvenAfterNoInterrupt) {
    StdinPipe in;
    Interruptible = 0;
    in.Write("force\n");
    EXPECT_EQ(InputAvailable(), 0u) << "words do not interrupt";
    in.Close();
    EXPECT_NE(InputAvailable(), 0u) << "a vanished interface does";
    Interruptible = 1;
    EXPECT_EQ(Word(), "force") << "nothing was taken away";
    long length = 0;
    Word(&length);
    EXPECT_EQ(length, -1);
}

TEST(InputReader, EndRequestedByQuitOrClosedInput) {
    struct Case {
        const char *bytes;
        bool close;
        uint32_t interruptible;
        bool ended;
    };
    const Case cases[] = {
        {"", false, 1, false},       {"post\nperft 3\n", false, 1, false},     {"force\nquit\n", false, 1, true},
        {"quit", false, 1, false}, // may still become "quitting"
        {"quit", true, 1, true},     {"quitx quiet xquit\n", false, 1, false}, {"post\n", true, 1, true},
        {"quit\n", false, 0, false}, // after "nointer" only the end counts
        {"", true, 0, true},
    };
    for (const Case &c : cases) {
        StdinPipe in;
        Interruptible = c.interruptible;
        in.Write(c.bytes);
        if (c.close) in.Close();
        EXPECT_EQ(EndRequested(), c.ended) << "'" << c.bytes << "' close " << c.close;
        Interruptible = 1;
        in.Close();
        // The words stay for the command loop.
        std::string first = c.bytes;
        first = first.substr(0, first.find_first_of(" \n"));
        if (!first.empty()) {
            EXPECT_EQ(Word(), first);
        }
    }
}

TEST(InputReader, NulBytesSeparateWords) {
    StdinPipe in;
    in.Write(std::string("quit\0xyz", 8));
    in.Close();
    EXPECT_EQ(Word(), "quit");
    EXPECT_EQ(Word(), "xyz");
}
