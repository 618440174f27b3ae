// The evaluation driver: orders the terms, takes the lazy exits, handles the
// special material cases and combines king attack and king weakness.
#include <cstdlib>

#include "board/ColorTraits.h"
#include "eval/EvalTables.h"
#include "eval/EvalTerms.h"
#include "eval/Evaluate.h"

constinit thread_local int32_t WhiteKingDanger = 0;
constinit thread_local int32_t BlackKingDanger = 0;
uint32_t RootCastlingRights[2] = {0, 0};
uint32_t EngineSide = Black;
uint8_t OpponentIsComputer = 0;

namespace {

template <Color Us> uint32_t CastlingRightsLeft() {
    using T = ColorTraits<Us>;
    return (CastleSpoilers[T::QueenSideRight] == 0) + (CastleSpoilers[T::KingSideRight] == 0);
}

} // namespace

void SetRootCastlingRights() {
    RootCastlingRights[White] = CastlingRightsLeft<White>();
    RootCastlingRights[Black] = CastlingRightsLeft<Black>();
}

namespace {

int32_t ApplyVerdict(int32_t s, int32_t verdict) {
    if (verdict == WhiteCannotWin && s > 0) return 0;
    if (verdict == BlackCannotWin && s < 0) return 0;
    return s;
}

template <Color Us> int32_t BishopPair() {
    return PieceLists[ColorTraits<Us>::Bishop][0] >= 2 ? BishopPairBonus * ColorTraits<Us>::Sign : 0;
}

// Us's pieces, plus their attack points scaled up against a weak enemy king.
// White's view.
template <Color Us> int32_t PiecesAndAttack() {
    using T = ColorTraits<Us>;
    int32_t attack = 0;
    int32_t s = KnightTerms<Us>(attack);
    s += BishopTerms<Us>(attack);
    s += RookTerms<Us>(attack);
    s += QueenTerms<Us>(attack);
    // The product is never negative; the shift is arithmetic.
    return s + T::Sign * ((attack * (AttackBase + AttackDangerScale * (KingDangerOf<T::Them>() / 3))) >> AttackShift);
}

} // namespace

template <Color Us> int32_t TrappedBishops() {
    using T = ColorTraits<Us>;
    int32_t v = 0;
    if (PieceAt<Us>(A7) == T::Bishop && PieceAt<Us>(B6) == T::EnemyPawn) v -= TrappedBishopPenalty;
    if (PieceAt<Us>(H7) == T::Bishop && PieceAt<Us>(G6) == T::EnemyPawn) v -= TrappedBishopPenalty;
    return T::Sign * v;
}

// A rook shut in between its king and the corner.
template <Color Us> int32_t RookShutIn() {
    using T = ColorTraits<Us>;
    const Square king = KingSquare(Us);
    if (king < RelativeSquare<Us>(A1) || king > RelativeSquare<Us>(H1)) return 0; // not on the back rank
    const int file = SquareFile(king);
    bool shutIn = false;
    if (file <= 3) {
        shutIn = PieceAt<Us>(A2) == T::Rook;
        for (Square s = RelativeSquare<Us>(A1); s < king; ++s)
            shutIn |= Board[s].piece == T::Rook;
    } else if (file >= 6) {
        shutIn = PieceAt<Us>(H2) == T::Rook;
        for (Square s = king + 1; s <= RelativeSquare<Us>(H1); ++s)
            shutIn |= Board[s].piece == T::Rook;
    }
    return shutIn ? -RookShutInPenalty * T::Sign : 0;
}

// King placement when the opponent has little material left, else king
// safety. White's view.
template <Color Us> int32_t KingTerm() {
    using T = ColorTraits<Us>;
    if (T::EnemyWeight() >= KingSafetyWeightLimit) return -T::Sign * KingSafety<Us>();
    KingDangerOf<Us>() = 0;
    const uint32_t files = CurrentPawnEntry->whitePawnFiles | CurrentPawnEntry->blackPawnFiles;
    const bool queenWing = (files & FilesAtoD) != 0, kingWing = (files & FilesEtoH) != 0;
    const Square king = KingSquare(Us);
    if (queenWing && kingWing) return T::Sign * KingTableBothWings.At<Us>(king);
    if (kingWing) return T::Sign * KingTableKingSide.At<Us>(king);
    if (queenWing) return T::Sign * KingTableQueenSide.At<Us>(king);
    return 0;
}

// King on its back rank walled in by three own pawns.
template <Color Us> int32_t BackRank() {
    using T = ColorTraits<Us>;
    const Square king = KingSquare(Us);
    if (king < RelativeSquare<Us>(A1) || king > RelativeSquare<Us>(H1)) return 0;
    const Square front = king + T::Forward;
    if (Board[front - 1].piece == T::Pawn && Board[front].piece == T::Pawn && Board[front + 1].piece == T::Pawn)
        return -BackRankPenalty * T::Sign;
    return 0;
}

int32_t ScaleOppositeBishops(int32_t s) {
    const uint32_t ww = WhitePieceWeight, bw = BlackPieceWeight;
    if (ww >= OppositeBishopsWeightLimit || bw >= OppositeBishopsWeightLimit || PieceLists[WhiteBishop][0] != 1 ||
        PieceLists[BlackBishop][0] != 1 ||
        IsLightSquare(PieceLists[WhiteBishop][1]) == IsLightSquare(PieceLists[BlackBishop][1]))
        return s;
    // The shifts are arithmetic and round toward minus infinity, so a
    // negative score does not scale to the exact mirror of the positive one.
    const int32_t m = Material;
    const bool bishopsOnly = ww == 3 && bw == 3;
    if (std::abs(m) < OppositeBishopsCloseMaterial) return bishopsOnly ? s >> 2 : s;
    if (bishopsOnly) return s >> 1;
    if (ww == bw) return ((s - m) >> 1) + m; // halve the positional part, keep the material
    return s;
}

template int32_t TrappedBishops<White>();
template int32_t TrappedBishops<Black>();
template int32_t RookShutIn<White>();
template int32_t RookShutIn<Black>();
template int32_t KingTerm<White>();
template int32_t KingTerm<Black>();
template int32_t BackRank<White>();
template int32_t BackRank<Black>();

int32_t Evaluate(uint32_t side, int32_t alpha, int32_t beta) {
    const uint32_t whiteToMove = side == White ? 1 : 0;
    const int32_t m = Material;
    const uint32_t ww = WhitePieceWeight, bw = BlackPieceWeight;

    int32_t verdict = NoVerdict;
    if (ww < RecognizerWeightLimit && bw < RecognizerWeightLimit) verdict = RecognizeEnding(whiteToMove);
    if (verdict == NoVerdict) {
        if (bw != 0 && alpha > m + LazyMaterialMargin) return m + LazyMaterialMargin;
        if (ww != 0 && beta < m - LazyMaterialMargin) return m - LazyMaterialMargin;
    }

    if (PieceLists[WhitePawn][0] == 0 && PieceLists[BlackPawn][0] == 0)
        return ApplyVerdict(m + MateLoneKing(), verdict);

    int32_t s = m + EvaluatePawns();
    const PawnHashEntry &pawns = *CurrentPawnEntry;
    if (pawns.whitePassedFiles | pawns.blackPassedFiles) {
        s += EvaluatePassedPawns(whiteToMove);
        if ((ww == 0 && pawns.blackPassedFiles) || (bw == 0 && pawns.whitePassedFiles))
            s += EvaluatePawnRace(whiteToMove);
    }

    // Pure pawn ending: material counts twice.
    if (ww == 0 && bw == 0) return ApplyVerdict(s + m, verdict);

    s += TrappedBishops<White>() + TrappedBishops<Black>();
    s += RookShutIn<White>() + RookShutIn<Black>();
    s += BishopPair<White>() + BishopPair<Black>();

    if (verdict == NoVerdict) {
        if (alpha > s + LazyPositionMargin) return s + LazyPositionMargin;
        if (beta < s - LazyPositionMargin) return s - LazyPositionMargin;
    }

    if (RootCastlingRights[White] > 0) s += WhiteDevelopment();
    if (RootCastlingRights[Black] > 0) s += BlackDevelopment();

    s += KingTerm<White>();
    s += KingTerm<Black>();
    s += BackRank<White>() + BackRank<Black>();

    s += PiecesAndAttack<White>();
    s += PiecesAndAttack<Black>();

    s = ScaleOppositeBishops(s);

    return ApplyVerdict(s, verdict);
}
