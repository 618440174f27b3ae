#include <gtest/gtest.h>

#include <cstring>

#include "board/BoardTestSupport.h"
#include "board/MoveMaker.h"
#include "search/SearchState.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"

namespace {

// Runs a setup that must be refused; returns what it printed.
std::string Refused(const char *text) {
    const RootSnapshot before = RootSnapshot::Take();
    testing::internal::CaptureStdout();
    bool accepted = SetupPosition(text);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(accepted) << text;
    EXPECT_TRUE(RootSnapshot::Take() == before) << "refused setup changed the position: " << text;
    return out;
}

std::vector<std::string> Tokens() {
    std::vector<std::string> tokens;
    for (uint32_t i = 0; i < BestMoveCount; i++)
        tokens.push_back(BestMoveTexts[i]);
    return tokens;
}

} // namespace

TEST(Setup, BareKings) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("8/8/8/8/8/8/8/K6k w - -"));
    EXPECT_EQ(PieceCount, 0u);
    EXPECT_EQ(Material, 0);
    EXPECT_EQ(WhitePieceWeight, 0u);
    EXPECT_EQ(BlackPieceWeight, 0u);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(CastleSpoilers[i], 1u);
    EXPECT_EQ(EpSquare, 0u);
    EXPECT_EQ(KingSquare(White), uint32_t(A1));
    EXPECT_EQ(KingSquare(Black), uint32_t(H1));
    const MakeFunction castlingFree = MakeMoveOf<White, false>;
    EXPECT_EQ(MoveFunctions.make[White], castlingFree) << "no rights: castling-free variants";
    EXPECT_EQ(PositionInconsistency(), "");
}

TEST(Setup, ResetsGameState) {
    EnsureBoardReady();
    Castled[White] = Castled[Black] = 1;
    MoveStack[0] = MoveStack[1] = 1234;
    RecentScores[0] = RecentScores[1] = RecentScores[2] = 55;
    GamePly = 7;
    BoardHistoryCount = 9;
    EngineSide = White;
    GameResult = 1;
    ASSERT_TRUE(SetupGame(StartPosition));
    EXPECT_EQ(Castled[White], 0u);
    EXPECT_EQ(Castled[Black], 0u);
    EXPECT_EQ(MoveStack[0], 0u);
    EXPECT_EQ(MoveStack[1], 0u);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(RecentScores[i], 0);
    EXPECT_EQ(GamePly, 0u);
    EXPECT_EQ(BoardHistoryCount, 0u);
    EXPECT_EQ(EngineSide, 2u);
    EXPECT_EQ(GameResult, 3u);
    EXPECT_EQ(PositionHistory[0].keyLow, KeyLow(HashKey));
    EXPECT_EQ(PositionHistory[0].irreversible, 1u);
    const MakeFunction castlingAware = MakeMoveOf<Black, true>;
    EXPECT_EQ(MoveFunctions.make[Black], castlingAware);
}

TEST(Setup, Fields) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(CastleSpoilers[i], 0u);
    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/R3K2R w Kq -"));
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 1u);
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 0u);
    EXPECT_EQ(CastleSpoilers[BlackQueenSide], 0u);
    EXPECT_EQ(CastleSpoilers[BlackKingSide], 1u);

    ASSERT_TRUE(SetupPosition("4k3/8/8/8/4P3/8/8/4K3 b - e3"));
    EXPECT_EQ(EpSquare, 75u);
    EXPECT_EQ(SideToMove, uint32_t(Black));
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/4P3/8/8/4K3 b - -"));
    EXPECT_EQ(EpSquare, 0u);

    ASSERT_TRUE(SetupPosition("4k3/8/8/8/3p4/8/8/4K3 w - -"));
    for (Square s = A4; s <= H4; s++)
        EXPECT_EQ(Board[s].piece, s == D4 ? uint32_t(BlackPawn) : uint32_t(EmptySquare));

    for (const char *side : {"b", "B", "x"}) {
        ASSERT_TRUE(SetupPosition((std::string("4k3/8/8/8/8/8/8/4K3 ") + side + " - -").c_str()));
        EXPECT_EQ(SideToMove, uint32_t(Black)) << side;
    }
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K3 W - -"));
    EXPECT_EQ(SideToMove, uint32_t(White));

    // Lenient spacing, a missing en-passant field, a carriage return at the end.
    ASSERT_TRUE(SetupPosition("  4k3/8/8/8/8/8/8/4K2R  w   K\r"));
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 0u);
    ASSERT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\r"));
    EXPECT_EQ(PieceCount, 30u);
}

TEST(Setup, CastlingNeedsKingAndRookAtHome) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/R3K3 w KQkq -"));
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 0u);
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 1u) << "no rook on h1";
    EXPECT_EQ(CastleSpoilers[BlackQueenSide], 1u);
    EXPECT_EQ(CastleSpoilers[BlackKingSide], 1u);
    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/R2K3R w KQkq -"));
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 1u) << "king not on e1";
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 1u);
    EXPECT_EQ(CastleSpoilers[BlackKingSide], 0u);
    ASSERT_TRUE(SetupPosition("r3k2b/8/8/8/8/8/8/4K3 w KQkq -"));
    EXPECT_EQ(CastleSpoilers[BlackKingSide], 1u) << "a bishop is no rook";
    EXPECT_EQ(CastleSpoilers[BlackQueenSide], 0u);
    for (const MoveEntry &e : RootMoves())
        EXPECT_FALSE(IsCastling(e.move));
}

TEST(Setup, EnPassantOnlyWhenPossible) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
    EXPECT_EQ(EpSquare, uint32_t(D6));
    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d3"));
    EXPECT_EQ(EpSquare, 0u) << "wrong rank for white to move";
    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/8/4K3 w - e6"));
    EXPECT_EQ(EpSquare, 0u) << "no black pawn on e5";
    ASSERT_TRUE(SetupPosition("4k3/3p4/8/3pP3/8/8/8/4K3 w - d6"));
    EXPECT_EQ(EpSquare, 0u) << "d7 still occupied";
    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/8/4K3 b - d6"));
    EXPECT_EQ(EpSquare, 0u) << "black to move";
}

TEST(Setup, BestMoveTokens) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - bm Nf3+ e4; id \"test 1\";"));
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"Nf3", "e4"}));
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - id \"abm\";"));
    EXPECT_EQ(BestMoveCount, 0u);
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - id \"x bm y\"; c0 bmx;"));
    EXPECT_EQ(BestMoveCount, 0u) << "bm only as an operation name";
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - acd 5; bm Kd2 O-O e8=Q#; pv Kd1;"));
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"Kd2", "O-O", "e8=Q"}));
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - 0 1 bm Kd2;"));
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"Kd2"})) << "after move counters";
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - bm Kd2\r"));
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"Kd2"}));
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/4K1N1 w - - bm Kd2! Ke2;"));
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"Kd2"})) << "stops at a character that starts no token";

    // Clipped: tokens to nine characters, the list to its capacity.
    std::string many = "4k3/8/8/8/8/8/8/4K1N1 w - - bm Abcdefghijklmn";
    for (int i = 0; i < 60; i++)
        many += " e4";
    ASSERT_TRUE(SetupPosition(many.c_str()));
    EXPECT_EQ(BestMoveCount, uint32_t(MaxBestMoves));
    EXPECT_STREQ(BestMoveTexts[0], "Abcdefghi");
    EXPECT_STREQ(BestMoveTexts[1], "e4");
}

TEST(Setup, ReadMoveToken) {
    EnsureBoardReady();
    BestMoveCount = 0;
    uint32_t index = 0;
    const char *text = " +Nf3+ #Rxe8#;Qd1";
    EXPECT_EQ(ReadMoveToken(text, index), 1u);
    EXPECT_EQ(ReadMoveToken(text, index), 1u);
    EXPECT_EQ(ReadMoveToken(text, index), 0u);
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"Nf3", "Rxe8"}));
    for (const char *stop : {"\tNf3", "!", "?", "\r", ""}) {
        index = 0;
        EXPECT_EQ(ReadMoveToken(stop, index), 0u) << int(stop[0]);
    }
}

TEST(Setup, LongLines) {
    EnsureBoardReady();
    std::string line = "4k3/8/8/8/8/8/8/4K1N1 w - - c0 \"" + std::string(5000, 'x') + "\"; bm Nf3;";
    ASSERT_TRUE(SetupPosition(line.c_str()));
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"Nf3"}));
}

TEST(Setup, RefusesMalformedText) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition("r3k2r/p6p/8/3pP3/8/8/P6P/R3K2R w KQkq d6 bm O-O;"));
    const struct {
        const char *text;
        const char *message;
    } cases[] = {
        {"", "ERROR: empty position\n"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq -", "ERROR: 'X' is not a piece letter or square count\n"},
        {"4k3/8/8/8/8/8/8/4K.3 w - -", "ERROR: '.' is not a piece letter or square count\n"},
        {"4k3/8/8/9/8/8/8/4K3 w - -", "ERROR: '9' is not a piece letter or square count\n"},
        {"4k3/8/8/8/8/8/8/4K4 w - -", "ERROR: rank 1 of the board is too long\n"},
        {"4k3/8/8/8/8/8/8/4K3p w - -", "ERROR: rank 1 of the board is too long\n"},
        {"4k3/8/8/5/8/8/8/4K3 w - -", "ERROR: rank 5 of the board is too short\n"},
        {"4k3/8/8/8/8/8/8/4K2 w - -", "ERROR: rank 1 of the board is too short\n"},
        {"4k3/8/8/8/8/8/4K3 w - -", "ERROR: the board has fewer than eight rows\n"},
        {"4k3/8/8/8/8/8/8/4K3/8 w - -", "ERROR: the board has more than eight rows\n"},
        {"8/8/8/8/8/8/8/4K3 w - -", "ERROR: black has no king\n"},
        {"4k3/8/8/8/8/8/8/8 w - -", "ERROR: white has no king\n"},
        {"4k3/8/8/8/8/8/8/K3K3 w - -", "ERROR: white has more than one king\n"},
        {"4k2k/8/8/8/8/8/8/4K3 w - -", "ERROR: black has more than one king\n"},
        {"4k3/8/8/8/8/NNNNNNNN/N7/4K3 w - -", "ERROR: white has more than eight pieces of one kind\n"},
        {"4k3/pppppppp/8/8/8/8/8/n3K1nn w - -", "ERROR: black has more pieces than pawns could promote to\n"},
        {"4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - -", "ERROR: white has more pieces than pawns could promote to\n"},
        {"4k2P/8/8/8/8/8/8/4K3 w - -", "ERROR: a pawn stands on the first or eighth rank\n"},
        {"4k3/8/8/8/8/8/8/4K2p w - -", "ERROR: a pawn stands on the first or eighth rank\n"},
        {"4k3/8/8/8/8/8/8/4K3", "ERROR: missing side to move\n"},
        {"4k3/8/8/8/8/8/8/4K3 - - -", "ERROR: missing side to move\n"},
        {"4k3/8/8/8/8/8/8/4K3 white - -", "ERROR: missing side to move\n"},
        {"4k3/8/8/8/8/8/8/4K3 w", "ERROR: missing castling field\n"},
        {"4k3/8/8/8/8/8/8/4K3 w  \r", "ERROR: missing castling field\n"},
        {"4k3/8/8/8/8/8/8/4K3 w KX -", "ERROR: bad castling field\n"},
        {"4k3/8/8/8/8/8/8/4K3 w -K -", "ERROR: bad castling field\n"},
        {"4k3/8/8/8/8/8/8/4K3 w - e9", "ERROR: the en-passant field is not a square\n"},
        {"4k3/8/8/8/8/8/8/4K3 w - i3", "ERROR: the en-passant field is not a square\n"},
        {"4k3/8/8/8/8/8/8/4K3 w - e", "ERROR: the en-passant field is not a square\n"},
        {"4k3/8/8/8/8/8/8/4K3 w - e33", "ERROR: the en-passant field is not a square\n"},
        {"4k3/8/8/8/8/8/8/4K3 w - -x", "ERROR: the en-passant field is not a square\n"},
        {"4k3/8/8/8/8/8/8/4R1K1 w - -", "ERROR: the side not to move is in check\n"},
        {"8/8/8/3kK3/8/8/8/8 w - -", "ERROR: the side not to move is in check\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Refused(c.text), c.message) << c.text;
    EXPECT_EQ(Tokens(), (std::vector<std::string>{"O-O"})) << "refusals keep the best moves too";
    EXPECT_EQ(EpSquare, uint32_t(D6));

    std::string control = "4k3/8/8/8/8/8/8/4K3";
    control[2] = '\x01';
    EXPECT_EQ(Refused(control.c_str()), "ERROR: character 1 is not a piece letter or square count\n");
    EXPECT_EQ(Refused(nullptr), "ERROR: empty position\n");
}

TEST(Setup, AcceptsReachablePieceCounts) {
    EnsureBoardReady();
    EXPECT_TRUE(SetupPosition("QQQQQQQQ/8/8/8/8/8/8/k3K3 b - -")) << "eight queens";
    EXPECT_TRUE(SetupPosition("NNNNk3/NNNN4/8/8/8/8/8/4K3 b - -"));
    EXPECT_TRUE(SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
}
