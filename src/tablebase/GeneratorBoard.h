// The generator's own small board: up to five pieces on squares 0..63
// (a1 = 0, h8 = 63), moves forward and backward, and attack tests.
//
// A table's pieces sit in fixed slots: slot 0 the white king, slot 1 the
// black king, then white's pieces and black's pieces, each in kind order.
// A position of the table is one square per slot, packed six bits a slot.
#pragma once

#include <cstdint>

#include "tablebase/TableList.h"

namespace tbgen {

constexpr int MaxSlots = 5;

struct Layout {
    int id = 0;
    int slots = 0;
    uint8_t kind[MaxSlots] = {}; // TbKing, TbPawn, ... TbQueen
    uint8_t color[MaxSlots] = {};
    bool pawnsBothSides = false;
};

// Fills a layout from a table name; false when the name is malformed.
bool LayoutOf(const char *name, Layout &layout);

struct Position {
    uint8_t sq[MaxSlots];
    uint64_t occupied;
};

// Precomputed step tables.
struct StepTables {
    uint64_t king[64], knight[64], pawnAttacks[2][64];
    uint64_t between[64][64]; // squares strictly between two aligned squares
    uint8_t line[64][64];     // 1 same rank or file, 2 same diagonal, 0 else
    int8_t rayStep[64][8][8]; // [from][direction][n] target square or -1
};
extern StepTables Steps;
void InitSteps();

inline uint32_t FileOf(uint32_t s) { return s & 7; }
inline uint32_t RankOf(uint32_t s) { return s >> 3; }
inline uint64_t Bit(uint32_t s) { return uint64_t(1) << s; }

inline uint64_t PackIndex(const Position &p, int slots) {
    uint64_t index = 0;
    for (int i = slots - 1; i >= 0; i--)
        index = index << 6 | p.sq[i];
    return index;
}

// Does the piece in slot i attack square target?
inline bool SlotAttacks(const Layout &l, const Position &p, int i, uint32_t target) {
    const uint32_t from = p.sq[i];
    switch (l.kind[i]) {
    case TbKing:
        return Steps.king[from] & Bit(target);
    case TbKnight:
        return Steps.knight[from] & Bit(target);
    case TbPawn:
        return Steps.pawnAttacks[l.color[i]][from] & Bit(target);
    case TbBishop:
        return Steps.line[from][target] == 2 && !(Steps.between[from][target] & p.occupied);
    case TbRook:
        return Steps.line[from][target] == 1 && !(Steps.between[from][target] & p.occupied);
    case TbQueen:
        return Steps.line[from][target] != 0 && !(Steps.between[from][target] & p.occupied);
    default:
        return false;
    }
}

// Is the king of colour c attacked by the other side? `removed` is a slot
// that is off the board (captured), or -1.
inline bool KingAttacked(const Layout &l, const Position &p, uint32_t c, int removed = -1) {
    const uint32_t king = p.sq[c];
    for (int i = 0; i < l.slots; i++)
        if (l.color[i] != c && i != removed && SlotAttacks(l, p, i, king)) return true;
    return false;
}

// Sliding directions 0..3 rook-like, 4..7 bishop-like; kings use all eight at distance one.
inline bool SlidesAlong(uint32_t kind, int direction) {
    return kind == TbQueen || (kind == TbRook && direction < 4) || (kind == TbBishop && direction >= 4);
}

// Calls visit(to) for every square a non-pawn piece of slot i reaches from
// its square over empty squares, and capture(to, victimSlot) for pieces it
// can take (never kings in a legal position).
template <class Visit, class Capture>
inline void PieceTargets(const Layout &l, const Position &p, int i, Visit visit, Capture capture) {
    const uint32_t from = p.sq[i], kind = l.kind[i];
    auto target = [&](uint32_t to) -> bool { // false when the square is taken
        if (!(p.occupied & Bit(to))) {
            visit(to);
            return true;
        }
        for (int j = 0; j < l.slots; j++)
            if (p.sq[j] == to && l.color[j] != l.color[i] && l.kind[j] != TbKing) capture(to, j);
        return false;
    };
    if (kind == TbKing || kind == TbKnight) {
        for (uint64_t m = kind == TbKing ? Steps.king[from] : Steps.knight[from]; m; m &= m - 1)
            target(uint32_t(__builtin_ctzll(m)));
        return;
    }
    for (int d = 0; d < 8; d++) {
        if (!SlidesAlong(kind, d)) continue;
        for (int n = 0; n < 8 && Steps.rayStep[from][d][n] >= 0; n++)
            if (!target(uint32_t(Steps.rayStep[from][d][n]))) break;
    }
}

inline bool PawnOnRank(uint32_t color, uint32_t sq, uint32_t relativeRank) {
    return RankOf(sq) == (color == 0 ? relativeRank : 7 - relativeRank);
}
inline int PawnForward(uint32_t color) { return color == 0 ? 8 : -8; }

// Slot of the other side's pawn that stands beside a pawn of colour c that
// has just advanced two squares from its start (so that it may be taken en
// passant), or -1.
inline bool EnPassantPossible(const Layout &l, const Position &p, int victim) {
    const uint32_t c = l.color[victim], sq = p.sq[victim];
    if (l.kind[victim] != TbPawn || !PawnOnRank(c, sq, 3)) return false;
    const int f = PawnForward(c);
    if (p.occupied & (Bit(uint32_t(int(sq) - f)) | Bit(uint32_t(int(sq) - 2 * f)))) return false;
    for (int j = 0; j < l.slots; j++) {
        if (l.kind[j] != TbPawn || l.color[j] == c || RankOf(p.sq[j]) != RankOf(sq)) continue;
        const int df = int(FileOf(p.sq[j])) - int(FileOf(sq));
        if (df == 1 || df == -1) return true;
    }
    return false;
}

} // namespace tbgen
