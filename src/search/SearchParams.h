// Tuning of the search, in one place. Depths are in quarter plies (OnePly);
// scores in centipawns from white's point of view unless said otherwise.
#pragma once

#include <cstdint>

constexpr int32_t OnePly = 4;

// --- Extensions (at most one per node) ----------------------------------------

// In check, an enemy pawn one step from promotion, or a recapture of equal
// value: each is searched one ply deeper, since the line is forcing.
constexpr int32_t ForcingExtension = OnePly;
// A recapture extends only above this value (more than a pawn).
constexpr int32_t RecaptureMinValue = 100;
// The null move revealed a mate threat: a little deeper, short of a ply.
constexpr int32_t MateThreatExtension = 3;

// --- Pruning at the frontier ---------------------------------------------------

// Nodes this shallow (unextended) may be cut on material and evaluation alone.
constexpr int32_t FrontierDepth = OnePly;
// The frontier cut needs more piece weight than a rook: bare endings hide
// zugzwang and mates that the evaluation misses.
constexpr uint32_t FrontierCutMinWeight = 5;
// Below one ply the node is a quiescence node; its result is stored with this
// depth, so that it answers later quiescence-depth probes only.
constexpr int32_t QuiesceStoreDepth = 3;

// --- Null move -------------------------------------------------------------------

// Deep enough to try a null move (and to prefetch its position).
constexpr int32_t NullMoveMinDepth = 2 * OnePly;
// The null move's search is this much shallower: four plies.
constexpr int32_t NullMoveReduction = 4 * OnePly;
// The null move needs at least this much piece weight (a minor piece):
// without pieces zugzwang is the rule.
constexpr uint32_t NullMoveMinWeight = 1;
// A null move is tried only when the material, this much in the mover's
// favour, would already reach the cut bound.
constexpr int32_t NullMoveMargin = 87;
// A null-move score this far below zero (for the mover) is a mate threat.
constexpr int32_t MateThreatScore = 20000;
// Null-move cutoffs from this depth on are verified by a search of the real
// moves this much shallower.
constexpr int32_t NullVerifyDepth = 6 * OnePly;
constexpr int32_t NullVerifyReduction = 6 * OnePly;

// --- Internal deepening -------------------------------------------------------------

// Without a hash move, nodes this deep first search three plies shallower to
// find a move to start with.
constexpr int32_t InternalDeepeningDepth = 4 * OnePly;
constexpr int32_t InternalDeepeningReduction = 3 * OnePly;

// --- Late-move reductions ---------------------------------------------------------

// Quiet moves that rarely cut off are reduced by a ply at nodes this deep,
// after the first few moves were searched in full.
constexpr int32_t ReductionMinDepth = 3 * OnePly;
constexpr int32_t FullDepthMoves = 3;
constexpr int32_t LateMoveReduction = OnePly;
// "Rarely": cutoffs in fewer than 11468 of 16384 tries (about 70 %).
constexpr int64_t CutoffRateScale = 16384;
constexpr int64_t LowCutoffRateLimit = 11468;

// --- Quiescence -----------------------------------------------------------------------

// Beyond this ply a quiescence node stands pat: long capture chains are rare
// and the evaluation is good enough there.
constexpr int32_t QuiescePlyCap = 64;
// A capture must win back the gap between the stand pat and the bound, less
// this margin for what the position gains besides the material.
constexpr int32_t QuiesceCaptureMargin = 150;

// --- Root ---------------------------------------------------------------------------------

// Half width of the aspiration window around the previous score.
constexpr int32_t AspirationWindow = 31;
// After this many re-searches of one root move the window opens fully.
constexpr int32_t MaxWindowWidenings = 5;
// With several lines, a quiet move behind them is first searched this much
// shallower: it must only beat the last line, whose score lies below the
// best, and a two-ply probe refutes most moves that cannot. Measured on 93
// tactical positions at depth 10: the moves of the lines are as good as with
// one ply, for a fifth fewer nodes; three plies missed good moves.
constexpr int32_t LineLateMoveReduction = 2 * OnePly;
// A line this far below the best one is a clear second choice: its tree
// reduces late quiet moves a ply more. Such lines are what costs most in
// tactical positions, where the best move's tree is small and the others'
// are not. Measured on 96 positions at depth 10 with three lines: a fifth
// fewer nodes, and the lines' moves as good as before; at one pawn they
// fell short more often.
constexpr int32_t DistantLineMargin = 200;
constexpr int32_t DistantLineReduction = OnePly;
// A root score this much below the previous iteration's counts as a drop:
// the longer hard limit applies.
constexpr int32_t ScoreDropMargin = 50;
// The clock ends a search between root moves only after this many
// iterations: a move from a shallower one is too weak to play.
constexpr uint32_t TimeCheckMinDepth = 3;

// --- Time -------------------------------------------------------------------------------------

// Five seconds (centiseconds) stay on the clock...
constexpr int64_t ClockReserve = 500;
// ...unless the clock holds less than twice that: then half of it stays.
constexpr int64_t SmallClock = 2 * ClockReserve;
// A fixed time per move ends this many milliseconds early, for the move to
// get out, or a tenth early on short times.
constexpr int64_t FixedTimeMarginMs = 30;
constexpr int64_t FixedTimeShortMs = 300;
// The clock is spread over this many moves (fewer when pondering, which gains
// time back on the opponent's moves).
constexpr int64_t MovesToSpread = 33;
constexpr int64_t MovesToSpreadPondering = 25;
// The hard limits: five and ten times the soft one.
constexpr int64_t HardLimitFactor = 5;
constexpr int64_t DroppedLimitFactor = 10;
// The short search that guesses the opponent's move before pondering
// (centiseconds).
constexpr int32_t PonderGuessTime = 100;
// Input polls: ten a second, a hundred with a set time per move; node gaps
// bounded for rates measured over too short a time.
constexpr uint64_t PollsPerSecond = 10;
constexpr uint64_t FixedTimePollsPerSecond = 100;
constexpr uint64_t MaxPollGap = 100000;
constexpr uint64_t MaxFixedTimePollGap = 10000;
