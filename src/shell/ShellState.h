// Shell state that other parts of the program read (and a few write). The
// settings the search and the evaluation read live with them and are declared
// in their state headers, included here so that the shell sees one whole.
#pragma once

#include <cstdint>

#include "board/Board.h"
#include "eval/EvalState.h"    // EngineSide, OpponentIsComputer
#include "search/SearchHost.h" // modes, clock state

extern uint32_t FritzMode; // keep search memory across games, never ponder
constexpr int PendingCommandSize = 128;
extern char PendingCommand[PendingCommandSize]; // word parked during a search, "" if none
extern uint32_t PostThinking;                   // print thinking lines
extern uint32_t Interruptible;                  // cleared by "nointer"
extern uint32_t GameResult;                     // one of the codes below
extern int32_t BookLearn;                       // -1 undefined, 0 or 1
extern uint32_t TestSuiteRunning;               // a "test" or "bench" run is in progress
extern uint32_t ShowWinChances;                 // UCI_ShowWDL: win/draw/loss chances in the info lines
// GameResult: the interface's "result", or a game that goes on.
constexpr uint32_t WhiteWon = 0, BlackWon = 1, GameDrawn = 2, GameInProgress = 3;
// Chess960: UCI_Chess960 on, or xboard's variant fischerandom. Castling is
// then written as UCI's king-takes-rook or xboard's O-O, and the books are
// used only in games from the standard start position.
extern uint32_t Chess960Mode;
extern uint32_t GameFromStandardStart; // the game was set up at the standard start position
void SetChess960Mode(uint32_t on);

// Settings from the configuration file
extern uint8_t ResignEnabled; // "Resign"
constexpr int TbPathSize = 256;
extern char TbPath[TbPathSize]; // "TbPath": tablebase directories
extern double TbCache;          // "TbCache": tablebase cache in megabytes
// "ExtraPlySearch": a fixed-time test search stops once a right move has
// stayed best this many iterations.
extern int32_t ExtraPlySearch;

// Pondering
extern uint32_t Pondering; // a ponder search is running or was just stopped
constexpr int ExpectedMoveSize = 16;
extern char ExpectedMove[ExpectedMoveSize]; // reply pondered on, or "nomove"
extern uint32_t PonderHit;                  // the expected move arrived during pondering

// The game record. Entry i of GameMoves is the move played at game ply i; it
// holds MaxGamePly entries and a move beyond that is refused.
extern Move GameMoves[MaxGamePly];
constexpr int BoardHistorySize = 200;
extern uint32_t BoardHistory[BoardHistorySize][120];
extern uint32_t BoardHistoryCount;
extern int32_t RecentScores[3]; // BestScore after the engine's last moves, oldest first

// What RecordBoard is about to overwrite, kept so that undo can put the
// record back exactly as it was (boards before a capture included).
struct BoardHistoryUndo {
    uint32_t count;         // BoardHistoryCount before the move
    uint32_t slot;          // slot the move writes
    uint8_t slid;           // the full record dropped its oldest board
    uint32_t snapshot[120]; // the board that slot (or the dropped one) held
};
// State before the move of one game ply, for undo.
struct GameUndoEntry {
    uint32_t epSquare;
    uint32_t castleSpoilers[4];
    Move lastMoves[2]; // the two game slots of MoveStack
    BoardHistoryUndo boardHistory;
};
// Undo state of each game ply.
extern GameUndoEntry GameUndo[MaxGamePly];

// Points the search's hooks (search/SearchHost.h) at the shell: input poll,
// its output lines, the game record's repetition test, the test-suite answer;
// and the lower layers' messages (PrintNotice) at the shell's output. Every
// program that links the shell runs it before main.
void InstallSearchHost();
