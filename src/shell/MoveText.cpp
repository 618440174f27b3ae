// The engine's move announcement and thinking lines.
#include "shell/MoveText.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "search/WinChances.h"
#include "shell/Output.h"
#include "shell/ShellState.h"
#include "tablebase/Syzygy.h"
#include "tablebase/TablebaseAccess.h"

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

namespace {

// Nodes per second from the search's milliseconds (a line in the first
// millisecond counts as one).
uint64_t Rate(const ThinkingInfo &info) {
    return info.nodes * 1000 / uint64_t(info.milliseconds > 0 ? info.milliseconds : 1);
}

} // namespace

void FormatThinkingLine(char *buffer, size_t size, const ThinkingInfo &info) {
    const int64_t centiseconds = info.milliseconds / 10;
    const char *mark = info.bound > 0 ? "!" : info.bound < 0 ? "?" : "";
    snprintf(buffer, size,
             "%2" PRIu32 " %3" PRId32 " %6" PRId64 " %9" PRIu64 " %" PRId32 " %" PRIu64 " %" PRId64 "\t%s%s",
             info.depth, info.score, centiseconds, info.nodes, info.selectiveDepth, Rate(info),
             info.tbhits > 0 ? info.tbhits : 0, info.pv, mark);
}

void FormatUciInfoLine(char *buffer, size_t size, const ThinkingInfo &info) {
    char scoreText[48];
    const int32_t score = info.score;
    if (score > MateBound || score < -MateBound) {
        // Plies to the mate from the root, shown as whole moves.
        const int32_t plies = MateValue - (score > 0 ? score : -score);
        snprintf(scoreText, sizeof scoreText, "mate %" PRId32, score > 0 ? (plies + 1) / 2 : -((plies + 1) / 2));
    } else {
        snprintf(scoreText, sizeof scoreText, "cp %" PRId32, score);
    }
    const char *bound = info.bound > 0 ? " lowerbound" : info.bound < 0 ? " upperbound" : "";
    char wdl[48] = "";
    if (info.wdl) {
        const WinChances c = ChancesFromScore(score, info.material);
        snprintf(wdl, sizeof wdl, " wdl %" PRId32 " %" PRId32 " %" PRId32, c.win, c.draw, c.loss);
    }
    char tbhits[32] = "";
    if (info.tbhits >= 0) snprintf(tbhits, sizeof tbhits, " tbhits %" PRId64, info.tbhits);
    // The variation without its last blank.
    size_t pvLength = strlen(info.pv);
    while (pvLength > 0 && info.pv[pvLength - 1] == ' ')
        --pvLength;
    snprintf(buffer, size,
             "info depth %" PRIu32 " seldepth %" PRId32 " multipv %" PRId32 " score %s%s%s nodes %" PRIu64
             " nps %" PRIu64 " hashfull %" PRId32 "%s time %" PRId64 "%s%.*s",
             info.depth, info.selectiveDepth, info.line, scoreText, bound, wdl, info.nodes, Rate(info), info.hashfull,
             tbhits, info.milliseconds, pvLength > 0 ? " pv " : "", int(pvLength), info.pv);
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
    if (!UciMode && !PostThinking) return;
    static char pv[(MaxSearchPly + 2) * (MoveTextSize + 1) + 8];
    static char line[sizeof(pv) + 256];
    FormatThinkingPV(pv, sizeof(pv), UciMode != 0);
    ThinkingInfo info;
    info.depth = IterationDepth;
    info.selectiveDepth = SelectiveDepth;
    info.line = CurrentLine + 1;
    info.score = score;
    // ":)" after a fail high, ":(" after a fail low (search/SearchHost.h).
    if (marker != nullptr) info.bound = strcmp(marker, ":)") == 0 ? 1 : -1;
    info.milliseconds = ElapsedMilliseconds();
    info.nodes = NodeCount + QuiesceNodeCount;
    info.hashfull = HashFullPermill();
    info.tbhits = TbLimit > 0 || SyzygyLargest > 0 || TbHits > 0 ? int64_t(TbHits) : -1;
    info.pv = pv;
    info.wdl = ShowWinChances != 0;
    info.material = RootMaterial;
    if (UciMode)
        FormatUciInfoLine(line, sizeof(line), info);
    else
        FormatThinkingLine(line, sizeof(line), info);
    PrintLine(line);
}
