// Search state that the shell and other subsystems read.
#pragma once

#include <cstdint>

#include "board/Board.h"

// Principal variations: row p holds the line from ply p on.
extern Move PVTable[MaxSearchPly + 2][MaxSearchPly + 2];

// Move played at each search ply; MoveStack[0] and [1] are the game's move
// before last and last move, the search's ply p move is MoveStack[p + 2].
constexpr int MoveStackOffset = 2;
extern Move MoveStack[MaxSearchPly + MoveStackOffset + 2];

extern uint64_t NodeCount;
extern uint64_t QuiesceNodeCount;
extern uint32_t StopSearch;
extern int32_t BestScore;       // engine's point of view
extern uint32_t IterationDepth;

// Move ordering: history score of quiet moves by piece code and to-square.
extern int32_t HistoryScore[14][120];
