// TEMPORARY stand-ins for functions of other subsystems that have not landed
// yet. They are weak, so a real definition wins; each goes as soon as the
// real one is merged.
#include "search/PendingStubsSearch.h"

#include <cstdio>

#include "board/Board.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "shell/ShellState.h"

[[gnu::weak]] MoveEntry *BookLookupWhite(MoveEntry *, MoveEntry *end) { return end; }
[[gnu::weak]] MoveEntry *BookLookupBlack(MoveEntry *, MoveEntry *end) { return end; }
[[gnu::weak]] int32_t ExtraPlySearch = 3;

[[gnu::weak]] uint32_t CheckInput() { return HardTimeUp(1); }
[[gnu::weak]] uint32_t BoardRepeats() { return 0; }

[[gnu::weak]] void MoveToText(char *buffer, Move m) {
    const Square from = MoveFrom(m), to = MoveTo(m);
    if (from == 0 || to == 0) {
        std::snprintf(buffer, 8, "####");
        return;
    }
    int n = std::snprintf(buffer, 8, "%c%c%c%c", char('a' + from % 10 - 1), char('0' + 10 - from / 10),
                          char('a' + to % 10 - 1), char('0' + 10 - to / 10));
    if (IsPromotion(m)) buffer[n++] = "PNBRQK"[MovePromoted(m) & 7], buffer[n] = 0;
}

[[gnu::weak]] void PrintThinking(int32_t score, const char *) {
    if (!PostThinking) return;
    std::printf("%2u %3d %6d %9llu ", IterationDepth, score, ElapsedTime(),
                static_cast<unsigned long long>(NodeCount + QuiesceNodeCount));
    char text[8];
    for (int k = 0; PVTable[0][k] != 0 && MoveFrom(PVTable[0][k]) != 0; ++k) {
        MoveToText(text, PVTable[0][k]);
        std::printf("%s ", text);
    }
    std::printf("\n");
    std::fflush(stdout);
}
