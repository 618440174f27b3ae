#include "board/BoardTestSupport.h"

namespace {

// The piece lists and each piece's slot in them: what later moves can see
// (slots past a list's end and an empty square's slot are left over and
// never read).
std::vector<uint32_t> ListState() {
    std::vector<uint32_t> state;
    for (int c = 0; c < 14; ++c)
        if ((c & 7) < 6)
            state.insert(state.end(), PieceLists[c], PieceLists[c] + ((c & 7) == King ? 1 : PieceLists[c][0] + 1));
    for (const BoardEntry &b : Board)
        state.push_back(b.piece < 14 && (b.piece & 7) < 6 ? b.listIndex : 0);
    return state;
}

// Puts back the lists and slots of a position with the same pieces.
void RestoreListState(const std::vector<uint32_t> &state) {
    auto at = state.begin();
    for (int c = 0; c < 14; ++c)
        if ((c & 7) < 6)
            for (int i = 0, n = (c & 7) == King ? 1 : *at + 1; i < n; ++i)
                PieceLists[c][i] = *at++;
    for (BoardEntry &b : Board) {
        const uint32_t slot = *at++;
        if (b.piece < 14 && (b.piece & 7) < 6) b.listIndex = slot;
    }
}

} // namespace

// In check, the moves passed over untried must be ones that make refuses, and
// passing over must leave the piece lists as that refusal does.
TEST(Attack, EvasionSquaresPassOverOnlyWhatMakeRefuses) {
    int passed = 0, inCheck = 0;
    // The side to move, when in check: every move passed over.
    auto passOver = [&](const std::string &where, uint32_t ep) {
        const uint32_t us = SideToMove;
        if (!SideInCheck(us)) return;
        ++inCheck;
        const uint64_t evasions = us == White ? EvasionSquares<White>() : EvasionSquares<Black>();
        MoveEntry list[MoveListSize];
        for (MoveEntry *e = list, *end = GenerateSideMoves(us, list, 1, ep); e < end; ++e) {
            if (MayEvade(e->move, evasions, KingSquare(us))) continue;
            ++passed;
            const std::vector<uint32_t> before = ListState();
            RefusedMoveTrace(e->move);
            const std::vector<uint32_t> traced = ListState();
            RestoreListState(before);
            const uint32_t legal = MakeMove(us, 1, 1, e->move);
            EXPECT_FALSE(legal) << where << ": " << MoveText(e->move);
            if (legal) UnmakeMove(us, e->move);
            EXPECT_EQ(ListState(), traced) << where << ": " << MoveText(e->move);
        }
    };
    std::vector<std::string> fens = {
        "4k3/8/8/8/8/8/3N4/R3K2r w - -",   // a rook's check, blocked by a knight
        "4k3/8/8/3p4/1N2K3/5p2/8/8 w - -", // a pawn's check; the pawn behind the king gives none
        "4k3/8/8/8/1b6/8/2P5/4K3 w - -",   // a bishop's check, blocked by a pawn
        "3rk3/2P5/8/8/8/8/8/3K4 w - -",    // the checker taken by a promotion
        "4k3/8/8/8/8/5n2/8/4K2r w - -",    // a double check
        "8/8/8/2k5/3Pp3/8/8/4K3 b - d3",   // the checking pawn taken en passant
        "4k3/4r3/8/8/8/2n5/3B4/4K3 w - -", // a knight's check; the bishop is pinned
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    };
    for (const auto &[fen, counts] : ReadPerftFile("perftsuite.epd"))
        fens.push_back(fen);
    for (const std::string &fen : fens) {
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        passOver(fen, EpSquare);
        // Every position one move on.
        MoveEntry first[MoveListSize];
        const uint32_t us = SideToMove;
        for (MoveEntry *f = first, *end = GenerateSideMoves(us, first, RootInCheck, EpSquare); f < end; ++f) {
            if (!MakeMove(us, RootInCheck, 0, f->move)) continue;
            SideToMove = 1 - us;
            passOver(fen + " after " + MoveText(f->move), EpSquareAfter(f->move));
            SideToMove = us;
            UnmakeMove(us, f->move);
        }
    }
    EXPECT_GT(passed, inCheck);
}
