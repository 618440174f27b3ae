// TEMPORARY: declarations of functions that other branches are still writing.
// Each goes away when the real header lands on main.
#pragma once

#include <cstdint>

// game moves (shell, game-moves branch)
uint32_t UserMove(const char *word);
void UndoMove();
void ThinkAndMove();

// books
void LoadBookFile(const char *name, uint32_t styleBook);

