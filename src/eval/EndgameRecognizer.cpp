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
    constexpr int32_t CannotWin = CannotWinVerdict<Us>;
    const uint32_t pawns = PieceLists[T::Pawn][0];
    const uint32_t bishops = PieceLists[T::Bishop][0];
    bool aPawn = false, hPawn = false;
    for (uint32_t i = 1; i <= pawns; ++i) {
        if (SquareFile(PieceLists[T::Pawn][i]) == 1)
            aPawn = true;
        else
            hPawn = true;
    }
    if (PieceLists[T::EnemyPawn][0] > 0 && bishops == 0) return NoVerdict;
    if (bishops == 0) {
        if (T::OwnWeight() != 0) return NoVerdict; // a knight
        if (aPawn && hPawn) return NoVerdict;
    } else {
        bool anyDark = false;
        for (uint32_t i = 1; i <= bishops; ++i)
            if (!IsLightSquare(PieceLists[T::Bishop][i])) anyDark = true;
        // A bishop of the queening corner's colour wins: h8 and a1 are dark,
        // a8 and h1 light.
        const bool darkCornerPawn = Us == White ? hPawn : aPawn;
        const bool lightCornerPawn = Us == White ? aPawn : hPawn;
        if (anyDark && darkCornerPawn) return NoVerdict;
        if (!anyDark && lightCornerPawn) return NoVerdict;
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
        return dd < da - wtm && dd <= dp - wtm ? CannotWin : NoVerdict;
    } else {
        return dd < da + wtm && dd <= dp + wtm ? CannotWin : NoVerdict;
    }
}

// Us has pawns only on the a- and h-files, at most a minor piece, and Them
// no pieces: the rook-pawn rule decides.
template <Color Us> bool RookPawnEnding() {
    using T = ColorTraits<Us>;
    const uint32_t pawns = PieceLists[T::Pawn][0];
    if (T::EnemyWeight() != 0 || pawns == 0 || T::OwnWeight() > 3) return false;
    for (uint32_t i = 1; i <= pawns; ++i) {
        const int f = SquareFile(PieceLists[T::Pawn][i]);
        if (f != 1 && f != 8) return false;
    }
    return true;
}

template <Color Us> bool HasPawns() { return PieceLists[ColorTraits<Us>::Pawn][0] > 0; }

// Two minor pieces, one a bishop, with pawns: no verdict at all.
template <Color Us> bool BishopMinorAndPawns() {
    using T = ColorTraits<Us>;
    return T::OwnWeight() == 6 && PieceLists[T::Bishop][0] > 0 && HasPawns<Us>();
}

// Material Us cannot win with, having no pawns: rook against a minor piece,
// or rook and minor against rook.
template <Color Us> bool RookEndingHeld() {
    using T = ColorTraits<Us>;
    const uint32_t ours = T::OwnWeight(), theirs = T::EnemyWeight();
    return !HasPawns<Us>() && ((ours == 5 && theirs == 3) || (ours == 8 && theirs == 5));
}

// Only one minor piece up, no pawns.
template <Color Us> bool MinorUpHeld() {
    using T = ColorTraits<Us>;
    const int32_t ours = int32_t(T::OwnWeight()), theirs = int32_t(T::EnemyWeight());
    return !HasPawns<Us>() && ours < 7 && ours - theirs == 3;
}

// At most a minor piece and no pawns.
template <Color Us> bool TooLittleToWin() { return !HasPawns<Us>() && ColorTraits<Us>::OwnWeight() < 4; }

// King, bishop and knight against the lone king.
template <Color Us> bool BishopKnightAgainstKing() {
    using T = ColorTraits<Us>;
    return T::EnemyWeight() == 0 && T::OwnWeight() == 6 && PieceLists[T::Bishop][0] > 0 && PieceLists[T::Knight][0] > 0;
}

// The corners of the bishop's square colour score high.
template <Color Us> const SquareTable &BishopCornerTable() {
    return IsLightSquare(PieceLists[ColorTraits<Us>::Bishop][1]) ? CornerTableLight : CornerTableDark;
}

// Us drives the enemy king toward the table's high squares, own king close.
// White's view. The table is read at the losing king's own square for both
// colours, unmirrored: the corner tables follow the square colours, and the
// edge table's b8/c8 zeros apply to whichever king stands there.
template <Color Us> int32_t DriveKing(const SquareTable &t) {
    using T = ColorTraits<Us>;
    const int32_t d = Distance(KingSquare(White), KingSquare(Black));
    return T::Sign * (t.At<White>(KingSquare(T::Them)) - 15 * d + 105);
}

} // namespace

int32_t RecognizeEnding(uint32_t whiteToMove) {
    if (BishopMinorAndPawns<White>() || BishopMinorAndPawns<Black>()) return NoVerdict;

    if (WhitePieceWeight == 0 && BlackPieceWeight == 0) {
        for (PieceCode c : {WhitePawn, BlackPawn})
            for (uint32_t i = 1; i <= PieceLists[c][0]; ++i) {
                const int f = SquareFile(PieceLists[c][i]);
                if (f >= 2 && f <= 7) return NoVerdict;
            }
    }

    if (RookPawnEnding<White>()) return RookPawnRule<White>(whiteToMove);
    if (RookPawnEnding<Black>()) return RookPawnRule<Black>(whiteToMove);

    if (HasPawns<White>() && HasPawns<Black>()) return NoVerdict;
    // Each rule is tried for White first.
    if (RookEndingHeld<White>()) return WhiteCannotWin;
    if (RookEndingHeld<Black>()) return BlackCannotWin;
    if (MinorUpHeld<White>()) return WhiteCannotWin;
    if (MinorUpHeld<Black>()) return BlackCannotWin;
    if (TooLittleToWin<White>()) return WhiteCannotWin;
    if (TooLittleToWin<Black>()) return BlackCannotWin;
    return NoVerdict;
}

int32_t MateLoneKing() {
    if (BishopKnightAgainstKing<White>()) return DriveKing<White>(BishopCornerTable<White>());
    if (BishopKnightAgainstKing<Black>()) return DriveKing<Black>(BishopCornerTable<Black>());
    if (Material > 0) return DriveKing<White>(EdgeTable);
    if (Material < 0) return DriveKing<Black>(EdgeTable);
    return 0;
}
