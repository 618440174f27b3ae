// Game-end detection, board history for repetitions, board display.
#pragma once

#include "board/Board.h"

void RecordBoard(Move m);
uint32_t BoardRepeats();
void CheckGameEnd();
void DisplayBoard();
