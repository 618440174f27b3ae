// Pseudo-legal move generation with first ordering scores.
#include "board/MoveGenerator.h"

#include <cstddef>
#include <initializer_list>

#include "board/ColorTraits.h"
#include "board/MoveScores.h"
#include "board/Swap.h"

constinit thread_local int32_t CaptureMargin = 0;
constinit thread_local int32_t HistoryScore[14][120];

namespace {

constexpr int BishopSteps[4] = {-11, -9, 9, 11};
constexpr int RookSteps[4] = {-10, -1, 1, 10};
constexpr int QueenSteps[8] = {-11, -9, -10, -1, 9, 11, 1, 10};
constexpr int KingSteps[8] = {11, 10, 9, 1, -1, -9, -10, -11};

template <Color Us> inline bool IsEnemyCode(PieceCode c) {
    if constexpr (Us == White)
        return c - BlackPawn <= BlackKing - BlackPawn; // unsigned: 8..13
    else
        return c <= WhiteKing;
}

// Score of a capture by a piece other than a pawn: losing captures keep their
// negative exchange value so they sort behind the quiet moves.
template <Color Us> inline int32_t PieceCaptureScore(Square from, Square to) {
    int32_t e = StaticExchange<Us>(from, to, -32767, 32767);
    return e >= 0 ? CaptureScoreBase + e : e;
}

template <Color Us> inline MoveEntry *AddPromotions(MoveEntry *list, Square from, Square to, PieceCode captured) {
    using T = ColorTraits<Us>;
    *list++ = {MakePromotionWord(from, to, captured, T::Queen), QueenPromotionScore};
    *list++ = {MakePromotionWord(from, to, captured, T::Rook), UnderPromotionScore[0]};
    *list++ = {MakePromotionWord(from, to, captured, T::Bishop), UnderPromotionScore[1]};
    *list++ = {MakePromotionWord(from, to, captured, T::Knight), UnderPromotionScore[2]};
    return list;
}

// Knight or king: single steps.
template <Color Us, std::size_t N>
inline MoveEntry *StepMoves(MoveEntry *list, PieceCode piece, Square from, const int (&steps)[N]) {
    using T = ColorTraits<Us>;
    const int32_t *history = HistoryScore[piece];
    for (int step : steps) {
        Square to = from + T::Sign * step;
        PieceCode c = Board[to].piece;
        if (c == EmptySquare) {
            *list++ = {MakeMoveWord(from, to), history[to]};
        } else if (IsEnemyCode<Us>(c)) {
            *list++ = {MakeMoveWord(from, to, c), PieceCaptureScore<Us>(from, to)};
        }
    }
    return list;
}

template <Color Us, std::size_t N>
inline MoveEntry *RayMoves(MoveEntry *list, PieceCode piece, Square from, const int (&steps)[N]) {
    using T = ColorTraits<Us>;
    const int32_t *history = HistoryScore[piece];
    for (int step : steps) {
        const int d = T::Sign * step;
        Square to = from + d;
        while (Board[to].piece == EmptySquare) {
            *list++ = {MakeMoveWord(from, to), history[to]};
            to += d;
        }
        PieceCode c = Board[to].piece;
        if (IsEnemyCode<Us>(c)) *list++ = {MakeMoveWord(from, to, c), PieceCaptureScore<Us>(from, to)};
    }
    return list;
}

// `reach`: the squares the steps lead to; none with an enemy, nothing to do.
template <Color Us, std::size_t N>
inline MoveEntry *StepCaptures(MoveEntry *list, Square from, const int (&steps)[N], uint64_t reach, uint64_t enemy) {
    using T = ColorTraits<Us>;
    if ((reach & enemy) == 0) return list;
    for (int step : steps) {
        Square to = from + T::Sign * step;
        PieceCode c = Board[to].piece;
        if (IsEnemyCode<Us>(c) && PieceValue[c] >= CaptureMargin && !ExchangeBelow<Us>(from, to, CaptureMargin)) {
            int32_t e = StaticExchange<Us>(from, to, -32767, 32767);
            if (e >= CaptureMargin) *list++ = {MakeMoveWord(from, to, c), e};
        }
    }
    return list;
}

template <Color Us, std::size_t N> inline MoveEntry *RayCaptures(MoveEntry *list, Square from, const int (&steps)[N]) {
    using T = ColorTraits<Us>;
    for (int step : steps) {
        const Square to = FirstOccupied(from, T::Sign * step);
        PieceCode c = Board[to].piece;
        if (IsEnemyCode<Us>(c) && PieceValue[c] >= CaptureMargin && !ExchangeBelow<Us>(from, to, CaptureMargin)) {
            int32_t e = StaticExchange<Us>(from, to, -32767, 32767);
            if (e >= CaptureMargin) *list++ = {MakeMoveWord(from, to, c), e};
        }
    }
    return list;
}

} // namespace

// Castling in any layout: king side first, as in the standard one. The move
// goes from the king to its rook; the squares on the way must be empty but
// for the two pieces themselves.
template <Color Us> MoveEntry *AnyLayoutCastlings(MoveEntry *list) {
    using T = ColorTraits<Us>;
    const Square king = KingSquare(Us);
    for (int right : {T::KingSideRight, T::QueenSideRight}) {
        if (CastleSpoilers[right] != 0 || (Occupied & CastlePathMask[right]) != 0) continue;
        const Move m = MakeMoveWord(king, CastleRookSquare[right], EmptySquare, CastlingFlag);
        const int32_t bonus = right == T::KingSideRight ? KingSideCastleBonus : 0;
        *list++ = {m, HistoryScore[T::King][CastlingKingTarget(m)] + bonus};
    }
    return list;
}

template <Color Us> MoveEntry *GenerateMoves(MoveEntry *list, uint32_t inCheck, uint32_t epSquare) {
    using T = ColorTraits<Us>;
    constexpr Square K = T::KingHome;

    if (!inCheck && CastlingAnyLayout) {
        list = AnyLayoutCastlings<Us>(list);
    } else if (!inCheck) {
        if (CastleSpoilers[T::KingSideRight] == 0 && Board[K + 1].piece == EmptySquare &&
            Board[K + 2].piece == EmptySquare)
            *list++ = {MakeMoveWord(K, K + 2, EmptySquare, CastlingFlag),
                       HistoryScore[T::King][K + 2] + KingSideCastleBonus};
        if (CastleSpoilers[T::QueenSideRight] == 0 && Board[K - 1].piece == EmptySquare &&
            Board[K - 2].piece == EmptySquare && Board[K - 3].piece == EmptySquare)
            *list++ = {MakeMoveWord(K, K - 2, EmptySquare, CastlingFlag), HistoryScore[T::King][K - 2]};
    }

    if (epSquare != 0) {
        for (int side : {9, 11}) {
            Square from = epSquare + T::Sign * side;
            if (Board[from].piece == T::Pawn)
                *list++ = {MakeMoveWord(from, epSquare, T::EnemyPawn, EnPassantFlag), EnPassantScore};
        }
    }

    const int32_t *pawnHistory = HistoryScore[T::Pawn];
    const uint32_t *pawns = PieceLists[T::Pawn];
    for (uint32_t i = pawns[0]; i >= 1; i--) {
        const Square from = pawns[i];
        const bool promoting = RankOf[from] == T::SeventhRank;
        for (int side : {9, 11}) {
            const Square to = from - T::Sign * side;
            const PieceCode c = Board[to].piece;
            if (!IsEnemyCode<Us>(c)) continue;
            if (promoting)
                list = AddPromotions<Us>(list, from, to, c);
            else
                *list++ = {MakeMoveWord(from, to, c), CaptureScoreBase + StaticExchange<Us>(from, to, -32767, 32767)};
        }
        const Square to = from + T::Forward;
        if (Board[to].piece == EmptySquare) {
            if (promoting) {
                list = AddPromotions<Us>(list, from, to, EmptySquare);
            } else {
                *list++ = {MakeMoveWord(from, to), pawnHistory[to]};
                const Square to2 = to + T::Forward;
                if (RankOf[from] == T::SecondRank && Board[to2].piece == EmptySquare)
                    *list++ = {MakeMoveWord(from, to2, EmptySquare, DoubleStepFlag), pawnHistory[to2]};
            }
        }
    }

    const uint32_t *knights = PieceLists[T::Knight];
    for (uint32_t i = knights[0]; i >= 1; i--)
        list = StepMoves<Us>(list, T::Knight, knights[i], KnightSteps);
    const uint32_t *bishops = PieceLists[T::Bishop];
    for (uint32_t i = bishops[0]; i >= 1; i--)
        list = RayMoves<Us>(list, T::Bishop, bishops[i], BishopSteps);
    const uint32_t *rooks = PieceLists[T::Rook];
    for (uint32_t i = rooks[0]; i >= 1; i--)
        list = RayMoves<Us>(list, T::Rook, rooks[i], RookSteps);
    const uint32_t *queens = PieceLists[T::Queen];
    for (uint32_t i = queens[0]; i >= 1; i--)
        list = RayMoves<Us>(list, T::Queen, queens[i], QueenSteps);
    return StepMoves<Us>(list, T::King, KingSquare(Us), KingSteps);
}

template <Color Us> MoveEntry *GenerateCaptures(MoveEntry *list) {
    using T = ColorTraits<Us>;
    const uint32_t *pawns = PieceLists[T::Pawn];
    for (uint32_t i = pawns[0]; i >= 1; i--) {
        const Square from = pawns[i];
        if (RankOf[from] == T::SeventhRank) {
            // Queen promotions enter whatever the exchange says.
            for (int side : {9, 11}) {
                const Square to = from - T::Sign * side;
                const PieceCode c = Board[to].piece;
                if (IsEnemyCode<Us>(c))
                    *list++ = {MakePromotionWord(from, to, c, T::Queen), StaticExchange<Us>(from, to, -32767, 32767)};
            }
            const Square to = from + T::Forward;
            if (Board[to].piece == EmptySquare)
                *list++ = {MakePromotionWord(from, to, EmptySquare, T::Queen),
                           StaticExchange<Us>(from, to, -32767, 32767)};
        } else {
            for (int side : {9, 11}) {
                const Square to = from - T::Sign * side;
                const PieceCode c = Board[to].piece;
                // The exchange never wins more than the piece taken.
                if (!IsEnemyCode<Us>(c) || PieceValue[c] < CaptureMargin) continue;
                int32_t e = StaticExchange<Us>(from, to, -32767, 32767);
                if (e >= CaptureMargin) *list++ = {MakeMoveWord(from, to, c), e};
            }
        }
    }

    const uint64_t enemy = T::EnemySquares();
    const uint32_t *knights = PieceLists[T::Knight];
    for (uint32_t i = knights[0]; i >= 1; i--)
        list = StepCaptures<Us>(list, knights[i], KnightSteps, KnightReach[knights[i]], enemy);
    const uint32_t *bishops = PieceLists[T::Bishop];
    for (uint32_t i = bishops[0]; i >= 1; i--)
        list = RayCaptures<Us>(list, bishops[i], BishopSteps);
    const uint32_t *rooks = PieceLists[T::Rook];
    for (uint32_t i = rooks[0]; i >= 1; i--)
        list = RayCaptures<Us>(list, rooks[i], RookSteps);
    const uint32_t *queens = PieceLists[T::Queen];
    for (uint32_t i = queens[0]; i >= 1; i--)
        list = RayCaptures<Us>(list, queens[i], QueenSteps);
    return StepCaptures<Us>(list, KingSquare(Us), KingSteps, KingReach[KingSquare(Us)], enemy);
}

template MoveEntry *GenerateMoves<White>(MoveEntry *, uint32_t, uint32_t);
template MoveEntry *GenerateMoves<Black>(MoveEntry *, uint32_t, uint32_t);
template MoveEntry *GenerateCaptures<White>(MoveEntry *);
template MoveEntry *GenerateCaptures<Black>(MoveEntry *);
