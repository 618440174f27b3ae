// The style book converter: annotated games in, a sorted style book out, and
// every failure leaving the old book as it was.
#include "book/BookTestSupport.h"
#include "shell/ShellState.h"
#include "shell/Xboard.h"

using namespace booktest;

using StyleBookTest = ScratchDir;

TEST_F(StyleBookTest, AnnotatedGamesConvert) {
    // Tags and results start a game afresh; "0-0" is castling.
    EngineSide = 0;
    WriteFileBytes("games.pgn",
                   "[Event \"1\"]\n1. e4! e5 2. Nf3 Nc6?! 3. Bb5!! a6 4. Ba4 Nf6!? 5. 0-0 Be7?? 1-0\n"
                   "[Event \"2\"]\n1. e4 e5 2. Nf3 Nc6 3. Bc4?\n[Event \"3\"]\n1. d4 d5! 2. c4 e6? 1/2-1/2\n"
                   "1. e4? *\n1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 *\n");
    EXPECT_EQ(Output([] { ConvertStyleBook("games.pgn"); }),
              "Converting style book...\n1\r2\r3\rStyle book succesfull converted (20 pos)\nSaved 20 positions\n");
    EXPECT_EQ(EngineSide, 1u); // left in a new game
    EXPECT_EQ(Load("MVstyle.book", StyleBookFile, StyleBookSize), "found 20 positions in opening book\n");
    // "!" good for the mover (7), "?", "??" and "?!" good for the other side (0), "!!" and "!?"
    // compulsory (4); unmarked moves add 2 and keep the class.
    const std::tuple<const char *, int, int> expected[] = {
        {"e4", 1, 9},
        {"e4 e5", 2, 4},
        {"e4 e5 Nf3 Nc6", 0, 2},
        {"e4 e5 Nf3 Nc6 Bb5", 4, 0},
        {"e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6", 4, 0},
        {"e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 O-O", 2, 2},
        {"e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 O-O Be7", 0, 0},
        {"e4 e5 Nf3 Nc6 Bc4", 1, 0},
        {"d4 d5", 1, 7},
        {"d4 d5 c4 e6", 0, 0},
        {"Nf3", 2, 4},
        {"", 2, 2}, // the initial position again
    };
    for (auto [moves, bookClass, weight] : expected) {
        const BookRecord r = RecordAfter(StyleBookFile, StyleBookSize, moves);
        EXPECT_EQ(std::make_pair(int(r.bookClass), r.weight), std::make_pair(bookClass, weight)) << moves;
    }
}

TEST_F(StyleBookTest, FailuresKeepTheOldBook) {
    std::string huge;
    while (huge.size() < 300000)
        huge += "[Event \"x\"]\n1. e4 e5 2. Nf3 *\n";
    const std::string check = "1. e4 e5 2. Nf3 Nc6 3. Bc4 Nf6 4. d3 Bb4+ 5. ";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, // unreadable files print nothing
        {"{only a comment}\n; and another\n% and a line\n",
         "WARNING: no moves found in x.pgn, MVstyle.book not changed\n"},
        {"[Event \"never closed", "1\rWARNING: no moves found in x.pgn"},
        {std::string("1. e4 e5 \0 2. Nf3", 17),
         "ERROR: cannot convert x.pgn (not a text file), MVstyle.book not changed\n"},
        {huge, "ERROR: cannot convert x.pgn (larger than the limit)"},
        {"[Event \"a\"]\n1. e4 e5 2. Nf3 Nc6\n[Event \"b\"]\n[Round \"2\"]\n1. e4 Ke5\n",
         "ERROR: bad style book, line 6\n"},
        // Moves that leave the own king in check, castling out of check.
        {"1. e4 e5 2. Qh5 f6 3. Qxe5+ Nh6\n", "ERROR: bad style book, line 0\n"},
        {check + "O-O\n", "Error recognizing move - O-O\n"},
        {check + "c3 Bc5 6. O-O\n", "Saved 12 positions\n"},
    };
    for (const auto &[text, message] : cases) {
        WriteFileBytes("MVstyle.book", "old book");
        WriteFileBytes("x.pgn", text);
        const char *name = text.empty() ? "missing.pgn" : "x.pgn";
        bool replayed = false;
        const std::string out =
            Output([&] { replayed = ConvertStyleBookTo(name, "MVstyle.book", 1000, 1000, 200000); });
        EXPECT_EQ(out.empty(), message.empty());
        EXPECT_NE(out.find(message), std::string::npos) << out.substr(0, 200);
        EXPECT_EQ(replayed, !out.empty()); // the caller then starts a new game
        EXPECT_EQ(ReadFileBytes("MVstyle.book") == "old book", message.find("Saved") == std::string::npos);
    }
}
