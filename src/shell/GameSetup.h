// Setting up a position as a new game record.
#pragma once

#include "board/Setup.h"

// SetupPosition plus the game around it: the board history, the resign memory
// and the game's last moves are cleared, the engine plays neither side and
// the game is in progress. A test position (with a "bm" operation) is checked
// for a finished game and restarts the time control. Returns false, changing
// nothing, when the text is refused.
bool SetupGame(const char *text);
