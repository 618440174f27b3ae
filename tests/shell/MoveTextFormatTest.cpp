// Coordinate text and the thinking line layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "search/SearchState.h"
#include "shell/MoveText.h"
#include "shell/ShellState.h"

namespace {

std::string Text(Move m) {
    char buffer[MoveTextSize];
    MoveToText(buffer, m);
    return buffer;
}

void SetPV(std::initializer_list<Move> moves) {
    memset(PVTable[0], 0, sizeof(PVTable[0]));
    int i = 0;
    for (Move m : moves)
        PVTable[0][i++] = m;
}

} // namespace

TEST(MoveTextFormat, CoordinateTextOfOrdinaryAndSpecialMoves) {
    EXPECT_EQ(Text(MakeMoveWord(E2, E4, EmptySquare, DoubleStepFlag)), "e2e4");
    EXPECT_EQ(Text(MakeMoveWord(A8, H1)), "a8h1");
    EXPECT_EQ(Text(MakeMoveWord(E1, G1, EmptySquare, CastlingFlag)), "e1g1") << "castling is the king's move";
    EXPECT_EQ(Text(MakeMoveWord(E8, C8, EmptySquare, CastlingFlag)), "e8c8");
    EXPECT_EQ(Text(MakeMoveWord(E5, D6, BlackPawn, EnPassantFlag)), "e5d6");
}

TEST(MoveTextFormat, PromotionLetterIsUpperCaseForBothColours) {
    EXPECT_EQ(Text(MakePromotionWord(E7, E8, EmptySquare, WhiteQueen)), "e7e8Q");
    EXPECT_EQ(Text(MakePromotionWord(D2, D1, EmptySquare, BlackQueen)), "d2d1Q");
    EXPECT_EQ(Text(MakePromotionWord(B7, A8, BlackRook, WhiteKnight)), "b7a8N");
    EXPECT_EQ(Text(MakePromotionWord(G2, H1, WhiteRook, BlackBishop)), "g2h1B");
    EXPECT_EQ(Text(MakePromotionWord(C2, C1, EmptySquare, BlackRook)), "c2c1R");
}

TEST(MoveTextFormat, NullAndBrokenMovesGiveHashes) {
    EXPECT_EQ(Text(0), "####");
    EXPECT_EQ(Text(MakeMoveWord(0, E4)), "####");
    EXPECT_EQ(Text(MakeMoveWord(E2, 0)), "####");
    // Square bytes outside the playing area never produce letters.
    EXPECT_EQ(Text(MakeMoveWord(10, E4)), "####");
    EXPECT_EQ(Text(MakeMoveWord(E2, 250)), "####");
}

TEST(MoveTextFormat, AnnouncementAndExchangeListingLines) {
    testing::internal::CaptureStdout();
    PrintMove(MakeMoveWord(G8, F6));
    PrintMoveScore(MakeMoveWord(E4, D5, BlackPawn), -200);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nmove g8f6\ne4d5 -200\n");
}

TEST(MoveTextFormat, ThinkingLineColumnsAndTrailingBlank) {
    char line[256];
    FormatThinkingLine(line, sizeof(line), 7, 35, 120, 45678, "e2e4 e7e5 ");
    EXPECT_STREQ(line, " 7  35    120     45678 e2e4 e7e5 ");
    FormatThinkingLine(line, sizeof(line), 12, -5, 0, 0, "");
    EXPECT_STREQ(line, "12  -5      0         0 ");
    // Wider numbers are written in full, 64-bit node counts included.
    FormatThinkingLine(line, sizeof(line), 123, -32000, 12345678, 12345678901234ull, "a2a3 ");
    EXPECT_STREQ(line, "123 -32000 12345678 12345678901234 a2a3 ");
}

TEST(MoveTextFormat, PrincipalVariationStopsAtFirstEmptyEntry) {
    char pv[256];
    SetPV({MakeMoveWord(E2, E4), MakeMoveWord(E7, E5), 0, MakeMoveWord(G1, F3)});
    FormatThinkingPV(pv, sizeof(pv), false);
    EXPECT_STREQ(pv, "e2e4 e7e5 ");
    SetPV({MakePromotionWord(A7, A8, EmptySquare, WhiteQueen), MakeMoveWord(H8, H7)});
    FormatThinkingPV(pv, sizeof(pv), false);
    EXPECT_STREQ(pv, "a7a8Q h8h7 ");
    FormatThinkingPV(pv, sizeof(pv), true);
    EXPECT_STREQ(pv, "a7a8q h8h7 ") << "the other protocol wants lower-case promotions";
    SetPV({});
    FormatThinkingPV(pv, sizeof(pv), false);
    EXPECT_STREQ(pv, "");
}

TEST(MoveTextFormat, UciInfoLines) {
    struct Case {
        int32_t score, elapsed, hashfull;
        uint64_t nodes;
        const char *expected;
    } cases[] = {
        {20, 0, -1, 1000, "info depth 5 score cp 20 time 0 nodes 1000 pv e2e4 "},
        // 50 billion nodes in 100 seconds: the rate needs 64 bits.
        {-15, 10000, 7, 50000000000ull,
         "info depth 5 score cp -15 time 100000 nodes 50000000000 nps 500000000 hashfull 7 pv e2e4 "},
        // Mate scores in whole moves: mating at ply 1 and 3, mated at ply 2 and 4.
        {32766, 1, 0, 10, "info depth 5 score mate 1 time 10 nodes 10 nps 1000 hashfull 0 pv e2e4 "},
        {32764, 0, -1, 10, "info depth 5 score mate 2 time 0 nodes 10 pv e2e4 "},
        {-32765, 0, -1, 10, "info depth 5 score mate -1 time 0 nodes 10 pv e2e4 "},
        {-32763, 0, -1, 10, "info depth 5 score mate -2 time 0 nodes 10 pv e2e4 "},
        {16383, 0, -1, 10, "info depth 5 score cp 16383 time 0 nodes 10 pv e2e4 "},
    };
    for (const Case &c : cases) {
        char line[256];
        FormatUciInfoLine(line, sizeof(line), 5, c.score, c.elapsed, c.nodes, "e2e4 ", c.hashfull);
        EXPECT_STREQ(line, c.expected);
    }
}

TEST(MoveTextFormat, ThinkingIsPrintedOnlyWhenPosting) {
    SetPV({MakeMoveWord(E2, E4)});
    IterationDepth = 3;
    NodeCount = 100;
    QuiesceNodeCount = 23;
    uint32_t savedPost = PostThinking;
    uint8_t savedUci = UciMode;

    PostThinking = 0;
    UciMode = 0;
    testing::internal::CaptureStdout();
    PrintThinking(10, ":)");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    PostThinking = 1;
    testing::internal::CaptureStdout();
    PrintThinking(10, ":)");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, 7), " 3  10 ") << "the marker stays off standard output";
    EXPECT_EQ(out.substr(out.size() - 17), "       123 e2e4 \n");

    PostThinking = 0;
    UciMode = 1;
    testing::internal::CaptureStdout();
    PrintThinking(10, nullptr);
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, 25), "info depth 3 score cp 10 ");
    EXPECT_NE(out.find(" nodes 123 "), std::string::npos) << out;
    PostThinking = savedPost;
    UciMode = savedUci;
}
