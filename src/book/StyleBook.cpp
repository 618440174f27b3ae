// The style book converter: replays annotated games and records, for every
// position reached, how the annotator judged the move that led to it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/Attack.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "book/BookFormat.h"
#include "book/PgnReader.h"

namespace {

constexpr int64_t StyleBookCapacity = 1000000;
constexpr int64_t StyleBookGrowth = 100000;
// Annotated game files are written by hand: far smaller than these limits,
// which only stop an endless or runaway input.
constexpr int64_t StyleBookPositionLimit = 20000000;

constexpr int32_t GoodWeight = 7;
constexpr int32_t NeutralWeight = 2;

int64_t AddWeight(int64_t weight, int64_t amount) {
    const int64_t sum = weight + amount;
    return sum > INT32_MAX ? INT32_MAX : sum;
}

uint64_t KeyHash(const BookRecord &key) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 32; ++i)
        h = (h ^ key.board[i]) * 1099511628211ull;
    h = (h ^ key.side) * 1099511628211ull;
    return h ^ (h >> 29);
}

bool SameKey(const BookRecord &a, const BookRecord &b) {
    return a.side == b.side && std::memcmp(a.board, b.board, 32) == 0;
}

// Index of record numbers by key; sized to at least twice the capacity.
bool BuildIndex(StyleBookBuffer &book) {
    uint64_t slots = 1024;
    while (slots < uint64_t(2 * book.capacity))
        slots *= 2;
    uint32_t *index = static_cast<uint32_t *>(std::calloc(slots, sizeof(uint32_t)));
    if (!index) return false;
    std::free(book.index);
    book.index = index;
    book.indexMask = slots - 1;
    for (int64_t n = 1; n < book.count; ++n) {
        uint64_t slot = KeyHash(book.records[n]) & book.indexMask;
        while (book.index[slot] != 0)
            slot = (slot + 1) & book.indexMask;
        book.index[slot] = uint32_t(n);
    }
    return true;
}

// Fills a new, empty buffer; false when the memory is not there (what was
// taken goes with the buffer).
bool AllocateStyleBook(StyleBookBuffer &book, int64_t capacity, int64_t growth) {
    if (capacity < 2 || capacity > INT32_MAX / 4) return false;
    book.records = static_cast<BookRecord *>(std::malloc(size_t(capacity) * sizeof(BookRecord)));
    if (!book.records) return false;
    book.capacity = capacity;
    book.growth = growth < 1 ? 1 : growth;
    book.records[0] = BookHeaderRecord();
    book.count = 1;
    return BuildIndex(book);
}

bool GrowStyleBook(StyleBookBuffer &book) {
    std::printf("reallocate memory for style book \n");
    std::fflush(stdout);
    const int64_t capacity = book.capacity + book.growth;
    if (capacity > INT32_MAX / 4) return false;
    BookRecord *records = static_cast<BookRecord *>(std::malloc(size_t(capacity) * sizeof(BookRecord)));
    if (!records) return false;
    std::memcpy(records, book.records, size_t(book.count) * sizeof(BookRecord));
    std::free(book.records);
    book.records = records;
    book.capacity = capacity;
    if (uint64_t(2 * capacity) > book.indexMask + 1) return BuildIndex(book);
    return true;
}

enum class Annotation { None, Good, Bad, Compulsory };

// The class of the marks cut off a move token: "!" good, "?" bad, "!!" and
// "!?" compulsory. "??" (a blunder) and "?!" (a dubious move) count as bad;
// any other run of marks as no annotation.
Annotation AnnotationOf(const char *marks) {
    const std::string m = marks;
    if (m.empty()) return Annotation::None;
    if (m == "!") return Annotation::Good;
    if (m == "?" || m == "??" || m == "?!") return Annotation::Bad;
    if (m == "!!" || m == "!?") return Annotation::Compulsory;
    return Annotation::None;
}

int8_t ClassOf(Annotation a, uint32_t mover) {
    switch (a) {
    case Annotation::Good:
        return GoodClassFor(mover);
    case Annotation::Bad:
        return GoodClassFor(mover ^ 1);
    case Annotation::Compulsory:
        return CompulsoryClass;
    case Annotation::None:
        break;
    }
    return NeutralClass;
}

// Between games only the position matters; when the conversion ends the
// engine is left in a new game.
void SetUpInitialPosition() { SetupPosition(StartPosition); }

// Plays the move named by a standard algebraic token; false when the token
// names no legal move of the current position.
bool PlayTokenMove(const char *token) {
    const size_t length = std::strlen(token);
    if (length == 0 || length > 31) return false;
    char text[32];
    std::memcpy(text, token, length + 1);
    const Move move = ParseSanMove(text, 1);
    if (move == 0) return false;
    SelectMoveFunctions();
    const uint32_t mover = SideToMove;
    if (!MakeMove(mover, RootInCheck, 0, move)) return false; // leaves its own king in check
    SideToMove = mover ^ 1;
    EpSquare = EpSquareAfter(move);
    RootInCheck = SideInCheck(SideToMove);
    return true;
}

} // namespace

bool StyleBookInsert(StyleBookBuffer &book, int8_t bookClass) {
    const BookRecord key = CurrentBookKey();
    const uint32_t mover = SideToMove ^ 1;
    const bool good = bookClass == GoodClassFor(mover);
    uint64_t slot = KeyHash(key) & book.indexMask;
    while (book.index[slot] != 0) {
        BookRecord &record = book.records[book.index[slot]];
        if (SameKey(record, key)) {
            if (bookClass == NeutralClass) {
                record.weight = int32_t(AddWeight(record.weight, NeutralWeight));
            } else {
                record.bookClass = bookClass;
                if (good) record.weight = int32_t(AddWeight(record.weight, GoodWeight));
            }
            return true;
        }
        slot = (slot + 1) & book.indexMask;
    }
    BookRecord &record = book.records[book.count];
    record = key;
    record.bookClass = bookClass;
    record.weight = good ? GoodWeight : bookClass == NeutralClass ? NeutralWeight : 0;
    book.index[slot] = uint32_t(book.count);
    book.count += 1;
    if (book.count >= book.capacity) return GrowStyleBook(book);
    return true;
}

StyleBookBuffer::~StyleBookBuffer() {
    std::free(records);
    std::free(index);
}

bool ReplaceFile(const char *fileName, const std::function<bool(std::FILE *)> &write) {
    std::string temporary = std::string(fileName) + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    fchmod(fd, 0644);
    std::FILE *out = fdopen(fd, "wb");
    if (!out) {
        const int error = errno;
        close(fd);
        std::remove(temporary.c_str());
        errno = error;
        return false;
    }
    bool ok = write(out);
    ok = ok && std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    ok = (std::fclose(out) == 0) && ok;
    ok = ok && std::rename(temporary.c_str(), fileName) == 0;
    if (!ok) {
        const int error = errno;
        std::remove(temporary.c_str());
        errno = error;
    }
    return ok;
}

bool WriteBookFile(const char *fileName, const BookRecord *records, int64_t count) {
    if (count < 1 || count > int64_t(UINT32_MAX)) return false;
    return ReplaceFile(fileName, [&](std::FILE *out) {
        const uint32_t n = uint32_t(count);
        const uint8_t head[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
        bool ok = std::fwrite(head, 1, 4, out) == 4;
        uint8_t bytes[BookRecordSize];
        for (int64_t i = 0; ok && i < count; ++i) {
            EncodeBookRecord(records[i], bytes);
            ok = std::fwrite(bytes, 1, BookRecordSize, out) == size_t(BookRecordSize);
        }
        return ok;
    });
}

bool SaveBook(const char *fileName, const BookRecord *records, int64_t count) {
    const bool ok = WriteBookFile(fileName, records, count);
    if (ok)
        std::printf("Saved %lld positions\n", static_cast<long long>(count));
    else
        std::printf("ERROR: cannot write %s\n", fileName);
    std::fflush(stdout);
    return ok;
}

namespace {

void Say(const char *line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// How replaying a game file ended.
enum class Replay {
    Done,        // the whole file was read
    BadMove,     // a token named no move: said so
    OutOfMemory, // the book could not grow: said so
    Failed,      // the reading failed or went too far: the reason is given back
};

// Replays the games of the file, every position reached into the book.
Replay ReplayGames(PgnReader &in, StyleBookBuffer &book, uint64_t inputLimit, const char *&failure) {
    SetUpInitialPosition();
    uint32_t tags = 0;
    for (PgnToken token = in.Next(); token != PgnToken::End; token = in.Next()) {
        switch (token) {
        case PgnToken::Tag:
            // Every tag pair starts the game again from the initial position.
            ++tags;
            std::printf("%u\r", tags);
            std::fflush(stdout);
            SetUpInitialPosition();
            break;
        case PgnToken::Result: // the game is over; a next one starts afresh
            SetUpInitialPosition();
            break;
        case PgnToken::Move: {
            SpellCastlingWithLetters(in.text);
            char marks[4];
            StripMoveMarks(in.text, marks, false);
            const uint32_t mover = SideToMove;
            if (!PlayTokenMove(in.text)) {
                std::printf("ERROR: bad style book, line %llu\n", 2ull * tags);
                std::fflush(stdout);
                return Replay::BadMove;
            }
            if (book.count >= StyleBookPositionLimit) {
                failure = "too many positions";
                return Replay::Failed;
            }
            if (!StyleBookInsert(book, ClassOf(AnnotationOf(marks), mover))) {
                Say("Not enough memory");
                return Replay::OutOfMemory;
            }
            break;
        }
        case PgnToken::ReadError:
            failure = "read error";
            return Replay::Failed;
        case PgnToken::Binary:
            failure = "not a text file";
            return Replay::Failed;
        case PgnToken::TooLarge:
            failure = inputLimit == StyleBookInputLimit ? "larger than 512 MB" : "larger than the limit";
            return Replay::Failed;
        case PgnToken::End:
            break;
        }
    }
    return Replay::Done;
}

} // namespace

bool ConvertStyleBookTo(const char *gameFile, const char *bookFile, int64_t initialCapacity, int64_t growth,
                        uint64_t inputLimit) {
    // Step 1. The game file; unreadable: nothing printed, nothing written.
    PgnReader in;
    in.maxBytes = inputLimit;
    if (!in.Open(gameFile)) return false;
    Say("Converting style book...");

    // Step 2. The records, freed on every way out.
    StyleBookBuffer book;
    if (!AllocateStyleBook(book, initialCapacity, growth)) {
        Say("Not enough memory");
        return false;
    }

    // Step 3. The games. Whatever goes wrong, an existing style book stays
    // as it was.
    const char *failure = nullptr;
    switch (ReplayGames(in, book, inputLimit, failure)) {
    case Replay::Done:
        break;
    case Replay::BadMove:
    case Replay::OutOfMemory:
        return true;
    case Replay::Failed:
        std::printf("ERROR: cannot convert %s (%s), %s not changed\n", gameFile, failure, bookFile);
        std::fflush(stdout);
        return true;
    }
    if (book.count <= 1) {
        std::printf("WARNING: no moves found in %s, %s not changed\n", gameFile, bookFile);
        std::fflush(stdout);
        return true;
    }

    // Step 4. The book, sorted by key.
    std::printf("Style book succesfull converted (%lld pos)\n", static_cast<long long>(book.count));
    std::fflush(stdout);
    std::sort(book.records + 1, book.records + book.count, BookKeyLess);
    SaveBook(bookFile, book.records, book.count);
    return true;
}

bool ConvertStyleBookFile(const char *fileName) {
    return ConvertStyleBookTo(fileName, "MVstyle.book", StyleBookCapacity, StyleBookGrowth, StyleBookInputLimit);
}
