// TEMPORARY: stand-ins for functions other modules provide, so the game-move
// code links before they land. Each goes as soon as the real one is merged.
// They are weak, so a real definition always wins over them; the search's
// templates cannot be, and must be deleted by hand when the search lands.
#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "board/MoveMaker.h"
#include "search/RootSearch.h"
#include "search/TimeManager.h"
#include "shell/InputPoll.h"
#include "shell/InputReader.h"
#include "shell/ShellState.h"

// --- shell state (the configuration sets it)
[[gnu::weak]] uint8_t ResignEnabled = 1;

// --- evaluation and search ----------------------------------------------------
template <Color Us> Move Think() { return 0; }
template Move Think<White>();
template Move Think<Black>();
[[gnu::weak]] int32_t TimeLimit1 = 100, TimeLimit2 = 500, TimeLimit3 = 1000;
[[gnu::weak]] uint32_t FixedTimeMode = 0;
[[gnu::weak]] uint32_t ScoreDropped = 0;
[[gnu::weak]] void AllocateTime() {}
[[gnu::weak]] void RecomputeTime() {}
[[gnu::weak]] int32_t ElapsedTime() { return 0; }
[[gnu::weak]] uint32_t SoftTimeUp() { return 0; }
[[gnu::weak]] uint32_t HardTimeUp() { return 0; }
[[gnu::weak]] void CountMoveForClock() {}
[[gnu::weak]] void UncountMoveForClock() {}

// --- standard input reader --------------------------------------------------------
static bool StubEnded = false;
static int StubPeeked = -2;
static int StubGet() {
    if (StubPeeked != -2) {
        int c = StubPeeked;
        StubPeeked = -2;
        return c;
    }
    unsigned char c;
    for (;;) {
        ssize_t n = read(0, &c, 1);
        if (n == 1) return c;
        if (n < 0 && errno == EINTR) continue;
        StubEnded = true;
        return -1;
    }
}
[[gnu::weak]] long ReadWord(char *buffer, size_t size) {
    int c;
    do
        c = StubGet();
    while (c == ' ' || c == '\n' || c == '\t' || c == '\r');
    if (c < 0) return -1;
    long len = 0;
    while (c >= 0 && c != ' ' && c != '\n' && c != '\t' && c != '\r') {
        if (size_t(len) + 1 < size) buffer[len] = char(c);
        ++len;
        c = StubGet();
    }
    buffer[size_t(len) + 1 < size ? len : long(size) - 1] = 0;
    return len;
}
[[gnu::weak]] int ReadInteger(int32_t &value) {
    char word[64];
    long n = ReadWord(word, sizeof(word));
    if (n < 0) return -1;
    char *end = nullptr;
    long v = strtol(word, &end, 10);
    if (*end || end == word) return 0;
    value = int32_t(v);
    return 1;
}
[[gnu::weak]] bool InputEnded() { return StubEnded; }
[[gnu::weak]] void ResetInputReader() {
    StubEnded = false;
    StubPeeked = -2;
}
[[gnu::weak]] uint32_t InputAvailable() {
    if (!Interruptible) return 0;
    pollfd p{0, POLLIN, 0};
    return poll(&p, 1, 0) > 0 ? 1 : 0;
}
