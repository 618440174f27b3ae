#include "board/BoardTestSupport.h"
#include "board/ChecksCapsGenerator.h"

namespace {

using Generator = MoveEntry *(*)(MoveEntry *);

// The moves a generator writes, in order, with their scores when not 0.
std::string Listing(Generator generate, const char *fen, int32_t margin) {
    EXPECT_TRUE(SetUpBoard(fen)) << fen;
    MoveEntry list[MoveListSize];
    CaptureMargin = margin;
    const MoveEntry *end = generate(list);
    CaptureMargin = 0;
    std::string text;
    for (const MoveEntry *e = list; e < end; e++) {
        text.append(e == list ? "" : " ").append(MoveText(e->move));
        if (e->score) text.append(":").append(std::to_string(e->score));
    }
    return text;
}

} // namespace

// The moves and scores of the capture and checks-and-captures generators in their order. (Perft
// counts the full generator's moves; their order and scores shape the search, which "morvane bench" pins.)
TEST(MoveGenerator, Listings) {
    const std::tuple<Generator, const char *, int32_t, const char *> cases[] = {
        {GenerateWhiteCaptures, "4k3/1P6/4r3/8/3N4/8/8/4K3 w - -", 1000, "b7b8q:1100"},
        {GenerateWhiteCaptures, "2b1k3/1P6/n1p5/3p4/8/8/8/3QK3 w - -", 0, "b7c8q:1500 b7b8q:-100"},
        {GenerateWhiteCaptures, "2b1k3/1P6/n1p5/3p4/8/8/8/3QK3 w - -", -2000, "b7c8q:1500 b7b8q:-100 d1d5:-1100"},
        {GenerateBlackCaptures, "4k3/8/8/8/3pPp2/8/8/4K3 b - e3", 0, ""},
        {GenerateWhiteChecksAndCaptures, "8/6k1/8/2N5/8/8/8/K7 w - -", 0, "c5e6"},
        {GenerateWhiteChecksAndCaptures, "8/5pk1/8/2N5/8/8/8/K7 w - -", 0, ""},
        {GenerateWhiteChecksAndCaptures, "8/8/8/8/7k/8/5KP1/8 w - -", 0, "g2g3"},
        {GenerateWhiteChecksAndCaptures, "8/8/8/7k/8/5K2/6P1/8 w - -", 0, "g2g4"},
        {GenerateWhiteChecksAndCaptures, "1r5k/P7/8/8/8/8/8/K7 w - -", 5000, "a7b8q:1999999998 a7a8q:1999999997"},
        {GenerateWhiteChecksAndCaptures, "4k3/8/8/3r4/8/4N3/8/K7 w - -", 0, "e3d5:600"},
        {GenerateWhiteChecksAndCaptures, "4k3/8/8/3r4/8/4N3/8/K7 w - -", 1000, ""},
        {GenerateBlackChecksAndCaptures, "k7/8/8/8/2n5/8/6K1/8 b - -", 0, "c4e3"},
        {GenerateBlackChecksAndCaptures, "k7/8/8/8/8/8/p7/7K b - -", 5000, "a2a1q:1999999997"},
        {GenerateWhiteChecksAndCaptures, "7k/8/8/4N3/8/8/1B6/K7 w - -", 0, "e5d7 e5f7 e5c6 e5g6 e5c4 e5g4 e5d3 e5f3"},
    };
    for (auto [generator, fen, margin, expected] : cases)
        EXPECT_EQ(Listing(generator, fen, margin), expected) << fen << " margin " << margin;
}
