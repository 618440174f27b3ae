// The search's one window on the program around it. The search reads the
// settings below and calls the hooks; the shell writes the settings and
// installs its hooks at start-up. Until then the hooks do nothing: no input
// arrives, no thinking line is printed, no game record repeats.
#pragma once

#include <cstdint>

struct SearchHooks {
    // About ten times a second: 1 means stop the search now.
    uint32_t (*checkInput)();
    // After each completed iteration; score from the engine's point of view,
    // marker may be nullptr.
    void (*printThinking)(int32_t score, const char *marker);
    // After a root move is made: does the position repeat one of the game?
    uint32_t (*boardRepeats)();
};
extern SearchHooks SearchHost;

// Interface mode
extern uint8_t UciMode;        // set by "uci": UCI info lines
extern uint32_t AnalyzeMode;   // analysis: no time limits, no mate cut-off
extern uint32_t PonderEnabled; // "hard" / "easy"
extern uint32_t PonderSearch;  // the running search ponders (no time limits)
extern uint32_t PonderGuess;   // the running search is the one after a ponder hit

// Clock state from the time commands
extern int32_t EngineClock;      // centiseconds left on the engine's clock
extern uint32_t MovesPerControl; // 0 = whole game
extern uint32_t MovesToGo;
extern int32_t Increment; // centiseconds per move

// Configuration
extern int32_t ExtraPlySearch; // "ExtraPlySearch": fixed-time searches finish this many more plies
