// Play at a chosen strength: a smaller search for each move of a game, and
// the move picked among the best few lines with an error that grows as the
// level falls. Off by default; analysis is never weakened.
#pragma once

#include <cstdint>

#include "board/Board.h"

// The levels offered, in Elo.
constexpr int32_t MinStrengthElo = 1400;
constexpr int32_t MaxStrengthElo = 1800;
constexpr int32_t DefaultStrengthElo = 1800;

// Settings the shell writes (options and Morvane.ini).
extern uint32_t LimitStrength; // 1: game moves are played at StrengthElo
extern int32_t StrengthElo;    // MinStrengthElo..MaxStrengthElo
extern uint64_t StrengthSeed;  // the level's random choices start from it

// What one level does. Levels between the anchor levels (Strength.cpp) are
// interpolated.
struct StrengthLevel {
    int32_t elo;
    uint64_t nodes;  // no new iteration starts once the search has used this many nodes
    int32_t spread;  // standard deviation of the error added to each line's score (centipawns)
    int32_t lossCap; // no line that scores more than this below the best is played (centipawns)
};
StrengthLevel LevelFor(int32_t elo);

// Lines searched to choose from, whatever MultiPV shows.
constexpr int32_t StrengthLines = 4;

// The line to play among `count` lines (scores from the mover's point of
// view, in any order, count >= 1) at `level`: each line within the level's
// loss cap gets a random error, and the highest sum wins. `random` is the
// choice's seed; the same seed gives the same line.
int32_t ChooseLine(const int32_t *scores, int32_t count, const StrengthLevel &level, uint64_t random);

// The search for a move to play in a game (not analysis) for `side`: with
// LimitStrength off the plain root search; on, the level's search and
// choice. PVTable[0] and BestScore then describe the chosen line.
Move ThinkForMove(uint32_t side);
