// Time management: limits from the clock commands, the search clock.
#pragma once

#include <cstdint>

#include "search/SearchState.h"

void AllocateTime();
void RecomputeTime();
// Moves all three limits later (the pondering time before a ponder hit).
void ExtendLimits(int32_t centiseconds);
// Nodes between two input polls at the given node rate.
uint64_t PollInterval(uint64_t nodesPerSecond);
int64_t MonotonicMilliseconds();
int32_t ElapsedTime(); // centiseconds since the search started
int64_t ElapsedMilliseconds();
uint32_t SoftTimeUp();
// Hard limit: TimeLimit3 when `dropped` (the root score fell), else TimeLimit2.
uint32_t HardTimeUp(uint32_t dropped);
inline uint32_t HardTimeUp() { return HardTimeUp(1); } // the largest limit
void CountMoveForClock();
void UncountMoveForClock();
