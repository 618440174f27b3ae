// The search's one window on the program around it. The search reads the
// settings below and calls the hooks; the shell writes the settings and
// installs its hooks at start-up. Every line the search shows goes through a
// hook, so the output format lives in the shell alone. Until the shell
// installs its hooks they do nothing (no input arrives, nothing is printed,
// no game record repeats), except that the search's own messages still
// reach standard output as they are.
#pragma once

#include <cstdint>

#include "board/Board.h"

struct SearchHooks {
    // About ten times a second: 1 means stop the search now.
    uint32_t (*checkInput)();
    // The line in PVTable[0], line CurrentLine of the principal lines: on
    // each fail-high/fail-low of the root, after each new best root move,
    // and once per line after each completed iteration. Score from the
    // engine's point of view, marker ":)" (fail high: a lower bound), ":("
    // (fail low: an upper bound) or nullptr (exact).
    void (*printThinking)(int32_t score, const char *marker);
    // The root move `move`, number `number` (1 = the first) of the iteration,
    // is about to be searched.
    void (*rootMoveStarted)(int32_t number, Move move);
    // TimeLimit1..3 (search/SearchState.h) were just set.
    void (*timeLimitsSet)();
    // A line of the search's own (hash size, allocation failures).
    void (*printMessage)(const char *text);
    // After a root move is made: does the position repeat one of the game?
    uint32_t (*boardRepeats)();
    // After each iteration of a fixed-time search: has a right answer of the
    // test position stayed best long enough? `best` has been the best move
    // for `stableIterations` iterations; true ends the search.
    bool (*rightMoveSettled)(Move best, int32_t stableIterations);
};
extern SearchHooks SearchHost;

// Interface mode
extern uint8_t UciMode;        // set by "uci": UCI info lines
extern uint32_t AnalyzeMode;   // analysis: no time limits, no mate cut-off
extern uint32_t PonderEnabled; // "hard" / "easy"
extern uint32_t PonderSearch;  // the running search ponders (no time limits)
extern uint32_t PonderGuess;   // the running search is the one after a ponder hit

// Analysis
extern int32_t MultiPV; // principal variations to search and show, 1..MaxPrincipalLines

// Clock state from the time commands
extern int32_t EngineClock;      // centiseconds left on the engine's clock
extern uint32_t MovesPerControl; // 0 = whole game
extern uint32_t MovesToGo;
extern int32_t Increment; // centiseconds per move
// Milliseconds taken off every limit of a clocked or fixed-time search, for
// the interface's and the network's delay.
extern int32_t MoveOverhead;
