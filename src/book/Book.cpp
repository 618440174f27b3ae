// Book files: loading, the key of the current position, probing by binary
// search, the root lookup with its weighted random choice, and the "book"
// listing.
#include "book/Book.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "board/MoveGenerator.h"
#include "board/MoveText.h"
#include "book/BookFormat.h"
#include "book/PolyglotBook.h"

int MainBookFile = -1;
int64_t MainBookSize = 0;
int StyleBookFile = -1;
int64_t StyleBookSize = 0;
uint32_t BookMisses = 0;

// ---------------------------------------------------------------------------
// Records and keys

BookRecord CurrentBookKey() {
    BookRecord key{};
    for (int rank = 1; rank <= 8; ++rank) {
        for (int k = 0; k < 4; ++k) {
            const uint32_t low = Board[SquareOf(2 * k + 1, rank)].piece & 0xf;
            const uint32_t high = Board[SquareOf(2 * k + 2, rank)].piece & 0xf;
            key.board[4 * (rank - 1) + k] = uint8_t(low | (high << 4));
        }
    }
    key.side = uint8_t(SideToMove & 1);
    return key;
}

int CompareBookKeys(const BookRecord &a, const BookRecord &b) {
    uint8_t ka[BookKeySize], kb[BookKeySize];
    std::memcpy(ka, a.board, 32);
    std::memcpy(kb, b.board, 32);
    ka[32] = a.side;
    kb[32] = b.side;
    for (int i = 0; i < BookKeySize; ++i) {
        // The files are sorted by signed bytes: a black piece in the high
        // nibble makes a byte negative. Plain char is not signed everywhere.
        const int32_t x = static_cast<int8_t>(ka[i]);
        const int32_t y = static_cast<int8_t>(kb[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

void EncodeBookRecord(const BookRecord &record, uint8_t bytes[BookRecordSize]) {
    std::memcpy(bytes, record.board, 32);
    bytes[32] = record.side;
    bytes[33] = static_cast<uint8_t>(record.bookClass);
    bytes[34] = record.reserved[0];
    bytes[35] = record.reserved[1];
    const uint32_t w = static_cast<uint32_t>(record.weight);
    for (int i = 0; i < 4; ++i)
        bytes[36 + i] = uint8_t(w >> (8 * i));
}

BookRecord DecodeBookRecord(const uint8_t bytes[BookRecordSize]) {
    BookRecord record{};
    std::memcpy(record.board, bytes, 32);
    record.side = bytes[32];
    record.bookClass = static_cast<int8_t>(bytes[33]);
    record.reserved[0] = bytes[34];
    record.reserved[1] = bytes[35];
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i)
        w |= uint32_t(bytes[36 + i]) << (8 * i);
    record.weight = static_cast<int32_t>(w);
    return record;
}

BookRecord AbsentBookRecord() {
    BookRecord record{};
    record.bookClass = -1;
    record.weight = -1;
    return record;
}

BookRecord BookHeaderRecord() {
    BookRecord record{};
    std::memcpy(&record, BookHeaderText, sizeof(BookHeaderText));
    return record;
}

// ---------------------------------------------------------------------------
// Loading and probing

void LoadBook(const char *fileName, int &file, int64_t &size, const char *shownName, const char *missingLine) {
    if (file >= 0) close(file);
    file = open(fileName, O_RDONLY | O_CLOEXEC);
    size = 0;
    const int openError = file < 0 ? errno : 0;
    struct stat info {};
    const bool regular = file >= 0 && fstat(file, &info) == 0 && S_ISREG(info.st_mode);
    if (regular) size = int64_t(info.st_size) - 4;
    if (regular && size >= 0 && size % BookRecordSize == 0) {
        std::printf("found %lld positions in opening book\n", static_cast<long long>(size / BookRecordSize));
    } else {
        // Only a file that is there and damaged is called damaged.
        if (openError == ENOENT || openError == ENOTDIR)
            // Never "not found": xboard takes an engine that prints those
            // words for one that failed to start, and gives up on it.
            std::printf("WARNING: %s missing, %s\n", shownName, missingLine);
        else if (!regular)
            std::printf("ERROR: cannot read %s\n", shownName);
        else
            std::printf("ERROR: opening book was damaged\n");
        if (file >= 0) close(file);
        file = -1;
        size = 0;
    }
    std::fflush(stdout);
}

void LoadBook(const char *fileName, int &file, int64_t &size) {
    LoadBook(fileName, file, size, fileName, "no opening book");
}

std::string InstalledFilePath(const char *name, const char *shareDirectory) {
    const std::string here = name;
    struct stat info {};
    if (stat(here.c_str(), &info) == 0 || errno != ENOENT) return here;
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return here;
    exe[n] = 0;
    std::string dir(exe);
    dir.erase(dir.rfind('/') + 1);
    for (const std::string &candidate : {dir + name, dir + "../share/" + shareDirectory + "/" + name})
        if (stat(candidate.c_str(), &info) == 0) return candidate;
    return here;
}

void LoadBookFile(const char *fileName, uint32_t styleBook) {
    if (styleBook) {
        LoadBook(fileName, StyleBookFile, StyleBookSize, fileName, "no style book");
    } else {
        // The main book of the working directory, else the one that came with
        // the engine.
        const std::string path = InstalledFilePath(fileName, "morvane");
        LoadBook(path.c_str(), MainBookFile, MainBookSize, fileName, "no opening book");
    }
}

static bool ReadBookRecord(int file, int64_t number, BookRecord &record) {
    uint8_t bytes[BookRecordSize];
    const off_t offset = off_t(4 + number * BookRecordSize);
    int64_t done = 0;
    while (done < BookRecordSize) {
        const ssize_t got = pread(file, bytes + done, size_t(BookRecordSize - done), offset + off_t(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false; // file shrank or failed: treat as absent
        done += got;
    }
    record = DecodeBookRecord(bytes);
    return true;
}

bool FindBookRecord(int file, int64_t size, BookRecord &found) {
    const int64_t records = size / BookRecordSize; // header included
    if (file < 0 || records < 2) return false;
    const BookRecord key = CurrentBookKey();
    // Records 1..records-1 only: record 0 is the header and never compared.
    int64_t low = 1, high = records - 1;
    while (low <= high) {
        const int64_t mid = low + (high - low) / 2;
        BookRecord record;
        if (!ReadBookRecord(file, mid, record)) break;
        const int order = CompareBookKeys(key, record);
        if (order == 0) {
            found = record;
            return true;
        }
        if (order < 0)
            high = mid - 1;
        else
            low = mid + 1;
    }
    return false;
}

BookRecord ProbeBook(int file, int64_t size) {
    BookRecord record;
    return FindBookRecord(file, size, record) ? record : AbsentBookRecord();
}

// ---------------------------------------------------------------------------
// Random numbers: linear congruential, 15-bit results.

// Seeded from the clock already, in case start-up never seeds it; start-up
// seeds it again with the time in seconds.
static uint32_t RandomState = uint32_t(std::time(nullptr));

void SeedRandomNumbers(uint32_t seed) { RandomState = seed; }

uint32_t RandomNumber() {
    RandomState = RandomState * 214013u + 2531011u;
    return (RandomState >> 16) & 0x7fff;
}

// ---------------------------------------------------------------------------
// The root lookup

namespace {

constexpr int64_t GoodScore = 7;
constexpr int64_t NeutralScore = 1;
constexpr int64_t CompulsoryScore = 10;
constexpr int64_t MaxScore = INT32_MAX;
constexpr int64_t MaxTotal = 32000;
// A move scoring 1 counts as no book move, so a polyglot weight of 1 must
// lift it above that; 2 also puts polyglot weights (2 a win, 1 a draw) on the
// scale of the main book's (4 a win, 2 a draw).
constexpr int64_t PolyglotWeightScale = 2;

struct BookCandidate {
    Move move;
    int64_t score;
    bool repeat; // repeats a game position: kept out of both passes, never chosen
};

void RemoveCandidate(BookCandidate *work, int64_t &count, int64_t i) { work[i] = work[--count]; }

// The style book's judgement of the position each candidate leads to:
// illegal moves and moves into positions bad for Us go; a compulsory move
// leaves only the compulsory ones. The keys hold the side to move after the
// move (SideToMove is set so by the caller).
template <Color Us> void ScoreByStyleBook(BookCandidate *work, int64_t &count) {
    bool compulsory = false;
    for (int64_t i = 0; i < count;) {
        if (work[i].repeat) {
            ++i;
            continue;
        }
        if (!MakeMove(Us, RootInCheck, 0, work[i].move)) {
            RemoveCandidate(work, count, i); // illegal: never a book move
            continue;
        }
        BookRecord record;
        const bool present = FindBookRecord(StyleBookFile, StyleBookSize, record);
        UnmakeMove(Us, work[i].move);
        if (!present) {
            work[i].score = NeutralScore;
        } else if (record.bookClass == GoodClassFor(Us)) {
            work[i].score = GoodScore;
        } else if (record.bookClass == NeutralClass) {
            work[i].score = NeutralScore;
        } else if (record.bookClass == CompulsoryClass) {
            work[i].score = CompulsoryScore;
            compulsory = true;
        } else {
            RemoveCandidate(work, count, i);
            continue;
        }
        ++i;
    }
    if (!compulsory) return;
    for (int64_t i = 0; i < count;) {
        if (work[i].score != CompulsoryScore)
            RemoveCandidate(work, count, i);
        else
            ++i;
    }
}

// The main book's weight of the position reached multiplies the score; an
// open polyglot book (its entries read already) stands in for the main book.
template <Color Us> void WeighByMainBook(BookCandidate *work, int64_t count, const PolyglotRootEntries *polyglot) {
    for (int64_t i = 0; i < count; ++i) {
        if (work[i].repeat) continue;
        int64_t weight = 0;
        if (polyglot) {
            weight = PolyglotWeightScale * int64_t(polyglot->WeightOf(work[i].move));
        } else {
            if (!MakeMove(Us, RootInCheck, 0, work[i].move)) continue;
            weight = ProbeBook(MainBookFile, MainBookSize).weight;
            UnmakeMove(Us, work[i].move);
        }
        if (weight > 0) {
            const int64_t product = work[i].score * weight;
            work[i].score = product > MaxScore ? MaxScore : product;
        }
    }
}

// Keeps the moves some book speaks for (not merely neutral, no repetition),
// halving all scores until their total is at most MaxTotal; returns it.
int64_t KeepBookMoves(BookCandidate *work, int64_t &count) {
    for (int64_t i = 0; i < count; ++i)
        if (work[i].score == NeutralScore || work[i].repeat) work[i].score = 0;
    for (int64_t i = 0; i < count;) {
        if (work[i].score <= 0)
            RemoveCandidate(work, count, i);
        else
            ++i;
    }
    int64_t total = 0;
    for (int64_t i = 0; i < count; ++i)
        total += work[i].score;
    while (total > MaxTotal) {
        total = 0;
        for (int64_t i = 0; i < count; ++i) {
            work[i].score /= 2;
            total += work[i].score;
        }
    }
    return total;
}

// Best first; equal scores keep their order.
void SortByScore(BookCandidate *work, int64_t count) {
    for (int64_t i = 0; i < count; ++i)
        for (int64_t j = i + 1; j < count; ++j)
            if (work[j].score > work[i].score) {
                const BookCandidate t = work[i];
                work[i] = work[j];
                work[j] = t;
            }
}

// Each move with its chance in percent, to one decimal (rounded down).
void PrintChances(const BookCandidate *work, int64_t count, int64_t total) {
    for (int64_t i = 0; i < count; ++i) {
        char text[MoveTextSize + 8];
        MoveToText(text, work[i].move);
        const int64_t permille = 1000 * work[i].score / total;
        std::printf("%s\t%5g %%\n", text, double(permille) / 10.0);
    }
    std::fflush(stdout);
}

// A move drawn at random, each with the chance of its share of the total.
int64_t DrawByScore(const BookCandidate *work, int64_t count, int64_t total) {
    const int64_t r = int64_t(RandomNumber()) % total;
    int64_t sum = 0;
    for (int64_t i = 0; i < count; ++i) {
        sum += work[i].score;
        if (r < sum) return i;
    }
    return count - 1;
}

} // namespace

template <Color Us> MoveEntry *RunBookLookup(MoveEntry *begin, MoveEntry *end, bool listing) {
    if (!listing && BookMisses >= 3) return end;
    const auto miss = [&] {
        if (!listing) BookMisses += 1;
        return end;
    };
    // Step 1. The candidates, on a copy: when the books have no move the
    // caller's list must come back exactly as it went in.
    BookCandidate work[MoveListSize];
    int64_t count = end - begin;
    if (count <= 0) return end;
    if (count > MoveListSize) count = MoveListSize;
    for (int64_t i = 0; i < count; ++i)
        work[i] = {begin[i].move, begin[i].score, begin[i].score == RepeatingMoveScore};

    // Step 2. The books judge the positions after the moves, whose keys
    // hold the side to move then. A polyglot book's keys are those of the
    // position before the move, so it is read before the side flips.
    PolyglotRootEntries polyglot;
    const bool usePolyglot = PolyglotBookOpen();
    if (usePolyglot) polyglot.Read();
    const uint32_t savedSide = SideToMove;
    SideToMove = Opponent(Us);
    ScoreByStyleBook<Us>(work, count);
    WeighByMainBook<Us>(work, count, usePolyglot ? &polyglot : nullptr);
    SideToMove = savedSide;

    // Step 3. No move that some book speaks for: a miss.
    bool found = false;
    for (int64_t i = 0; i < count; ++i)
        if (work[i].score > NeutralScore && !work[i].repeat) found = true;
    if (!found) return miss();
    const int64_t total = KeepBookMoves(work, count);
    if (total <= 0) return miss(); // cannot happen after the checks above; never divide by 0

    // Step 4. The book moves are shown, best first; the listing ends here.
    SortByScore(work, count);
    PrintChances(work, count, total);
    if (listing) return end;

    // Step 5. One is drawn by its share and becomes the only move.
    const int64_t chosen = DrawByScore(work, count, total);
    begin[0].move = work[chosen].move;
    begin[0].score = int32_t(work[chosen].score);
    return begin + 1;
}

template <Color Us> MoveEntry *BookLookup(MoveEntry *begin, MoveEntry *end) {
    return RunBookLookup<Us>(begin, end, false);
}

template MoveEntry *BookLookup<White>(MoveEntry *, MoveEntry *);
template MoveEntry *BookLookup<Black>(MoveEntry *, MoveEntry *);
template MoveEntry *RunBookLookup<White>(MoveEntry *, MoveEntry *, bool);
template MoveEntry *RunBookLookup<Black>(MoveEntry *, MoveEntry *, bool);

void ListBookMoves() {
    std::printf("List of book moves\n");
    std::fflush(stdout);
    SelectMoveFunctions();
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    if (SideToMove == White)
        RunBookLookup<White>(list, end, true);
    else
        RunBookLookup<Black>(list, end, true);
    std::printf("end of list\n");
    std::fflush(stdout);
}
