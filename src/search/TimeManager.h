// Time management: limits from the clock commands, the search clock.
#pragma once

#include <cstdint>

extern int32_t TimeLimit1, TimeLimit2, TimeLimit3;
extern uint32_t FixedTimeMode;

void AllocateTime();
void RecomputeTime();
int32_t ElapsedTime(); // centiseconds since the search started
uint32_t SoftTimeUp();
uint32_t HardTimeUp();
void CountMoveForClock();
void UncountMoveForClock();
