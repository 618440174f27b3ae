// Chess960: castling in any layout, typed castling, and perft over published
// Chess960 counts (the FEN's castling field is read with the other fields).
#include "board/BoardTestSupport.h"
#include "board/Perft.h"

#include <utility>

constexpr int SuiteDepth = SanitizedBuild ? 3 : 4;

// All 480 positions of the Chess960 perft file, their first plies.
TEST(Chess960Perft, EveryStartLayout) {
    const auto cases = ReadPerftFile("chess960-perft.epd");
    ASSERT_EQ(cases.size(), 480u);
    for (const auto &[fen, counts] : cases) {
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        const auto root = State();
        for (int depth = 1; depth <= SuiteDepth; depth++)
            ASSERT_EQ(PerftRoot(depth), counts[depth - 1]) << "depth " << depth << ": " << fen;
        EXPECT_EQ(State(), root) << fen;
        EXPECT_EQ(PositionInconsistency(), "") << fen;
    }
}

namespace {

// The move of the position set up that the user's text names (FindTypedMove), or 0.
Move TypedMove(const char *text) {
    MoveEntry list[MoveListSize];
    return FindTypedMove(list, GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare), text);
}

} // namespace

// Each layout: the castling (king takes rook), whether it is generated and
// legal, and the back rank after it, worked out by hand.
TEST(Chess960Castling, OddLayouts) {
    struct Case {
        const char *fen, *move;
        bool generated, legal;
        const char *board;
    } const cases[] = {
        // King on g1 castles short without moving; the rook goes h1-f1.
        {"4k3/8/8/8/8/8/8/R5KR w HA -", "g1h1", true, true, "4k3/8/8/8/8/8/8/R4RK1"},
        // The rook already on f1: only the king moves, over five squares.
        {"4k3/8/8/8/8/8/8/1K3R2 w F -", "b1f1", true, true, "4k3/8/8/8/8/8/8/5RK1"},
        // King and rook change places, each one square: king f1-g1, rook g1-f1.
        {"4k3/8/8/8/8/8/8/5KR1 w G -", "f1g1", true, true, "4k3/8/8/8/8/8/8/5RK1"},
        // A piece between rook and destination, or on the king's destination.
        {"4k3/8/8/8/8/8/8/RNK5 w A -", "c1a1", false, false, ""},
        // Out of check: not generated.
        {"4k3/8/8/8/8/8/8/r1K4R w H -", "c1h1", false, false, ""},
        // Through check: e1 is crossed.
        {"k3r3/8/8/8/8/8/8/1K5R w H -", "b1h1", true, false, ""},
        // Along the first rank, past the castling rook: the rook on f1 shields the king, not g1.
        {"k7/8/8/8/8/8/8/1K3R1r w F -", "b1f1", true, false, ""},
        {"7k/8/8/8/8/8/8/1R1K4 w B -", "d1b1", true, true, "7k/8/8/8/8/8/8/2KR4"},
        // Black, mirrored: king on b8 castles long, the rook from a8 over it to d8.
        {"rk6/8/8/8/8/8/8/4K3 b a -", "b8a8", true, true, "2kr4/8/8/8/8/8/8/4K3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.move);
        ASSERT_TRUE(SetUpBoard(c.fen));
        const Move m = TypedMove(c.move);
        EXPECT_EQ(m != 0 && IsCastling(m), c.generated);
        if (!IsCastling(m)) continue;
        const auto before = State();
        const uint32_t side = SideToMove;
        EXPECT_EQ(MakeMove(side, RootInCheck, 0, m), c.legal ? 1u : 0u);
        if (c.legal) {
            EXPECT_EQ(PositionFen().substr(0, PositionFen().find(' ')), c.board);
            EXPECT_EQ(PositionInconsistency(), "");
            EXPECT_EQ(Castled[side], 1);
            EXPECT_TRUE(CastleSpoilers[side == White ? WhiteKingSide : BlackKingSide] != 0 &&
                        CastleSpoilers[side == White ? WhiteQueenSide : BlackQueenSide] != 0)
                << "both rights of the side are spent";
            UnmakeMove(side, m);
        }
        EXPECT_EQ(State(), before);
    }
}

// A king step that also spells a castling's destination stays a king step; castling is typed as king
// takes rook or, where the interface writes it, as O-O (each interface's spellings run through the binary).
TEST(Chess960Text, KingStepOrCastling) {
    ASSERT_TRUE(SetUpBoard("4k3/8/8/8/8/8/8/5K1R w H -"));
    const Move step = TypedMove("f1g1");
    EXPECT_TRUE(step != 0 && !IsCastling(step));
    EXPECT_TRUE(IsCastling(TypedMove("f1h1")));
    const CastlingSpelling kept = std::exchange(CastlingOutput, CastlingLetters);
    EXPECT_TRUE(IsCastling(TypedMove("O-O")));
    CastlingOutput = kept;
}
