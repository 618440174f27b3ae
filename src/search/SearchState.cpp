#include "search/SearchState.h"

Move PVTable[MaxSearchPly + 2][MaxSearchPly + 2];
Move MoveStack[MaxSearchPly + MoveStackOffset + 2];
uint64_t NodeCount = 0;
uint64_t QuiesceNodeCount = 0;
uint32_t StopSearch = 0;
int32_t BestScore = 0;
uint32_t IterationDepth = 0;

int32_t PreviousScore = 0;
uint32_t ScoreDropped = 0;
int32_t StableIterations = 0;
int32_t FailHighTime = 0;
uint32_t SkipBook = 0;
uint32_t DepthLimit = 0;

uint64_t NodesPerSecond = 65535;
uint64_t NextPollCheck = 0;
uint64_t LastPollNodes = 0;
int64_t LastPollTime = 0;
