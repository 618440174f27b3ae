// Shared checks of the index tests: images, colour reversal and a walk over
// all normalised positions of a table side.
#pragma once

#include <gtest/gtest.h>

#include <unordered_map>

#include "tablebase/TbTestUtil.h"

namespace tbtest {

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
