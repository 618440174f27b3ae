// Static exchange evaluation: both sides recapture on one square with their
// cheapest attacker, inside an alpha-beta window, without making any move.
#include "board/Swap.h"

#include <initializer_list>

#include "board/Attack.h"
#include "board/ColorTraits.h"

namespace {

struct ExchangeAttacker {
    int16_t value; // PieceValue, raised to the queen's when a pawn promotes by its capture
    uint8_t kind;  // 0 rank/file, 1 diagonal, 2 knight
    uint8_t square;
    int8_t step; // from the target toward the attacker (not for knights)
};

// Every square on a line or a knight's jump from the target can hold at most
// one attacker: 27 line squares and 8 knight squares bound each list.
constexpr int AttackerCapacity = 36;

struct AttackerList {
    uint32_t count;
    ExchangeAttacker entries[AttackerCapacity];
};

constinit thread_local AttackerList Attackers[2];

constexpr int32_t PawnValue = 100;
constexpr int32_t QueenValue = 1200;

// Per piece code: bit 0 slides along ranks and files, bit 1 along diagonals.
constexpr uint8_t SlideBits[16] = {0, 0, 2, 1, 3, 0, 0, 0, 0, 0, 2, 1, 3, 0, 0, 0};
constexpr bool IsKnightCode(PieceCode c) { return (c & 7) == Knight; } // empty is 6, off board 7
constexpr bool IsKingCode(PieceCode c) { return (c & 7) == King; }

inline void Append(PieceCode c, Square s, uint8_t kind, int step) {
    AttackerList &list = Attackers[c >> 3];
    list.entries[list.count++] = {int16_t(PieceValue[c]), kind, uint8_t(s), int8_t(step)};
}

// The first piece beyond an attacker that was just used, when it slides along the same line.
inline void AddHidden(const ExchangeAttacker &a) {
    if (a.kind == 2) return;
    const Square s = FirstOccupied(a.square, a.step);
    const PieceCode c = Board[s].piece;
    if (SlideBits[c] & (1 << a.kind)) Append(c, s, a.kind, a.step);
}

// One ray from the target: the neighbour may be a slider, a king or (on the
// diagonals) a pawn of the colour that attacks from that side; further out
// only a slider counts. `sliders`: every piece that slides along such lines.
template <uint8_t Kind, int Step> inline void ScanRay(Square t, PieceCode pawn, uint64_t sliders) {
    constexpr uint8_t bit = 1 << Kind;
    const Square n = t + Step;
    const PieceCode c = Board[n].piece;
    if (c != EmptySquare) {
        if ((SlideBits[c] & bit) || IsKingCode(c) || c == pawn) Append(c, n, Kind, Step);
        return;
    }
    const uint64_t ray = RayMask[DirectionOfStep[Step + 11]][t];
    if ((ray & sliders) == 0) return;
    // The neighbour is empty: the first piece beyond it is the first from t.
    const uint64_t pieces = ray & Occupied; // none when the only slider is the mover
    if (pieces == 0) return;
    const Square s = BitSquare[NearestBit(pieces, Step)];
    const PieceCode f = Board[s].piece;
    if (SlideBits[f] & bit) Append(f, s, Kind, Step);
}

void CollectAttackers(Square from, Square t) {
    PieceCode moving = Board[from].piece;
    const uint64_t occupied = Occupied;
    Board[from].piece = EmptySquare;
    Occupied &= ~SquareBit[from];
    Attackers[White].count = 0;
    Attackers[Black].count = 0;

    if (KnightReach[t] & (PieceMask[WhiteKnight] | PieceMask[BlackKnight]))
        for (int step : KnightSteps) {
            PieceCode c = Board[t + step].piece;
            if (IsKnightCode(c)) Append(c, t + step, 2, step);
        }
    const uint64_t queens = PieceMask[WhiteQueen] | PieceMask[BlackQueen];
    const uint64_t straight = queens | PieceMask[WhiteRook] | PieceMask[BlackRook];
    const uint64_t diagonal = queens | PieceMask[WhiteBishop] | PieceMask[BlackBishop];
    // No pawn attacks along ranks and files (an empty neighbour takes the other branch).
    ScanRay<0, 10>(t, EmptySquare, straight);
    ScanRay<0, -10>(t, EmptySquare, straight);
    ScanRay<0, 1>(t, EmptySquare, straight);
    ScanRay<0, -1>(t, EmptySquare, straight);
    // Below the target white pawns attack it, above it black pawns.
    ScanRay<1, 11>(t, WhitePawn, diagonal);
    ScanRay<1, 9>(t, WhitePawn, diagonal);
    ScanRay<1, -11>(t, BlackPawn, diagonal);
    ScanRay<1, -9>(t, BlackPawn, diagonal);
    Board[from].piece = moving;
    Occupied = occupied;
}

// Moves the cheapest attacker of list from position i on into position i.
inline ExchangeAttacker &Cheapest(AttackerList &list, uint32_t i) {
    uint32_t best = i;
    for (uint32_t j = i + 1; j < list.count; j++)
        if (list.entries[j].value < list.entries[best].value) best = j;
    if (best != i) {
        ExchangeAttacker tmp = list.entries[i];
        list.entries[i] = list.entries[best];
        list.entries[best] = tmp;
    }
    return list.entries[i];
}

} // namespace

template <Color Us> int32_t StaticExchange(Square from, Square to, int32_t alpha, int32_t beta) {
    using T = ColorTraits<Us>;
    AttackerList &ours = Attackers[Us];
    AttackerList &theirs = Attackers[T::Them];
    const bool promotionSquare = RankOf[to] == T::PromotionRank;
    const bool enemyPromotionSquare = RankOf[to] == ColorTraits<T::Them>::PromotionRank;

    PieceCode p = Board[from].piece;
    int32_t gain = PieceValue[Board[to].piece];
    int32_t moverValue = PieceValue[p];
    if (p == T::Pawn && promotionSquare) {
        gain += QueenValue - PawnValue;
        moverValue = QueenValue;
    }
    if (gain < beta) beta = gain;
    // A piece nobody defends is won outright: no lists needed.
    if (!AttackedBy<T::Them>(to, Occupied & ~SquareBit[from])) return beta;
    CollectAttackers(from, to);
    if (theirs.count == 0) return beta;

    // b: our balance if they now recapture; c: our balance if we then recapture.
    int32_t b = gain - moverValue;
    for (uint32_t i = 0;; i++) {
        if (i >= theirs.count) return beta;
        if (b < -3000) return b > alpha ? b : alpha;
        ExchangeAttacker &a = Cheapest(theirs, i);
        if (enemyPromotionSquare && Board[a.square].piece == T::EnemyPawn) {
            a.value = QueenValue;
            b -= QueenValue - PawnValue;
        }
        if (b > alpha) {
            alpha = b;
            if (b > beta) return beta;
        }
        int32_t c = b + a.value;
        AddHidden(a);

        if (i >= ours.count) return alpha;
        if (c > 3000) return c < beta ? c : beta;
        ExchangeAttacker &w = Cheapest(ours, i);
        if (promotionSquare && Board[w.square].piece == T::Pawn) {
            w.value = QueenValue;
            c += QueenValue - PawnValue;
        }
        if (c < beta) {
            beta = c;
            if (c < alpha) return alpha;
        }
        b = c - w.value;
        AddHidden(w);
    }
}

template int32_t StaticExchange<White>(Square, Square, int32_t, int32_t);
template int32_t StaticExchange<Black>(Square, Square, int32_t, int32_t);
