// Standard input (a pipe on fd 0): the reader, waiting input, and the end of a long run.
#include <gtest/gtest.h>

#include "shell/InputPoll.h"
#include "shell/ShellTestSupport.h"

namespace {

// The next n words joined by blanks, "<end>" for the end of input.
std::string Words(int n = 1, long *length = nullptr, size_t size = 100) {
    std::string all, buffer(size, '\0');
    for (int i = 0; i < n; ++i) {
        const long got = ReadWord(buffer.data(), size);
        all.append(i ? " " : "").append(got < 0 ? "<end>" : buffer.c_str());
        if (length) *length = got;
    }
    return all;
}

} // namespace

TEST(InputReader, WaitingInputAndTheEndOfARun) {
    {
        StdinPipe in;
        EXPECT_FALSE(InputWaiting());
        in.Write("stop\n");
        EXPECT_TRUE(InputWaiting());
        EXPECT_EQ(Words(), "stop");
        in.Write("\n\n  \r\n");
        EXPECT_FALSE(InputWaiting()) << "line breaks and blanks are no waiting command";
        in.Write("go ?\n");
        EXPECT_EQ(Words(), "go");
        EXPECT_TRUE(InputWaiting()) << "a second word in the buffer";
        EXPECT_EQ(Words(), "?");
        in.Write("force\n");
        Interruptible = 0; // after "nointer" words do not interrupt, a vanished interface does
        EXPECT_EQ(InputAvailable(), 0u);
        in.Close();
        EXPECT_NE(InputAvailable(), 0u);
        Interruptible = 1;
        EXPECT_TRUE(InputWaiting()) << "the end of input lets the next read run";
        EXPECT_EQ(Words(2), "force <end>") << "nothing was taken away";
    }
    // A long run ends when the input closes or "quit" waits (after "nointer": only the end).
    const std::tuple<const char *, bool, uint32_t, bool> cases[] = {{"", false, 1, false},
                                                                    {"post\nperft 3\n", false, 1, false},
                                                                    {"force\nquit\n", false, 1, true},
                                                                    {"quit", true, 1, true},
                                                                    {"quitx quiet xquit\n", false, 1, false},
                                                                    {"post\n", true, 1, true},
                                                                    {"quit\n", false, 0, false},
                                                                    {"", true, 0, true}};
    for (auto [bytes, close, interruptible, ended] : cases) {
        StdinPipe in;
        Interruptible = interruptible;
        in.Write(bytes);
        if (close) in.Close();
        EXPECT_EQ(EndRequested(), ended) << "'" << bytes << "' close " << close;
        Interruptible = 1;
        in.Close();
        const std::string first = std::string(bytes).substr(0, std::string(bytes).find_first_of(" \n"));
        EXPECT_EQ(Words(), first.empty() ? "<end>" : first) << "the words stay for the command loop";
    }
}

TEST(InputReader, WhatIsLeftOfADroppedLineIsNeverRead) {
    // Input after the word "zz"; whether the poll looked past it first; whether a "quit" then waits; what follows.
    const std::tuple<const char *, bool, bool, const char *> cases[] = {
        {" e2e4 quit\nnext\n", false, false, "next <end>"},
        {"\ne2e4 quit\n", true, true, "e2e4 quit"}}; // the line had ended: nothing to drop
    for (const auto &[bytes, looked, quit, next] : cases) {
        SCOPED_TRACE(bytes);
        StdinPipe in;
        in.Write(std::string("zz") + bytes);
        EXPECT_EQ(Words(), "zz");
        EXPECT_TRUE(!looked || InputWaiting());
        DropRestOfLine();
        EXPECT_EQ(EndRequested(), quit);
        in.Close();
        EXPECT_EQ(Words(2), next);
    }
}
