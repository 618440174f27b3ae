#include "board/Swap.h"

#include "board/BoardTestSupport.h"

namespace {

template <Color Us> int32_t FullExchange(Move m) { return StaticExchange<Us>(MoveFrom(m), MoveTo(m), -32767, 32767); }
template <Color Us> bool SureBelow(Move m, int32_t threshold) {
    return ExchangeBelow<Us>(MoveFrom(m), MoveTo(m), threshold);
}

} // namespace

// The quick test may only turn away moves whose full exchange stays below the threshold; over the
// perft positions and those one move on it must also turn some away, or it would prove nothing.
TEST(Swap, QuickRejectionAgreesWithTheFullExchange) {
    const int32_t thresholds[] = {-1000, -300, 0, 1, 100, 101, 300, 399, 400, 700, 1200};
    std::vector<std::string> fens = {
        // Recaptures by a pawn that promotes on the square, for either side.
        "4k3/8/8/8/3Q4/8/2p5/3r2K1 w - -",
        "4k3/8/8/8/3Q4/8/2p5/1N1r2K1 w - -",
        "3R2k1/2P5/8/3q4/8/8/8/4K3 b - -",
        "1n1R2k1/2P5/8/3q4/8/8/8/4K3 b - -",
        // Our promoting capture against a pawn or knight that recaptures.
        "2r1k3/1P1p4/8/8/8/8/8/4K3 w - -",
        "n1r1k3/1P6/8/8/8/8/8/4K3 w - -",
    };
    for (const auto &[fen, counts] : ReadPerftFile("perftsuite.epd"))
        fens.push_back(fen);
    int rejected = 0, checked = 0;
    // Every move of the side to move, against each threshold.
    auto compare = [&](const std::string &where, uint32_t inCheck, uint32_t ep) {
        const bool white = SideToMove == White;
        MoveEntry list[MoveListSize];
        for (MoveEntry *e = list, *end = GenerateSideMoves(SideToMove, list, inCheck, ep); e < end; ++e) {
            if (IsCastling(e->move) || IsEnPassant(e->move)) continue;
            const int32_t full = white ? FullExchange<White>(e->move) : FullExchange<Black>(e->move);
            for (int32_t threshold : thresholds) {
                const bool below = white ? SureBelow<White>(e->move, threshold) : SureBelow<Black>(e->move, threshold);
                ++checked;
                if (!below) continue;
                ++rejected;
                EXPECT_LT(full, threshold) << where << ": " << MoveText(e->move) << " threshold " << threshold;
            }
        }
    };
    for (const std::string &fen : fens) {
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        compare(fen, RootInCheck, EpSquare);
        const uint32_t us = SideToMove;
        MoveEntry first[MoveListSize];
        for (MoveEntry *f = first, *end = GenerateSideMoves(us, first, RootInCheck, EpSquare); f < end; ++f) {
            if (!MakeMove(us, RootInCheck, 0, f->move)) continue;
            SideToMove = 1 - us;
            compare(fen + " after " + MoveText(f->move), SideInCheck(SideToMove), EpSquareAfter(f->move));
            SideToMove = us;
            UnmakeMove(us, f->move);
        }
    }
    EXPECT_GT(rejected, checked / 50) << rejected << " of " << checked;
}
