// The lines the search shows while it runs, in the interface's format.
#include <cstdio>

#include "board/MoveText.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

const char *MessagePrefix = "";

namespace {

// The current move is news only in a search that takes a while, and a few
// times a second at most (milliseconds).
constexpr int64_t CurrentMoveDelay = 1000;
constexpr int64_t CurrentMoveGap = 250;
int64_t LastCurrentMove = 0;

} // namespace

void PrintMessage(const char *text) { PrintLine(MessagePrefix, text); }

void PrintCurrentMove(int32_t number, Move move) {
    if (!UciMode) return;
    const int64_t now = ElapsedMilliseconds();
    if (now < CurrentMoveDelay) return;
    if (now >= LastCurrentMove && now - LastCurrentMove < CurrentMoveGap) return; // a new search starts over
    LastCurrentMove = now;
    char text[MoveTextSize];
    MoveToUciText(text, move);
    std::printf("info currmove %s currmovenumber %d\n", text, number);
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
