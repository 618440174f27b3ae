#include "search/SearchTestSupport.h"

#include <algorithm>
#include <string>
#include <vector>

#include "board/ChecksCapsGenerator.h"
#include "board/MoveGenerator.h"
#include "shell/TestSuite.h"

namespace {

std::vector<MoveEntry> Generate(const char *fen, int32_t margin) {
    SetUpSearch(fen);
    MoveEntry list[MoveListSize];
    CaptureMargin = margin;
    MoveEntry *end = SideToMove == White ? GenerateWhiteChecksAndCaptures(list) : GenerateBlackChecksAndCaptures(list);
    return std::vector<MoveEntry>(list, end);
}

const MoveEntry *Find(const std::vector<MoveEntry> &moves, Move m) {
    for (const MoveEntry &e : moves)
        if (e.move == m) return &e;
    return nullptr;
}

int CountFrom(const std::vector<MoveEntry> &moves, Square from) {
    return int(
        std::count_if(moves.begin(), moves.end(), [from](const MoveEntry &e) { return MoveFrom(e.move) == from; }));
}

TEST(ChecksCapsGenerator, SafeKnightCheckIsProducedUnsafeIsNot) {
    auto moves = Generate("8/6k1/8/2N5/8/8/8/K7 w - -", 0);
    const MoveEntry *e = Find(moves, MakeMoveWord(C5, E6));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->score, 0);
    moves = Generate("8/5pk1/8/2N5/8/8/8/K7 w - -", 0);
    EXPECT_EQ(Find(moves, MakeMoveWord(C5, E6)), nullptr) << "the pawn on f7 wins the knight";
}

TEST(ChecksCapsGenerator, DiscoveringPieceMovesEverywhereOnce) {
    auto moves = Generate("7k/8/8/4N3/8/8/1B6/K7 w - -", 0);
    EXPECT_EQ(CountFrom(moves, E5), 8);
    for (Square t : {C4, C6, D3, D7, F3, F7, G4, G6})
        EXPECT_NE(Find(moves, MakeMoveWord(E5, t)), nullptr) << t;

    moves = Generate("4k3/8/8/8/4N3/8/8/K3R3 w - -", 0);
    EXPECT_EQ(CountFrom(moves, E4), 8) << "every knight move uncovers the rook";
}

TEST(ChecksCapsGenerator, PawnPushThatChecksButNotTheDoubleStep) {
    auto moves = Generate("8/8/8/8/7k/8/5KP1/8 w - -", 0);
    EXPECT_NE(Find(moves, MakeMoveWord(G2, G3)), nullptr);
    EXPECT_EQ(Find(moves, MakeMoveWord(G2, G4, EmptySquare, DoubleStepFlag)), nullptr);
    moves = Generate("8/8/8/7k/8/5K2/6P1/8 w - -", 0);
    EXPECT_NE(Find(moves, MakeMoveWord(G2, G4, EmptySquare, DoubleStepFlag)), nullptr)
        << "the double step that checks from a safe square";
}

TEST(ChecksCapsGenerator, QueenPromotionsWhateverTheMargin) {
    auto moves = Generate("1r5k/P7/8/8/8/8/8/K7 w - -", 5000);
    const MoveEntry *capture = Find(moves, MakePromotionWord(A7, B8, BlackRook, WhiteQueen));
    const MoveEntry *push = Find(moves, MakePromotionWord(A7, A8, EmptySquare, WhiteQueen));
    ASSERT_NE(capture, nullptr);
    ASSERT_NE(push, nullptr);
    EXPECT_EQ(capture->score, 1999999998);
    EXPECT_EQ(push->score, 1999999997);
    EXPECT_EQ(moves.size(), 2u) << "no under-promotions";
}

TEST(ChecksCapsGenerator, KingTakesButNeverSteps) {
    auto moves = Generate("4k3/8/8/4K3/8/8/8/8 w - -", 0);
    EXPECT_EQ(CountFrom(moves, E5), 0) << "d6 and f6 are knight-check squares, not king moves";
    moves = Generate("4k3/8/3n4/4K3/8/8/8/8 w - -", 0);
    const MoveEntry *e = Find(moves, MakeMoveWord(E5, D6, BlackKnight));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->score, 400);
}

TEST(ChecksCapsGenerator, CapturesPassTheMarginByExchange) {
    auto moves = Generate("4k3/8/8/3r4/8/4N3/8/K7 w - -", 0);
    EXPECT_NE(Find(moves, MakeMoveWord(E3, D5, BlackRook)), nullptr);
    moves = Generate("4k3/8/8/3r4/8/4N3/8/K7 w - -", 1000);
    EXPECT_EQ(Find(moves, MakeMoveWord(E3, D5, BlackRook)), nullptr) << "a rook is worth less than the margin";
}

TEST(ChecksCapsGenerator, BlackMirrorsWhite) {
    auto moves = Generate("k7/8/8/8/2n5/8/6K1/8 b - -", 0);
    const MoveEntry *e = Find(moves, MakeMoveWord(C4, E3));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->score, 0);
    moves = Generate("k7/8/8/8/8/8/p7/7K b - -", 5000);
    EXPECT_NE(Find(moves, MakePromotionWord(A2, A1, EmptySquare, BlackQueen)), nullptr);
}

TEST(ChecksCapsGenerator, ListingShowsBothSides) {
    SetUpSearch("k7/8/8/8/2n5/8/6K1/8 w - -");
    testing::internal::CaptureStdout();
    ListChecksAndCaptures();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "\nwhite checks-caps:\nblack checks-caps:c4e3 \n");
    EXPECT_EQ(CaptureMargin, 1000);
}

} // namespace
