// Book internals shared by the lookup, the style book converter and the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "book/Book.h"

constexpr char BookHeaderText[] = "Book for chess engine Morvane";
static_assert(sizeof(BookHeaderText) <= sizeof(BookRecord), "the header text fits in record 0");

// Key of the current position: Board and SideToMove packed into a record
// (class 0, weight 0).
BookRecord CurrentBookKey();
// Key order of the files: the 33 key bytes compared in order as signed bytes.
int CompareBookKeys(const BookRecord &a, const BookRecord &b);
inline bool BookKeyLess(const BookRecord &a, const BookRecord &b) { return CompareBookKeys(a, b) < 0; }

void EncodeBookRecord(const BookRecord &record, uint8_t bytes[BookRecordSize]);
BookRecord DecodeBookRecord(const uint8_t bytes[BookRecordSize]);
BookRecord AbsentBookRecord();
// Binary search of records 1..N-1 for the current position; false when absent.
bool FindBookRecord(int file, int64_t size, BookRecord &found);
BookRecord BookHeaderRecord();

// Writes a book file: the u32 count and count records (record 0 the header).
// Prints "Saved N positions". The file is replaced in one step, so a book that
// is open keeps its old contents. Returns false (with an ERROR line) when the
// file could not be written.
bool SaveBook(const char *fileName, const BookRecord *records, int64_t count);
// The same without any output; false when the file could not be written.
bool WriteBookFile(const char *fileName, const BookRecord *records, int64_t count);
// Writes a file under a temporary name beside it, flushes it to disk and
// renames it over `fileName` in one step: a failed write leaves the old file,
// and a reader that has it open keeps reading the old contents. `write` fills
// the stream and says whether it succeeded. errno is that of the failure.
bool ReplaceFile(const char *fileName, const std::function<bool(std::FILE *)> &write);

// The in-memory style book of a conversion: record 0 the header, 1..count-1
// the positions in first-seen order, found through an open-addressing index
// and sorted by key when saved. It owns its two blocks and frees them when
// it goes out of scope.
struct StyleBookBuffer {
    BookRecord *records = nullptr;
    int64_t count = 0;         // records in use, header included
    int64_t capacity = 0;      // records allocated
    int64_t growth = 0;        // records added when full
    uint32_t *index = nullptr; // slot -> record number, 0 = free
    uint64_t indexMask = 0;

    StyleBookBuffer() = default;
    StyleBookBuffer(const StyleBookBuffer &) = delete;
    StyleBookBuffer &operator=(const StyleBookBuffer &) = delete;
    ~StyleBookBuffer();
};

// Adds the current position with the style class of the move that led to it
// (the mover is the side not to move), or updates its record. Returns false
// when memory for growing ran out.
bool StyleBookInsert(StyleBookBuffer &book, int8_t bookClass);

// The conversion with its capacities, input size limit and output file as
// parameters (the result is that of ConvertStyleBookFile). Annotated game
// files are written by hand: far smaller than the limit, which only stops an
// endless or runaway input.
constexpr uint64_t StyleBookInputLimit = 512ull << 20;
bool ConvertStyleBookTo(const char *gameFile, const char *bookFile, int64_t initialCapacity, int64_t growth,
                        uint64_t inputLimit = StyleBookInputLimit);

// The lookup proper; `listing` is the "book" command's run, which shows the
// book moves but neither counts misses nor is skipped by them.
template <Color Us> MoveEntry *RunBookLookup(MoveEntry *begin, MoveEntry *end, bool listing);
