// TEMPORARY: stand-ins for board and shell pieces that have not landed yet,
// so the book code links. Delete each one as soon as the real one arrives.
#include <cstring>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "shell/MoveText.h"

BoardEntry Board[120];
uint32_t PieceLists[14][PieceListCapacity + 1];
uint32_t SideToMove = 0;
uint32_t EpSquare = 0;
uint32_t RootInCheck = 0;

static uint32_t StubMake(uint32_t, uint32_t, Move) { return 0; }
static void StubUnmake(Move) {}
MoveFunctionTable MoveFunctions = {{StubMake, StubMake}, {StubUnmake, StubUnmake}};
void SelectMoveFunctions() {}

template <Color Us> MoveEntry *GenerateMoves(MoveEntry *list, uint32_t, uint32_t) { return list; }
template MoveEntry *GenerateMoves<White>(MoveEntry *, uint32_t, uint32_t);
template MoveEntry *GenerateMoves<Black>(MoveEntry *, uint32_t, uint32_t);

template <Color Us> uint32_t InCheck() { return 0; }
template uint32_t InCheck<White>();
template uint32_t InCheck<Black>();

bool SetupPosition(const char *) { return false; }

void MoveToText(char *buffer, Move) { std::strcpy(buffer, "####"); }
Move ParseSanMove(char *, uint32_t) { return 0; }
