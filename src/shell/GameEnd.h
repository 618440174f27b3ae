// Game-end detection and the board history for repetitions.
#pragma once

#include "board/Board.h"
#include "board/MoveText.h"
#include "shell/ShellState.h" // BoardHistoryUndo

void RecordBoard(Move m);
// Call after the move is made and before RecordBoard(m).
void SaveBoardHistory(Move m, BoardHistoryUndo &u);
// Call after the move is taken back.
void RestoreBoardHistory(const BoardHistoryUndo &u);
uint32_t BoardRepeats();
void CheckGameEnd();
