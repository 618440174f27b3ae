// Helpers for the book tests: a scratch directory, direct board placement,
// book files written record by record, and random legal games written as
// standard algebraic text.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "book/BookFormat.h"

namespace booktest {

// Keys and board tables, as the engine has them after start-up.
inline void PrepareBoard() {
    FillZobristKeys();
    InitBoard();
    BuildTables();
}

// Each test runs in a fresh scratch directory that is removed afterwards.
class ScratchDir : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        char pattern[] = "/tmp/morvane-book-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::current_path(dir_);
        savedMain_ = {MainBookFile, MainBookSize};
        savedStyle_ = {StyleBookFile, StyleBookSize};
        MainBookFile = StyleBookFile = -1;
        MainBookSize = StyleBookSize = 0;
        BookMisses = 0;
    }
    void TearDown() override {
        if (MainBookFile >= 0) close(MainBookFile);
        if (StyleBookFile >= 0) close(StyleBookFile);
        MainBookFile = savedMain_.first;
        MainBookSize = savedMain_.second;
        StyleBookFile = savedStyle_.first;
        StyleBookSize = savedStyle_.second;
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    std::filesystem::path dir_, old_;
    std::pair<int, int64_t> savedMain_, savedStyle_;
};

// Writes a board placement (the first field of a FEN string) straight into
// Board, without touching anything else, and sets the side to move.
inline void PlaceBoard(const std::string &placement, uint32_t side) {
    for (int i = 0; i < 120; ++i)
        Board[i].piece = OffBoard;
    int rank = 8, file = 1;
    for (char c : placement) {
        if (c == '/') {
            --rank;
            file = 1;
        } else if (c >= '1' && c <= '8') {
            for (int n = 0; n < c - '0'; ++n)
                Board[SquareOf(file++, rank)].piece = EmptySquare;
        } else {
            const char *p = std::strchr(PieceLetters, c);
            Board[SquareOf(file++, rank)].piece = PieceCode(p - PieceLetters);
        }
    }
    SideToMove = side;
}

inline BookRecord KeyWith(int8_t bookClass, int32_t weight) {
    BookRecord r = CurrentBookKey();
    r.bookClass = bookClass;
    r.weight = weight;
    return r;
}

// Sorts records 1.. by key, puts the header record in front and writes the file.
inline void WriteBook(const std::string &name, std::vector<BookRecord> positions) {
    std::sort(positions.begin(), positions.end(), BookKeyLess);
    positions.insert(positions.begin(), BookHeaderRecord());
    ::testing::internal::CaptureStdout();
    const bool ok = SaveBook(name.c_str(), positions.data(), int64_t(positions.size()));
    ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(ok);
}

inline std::string ReadFileBytes(const std::string &name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string &name, const std::string &bytes) {
    std::ofstream out(name, std::ios::binary);
    out << bytes;
}

inline std::string Load(const std::string &name, int &file, int64_t &size) {
    ::testing::internal::CaptureStdout();
    LoadBook(name.c_str(), file, size);
    return ::testing::internal::GetCapturedStdout();
}

// Random legal games, for conversions of many positions.
// Legal moves of the side to move, in the order the algebraic parser sees them.
inline std::vector<Move> LegalMoves() {
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    for (MoveEntry *e = list; e < end;) {
        if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) {
            *e = *--end;
            continue;
        }
        UnmakeMove(SideToMove, e->move);
        ++e;
    }
    std::vector<Move> out;
    for (MoveEntry *e = list; e < end; ++e)
        out.push_back(e->move);
    return out;
}

inline std::string SquareText(Square s) { return {char('a' + FileOf[s] - 1), char('0' + RankOf[s])}; }

// Algebraic text of a move by the parser's own rules.
inline std::string SanText(const std::vector<Move> &legal, Move m) {
    const Square from = MoveFrom(m), to = MoveTo(m);
    if (IsCastling(m)) return to == G1 || to == G8 ? "O-O" : "O-O-O";
    const PieceCode piece = Board[from].piece;
    std::string text;
    if (KindOf(piece) == Pawn) {
        if (IsCapture(m)) text = std::string(1, char('a' + FileOf[from] - 1)) + "x";
        text += SquareText(to);
        if (IsPromotion(m)) text += std::string("=") + PieceLetters[MovePromoted(m) & 7];
        return text;
    }
    text = PieceLetters[KindOf(piece)];
    for (Move other : legal) {
        if (MoveTo(other) == to && MoveFrom(other) != from && Board[MoveFrom(other)].piece == piece) {
            text += FileOf[MoveFrom(other)] == FileOf[from] ? char('0' + RankOf[from]) : char('a' + FileOf[from] - 1);
            break;
        }
    }
    if (IsCapture(m)) text += "x";
    return text + SquareText(to);
}

inline void PlayGameMove(Move m) {
    SelectMoveFunctions();
    const uint32_t side = SideToMove;
    MakeMove(side, RootInCheck, 0, m);
    SideToMove = side ^ 1;
    EpSquare = IsDoubleStep(m) ? (side == White ? MoveFrom(m) - 10 : MoveFrom(m) + 10) : 0;
    RootInCheck = SideInCheck(SideToMove);
}

inline uint64_t KeyHashOfRecord(const BookRecord &key) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 32; ++i)
        h = (h ^ key.board[i]) * 1099511628211ull;
    return (h ^ key.side) * 1099511628211ull;
}

inline uint64_t KeyHashOfPosition() { return KeyHashOfRecord(CurrentBookKey()); }

} // namespace booktest
