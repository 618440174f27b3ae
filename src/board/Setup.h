// Position setup from FEN/EPD text.
#pragma once

#include "board/Board.h"

constexpr int MaxBestMoves = 44;
extern char BestMoveTexts[MaxBestMoves][10];
extern uint32_t BestMoveCount;
extern Move BestMoves[MaxBestMoves];

// Replaces the current position. Returns true on success; on malformed text
// prints one "ERROR: " line saying what is wrong and leaves the position as it was.
bool SetupPosition(const char *text);
uint32_t ReadMoveToken(const char *text, uint32_t &index);

constexpr const char StartPosition[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
