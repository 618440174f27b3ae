// The lines the search shows while it runs, in the interface's format.
#include <cstdio>

#include "board/MoveText.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

const char *MessagePrefix = "";

namespace {

// The current move is news only in a search that takes a while
// (centiseconds).
constexpr int32_t CurrentMoveDelay = 100;

} // namespace

void PrintMessage(const char *text) { PrintLine(MessagePrefix, text); }

void PrintIterationStart(uint32_t depth) {
    if (!UciMode) return;
    std::printf("info depth %u\n", depth);
    std::fflush(stdout);
}

void PrintCurrentMove(int32_t number, Move move) {
    if (!UciMode || ElapsedTime() < CurrentMoveDelay) return;
    char text[MoveTextSize];
    MoveToUciText(text, move);
    std::printf("info currmovenumber %d currmove %s\n", number, text);
    std::fflush(stdout);
}

void PrintTimeLimits() {
    // Only the xboard dialogue shows the limits as they are; a UCI interface
    // gets them as free text.
    const char *prefix = UciMode ? "info string " : "";
    std::printf("%stime1 = %d\n%stime2 = %d\n%stime3 = %d\n", prefix, TimeLimit1, prefix, TimeLimit2, prefix,
                TimeLimit3);
    std::fflush(stdout);
}
