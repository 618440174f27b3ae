// Time management: limits from the clock commands, the search clock.
#pragma once

#include <cstdint>

#include "search/SearchState.h"

void AllocateTime();
void RecomputeTime();
int64_t MonotonicMilliseconds();
int32_t ElapsedTime(); // centiseconds since the search started
int64_t ElapsedMilliseconds();
uint32_t SoftTimeUp();
// Hard limit: TimeLimit3 when `dropped` (the root score fell), else TimeLimit2.
uint32_t HardTimeUp(uint32_t dropped);
inline uint32_t HardTimeUp() { return HardTimeUp(1); } // the largest limit
void CountMoveForClock();
void UncountMoveForClock();
