// Program entry, start-up and the xboard command loop.
#pragma once

#include <cstdint>

// The whole program: banner, configuration, books, feature lines, the loop.
// Returns the exit status (0 at "quit" or end of input).
int XboardMain();

// Sets up the initial position for a new game; the engine then plays Black.
void NewGame();

// Runs until "quit" or the end of input; returns 0.
int CommandLoop();
