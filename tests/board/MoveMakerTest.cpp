#include <sstream>

#include "board/BoardTestSupport.h"

namespace {

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
    std::string board, side, rights;
    std::istringstream(PositionFen()) >> board >> side >> rights;
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

constexpr int WalkDepth = SanitizedBuild ? 2 : 3;

} // namespace

// Board, castling rights and irreversible flags after a few moves; taking them back restores all.
TEST(MoveMaker, MovesAndTheirEffects) {
    const char *const corners = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
    EXPECT_EQ(Play(corners, "h1h8"), "r3k2R/8/8/8/8/8/8/R3K3 Qq 1");
    EXPECT_EQ(Play(corners, "a1a2 a8a7 a2a1"), "4k2r/r7/8/8/8/8/8/R3K2R Kk 000") << "the right stays lost";
    EXPECT_EQ(Play(corners, "e1g1 e8c8"), "2kr3r/8/8/8/8/8/8/R4RK1 - 11");
    EXPECT_EQ(Play("1r2k3/8/8/8/8/8/8/R3K3 w Q -", "e1c1"), "1r2k3/8/8/8/8/8/8/2KR4 - 1");
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
