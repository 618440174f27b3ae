// Helpers of the tablebase tests: a table's pieces on a 0..63 board, walks
// over its positions, table files written by hand or generated, values in moves.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "tablebase/Generator.h"
#include "tablebase/Syzygy.h"
#include "tablebase/TableList.h"
#include "tablebase/TablebaseAccess.h"

namespace tbtest {

#ifdef MORVANE_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// The board's and the index functions' tables, built once per test program.
inline void InitTables() {
    [[maybe_unused]] static const bool built = (FillZobristKeys(), InitBoard(), InitIndexTables(), true);
}

// A table's pieces on a 0..63 board (a1 = 0): the white king, the black king, white's pieces, black's.
struct Pos {
    int id = 0, n = 2;
    uint32_t kind[5] = {TbKing, TbKing}, color[5] = {0, 1}, sq[5] = {}, ep = TbNoEpSquare;
};

// Each side's pieces as the table's name lists them, highest kind first; squares in slot order may be given.
inline Pos PosOf(const std::string &name, const std::vector<uint32_t> &squares = {}) {
    Pos p;
    p.id = TbGenTableId(name);
    const size_t second = name.find('k', 1);
    for (uint32_t side = 0; side < 2; ++side)
        for (size_t i = side ? name.size() : second; i-- > (side ? second + 1 : 1);)
            p.kind[p.n] = KindOfLetter(name[i]), p.color[p.n++] = side;
    std::copy(squares.begin(), squares.end(), p.sq);
    return p;
}

// Every stride-th placement (from `from`) of a table's pieces, slot 0 fastest, on distinct squares, no
// pawn on the first or last rank; visit(p) returns false to stop.
template <class F> void ForPlacements(const std::string &name, F visit, uint64_t stride = 1, uint64_t from = 0) {
    Pos p = PosOf(name);
    for (uint64_t code = from; code < 1ull << 6 * p.n; code += stride) {
        uint64_t occupied = 0;
        bool placed = true;
        for (int k = 0; k < p.n; ++k) {
            p.sq[k] = code >> 6 * k & 63;
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

// Index of the position. Entries past the pieces hold junk that must never be read.
inline uint32_t IndexOf(const Pos &p, uint32_t stm) {
    uint32_t a[2][8] = {{TbKing, 0, 0, 0, ~0u, ~0u, ~0u, ~0u}, {TbKing, 0, 0, 0, ~0u, ~0u, ~0u, ~0u}};
    int count[2] = {0, 0};
    for (int k = 0; k < p.n; ++k) {
        const int i = k < 2 ? 0 : ++count[p.color[k]];
        a[p.color[k]][i] = p.kind[k];
        a[p.color[k]][4 + i] = p.sq[k];
    }
    return TbDescriptors[p.id].indexFunction[stm](a[0], a[1], p.ep, false);
}

// The position as Fathom takes it.
inline SyzygyBoard SyzygyBoardOf(const Pos &p, uint32_t stm) {
    SyzygyBoard b = {0, 0, 0, 0, 0, 0, 0, 0, p.ep < 64 ? p.ep : 0, stm == White};
    uint64_t *kinds[] = {nullptr, &b.pawns, &b.knights, &b.bishops, &b.rooks, &b.queens, &b.kings};
    for (int k = 0; k < p.n; ++k) {
        *kinds[p.kind[k]] |= 1ull << p.sq[k];
        (p.color[k] ? b.black : b.white) |= 1ull << p.sq[k];
    }
    return b;
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

// Writes dir/<name>.nbw or .nbb of the expected length (or `length`) holding the pattern (sparse: zeros).
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

inline std::vector<int8_t> ReadTableFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<int8_t>(std::istreambuf_iterator<char>(in), {});
}

// Generates the table (and what it needs) into the program's directory unless there; registers them.
inline const std::string &TableDirectory() {
    static TempDirectory directory;
    return directory.path;
}

inline void EnsureTable(const std::string &name) {
    InitTables();
    std::string error;
    ASSERT_TRUE(TbGenerateTables({TbGenTableId(name)}, TableDirectory(), true, TbGenSilent, error)) << error;
    StartTablebases(TableDirectory().c_str(), 16.0);
}

// Values in moves for the side to move: a win in n is 1000 - n, a loss in n
// (mated after n moves of the opponent) -1000 + n, a draw 0.
constexpr int32_t NoValue = -99999;
constexpr int32_t Win(int32_t n) { return 1000 - n; }
constexpr int32_t Loss(int32_t n) { return -1000 + n; }

// The probe of the position on the board: a mate in n moves scores 32767 - 2n, mated in n 2n - 32767.
inline int32_t ProbeValue(uint32_t stm) {
    const int32_t score = ProbeTablebase(0, 0, stm), own = stm == White ? score : -score;
    return score == NoScore ? NoValue : own > 0 ? Win((32767 - own) / 2) : own < 0 ? Loss((32767 + own) / 2) : 0;
}

inline int32_t ValueOfByte(int8_t byte) {
    const int32_t s = TbGenScoreOfByte(byte);
    return s == TbGenUnknown ? NoValue : s > 0 ? Win((TbGenWin - s + 1) / 2) : s < 0 ? Loss((s + TbGenWin) / 2) : 0;
}

} // namespace tbtest
