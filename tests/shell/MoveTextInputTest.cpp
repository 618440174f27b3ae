// Move input: coordinate words from the interface and algebraic text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/MoveText.h"
#include "shell/ShellState.h"

#include "shell/ShellTestSupport.h"

namespace {

// ParseSanMove on a copy; the move's coordinate text, "0" for none.
std::string San(const char *text, std::string *out = nullptr) {
    char buffer[64];
    strcpy(buffer, text);
    testing::internal::CaptureStdout();
    Move m = ParseSanMove(buffer, 1);
    std::string printed = testing::internal::GetCapturedStdout();
    if (out) *out = printed;
    if (m == 0) return "0";
    char coordinate[MoveTextSize];
    MoveToText(coordinate, m);
    return coordinate;
}

Move LastGameMove() { return GamePly ? GameMoves[GamePly - 1] : 0; }

} // namespace

TEST(MoveTextInput, EveryPromotionSpellingSelectsThePromotion) {
    const char *fen = "8/4P3/7k/8/8/8/3p2K1/8 w - - 0 1";
    for (const char *word : {"e7e8q", "e7e8Q", "e7e8=q", "e7e8=Q"}) {
        SetUpGame(fen);
        std::string out;
        ASSERT_EQ(TryMove(word, out), 1u) << word;
        EXPECT_EQ(out, "");
        EXPECT_TRUE(IsPromotion(LastGameMove()));
        EXPECT_EQ(MovePromoted(LastGameMove()), WhiteQueen) << word;
        EXPECT_EQ(Board[E8].piece, WhiteQueen);
    }
    SetUpGame(fen);
    std::string out;
    EXPECT_EQ(TryMove("e7e8", out), 0u) << "a promotion needs its piece";
    EXPECT_EQ(TryMove("e7e8x", out), 0u);
    EXPECT_EQ(TryMove("e7e8=", out), 0u);
    EXPECT_EQ(TryMove("e7e8==q", out), 0u);
    EXPECT_EQ(out, "");
    ASSERT_EQ(TryMove("e7e8n", out), 1u);
    EXPECT_EQ(Board[E8].piece, WhiteKnight);
    // Black's promotion, letters as the interface writes them.
    ASSERT_EQ(TryMove("d2d1=r", out), 1u);
    EXPECT_EQ(Board[D1].piece, BlackRook);
}

TEST(MoveTextInput, CastlingIsTypedAsTheKingsMove) {
    SetUpGame("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    std::string out;
    EXPECT_EQ(TryMove("O-O", out), 0u);
    EXPECT_EQ(TryMove("0-0", out), 0u);
    EXPECT_EQ(TryMove("e1g1", out), 1u);
    EXPECT_TRUE(IsCastling(LastGameMove()));
    EXPECT_EQ(Board[F1].piece, WhiteRook);
    EXPECT_EQ(TryMove("e8c8", out), 1u);
    EXPECT_EQ(Board[D8].piece, BlackRook);
}

TEST(MoveTextInput, WordsThatAreNoLegalMoveAreRefusedSilently) {
    SetUpGame("4k3/8/8/8/8/8/3r4/4K3 w - - 0 1");
    std::string out;
    for (const char *word : {"draw", "e1d1", "e1e2x", "", "e1f1eeeeeeeeeeeeeeeeeeeeeeeeee", "e1d2extra_long_word"}) {
        EXPECT_EQ(TryMove(word, out), 0u) << word;
        EXPECT_EQ(out, "") << word;
    }
    // e1f1 is fine; the pseudo-legal e1e2 leaves the king on the rook's rank.
    EXPECT_EQ(TryMove("e1e2", out), 0u) << "leaves the king in check";
    EXPECT_EQ(GamePly, 0u);
    EXPECT_EQ(TryMove("e1f1", out), 1u);
}

TEST(MoveTextInput, NoMovesWhileTheGameIsFrozen) {
    SetUpGame(StartPosition);
    GameResult = 0;
    std::string out;
    EXPECT_EQ(TryMove("e2e4", out), 0u);
    EXPECT_EQ(out, "");
    GameResult = 3;
    EXPECT_EQ(TryMove("e2e4", out), 1u);
}

TEST(MoveTextInput, SanDisambiguationByFileAndByRank) {
    SetUpGame("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1");
    EXPECT_EQ(San("Nbd2"), "b1d2");
    EXPECT_EQ(San("Nfd2"), "f3d2");
    EXPECT_EQ(San("Nd2"), "0") << "ambiguous without its character";
    EXPECT_EQ(San("Ne5"), "f3e5");
    std::string out;
    EXPECT_EQ(San("Nfe5", &out), "0") << "over-specified";
    EXPECT_EQ(out.rfind("Error recognizing move - Nfe5\n", 0), 0u) << out;
    EXPECT_NE(out.find("\t\t. N . . K . . . \n"), std::string::npos) << "the board follows";

    SetUpGame("4k3/8/8/8/8/1N6/8/1N2K3 w - - 0 1");
    EXPECT_EQ(San("N1d2"), "b1d2");
    EXPECT_EQ(San("N3d2"), "b3d2");
    EXPECT_EQ(San("Nbd2"), "0");
}

TEST(MoveTextInput, SanCheckSignsAndCaptures) {
    SetUpGame("rnbqkbnr/pppp1ppp/8/4p3/3PP3/8/PPP2PPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(San("Qh5"), "d1h5");
    EXPECT_EQ(San("Qh5+"), "d1h5");
    EXPECT_EQ(San("Qh5#"), "d1h5");
    EXPECT_EQ(San("Qh5+#"), "0");
    EXPECT_EQ(San("dxe5"), "d4e5");
    EXPECT_EQ(San("xe5"), "0");
    EXPECT_EQ(San("de5"), "0") << "a pawn capture names its file and the x";
    EXPECT_EQ(San("d5"), "d4d5");
    EXPECT_EQ(San("nf3"), "0") << "case-sensitive";
    EXPECT_EQ(San("Nf3"), "g1f3");
    EXPECT_EQ(San("Bb5+"), "f1b5");
}

TEST(MoveTextInput, SanEnPassantWithAndWithoutSuffix) {
    SetUpGame("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 1");
    EXPECT_EQ(San("exd6"), "e5d6");
    EXPECT_EQ(San("exd6ep"), "e5d6");
    EXPECT_EQ(San("e6"), "e5e6");
    EXPECT_EQ(San("e6ep"), "0");
}

TEST(MoveTextInput, SanCastlingAndPromotion) {
    SetUpGame("r3k2r/1P6/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(San("O-O"), "e1g1");
    EXPECT_EQ(San("O-O-O"), "e1c1");
    EXPECT_EQ(San("0-0"), "0");
    EXPECT_EQ(San("o-o"), "0");
    EXPECT_EQ(San("b8=Q"), "b7b8Q");
    EXPECT_EQ(San("b8=N"), "b7b8N");
    EXPECT_EQ(San("bxa8=R"), "b7a8R");
    EXPECT_EQ(San("b8Q"), "0");
    EXPECT_EQ(San("b8=q"), "0");
    SetUpGame("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    EXPECT_EQ(San("O-O"), "e8g8");
    EXPECT_EQ(San("O-O-O"), "e8c8");
}

TEST(MoveTextInput, SanFallsBackToPseudoLegalMoves) {
    // The knight on d2 is pinned: Nf3 leaves the king in check, yet with no
    // legal move of that text it is still returned.
    SetUpGame("4k3/8/8/b7/8/8/3N4/4K3 w - - 0 1");
    std::string out;
    EXPECT_EQ(San("Nf3", &out), "d2f3");
    EXPECT_EQ(out, "");
    // A legal twin is preferred: only the unpinned knight counts, so no
    // disambiguation is needed.
    SetUpGame("4k3/8/8/b7/8/8/3N4/4K1N1 w - - 0 1");
    EXPECT_EQ(San("Nf3"), "g1f3");
}

TEST(MoveTextInput, GameRecordCapacityRefusesFurtherMoves) {
    SetUpGame(StartPosition);
    GamePly = MaxGamePly - 1;
    std::string out;
    EXPECT_EQ(TryMove("e2e4", out), 1u) << "the last ply the record holds";
    EXPECT_EQ(GamePly, uint32_t(MaxGamePly));
    EXPECT_EQ(TryMove("e7e5", out), 0u);
    EXPECT_EQ(out.rfind("ERROR: ", 0), 0u) << out;
    EXPECT_EQ(GamePly, uint32_t(MaxGamePly));
    EXPECT_EQ(SideToMove, uint32_t(Black)) << "nothing was made";
    EXPECT_EQ(TryMove("draw", out), 0u);
    EXPECT_EQ(out, "") << "only real moves are reported";
    // The engine's own move is refused the same way and stops asking.
    EngineSide = Black;
    testing::internal::CaptureStdout();
    ThinkAndMove();
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("ERROR: ", 0), 0u) << out;
    EXPECT_EQ(EngineSide, 2u);
    // Undo makes room again.
    testing::internal::CaptureStdout();
    UndoMove();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(TryMove("e2e4", out), 1u);
}
