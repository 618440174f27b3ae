// Game-end detection and the board history for repetitions.
#pragma once

#include "board/Board.h"
#include "board/MoveText.h"

void RecordBoard(Move m);

// What RecordBoard is about to overwrite, kept so that undo can put the
// record back exactly as it was (boards before a capture included).
struct BoardHistoryUndo {
    uint32_t count;         // BoardHistoryCount before the move
    uint32_t slot;          // slot the move writes
    uint8_t slid;           // the full record dropped its oldest board
    uint32_t snapshot[120]; // the board that slot (or the dropped one) held
};
// Call after the move is made and before RecordBoard(m).
void SaveBoardHistory(Move m, BoardHistoryUndo &u);
// Call after the move is taken back.
void RestoreBoardHistory(const BoardHistoryUndo &u);
uint32_t BoardRepeats();
void CheckGameEnd();
