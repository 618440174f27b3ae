// Opening books: the main book "Morvane.book" and the style book
// "MVstyle.book", one binary record format, read straight from the open files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "board/Board.h"

// One 40-byte book record as it lies in the file (little-endian). The first
// 33 bytes are the key: the 64 squares two per byte, then the side to move.
struct BookRecord {
    uint8_t board[32]; // byte 4 * (rank - 1) + k: file 2k + 1 low nibble, file 2k + 2 high nibble
    uint8_t side;      // side to move in the position: 0 white, 1 black
    int8_t bookClass;  // style class 0, 1, 2 or 4; -1 in the absent record
    uint8_t reserved[2];
    int32_t weight; // -1 in the absent record
};
static_assert(sizeof(BookRecord) == 40, "book records are 40 bytes");
static_assert(offsetof(BookRecord, side) == 32 && offsetof(BookRecord, bookClass) == 33, "book record layout");
static_assert(offsetof(BookRecord, weight) == 36, "book record layout");

constexpr int64_t BookRecordSize = 40;

// Style classes of the position after a move: class 0 marks a position good
// for White to have reached, class 1 one good for Black.
constexpr int8_t WhiteGoodClass = 0;
constexpr int8_t BlackGoodClass = 1;
constexpr int8_t NeutralClass = 2;
constexpr int8_t CompulsoryClass = 4;
constexpr int8_t GoodClassFor(uint32_t side) { return side == White ? WhiteGoodClass : BlackGoodClass; }
constexpr int BookKeySize = 33;

// Open book files (-1 when closed) and their data sizes in bytes (file length
// minus the 4-byte count). A book with fewer than two records answers nothing,
// so setting a size to 1 silences a book (the bench does).
extern int MainBookFile;
extern int64_t MainBookSize;
extern int StyleBookFile;
extern int64_t StyleBookSize;

// Consecutive root positions without a book move; from 3 on the book is no
// longer asked. ClearSearchMemory sets it to 0.
extern uint32_t BookMisses;

// Opens a book and prints "found N positions in opening book". A missing
// file prints "WARNING: <shownName> missing, <missingLine>", one that
// cannot be read (a directory) "ERROR: cannot read <shownName>", and only a
// file of the wrong length the damaged-book line. Such a book answers
// nothing (size 0).
void LoadBook(const char *fileName, int &file, int64_t &size, const char *shownName, const char *missingLine);
void LoadBook(const char *fileName, int &file, int64_t &size);
// Start-up: loads the named file as the main book (styleBook 0) or the style
// book (1). The caller prints the "Reading ... book..." line before. The main
// book is taken from the working directory when it is there, else from
// beside the executable, else from <executable dir>/../share/morvane.
void LoadBookFile(const char *fileName, uint32_t styleBook);
// The file `name` in the working directory if it exists (or cannot be
// checked), else the first of <exe dir>/name and
// <exe dir>/../share/<shareDirectory>/name that exists, else `name`.
std::string InstalledFilePath(const char *name, const char *shareDirectory);

// Record of the current position (Board and SideToMove), or the absent record
// (class -1, weight -1).
BookRecord ProbeBook(int file, int64_t size);

// Root book lookup over a list of legal moves. Returns begin + 1 with the
// book's choice in the first slot, or end with the list untouched when the
// books have no move.
template <Color Us> MoveEntry *BookLookup(MoveEntry *begin, MoveEntry *end);
inline MoveEntry *BookLookupWhite(MoveEntry *b, MoveEntry *e) { return BookLookup<White>(b, e); }
inline MoveEntry *BookLookupBlack(MoveEntry *b, MoveEntry *e) { return BookLookup<Black>(b, e); }

// The "book" command: "List of book moves", the book moves of the current
// position with their shares, "end of list".
void ListBookMoves();

// Annotated games in the named file to "MVstyle.book". Returns true when
// games were replayed, which leaves some position on the board: the caller
// starts a new game then.
bool ConvertStyleBookFile(const char *fileName);

// Pseudo-random numbers 0..32767 for the book's choice. The shell seeds once
// at start-up.
void SeedRandomNumbers(uint32_t seed);
uint32_t RandomNumber();
