#include <sstream>

#include "board/BoardTestSupport.h"

namespace {

uint32_t GivesCheck(uint32_t side, Move m) {
    return side == White ? MoveGivesCheck<White>(m) : MoveGivesCheck<Black>(m);
}

// Plays `line` from fen; returns the board, the castling rights left and the
// moves' irreversible flags, and takes the moves back.
std::string Play(const char *fen, const std::string &line) {
    EXPECT_TRUE(SetUpBoard(fen)) << fen;
    const auto before = State();
    std::vector<Move> made;
    uint32_t us = SideToMove, ep = EpSquare;
    std::string flags;
    std::istringstream words(line);
    for (std::string word; words >> word; us ^= 1) {
        const Move m = FindMove(word, us, ep);
        if (m == 0 || !MakeMove(us, SideInCheck(us), uint32_t(made.size()), m)) return word + " refused";
        made.push_back(m);
        ep = EpSquareAfter(m);
        flags += char('0' + PositionHistory[made.size()].irreversible);
    }
    std::istringstream fen(PositionFen());
    std::string board, side, rights;
    fen >> board >> side >> rights;
    const std::string result = board + " " + rights + " " + flags;
    for (; !made.empty(); made.pop_back())
        UnmakeMove(us ^= 1, made.back());
    EXPECT_EQ(State(), before) << line;
    return result;
}

// Walks the legal tree: after every make and unmake the position is
// consistent, a refused or unmade move leaves it exactly as before, and the
// gives-check test agrees with the check test. Returns the leaves.
template <Color Us> uint64_t Walk(int depth, uint32_t ep, uint32_t inCheck, uint32_t ply) {
    MoveEntry list[MoveListSize];
    uint64_t leaves = 0;
    for (MoveEntry *e = list, *end = GenerateMoves<Us>(list, inCheck, ep); e < end && !testing::Test::HasFailure();
         e++) {
        const Move m = e->move;
        const auto before = State();
        const uint32_t legal = MakeMove(Us, inCheck, ply, m);
        EXPECT_EQ(PositionInconsistency(), "") << "after " << MoveText(m);
        if (!legal) {
            EXPECT_EQ(State(), before) << "refused " << MoveText(m) << " changed the position";
            continue;
        }
        EXPECT_EQ(InCheck<Us>(), 0u) << MoveText(m) << " left the king in check";
        EXPECT_EQ(MoveGivesCheck<Us>(m), InCheck<Opponent(Us)>()) << "gives-check of " << MoveText(m);
        EXPECT_TRUE(!IsCastling(m) || Castled[Us]);
        leaves += depth > 1 ? Walk<Opponent(Us)>(depth - 1, EpSquareAfter(m), MoveGivesCheck<Us>(m), ply + 1) : 1;
        UnmakeMove(Us, m);
        EXPECT_EQ(State(), before) << "unmake of " << MoveText(m) << " did not restore";
    }
    return leaves;
}

#ifdef MORVANE_SANITIZED
constexpr int WalkDepth = 2;
#else
constexpr int WalkDepth = 3;
#endif

} // namespace

// Legality and whether a legal move gives check; the walk below meets most
// such cases, these are the rarer ones.
TEST(MoveMaker, LegalityAndCheck) {
    const std::tuple<const char *, const char *, uint32_t, uint32_t> cases[] = {
        {"8/8/8/KPp4r/8/8/8/7k w - c6", "b5c6", 0, 0},   // en passant clears the rank of both pawns
        {"8/b7/8/2pP4/8/4K3/8/7k w - c6", "d5c6", 0, 0}, // ... a diagonal through the captured pawn
        {"8/8/b7/2pP4/8/4K3/8/7k w - c6", "d5c6", 1, 0},   {"4r1k1/8/8/8/8/8/4P3/4K3 w - -", "e2e4", 1, 0},
        {"4r1k1/8/8/8/8/8/4N3/4K3 w - -", "e2c3", 0, 0},   {"8/8/8/8/4K3/8/4k3/8 b - -", "e2e3", 0, 0},
        {"4kr2/8/8/8/8/8/8/R3K2R w KQ -", "e1g1", 0, 0},   {"2r1k3/8/8/8/8/8/8/R3K3 w Q -", "e1c1", 0, 0},
        {"1r2k3/8/8/8/8/8/8/R3K3 w Q -", "e1c1", 1, 0}, // the king does not cross b1
        {"r3k2r/8/8/8/6B1/8/8/4K3 b kq -", "e8c8", 0, 0},  {"3k4/8/8/8/8/8/8/R3K3 w Q -", "e1c1", 1, 1},
        {"r3k3/8/8/8/8/8/8/3K4 b q -", "e8c8", 1, 1},      {"5k2/8/8/8/8/8/5P2/4K2R w K -", "e1g1", 1, 0},
        {"8/5k2/8/3pP3/8/1B6/8/4K3 w - d6", "e5d6", 1, 1}, // discovered through the captured pawn
        {"8/8/8/R2pP2k/8/8/8/4K3 w - d6", "e5d6", 1, 1},   {"8/8/8/2kpP3/8/8/8/4K3 w - d6", "e5d6", 1, 0},
        {"8/4P1k1/8/8/8/8/8/4K3 w - -", "e7e8n", 1, 1},    {"3r3k/1P6/8/8/8/8/8/4K3 w - -", "b7b8q", 1, 0},
        {"8/8/8/8/8/8/5p2/4k2K b - -", "f2f1q", 1, 1},     {"4k3/8/8/8/8/8/4N3/4RK2 w - -", "e2c3", 1, 1},
        {"4k3/8/8/8/8/8/4P3/4RK2 w - -", "e2e4", 1, 0},
    };
    for (auto [fen, move, legal, check] : cases) {
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        const Move m = FindMove(move);
        ASSERT_NE(m, 0u) << fen << " " << move;
        const auto before = State();
        EXPECT_EQ(MakeMove(SideToMove, RootInCheck, 0, m), legal) << fen << " " << move;
        if (legal) {
            EXPECT_EQ(std::pair(GivesCheck(SideToMove, m), SideInCheck(SideToMove ^ 1)), std::pair(check, check))
                << fen << " " << move;
            UnmakeMove(SideToMove, m);
        }
        EXPECT_EQ(State(), before) << fen << " " << move;
    }
}

// Board, castling rights and irreversible flags after a few moves; taking
// them back restores everything.
TEST(MoveMaker, MovesAndTheirEffects) {
    const char *const corners = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
    EXPECT_EQ(Play(corners, "h1h8"), "r3k2R/8/8/8/8/8/8/R3K3 Qq 1");
    EXPECT_EQ(Play(corners, "a1a2 a8a7 a2a1"), "4k2r/r7/8/8/8/8/8/R3K2R Kk 000") << "the right stays lost";
    EXPECT_EQ(Play(corners, "e1f1"), "r3k2r/8/8/8/8/8/8/R4K1R kq 0");
    EXPECT_EQ(Play(corners, "e1g1 e8c8"), "2kr3r/8/8/8/8/8/8/R4RK1 - 11");
    EXPECT_EQ(Play("1r2k3/8/8/8/8/8/8/R3K3 w Q -", "e1c1"), "1r2k3/8/8/8/8/8/8/2KR4 - 1");
    EXPECT_EQ(Play("rn2k3/1P6/8/8/8/8/8/4K3 w - -", "b7a8q"), "Qn2k3/8/8/8/8/8/8/4K3 - 1");
    EXPECT_EQ(Play("4k3/8/8/8/8/8/6p1/4K2R b K -", "g2h1n"), "4k3/8/8/8/8/8/8/4K2n - 1");
    EXPECT_EQ(Play("4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5d6"), "4k3/8/3P4/8/8/8/8/4K3 - 1");
    EXPECT_EQ(Play("4k3/8/8/8/3p4/8/4P3/4K3 w - -", "e2e4 d4e3"), "4k3/8/8/8/8/4p3/8/4K3 - 11");
    EXPECT_EQ(Play("r3k3/8/8/8/8/8/4P3/R3K1N1 w Qq -", "g1f3 a8b8 e2e3"), "1r2k3/8/8/8/8/4PN2/8/R3K3 Q 001");
}

TEST(MoveMaker, WalkOverTheSuitesCountsAndRestores) {
    for (const char *file : {"perftsuite.epd", "perft-standard.epd"})
        for (const auto &[fen, counts] : ReadPerftFile(file)) {
            ASSERT_TRUE(SetUpBoard(fen)) << fen;
            const auto root = State();
            const uint64_t leaves = SideToMove == White ? Walk<White>(WalkDepth, EpSquare, RootInCheck, 0)
                                                        : Walk<Black>(WalkDepth, EpSquare, RootInCheck, 0);
            ASSERT_FALSE(HasFailure()) << file << ": " << fen;
            EXPECT_EQ(leaves, counts.at(WalkDepth - 1)) << fen;
            EXPECT_EQ(State(), root);
        }
}
