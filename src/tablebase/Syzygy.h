// Syzygy endgame tables, read through the Fathom library: win/draw/loss of
// the current position for the search, distance to zeroing for the root.
//
// Without Fathom at build time (MORVANE_SYZYGY undefined) the functions are
// still there but find no tables, so callers need no build switches of
// their own; SyzygyCompiledIn tells whether the options make sense at all.
#pragma once

#include <cstdint>
#include <string>

#include "board/Board.h"

#ifdef MORVANE_SYZYGY
constexpr bool SyzygyCompiledIn = true;
#else
constexpr bool SyzygyCompiledIn = false;
#endif

// ---------------------------------------------------------------------------
// Settings (written by the shell while no search runs)

extern std::string SyzygyPath;   // folders separated by ':'; empty = off
extern int32_t SyzygyProbeDepth; // the search probes at this remaining depth (plies) or more
extern int32_t SyzygyProbeLimit; // and with at most this many pieces, kings included
extern bool Syzygy50MoveRule;    // a win or loss that the fifty-move rule spoils is a draw

constexpr int32_t SyzygyProbeLimitMax = 7;
constexpr int32_t SyzygyProbeDepthMax = 100;

// Pieces (kings included) at or below which the search probes:
// min(SyzygyProbeLimit, largest table loaded); 0 when no table is loaded.
// Kept up to date by SyzygyInit and SetSyzygyProbeLimit.
extern uint32_t SyzygyProbePieces;
// Largest table loaded (pieces, kings included), 0 = none.
extern uint32_t SyzygyLargest;

// ---------------------------------------------------------------------------
// Loading

struct SyzygyLoadResult {
    int tables = 0;       // win/draw/loss tables found (one per ending)
    bool ok = true;       // false: nothing usable, see `warnings`
    std::string warnings; // "WARNING: ..." lines without line breaks, '\n' between them
};

// Loads the tables under the ':'-separated folders of `path` (which becomes
// SyzygyPath); an empty path unloads them. Never fails hard: folders that do
// not exist and files that are not tables are reported in the result and
// left out.
SyzygyLoadResult SyzygyInit(const std::string &path);
void SetSyzygyProbeLimit(int32_t pieces);

// ---------------------------------------------------------------------------
// Probes

// Results for the side to move, the fifty-move rule counted from a
// capture or pawn move just played.
enum SyzygyWdl : int32_t {
    SyzygyLoss = -2,
    SyzygyBlessedLoss = -1, // lost, but the fifty-move rule saves it
    SyzygyDraw = 0,
    SyzygyCursedWin = 1, // won, but not within the fifty-move rule
    SyzygyWin = 2,
    SyzygyNoAnswer = 99, // not in the tables, or the probe failed
};

// A position as Fathom takes it: one bit per square, a1 = bit 0, h8 = bit 63.
struct SyzygyBoard {
    uint64_t white, black, kings, queens, rooks, bishops, knights, pawns;
    uint32_t ep; // en-passant target square, 0 = none
    bool whiteToMove;
};
// The current position in these terms (epSquare a board square, 0 = none).
SyzygyBoard SyzygyBoardOfPosition(uint32_t side, Square epSquare);
SyzygyWdl SyzygyProbeWdl(const SyzygyBoard &b);

// The current position with `side` to move and an en-passant target square
// (a board square, 0 = none). The caller makes sure the position has no
// castling rights and at most SyzygyLargest pieces. Thread-safe.
SyzygyWdl SyzygyProbeWdl(uint32_t side, Square epSquare);

// A root move with its table result.
struct SyzygyRootMove {
    Move move;
    SyzygyWdl wdl; // for the side to move at the root, after this move
    int32_t dtz;   // plies to the next capture or pawn move (Fathom's count)
};

// Root probe of the current position: the result of each of `count` legal
// moves, with the fifty-move counter `rule50` (plies since the last capture
// or pawn move). False when the position is not in the tables or a probe
// failed. Not thread-safe: the main thread only.
bool SyzygyProbeRoot(uint32_t side, Square epSquare, uint32_t rule50, SyzygyRootMove *moves, int count);

// Rank of a result under the current Syzygy50MoveRule setting: higher is
// better for the side to move; a move keeps the best result when its rank
// equals the best rank of the root moves.
int32_t SyzygyResultRank(SyzygyWdl wdl);
