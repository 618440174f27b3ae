// Program entry, start-up and the xboard command loop.
#pragma once

#include <cstdint>

// The whole program: banner, configuration, books, feature lines, the loop.
// Returns the exit status (0 at "quit" or end of input).
int XboardMain();

// Start-up after the banner: the configuration, the hash table, the key
// generator, the tablebases, the tables and the first game.
void StartUp();

// Sets up the initial position for a new game; the engine then plays Black.
void NewGame();

// The "convert" command: annotated games to "MVstyle.book", then a new game
// when games were replayed.
void ConvertStyleBook(const char *fileName);

// Runs until "quit" or the end of input; returns 0.
int CommandLoop();
