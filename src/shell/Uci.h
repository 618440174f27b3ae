// The UCI front end.
#pragma once

#include <cstdint>

// Serves the rest of the process after "uci"; returns at "quit" or the end of input.
void UciLoop();
// The search's input check in UCI mode: 1 when the search must stop now.
uint32_t UciCheckInput();
