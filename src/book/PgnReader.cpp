// The streaming game-file reader.
#include "book/PgnReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool EndsWord(int c) {
    return c < 0 || IsBlank(c) || c == '{' || c == '}' || c == '(' || c == ')' || c == ';' || c == '[' || c == ']' ||
           c == '$' || c == '"';
}

bool IsResultText(const char *t) {
    return std::strcmp(t, "1-0") == 0 || std::strcmp(t, "0-1") == 0 || std::strcmp(t, "1/2-1/2") == 0 ||
           std::strcmp(t, "*") == 0;
}

} // namespace

bool PgnReader::Open(const char *fileName) {
    Close();
    bytesRead = 0;
    line = 1;
    readErrno = 0;
    pos_ = end_ = 0;
    eof_ = false;
    lineStart_ = true;
    failure_ = PgnToken::End;
    file_ = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (file_ < 0) return false;
    if (!Fill() && failure_ == PgnToken::ReadError) {
        Close();
        return false;
    }
    // A byte-order mark at the start is no part of the text.
    if (end_ >= 3 && std::memcmp(buffer_, "\xEF\xBB\xBF", 3) == 0) pos_ = 3;
    return true;
}

void PgnReader::Close() {
    if (file_ >= 0) ::close(file_);
    file_ = -1;
}

bool PgnReader::Fill() {
    if (failure_ != PgnToken::End || eof_ || file_ < 0) return false;
    for (;;) {
        const ssize_t got = readFunction ? readFunction(file_, buffer_, ChunkSize) : ::read(file_, buffer_, ChunkSize);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            readErrno = errno;
            failure_ = PgnToken::ReadError;
            return false;
        }
        if (got == 0) {
            eof_ = true;
            return false;
        }
        pos_ = 0;
        end_ = size_t(got);
        bytesRead += uint64_t(got);
        if (std::memchr(buffer_, 0, end_)) {
            failure_ = PgnToken::Binary;
            return false;
        }
        if (maxBytes > 0 && bytesRead > maxBytes) {
            failure_ = PgnToken::TooLarge;
            return false;
        }
        return true;
    }
}

int PgnReader::Peek() {
    if (pos_ >= end_ && !Fill()) return -1;
    if (failure_ != PgnToken::End) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

void PgnReader::Advance() {
    if (pos_ < end_) {
        if (buffer_[pos_] == '\n') ++line;
        lineStart_ = buffer_[pos_] == '\n';
        ++pos_;
    }
}

void PgnReader::SkipToLineEnd() {
    for (int c = Peek(); c >= 0 && c != '\n'; c = Peek())
        Advance();
}

void PgnReader::SkipComment() { // at "{": to the closing brace or the end
    Advance();
    for (int c = Peek(); c >= 0; c = Peek()) {
        Advance();
        if (c == '}') return;
    }
}

// From "(" to the matching ")", with nested variations and comments inside.
void PgnReader::SkipVariation() {
    int depth = 0;
    for (int c = Peek(); c >= 0; c = Peek()) {
        if (c == '{') {
            SkipComment();
            continue;
        }
        if (c == ';') {
            SkipToLineEnd();
            continue;
        }
        Advance();
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) return;
    }
}

size_t PgnReader::ReadWord(char *out, size_t max) {
    size_t n = 0;
    for (int c = Peek(); !EndsWord(c); c = Peek()) {
        if (n < max) out[n++] = char(c);
        Advance();
        if (n == max) break; // an overlong word comes out in pieces
    }
    out[n] = 0;
    return n;
}

// From "[" to the "]" that closes the tag pair; a "]" inside the quoted
// value does not count, and a quoted value ends at the end of its line.
void PgnReader::ReadTag() {
    Advance();
    tagName[0] = tagValue[0] = 0;
    while (Peek() == ' ' || Peek() == '\t')
        Advance();
    size_t n = 0;
    for (int c = Peek(); c >= 0 && !IsBlank(c) && c != '"' && c != ']'; c = Peek()) {
        if (n < ValueMax) tagName[n++] = char(c);
        Advance();
    }
    tagName[n] = 0;
    bool quoted = false, valueSeen = false;
    n = 0;
    for (int c = Peek(); c >= 0; c = Peek()) {
        Advance();
        if (quoted) {
            if (c == '\\' && Peek() >= 0 && Peek() != '\n') {
                c = Peek();
                Advance();
            } else if (c == '"' || c == '\n') {
                quoted = false;
                continue;
            }
            if (n < ValueMax) tagValue[n++] = char(c);
        } else if (c == '"' && !valueSeen) {
            quoted = valueSeen = true;
        } else if (c == ']') {
            break;
        }
    }
    tagValue[n] = 0;
}

PgnToken PgnReader::Next() {
    for (;;) {
        int c = Peek();
        while (c >= 0 && IsBlank(c)) {
            Advance();
            c = Peek();
        }
        if (c < 0) return failure_;
        const bool escape = lineStart_ && c == '%';
        lineStart_ = false;
        if (escape || c == ';') { // escaped line, rest-of-line comment
            SkipToLineEnd();
            continue;
        }
        if (c == '{') {
            SkipComment();
            continue;
        }
        if (c == '(') {
            SkipVariation();
            continue;
        }
        if (c == ')' || c == '}' || c == ']' || c == '"') {
            Advance();
            continue;
        }
        const uint64_t startLine = line;
        if (c == '[') {
            ReadTag();
            line = startLine;
            // A tag cut short by a failed read is no tag.
            return failure_ != PgnToken::End ? failure_ : PgnToken::Tag;
        }
        if (c == '$') { // numeric annotation glyph
            Advance();
            char glyph[8];
            while (ReadWord(glyph, sizeof glyph - 1) == sizeof glyph - 1) {
            }
            continue;
        }
        ReadWord(text, TextMax);
        if (failure_ != PgnToken::End) return failure_;
        line = startLine;
        if (IsResultText(text)) return PgnToken::Result;
        // Move numbers: "12", "12." and "12..." alone or glued to the move.
        size_t digits = 0;
        while (text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        if (digits > 0 && (text[digits] == '.' || text[digits] == 0)) {
            size_t dots = digits;
            while (text[dots] == '.')
                ++dots;
            std::memmove(text, text + dots, std::strlen(text + dots) + 1);
        }
        // A lone run of dots ("..." before a black move).
        if (text[0] == '.' && text[std::strspn(text, ".")] == 0) text[0] = 0;
        if (text[0] == 0) continue;
        return PgnToken::Move;
    }
}

void StripMoveMarks(char *text, char marks[4], bool checkSigns) {
    const auto isMark = [checkSigns](char c) { return c == '!' || c == '?' || (checkSigns && (c == '+' || c == '#')); };
    const size_t len = std::strlen(text);
    size_t cut = len;
    while (cut > 0 && isMark(text[cut - 1]))
        --cut;
    size_t m = 0;
    for (size_t i = cut; i < len; ++i)
        if ((text[i] == '!' || text[i] == '?') && m < 3) marks[m++] = text[i];
    marks[m] = 0;
    text[cut] = 0;
}
