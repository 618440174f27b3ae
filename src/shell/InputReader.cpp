// Standard input, read through our own buffer over fd 0. The input poll asks
// whether a read would block; since the bytes we have taken from the
// descriptor sit in this buffer, the answer has to look here first.
#include "shell/InputReader.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include "shell/InputPoll.h"
#include "shell/ShellState.h"

namespace {

constexpr size_t BufferSize = 8192;
char Buffer[BufferSize];
size_t Head = 0; // next unread byte
size_t Tail = 0; // end of the valid bytes
bool Ended = false;
// The line of the last word read has not ended yet (its line break is not
// taken), and whether what is left of that line is to be skipped unread.
bool LineOpen = false;
bool Dropping = false;

// NUL counts as a separator too, so no word ever carries one inside.
bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0;
}

// Reads more bytes from fd 0 (blocking). Returns false at end of input.
bool Fill() {
    if (Ended) return false;
    if (Head == Tail) Head = Tail = 0;
    if (Tail == BufferSize) {
        // Only reached with unread bytes at the front: move them down.
        size_t left = Tail - Head;
        for (size_t i = 0; i < left; ++i)
            Buffer[i] = Buffer[Head + i];
        Head = 0;
        Tail = left;
        if (Tail == BufferSize) return true; // full of unread bytes already
    }
    for (;;) {
        ssize_t n = read(0, Buffer + Tail, BufferSize - Tail);
        if (n > 0) {
            Tail += size_t(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        Ended = true; // end of input, or an error that no retry mends
        return false;
    }
}

// Next byte without taking it; -1 at end of input.
int Peek() {
    if (Head == Tail && !Fill()) return -1;
    return (unsigned char)Buffer[Head];
}

// Takes the byte at Head when it is a blank, or any byte of a dropped line;
// taking a line break ends the line. False when the byte is to be read.
bool SkipByte(unsigned char c) {
    if (!IsBlank(c) && !Dropping) return false;
    if (c == '\n') LineOpen = Dropping = false;
    ++Head;
    return true;
}

} // namespace

long ReadWord(char *buffer, size_t size) {
    int c;
    while ((c = Peek()) >= 0 && SkipByte((unsigned char)c)) {
    }
    if (c < 0) {
        if (size > 0) buffer[0] = 0;
        return -1;
    }
    long length = 0;
    size_t stored = 0;
    while ((c = Peek()) >= 0 && !IsBlank((unsigned char)c)) {
        if (stored + 1 < size) buffer[stored++] = char(c);
        ++Head;
        ++length;
    }
    LineOpen = true; // the word's own line break, if any, is still unread
    if (size > 0) buffer[stored] = 0;
    return length;
}

void DropRestOfLine() { Dropping = LineOpen; }

bool ParseInteger(const char *text, int32_t &value) {
    const char *p = text;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    int64_t v = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        v = v * 10 + (*p - '0');
        if (v > int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = int32_t(v);
    return true;
}

int ReadInteger(int32_t &value) {
    char word[32];
    long length = ReadWord(word, sizeof word);
    if (length < 0) return -1;
    if (size_t(length) >= sizeof word) return 0;
    return ParseInteger(word, value) ? 1 : 0;
}

long ReadRestOfLine(char *buffer, size_t size) {
    int c = Peek();
    if (c < 0) {
        if (size > 0) buffer[0] = 0;
        return -1;
    }
    // What is left of a dropped line is no argument either.
    const bool dropped = Dropping;
    size_t stored = 0;
    while ((c = Peek()) >= 0) {
        ++Head;
        if (c == '\n') break;
        if (stored + 1 < size && !dropped) buffer[stored++] = char(c);
    }
    LineOpen = Dropping = false;
    if (stored > 0 && buffer[stored - 1] == '\r') --stored;
    if (size > 0) buffer[stored] = 0;
    return long(stored);
}

bool InputWaiting() {
    for (;;) {
        while (Head < Tail && SkipByte((unsigned char)Buffer[Head])) {
        }
        if (Head < Tail || Ended) return true;
        pollfd p{0, POLLIN, 0};
        int r = poll(&p, 1, 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            return true; // a broken descriptor: let the next read meet it
        }
        if (r == 0) return false;
        // Readable, closed or failed: a read does not block now.
        Fill();
    }
}

bool InputEnded() { return Ended && Head == Tail; }

namespace {

// Takes into the buffer, without blocking, whatever fd 0 has ready, as long
// as there is room. Afterwards Ended tells whether the input has closed.
void TakeReadyInput() {
    while (!Ended && !(Head == 0 && Tail == BufferSize)) {
        pollfd p{0, POLLIN, 0};
        int r = poll(&p, 1, 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return;
        Fill(); // readable, closed or failed: the read does not block
    }
}

// A whole word "quit" among the buffered bytes.
bool QuitBuffered() {
    size_t i = Head;
    if (Dropping) { // the words left on a dropped line do not count
        const void *lineEnd = std::memchr(Buffer + Head, '\n', Tail - Head);
        if (!lineEnd) return false;
        i = size_t(static_cast<const char *>(lineEnd) - Buffer) + 1;
    }
    while (i < Tail) {
        while (i < Tail && IsBlank((unsigned char)Buffer[i]))
            ++i;
        size_t start = i;
        while (i < Tail && !IsBlank((unsigned char)Buffer[i]))
            ++i;
        // A word running up to the end of the buffer may not be complete yet.
        bool complete = i < Tail || Ended;
        if (complete && i - start == 4 && std::memcmp(Buffer + start, "quit", 4) == 0) return true;
    }
    return false;
}

} // namespace

bool EndRequested() {
    TakeReadyInput();
    if (Ended) return true;
    return Interruptible && QuitBuffered();
}

void ResetInputReader() {
    Head = Tail = 0;
    Ended = LineOpen = Dropping = false;
}

uint32_t InputAvailable() {
    if (!Interruptible) {
        // Words are left alone, but an interface that has gone away must
        // still be noticed, or the engine would think on for ever.
        TakeReadyInput();
        return Ended ? 1 : 0;
    }
    return InputWaiting() ? 1 : 0;
}
