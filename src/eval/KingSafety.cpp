// Opening development (while castling was still possible at the root) and the
// weakness of each king's position.
#include "board/ColorTraits.h"
#include "eval/EvalTables.h"
#include "eval/EvalTerms.h"

namespace {

template <Color Us> bool HasCastlingRight() {
    using T = ColorTraits<Us>;
    return CastleSpoilers[T::QueenSideRight] == 0 || CastleSpoilers[T::KingSideRight] == 0;
}

bool FileOpen(int file) {
    return ((CurrentPawnEntry->whitePawnFiles | CurrentPawnEntry->blackPawnFiles) & FileBit(file)) == 0;
}

// Open central files around the king: +2 on both sides, +4 on its own file.
int OpenFilesAround(int file) { return 2 * FileOpen(file - 1) + 4 * FileOpen(file) + 2 * FileOpen(file + 1); }

// The knight-file pawn gone from `pawnHome` (b2 or g2, White's side) and an
// enemy pawn or bishop on `front` (c3 or f3) at the hole.
template <Color Us> bool LongDiagonalHole(Square pawnHome, Square front) {
    using T = ColorTraits<Us>;
    const PieceCode f = PieceAt<Us>(front);
    return PieceAt<Us>(pawnHome) != T::Pawn && (f == T::EnemyPawn || f == T::EnemyBishop);
}

} // namespace

template <Color Us> int32_t Development() {
    using T = ColorTraits<Us>;
    int32_t v = 0; // from Us's side
    if (PieceAt<Us>(D5) == T::EnemyPawn && PieceAt<Us>(E5) != T::EnemyPawn && PieceAt<Us>(C2) == T::Pawn &&
        (PieceAt<Us>(C3) == T::Knight || PieceAt<Us>(C3) == T::Bishop))
        v = -6;
    if (PieceAt<Us>(D2) == T::Pawn && PieceAt<Us>(D3) != EmptySquare) v -= 12;
    if (PieceAt<Us>(E2) == T::Pawn && PieceAt<Us>(E3) != EmptySquare) v -= 12;
    const bool rightKept = HasCastlingRight<Us>();
    if (rightKept && PieceAt<Us>(D1) != T::Queen) v -= 12;

    if (RootCastlingRights[Us] == 2) {
        // Compare the shelter of the wing the king goes to (a) with the other (b).
        const int32_t kingSide = int32_t(ShelterKingSide<Us>()), queenSide = int32_t(ShelterQueenSide<Us>());
        int32_t a = 0, b = 0;
        if (Castled[Us]) {
            const bool queenWing = SquareFile(KingSquare(Us)) <= 4;
            a = queenWing ? queenSide : kingSide;
            b = queenWing ? kingSide : queenSide;
        } else if (CastleSpoilers[T::QueenSideRight] != 0) {
            a = kingSide;
            b = queenSide;
        } else if (CastleSpoilers[T::KingSideRight] != 0) {
            a = queenSide;
            b = kingSide;
        }
        if (a > b) v -= 8 * (a - b);
    }

    if (rightKept)
        v -= 24;
    else if (!Castled[Us])
        v -= 20 + 20 * int32_t(PieceLists[T::EnemyQueen][0]);
    return T::Sign * v;
}

template <Color Us> int32_t KingSafety() {
    using T = ColorTraits<Us>;
    const Square king = KingSquare(Us);
    const int file = SquareFile(king);
    const bool enemyQueen = PieceLists[T::EnemyQueen][0] > 0;
    int32_t k = KingSquareDanger.At<Us>(king);
    if (HasCastlingRight<Us>()) {
        const bool queenSideLost = CastleSpoilers[T::QueenSideRight] != 0;
        const bool kingSideLost = CastleSpoilers[T::KingSideRight] != 0;
        if (queenSideLost && !kingSideLost)
            k += int32_t(ShelterKingSide<Us>() >> 1);
        else if (!queenSideLost && kingSideLost)
            k += int32_t(ShelterQueenSide<Us>() >> 1);
        k += OpenFilesAround(5); // d, e and f files
    } else if (file <= 4) {
        k += int32_t(ShelterQueenSide<Us>());
        if (enemyQueen && LongDiagonalHole<Us>(B2, C3)) k += 3;
        if (file == 4) k += OpenFilesAround(4); // c, d and e files
    } else {
        k += int32_t(ShelterKingSide<Us>());
        if (enemyQueen && LongDiagonalHole<Us>(G2, F3)) k += 3;
        if (file == 5) k += OpenFilesAround(5);
    }
    if (!enemyQueen) k /= 2;
    KingDangerOf<Us>() = k;
    return 8 * k;
}

template int32_t Development<White>();
template int32_t Development<Black>();
template int32_t KingSafety<White>();
template int32_t KingSafety<Black>();
