#include "search/SearchState.h"

Move PVTable[MaxSearchPly + 2][MaxSearchPly + 2];
Move MoveStack[MaxSearchPly + MoveStackOffset + 2];
uint64_t NodeCount = 0;
uint64_t QuiesceNodeCount = 0;
uint32_t StopSearch = 0;
int32_t BestScore = 0;
uint32_t IterationDepth = 0;
int32_t HistoryScore[14][120];
