// Endgame knowledge applied before (and instead of) the general terms: which
// low-material endings one side cannot win, and how to drive a lone king.
#include "board/ColorTraits.h"
#include "eval/EvalTables.h"
#include "eval/EvalTerms.h"

namespace {

// Rook-pawn endings: Us has only pawns on the a- and h-files (and at most a
// minor piece), Them has no pieces. Returns Us's "cannot win" verdict when the
// defending king holds the corner, else 0.
template <Color Us> int32_t RookPawnRule(uint32_t whiteToMove) {
    using T = ColorTraits<Us>;
    constexpr int32_t CannotWin = Us == White ? -1 : -2;
    const uint32_t pawns = PieceLists[T::Pawn][0];
    const uint32_t bishops = PieceLists[T::Bishop][0];
    bool aPawn = false, hPawn = false;
    for (uint32_t i = 1; i <= pawns; ++i) {
        if (SquareFile(PieceLists[T::Pawn][i]) == 1)
            aPawn = true;
        else
            hPawn = true;
    }
    if (PieceLists[T::EnemyPawn][0] > 0 && bishops == 0) return 0;
    if (bishops == 0) {
        if (T::OwnWeight() != 0) return 0; // a knight
        if (aPawn && hPawn) return 0;
    } else {
        bool anyDark = false;
        for (uint32_t i = 1; i <= bishops; ++i)
            if (!IsLightSquare(PieceLists[T::Bishop][i])) anyDark = true;
        // A bishop of the queening corner's colour wins: h8 and a1 are dark,
        // a8 and h1 light.
        const bool darkCornerPawn = Us == White ? hPawn : aPawn;
        const bool lightCornerPawn = Us == White ? aPawn : hPawn;
        if (anyDark && darkCornerPawn) return 0;
        if (!anyDark && lightCornerPawn) return 0;
    }
    const Square corner = aPawn ? RelativeSquare<Us>(A8) : RelativeSquare<Us>(H8);
    const int cornerFile = SquareFile(corner);
    // Most advanced pawn on the corner's file.
    int bestRelRank = 0;
    for (uint32_t i = 1; i <= pawns; ++i) {
        const Square s = PieceLists[T::Pawn][i];
        if (SquareFile(s) != cornerFile) continue;
        const int rel = int(T::RelativeRank(uint32_t(SquareRank(s))));
        if (rel > bestRelRank) bestRelRank = rel;
    }
    const int dd = Distance(KingSquare(T::Them), corner);
    const int da = Distance(KingSquare(Us), corner) + (dd < 2 ? 1 : 0);
    const int dp = 8 - bestRelRank;
    const int wtm = int(whiteToMove);
    if constexpr (Us == White) {
        // Deliberately one tempo apart from Black's rule below: White's
        // pawns need the defender closer by one more move when White is to
        // move.
        return dd < da - wtm && dd <= dp - wtm ? CannotWin : 0;
    } else {
        return dd < da + wtm && dd <= dp + wtm ? CannotWin : 0;
    }
}

template <Color Us> bool AllPawnsOnRookFiles() {
    using T = ColorTraits<Us>;
    for (uint32_t i = 1; i <= PieceLists[T::Pawn][0]; ++i) {
        const int f = SquareFile(PieceLists[T::Pawn][i]);
        if (f != 1 && f != 8) return false;
    }
    return true;
}

} // namespace

int32_t RecognizeEnding(uint32_t whiteToMove) {
    const int32_t ww = int32_t(WhitePieceWeight), bw = int32_t(BlackPieceWeight);
    const uint32_t wp = PieceLists[WhitePawn][0], bp = PieceLists[BlackPawn][0];
    const uint32_t wb = PieceLists[WhiteBishop][0], bb = PieceLists[BlackBishop][0];

    if (ww == 6 && wb > 0 && wp > 0) return 0;
    if (bw == 6 && bb > 0 && bp > 0) return 0;

    if (ww == 0 && bw == 0) {
        for (PieceCode c : {WhitePawn, BlackPawn})
            for (uint32_t i = 1; i <= PieceLists[c][0]; ++i) {
                const int f = SquareFile(PieceLists[c][i]);
                if (f >= 2 && f <= 7) return 0;
            }
    }

    if (bw == 0 && wp > 0 && ww <= 3 && AllPawnsOnRookFiles<White>()) return RookPawnRule<White>(whiteToMove);
    if (ww == 0 && bp > 0 && bw <= 3 && AllPawnsOnRookFiles<Black>()) return RookPawnRule<Black>(whiteToMove);

    if (wp > 0 && bp > 0) return 0;
    if (wp == 0 && ww == 5 && bw == 3) return -1; // rook against a minor piece
    if (wp == 0 && ww == 8 && bw == 5) return -1; // rook and minor against rook
    if (bp == 0 && ww == 3 && bw == 5) return -2;
    if (bp == 0 && ww == 5 && bw == 8) return -2;
    if (wp == 0 && ww < 7 && ww - bw == 3) return -1; // one minor piece up
    if (bp == 0 && bw < 7 && bw - ww == 3) return -2;
    if (wp == 0 && ww < 4) return -1;
    if (bp > 0) return 0;
    if (bw > 3) return 0;
    return -2;
}

int32_t MateLoneKing() {
    const Square wk = KingSquare(White), bk = KingSquare(Black);
    const int32_t d = Distance(wk, bk);
    if (BlackPieceWeight == 0 && WhitePieceWeight == 6 && PieceLists[WhiteBishop][0] > 0 &&
        PieceLists[WhiteKnight][0] > 0) {
        const SquareTable &t = IsLightSquare(PieceLists[WhiteBishop][1]) ? CornerTableLight : CornerTableDark;
        return t.At<White>(bk) - 15 * d + 105;
    }
    if (WhitePieceWeight == 0 && BlackPieceWeight == 6 && PieceLists[BlackBishop][0] > 0 &&
        PieceLists[BlackKnight][0] > 0) {
        const SquareTable &t = IsLightSquare(PieceLists[BlackBishop][1]) ? CornerTableLight : CornerTableDark;
        return -t.At<White>(wk) + 15 * d - 105;
    }
    // The edge table is read at the losing king's own square for both
    // colours (its b8/c8 zeros apply to whichever king stands there).
    if (Material > 0) return EdgeTable.At<White>(bk) - 15 * d + 105;
    if (Material < 0) return 15 * d - EdgeTable.At<White>(wk) - 105;
    return 0;
}
