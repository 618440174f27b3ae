#include <gtest/gtest.h>

#include "board/BoardTestSupport.h"
#include "board/MoveMaker.h"
#include "search/SearchState.h"

namespace {

std::vector<std::string> Texts(const std::vector<MoveEntry> &moves) {
    std::vector<std::string> texts;
    for (const MoveEntry &e : moves)
        texts.push_back(MoveText(e.move));
    return texts;
}

std::vector<MoveEntry> Captures() {
    MoveEntry list[MoveListSize];
    MoveEntry *end = SideToMove == White ? GenerateWhiteCaptures(list) : GenerateBlackCaptures(list);
    return std::vector<MoveEntry>(list, end);
}

using Texts_t = std::vector<std::string>;

} // namespace

TEST(MoveGenerator, InitialPositionOrder) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition(StartPosition));
    Texts_t expected = {"h2h3", "h2h4", "g2g3", "g2g4", "f2f3", "f2f4", "e2e3", "e2e4", "d2d3", "d2d4",
                        "c2c3", "c2c4", "b2b3", "b2b4", "a2a3", "a2a4", "g1f3", "g1h3", "b1a3", "b1c3"};
    auto moves = RootMoves();
    EXPECT_EQ(Texts(moves), expected);
    for (const MoveEntry &e : moves) {
        EXPECT_EQ(e.score, 0) << "history is empty";
        EXPECT_FALSE(IsCapture(e.move));
    }
    EXPECT_TRUE(IsDoubleStep(moves[1].move));
    EXPECT_FALSE(IsDoubleStep(moves[0].move));

    // Black mirrors: its pawn list also runs a7..h7 and is walked from the end.
    ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -"));
    auto black = Texts(RootMoves());
    ASSERT_EQ(black.size(), 20u);
    EXPECT_EQ(black[0], "h7h6");
    EXPECT_EQ(black[1], "h7h5");
    EXPECT_EQ(black[16], "g8h6") << "knight steps mirrored: +21, +19 first";
    EXPECT_EQ(black[17], "g8f6");
}

TEST(MoveGenerator, HistoryScoresQuietMoves) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition(StartPosition));
    HistoryScore[WhiteKnight][F3] = 77;
    HistoryScore[WhitePawn][E4] = 5;
    for (const MoveEntry &e : RootMoves()) {
        if (MoveText(e.move) == "g1f3") {
            EXPECT_EQ(e.score, 77);
        }
        if (MoveText(e.move) == "e2e4") {
            EXPECT_EQ(e.score, 5);
        }
    }
    HistoryScore[WhiteKnight][F3] = 0;
    HistoryScore[WhitePawn][E4] = 0;
}

TEST(MoveGenerator, PromotionOrderAndScores) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("r3k3/1P6/8/8/8/8/8/4K3 w - -"));
    auto moves = RootMoves();
    Texts_t firstEight(8);
    for (int i = 0; i < 8; i++)
        firstEight[i] = MoveText(moves[i].move);
    EXPECT_EQ(firstEight, (Texts_t{"b7a8q", "b7a8r", "b7a8b", "b7a8n", "b7b8q", "b7b8r", "b7b8b", "b7b8n"}));
    const int32_t scores[4] = {1999999998, 2, 0, 1};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(moves[i].score, scores[i % 4]) << i;
    EXPECT_EQ(MoveCaptured(moves[0].move), uint32_t(BlackRook));
    EXPECT_EQ(MovePromoted(moves[3].move), uint32_t(WhiteKnight));

    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/6p1/4K2R b - -"));
    auto black = Texts(RootMoves());
    EXPECT_EQ(Texts_t(black.begin(), black.begin() + 8),
              (Texts_t{"g2h1q", "g2h1r", "g2h1b", "g2h1n", "g2g1q", "g2g1r", "g2g1b", "g2g1n"}));
}

TEST(MoveGenerator, CaptureScores) {
    EnsureBoardReady();
    // Pawn captures always carry the capture bonus, piece captures only when they do not lose.
    ASSERT_TRUE(SetupPosition("4k3/8/2p5/3p4/4P3/8/8/3QK3 w - -"));
    for (const MoveEntry &e : RootMoves()) {
        if (MoveText(e.move) == "e4d5") {
            EXPECT_EQ(e.score, 1000000100) << "the queen backs the pawn up";
        }
        if (MoveText(e.move) == "d1d5") {
            EXPECT_EQ(e.score, -1000) << "queen for two pawns";
        }
    }
    ASSERT_TRUE(SetupPosition("4k3/8/2p5/3p4/4P3/8/8/4K3 w - -"));
    EXPECT_EQ(FindMove("e4d5") != 0, true);
    for (const MoveEntry &e : RootMoves()) {
        if (MoveText(e.move) == "e4d5") {
            EXPECT_EQ(e.score, 1000000000) << "pawn for pawn";
        }
    }
    ASSERT_TRUE(SetupPosition("4k3/8/8/3r4/8/8/8/3QK3 w - -"));
    for (const MoveEntry &e : RootMoves())
        if (MoveText(e.move) == "d1d5") {
            EXPECT_EQ(e.score, 1000000600);
        }
}

TEST(MoveGenerator, CastlingAndEnPassant) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    auto moves = RootMoves();
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(MoveText(moves[0].move), "e1g1");
    EXPECT_EQ(MoveText(moves[1].move), "e1c1");
    EXPECT_TRUE(IsCastling(moves[0].move) && IsCastling(moves[1].move));
    EXPECT_EQ(moves[0].score, 10000);
    EXPECT_EQ(moves[1].score, 0);

    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateMoves<White>(list, 1, 0);
    for (MoveEntry *e = list; e < end; e++)
        EXPECT_FALSE(IsCastling(e->move)) << "no castling in check";

    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/RN2K1NR w KQkq -"));
    for (const MoveEntry &e : RootMoves())
        EXPECT_FALSE(IsCastling(e.move)) << "squares between not empty";
    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -"));
    moves = RootMoves();
    EXPECT_EQ(MoveText(moves[0].move), "e8g8");
    EXPECT_EQ(MoveText(moves[1].move), "e8c8");

    ASSERT_TRUE(SetupPosition("4k3/8/8/3PpP2/8/8/8/4K3 w - e6"));
    moves = RootMoves();
    ASSERT_GE(moves.size(), 2u);
    EXPECT_EQ(MoveText(moves[0].move), "d5e6");
    EXPECT_EQ(MoveText(moves[1].move), "f5e6");
    EXPECT_TRUE(IsEnPassant(moves[0].move));
    EXPECT_EQ(MoveCaptured(moves[0].move), uint32_t(BlackPawn));
    EXPECT_EQ(moves[0].score, 2000098);

    ASSERT_TRUE(SetupPosition("4k3/8/8/8/3pPp2/8/8/4K3 b - e3"));
    moves = RootMoves();
    EXPECT_EQ(MoveText(moves[0].move), "f4e3") << "black: from t - 9 first";
    EXPECT_EQ(MoveText(moves[1].move), "d4e3");
    EXPECT_EQ(MoveCaptured(moves[0].move), uint32_t(WhitePawn));
}

TEST(MoveGenerator, KingNextToKingIsGeneratedAndRefused) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("8/8/8/8/4k3/8/4K3/8 w - -"));
    Move m = FindMove("e2e3");
    ASSERT_NE(m, 0u);
    PositionSnapshot before = PositionSnapshot::Take();
    EXPECT_EQ(MakeMove(White, 0, 0, m), 0u);
    EXPECT_TRUE(PositionSnapshot::Take() == before);
}

TEST(MoveGenerator, CaptureGenerator) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4k3/1P6/4r3/8/3N4/8/8/4K3 w - -"));
    CaptureMargin = 1000;
    EXPECT_EQ(Texts(Captures()), (Texts_t{"b7b8q"})) << "the rook is worth less than the margin";
    CaptureMargin = 0;
    auto caps = Captures();
    EXPECT_EQ(Texts(caps), (Texts_t{"b7b8q", "d4e6"}));
    EXPECT_EQ(caps[0].score, 1100);
    EXPECT_EQ(caps[1].score, 600);

    // Losing captures stay out; queen promotions enter whatever they cost.
    ASSERT_TRUE(SetupPosition("2b1k3/1P6/n1p5/3p4/8/8/8/3QK3 w - -"));
    caps = Captures();
    EXPECT_EQ(Texts(caps), (Texts_t{"b7c8q", "b7b8q"}));
    EXPECT_EQ(caps[1].score, 1100 - 1200) << "b8 is covered by the knight on a6";
    CaptureMargin = -2000;
    caps = Captures();
    EXPECT_EQ(Texts(caps).back(), "d1d5");

    ASSERT_TRUE(SetupPosition("4k3/8/8/8/3pPp2/8/8/4K3 b - e3"));
    CaptureMargin = 0;
    EXPECT_TRUE(Captures().empty()) << "no en passant in the capture generator";
}
