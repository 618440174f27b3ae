// The engine's own lines about moves: the announcement and the thinking line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/MoveText.h"

// "move " announcement line.
void PrintMove(Move m);
// Thinking line after a search iteration; marker may be nullptr.
void PrintThinking(int32_t score, const char *marker);

// Pieces of the thinking line, apart so that their layout can be checked.
// The principal variation of PVTable row 0, each move followed by a blank.
void FormatThinkingPV(char *buffer, size_t size, bool lowerPromotion);
void FormatThinkingLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                        const char *pv);
// "info depth D score cp|mate X time MS nodes N [nps R] [hashfull H] pv ...";
// the rate only when time has passed, hashfull only when not negative.
void FormatUciInfoLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                       const char *pv, int32_t hashfull);
