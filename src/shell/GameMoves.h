// Game-level moves: the engine's move, the user's move, undo, the resign rule.
// The game record and undo state they keep are declared in ShellState.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/Board.h"
#include "shell/ShellState.h"

// Own move: search, make, announce. Called when EngineSide == SideToMove.
void ThinkAndMove();
// A move typed by the interface in coordinate text. 1 when it was made.
uint32_t UserMove(const char *word);
void UndoMove();
// Resign when the last three scores are all below -800 and falling.
void CheckResign();

// The move to ponder on (ExpectedMove is in ShellState.h).
const char *FindPonderMove();

// --- helpers shared by the game moves and pondering -----------------------

// First legal move of the side to move in list order, 0 when there is none.
Move FirstLegalMove();
// Commands that replace the game or the engine's role: a search interrupted by
// one of them must not play its move.
bool IsGameChangingCommand(const char *word);
// Kilo-nodes per second from nodes and centiseconds (0 when no time passed).
uint64_t KnpsOf(uint64_t nodes, int32_t elapsed);
// "tellics whisper 0.35/9 250 Knps pv = ..." without the line break; pv is
// the text after "pv = ".
void FormatMoveSummary(char *buffer, size_t size, int32_t score, uint32_t depth, uint64_t knps, const char *pv);
// Coordinate texts of PVTable row 0 from column `first` on, separated by
// single blanks (at most `limit` moves).
void FormatPrincipalVariation(char *buffer, size_t size, int first, int limit);
// The resign rule on three scores, oldest first.
bool ShouldResign(const int32_t scores[3]);
