// Non-blocking input test, the search's input check, pondering.
#pragma once

#include <cstdint>

uint32_t InputAvailable();
// Called by the search about ten times a second: 1 means stop now.
uint32_t CheckInput();
uint32_t Ponder();
// The "stat01:" line answering "." during analysis.
void PrintAnalysisStatus();
// A "pong" held back while the engine thought on its own move goes out now.
void SendDeferredPong();
