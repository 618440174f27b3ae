// Helpers for the generator tests: tables generated once per test program,
// positions of a table on the engine's board, and values in moves.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/BoardTestSupport.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "tablebase/Generator.h"
#include "tablebase/GeneratorBoard.h"
#include "tablebase/TableList.h"
#include "tablebase/TablebaseAccess.h"

namespace gentest {

#ifdef MORVANE_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// One directory per test program, removed at exit.
inline const std::string &TableDirectory() {
    static std::string path;
    if (path.empty()) {
        char name[] = "/tmp/morvane-tbgen-XXXXXX";
        const char *made = mkdtemp(name);
        path = made != nullptr ? made : "/tmp";
        std::atexit([] {
            const std::string command = "rm -rf '" + path + "'";
            if (std::system(command.c_str()) != 0) std::perror("rm");
        });
    }
    return path;
}

// Generates the named tables (and what they need) unless already there, and
// registers the directory with the engine's probe.
inline void EnsureTables(const std::vector<std::string> &names) {
    EnsureBoardReady();
    std::vector<int> ids;
    for (const std::string &name : names)
        ids.push_back(TbGenTableId(name));
    std::string error;
    ASSERT_TRUE(TbGenerateTables(ids, TableDirectory(), true, TbGenSilent, error)) << error;
    StartTablebases(TableDirectory().c_str(), 16.0);
}

// A value in moves for the side to move: a win in n is 1000 - n, a loss in
// n (mated after n moves of the opponent) -1000 + n, a draw 0.
constexpr int32_t NoValue = -99999;
constexpr int32_t WinInMoves(int32_t n) { return 1000 - n; }
constexpr int32_t LossInMoves(int32_t n) { return -1000 + n; }
constexpr int32_t BackUp(int32_t child) { return child > 0 ? -child : child < 0 ? -child - 1 : 0; }

// Engine score (White's point of view, probed at ply 0) to a value in moves.
inline int32_t ValueOfEngineScore(int32_t score, uint32_t sideToMove) {
    if (score == NoScore) return NoValue;
    const int32_t own = sideToMove == White ? score : -score;
    if (own == 0) return 0;
    return own > 0 ? WinInMoves((32767 - own) / 2) : LossInMoves((32767 + own) / 2);
}

inline int32_t ValueOfByte(int8_t byte) {
    const int32_t score = TbGenScoreOfByte(byte);
    if (score == TbGenUnknown) return NoValue;
    if (score == 0) return 0;
    return score > 0 ? WinInMoves((TbGenWin - score + 1) / 2) : LossInMoves((score + TbGenWin) / 2);
}

inline int32_t ProbeValue(uint32_t sideToMove) {
    return ValueOfEngineScore(ProbeTablebase(0, 0, sideToMove), sideToMove);
}

// FEN of pieces (letters as in FEN) on 0..63 squares.
inline std::string Fen(const std::vector<char> &letters, const uint32_t *squares, uint32_t sideToMove,
                       const std::string &ep = "-") {
    char board[64];
    for (char &c : board)
        c = 0;
    for (size_t i = 0; i < letters.size(); i++)
        board[squares[i]] = letters[i];
    std::string fen;
    for (int rank = 7; rank >= 0; rank--) {
        int empty = 0;
        for (int file = 0; file < 8; file++) {
            const char c = board[rank * 8 + file];
            if (c == 0) {
                empty++;
                continue;
            }
            if (empty) fen += char('0' + empty);
            empty = 0;
            fen += c;
        }
        if (empty) fen += char('0' + empty);
        if (rank) fen += '/';
    }
    return fen + (sideToMove == White ? " w - " : " b - ") + ep + " 0 1";
}

// FEN letters of a table in the generator's slot order: white king, black
// king, white's pieces, black's, each side in kind order.
inline std::vector<char> LettersOf(const std::string &name) {
    tbgen::Layout layout;
    std::vector<char> letters;
    if (!tbgen::LayoutOf(name.c_str(), layout)) return letters;
    for (int i = 0; i < layout.slots; i++) {
        const char lower = " pnbrqk"[layout.kind[i]];
        letters.push_back(layout.color[i] == 0 ? char(lower - 'a' + 'A') : lower);
    }
    return letters;
}

// Calls visit() with the position set up on the engine's board for every
// legal placement of the table's pieces and both sides to move. With
// `folded` the white king stays in the part of the board that every
// position can be mirrored into (files a..d with pawns, the a1-d1-d4
// triangle without), which still reaches every index of the files. Only
// every `stride`-th placement is tried; the walk ends early once *stop is set.
template <class Visit>
void ForEachPosition(const std::string &name, bool folded, uint64_t stride, Visit visit, const bool *stop = nullptr) {
    const std::vector<char> letters = LettersOf(name);
    const int n = int(letters.size());
    tbgen::Layout layout;
    tbgen::LayoutOf(name.c_str(), layout);
    tbgen::InitSteps();
    bool pawns = false;
    for (char c : letters)
        pawns |= c == 'P' || c == 'p';
    uint64_t total = 1;
    for (int i = 0; i < n; i++)
        total *= 64;
    for (uint64_t code = 0; code < total && !(stop && *stop); code += stride) {
        uint32_t squares[5];
        uint64_t rest = code;
        uint64_t occupied = 0;
        bool ok = true;
        for (int i = 0; i < n; i++) {
            squares[i] = uint32_t(rest % 64);
            rest /= 64;
            ok &= !(occupied >> squares[i] & 1);
            occupied |= uint64_t(1) << squares[i];
            if ((letters[size_t(i)] == 'P' || letters[size_t(i)] == 'p') && (squares[i] < 8 || squares[i] > 55))
                ok = false;
        }
        if (!ok) continue;
        const uint32_t wk = squares[0], f = wk % 8, r = wk / 8;
        if (folded && (f > 3 || (!pawns && r > f))) continue;
        tbgen::Position p;
        p.occupied = occupied;
        for (int i = 0; i < n; i++)
            p.sq[i] = uint8_t(squares[i]);
        for (uint32_t stm = 0; stm < 2; stm++) {
            if (tbgen::KingAttacked(layout, p, 1 - stm)) continue;
            if (!SetupPosition(Fen(letters, squares, stm).c_str())) continue;
            if (SideInCheck(1 - stm)) continue;
            SelectMoveFunctions();
            visit(squares, stm);
        }
    }
}

// The value of the current position (side to move just after the move
// that gave en-passant target epSquare, a board square) with its en-passant
// captures taken into account.
inline int32_t ValueWithEnPassant(uint32_t side, Square epSquare) {
    int32_t best = ProbeValue(side);
    MoveEntry list[MoveListSize];
    const uint32_t inCheck = SideInCheck(side);
    MoveEntry *end = GenerateSideMoves(side, list, inCheck, epSquare);
    for (MoveEntry *e = list; e < end; e++) {
        if (!IsEnPassant(e->move)) continue;
        if (!MakeMove(side, inCheck, 2, e->move)) continue;
        const int32_t child = ProbeValue(1 - side);
        UnmakeMove(side, e->move);
        if (child == NoValue) return NoValue;
        best = std::max(best, BackUp(child));
    }
    return best;
}

// Best value over the legal moves of the current position, one ply deeper,
// as the files say; epChildren receives the positions with an en-passant
// right that the moves reach (their value must then also be stored).
struct MinimaxResult {
    int32_t best = NoValue;
    bool anyMove = false;
};

template <class OnEpChild> MinimaxResult BestOverMoves(uint32_t side, OnEpChild onEpChild) {
    MinimaxResult r;
    MoveEntry list[MoveListSize];
    const uint32_t inCheck = SideInCheck(side);
    MoveEntry *end = GenerateSideMoves(side, list, inCheck, 0);
    for (MoveEntry *e = list; e < end; e++) {
        const Move m = e->move;
        if (!MakeMove(side, inCheck, 1, m)) continue;
        int32_t child;
        if (IsDoubleStep(m)) {
            const Square ep = Square(side == White ? MoveFrom(m) - 10 : MoveFrom(m) + 10);
            child = ValueWithEnPassant(1 - side, ep);
            onEpChild(ep, child);
        } else {
            child = ProbeValue(1 - side);
        }
        UnmakeMove(side, m);
        if (child == NoValue) return MinimaxResult{NoValue, true};
        r.best = r.anyMove ? std::max(r.best, BackUp(child)) : BackUp(child);
        r.anyMove = true;
    }
    if (!r.anyMove) r.best = inCheck ? LossInMoves(0) : 0;
    return r;
}

// The table squares of the current position (white as the table's white).
inline void TableArrays(uint32_t arrays[2][8]) {
    for (int side = 0; side < 2; side++) {
        uint32_t *a = arrays[side];
        for (int i = 0; i < 8; i++)
            a[i] = 0;
        a[0] = TbKing;
        const Square k = PieceLists[side == 0 ? WhiteKing : BlackKing][0];
        a[4] = uint32_t((9 - k / 10) * 8 + (k % 10 - 1));
        int n = 0;
        for (int kind = 0; kind < 5; kind++) {
            const PieceCode code = PieceCode(8 * side + kind);
            for (uint32_t slot = 1; slot <= PieceLists[code][0]; slot++) {
                const Square s = PieceLists[code][slot];
                a[1 + n] = TbPawn + uint32_t(kind);
                a[5 + n] = uint32_t((9 - s / 10) * 8 + (s % 10 - 1));
                n++;
            }
        }
    }
}

} // namespace gentest

namespace gentest {

struct MinimaxCount {
    uint64_t positions = 0, enPassant = 0, wins = 0, losses = 0;
};

// Every (or every stride-th) position of a table: the stored value equals
// the best value over its legal moves one ply deeper, read through the
// probe. Positions reached by a double step that can be taken en passant
// are checked against their own stored entries.
inline MinimaxCount CheckMinimax(const std::string &name, uint64_t stride) {
    MinimaxCount count;
    const int id = TbGenTableId(name);
    tbgen::Layout layout;
    tbgen::LayoutOf(name.c_str(), layout);
    const std::vector<char> letters = LettersOf(name);
    ForEachPosition(name, true, stride, [&](const uint32_t *squares, uint32_t stm) {
        const int32_t stored = ProbeValue(stm);
        ASSERT_NE(stored, NoValue) << Fen(letters, squares, stm);
        const MinimaxResult r = BestOverMoves(stm, [&](Square ep, int32_t value) {
            if (!layout.pawnsBothSides) return;
            uint32_t arrays[2][8];
            TableArrays(arrays);
            const uint32_t ep64 = uint32_t((9 - ep / 10) * 8 + (ep % 10 - 1));
            const uint32_t index = TbDescriptors[id].indexFunction[1 - stm](arrays[0], arrays[1], ep64, 0);
            const int32_t entry = ValueOfByte(int8_t(ProbeTableValue(id, int(1 - stm), index)));
            ASSERT_EQ(entry, value) << "en passant after a move from " << Fen(letters, squares, stm);
            count.enPassant++;
        });
        ASSERT_EQ(stored, r.best) << Fen(letters, squares, stm);
        count.positions++;
        count.wins += stored > 0;
        count.losses += stored < 0;
    });
    return count;
}

} // namespace gentest

namespace gentest {

inline std::vector<int8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<int8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Longest win in moves over the bytes of a file.
inline int32_t LongestWin(const std::vector<int8_t> &bytes) {
    int32_t longest = 0;
    for (int8_t b : bytes) {
        const int32_t v = ValueOfByte(b);
        if (v > 0) longest = std::max(longest, 1000 - v);
    }
    return longest;
}

} // namespace gentest
