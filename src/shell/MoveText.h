// The engine's own lines about moves: the announcement and the thinking line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/MoveText.h"

// "move " announcement line.
void PrintMove(Move m);
// Thinking line after a search iteration; marker may be nullptr.
void PrintThinking(int32_t score, const char *marker);

// What a thinking line shows.
struct ThinkingInfo {
    uint32_t depth = 0;
    int32_t selectiveDepth = 0;
    int32_t line = 1;         // 1 = the best line
    int32_t score = 0;        // engine's point of view
    int bound = 0;            // 0 exact, 1 lower bound (fail high), -1 upper bound (fail low)
    int64_t milliseconds = 0; // since the search started
    uint64_t nodes = 0;
    int32_t hashfull = 0; // per mille
    int64_t tbhits = -1;  // table hits; negative: no tables, not shown
    const char *pv = "";  // moves, each followed by a blank
    bool wdl = false;     // UCI: the win/draw/loss chances after the score
    int32_t material = 0; // at the root, for those chances (MaterialLeft)
};

// Pieces of the thinking line, apart so that their layout can be checked.
// The principal variation of PVTable row 0, each move followed by a blank.
void FormatThinkingPV(char *buffer, size_t size, bool lowerPromotion);
// xboard: depth, score, time (centiseconds), nodes, then selective depth,
// speed and table hits, a tab and the variation; "!" after a fail-high
// variation, "?" after a fail-low one.
void FormatThinkingLine(char *buffer, size_t size, const ThinkingInfo &info);
// UCI: "info depth D seldepth S multipv K score cp|mate X [lowerbound|
// upperbound] [wdl W D L] nodes N nps R hashfull H [tbhits T] time MS
// pv ...", without a blank at the end.
void FormatUciInfoLine(char *buffer, size_t size, const ThinkingInfo &info);
