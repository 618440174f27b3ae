// Line output on standard output. Every line the interface must see is
// flushed at once.
#pragma once

#include <cstdint>
#include <cstdio>

#include "board/Board.h"

inline void PrintLine(const char *text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

inline void PrintLine(const char *first, const char *second) {
    std::fputs(first, stdout);
    std::fputs(second, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Put before the lines that are not part of the dialogue ("ERROR: ...",
// "Hash size ..."): empty for xboard, "info string " once in UCI mode, where
// an interface takes any other line for a protocol error.
extern const char *MessagePrefix;
// One such line, the prefix in front.
void PrintMessage(const char *text);

// The search's progress lines (hooks of search/SearchHost.h); the thinking
// lines themselves are PrintThinking's (shell/MoveText.h).
// UCI, from the second second on and a few times a second at most:
// "info currmove M currmovenumber N".
void PrintCurrentMove(int32_t number, Move move);
// The time limits just set: "time1 = T" and so on, as free text in UCI.
void PrintTimeLimits();
