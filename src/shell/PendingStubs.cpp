// TEMPORARY stand-ins so the shell links before the other subsystems land.
// They are weak, so a real definition wins; each one is deleted as soon as the
// real function reaches this branch (the search's templates cannot be weak and
// must go by hand when the search lands).
#include <cstdio>

#include "board/Board.h"
#include "eval/Evaluate.h"
#include "search/RootSearch.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/GameEnd.h"
#include "shell/InputPoll.h"
#include "shell/MoveText.h"
#include "shell/PendingStubs.h"
#include "shell/ShellState.h"

// search
[[gnu::weak]] bool AllocateHash(int64_t megabytes) {
    std::printf("Hash size %lld Mbytes\n", (long long)megabytes);
    std::fflush(stdout);
    FillZobristKeys();
    return true;
}
[[gnu::weak]] void AllocateTime() {}
[[gnu::weak]] void ClearSearchMemory() {}
template <Color Us> Move Think() { return 0; }
template Move Think<White>();
template Move Think<Black>();

// shell, game moves branch
[[gnu::weak]] void DisplayBoard() {}
[[gnu::weak]] void MoveToText(char *buffer, Move) { std::snprintf(buffer, MoveTextSize, "####"); }
[[gnu::weak]] void PrintMoveScore(Move, int32_t) {}
[[gnu::weak]] uint32_t Ponder() { return 0; }
[[gnu::weak]] void ThinkAndMove() {}
[[gnu::weak]] void UndoMove() {}
[[gnu::weak]] uint32_t UserMove(const char *) { return 0; }

// books: a missing book reads as a damaged one
[[gnu::weak]] void LoadBookFile(const char *, uint32_t) {
    std::printf("ERROR: opening book was damaged\n");
    std::fflush(stdout);
}
