// Passed pawns beyond their rank value: king support, blockers, connected
// passers, and pawn races when the defending side has no pieces left.
#include "board/ColorTraits.h"
#include "eval/EvalTables.h"
#include "eval/EvalTerms.h"

namespace {

// The most advanced pawn of Us on the file; 0 when there is none.
template <Color Us> Square Passer(int file) {
    for (int rel = 7; rel >= 2; --rel) {
        const Square s = SquareOf(file, Us == White ? rel : 9 - rel);
        if (Board[s].piece == ColorTraits<Us>::Pawn) return s;
    }
    return 0;
}

template <Color Us> Square PromotionSquare(int file) { return SquareOf(file, Us == White ? 8 : 1); }

// Moves the pawn needs to promote; from its starting rank it counts the
// double step.
template <Color Us> int PawnDistance(Square s) {
    const int rel = RelativeRankOf<Us>(s);
    return rel == 2 ? 5 : 8 - rel;
}

// Does the passer on s outrun the enemy king? The side to move must be faster
// than the king needs; the side not to move needs one move more.
template <Color Us> bool OutrunsKing(Square s, uint32_t whiteToMove) {
    const uint32_t themToMove = Us == White ? 1 - whiteToMove : whiteToMove;
    const Square enemyKing = KingSquare(ColorTraits<Us>::Them);
    return PawnDistance<Us>(s) < Distance(enemyKing, PromotionSquare<Us>(SquareFile(s))) - int(themToMove);
}

// Us's passed-pawn terms, from White's point of view.
template <Color Us> int32_t PasserTerms(uint32_t whiteToMove) {
    using T = ColorTraits<Us>;
    const uint32_t files = PassedFiles<Us>();
    const Square king = KingSquare(Us);
    int32_t v = 0;
    for (uint32_t mask = files; mask != 0;) {
        const int f = LowestFile(mask);
        mask &= ~FileBit(f);
        const Square p = Passer<Us>(f);
        if (p == 0) continue;
        const int r = RelativeRankOf<Us>(p);
        const int df = SquareFile(king) - f;
        if ((df == 1 || df == -1) && RelativeRankOf<Us>(king) >= r) v += KingSupportBonus[r];
        if (Board[p + T::Forward].piece != EmptySquare) v -= BlockedPasserPenalty[r];
    }
    for (uint32_t pairs = AdjacentPairs(files); pairs != 0;) {
        const int f = LowestFile(pairs);
        pairs &= ~FileBit(f);
        const Square p1 = Passer<Us>(f), p2 = Passer<Us>(f + 1);
        if (p1 == 0 || p2 == 0) continue;
        const int r1 = RelativeRankOf<Us>(p1), r2 = RelativeRankOf<Us>(p2);
        v += ConnectedPasserBonus[r1 < r2 ? r1 : r2];
        if (r1 >= 6 && r2 >= 6 && T::EnemyWeight() < 9 && !T::IsEnemy(Board[p1 + T::Forward].piece) &&
            !T::IsEnemy(Board[p2 + T::Forward].piece)) {
            v += 100;
            if (OutrunsKing<Us>(p1, whiteToMove) && OutrunsKing<Us>(p2, whiteToMove)) v += 100;
        }
    }
    return T::Sign * v;
}

// Fewest moves a passer of Us needs to promote unhindered, 8 when none can.
template <Color Us> int RaceMoves(uint32_t whiteToMove, Square &queeningSquare) {
    int best = 8;
    if (ColorTraits<Us>::EnemyWeight() != 0) return best;
    const Square king = KingSquare(Us);
    for (uint32_t mask = PassedFiles<Us>(); mask != 0;) {
        const int f = LowestFile(mask);
        mask &= ~FileBit(f);
        const Square p = Passer<Us>(f);
        if (p == 0 || !OutrunsKing<Us>(p, whiteToMove)) continue;
        const int r = RelativeRankOf<Us>(p);
        int moves = 8 - r;
        if (SquareFile(king) == f && RelativeRankOf<Us>(king) > r) {
            if (f == 1 || f == 8) continue; // the own king cannot step aside
            moves = 9 - r;
        }
        if (r == 2) moves -= 1;
        if (moves < best) {
            best = moves;
            queeningSquare = PromotionSquare<Us>(f);
        }
    }
    return best;
}

// Us queens first: the new queen counts when it checks the enemy king or
// covers the enemy's queening square before that king can defend it.
template <Color Us> bool FirstQueenCounts(Square ours, Square theirs) {
    const Square enemyKing = KingSquare(ColorTraits<Us>::Them);
    return OnQueenLine(ours, enemyKing) || (OnQueenLine(ours, theirs) && Distance(enemyKing, theirs) > 1);
}

// Us wins the race, queening in `moves` moves; White's view.
template <Color Us> int32_t RaceWon(int moves) { return ColorTraits<Us>::Sign * (650 - 10 * moves); }

} // namespace

int32_t EvaluatePassedPawns(uint32_t whiteToMove) {
    return PasserTerms<White>(whiteToMove) + PasserTerms<Black>(whiteToMove);
}

int32_t EvaluatePawnRace(uint32_t whiteToMove) {
    Square qw = 0, qb = 0;
    const int bestW = RaceMoves<White>(whiteToMove, qw);
    int bestB = RaceMoves<Black>(whiteToMove, qb);
    if (bestW == 8 && bestB == 8) return 0;
    if (bestB == 8) return RaceWon<White>(bestW);
    if (bestW == 8) return RaceWon<Black>(bestB);
    // From here Black's count includes the tempo: with Black to move it is
    // one less, and equal counts mean White queens first.
    if (!whiteToMove) bestB -= 1;
    if (bestW < bestB) return RaceWon<White>(bestW);
    if (bestB < bestW - 1) return RaceWon<Black>(bestB);
    if (bestW == bestB) return FirstQueenCounts<White>(qw, qb) ? RaceWon<White>(bestW) : 0;
    if (bestB == bestW - 1) return FirstQueenCounts<Black>(qb, qw) ? RaceWon<Black>(bestB) : 0;
    return 0;
}
