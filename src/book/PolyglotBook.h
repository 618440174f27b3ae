// Polyglot opening books (".bin"): the 64-bit position key, the 16-byte
// entries, and the reader that probes an open book by binary search. A
// polyglot book named by the BookFile setting stands in for the main book at
// the root; the style book keeps its role.
#pragma once

#include <cstdint>
#include <string>

#include "board/Board.h"

constexpr int PolyglotRandomCount = 781;
// The published key numbers (PolyglotRandom.cpp).
extern const uint64_t PolyglotRandom[PolyglotRandomCount];

// Key of the current position: pieces, castling rights, the en-passant file
// when a pawn of the side to move stands beside the pawn that just made a
// double step (EpSquare), and the side to move.
uint64_t PolyglotKey();

// One entry as it lies in the file: 16 bytes, big-endian.
constexpr int64_t PolyglotEntrySize = 16;
struct PolyglotEntry {
    uint64_t key = 0;
    uint16_t move = 0;
    uint16_t weight = 0;
    uint32_t learn = 0;
};
void EncodePolyglotEntry(const PolyglotEntry &entry, uint8_t bytes[PolyglotEntrySize]);
PolyglotEntry DecodePolyglotEntry(const uint8_t bytes[PolyglotEntrySize]);

// The polyglot move word of a move of the current position (castling as the
// king onto its own rook), and the legal move of the current position that a
// polyglot move word names, 0 when none.
uint16_t PolyglotMoveOf(Move m);
Move LegalMoveFromPolyglot(uint16_t move);

// The open polyglot book: the file stays open, entries are read one at a time.
struct PolyglotBookFile {
    int file = -1;
    int64_t entries = 0;
    std::string name; // as the user gave it
};
extern PolyglotBookFile PolyglotBook;

// Opens `path` as a polyglot book after checking it: a regular, readable,
// non-empty file of whole entries in key order. On failure returns false with
// the reason in `problem` and leaves `book` closed.
bool OpenPolyglotBook(const char *path, PolyglotBookFile &book, std::string &problem);
void ClosePolyglotBook(PolyglotBookFile &book);
// The BookFile setting: closes the book in use, then opens `name` (nothing
// for an empty name; a bare file name is also looked for where the engine is
// installed). Prints "found N entries in polyglot book NAME" or one
// "WARNING: polyglot book NAME not used: REASON" line. True when a book is open.
bool LoadPolyglotBook(const std::string &name);
inline bool PolyglotBookOpen() { return PolyglotBook.file >= 0; }

// The entries of `key` in file order, at most `max`; returns how many.
int ProbePolyglotBook(const PolyglotBookFile &book, uint64_t key, PolyglotEntry *out, int max);

// The book's legal moves in the current position with their weights (entries
// naming the same move add up; entries that name no legal move are skipped).
struct PolyglotMove {
    Move move;
    uint32_t weight;
};
int PolyglotBookMoves(const PolyglotBookFile &book, PolyglotMove *out, int max);

// The book's entries for the root position, read before the root lookup
// looks at the positions after each move: the weight of a root move is the
// sum of the entries that name it (castling in either form).
struct PolyglotRootEntries {
    static constexpr int Max = MaxMoves;
    uint16_t plain[Max];
    uint16_t weight[Max];
    int count = 0;
    void Read(); // from PolyglotBook, for the current position
    uint32_t WeightOf(Move m) const;
};
