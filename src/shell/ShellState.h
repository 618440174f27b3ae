// Shell state that other subsystems read (and a few write).
#pragma once

#include <cstdint>

extern uint32_t AnalyzeMode;   // every loop turn analyses, no move is played
extern uint32_t EngineSide;    // 0 white, 1 black, 2 none (force mode)
extern uint32_t PonderEnabled; // "hard" / "easy"
extern uint32_t FritzMode;     // keep search memory across games, never ponder
extern uint8_t UciMode;        // set by "uci"
constexpr int PendingCommandSize = 128;
extern char PendingCommand[PendingCommandSize]; // word parked during a search, "" if none
extern uint32_t PostThinking;                   // print thinking lines
extern uint32_t Interruptible;                  // cleared by "nointer"
extern uint8_t OpponentIsComputer;              // "computer"
extern uint32_t GameResult;                     // 3 in progress, 0 white won, 1 black won, 2 draw
extern int32_t EngineClock;                     // centiseconds left on the engine's clock
extern uint32_t MovesPerControl;                // 0 = whole game
extern uint32_t MovesToGo;
extern int32_t Increment;         // centiseconds per move
extern int32_t BookLearn;         // -1 undefined, 0 or 1
extern uint32_t TestSuiteRunning; // a "test" or "bench" run is in progress

// Settings from the configuration file
extern uint8_t ResignEnabled;  // "Resign"
extern int32_t ExtraPlySearch; // "ExtraPlySearch": fixed-time searches finish this many more plies
constexpr int TbPathSize = 256;
extern char TbPath[TbPathSize]; // "TbPath": tablebase directories
extern double TbCache;          // "TbCache": tablebase cache in megabytes

// Pondering flags
extern uint32_t Pondering;
extern uint32_t PonderSearch;
extern uint32_t PonderGuess;

// Game record pieces that setup resets
constexpr int BoardHistorySize = 200;
extern uint32_t BoardHistory[BoardHistorySize][120];
extern uint32_t BoardHistoryCount;
extern int32_t RecentScores[3]; // BestScore after the engine's last moves, oldest first
