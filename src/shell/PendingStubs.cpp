// TEMPORARY stand-ins so the shell links before the other subsystems land.
// Each one is deleted as soon as the real function reaches this branch.
#include <cstdio>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "board/Swap.h"
#include "eval/Evaluate.h"
#include "search/RootSearch.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/GameEnd.h"
#include "shell/InputPoll.h"
#include "shell/MoveText.h"
#include "shell/PendingStubs.h"
#include "shell/ShellState.h"

// board
BoardEntry Board[120];
uint32_t PieceLists[14][PieceListCapacity + 1];
uint32_t SideToMove = 0;
uint32_t EpSquare = 0;
uint32_t RootInCheck = 0;
uint32_t CastleSpoilers[4];
uint8_t Castled[2];
uint32_t GamePly = 0;
HistoryEntry PositionHistory[PositionHistorySize];
uint64_t HashKey = 0;
int32_t CaptureMargin = 0;
void InitBoard() {
    for (BoardEntry &e : Board)
        e = {0, OffBoard};
}
void BuildTables() {}
void ComputeHashKeys() {}
void SelectMoveFunctions() {}
bool SetupPosition(const char *) {
    SideToMove = White;
    GamePly = 0;
    GameResult = 3;
    EngineSide = 2;
    return true;
}
template <Color Us> MoveEntry *GenerateMoves(MoveEntry *list, uint32_t, uint32_t) { return list; }
template <Color Us> MoveEntry *GenerateCaptures(MoveEntry *list) { return list; }
template MoveEntry *GenerateMoves<White>(MoveEntry *, uint32_t, uint32_t);
template MoveEntry *GenerateMoves<Black>(MoveEntry *, uint32_t, uint32_t);
template MoveEntry *GenerateCaptures<White>(MoveEntry *);
template MoveEntry *GenerateCaptures<Black>(MoveEntry *);
template <Color Us> int32_t StaticExchange(Square, Square, int32_t, int32_t) { return 0; }
template int32_t StaticExchange<White>(Square, Square, int32_t, int32_t);
template int32_t StaticExchange<Black>(Square, Square, int32_t, int32_t);
template <Color Us> uint32_t InCheck() { return 0; }
template uint32_t InCheck<White>();
template uint32_t InCheck<Black>();
void RunPerft(uint32_t) {}

// search
bool AllocateHash(int64_t megabytes) {
    std::printf("Hash size %lld Mbytes\n", (long long)megabytes);
    std::fflush(stdout);
    return true;
}
void AllocateTime() {}
void ClearSearchMemory() {}
template <Color Us> Move Think() { return 0; }
template Move Think<White>();
template Move Think<Black>();

// evaluation
int32_t Evaluate(uint32_t, int32_t, int32_t) { return 0; }

// shell, game moves branch
void DisplayBoard() {}
void MoveToText(char *buffer, Move) { std::snprintf(buffer, MoveTextSize, "####"); }
void PrintMoveScore(Move, int32_t) {}
uint32_t Ponder() { return 0; }
void ThinkAndMove() {}
void UndoMove() {}
uint32_t UserMove(const char *) { return 0; }

// books: a missing book reads as a damaged one
void LoadBookFile(const char *, uint32_t) {
    std::printf("ERROR: opening book was damaged\n");
    std::fflush(stdout);
}

// tablebases: none registered yet
void StartTablebases() {}
