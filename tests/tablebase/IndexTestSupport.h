// Helpers for the table index tests: positions of one table on a 0..63 board,
// legality, symmetry images, an enumeration of the highest indices, and the
// shared checks (images, colour reversal, a walk over all normalised
// positions of a table side).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "tablebase/TableList.h"

namespace tbtest {

// A position as an index function sees it: two square arrays in table colours.
struct TablePosition {
    uint32_t side[2][8]; // [0] the table's white side, [1] its black side
    int count[2];        // pieces besides the king
    uint32_t ep;         // 64 = none
};

// Fills the kind entries from a table name; squares are left at 0.
inline TablePosition EmptyPosition(const char *name) {
    TablePosition p{};
    p.ep = TbNoEpSquare;
    int side = -1;
    for (const char *c = name; *c; c++) {
        if (*c == 'k') {
            side++;
            p.side[side][0] = TbKing;
            continue;
        }
        p.side[side][1 + p.count[side]++] = KindOfLetter(*c);
    }
    for (int s = 0; s < 2; s++)
        std::sort(p.side[s] + 1, p.side[s] + 1 + p.count[s]);
    return p;
}

inline int PieceTotal(const TablePosition &p) { return 2 + p.count[0] + p.count[1]; }
// Square slot k (0..4): kings of both sides first, then white's pieces, then black's.
inline uint32_t &Slot(TablePosition &p, int k) {
    if (k == 0) return p.side[0][4];
    if (k == 1) return p.side[1][4];
    if (k - 2 < p.count[0]) return p.side[0][5 + k - 2];
    return p.side[1][5 + k - 2 - p.count[0]];
}
inline uint32_t SlotKind(const TablePosition &p, int k) {
    if (k < 2) return TbKing;
    if (k - 2 < p.count[0]) return p.side[0][1 + k - 2];
    return p.side[1][1 + k - 2 - p.count[0]];
}
inline int SlotSide(const TablePosition &p, int k) { return k < 2 ? k : (k - 2 < p.count[0] ? 0 : 1); }

inline int FileOf(uint32_t s) { return int(s & 7); }
inline int RankOf(uint32_t s) { return int(s >> 3); }

// Does the piece of slot k attack square target (occupancy from all slots)?
inline bool SlotAttacks(const TablePosition &pos, int k, uint32_t target, const uint8_t *occupied) {
    TablePosition &p = const_cast<TablePosition &>(pos);
    const uint32_t from = Slot(p, k);
    const int df = FileOf(target) - FileOf(from), dr = RankOf(target) - RankOf(from);
    const int af = std::abs(df), ar = std::abs(dr);
    const uint32_t kind = SlotKind(pos, k);
    auto rayClear = [&]() {
        const int sf = (df > 0) - (df < 0), sr = (dr > 0) - (dr < 0);
        int f = FileOf(from) + sf, r = RankOf(from) + sr;
        while (f != FileOf(target) || r != RankOf(target)) {
            if (occupied[r * 8 + f]) return false;
            f += sf;
            r += sr;
        }
        return true;
    };
    switch (kind) {
    case TbKing:
        return af <= 1 && ar <= 1 && (af | ar);
    case TbPawn:
        return af == 1 && dr == (SlotSide(pos, k) == 0 ? 1 : -1);
    case TbKnight:
        return (af == 1 && ar == 2) || (af == 2 && ar == 1);
    case TbBishop:
        return af == ar && af && rayClear();
    case TbRook:
        return (af == 0) != (ar == 0) && rayClear();
    case TbQueen:
        return (af == ar || af == 0 || ar == 0) && (af | ar) && rayClear();
    }
    return false;
}

// Legal with `stm` to move: distinct squares, no pawn on the first or last
// rank, kings apart, the side not to move not in check. With an en-passant
// square the double step behind it must be possible and a capture must exist.
inline bool IsLegal(const TablePosition &pos, int stm) {
    TablePosition &p = const_cast<TablePosition &>(pos);
    uint8_t occupied[64] = {};
    const int n = PieceTotal(p);
    for (int k = 0; k < n; k++) {
        const uint32_t s = Slot(p, k);
        if (s > 63 || occupied[s]) return false;
        if (SlotKind(p, k) == TbPawn && (s < 8 || s > 55)) return false;
        occupied[s] = 1;
    }
    const uint32_t victimKing = Slot(p, 1 - stm);
    for (int k = 0; k < n; k++)
        if (SlotSide(p, k) == stm && SlotAttacks(p, k, victimKing, occupied)) return false;
    if (p.ep != TbNoEpSquare) {
        // White to move: black pawn just went from ep + 8 to ep - 8.
        const int back = stm == 0 ? 8 : -8;
        const uint32_t victim = p.ep - back, origin = p.ep + back;
        if (RankOf(p.ep) != (stm == 0 ? 5 : 2) || occupied[p.ep] || occupied[origin]) return false;
        bool victimFound = false, captor = false;
        for (int k = 2; k < n; k++) {
            if (SlotKind(p, k) != TbPawn) continue;
            const uint32_t s = Slot(p, k);
            if (SlotSide(p, k) != stm && s == victim) victimFound = true;
            if (SlotSide(p, k) == stm && RankOf(s) == RankOf(victim) && std::abs(FileOf(s) - FileOf(victim)) == 1)
                captor = true;
        }
        if (!victimFound || !captor) return false;
    }
    return true;
}

// The eight board symmetries as square maps: bit 0 mirrors the files, bit 1
// the ranks, bit 2 transposes first (a1-h8 diagonal).
inline uint32_t MapSquare(uint32_t s, int g) {
    if (s > 63) return s;
    if (g & 4) s = 8 * (s & 7) + (s >> 3);
    if (g & 1) s ^= 7;
    if (g & 2) s ^= 56;
    return s;
}

inline TablePosition Image(const TablePosition &pos, int g) {
    TablePosition p = pos;
    const int n = PieceTotal(p);
    for (int k = 0; k < n; k++)
        Slot(p, k) = MapSquare(Slot(p, k), g);
    p.ep = MapSquare(p.ep, g);
    return p;
}

// Colours swapped and ranks mirrored: the same position seen from the other side.
inline TablePosition ColourSwapped(const TablePosition &pos) {
    TablePosition p = pos;
    std::swap(p.side[0], p.side[1]);
    std::swap(p.count[0], p.count[1]);
    for (int s = 0; s < 2; s++)
        for (int i = 4; i < 5 + p.count[s]; i++)
            p.side[s][i] ^= 56;
    if (p.ep != TbNoEpSquare) p.ep ^= 56;
    return p;
}

// Position code that ignores the order of like pieces.
inline uint64_t Code(const TablePosition &pos) {
    TablePosition p = pos;
    for (int s = 0; s < 2; s++)
        for (int i = 0; i + 1 < p.count[s]; i++)
            if (p.side[s][1 + i] == p.side[s][2 + i] && p.side[s][5 + i] > p.side[s][6 + i])
                std::swap(p.side[s][5 + i], p.side[s][6 + i]);
    uint64_t code = p.ep;
    const int n = PieceTotal(p);
    for (int k = 0; k < n; k++)
        code = code * 64 + Slot(p, k);
    return code;
}

inline uint32_t IndexOf(int id, int stm, const TablePosition &p) {
    return TbDescriptors[id].indexFunction[stm](p.side[0], p.side[1], p.ep, 0);
}

inline bool HasPawns(const TablePosition &p) {
    for (int s = 0; s < 2; s++)
        for (int i = 0; i < p.count[s]; i++)
            if (p.side[s][1 + i] == TbPawn) return true;
    return false;
}

// En-passant squares the side to move could capture on in this position.
inline int EpSquares(const TablePosition &pos, int stm, uint32_t *out) {
    int found = 0;
    TablePosition p = pos;
    const int rank = stm == 0 ? 4 : 3; // rank of the pawn that just double-stepped
    for (int i = 0; i < p.count[1 - stm]; i++) {
        if (p.side[1 - stm][1 + i] != TbPawn) continue;
        const uint32_t victim = p.side[1 - stm][5 + i];
        if (RankOf(victim) != rank) continue;
        p.ep = stm == 0 ? victim + 8 : victim - 8;
        if (IsLegal(p, stm)) out[found++] = p.ep;
    }
    return found;
}

// One more than the largest index of a legal position of this table side,
// found by walking the king pairs from the last one down (the king pair is
// the leading digit of every index, and en-passant positions come last).
inline uint32_t HighestLegalIndexPlusOne(int id, int stm) {
    TablePosition p = EmptyPosition(TbDescriptors[id].name);
    const bool pawns = HasPawns(p);
    bool ownPawns = false, otherPawns = false;
    for (int i = 0; i < p.count[stm]; i++)
        ownPawns |= p.side[stm][1 + i] == TbPawn;
    for (int i = 0; i < p.count[1 - stm]; i++)
        otherPawns |= p.side[1 - stm][1 + i] == TbPawn;
    const uint32_t flip = pawns && stm == 1 && (ownPawns || id == 1) ? 56 : 0;
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (uint32_t a = 0; a < 64; a++)
        for (uint32_t b = 0; b < 64; b++)
            if ((pawns ? KingPairsWithPawns : KingPairsNoPawns)[a][b] != NoKingPair) pairs.push_back({a, b});
    std::sort(pairs.begin(), pairs.end(), [&](auto x, auto y) {
        const auto &t = pawns ? KingPairsWithPawns : KingPairsNoPawns;
        return t[x.first][x.second] > t[y.first][y.second];
    });
    const int pieces = p.count[0] + p.count[1];
    for (int pass = (ownPawns && otherPawns) ? 0 : 1; pass < 2; pass++) {
        for (auto [a, b] : pairs) {
            p.side[stm][4] = a ^ flip;
            p.side[1 - stm][4] = b ^ flip;
            bool found = false;
            uint32_t best = 0;
            uint32_t sq[3] = {0, 0, 0};
            const uint32_t limit = pieces == 0 ? 1 : 1u << (6 * pieces);
            for (uint32_t code = 0; code < limit; code++) {
                for (int k = 0; k < pieces; k++)
                    Slot(p, 2 + k) = sq[k] = (code >> (6 * k)) & 63;
                p.ep = TbNoEpSquare;
                if (pass == 0) {
                    uint32_t eps[2];
                    const int n = EpSquares(p, stm, eps);
                    for (int i = 0; i < n; i++) {
                        p.ep = eps[i];
                        best = std::max(best, IndexOf(id, stm, p));
                        found = true;
                    }
                } else if (IsLegal(p, stm)) {
                    best = std::max(best, IndexOf(id, stm, p));
                    found = true;
                }
            }
            (void)sq;
            if (found) return best + 1;
        }
    }
    return 0;
}

// Both kings on the long diagonal of the normalised board: the position and
// its transposed image are both stored, so transposing images may differ.
inline bool KingsOnDiagonal(const TablePosition &p, int stm) {
    const uint32_t k = p.side[stm][4];
    const uint32_t mask = (FileOf(k) >= 4 ? 7 : 0) | (RankOf(k) >= 4 ? 56 : 0);
    const uint32_t a = k ^ mask, b = p.side[1 - stm][4] ^ mask;
    return FileOf(a) == RankOf(a) && FileOf(b) == RankOf(b);
}

// Every image of p under the table's symmetries gets the same index.
inline ::testing::AssertionResult ImagesAgree(int id, int stm, const TablePosition &p, uint32_t index) {
    const bool pawns = HasPawns(p);
    const bool diagonal = !pawns && KingsOnDiagonal(p, stm);
    for (int g = 1; g < (pawns ? 2 : 8); g++) {
        if (diagonal && (g & 4)) continue;
        const uint32_t other = IndexOf(id, stm, Image(p, g));
        if (other != index)
            return ::testing::AssertionFailure()
                   << TbDescriptors[id].name << " side " << stm << " image " << g << ": " << other << " != " << index;
    }
    // Colours reversed on the real board: the arrays change places and the
    // ranks are mirrored; the table index stays.
    const TablePosition swapped = ColourSwapped(p);
    const uint32_t reversed = TbDescriptors[id].indexFunction[stm](swapped.side[1], swapped.side[0], swapped.ep, 1);
    if (reversed != index)
        return ::testing::AssertionFailure() << TbDescriptors[id].name << " side " << stm << " reversed colours";
    return ::testing::AssertionSuccess();
}

// Walks every position whose kings already stand in normalised orientation
// (the king pair tables list exactly those) with the pieces anywhere; every
// legal position of the table is an image of one of them.
template <typename Visit>
void ForNormalisedPositions(int id, int stm, uint32_t pairStride, uint32_t pairOffset, Visit visit) {
    TablePosition p = EmptyPosition(TbDescriptors[id].name);
    const bool pawns = HasPawns(p);
    bool ownPawns = false;
    for (int i = 0; i < p.count[stm]; i++)
        ownPawns |= p.side[stm][1 + i] == TbPawn;
    const uint32_t flip = pawns && stm == 1 && (ownPawns || id == 1) ? 56 : 0;
    const int pieces = p.count[0] + p.count[1];
    uint32_t seen = 0;
    for (uint32_t a = 0; a < 64; a++) {
        for (uint32_t b = 0; b < 64; b++) {
            if ((pawns ? KingPairsWithPawns : KingPairsNoPawns)[a][b] == NoKingPair) continue;
            if (seen++ % pairStride != pairOffset) continue;
            p.side[stm][4] = a ^ flip;
            p.side[1 - stm][4] = b ^ flip;
            for (uint32_t code = 0; code < (1u << (6 * pieces)); code++) {
                for (int k = 0; k < pieces; k++)
                    Slot(p, 2 + k) = (code >> (6 * k)) & 63;
                p.ep = TbNoEpSquare;
                if (!IsLegal(p, stm)) continue;
                visit(p);
                uint32_t eps[2];
                const int n = EpSquares(p, stm, eps);
                for (int i = 0; i < n; i++) {
                    p.ep = eps[i];
                    visit(p);
                }
            }
        }
    }
}

// Checks one table side over all its normalised positions (every
// `pairStride`-th king pair); images are compared for every
// `imageStride`-th position.
inline void CheckTableSide(int id, int stm, uint32_t pairStride, uint32_t imageStride) {
    const uint32_t length = TbDescriptors[id].expectedLength[stm];
    std::vector<uint64_t> owner(length, ~0ull);
    uint64_t visited = 0, failures = 0;
    ForNormalisedPositions(id, stm, pairStride, 0, [&](const TablePosition &p) {
        if (failures > 5) return;
        const uint32_t index = IndexOf(id, stm, p);
        if (index >= length) {
            ADD_FAILURE() << TbDescriptors[id].name << " side " << stm << " index " << index << " >= " << length;
            failures++;
            return;
        }
        const uint64_t code = Code(p);
        if (owner[index] != ~0ull && owner[index] != code) {
            ADD_FAILURE() << TbDescriptors[id].name << " side " << stm << ": two positions share index " << index;
            failures++;
        }
        owner[index] = code;
        if (visited++ % imageStride == 0) {
            auto agree = ImagesAgree(id, stm, p, index);
            if (!agree) {
                ADD_FAILURE() << agree.message();
                failures++;
            }
        }
    });
    EXPECT_GT(visited, 0u);
}

// Distinct indices below the length for all positions of the chosen king
// pairs (every pairStride-th, starting at pairOffset), images not compared.
inline void CheckSlice(int id, int stm, uint32_t pairStride, uint32_t pairOffset) {
    const uint32_t length = TbDescriptors[id].expectedLength[stm];
    std::unordered_map<uint32_t, uint64_t> owner;
    int failures = 0;
    ForNormalisedPositions(id, stm, pairStride, pairOffset, [&](const TablePosition &p) {
        if (failures > 5) return;
        const uint32_t index = IndexOf(id, stm, p);
        const uint64_t code = Code(p);
        auto [it, inserted] = owner.emplace(index, code);
        if (index >= length || (!inserted && it->second != code)) {
            ADD_FAILURE() << TbDescriptors[id].name << " side " << stm << " index " << index;
            failures++;
        }
    });
}

} // namespace tbtest
