#include <regex>

#include "board/BoardTestSupport.h"
#include "board/ChecksCapsGenerator.h"

namespace {

enum Generator { All, Captures, ChecksCaps };

// The moves a generator writes, in order, with their scores when not 0.
std::string Listing(Generator generator, const char *fen, int32_t margin) {
    EXPECT_TRUE(SetUpBoard(fen)) << fen;
    MoveEntry list[MoveListSize], *end;
    CaptureMargin = margin;
    const bool white = SideToMove == White;
    if (generator == All)
        end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    else if (generator == Captures)
        end = white ? GenerateCaptures<White>(list) : GenerateCaptures<Black>(list);
    else
        end = white ? GenerateChecksAndCaptures<White>(list) : GenerateChecksAndCaptures<Black>(list);
    CaptureMargin = 0;
    std::string text;
    for (MoveEntry *e = list; e < end; e++) {
        text.append(e == list ? "" : " ").append(MoveText(e->move));
        if (e->score) text.append(":").append(std::to_string(e->score));
    }
    return text;
}

} // namespace

// Order and first scores of each generator's moves; "*" stands for any moves.
TEST(MoveGenerator, Listings) {
    const std::tuple<Generator, const char *, int32_t, const char *> cases[] = {
        {All, StartPosition, 0,
         "h2h3 h2h4 g2g3 g2g4 f2f3 f2f4 e2e3 e2e4:5 d2d3 d2d4 c2c3 c2c4 b2b3 b2b4 a2a3 a2a4 g1f3:77 g1h3 b1a3 b1c3"},
        {All, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -", 0,
         "h7h6 h7h5 g7g6 g7g5 f7f6 f7f5 e7e6 e7e5 d7d6 d7d5 c7c6 c7c5 b7b6 b7b5 a7a6 a7a5 g8h6 g8f6 b8c6 b8a6"},
        {All, "r3k3/1P6/8/8/8/8/8/4K3 w - -", 0,
         "b7a8q:1999999998 b7a8r:2 b7a8b b7a8n:1 b7b8q:1999999998 b7b8r:2 b7b8b b7b8n:1 e1f1 *"},
        {All, "4k3/8/8/8/8/8/6p1/4K2R b - -", 0,
         "g2h1q:1999999998 g2h1r:2 g2h1b g2h1n:1 g2g1q:1999999998 g2g1r:2 g2g1b g2g1n:1 e8d8 *"},
        {All, "4k3/8/2p5/3p4/4P3/8/8/3QK3 w - -", 0, "e4d5:1000000100 * d1d5:-1000 *"},
        {All, "4k3/8/2p5/3p4/4P3/8/8/4K3 w - -", 0, "e4d5:1000000000 e4e5 *"},
        {All, "4k3/8/8/3r4/8/8/8/3QK3 w - -", 0, "* d1d5:1000000600 *"},
        {All, "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -", 0, "e1g1:10000 e1c1 h1h2 *"},
        {All, "4k3/8/8/8/8/8/4r3/R3K2R w KQ -", 0, "h1h2 *"}, // no castling out of check
        {All, "r3k2r/8/8/8/8/8/8/RN2K1NR w KQkq -", 0, "g1f3:77 g1h3 *"},
        {All, "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -", 0, "e8g8:10000 e8c8 h8h7 *"},
        {All, "4k3/8/8/3PpP2/8/8/8/4K3 w - e6", 0, "d5e6:2000098 f5e6:2000098 f5f6 *"},
        {All, "4k3/8/8/8/3pPp2/8/8/4K3 b - e3", 0, "f4e3:2000098 d4e3:2000098 f4f3 *"},
        {Captures, "4k3/1P6/4r3/8/3N4/8/8/4K3 w - -", 1000, "b7b8q:1100"},
        {Captures, "4k3/1P6/4r3/8/3N4/8/8/4K3 w - -", 0, "b7b8q:1100 d4e6:600"},
        {Captures, "2b1k3/1P6/n1p5/3p4/8/8/8/3QK3 w - -", 0, "b7c8q:1500 b7b8q:-100"},
        {Captures, "2b1k3/1P6/n1p5/3p4/8/8/8/3QK3 w - -", -2000, "b7c8q:1500 b7b8q:-100 d1d5:-1100"},
        {Captures, "4k3/8/8/8/3pPp2/8/8/4K3 b - e3", 0, ""},
        {ChecksCaps, "8/6k1/8/2N5/8/8/8/K7 w - -", 0, "c5e6"},
        {ChecksCaps, "8/5pk1/8/2N5/8/8/8/K7 w - -", 0, ""},
        {ChecksCaps, "8/8/8/8/7k/8/5KP1/8 w - -", 0, "g2g3"},
        {ChecksCaps, "8/8/8/7k/8/5K2/6P1/8 w - -", 0, "g2g4"},
        {ChecksCaps, "1r5k/P7/8/8/8/8/8/K7 w - -", 5000, "a7b8q:1999999998 a7a8q:1999999997"},
        {ChecksCaps, "4k3/8/3n4/4K3/8/8/8/8 w - -", 0, "e5d6:400"},
        {ChecksCaps, "4k3/8/8/4K3/8/8/8/8 w - -", 0, ""},
        {ChecksCaps, "4k3/8/8/3r4/8/4N3/8/K7 w - -", 0, "e3d5:600"},
        {ChecksCaps, "4k3/8/8/3r4/8/4N3/8/K7 w - -", 1000, ""},
        {ChecksCaps, "k7/8/8/8/2n5/8/6K1/8 b - -", 0, "c4e3"},
        {ChecksCaps, "k7/8/8/8/8/8/p7/7K b - -", 5000, "a2a1q:1999999997"},
        {ChecksCaps, "7k/8/8/4N3/8/8/1B6/K7 w - -", 0, "e5d7 e5f7 e5c6 e5g6 e5c4 e5g4 e5d3 e5f3"},
        {ChecksCaps, "4k3/8/8/8/4N3/8/8/K3R3 w - -", 0, "e4d6 e4f6 e4c5 e4g5 e4c3 e4g3 e4d2 e4f2"},
    };
    HistoryScore[WhiteKnight][F3] = 77;
    HistoryScore[WhitePawn][E4] = 5;
    for (auto [generator, fen, margin, expected] : cases) {
        const std::string listing = Listing(generator, fen, margin);
        EXPECT_TRUE(std::regex_match(listing, std::regex(std::regex_replace(expected, std::regex("\\*"), ".*"))))
            << fen << " margin " << margin << "\n"
            << listing;
    }
    HistoryScore[WhiteKnight][F3] = HistoryScore[WhitePawn][E4] = 0;
}
