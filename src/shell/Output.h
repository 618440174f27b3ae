// Line output on standard output. Every line the interface must see is
// flushed at once.
#pragma once

#include <cstdio>

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
