// The engine's move announcement and thinking lines.
#include "shell/MoveText.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

void PrintMove(Move m) {
    char text[MoveTextSize];
    MoveToText(text, m);
    fputc('\n', stdout);
    fflush(stdout);
    printf("move %s\n", text);
    fflush(stdout);
}

void FormatThinkingPV(char *buffer, size_t size, bool lowerPromotion) {
    size_t used = 0;
    buffer[0] = 0;
    for (int i = 0; i < MaxSearchPly + 2; ++i) {
        Move m = PVTable[0][i];
        if (MoveFrom(m) == 0) break;
        char text[MoveTextSize];
        if (lowerPromotion)
            MoveToUciText(text, m);
        else
            MoveToText(text, m);
        size_t len = strlen(text);
        if (used + len + 2 > size) break;
        memcpy(buffer + used, text, len);
        used += len;
        buffer[used++] = ' ';
        buffer[used] = 0;
    }
}

void FormatThinkingLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                        const char *pv) {
    snprintf(buffer, size, "%2" PRIu32 " %3" PRId32 " %6" PRId32 " %9" PRIu64 " %s", depth, score, elapsed, nodes, pv);
}

void FormatUciInfoLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                       const char *pv, int32_t hashfull) {
    char scoreText[32];
    if (score > MateBound || score < -MateBound) {
        // Plies to the mate from the root, shown as whole moves.
        const int32_t plies = MateValue - (score > 0 ? score : -score);
        snprintf(scoreText, sizeof scoreText, "mate %" PRId32, score > 0 ? (plies + 1) / 2 : -((plies + 1) / 2));
    } else {
        snprintf(scoreText, sizeof scoreText, "cp %" PRId32, score);
    }
    int n = snprintf(buffer, size, "info depth %" PRIu32 " score %s time %" PRId64 " nodes %" PRIu64, depth, scoreText,
                     int64_t(elapsed) * 10, nodes);
    if (n < 0 || size_t(n) >= size) return;
    if (elapsed > 0) {
        uint64_t nps = nodes * 100 / uint64_t(elapsed);
        int k = snprintf(buffer + n, size - size_t(n), " nps %" PRIu64, nps);
        if (k < 0 || size_t(n + k) >= size) return;
        n += k;
    }
    if (hashfull >= 0) {
        int k = snprintf(buffer + n, size - size_t(n), " hashfull %" PRId32, hashfull);
        if (k < 0 || size_t(n + k) >= size) return;
        n += k;
    }
    snprintf(buffer + n, size - size_t(n), " pv %s", pv);
}

namespace {

// Per mille of a sample of the transposition table in use.
int32_t HashFullPermill() {
    if (HashTable == nullptr || HashEntries == 0) return 0;
    const uint64_t sample = HashEntries < 1000 ? HashEntries : 1000;
    uint64_t used = 0;
    for (uint64_t i = 0; i < sample; ++i) {
        const HashEntry &e = HashTable[i];
        if (e.move1 != 0 || e.lock != 0) ++used;
    }
    return int32_t(used * 1000 / sample);
}

} // namespace

void PrintThinking(int32_t score, const char *marker) {
    (void)marker; // the fail-high/fail-low marker only went to the log copy
    if (!UciMode && !PostThinking) return;
    int32_t elapsed = ElapsedTime();
    uint64_t nodes = NodeCount + QuiesceNodeCount;
    static char pv[(MaxSearchPly + 2) * (MoveTextSize + 1) + 8];
    static char line[sizeof(pv) + 128];
    FormatThinkingPV(pv, sizeof(pv), UciMode != 0);
    if (UciMode)
        FormatUciInfoLine(line, sizeof(line), IterationDepth, score, elapsed, nodes, pv, HashFullPermill());
    else
        FormatThinkingLine(line, sizeof(line), IterationDepth, score, elapsed, nodes, pv);
    PrintLine(line);
}
