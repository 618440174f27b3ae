// The table list and the index functions of the endgame tables.
//
// An index is a mixed-radix number. Its leading part belongs to the side to
// move: the pair of kings (one number per king pair of the normalised board)
// together with that side's pieces, counted through offset tables so that no
// square is spent on a piece that would stand on a king or give check to the
// king of the side not to move. The other side's pieces follow as plain
// digits over the squares not yet taken (pawns over the 48 pawn squares minus
// the pawns already placed). Tables with a pawn on each side number their
// en-passant positions after all ordinary ones.
//
// In detail, for a table side:
// - Normalisation: without pawns the side to move's king goes into the
//   a1-d1-d4 triangle; with pawns it goes to files a..d, and the ranks are
//   mirrored whenever that makes the side to move's pawns advance upward
//   (colours reversed, black to move with pawns of its own, and K+P vs K
//   with black to move).
// - Leading part: the king pair alone (no pieces to move), the pair and one
//   piece through PairOffset, or the pair and two pieces through PairOffset2
//   (like pieces as an unordered pair e1 + e2(e2-1)/2, unlike ones as
//   e_first * n_second + e_second in kind order pawn, knight, ..., queen).
//   K+P vs K with black to move places the pawn with the black-pawn kind.
// - The other side's pieces, in kind order, one digit each (like pieces one
//   unordered pair): a pawn over the 48 pawn squares less the pawns placed
//   before it, any other piece over 64 squares less everything placed before.
// - En passant (a pawn on each side, the other side's pawn just moved two
//   squares): after all ordinary indices, (pair * 14 + ep pair) * R + rest.
//   Ep pairs are numbered by the file of the pawn that moved, the capturing
//   pawn on its left before the one on its right. The remaining pieces count
//   over the squares left free by the two pawns and the two squares the pawn
//   crossed: 44 for a pawn, 60 for a piece.
#include "tablebase/TableList.h"

#include <cstring>
#include <utility>

#include "tablebase/TablebaseAccess.h"

namespace {

constexpr uint16_t NoKingPair = 4000;
constexpr int NoPawnPairCount = 462;
constexpr int PawnPairCount = 1806;

// King pairs of the normalised board, numbered; NoKingPair for the others.
uint16_t KingPairsNoPawns[64][64];
uint16_t KingPairsWithPawns[64][64];

// Placement kinds: 0 black pawn, 1 white pawn, 2 knight, 3 bishop, 4 rook, 5 queen.
constexpr uint8_t NotPlaced = 255;
uint8_t PlacementOrdinal[6][64][64];
uint8_t PlacementCount[6][64];

// [withPawns][kind][pair]: first lead value of the pair; entry [pair count] is the total.
uint32_t PairOffset[2][6][PawnPairCount + 1];
// [withPawns][kind i][kind j] for i <= j, the same for two pieces of the side to move.
uint32_t PairOffset2[2][6][6][PawnPairCount + 1];

constexpr uint32_t AnyPiece = 7; // a lone opposing piece other than a pawn
constexpr uint32_t BlackPawnPlacement = 0;
constexpr uint32_t NoIndex = 0xffffffffu; // beyond every table
constexpr uint32_t EpPairCount = 14;

constexpr uint32_t FileOf64(uint32_t s) { return s & 7; }
constexpr uint32_t RankOf64(uint32_t s) { return s >> 3; }
constexpr bool Adjacent64(uint32_t a, uint32_t b) {
    int df = int(FileOf64(a)) - int(FileOf64(b)), dr = int(RankOf64(a)) - int(RankOf64(b));
    return df >= -1 && df <= 1 && dr >= -1 && dr <= 1;
}
// a1, b1, c1, d1, b2, c2, d2, c3, d3, d4
constexpr bool InTriangle(uint32_t s) { return FileOf64(s) <= 3 && RankOf64(s) <= FileOf64(s); }
constexpr uint32_t Transposed(uint32_t s) { return 8 * FileOf64(s) + RankOf64(s); }
constexpr uint32_t QuadrantMask(uint32_t s) { return (FileOf64(s) >= 4 ? 7 : 0) | (RankOf64(s) >= 4 ? 56 : 0); }
constexpr uint32_t FileMask(uint32_t s) { return FileOf64(s) >= 4 ? 7 : 0; }

// May a piece of placement kind `kind` stand on s when k is the king it must
// not touch (or, for the black-pawn kind, simply not stand on)?
bool Allowed(uint32_t kind, uint32_t k, uint32_t s) {
    if (s == k) return false;
    if (kind <= 1 && (s < 8 || s > 55)) return false;
    int df = int(FileOf64(s)) - int(FileOf64(k)), dr = int(RankOf64(s)) - int(RankOf64(k));
    int af = df < 0 ? -df : df, ar = dr < 0 ? -dr : dr;
    switch (kind) {
    case 1:
        return !(dr == -1 && af == 1); // a pawn below k would give check
    case TbKnight:
        return !((af == 1 && ar == 2) || (af == 2 && ar == 1));
    case TbBishop:
        return !(af == 1 && ar == 1);
    case TbRook:
        return af + ar != 1;
    case TbQueen:
        return !(af <= 1 && ar <= 1);
    default:
        return true;
    }
}

// n of the offset tables: the squares of a kind around k, less the other king's.
uint32_t PlacementsBeside(uint32_t kind, uint32_t otherKing, uint32_t k) {
    return PlacementCount[kind][k] - (PlacementOrdinal[kind][k][otherKing] != NotPlaced ? 1 : 0);
}

// Ordinal of a piece of the side to move: its placement number around the
// other king, skipping the own king's square when that one is counted.
inline uint32_t LeadOrdinal(uint32_t kind, uint32_t ownKing, uint32_t otherKing, uint32_t s) {
    uint32_t ordinal = PlacementOrdinal[kind][otherKing][s];
    if (ordinal == NotPlaced) return NoIndex;
    if (s > ownKing && PlacementOrdinal[kind][otherKing][ownKing] != NotPlaced) ordinal--;
    return ordinal;
}

// Digit of a square over the squares still free: pawns count over the 48
// pawn squares skipping placed pawns, pieces over all 64 skipping everything placed.
inline uint32_t FreeDigit(bool pawn, uint32_t s, const uint32_t *placed, const bool *placedPawn, int count) {
    uint32_t digit = pawn ? s - 8 : s;
    for (int i = 0; i < count; i++)
        if (placed[i] < s && (!pawn || placedPawn[i])) digit--;
    return digit;
}

// Index of one table side. Stm is the side to move (0 white, 1 black), S1
// <= S2 its piece kinds and O1 <= O2 the other side's (0 = none, AnyPiece for
// a lone opposing piece that is not a pawn). The side to move's kinds double
// as placement kinds: its pawns advance upward on the normalised board, so
// they are placed as white pawns.
template <uint32_t Stm, uint32_t S1, uint32_t S2, uint32_t O1, uint32_t O2>
uint32_t TableIndex(const uint32_t *white, const uint32_t *black, uint32_t ep, uint32_t reversed) {
    constexpr bool Pawns = S1 == TbPawn || S2 == TbPawn || O1 == TbPawn || O2 == TbPawn;
    constexpr bool OwnPawns = S1 == TbPawn || S2 == TbPawn;
    constexpr bool BothPawns = OwnPawns && (O1 == TbPawn || O2 == TbPawn);
    constexpr int SCount = (S1 != 0) + (S2 != 0);
    constexpr int OCount = (O1 != 0) + (O2 != 0);
    constexpr uint32_t V = Pawns ? 1 : 0;
    const uint32_t *us = Stm == 0 ? white : black;
    const uint32_t *them = Stm == 0 ? black : white;

    // Normalise: the side to move's king goes to files a..d (and, without
    // pawns, into the a1-d1-d4 triangle); the side to move's pawns advance
    // toward rank 8.
    uint32_t squares = us[4] | them[4];
    for (int i = 0; i < SCount; i++)
        squares |= us[5 + i];
    for (int i = 0; i < OCount; i++)
        squares |= them[5 + i];
    if (squares > 63) return NoIndex;
    uint32_t sk, ok, s[2] = {0, 0}, o[2] = {0, 0};
    uint32_t mask;
    bool transpose = false;
    if constexpr (Pawns) {
        bool flip = reversed != 0;
        if constexpr (Stm == 1 && OwnPawns) flip = !flip; // black's pawns must advance upward
        mask = FileMask(us[4]) ^ (flip ? 56 : 0);
    } else {
        mask = QuadrantMask(us[4]);
        uint32_t k1 = us[4] ^ mask, k2 = them[4] ^ mask;
        transpose = FileOf64(k1) < RankOf64(k1) || (FileOf64(k1) == RankOf64(k1) && FileOf64(k2) < RankOf64(k2));
    }
    auto norm = [&](uint32_t sq) { return transpose ? Transposed(sq ^ mask) : sq ^ mask; };
    sk = norm(us[4]);
    ok = norm(them[4]);
    for (int i = 0; i < SCount; i++)
        s[i] = norm(us[5 + i]);
    for (int i = 0; i < OCount; i++)
        o[i] = norm(them[5 + i]);
    for (int i = 0; i < SCount; i++)
        if ((i == 0 ? S1 : S2) == TbPawn && (s[i] < 8 || s[i] > 55)) return NoIndex;
    for (int i = 0; i < OCount; i++)
        if ((i == 0 ? O1 : O2) == TbPawn && (o[i] < 8 || o[i] > 55)) return NoIndex;

    const uint32_t pair = Pawns ? KingPairsWithPawns[sk][ok] : KingPairsNoPawns[sk][ok];
    if (pair == NoKingPair) return NoIndex;

    // Leading part.
    uint64_t lead, leadCount;
    if constexpr (SCount == 0) {
        lead = pair;
        leadCount = Pawns ? PawnPairCount : NoPawnPairCount;
    } else if constexpr (SCount == 1) {
        const uint32_t e = LeadOrdinal(S1, sk, ok, s[0]);
        if (e == NoIndex) return NoIndex;
        const uint32_t *offsets = PairOffset[V][S1];
        lead = offsets[pair] + e;
        leadCount = offsets[Pawns ? PawnPairCount : NoPawnPairCount];
    } else {
        const uint32_t *offsets = PairOffset2[V][S1][S2];
        uint32_t e1 = LeadOrdinal(S1, sk, ok, s[0]);
        uint32_t e2 = LeadOrdinal(S2, sk, ok, s[1]);
        if (e1 == NoIndex || e2 == NoIndex) return NoIndex;
        if constexpr (S1 == S2) {
            if (e1 == e2) return NoIndex;
            if (e1 > e2) std::swap(e1, e2);
            lead = offsets[pair] + e1 + uint64_t(e2) * (e2 - 1) / 2;
        } else {
            lead = offsets[pair] + uint64_t(e1) * PlacementsBeside(S2, sk, ok) + e2;
        }
        leadCount = offsets[Pawns ? PawnPairCount : NoPawnPairCount];
    }

    // The other side's pieces as digits.
    uint32_t placed[6] = {sk, ok, s[0], s[1], 0, 0};
    bool placedPawn[6] = {false, false, S1 == TbPawn, S2 == TbPawn, false, false};
    int placedCount = 2 + SCount;
    int pawnsPlaced = (S1 == TbPawn) + (S2 == TbPawn);
    uint64_t index = lead, total = leadCount;
    if constexpr (OCount == 2 && O1 == O2) {
        constexpr bool P = O1 == TbPawn;
        const uint64_t radix = P ? 48 - pawnsPlaced : 64 - placedCount;
        uint32_t d1 = FreeDigit(P, o[0], placed, placedPawn, placedCount);
        uint32_t d2 = FreeDigit(P, o[1], placed, placedPawn, placedCount);
        if (d1 == d2) return NoIndex;
        if (d1 > d2) std::swap(d1, d2);
        index = index * (radix * (radix - 1) / 2) + d1 + uint64_t(d2) * (d2 - 1) / 2;
        total *= radix * (radix - 1) / 2;
    } else {
        for (int i = 0; i < OCount; i++) {
            const bool P = (i == 0 ? O1 : O2) == TbPawn;
            const uint64_t radix = P ? 48 - pawnsPlaced : 64 - placedCount;
            index = index * radix + FreeDigit(P, o[i], placed, placedPawn, placedCount);
            total *= radix;
            placed[placedCount] = o[i];
            placedPawn[placedCount++] = P;
            pawnsPlaced += P;
        }
    }

    // En-passant positions: the other side has just advanced a pawn two
    // squares past a pawn of the side to move.
    if constexpr (BothPawns) {
        if (ep != TbNoEpSquare && ep < 64) {
            const uint32_t target = ep ^ mask;
            if (RankOf64(target) == 5) {
                const uint32_t victim = target - 8;
                int victimAt = -1, captorAt = -1;
                for (int i = 0; i < OCount; i++)
                    if ((i == 0 ? O1 : O2) == TbPawn && o[i] == victim) victimAt = i;
                for (int side = 0; side < 2 && captorAt < 0; side++) {
                    if (side == 0 && FileOf64(victim) == 0) continue;
                    if (side == 1 && FileOf64(victim) == 7) continue;
                    const uint32_t from = side == 0 ? victim - 1 : victim + 1;
                    for (int i = 0; i < SCount; i++)
                        if ((i == 0 ? S1 : S2) == TbPawn && s[i] == from) captorAt = i;
                }
                if (victimAt >= 0 && captorAt >= 0) {
                    const uint32_t captor = s[captorAt];
                    const uint32_t file = FileOf64(victim);
                    const uint32_t epPair = file == 0 ? 0 : 2 * file - 1 + (captor > victim ? 1 : 0);
                    // The pawns of the pair and the two squares the victim
                    // crossed are fixed; the rest count over the others.
                    uint32_t fixed[6] = {victim, captor, target, target + 8, 0, 0};
                    bool fixedPawn[6] = {true, true, true, true, false, false};
                    int fixedCount = 4, restPawns = 0;
                    uint64_t rest = 0, restCount = 1;
                    for (int i = 0; i < SCount + OCount; i++) {
                        const bool own = i < SCount;
                        const int j = own ? i : i - SCount;
                        if ((own && j == captorAt) || (!own && j == victimAt)) continue;
                        const uint32_t kind = own ? (j == 0 ? S1 : S2) : (j == 0 ? O1 : O2);
                        const uint32_t sq = own ? s[j] : o[j];
                        const bool P = kind == TbPawn;
                        const uint64_t radix = P ? 48 - 4 - restPawns : 64 - fixedCount;
                        rest = rest * radix + FreeDigit(P, sq, fixed, fixedPawn, fixedCount);
                        restCount *= radix;
                        fixed[fixedCount] = sq;
                        fixedPawn[fixedCount++] = P;
                        restPawns += P;
                    }
                    return uint32_t(total + (uint64_t(pair) * EpPairCount + epPair) * restCount + rest);
                }
            }
        }
    }
    return uint32_t(index);
}

// K+P vs K with black to move: the board is turned, and the pawn, which
// cannot give check to anyone here, only keeps off the white king's square.
uint32_t KpkBlackIndex(const uint32_t *white, const uint32_t *black, uint32_t, uint32_t reversed) {
    if ((white[4] | white[5] | black[4]) > 63) return NoIndex;
    const uint32_t mask = FileMask(black[4]) ^ (reversed ? 56 : 0) ^ 56;
    const uint32_t bk = black[4] ^ mask, wk = white[4] ^ mask, p = white[5] ^ mask;
    const uint32_t pair = KingPairsWithPawns[bk][wk];
    if (pair == NoKingPair) return NoIndex;
    const uint32_t ordinal = LeadOrdinal(BlackPawnPlacement, bk, wk, p);
    if (ordinal == NoIndex) return NoIndex;
    return PairOffset[1][BlackPawnPlacement][pair] + ordinal;
}

// ---------------------------------------------------------------------------
// The table list.

constexpr const char *TableNames[TbTableCount] = {
    "kk",    "kpk",   "knk",   "kbk",   "krk",   "kqk",   "kpkp",  "knkp",  "knkn",  "kbkp",  "kbkn",  "kbkb",  "krkp",
    "krkn",  "krkb",  "krkr",  "kqkp",  "kqkn",  "kqkb",  "kqkr",  "kqkq",  "kppk",  "knpk",  "knnk",  "kbpk",  "kbnk",
    "kbbk",  "krpk",  "krnk",  "krbk",  "krrk",  "kqpk",  "kqnk",  "kqbk",  "kqrk",  "kqqk",  "kppkp", "kppkn", "kppkb",
    "kppkr", "kppkq", "knpkp", "knpkn", "knpkb", "knpkr", "knpkq", "knnkp", "knnkn", "knnkb", "knnkr", "knnkq", "kbpkp",
    "kbpkn", "kbpkb", "kbpkr", "kbpkq", "kbnkp", "kbnkn", "kbnkb", "kbnkr", "kbnkq", "kbbkp", "kbbkn", "kbbkb", "kbbkr",
    "kbbkq", "krpkp", "krpkn", "krpkb", "krpkr", "krpkq", "krnkp", "krnkn", "krnkb", "krnkr", "krnkq", "krbkp", "krbkn",
    "krbkb", "krbkr", "krbkq", "krrkp", "krrkn", "krrkb", "krrkr", "krrkq", "kqpkp", "kqpkn", "kqpkb", "kqpkr", "kqpkq",
    "kqnkp", "kqnkn", "kqnkb", "kqnkr", "kqnkq", "kqbkp", "kqbkn", "kqbkb", "kqbkr", "kqbkq", "kqrkp", "kqrkn", "kqrkb",
    "kqrkr", "kqrkq", "kqqkp", "kqqkn", "kqqkb", "kqqkr", "kqqkq",
};

// File sizes per side to move: one more than the largest index of a legal
// position (the trailing indices of illegal positions are not stored).
constexpr uint32_t TableLengths[TbTableCount][2] = {
    {0, 0},                 // kk
    {81664, 84012},         // kpk
    {26282, 28644},         // knk
    {27243, 28644},         // kbk
    {27030, 28644},         // krk
    {25629, 28644},         // kqk
    {3863492, 3863492},     // kpkp
    {4931904, 4981504},     // knkp
    {1603202, 1603202},     // knkn
    {5112000, 4981504},     // kbkp
    {1661823, 1603202},     // kbkn
    {1661823, 1661823},     // kbkb
    {5072736, 4981504},     // krkp
    {1649196, 1603202},     // krkn
    {1649196, 1661823},     // krkb
    {1649196, 1649196},     // krkr
    {4810080, 4981504},     // kqkp
    {1563735, 1603202},     // kqkn
    {1563735, 1661823},     // kqkb
    {1563735, 1649196},     // kqkr
    {1563735, 1563735},     // kqkq
    {1806671, 2037168},     // kppk
    {4648581, 5287968},     // knpk
    {735304, 873642},       // knnk
    {4817128, 5287968},     // kbpk
    {1550620, 1747284},     // kbnk
    {789885, 873642},       // kbbk
    {4779622, 5287968},     // krpk
    {1538479, 1747284},     // krnk
    {1594560, 1747284},     // krbk
    {777300, 873642},       // krrk
    {4533582, 5287968},     // kqpk
    {1459616, 1747284},     // kqnk
    {1512507, 1747284},     // kqbk
    {1500282, 1747284},     // kqrk
    {698739, 873642},       // kqqk
    {84219361, 89391280},   // kppkp
    {108400260, 115899744}, // kppkn
    {108400260, 120132000}, // kppkb
    {108400260, 119209296}, // kppkr
    {108400260, 113036880}, // kppkq
    {220000346, 231809519}, // knpkp
    {278914860, 295914240}, // knpkn
    {278914860, 306720000}, // knpkb
    {278914860, 304369920}, // knpkr
    {278914860, 288610560}, // knpkq
    {137991648, 149445120}, // knnkp
    {44118240, 48096060},   // knnkn
    {44118240, 49854690},   // knnkb
    {44118240, 49475880},   // knnkr
    {44118240, 46912050},   // knnkq
    {227922055, 231809519}, // kbpkp
    {289027680, 295914240}, // kbpkn
    {289027680, 306720000}, // kbpkb
    {289027680, 304369920}, // kbpkr
    {289027680, 288610560}, // kbpkq
    {290989584, 298890240}, // kbnkp
    {93037200, 96192120},   // kbnkn
    {93037200, 99709380},   // kbnkb
    {93037200, 98951760},   // kbnkr
    {93037200, 93824100},   // kbnkq
    {148223520, 149445120}, // kbbkp
    {47393100, 48096060},   // kbbkn
    {47393100, 49854690},   // kbbkb
    {47393100, 49475880},   // kbbkr
    {47393100, 46912050},   // kbbkq
    {226159363, 231809519}, // krpkp
    {286777440, 295914240}, // krpkn
    {286777440, 306720000}, // krpkb
    {286777440, 304369920}, // krpkr
    {286777440, 288610560}, // krpkq
    {288692928, 298890240}, // krnkp
    {92308740, 96192120},   // krnkn
    {92308740, 99709380},   // krnkb
    {92308740, 98951760},   // krnkr
    {92308740, 93824100},   // krnkq
    {299203200, 298890240}, // krbkp
    {95673600, 96192120},   // krbkn
    {95673600, 99709380},   // krbkb
    {95673600, 98951760},   // krbkr
    {95673600, 93824100},   // krbkq
    {145901232, 149445120}, // krrkp
    {46658340, 48096060},   // krrkn
    {46658340, 49854690},   // krrkb
    {46658340, 49475880},   // krrkr
    {46658340, 46912050},   // krrkq
    {214595483, 231809519}, // kqpkp
    {272015040, 295914240}, // kqpkn
    {272015040, 306720000}, // kqpkb
    {272015040, 304369920}, // kqpkr
    {272015040, 288610560}, // kqpkq
    {273904512, 298890240}, // kqnkp
    {87576960, 96192120},   // kqnkn
    {87576960, 99709380},   // kqnkb
    {87576960, 98951760},   // kqnkr
    {87576960, 93824100},   // kqnkq
    {283818240, 298890240}, // kqbkp
    {90750420, 96192120},   // kqbkn
    {90750420, 99709380},   // kqbkb
    {90750420, 98951760},   // kqbkr
    {90750420, 93824100},   // kqbkq
    {281568336, 298890240}, // kqrkp
    {90038460, 96192120},   // kqrkn
    {90038460, 99709380},   // kqrkb
    {90038460, 98951760},   // kqrkr
    {90038460, 93824100},   // kqrkq
    {131170128, 149445120}, // kqqkp
    {41944320, 48096060},   // kqqkn
    {41944320, 49854690},   // kqqkb
    {41944320, 49475880},   // kqqkr
    {41944320, 46912050},   // kqqkq
};

// Piece kinds of one side of a table name, in ascending kind order.
struct SideKinds {
    uint32_t first = 0, second = 0;
};

constexpr SideKinds KindsOf(const char *name, int side) {
    SideKinds kinds;
    int k = 0;
    for (const char *c = name; *c; c++) {
        if (*c == 'k') {
            k++;
            continue;
        }
        if (k != side + 1) continue;
        const uint32_t kind = KindOfLetter(*c);
        if (kinds.first == 0)
            kinds.first = kind;
        else
            kinds.second = kind;
    }
    if (kinds.second != 0 && kinds.second < kinds.first) std::swap(kinds.first, kinds.second);
    return kinds;
}

template <int Id, int Side> constexpr TbIndexFunction IndexFunctionFor() {
    if constexpr (Id == 0) {
        return nullptr;
    } else if constexpr (Id == 1 && Side == 1) {
        return &KpkBlackIndex;
    } else {
        constexpr SideKinds own = KindsOf(TableNames[Id], Side);
        constexpr SideKinds other = KindsOf(TableNames[Id], 1 - Side);
        constexpr uint32_t O1 = other.first != 0 && other.second == 0 && other.first != TbPawn ? AnyPiece : other.first;
        return &TableIndex<Side, own.first, own.second, O1, other.second>;
    }
}

template <int Id> constexpr TbDescriptor MakeDescriptor() {
    TbDescriptor d{};
    d.id = Id;
    d.indexFunction[0] = IndexFunctionFor<Id, 0>();
    d.indexFunction[1] = IndexFunctionFor<Id, 1>();
    for (int i = 0; i < 7 && TableNames[Id][i]; i++)
        d.name[i] = TableNames[Id][i];
    d.expectedLength[0] = TableLengths[Id][0];
    d.expectedLength[1] = TableLengths[Id][1];
    return d;
}

template <size_t... Ids> constexpr std::array<TbDescriptor, TbTableCount> MakeDescriptors(std::index_sequence<Ids...>) {
    return {{MakeDescriptor<Ids>()...}};
}

bool IndexTablesBuilt = false;

void BuildOffsets(uint32_t v, const uint16_t (*pairs)[64], uint32_t pairCount) {
    for (uint32_t i = (v == 0 ? 2 : 0); i < 6; i++) {
        for (uint32_t j = i; j < 6; j++) {
            uint64_t sum1 = 0, sum2 = 0;
            for (uint32_t a = 0; a < 64; a++) {
                for (uint32_t b = 0; b < 64; b++) {
                    const uint32_t pair = pairs[a][b];
                    if (pair == NoKingPair) continue;
                    const uint64_t ni = PlacementsBeside(i, a, b), nj = PlacementsBeside(j, a, b);
                    if (j == i) PairOffset[v][i][pair] = uint32_t(sum1);
                    PairOffset2[v][i][j][pair] = uint32_t(sum2);
                    sum1 += ni;
                    sum2 += i == j ? ni * (ni - 1) / 2 : ni * nj;
                }
            }
            if (j == i) PairOffset[v][i][pairCount] = uint32_t(sum1);
            PairOffset2[v][i][j][pairCount] = uint32_t(sum2);
        }
    }
}

} // namespace

std::array<TbDescriptor, TbTableCount> TbDescriptors = MakeDescriptors(std::make_index_sequence<TbTableCount>());

void InitIndexTables() {
    if (IndexTablesBuilt) return;
    IndexTablesBuilt = true;

    uint16_t noPawns = 0, withPawns = 0;
    for (uint32_t a = 0; a < 64; a++) {
        for (uint32_t b = 0; b < 64; b++) {
            KingPairsNoPawns[a][b] = NoKingPair;
            KingPairsWithPawns[a][b] = NoKingPair;
            if (a == b || Adjacent64(a, b)) continue;
            if (InTriangle(a) && (FileOf64(a) != RankOf64(a) || FileOf64(b) >= RankOf64(b)))
                KingPairsNoPawns[a][b] = noPawns++;
            if (FileOf64(a) <= 3) KingPairsWithPawns[a][b] = withPawns++;
        }
    }
    for (uint32_t kind = 0; kind < 6; kind++) {
        for (uint32_t k = 0; k < 64; k++) {
            uint8_t n = 0;
            for (uint32_t s = 0; s < 64; s++)
                PlacementOrdinal[kind][k][s] = Allowed(kind, k, s) ? n++ : NotPlaced;
            PlacementCount[kind][k] = n;
        }
    }
    BuildOffsets(0, KingPairsNoPawns, NoPawnPairCount);
    BuildOffsets(1, KingPairsWithPawns, PawnPairCount);
}
