// Helpers of the tablebase tests: a table's pieces on a 0..63 board, walks
// over its positions, table files written by hand or generated, and values
// counted in moves.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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

template <class F> std::string Output(F f) {
    ::testing::internal::CaptureStdout();
    f();
    return ::testing::internal::GetCapturedStdout();
}

// A table's pieces on a 0..63 board (a1 = 0): slot 0 the white king, 1 the
// black king, then white's pieces and black's, each side in kind order.
struct Pos {
    int id = 0, n = 2;
    uint32_t kind[5] = {TbKing, TbKing}, color[5] = {0, 1}, sq[5] = {};
    uint32_t ep = TbNoEpSquare;
    bool Has(uint32_t kind, int color = -1) const {
        for (int k = 2; k < n; ++k)
            if (this->kind[k] == kind && (color < 0 || int(this->color[k]) == color)) return true;
        return false;
    }
};

inline Pos PosOf(const std::string &name) {
    Pos p;
    p.id = TbGenTableId(name);
    for (size_t i = 1, side = 0; i < name.size(); ++i) {
        if (name[i] == 'k') {
            side = 1;
            continue;
        }
        p.kind[p.n] = KindOfLetter(name[i]);
        p.color[p.n++] = uint32_t(side);
    }
    for (int k = 3; k < p.n; ++k) // kind order within a side
        for (int j = k; j > 2 && p.color[j - 1] == p.color[j] && p.kind[j - 1] > p.kind[j]; --j)
            std::swap(p.kind[j], p.kind[j - 1]);
    return p;
}

// Squares the king of the side that normalises a position is folded into:
// files a..d with pawns, the a1-d1-d4 triangle without.
inline std::vector<uint32_t> Region(const Pos &p) {
    std::vector<uint32_t> squares;
    for (uint32_t s = 0; s < 64; ++s)
        if ((s & 7) <= 3 && (p.Has(TbPawn) || (s >> 3) <= (s & 7))) squares.push_back(s);
    return squares;
}

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
    switch (p.kind[k]) {
    case TbPawn:
        return abs(df) == 1 && dr == (p.color[k] ? -1 : 1);
    case TbKnight:
        return abs(df * dr) == 2;
    case TbKing:
        return n == 1;
    }
    if (n == 0 || (abs(df) != abs(dr) && df && dr) || (p.kind[k] == TbBishop && abs(df) != abs(dr)) ||
        (p.kind[k] == TbRook && df && dr))
        return false;
    for (int i = 1; i < n; ++i)
        if (occupied >> (p.sq[k] + i * (df / n + 8 * (dr / n))) & 1) return false;
    return true;
}

// Legal with stm to move: the other king not in check; an en-passant square
// needs the double step behind it and a pawn that can take.
inline bool Legal(const Pos &p, uint32_t stm) {
    uint64_t occupied = 0;
    for (int k = 0; k < p.n; ++k)
        occupied |= 1ull << p.sq[k];
    for (int k = 0; k < p.n; ++k)
        if (p.color[k] == stm && Attacks(p, k, p.sq[1 - stm], occupied)) return false;
    if (p.ep == TbNoEpSquare) return true;
    const uint32_t victim = stm ? p.ep + 8 : p.ep - 8, origin = stm ? p.ep - 8 : p.ep + 8;
    bool victimThere = false, captor = false;
    for (int k = 2; k < p.n; ++k) {
        victimThere |= p.kind[k] == TbPawn && p.color[k] != stm && p.sq[k] == victim;
        captor |=
            p.kind[k] == TbPawn && p.color[k] == stm && (p.sq[k] ^ victim) < 8 && abs(int(p.sq[k]) - int(victim)) == 1;
    }
    return (p.ep >> 3) == (stm ? 2u : 5u) && !(occupied >> p.ep & 1) && !(occupied >> origin & 1) && victimThere &&
           captor;
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
inline uint32_t Map(uint32_t s, int g) {
    if (s > 63) return s;
    if (g & 4) s = 8 * (s & 7) + (s >> 3);
    return s ^ (g & 1 ? 7 : 0) ^ (g & 2 ? 56 : 0);
}

inline Pos Image(Pos p, int g) {
    for (int k = 0; k < p.n; ++k)
        p.sq[k] = Map(p.sq[k], g);
    p.ep = Map(p.ep, g);
    return p;
}

// Index of the position; `reversed` asks as the engine does with colours
// swapped on the real board (the ranks mirrored). Entries past the pieces
// hold junk that must never be read.
inline uint32_t IndexOf(const Pos &p, uint32_t stm, bool reversed = false) {
    uint32_t a[2][8] = {{TbKing, 0, 0, 0, 0xdeadbeef, 0xdeadbeef, 0xdeadbeef, 0xdeadbeef}, {TbKing}};
    std::copy(a[0], a[0] + 8, a[1]);
    int count[2] = {0, 0};
    for (int k = 0; k < p.n; ++k) {
        const int i = k < 2 ? 0 : ++count[p.color[k]];
        a[p.color[k]][i] = p.kind[k];
        a[p.color[k]][4 + i] = p.sq[k] ^ (reversed ? 56 : 0);
    }
    const uint32_t ep = p.ep == TbNoEpSquare || !reversed ? p.ep : p.ep ^ 56;
    return TbDescriptors[p.id].indexFunction[stm](a[0], a[1], ep, reversed);
}

// FEN of the position for the engine's board.
inline std::string Fen(const Pos &p, uint32_t stm) {
    std::string board(64, '1'), fen;
    for (int k = 0; k < p.n; ++k)
        board[p.sq[k]] = p.color[k] ? " pnbrqk"[p.kind[k]] : " PNBRQK"[p.kind[k]];
    for (int rank = 7; rank >= 0; --rank)
        fen += board.substr(size_t(8 * rank), 8) + (rank ? "/" : "");
    return fen + (stm ? " b - -" : " w - -");
}

// Files written by hand: the default byte at an index differs from block to block.
inline int8_t Pattern(uint32_t index, int salt = 0) { return int8_t((index * 7 + index / 8192 * 31 + salt) % 251); }

struct TempDirectory {
    std::string path = [] {
        char name[] = "/tmp/morvane-tb-XXXXXX";
        return std::string(mkdtemp(name));
    }();
    ~TempDirectory() { std::filesystem::remove_all(path); }
};

// Writes dir/<name>.nbw or .nbb of the expected length (or `length`),
// filled with the pattern or, sparse, with zeros; returns the path.
inline std::string WriteTable(const std::string &dir, const std::string &name, int side, int salt = 0,
                              int64_t length = -1, bool sparse = false) {
    if (length < 0) length = TbDescriptors[TbGenTableId(name)].expectedLength[side];
    const std::string path = TbGenFilePath(dir, TbGenTableId(name), side);
    std::filesystem::create_directories(dir);
    std::string bytes(sparse ? 0 : size_t(length), 0);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(Pattern(uint32_t(i), salt));
    std::ofstream(path, std::ios::binary) << bytes;
    std::filesystem::resize_file(path, uintmax_t(length));
    return path;
}

inline void PokeTable(const std::string &path, uint32_t index, int8_t value) {
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(index).put(char(value));
}

// Cache size in megabytes for exactly `entries` entries (an entry takes 8228 bytes and a header under 64).
inline double CacheFor(int entries) { return entries * 8300.0 / 1048576.0; }

// Generated tables: one directory per test program, removed at exit.
inline const std::string &TableDirectory() {
    static TempDirectory directory;
    return directory.path;
}

// Generates the named tables (and what they need) unless there, and registers them with the probe.
inline void EnsureTables(const std::vector<std::string> &names) {
    static const bool ready = (FillZobristKeys(), InitBoard(), true);
    (void)ready;
    std::vector<int> ids;
    for (const std::string &name : names)
        ids.push_back(TbGenTableId(name));
    std::string error;
    ASSERT_TRUE(TbGenerateTables(ids, TableDirectory(), true, TbGenSilent, error)) << error;
    StartTablebases(TableDirectory().c_str(), 16.0);
}

// Values in moves for the side to move: a win in n is 1000 - n, a loss in n
// (mated after n moves of the opponent) -1000 + n, a draw 0.
constexpr int32_t NoValue = -99999;
constexpr int32_t Win(int32_t n) { return 1000 - n; }
constexpr int32_t Loss(int32_t n) { return -1000 + n; }
constexpr int32_t BackUp(int32_t child) { return child > 0 ? -child : child < 0 ? -child - 1 : 0; }

// The probe of the position on the engine's board (scores of a mate in n
// moves: 32767 - 2n, of mated in n: 2n - 32767).
inline int32_t ProbeValue(uint32_t stm) {
    const int32_t score = ProbeTablebase(0, 0, stm), own = stm == White ? score : -score;
    return score == NoScore ? NoValue : own > 0 ? Win((32767 - own) / 2) : own < 0 ? Loss((32767 + own) / 2) : 0;
}

inline int32_t ValueOfByte(int8_t byte) {
    const int32_t s = TbGenScoreOfByte(byte);
    return s == TbGenUnknown ? NoValue : s > 0 ? Win((TbGenWin - s + 1) / 2) : s < 0 ? Loss((s + TbGenWin) / 2) : 0;
}

inline std::vector<int8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<int8_t>(std::istreambuf_iterator<char>(in), {});
}

// Walks positions of a table side, one of each class of symmetric ones
// (the king to move in the folded region, the other king on its side of
// the long diagonal when it stands there), every pairStride-th king pair
// from pairOffset and every pieceStride-th placement of the rest: indices
// are below the length and distinct, and every imageStride-th position's
// images and colour-reversed form get the same index.
inline void CheckSide(const std::string &name, uint32_t stm, uint64_t pairStride, uint64_t pairOffset,
                      uint64_t pieceStride = 1, uint64_t imageStride = 1) {
    Pos p = PosOf(name);
    const uint32_t length = TbDescriptors[p.id].expectedLength[stm];
    const bool pawns = p.Has(TbPawn);
    std::unordered_map<uint32_t, uint64_t> owner;
    uint64_t failures = 0, pairs = 0, seen = 0;
    auto check = [&](Pos &q) {
        if (!Legal(q, stm)) return true;
        for (uint32_t ep : EpSquares(q, stm)) {
            q.ep = ep;
            const uint32_t index = IndexOf(q, stm);
            uint64_t code = ep;
            for (int k = 0; k < q.n; ++k) // like pieces in either order
                code = code << 6 | (k + 1 < q.n && q.kind[k] == q.kind[k + 1] && q.color[k] == q.color[k + 1]
                                        ? std::min(q.sq[k], q.sq[k + 1])
                                    : k > 2 && q.kind[k] == q.kind[k - 1] && q.color[k] == q.color[k - 1]
                                        ? std::max(q.sq[k], q.sq[k - 1])
                                        : q.sq[k]);
            bool ok = index < length && owner.emplace(index, code).first->second == code;
            // Both kings on the long diagonal: a position and its transposed image are stored apart.
            const uint32_t k = q.sq[stm], mask = ((k & 7) > 3 ? 7 : 0) | ((k >> 3) > 3 ? 56 : 0);
            const uint32_t a = k ^ mask, b = q.sq[1 - stm] ^ mask;
            const bool images = seen++ % imageStride == 0;
            for (int g = 1; images && g < (pawns ? 2 : 8); ++g)
                ok &= (g & 4 && (a & 7) == a >> 3 && (b & 7) == b >> 3) || IndexOf(Image(q, g), stm) == index;
            ok &= !images || IndexOf(q, stm, true) == index;
            if (!ok && failures++ < 5) ADD_FAILURE() << name << " side " << stm << ": " << Fen(q, stm) << " " << index;
        }
        q.ep = TbNoEpSquare;
        return failures < 5;
    };
    for (uint32_t king : Region(p))
        for (uint32_t other = 0; other < 64; ++other)
            if ((pawns || (king & 7) != king >> 3 || (other & 7) >= other >> 3) && pairs++ % pairStride == pairOffset) {
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
    const std::vector<uint32_t> region = Region(p);
    auto setUp = [&](Pos &q) {
        if (folded && std::find(region.begin(), region.end(), q.sq[0]) == region.end()) return true;
        for (uint32_t stm = 0; stm < 2; ++stm)
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
            if (p.sq[k] == from) after.sq[k] = stm ? from - 16 : from + 16;
        after.ep = stm ? from - 8 : from + 8;
        if (IsDoubleStep(e->move) && p.Has(TbPawn, int(them)) && Legal(after, them)) {
            const Square ep = Square(MoveFrom(e->move) + (stm ? 10 : -10));
            const uint32_t check = SideInCheck(them);
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
