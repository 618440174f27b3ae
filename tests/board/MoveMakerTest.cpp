#include <gtest/gtest.h>

#include "board/Attack.h"
#include "board/BoardTestSupport.h"
#include "board/MoveMaker.h"

namespace {

// Makes the root move with that text for the side to move; returns make's result.
uint32_t Make(const char *text, Move &m) {
    m = FindMove(text);
    EXPECT_NE(m, 0u) << text;
    return MakeMove(SideToMove, RootInCheck, 0, m);
}

struct WalkStats {
    uint64_t made = 0, refused = 0;
};

// Walks the legal tree and checks after every make and unmake that the
// position is consistent and, after unmake or a refused make, exactly as before.
template <Color Us> void Walk(int depth, uint32_t ep, uint32_t inCheck, uint32_t ply, WalkStats &stats) {
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(Us, list, inCheck, ep);
    for (MoveEntry *e = list; e < end; e++) {
        const Move m = e->move;
        const PositionSnapshot before = PositionSnapshot::Take();
        if (!MakeMove(Us, inCheck, ply, m)) {
            stats.refused++;
            ASSERT_TRUE(PositionSnapshot::Take() == before) << "refused " << MoveText(m) << " changed the position";
            ASSERT_EQ(PositionInconsistency(), "") << "after refused " << MoveText(m);
            continue;
        }
        stats.made++;
        ASSERT_EQ(PositionInconsistency(), "") << "after making " << MoveText(m);
        ASSERT_EQ(SideInCheck(Us), 0u) << MoveText(m) << " left the king in check";
        if (IsCastling(m)) {
            ASSERT_EQ(Castled[Us], 1u);
        }
        if (depth > 1) {
            uint32_t nextEp = IsDoubleStep(m) ? (MoveFrom(m) + MoveTo(m)) / 2 : 0;
            uint32_t check = Us == White ? MoveGivesCheck<White>(m) : MoveGivesCheck<Black>(m);
            ASSERT_EQ(check, SideInCheck(Opponent(Us))) << "gives-check of " << MoveText(m);
            Walk<Opponent(Us)>(depth - 1, nextEp, check, ply + 1, stats);
            if (testing::Test::HasFatalFailure()) return;
        }
        UnmakeMove(Us, m);
        ASSERT_TRUE(PositionSnapshot::Take() == before) << "unmake of " << MoveText(m) << " did not restore";
        ASSERT_EQ(PositionInconsistency(), "") << "after unmaking " << MoveText(m);
    }
}

#ifdef MORVANE_SANITIZED
constexpr int WalkDepth = 2;
#else
constexpr int WalkDepth = 3;
#endif

} // namespace

TEST(MoveMaker, LegalityByLineTest) {
    EnsureBoardReady();
    Move m;
    ASSERT_TRUE(SetupPosition("4r1k1/8/8/8/8/8/4P3/4K3 w - -"));
    EXPECT_EQ(Make("e2e4", m), 1u) << "the pawn stays on the e-file";
    UnmakeMove(White, m);

    ASSERT_TRUE(SetupPosition("4r1k1/8/8/8/8/8/4N3/4K3 w - -"));
    PositionSnapshot before = PositionSnapshot::Take();
    EXPECT_EQ(Make("e2c3", m), 0u);
    EXPECT_TRUE(PositionSnapshot::Take() == before);

    // En passant that clears a rank through both pawns is refused.
    ASSERT_TRUE(SetupPosition("8/8/8/KPp4r/8/8/8/7k w - c6"));
    EXPECT_EQ(Make("b5c6", m), 0u);
    // ... and one that clears a diagonal through the captured pawn's square only.
    ASSERT_TRUE(SetupPosition("8/b7/8/2pP4/8/4K3/8/7k w - c6"));
    EXPECT_EQ(RootInCheck, 0u);
    before = PositionSnapshot::Take();
    EXPECT_EQ(Make("d5c6", m), 0u) << "the bishop on a7 would reach e3 through c5";
    EXPECT_TRUE(PositionSnapshot::Take() == before);
    ASSERT_TRUE(SetupPosition("8/8/b7/2pP4/8/4K3/8/7k w - c6"));
    EXPECT_EQ(Make("d5c6", m), 1u);
    UnmakeMove(White, m);
}

TEST(MoveMaker, RefusedCastlingChangesNothing) {
    EnsureBoardReady();
    Move m;
    ASSERT_TRUE(SetupPosition("4kr2/8/8/8/8/8/8/4K2R w K -"));
    PositionSnapshot before = PositionSnapshot::Take();
    EXPECT_EQ(Make("e1g1", m), 0u) << "f1 is attacked";
    EXPECT_TRUE(PositionSnapshot::Take() == before);
    EXPECT_EQ(Board[H1].piece, uint32_t(WhiteRook));
    EXPECT_EQ(Castled[White], 0u);
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 0u);

    ASSERT_TRUE(SetupPosition("4k1r1/8/8/8/8/8/8/4K2R w K -"));
    EXPECT_EQ(Make("e1g1", m), 0u) << "g1 is attacked";
    ASSERT_TRUE(SetupPosition("2r1k3/8/8/8/8/8/8/R3K3 w Q -"));
    EXPECT_EQ(Make("e1c1", m), 0u) << "c1 is attacked";
    ASSERT_TRUE(SetupPosition("1r2k3/8/8/8/8/8/8/R3K3 w Q -"));
    EXPECT_EQ(Make("e1c1", m), 1u) << "only b1 is attacked, which the king does not cross";
    EXPECT_EQ(Castled[White], 1u);
    EXPECT_EQ(Board[D1].piece, uint32_t(WhiteRook));
    EXPECT_EQ(Board[A1].piece, uint32_t(EmptySquare));
    EXPECT_EQ(KingSquare(White), uint32_t(C1));
    UnmakeMove(White, m);
    EXPECT_EQ(Castled[White], 0u);
    EXPECT_EQ(Board[A1].piece, uint32_t(WhiteRook));
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 0u);
}

TEST(MoveMaker, CastlingCounters) {
    EnsureBoardReady();
    Move m, reply, back;
    ASSERT_TRUE(SetupPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
    ASSERT_EQ(Make("h1h8", m), 1u);
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 1u) << "rook left h1";
    EXPECT_EQ(CastleSpoilers[BlackKingSide], 1u) << "captured on h8";
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 0u);
    EXPECT_EQ(CastleSpoilers[BlackQueenSide], 0u);
    UnmakeMove(White, m);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(CastleSpoilers[i], 0u);

    // A rook that leaves a1 and comes back keeps the right lost.
    ASSERT_EQ(Make("a1a2", m), 1u);
    SideToMove = Black;
    ASSERT_EQ(Make("a8a7", reply), 1u);
    SideToMove = White;
    ASSERT_EQ(Make("a2a1", back), 1u);
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 1u);
    EXPECT_EQ(CastleSpoilers[BlackQueenSide], 1u);
    UnmakeMove(White, back);
    UnmakeMove(Black, reply);
    UnmakeMove(White, m);
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 0u);

    // King moves spoil both rights of that side, castling included.
    ASSERT_EQ(Make("e1f1", m), 1u);
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 1u);
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 1u);
    UnmakeMove(White, m);
    ASSERT_EQ(Make("e1g1", m), 1u);
    EXPECT_EQ(CastleSpoilers[WhiteQueenSide], 1u);
    EXPECT_EQ(CastleSpoilers[WhiteKingSide], 1u);
    EXPECT_EQ(Board[F1].piece, uint32_t(WhiteRook));
    UnmakeMove(White, m);
    SideToMove = White;
}

TEST(MoveMaker, PromotionCaptureAndEnPassantRestore) {
    EnsureBoardReady();
    Move m;
    ASSERT_TRUE(SetupPosition("rn2k3/1P6/8/8/8/8/8/4K3 w - -"));
    PositionSnapshot before = PositionSnapshot::Take();
    ASSERT_EQ(Make("b7a8q", m), 1u);
    EXPECT_EQ(Board[A8].piece, uint32_t(WhiteQueen));
    EXPECT_EQ(Board[B7].piece, uint32_t(EmptySquare));
    EXPECT_EQ(Material, 1200 - 400);
    EXPECT_EQ(WhitePieceWeight, 9u);
    EXPECT_EQ(BlackPieceWeight, 3u);
    EXPECT_EQ(PieceCount, 2u);
    EXPECT_EQ(PieceLists[WhitePawn][0], 0u);
    UnmakeMove(White, m);
    EXPECT_TRUE(PositionSnapshot::Take() == before);
    EXPECT_EQ(PieceLists[BlackRook][PieceLists[BlackRook][0]], uint32_t(A8)) << "a returning piece goes last";

    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
    before = PositionSnapshot::Take();
    ASSERT_EQ(Make("e5d6", m), 1u);
    EXPECT_EQ(Board[D5].piece, uint32_t(EmptySquare)) << "the black pawn behind the target is gone";
    EXPECT_EQ(Board[D6].piece, uint32_t(WhitePawn));
    EXPECT_EQ(PieceLists[BlackPawn][0], 0u);
    UnmakeMove(White, m);
    EXPECT_TRUE(PositionSnapshot::Take() == before);
    EXPECT_EQ(Board[D6].piece, uint32_t(EmptySquare));

    ASSERT_TRUE(SetupPosition("4k3/8/8/8/3pP3/8/8/4K3 b - e3"));
    ASSERT_EQ(Make("d4e3", m), 1u);
    EXPECT_EQ(Board[E4].piece, uint32_t(EmptySquare));
    UnmakeMove(Black, m);
    EXPECT_EQ(Board[E4].piece, uint32_t(WhitePawn));
}

TEST(MoveMaker, HistoryFlag) {
    EnsureBoardReady();
    Move m;
    ASSERT_TRUE(SetupPosition("r3k3/1P6/8/8/8/8/4P3/R3K1N1 w Qq -"));
    EXPECT_EQ(PositionHistory[0].irreversible, 1u);
    EXPECT_EQ(PositionHistory[0].keyLow, KeyLow(HashKey));
    EXPECT_EQ(PositionHistory[0].keyHigh, KeyHigh(HashKey));
    for (const char *text : {"e2e3", "b7a8q", "e1c1", "g1f3"}) {
        ASSERT_EQ(Make(text, m), 1u) << text;
        EXPECT_EQ(PositionHistory[1].irreversible, std::string(text) == "g1f3" ? 0u : 1u) << text;
        UnmakeMove(White, m);
    }
}

TEST(MoveMaker, ExactInverseOverSuites) {
    EnsureBoardReady();
    for (const char *file : {"perftsuite.epd", "perft-standard.epd"}) {
        for (const PerftCase &c : ReadPerftFile(file)) {
            ASSERT_TRUE(SetupPosition(c.fen.c_str()));
            const PositionSnapshot root = PositionSnapshot::Take();
            WalkStats stats;
            if (SideToMove == White)
                Walk<White>(WalkDepth, EpSquare, RootInCheck, 0, stats);
            else
                Walk<Black>(WalkDepth, EpSquare, RootInCheck, 0, stats);
            ASSERT_FALSE(HasFatalFailure()) << file << " line " << c.line << ": " << c.fen;
            EXPECT_TRUE(PositionSnapshot::Take() == root);
        }
    }
}
