// Endgame table list and index functions.
//
// Every table file stores one byte per position of its endgame with one side
// to move; the index functions here compute at which offset a position sits.
// Squares in this module are 0..63 with a1 = 0, h1 = 7, a8 = 56, h8 = 63.
#pragma once

#include <cstdint>
#include <cstdio>

// One side's pieces as the index functions read them. Entries 0..3 hold the
// kinds (6 king, 1 pawn, 2 knight, 3 bishop, 4 rook, 5 queen), entries 4..7
// the squares in the same order: the king first, then the pieces with pawns
// first, then knights, bishops, rooks and queens.
using TbSquareArray = uint32_t[8];

enum : uint32_t { TbPawn = 1, TbKnight = 2, TbBishop = 3, TbRook = 4, TbQueen = 5, TbKing = 6 };

// Piece kind of a letter of a table name ("kqkr"), 0 for the kings and others.
constexpr uint32_t KindOfLetter(char c) {
    switch (c) {
    case 'p':
        return TbPawn;
    case 'n':
        return TbKnight;
    case 'b':
        return TbBishop;
    case 'r':
        return TbRook;
    case 'q':
        return TbQueen;
    default:
        return 0;
    }
}

constexpr uint32_t TbNoEpSquare = 64;
constexpr int TbTableCount = 111; // id 0 is the unused "kk" placeholder
constexpr int TbBucketCount = 32;

// white: the array of the side the table calls white; black: the other one;
// ep: en-passant target square or 64; reversed: 1 when the real colours are
// swapped relative to the table (ranks are then mirrored for pawns).
using TbIndexFunction = uint32_t (*)(const uint32_t *white, const uint32_t *black, uint32_t ep, uint32_t reversed);

struct TbCacheEntry;

struct TbDescriptor {
    int32_t id;
    TbIndexFunction indexFunction[2]; // white to move, black to move
    char name[8];
    uint32_t expectedLength[2]; // file size in bytes per side to move
    char *fileName[2];          // registered file, null when not registered
    std::FILE *file[2];         // opened lazily by the cache
    TbCacheEntry **buckets[2];  // TbBucketCount bucket heads per registered file
};

// The table list itself (TbDescriptors) is declared with the tablebase's
// other state in tablebase/TablebaseAccess.h.

// Builds the king-pair, placement and offset tables (once per process).
void InitIndexTables();
