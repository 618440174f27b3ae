// The board history behind the repetition rules, and the board display.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/GameEnd.h"
#include "shell/ShellState.h"

namespace {

// A bare board: border off board, playing area empty, piece lists empty.
void ClearBoard() {
    for (int s = 0; s < 120; ++s)
        Board[s] = {0, OffBoard};
    for (int rank = 1; rank <= 8; ++rank)
        for (int file = 1; file <= 8; ++file)
            Board[SquareOf(file, rank)] = {0, EmptySquare};
    memset(PieceLists, 0, sizeof(PieceLists));
}

void Put(PieceCode c, Square s) {
    if (c == WhiteKing || c == BlackKing) {
        PieceLists[c][0] = s;
        Board[s] = {0, c};
        return;
    }
    uint32_t i = ++PieceLists[c][0];
    PieceLists[c][i] = s;
    Board[s] = {i, c};
}

// Moves a piece on the board only (enough for the history, which reads the
// board after the move).
void Shift(Square from, Square to) {
    Board[to] = Board[from];
    Board[from] = {0, EmptySquare};
}

void KingsAndKnights() {
    ClearBoard();
    Put(WhiteKing, E1);
    Put(BlackKing, E8);
    Put(WhiteKnight, G1);
    Put(BlackKnight, G8);
    Put(WhitePawn, E2);
    BoardHistoryCount = 0;
}

void PlayShuffle(int moves) {
    static const Square path[4][2] = {{G1, F3}, {G8, F6}, {F3, G1}, {F6, G8}};
    for (int i = 0; i < moves; ++i) {
        Shift(path[i % 4][0], path[i % 4][1]);
        RecordBoard(MakeMoveWord(path[i % 4][0], path[i % 4][1]));
    }
}

} // namespace

TEST(GameEndHistory, ReversibleMovesAppendIrreversibleOnesRestart) {
    KingsAndKnights();
    PlayShuffle(3);
    EXPECT_EQ(BoardHistoryCount, 3u);
    // A pawn move restarts the record.
    Shift(E2, E4);
    RecordBoard(MakeMoveWord(E2, E4, EmptySquare, DoubleStepFlag));
    EXPECT_EQ(BoardHistoryCount, 1u);
    EXPECT_EQ(BoardHistory[0][E4], WhitePawn);
    // So does a capture by a piece.
    Shift(F6, E4);
    RecordBoard(MakeMoveWord(F6, E4, WhitePawn));
    EXPECT_EQ(BoardHistoryCount, 1u);
    // And a promotion (the new piece is no pawn).
    KingsAndKnights();
    PlayShuffle(2);
    Board[E2] = {0, EmptySquare};
    Board[E8] = {0, EmptySquare};
    Put(BlackKing, A8);
    Board[E8] = {1, WhiteQueen};
    RecordBoard(MakePromotionWord(E7, E8, EmptySquare, WhiteQueen));
    EXPECT_EQ(BoardHistoryCount, 1u);
    // Castling is a reversible move for the record.
    RecordBoard(MakeMoveWord(E1, G1, EmptySquare, CastlingFlag));
    EXPECT_EQ(BoardHistoryCount, 2u);
}

TEST(GameEndHistory, RepeatsComparesBoardsWithTheSameSideToMoveOnly) {
    // Snapshot 0 after a black pawn move (White to move), then Nf3 Nf6 Ng1.
    KingsAndKnights();
    Board[E2] = {0, EmptySquare};
    Put(BlackPawn, E5);
    RecordBoard(MakeMoveWord(E7, E5, EmptySquare, DoubleStepFlag));
    PlayShuffle(3);
    ASSERT_EQ(BoardHistoryCount, 4u);
    // Black's root move Ng8 brings back snapshot 0, White to move again.
    Shift(F6, G8);
    EXPECT_EQ(BoardRepeats(), 1u);
    Shift(G8, F6);
    // Root one ply earlier (after Nf6, White to move): a board equal to
    // snapshot 0 there would have Black to move, so snapshot 0 is not compared.
    BoardHistoryCount = 3;
    Shift(F6, G8);
    EXPECT_EQ(BoardRepeats(), 0u) << "snapshot 0 lies three plies back";
}

TEST(GameEndHistory, FullRecordSlidesAndStillSeesRepetitions) {
    KingsAndKnights();
    RecordBoard(MakeMoveWord(E7, E5, EmptySquare, DoubleStepFlag));
    PlayShuffle(BoardHistorySize - 1);
    ASSERT_EQ(BoardHistoryCount, uint32_t(BoardHistorySize));
    for (int extra = 1; extra <= 9; ++extra) {
        PlayShuffle(1);
        EXPECT_EQ(BoardHistoryCount, uint32_t(BoardHistorySize)) << "never beyond its capacity";
    }
    // The newest snapshot is the board as it stands now.
    for (int s = 0; s < 120; ++s)
        ASSERT_EQ(BoardHistory[BoardHistorySize - 1][s], Board[s].piece);
    // Four plies ago the same board stood, with the same side to move.
    int32_t last = BoardHistorySize - 1;
    EXPECT_EQ(memcmp(BoardHistory[last], BoardHistory[last - 4], sizeof(BoardHistory[0])), 0);
    // A root move that brings back the board of two plies ago is seen.
    static const Square path[4][2] = {{G1, F3}, {G8, F6}, {F3, G1}, {F6, G8}};
    int next = (BoardHistorySize - 1 + 9) % 4; // index of the next shuffle move
    Shift(path[next][0], path[next][1]);
    EXPECT_EQ(BoardRepeats(), 1u);
}

TEST(GameEndHistory, DisplayShowsRanksFromEightDownAndMarksStrayPieces) {
    KingsAndKnights();
    testing::internal::CaptureStdout();
    DisplayBoard();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "\t\t. . . . k . n . \n"
                   "\t\t. . . . . . . . \n"
                   "\t\t. . . . . . . . \n"
                   "\t\t. . . . . . . . \n"
                   "\t\t. . . . . . . . \n"
                   "\t\t. . . . . . . . \n"
                   "\t\t. . . . P . . . \n"
                   "\t\t. . . . K . N . \n");
    // A piece the lists do not know, and a king off its list square.
    Board[A1] = {1, WhiteRook};
    Board[H8] = {0, BlackKing};
    Board[H1] = {7, WhiteBishop}; // slot beyond the count's range
    testing::internal::CaptureStdout();
    DisplayBoard();
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("\t\t. . . . k . n +k \n"), std::string::npos) << out;
    EXPECT_NE(out.find("\t\t+R . . . K . N +B \n"), std::string::npos) << out;
}
