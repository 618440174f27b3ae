// Search state that the shell and other subsystems read.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/Board.h"

// Principal variations: row p holds the line from ply p on.
extern constinit thread_local Move PVTable[MaxSearchPly + 2][MaxSearchPly + 2];

// Move played at each search ply; MoveStack[0] and [1] are the game's move
// before last and last move, the search's ply p move is MoveStack[p + 2].
constexpr int MoveStackOffset = 2;
extern constinit thread_local Move MoveStack[MaxSearchPly + MoveStackOffset + 2];
inline Move &MoveAtPly(int ply) { return MoveStack[ply + MoveStackOffset]; }

extern constinit thread_local uint64_t NodeCount;
extern constinit thread_local uint64_t QuiesceNodeCount;
extern constinit thread_local uint32_t StopSearch;
extern constinit thread_local int32_t BestScore; // engine's point of view
extern constinit thread_local uint32_t IterationDepth;
// The deepest ply any node of the running iteration reached, quiescence
// included.
extern constinit thread_local int32_t SelectiveDepth;
// Positions the endgame tables answered in the running search.
extern constinit thread_local uint64_t TbHits;

// Move ordering (MoveOrdering.cpp); HistoryScore (board/Board.h) is filled by the search.
extern constinit thread_local int32_t CutoffCount[14][128];
extern constinit thread_local int32_t TriedCount[14][128];
extern constinit thread_local Move KillerMoves[MaxSearchPly + 2][2];
extern constinit thread_local uint32_t FollowPV; // the node being ordered lies on the previous line
// Added to every late-move reduction of the tree being searched: nonzero
// only while a line far below the best is searched.
extern constinit thread_local int32_t ExtraLateMoveReduction;

// ---------------------------------------------------------------------------
// Scores

constexpr int32_t MateValue = 32767;
constexpr int32_t MateBound = 16383; // |score| above this is a mate score

// Search plies deeper than this are cut off with the static evaluation; the
// quiescence evasion chain has its own cap a few plies further down.
constexpr int32_t MainSearchPlyCap = MaxSearchPly - 8;
constexpr int32_t EvasionPlyCap = MaxSearchPly - 4;

// ---------------------------------------------------------------------------
// Root state

extern int32_t PreviousScore;    // white's view; centre of the next aspiration window
extern uint32_t ScoreDropped;    // the root score fell: the longer time limit applies
extern int32_t StableIterations; // iterations since the best move last changed
extern int32_t FailHighTime;     // centiseconds when a later root move first failed high
// Further lines far below the best are searched with deeper reductions
// (SearchParams.h); the strength levels, calibrated on full searches of every
// line, switch it off.
extern uint32_t ReduceDistantLines;
extern uint32_t SkipBook;           // the root does not consult the books (bench)
extern uint32_t BookBarred;         // the game is one the books do not know (Chess960 from another start)
extern int32_t RootMoveCount;       // legal root moves of the running search
extern int32_t RootMoveNumber;      // the root move being searched, 1 = the first
extern int32_t RootMaterial;        // material on the board at the root (MaterialLeft, search/WinChances.h)
extern uint32_t DepthLimit;         // deepest iteration to search; 0 = no limit
extern uint64_t NodeLimit;          // stop once this many nodes are searched; 0 = no limit
extern uint64_t IterationNodeLimit; // no new iteration starts past this many nodes; 0 = no limit
// Root moves the search may choose from; empty (count 0) = every legal move.
constexpr int RootSubsetSize = 256;
extern Move RootMoveSubset[RootSubsetSize];
extern int32_t RootMoveSubsetCount;
// Root moves the search must leave out, whatever the subset says.
extern Move RootMovesExcluded[RootSubsetSize];
extern int32_t RootMovesExcludedCount;

// Several principal variations: line 0 is the best move's, line k the best
// move's after the moves of lines 0..k-1 are left out. Each line keeps its
// score (white's view) and its moves; the root search fills them at the end
// of each line's search and sorts them best first at the end of an iteration.
constexpr int MaxPrincipalLines = 256;
struct PrincipalLine {
    int32_t score;
    Move moves[MaxSearchPly + 2];
};
extern PrincipalLine PrincipalLines[MaxPrincipalLines];
extern int32_t PrincipalLineCount; // lines of the running search
extern int32_t CurrentLine;        // the line being searched or reported

// Time limits (TimeManager.cpp)
extern int32_t TimeLimit1, TimeLimit2, TimeLimit3; // soft, hard, hard after a score drop (centiseconds)
extern uint32_t FixedTimeMode;                     // "st" / test runs: a fixed time per move
extern int64_t SearchStartTime;                    // monotonic clock in milliseconds
extern int64_t FixedMoveTime;                      // milliseconds per move ("st", "movetime"); 0 = the clock decides

// Node-rate paced input poll.
extern uint64_t NodesPerSecond; // last measured rate, kept across searches
extern constinit thread_local uint64_t NextPollCheck;
extern uint64_t LastPollNodes;
extern int64_t LastPollTime; // milliseconds into the search

// Transposition table (TranspositionTable.cpp); entries in search/TranspositionTable.h.
struct HashEntry;
extern HashEntry *HashTable;
extern uint32_t HashMask; // entries - 2: selects the even entry of a bucket
extern uint64_t HashEntries;
extern std::atomic<uint32_t> HashGeneration; // 0..7, advanced every root iteration
