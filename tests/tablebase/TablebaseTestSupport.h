// Helpers of the tablebase tests: a table's pieces on a 0..63 board, walks
// over its positions, table files written by hand or generated, values in moves.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "tablebase/Generator.h"
#include "tablebase/TableList.h"
#include "tablebase/TablebaseAccess.h"

namespace tbtest {

#ifdef MORVANE_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// A table's pieces on a 0..63 board (a1 = 0): slot 0 the white king, 1 the
// black king, then white's pieces and black's, each side in kind order.
struct Pos {
    int id = 0, n = 2;
    uint32_t kind[5] = {TbKing, TbKing}, color[5] = {0, 1}, sq[5] = {}, ep = TbNoEpSquare;
    bool Has(uint32_t k, int c = -1) const {
        for (int i = 2; i < n; ++i)
            if (kind[i] == k && (c < 0 || color[i] == uint32_t(c))) return true;
        return false;
    }
};

// Table names list each side's pieces from the highest kind down.
inline Pos PosOf(const std::string &name) {
    Pos p;
    p.id = TbGenTableId(name);
    const size_t second = name.find('k', 1);
    for (uint32_t side = 0; side < 2; ++side)
        for (size_t i = side ? name.size() : second; i-- > (side ? second + 1 : 1);)
            p.kind[p.n] = KindOfLetter(name[i]), p.color[p.n++] = side;
    return p;
}

// The squares a position's normalising king is folded into: files a..d with pawns, a1-d1-d4 without.
inline bool InRegion(const Pos &p, uint32_t s) { return (s & 7) <= 3 && (p.Has(TbPawn) || (s >> 3) <= (s & 7)); }

// Every stride-th placement (from `from`) of the pieces in slots first..,
// the first slot fastest, with distinct squares and no pawn on the first or
// last rank; visit(p) returns false to stop.
template <class F> void ForPlacements(Pos &p, int first, F visit, uint64_t stride = 1, uint64_t from = 0) {
    for (uint64_t code = from; code < 1ull << 6 * (p.n - first); code += stride) {
        uint64_t occupied = 0;
        bool placed = true;
        for (int k = 0; k < p.n; ++k) {
            if (k >= first) p.sq[k] = code >> 6 * (k - first) & 63;
            placed &= !(occupied >> p.sq[k] & 1) && (p.kind[k] != TbPawn || (p.sq[k] > 7 && p.sq[k] < 56));
            occupied |= 1ull << p.sq[k];
        }
        if (placed && !visit(p)) return;
    }
}

// Does the piece in slot k attack square t?
inline bool Attacks(const Pos &p, int k, uint32_t t, uint64_t occupied) {
    const int df = int(t & 7) - int(p.sq[k] & 7), dr = int(t >> 3) - int(p.sq[k] >> 3), n = std::max(abs(df), abs(dr));
    const bool diagonal = abs(df) == abs(dr), straight = !df || !dr;
    if (p.kind[k] == TbPawn) return abs(df) == 1 && dr == (p.color[k] ? -1 : 1);
    if (p.kind[k] == TbKnight) return abs(df * dr) == 2;
    if (p.kind[k] == TbKing || !n) return n == 1;
    if (!(p.kind[k] == TbBishop ? diagonal : p.kind[k] == TbRook ? straight : diagonal || straight)) return false;
    for (int i = 1; i < n; ++i)
        if (occupied >> (p.sq[k] + i * (df / n + 8 * (dr / n))) & 1) return false;
    return true;
}

// Legal with stm to move: the other king not in check; an en-passant square
// needs the double step just made past it and a pawn that can take.
inline bool Legal(const Pos &p, uint32_t stm) {
    uint64_t occupied = 0;
    bool victim = false, captor = false;
    for (int k = 0; k < p.n; ++k)
        occupied |= 1ull << p.sq[k];
    for (int k = 0; k < p.n; ++k) {
        if (p.color[k] == stm && Attacks(p, k, p.sq[1 - stm], occupied)) return false;
        const uint32_t behind = stm ? p.ep + 8 : p.ep - 8; // where the pawn that moved stands
        victim |= p.kind[k] == TbPawn && p.color[k] != stm && p.sq[k] == behind;
        captor |= p.kind[k] == TbPawn && p.color[k] == stm && (p.sq[k] ^ behind) < 8 && abs(int(p.sq[k] - behind)) == 1;
    }
    return p.ep == TbNoEpSquare || ((p.ep >> 3) == (stm ? 2u : 5u) && !(occupied >> p.ep & 1) &&
                                    !(occupied >> (stm ? p.ep - 8 : p.ep + 8) & 1) && victim && captor);
}

// No en-passant square, then every one the side to move could take on.
inline std::vector<uint32_t> EpSquares(Pos p, uint32_t stm) {
    std::vector<uint32_t> squares{TbNoEpSquare};
    for (int k = 2; k < p.n; ++k)
        if (p.kind[k] == TbPawn && p.color[k] != stm && Legal((p.ep = stm ? p.sq[k] - 8 : p.sq[k] + 8, p), stm))
            squares.push_back(p.ep);
    return squares;
}

// Symmetry g of the board: bit 2 transposes, bit 0 mirrors the files, bit 1 the ranks.
inline Pos Image(Pos p, int g) {
    for (uint32_t *s : {&p.sq[0], &p.sq[1], &p.sq[2], &p.sq[3], &p.sq[4], &p.ep})
        if (*s < 64) *s = ((g & 4 ? 8 * (*s & 7) + (*s >> 3) : *s) ^ (g & 1 ? 7 : 0) ^ (g & 2 ? 56 : 0));
    return p;
}

// Index of the position; `reversed` asks as the engine does with colours
// swapped on the real board (ranks mirrored). Entries past the pieces hold
// junk that must never be read.
inline uint32_t IndexOf(const Pos &p, uint32_t stm, bool reversed = false) {
    uint32_t a[2][8] = {{TbKing, 0, 0, 0, ~0u, ~0u, ~0u, ~0u}, {TbKing, 0, 0, 0, ~0u, ~0u, ~0u, ~0u}};
    int count[2] = {0, 0};
    for (int k = 0; k < p.n; ++k) {
        const int i = k < 2 ? 0 : ++count[p.color[k]];
        a[p.color[k]][i] = p.kind[k];
        a[p.color[k]][4 + i] = p.sq[k] ^ (reversed ? 56 : 0);
    }
    return TbDescriptors[p.id].indexFunction[stm](a[0], a[1], p.ep ^ (reversed && p.ep < 64 ? 56 : 0), reversed);
}

inline std::string Fen(const Pos &p, uint32_t stm) {
    std::string board(64, '1'), fen;
    for (int k = 0; k < p.n; ++k)
        board[p.sq[k]] = (p.color[k] ? " pnbrqk" : " PNBRQK")[p.kind[k]];
    for (int rank = 7; rank >= 0; --rank)
        fen += board.substr(size_t(8 * rank), 8) + (rank ? "/" : stm ? " b - -" : " w - -");
    return fen;
}

struct TempDirectory {
    std::string path = [] {
        char name[] = "/tmp/morvane-tb-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    ~TempDirectory() { std::filesystem::remove_all(path); }
};

// Files written by hand: the default byte at an index differs from block to block.
inline int8_t Pattern(uint32_t index, int salt = 0) { return int8_t((index * 7 + index / 8192 * 31 + salt) % 251); }

// Writes dir/<name>.nbw or .nbb of the expected length (or `length`), the
// pattern in it or, sparse, zeros; returns the path.
inline std::string WriteTable(const std::string &dir, const std::string &name, int side, int salt = 0,
                              int64_t length = -1, bool sparse = false) {
    const std::string path = TbGenFilePath(dir, TbGenTableId(name), side);
    length = length < 0 ? TbDescriptors[TbGenTableId(name)].expectedLength[side] : length;
    std::string bytes(sparse ? 0 : size_t(length), 0);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(Pattern(uint32_t(i), salt));
    std::filesystem::create_directories(dir);
    std::ofstream(path, std::ios::binary) << bytes;
    std::filesystem::resize_file(path, uintmax_t(length));
    return path;
}

inline void PokeTable(const std::string &path, uint32_t index, int8_t value) {
    std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(index).put(char(value));
}

// Generates the named tables (and what they need) into one directory per
// test program unless there, and registers them with the probe.
inline const std::string &TableDirectory() {
    static TempDirectory directory;
    return directory.path;
}

inline void EnsureTables(const std::vector<std::string> &names) {
    static const bool ready = (FillZobristKeys(), InitBoard(), true);
    std::vector<int> ids;
    for (const std::string &name : names)
        ids.push_back(TbGenTableId(name));
    std::string error;
    ASSERT_TRUE(ready && TbGenerateTables(ids, TableDirectory(), true, TbGenSilent, error)) << error;
    StartTablebases(TableDirectory().c_str(), 16.0);
}

// Values in moves for the side to move: a win in n is 1000 - n, a loss in n
// (mated after n moves of the opponent) -1000 + n, a draw 0.
constexpr int32_t NoValue = -99999;
constexpr int32_t Win(int32_t n) { return 1000 - n; }
constexpr int32_t Loss(int32_t n) { return -1000 + n; }
constexpr int32_t BackUp(int32_t child) { return child > 0 ? -child : child < 0 ? -child - 1 : 0; }

// The probe of the position on the board: a mate in n moves scores 32767 - 2n, mated in n 2n - 32767.
inline int32_t ProbeValue(uint32_t stm) {
    const int32_t score = ProbeTablebase(0, 0, stm), own = stm == White ? score : -score;
    return score == NoScore ? NoValue : own > 0 ? Win((32767 - own) / 2) : own < 0 ? Loss((32767 + own) / 2) : 0;
}

inline int32_t ValueOfByte(int8_t byte) {
    const int32_t s = TbGenScoreOfByte(byte);
    return s == TbGenUnknown ? NoValue : s > 0 ? Win((TbGenWin - s + 1) / 2) : s < 0 ? Loss((s + TbGenWin) / 2) : 0;
}

// Walks positions of a table side, one of each class of symmetric ones
// (the king to move in the region, the other king on its side of the long
// diagonal when it stands there), every pairStride-th king pair from
// pairOffset and every pieceStride-th placement of the rest: indices are
// below the length and distinct, and every imageStride-th position's
// images and colour-reversed form get the same index.
inline void CheckSide(const std::string &name, uint32_t stm, uint64_t pairStride, uint64_t pairOffset,
                      uint64_t pieceStride = 1, uint64_t imageStride = 1) {
    Pos p = PosOf(name);
    const uint32_t length = TbDescriptors[p.id].expectedLength[stm];
    std::unordered_map<uint32_t, uint64_t> owner;
    uint64_t failures = 0, pairs = 0, seen = 0;
    auto check = [&](Pos &q) {
        for (uint32_t ep : Legal(q, stm) ? EpSquares(q, stm) : std::vector<uint32_t>{}) {
            q.ep = ep;
            const uint32_t index = IndexOf(q, stm);
            Pos sorted = q; // like pieces in either order
            uint64_t code = ep;
            for (int k = 3; k < q.n; ++k)
                if (q.kind[k] == q.kind[k - 1] && q.color[k] == q.color[k - 1] && q.sq[k] < q.sq[k - 1])
                    std::swap(sorted.sq[k], sorted.sq[k - 1]);
            for (int k = 0; k < q.n; ++k)
                code = code << 6 | sorted.sq[k];
            bool ok = index < length && owner.emplace(index, code).first->second == code;
            // Both kings on the long diagonal: a position and its transposed image are stored apart.
            const uint32_t k = q.sq[stm], mask = ((k & 7) > 3 ? 7 : 0) | ((k >> 3) > 3 ? 56 : 0);
            const uint32_t a = k ^ mask, b = q.sq[1 - stm] ^ mask, images = seen++ % imageStride ? 1 : 8;
            for (uint32_t g = 1; g < (p.Has(TbPawn) ? std::min(images, 2u) : images); ++g)
                ok &= (g & 4 && (a & 7) == a >> 3 && (b & 7) == b >> 3) || IndexOf(Image(q, int(g)), stm) == index;
            ok &= images == 1 || IndexOf(q, stm, true) == index;
            if (!ok && failures++ < 5) ADD_FAILURE() << name << " side " << stm << ": " << Fen(q, stm) << " " << index;
        }
        q.ep = TbNoEpSquare;
        return failures < 5;
    };
    for (uint32_t king = 0; king < 64; ++king)
        for (uint32_t other = 0; other < 64; ++other)
            if (InRegion(p, king) && (p.Has(TbPawn) || (king & 7) != king >> 3 || (other & 7) >= other >> 3) &&
                pairs++ % pairStride == pairOffset) {
                p.sq[stm] = king;
                p.sq[1 - stm] = other;
                ForPlacements(p, 2, check, pieceStride, pairs * 7919 % pieceStride);
            }
}

// Sets up every stride-th position of a table on the engine's board (the
// white king folded into the region, or anywhere) with either side to move;
// visit(p, stm) returns false to stop the walk.
template <class F> void ForBoardPositions(const std::string &name, bool folded, uint64_t stride, F visit) {
    Pos p = PosOf(name);
    auto setUp = [&](Pos &q) {
        for (uint32_t stm = 0; stm < 2 && (!folded || InRegion(q, q.sq[0])); ++stm)
            if (Legal(q, stm) && SetupPosition(Fen(q, stm).c_str()) && (SelectMoveFunctions(), !visit(q, stm)))
                return false;
        return true;
    };
    ForPlacements(p, 0, setUp, stride);
}

// The best value over the legal moves of the position on the board, one ply
// deeper as the probe gives them. After a double step that can be taken en
// passant the file's entry for that position must hold its value, the better
// of the plain position and the captures.
inline int32_t BestOverMoves(const Pos &p, uint32_t stm, uint64_t &enPassant) {
    int32_t best = NoValue;
    MoveEntry list[MoveListSize], replies[MoveListSize];
    const uint32_t inCheck = SideInCheck(stm), them = 1 - stm;
    for (MoveEntry *e = list, *end = GenerateSideMoves(stm, list, inCheck, 0); e < end; ++e) {
        if (!MakeMove(stm, inCheck, 1, e->move)) continue;
        int32_t child = ProbeValue(them);
        Pos after = p;
        const uint32_t from = (9 - MoveFrom(e->move) / 10) * 8 + MoveFrom(e->move) % 10 - 1;
        for (int k = 2; k < p.n; ++k)
            after.sq[k] = p.sq[k] == from ? (stm ? from - 16 : from + 16) : p.sq[k];
        after.ep = stm ? from - 8 : from + 8;
        if (IsDoubleStep(e->move) && p.Has(TbPawn, int(them)) && Legal(after, them)) {
            const uint32_t check = SideInCheck(them);
            const Square ep = Square(MoveFrom(e->move) + (stm ? 10 : -10));
            for (MoveEntry *r = replies, *rend = GenerateSideMoves(them, replies, check, ep); r < rend; ++r)
                if (IsEnPassant(r->move) && MakeMove(them, check, 2, r->move)) {
                    child = std::max(child, BackUp(ProbeValue(stm)));
                    UnmakeMove(them, r->move);
                }
            EXPECT_EQ(ValueOfByte(int8_t(ProbeTableValue(p.id, int(them), IndexOf(after, them)))), child)
                << Fen(after, them);
            enPassant++;
        }
        UnmakeMove(stm, e->move);
        best = std::max(best, BackUp(child));
    }
    return best != NoValue ? best : inCheck ? Loss(0) : 0;
}

// Every stride-th position of a table holds the best value over its moves.
struct MinimaxCount {
    uint64_t positions = 0, enPassant = 0, wins = 0, losses = 0;
};

inline MinimaxCount CheckMinimax(const std::string &name, uint64_t stride) {
    MinimaxCount c;
    ForBoardPositions(name, true, stride, [&](Pos &p, uint32_t stm) {
        const int32_t stored = ProbeValue(stm);
        EXPECT_EQ(stored, BestOverMoves(p, stm, c.enPassant)) << Fen(p, stm);
        c.positions++;
        c.wins += stored > 0;
        c.losses += stored < 0;
        return !::testing::Test::HasFailure();
    });
    return c;
}

} // namespace tbtest
