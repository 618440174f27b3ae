// The style book converter: replays annotated games and records, for every
// position reached, how the annotator judged the move that led to it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/Attack.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "book/BookFormat.h"

namespace {

constexpr int64_t StyleBookCapacity = 1000000;
constexpr int64_t StyleBookGrowth = 100000;

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

bool AllocateStyleBook(StyleBookBuffer &book, int64_t capacity, int64_t growth) {
    book = StyleBookBuffer{};
    if (capacity < 2 || capacity > INT32_MAX / 4) return false;
    book.records = static_cast<BookRecord *>(std::malloc(size_t(capacity) * sizeof(BookRecord)));
    if (!book.records) return false;
    book.capacity = capacity;
    book.growth = growth < 1 ? 1 : growth;
    book.records[0] = BookHeaderRecord();
    book.count = 1;
    if (!BuildIndex(book)) {
        FreeStyleBook(book);
        return false;
    }
    return true;
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

// A tokenizer over the whole game text.
struct GameText {
    std::string text;
    size_t pos = 0;

    bool AtEnd() const { return pos >= text.size(); }
    char Peek() const { return text[pos]; }
    void SkipLine() {
        while (pos < text.size() && text[pos] != '\n')
            ++pos;
    }
    void SkipComment() { // at "{": to the closing brace or the end
        while (pos < text.size() && text[pos] != '}')
            ++pos;
        if (pos < text.size()) ++pos;
    }
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool EndsToken(char c) {
    return IsBlank(c) || c == '{' || c == '}' || c == '(' || c == ')' || c == ';' || c == '[' || c == ']' || c == '$';
}

// Skips a tag pair from its "[" to the "]" that closes it (one inside a quoted
// value does not count; a quoted value ends at the end of its line).
void SkipTag(GameText &in) {
    bool quoted = false;
    for (++in.pos; !in.AtEnd(); ++in.pos) {
        const char c = in.Peek();
        if (quoted) {
            if (c == '\\' && in.pos + 1 < in.text.size() && in.text[in.pos + 1] != '\n')
                ++in.pos;
            else if (c == '"' || c == '\n')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ']') {
            ++in.pos;
            return;
        }
    }
}

// Skips a variation from its "(" to the matching ")", with nested variations
// and comments inside.
void SkipVariation(GameText &in) {
    int depth = 0;
    while (!in.AtEnd()) {
        const char c = in.Peek();
        if (c == '{') {
            in.SkipComment();
            continue;
        }
        if (c == ';') {
            in.SkipLine();
            continue;
        }
        ++in.pos;
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) return;
    }
}

enum class Annotation { None, Good, Bad, Compulsory };

// Removes the trailing "!" and "?" marks of a move token and classifies them:
// "!" good, "?" bad, "!!" and "!?" compulsory. "??" (a blunder) and "?!" (a
// dubious move) count as bad; any other run of marks as no annotation.
Annotation TakeAnnotation(std::string &token) {
    size_t cut = token.size();
    while (cut > 0 && (token[cut - 1] == '!' || token[cut - 1] == '?'))
        --cut;
    const std::string marks = token.substr(cut);
    token.resize(cut);
    if (marks.empty()) return Annotation::None;
    if (marks == "!") return Annotation::Good;
    if (marks == "?" || marks == "??" || marks == "?!") return Annotation::Bad;
    if (marks == "!!" || marks == "!?") return Annotation::Compulsory;
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

bool IsResult(const std::string &token) {
    return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*";
}

// Between games only the position matters; when the conversion ends the
// engine is left in a new game.
void SetUpInitialPosition() { SetupPosition(StartPosition); }

// Plays the move named by a standard algebraic token; false when the token
// names no legal move of the current position.
bool PlayTokenMove(std::string &token) {
    if (token.empty() || token.size() > 31) return false;
    char text[32];
    std::memcpy(text, token.c_str(), token.size() + 1);
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

void FreeStyleBook(StyleBookBuffer &book) {
    std::free(book.records);
    std::free(book.index);
    book = StyleBookBuffer{};
}

bool SaveBook(const char *fileName, const BookRecord *records, int64_t count) {
    const std::string temporary = std::string(fileName) + ".new";
    bool ok = count >= 1 && count <= int64_t(UINT32_MAX);
    std::FILE *out = ok ? std::fopen(temporary.c_str(), "wb") : nullptr;
    if (out) {
        const uint32_t n = uint32_t(count);
        const uint8_t head[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
        ok = std::fwrite(head, 1, 4, out) == 4;
        uint8_t bytes[BookRecordSize];
        for (int64_t i = 0; ok && i < count; ++i) {
            EncodeBookRecord(records[i], bytes);
            ok = std::fwrite(bytes, 1, BookRecordSize, out) == size_t(BookRecordSize);
        }
        ok = (std::fclose(out) == 0) && ok;
        // Replace in one step: a book that is open keeps reading its old file.
        ok = ok && std::rename(temporary.c_str(), fileName) == 0;
        if (!ok) std::remove(temporary.c_str());
    } else {
        ok = false;
    }
    if (ok)
        std::printf("Saved %lld positions\n", static_cast<long long>(count));
    else
        std::printf("ERROR: cannot write %s\n", fileName);
    std::fflush(stdout);
    return ok;
}

bool ConvertStyleBookTo(const char *gameFile, const char *bookFile, int64_t initialCapacity, int64_t growth) {
    GameText in;
    {
        std::FILE *file = std::fopen(gameFile, "rb");
        if (!file) return false;
        char chunk[65536];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            in.text.append(chunk, got);
        std::fclose(file);
    }
    std::printf("Converting style book...\n");
    std::fflush(stdout);
    StyleBookBuffer book;
    if (!AllocateStyleBook(book, initialCapacity, growth)) {
        std::printf("Not enough memory\n");
        std::fflush(stdout);
        return false;
    }
    SetUpInitialPosition();
    uint32_t tags = 0;
    bool lineStart = true;
    for (;;) {
        while (!in.AtEnd() && IsBlank(in.Peek())) {
            lineStart = in.Peek() == '\n';
            ++in.pos;
        }
        if (in.AtEnd()) break;
        const char c = in.Peek();
        const bool escape = lineStart && c == '%';
        lineStart = false;
        if (escape || c == ';') { // escaped line, rest-of-line comment
            in.SkipLine();
            continue;
        }
        if (c == '{') {
            in.SkipComment();
            continue;
        }
        if (c == '(') {
            SkipVariation(in);
            continue;
        }
        if (c == ')' || c == '}' || c == ']') {
            ++in.pos;
            continue;
        }
        if (c == '[') {
            // Every tag pair starts the game again from the initial position.
            ++tags;
            std::printf("%u\r", tags);
            std::fflush(stdout);
            SetUpInitialPosition();
            SkipTag(in);
            continue;
        }
        if (c == '$') { // numeric annotation glyph
            ++in.pos;
            while (!in.AtEnd() && !EndsToken(in.Peek()))
                ++in.pos;
            continue;
        }
        const size_t start = in.pos;
        while (!in.AtEnd() && !EndsToken(in.Peek()))
            ++in.pos;
        std::string token = in.text.substr(start, in.pos - start);

        if (IsResult(token)) { // the game is over; a next one starts afresh
            SetUpInitialPosition();
            continue;
        }
        // Move numbers: "12." and "12..." alone or glued to the move.
        size_t digits = 0;
        while (digits < token.size() && token[digits] >= '0' && token[digits] <= '9')
            ++digits;
        if (digits > 0 && digits < token.size() && token[digits] == '.') {
            size_t dots = digits;
            while (dots < token.size() && token[dots] == '.')
                ++dots;
            token.erase(0, dots);
            if (token.empty()) continue;
        }
        // Castling written with zeros.
        if (token.rfind("0-0-0", 0) == 0)
            token.replace(0, 5, "O-O-O");
        else if (token.rfind("0-0", 0) == 0)
            token.replace(0, 3, "O-O");

        const Annotation annotation = TakeAnnotation(token);
        const uint32_t mover = SideToMove;
        if (!PlayTokenMove(token)) {
            std::printf("ERROR: bad style book, line %llu\n", 2ull * tags);
            std::fflush(stdout);
            FreeStyleBook(book);
            return true;
        }
        if (!StyleBookInsert(book, ClassOf(annotation, mover))) {
            std::printf("Not enough memory\n");
            std::fflush(stdout);
            FreeStyleBook(book);
            return true;
        }
    }
    std::printf("Style book succesfull converted (%lld pos)\n", static_cast<long long>(book.count));
    std::fflush(stdout);
    std::sort(book.records + 1, book.records + book.count, BookKeyLess);
    SaveBook(bookFile, book.records, book.count);
    FreeStyleBook(book);
    return true;
}

bool ConvertStyleBookFile(const char *fileName) {
    return ConvertStyleBookTo(fileName, "MVstyle.book", StyleBookCapacity, StyleBookGrowth);
}
