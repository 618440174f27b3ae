// Step tables and table layouts of the generator's board.
#include "tablebase/GeneratorBoard.h"

#include <algorithm>
#include <cstring>

namespace tbgen {

StepTables Steps;

namespace {

constexpr int DirectionFile[8] = {1, -1, 0, 0, 1, 1, -1, -1};
constexpr int DirectionRank[8] = {0, 0, 1, -1, 1, -1, 1, -1};

bool OnBoard(int f, int r) { return f >= 0 && f < 8 && r >= 0 && r < 8; }

} // namespace

void InitSteps() {
    static bool built = false;
    if (built) return;
    built = true;
    std::memset(&Steps, 0, sizeof Steps);
    constexpr int KnightFile[8] = {1, 2, 2, 1, -1, -2, -2, -1};
    constexpr int KnightRank[8] = {2, 1, -1, -2, -2, -1, 1, 2};
    for (int s = 0; s < 64; s++) {
        const int f = s & 7, r = s >> 3;
        for (int d = 0; d < 8; d++) {
            if (OnBoard(f + DirectionFile[d], r + DirectionRank[d]))
                Steps.king[s] |= Bit(uint32_t((r + DirectionRank[d]) * 8 + f + DirectionFile[d]));
            if (OnBoard(f + KnightFile[d], r + KnightRank[d]))
                Steps.knight[s] |= Bit(uint32_t((r + KnightRank[d]) * 8 + f + KnightFile[d]));
            int n = 0;
            for (int k = 1; OnBoard(f + k * DirectionFile[d], r + k * DirectionRank[d]); k++)
                Steps.rayStep[s][d][n++] = int8_t((r + k * DirectionRank[d]) * 8 + f + k * DirectionFile[d]);
            for (; n < 8; n++)
                Steps.rayStep[s][d][n] = -1;
        }
        for (int c = 0; c < 2; c++) {
            const int up = c == 0 ? 1 : -1;
            for (int df = -1; df <= 1; df += 2)
                if (OnBoard(f + df, r + up)) Steps.pawnAttacks[c][s] |= Bit(uint32_t((r + up) * 8 + f + df));
        }
    }
    for (int a = 0; a < 64; a++) {
        for (int d = 0; d < 8; d++) {
            uint64_t passed = 0;
            for (int n = 0; n < 8 && Steps.rayStep[a][d][n] >= 0; n++) {
                const int b = Steps.rayStep[a][d][n];
                Steps.line[a][b] = d < 4 ? 1 : 2;
                Steps.between[a][b] = passed;
                passed |= Bit(uint32_t(b));
            }
        }
    }
}

bool LayoutOf(const char *name, Layout &layout) {
    layout = Layout{};
    uint8_t pieces[2][3] = {};
    int count[2] = {0, 0}, side = -1;
    for (const char *c = name; *c; c++) {
        if (*c == 'k') {
            if (++side > 1) return false;
            continue;
        }
        const uint32_t kind = KindOfLetter(*c);
        if (side < 0 || kind == 0 || count[side] == 3) return false;
        pieces[side][count[side]++] = uint8_t(kind);
    }
    if (side != 1 || count[0] + count[1] > 3) return false;
    layout.kind[0] = layout.kind[1] = TbKing;
    layout.color[0] = 0;
    layout.color[1] = 1;
    layout.slots = 2;
    bool pawns[2] = {false, false};
    for (int c = 0; c < 2; c++) {
        std::sort(pieces[c], pieces[c] + count[c]);
        for (int i = 0; i < count[c]; i++) {
            layout.kind[layout.slots] = pieces[c][i];
            layout.color[layout.slots++] = uint8_t(c);
            pawns[c] |= pieces[c][i] == TbPawn;
        }
    }
    layout.pawnsBothSides = pawns[0] && pawns[1];
    return true;
}

} // namespace tbgen
