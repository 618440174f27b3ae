// Non-blocking input test, the search's input check, pondering.
#pragma once

#include <cstdint>

uint32_t InputAvailable();
// Called by the search about ten times a second: 1 means stop now.
uint32_t CheckInput();
uint32_t Ponder();
