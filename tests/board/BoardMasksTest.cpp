// The occupancy masks kept beside the board must always say what the board
// says: through captures, promotions, en passant, castling and their undoing.
#include <gtest/gtest.h>

#include <cstring>

#include "board/Attack.h"
#include "board/BoardTestSupport.h"
#include "board/MoveGenerator.h"

namespace {

void ExpectMasksMatchBoard(const char *where) {
    const uint64_t occupied = Occupied;
    uint64_t pieces[14];
    std::memcpy(pieces, PieceMask, sizeof pieces);
    SyncOccupied();
    ASSERT_EQ(occupied, Occupied) << where;
    for (int c = 0; c < 14; ++c)
        ASSERT_EQ(pieces[c], PieceMask[c]) << where << ", piece code " << c;
}

MoveEntry *Generate(uint32_t side, MoveEntry *list, uint32_t ep) {
    const uint32_t check = side == White ? InCheck<White>() : InCheck<Black>();
    return side == White ? GenerateMoves<White>(list, check, ep) : GenerateMoves<Black>(list, check, ep);
}

// Every move to `depth` plies, checking the masks after each make and unmake.
void Walk(uint32_t side, int ply, int depth, uint32_t ep) {
    MoveEntry list[MoveListSize];
    MoveEntry *end = Generate(side, list, ep);
    const uint32_t check = side == White ? InCheck<White>() : InCheck<Black>();
    for (MoveEntry *e = list; e < end; ++e) {
        if (!MakeMove(side, check, uint32_t(ply), e->move)) {
            ExpectMasksMatchBoard("refused move");
            continue;
        }
        ExpectMasksMatchBoard("after make");
        if (depth > 1) Walk(side ^ 1, ply + 1, depth - 1, EpSquareAfter(e->move));
        UnmakeMove(side, e->move);
        ExpectMasksMatchBoard("after unmake");
    }
}

TEST(BoardMasks, FollowEveryKindOfMove) {
    EnsureBoardReady();
    const char *fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", // castling, pins, captures
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",                            // en passant along a rank
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",                              // promotions with capture
    };
    for (const char *fen : fens) {
        ASSERT_TRUE(SetupPosition(fen)) << fen;
        ExpectMasksMatchBoard(fen);
        Walk(SideToMove, 0, 3, EpSquare);
    }
}

} // namespace
