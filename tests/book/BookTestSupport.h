// Helpers of the book tests: a scratch directory per test, book files,
// moves played from text, and generated games.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board/Board.h"
#include "board/BoardTestSupport.h"
#include "book/Book.h"
#include "book/BookBuilder.h"
#include "book/BookFormat.h"
#include "book/PolyglotBook.h"

namespace booktest {

// Each test runs in a fresh scratch directory with no book open and the initial position set up.
class ScratchDir : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureBoardReady(); }
    void SetUp() override {
        char pattern[] = "/tmp/morvane-book-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        std::filesystem::current_path(dir_ = pattern);
        BookMisses = 0;
        ASSERT_TRUE(SetupPosition(StartPosition));
    }
    void TearDown() override {
        for (int *file : {&MainBookFile, &StyleBookFile})
            if (*file >= 0) close(std::exchange(*file, -1));
        ClosePolyglotBook(PolyglotBook);
        MainBookSize = StyleBookSize = 0;
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    std::filesystem::path dir_, old_ = std::filesystem::current_path();
};

inline BookRecord KeyWith(int8_t bookClass, int32_t weight) {
    BookRecord r = CurrentBookKey();
    r.bookClass = bookClass;
    r.weight = weight;
    return r;
}

// Sorts the records, puts the header in front and writes the file.
inline void WriteBook(const std::string &name, std::vector<BookRecord> records) {
    std::sort(records.begin(), records.end(), BookKeyLess);
    records.insert(records.begin(), BookHeaderRecord());
    EXPECT_EQ(Output([&] { SaveBook(name.c_str(), records.data(), int64_t(records.size())); }),
              "Saved " + std::to_string(records.size()) + " positions\n");
}

inline std::string ReadFileBytes(const std::string &name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const std::string &name, const std::string &bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

inline std::string Load(const std::string &name, int &file, int64_t &size) {
    return Output([&] { LoadBook(name.c_str(), file, size); });
}

// Sets up fen and plays algebraic moves ("e4 e5") from it.
inline void PlaySan(const std::string &moves, const char *fen = StartPosition) {
    EXPECT_TRUE(SetupPosition(fen));
    std::istringstream in(moves);
    for (std::string san; in >> san;) {
        const Move m = ParseSanMove(san.data(), 1, SanReading::Loose);
        ASSERT_NE(m, 0u) << san;
        SelectMoveFunctions();
        MakeMove(SideToMove, RootInCheck, 0, m);
        SideToMove ^= 1;
        EpSquare = EpSquareAfter(m);
        RootInCheck = SideInCheck(SideToMove);
    }
}

// The record of the position after algebraic moves from fen in an open book.
inline BookRecord RecordAfter(int file, int64_t size, const std::string &moves, const char *fen = StartPosition) {
    PlaySan(moves, fen);
    return ProbeBook(file, size);
}

// Legal moves with distinct scores in generation order, as the root hands
// them over; `repeat` (coordinate text) repeats a game position.
inline std::vector<MoveEntry> LegalList(const std::string &repeat = "") {
    MoveEntry list[MoveListSize];
    std::vector<MoveEntry> out;
    SelectMoveFunctions();
    for (MoveEntry *e = list, *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare); e < end; ++e)
        if (MakeMove(SideToMove, RootInCheck, 0, e->move)) {
            UnmakeMove(SideToMove, e->move);
            out.push_back({e->move, Text(e->move) == repeat ? RepeatingMoveScore : int32_t(1000 - out.size())});
        }
    return out;
}

// The root's book lookup: what it printed; `found` tells whether it chose a move (put first in the list).
inline std::string Lookup(std::vector<MoveEntry> &list, bool &found) {
    MoveEntry *b = list.data(), *e = b + list.size(), *r = nullptr;
    const std::string out = Output([&] { r = SideToMove == White ? BookLookupWhite(b, e) : BookLookupBlack(b, e); });
    EXPECT_TRUE(r == e || r == b + 1);
    found = r == b + 1;
    return out;
}

// What a builder wrote to its message stream while f(stream) ran.
template <class F> std::string Messages(F f) {
    testing::internal::CaptureStderr();
    f(stderr);
    return testing::internal::GetCapturedStderr();
}

// Games after `opening` in which each side pushes its eight pawns one or two squares in random order.
inline std::string PawnGames(int games, uint32_t seed, const std::string &opening) {
    std::mt19937 rng(seed);
    std::string text;
    for (int game = 0; game < games; ++game) {
        std::string files[2] = {"abcdefgh", "abcdefgh"};
        for (std::string &order : files)
            std::shuffle(order.begin(), order.end(), rng);
        text += opening;
        for (int ply = 0; ply < 16; ++ply)
            text += (ply % 2 ? "" : "1. ") + std::string{files[ply % 2][size_t(ply / 2)]} +
                    char(ply % 2 ? '6' - rng() % 2 : '3' + rng() % 2) + " ";
        text += "*\n";
    }
    return text;
}

} // namespace booktest
