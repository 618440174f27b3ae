// Knights, bishops, rooks and queens: piece-square values, outposts, bishop
// mobility and colour, rook files and the 7th rank, and the attack points each
// piece earns near the enemy king.
#include "board/ColorTraits.h"
#include "eval/EvalTables.h"
#include "eval/EvalTerms.h"

namespace {

// Is there a piece of code c beyond s along step (up to the edge)?
bool PieceAhead(Square s, int step, PieceCode c) {
    return (RayMask[DirectionOfStep[step + 11]][s] & PieceMask[c]) != 0;
}

// Walking from s by step, is the first pawn of code c met also the last one
// of that code on the file (the most advanced in that direction)?
bool FirstPawnIsLast(Square s, int step, PieceCode c) {
    const uint64_t m = RayMask[DirectionOfStep[step + 11]][s] & PieceMask[c];
    return m != 0 && (m & (m - 1)) == 0;
}

// Does a walk along the rank from `from` over empty squares reach `to`?
bool WalkReaches(Square from, Square to) { return FirstOccupied(from, to > from ? 1 : -1) == to; }

// A fianchetto beside the king: the pawn from `pawnHome` (b2 or g2, White's
// side) one step up, the king next to its home and a bishop on it or on a
// back-rank square next to it.
template <Color Us> bool Fianchetto(Square king, Square pawnHome) {
    using T = ColorTraits<Us>;
    return PieceAt<Us>(pawnHome) != T::Pawn && PieceAt<Us>(pawnHome - 10) == T::Pawn &&
           Distance(king, RelativeSquare<Us>(pawnHome)) == 1 &&
           (PieceAt<Us>(pawnHome) == T::Bishop || PieceAt<Us>(pawnHome + 9) == T::Bishop ||
            PieceAt<Us>(pawnHome + 11) == T::Bishop);
}

int FileDistance(int a, int b) { return a > b ? a - b : b - a; }

} // namespace

uint32_t BishopMobility(Square s) {
    // Every square up to the first pawn on each diagonal, pieces or not.
    const uint64_t pawns = PieceMask[WhitePawn] | PieceMask[BlackPawn];
    uint32_t n = 0;
    for (int step : {-11, -9, 9, 11}) {
        const int d = DirectionOfStep[step + 11];
        const uint64_t blockers = RayMask[d][s] & pawns;
        if (blockers == 0) {
            n += RayLength[d][s];
        } else {
            const Square b = BitSquare[NearestBit(blockers, step)];
            n += (RankOf[s] > RankOf[b] ? RankOf[s] - RankOf[b] : RankOf[b] - RankOf[s]) - 1;
        }
    }
    return n;
}

template <Color Us> int32_t KnightTerms(int32_t &attack) {
    using T = ColorTraits<Us>;
    const Square enemyKing = KingSquare(T::Them);
    int32_t s = 0;
    for (uint32_t i = 1; i <= PieceLists[T::Knight][0]; ++i) {
        const Square q = PieceLists[T::Knight][i];
        s += KnightTable.At<Us>(q);
        const int32_t b = KnightOutpost.At<Us>(q);
        // An outpost: no enemy pawn on a neighbouring file can ever attack it.
        if (b != 0 && !PieceAhead(q - 1, T::Forward, T::EnemyPawn) && !PieceAhead(q + 1, T::Forward, T::EnemyPawn)) {
            s += b;
            const int n = (Board[q - T::Forward - 1].piece == T::Pawn) + (Board[q - T::Forward + 1].piece == T::Pawn);
            if (n > 0) {
                bool enemyCanTrade = PieceLists[T::EnemyKnight][0] > 0;
                for (uint32_t j = 1; j <= PieceLists[T::EnemyBishop][0]; ++j)
                    if (IsLightSquare(PieceLists[T::EnemyBishop][j]) == IsLightSquare(q)) enemyCanTrade = true;
                if (!enemyCanTrade)
                    s += b;
                else
                    s += n == 2 ? b : b >> 1;
            }
            if ((q == RelativeSquare<Us>(D6) || q == RelativeSquare<Us>(E6)) &&
                Board[q + T::Forward].piece == T::EnemyPawn)
                s += 12;
        }
        attack += KnightTropism[Distance(q, enemyKing)];
    }
    return T::Sign * s;
}

template <Color Us> int32_t BishopTerms(int32_t &attack) {
    using T = ColorTraits<Us>;
    const Square enemyKing = KingSquare(T::Them);
    const uint32_t count = PieceLists[T::Bishop][0];
    int32_t s = 0;
    for (uint32_t i = 1; i <= count; ++i) {
        const Square q = PieceLists[T::Bishop][i];
        s += BishopTable.At<Us>(q) + 5 * int32_t(BishopMobility(q)) - 20;
        attack += BishopTropism[Distance(q, enemyKing)];
    }
    if (count == 0) return T::Sign * s;
    if (count == 1) {
        // Own pawns on the bishop's colour hem it in.
        const Square q = PieceLists[T::Bishop][1];
        const int32_t light = int32_t(LightPawns<Us>());
        const int32_t p = IsLightSquare(q) ? light : int32_t(PieceLists[T::Pawn][0]) - light;
        s -= 4 * p;
        const uint32_t pawnFiles = CurrentPawnEntry->whitePawnFiles | CurrentPawnEntry->blackPawnFiles;
        if (T::OwnWeight() < 7 && PieceLists[T::EnemyBishop][0] == 0 && (pawnFiles & FilesAtoC) &&
            (pawnFiles & FilesFtoH))
            s += 30; // a bishop is at its best with pawns on both wings
    }
    if (T::EnemyWeight() > 13) {
        // Fianchetto in front of the castled king.
        const Square king = KingSquare(Us);
        const int kf = SquareFile(king);
        if ((kf <= 3 && Fianchetto<Us>(king, B2)) || (kf >= 6 && Fianchetto<Us>(king, G2))) s += 10;
    }
    return T::Sign * s;
}

template <Color Us> int32_t RookTerms(int32_t &attack) {
    using T = ColorTraits<Us>;
    const Square enemyKing = KingSquare(T::Them);
    const int enemyKingFile = SquareFile(enemyKing);
    const bool enemyKingOnBackRank = RelativeRankOf<Us>(enemyKing) == 8;
    const uint32_t count = PieceLists[T::Rook][0];
    int32_t s = 0;
    for (uint32_t i = 1; i <= count; ++i) {
        const Square q = PieceLists[T::Rook][i];
        const int f = SquareFile(q);
        const uint32_t bit = FileBit(f);
        s += RookFileBonus[f];
        int fd = 7;
        if (!(PawnFiles<Us>() & bit)) {
            s += PawnFiles<T::Them>() & bit ? 5 : 24; // half-open or open file
            fd = FileDistance(f, enemyKingFile);
        } else if (!PieceAhead(q, T::Forward, T::Pawn)) {
            fd = FileDistance(f, enemyKingFile);
        }
        const PieceCode left = Board[q - 1].piece, right = Board[q + 1].piece;
        if ((T::IsOwn(left) || left == OffBoard) && (T::IsOwn(right) || right == OffBoard)) s -= 20;
        // Behind a passed pawn, own or enemy.
        if ((PassedFiles<Us>() & bit) && FirstPawnIsLast(q, T::Forward, T::Pawn)) s += 20;
        if ((PassedFiles<T::Them>() & bit) && FirstPawnIsLast(q, -T::Forward, T::EnemyPawn)) s += 20;
        if (RelativeRankOf<Us>(q) == 7 && enemyKingOnBackRank) {
            s += 30;
            for (uint32_t j = i + 1; j <= count; ++j) {
                const Square q2 = PieceLists[T::Rook][j];
                if (RelativeRankOf<Us>(q2) == 7 && WalkReaches(q2, q)) s += 16;
            }
        }
        const int32_t byFile = RookFileTropism[fd], byDistance = RookTropism[Distance(q, enemyKing)];
        attack += byFile > byDistance ? byFile : byDistance;
    }
    return T::Sign * s;
}

template <Color Us> int32_t QueenTerms(int32_t &attack) {
    using T = ColorTraits<Us>;
    const Square enemyKing = KingSquare(T::Them);
    const int enemyKingFile = SquareFile(enemyKing);
    int32_t s = 0;
    for (uint32_t i = 1; i <= PieceLists[T::Queen][0]; ++i) {
        const Square q = PieceLists[T::Queen][i];
        const int f = SquareFile(q);
        s += QueenTable.At<Us>(q);
        if (RelativeRankOf<Us>(q) == 7 && RelativeRankOf<Us>(enemyKing) == 8) {
            for (uint32_t j = 1; j <= PieceLists[T::Rook][0]; ++j) {
                const Square rook = PieceLists[T::Rook][j];
                if (RelativeRankOf<Us>(rook) == 7 && WalkReaches(rook, q)) {
                    s += 10;
                    break;
                }
            }
        }
        const int fd = PieceAhead(q, T::Forward, T::Pawn) ? 7 : FileDistance(f, enemyKingFile);
        const int32_t byFile = QueenFileTropism[fd], byDistance = QueenTropism[Distance(q, enemyKing)];
        attack += byFile > byDistance ? byFile : byDistance;
        if (KingDangerOf<Us>() + 4 < KingDangerOf<T::Them>()) s += 30;
        // A queen on the far wing from the enemy king attacks little.
        if (PieceLists[T::Pawn][0] > 4 && ((f <= 2 && enemyKingFile >= 6) || (f >= 7 && enemyKingFile <= 3))) {
            attack -= 8;
            if (attack < 0) attack = 0;
        }
    }
    return T::Sign * s;
}

template int32_t KnightTerms<White>(int32_t &);
template int32_t KnightTerms<Black>(int32_t &);
template int32_t BishopTerms<White>(int32_t &);
template int32_t BishopTerms<Black>(int32_t &);
template int32_t RookTerms<White>(int32_t &);
template int32_t RookTerms<Black>(int32_t &);
template int32_t QueenTerms<White>(int32_t &);
template int32_t QueenTerms<Black>(int32_t &);
