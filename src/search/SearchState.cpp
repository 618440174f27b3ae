#include "search/SearchState.h"

constinit thread_local Move PVTable[MaxSearchPly + 2][MaxSearchPly + 2];
constinit thread_local Move MoveStack[MaxSearchPly + MoveStackOffset + 2];
constinit thread_local uint64_t NodeCount = 0;
constinit thread_local uint64_t QuiesceNodeCount = 0;
constinit thread_local uint32_t StopSearch = 0;
constinit thread_local int32_t BestScore = 0;
constinit thread_local uint32_t IterationDepth = 0;
constinit thread_local int32_t SelectiveDepth = 0;
constinit thread_local uint64_t TbHits = 0;

int32_t PreviousScore = 0;
uint32_t ScoreDropped = 0;
int32_t StableIterations = 0;
int32_t FailHighTime = 0;
uint32_t ReduceDistantLines = 1;
uint32_t SkipBook = 0;
uint32_t BookBarred = 0;
int32_t RootMoveCount = 0;
int32_t RootMoveNumber = 0;
int32_t RootMaterial = 0;
uint32_t DepthLimit = 0;
uint64_t NodeLimit = 0;
uint64_t IterationNodeLimit = 0;
Move RootMoveSubset[RootSubsetSize];
int32_t RootMoveSubsetCount = 0;
Move RootMovesExcluded[RootSubsetSize];
int32_t RootMovesExcludedCount = 0;
PrincipalLine PrincipalLines[MaxPrincipalLines];
int32_t PrincipalLineCount = 1;
int32_t CurrentLine = 0;

uint64_t NodesPerSecond = 65535;
constinit thread_local uint64_t NextPollCheck = 0;
uint64_t LastPollNodes = 0;
int64_t LastPollTime = 0;
