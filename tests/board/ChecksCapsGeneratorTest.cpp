#include <gtest/gtest.h>

#include <algorithm>

#include "board/BoardTestSupport.h"
#include "board/ChecksCapsGenerator.h"

namespace {

std::vector<MoveEntry> ChecksAndCaptures(const char *fen, int32_t margin) {
    EnsureBoardReady();
    EXPECT_TRUE(SetupPosition(fen)) << fen;
    MoveEntry list[MoveListSize];
    CaptureMargin = margin;
    MoveEntry *end = SideToMove == White ? GenerateWhiteChecksAndCaptures(list) : GenerateBlackChecksAndCaptures(list);
    CaptureMargin = 0;
    return std::vector<MoveEntry>(list, end);
}

constexpr int32_t Absent = -1;

} // namespace

// Which moves the generator produces, by coordinate text, and their scores.
TEST(ChecksCapsGenerator, MovesAndScores) {
    const struct {
        const char *fen;
        int32_t margin;
        const char *move;
        int32_t score; // Absent: must not be generated
        const char *why;
    } cases[] = {
        {"8/6k1/8/2N5/8/8/8/K7 w - -", 0, "c5e6", 0, "safe knight check"},
        {"8/5pk1/8/2N5/8/8/8/K7 w - -", 0, "c5e6", Absent, "the pawn on f7 wins the knight"},
        {"8/8/8/8/7k/8/5KP1/8 w - -", 0, "g2g3", 0, "pawn push that checks"},
        {"8/8/8/8/7k/8/5KP1/8 w - -", 0, "g2g4", Absent, "the double step does not check here"},
        {"8/8/8/7k/8/5K2/6P1/8 w - -", 0, "g2g4", 0, "the double step that checks from a safe square"},
        {"1r5k/P7/8/8/8/8/8/K7 w - -", 5000, "a7b8q", 1999999998, "queen promotions whatever the margin"},
        {"1r5k/P7/8/8/8/8/8/K7 w - -", 5000, "a7a8q", 1999999997, ""},
        {"1r5k/P7/8/8/8/8/8/K7 w - -", 5000, "a7a8n", Absent, "no under-promotions"},
        {"4k3/8/3n4/4K3/8/8/8/8 w - -", 0, "e5d6", 400, "the king takes"},
        {"4k3/8/8/4K3/8/8/8/8 w - -", 0, "e5d6", Absent, "a knight-check square is no king move"},
        {"4k3/8/8/3r4/8/4N3/8/K7 w - -", 0, "e3d5", 600, "capture passing the margin"},
        {"4k3/8/8/3r4/8/4N3/8/K7 w - -", 1000, "e3d5", Absent, "a rook is worth less than the margin"},
        {"k7/8/8/8/2n5/8/6K1/8 b - -", 0, "c4e3", 0, "black mirrors white"},
        {"k7/8/8/8/8/8/p7/7K b - -", 5000, "a2a1q", 1999999997, ""},
    };
    for (const auto &c : cases) {
        int32_t found = Absent;
        for (const MoveEntry &e : ChecksAndCaptures(c.fen, c.margin))
            if (MoveText(e.move) == c.move) found = e.score;
        EXPECT_EQ(found, c.score) << c.fen << " " << c.move << ": " << c.why;
    }
}

TEST(ChecksCapsGenerator, MovesOfOnePieceEachOnce) {
    const struct {
        const char *fen;
        int32_t margin;
        const char *from; // "": all moves
        size_t total;
        const char *why;
    } cases[] = {
        {"7k/8/8/4N3/8/8/1B6/K7 w - -", 0, "e5", 8, "the knight uncovers the bishop from every square"},
        {"4k3/8/8/8/4N3/8/8/K3R3 w - -", 0, "e4", 8, "every knight move uncovers the rook"},
        {"1r5k/P7/8/8/8/8/8/K7 w - -", 5000, "", 2, "queen promotions only"},
        {"4k3/8/8/4K3/8/8/8/8 w - -", 0, "e5", 0, "the king never steps"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> texts;
        for (const MoveEntry &e : ChecksAndCaptures(c.fen, c.margin))
            if (MoveText(e.move).rfind(c.from, 0) == 0) texts.push_back(MoveText(e.move));
        EXPECT_EQ(texts.size(), c.total) << c.fen << ": " << c.why;
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(std::adjacent_find(texts.begin(), texts.end()), texts.end()) << c.fen;
    }
}
