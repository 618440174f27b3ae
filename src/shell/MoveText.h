// Move text: coordinate output, algebraic input, thinking lines.
#pragma once

#include <cstddef>

#include "board/Board.h"

constexpr int MoveTextSize = 8;

// Coordinate text ("e2e4", "e7e8Q"), "####" when a square byte is 0.
void MoveToText(char *buffer, Move m);
// "move " announcement line.
void PrintMove(Move m);
// Coordinate text, a blank, the score (exchange listing).
void PrintMoveScore(Move m, int32_t score);
// Thinking line after a search iteration; marker may be nullptr.
void PrintThinking(int32_t score, const char *marker);
// Move of the current position whose algebraic text equals text (a trailing
// check sign is removed in place), or 0.
Move ParseSanMove(char *text, uint32_t legalOnly);

// Pieces of the thinking line, apart so that their layout can be checked.
// The principal variation of PVTable row 0, each move followed by a blank.
void FormatThinkingPV(char *buffer, size_t size, bool lowerPromotion);
void FormatThinkingLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                        const char *pv);
// "info depth D score cp|mate X time MS nodes N [nps R] [hashfull H] pv ...";
// the rate only when time has passed, hashfull only when not negative.
void FormatUciInfoLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                       const char *pv, int32_t hashfull);
