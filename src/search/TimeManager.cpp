#include "search/TimeManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "search/SearchHost.h"
#include "search/SearchParams.h"

int32_t TimeLimit1 = 1, TimeLimit2 = 1, TimeLimit3 = 1;
uint32_t FixedTimeMode = 0;
int64_t FixedMoveTime = 0;
int64_t SearchStartTime = 0;

namespace {

int32_t ClampLimit(int64_t t) {
    if (t < 1) return 1;
    if (t > INT32_MAX) return INT32_MAX;
    return int32_t(t);
}

void SetAll(int64_t t) { TimeLimit1 = TimeLimit2 = TimeLimit3 = ClampLimit(t); }

// No limit may take more than this, whatever the increment: five seconds stay
// on the clock, and on a clock below ten seconds half of it does.
int64_t ClockCap(int64_t total) {
    int64_t cap = total >= SmallClock ? total - ClockReserve : total / 2;
    return cap < 1 ? 1 : cap;
}

// The interface's and the network's delay comes off every limit; none falls
// below 1 cs.
void TakeOffMoveOverhead() {
    if (MoveOverhead <= 0) return;
    auto shorter = [](int32_t cs) { return ClampLimit((int64_t(cs) * 10 - MoveOverhead) / 10); };
    TimeLimit1 = shorter(TimeLimit1);
    TimeLimit2 = shorter(TimeLimit2);
    TimeLimit3 = shorter(TimeLimit3);
}

// The limits from the clock state or the set time per move, before the move
// overhead comes off.
void LimitsBeforeOverhead() {
    if (FixedMoveTime > 0) {
        // A set time per move: stop a little early, for the move to get out.
        const int64_t ms =
            FixedMoveTime > FixedTimeShortMs ? FixedMoveTime - FixedTimeMarginMs : FixedMoveTime * 9 / 10;
        SetAll(ms / 10);
        return;
    }
    const int64_t total = EngineClock;
    const int64_t reserve = total - ClockReserve;
    const int64_t clockCap = ClockCap(total);
    if (MovesToGo == 1) {
        SetAll(reserve < clockCap ? reserve : clockCap);
        return;
    }
    const int64_t spread = PonderEnabled ? MovesToSpreadPondering : MovesToSpread;
    const int64_t n = (MovesPerControl != 0 && int64_t(MovesToGo) < spread) ? int64_t(MovesToGo) : spread;
    const int64_t inc = Increment;
    const int64_t limit1 = ClampLimit(reserve / (2 * n) + inc / 2);
    int64_t cap = total - (limit1 - inc) * (n - 1) - ClockReserve;
    if (reserve < cap) cap = reserve;
    int64_t limit2 = HardLimitFactor * limit1 < cap ? HardLimitFactor * limit1 : cap;
    int64_t limit3 = DroppedLimitFactor * limit1 < cap ? DroppedLimitFactor * limit1 : cap;
    if (limit2 < limit1) limit2 = limit1;
    if (limit3 < limit1) limit3 = limit1;
    TimeLimit1 = ClampLimit(limit1 < clockCap ? limit1 : clockCap);
    TimeLimit2 = ClampLimit(limit2 < clockCap ? limit2 : clockCap);
    TimeLimit3 = ClampLimit(limit3 < clockCap ? limit3 : clockCap);
}

// The limits from the clock state, without the guess and fixed-time cases.
void ComputeLimits() {
    LimitsBeforeOverhead();
    TakeOffMoveOverhead();
    SearchHost.timeLimitsSet();
}

} // namespace

int64_t MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t ElapsedMilliseconds() { return MonotonicMilliseconds() - SearchStartTime; }

int32_t ElapsedTime() {
    const int64_t cs = ElapsedMilliseconds() / 10;
    return cs > INT32_MAX ? INT32_MAX : int32_t(cs);
}

void AllocateTime() {
    SearchStartTime = MonotonicMilliseconds();
    if (PonderGuess) {
        SetAll(PonderGuessTime);
        return;
    }
    if (FixedTimeMode) {
        SetAll(EngineClock);
        return;
    }
    ComputeLimits();
}

void RecomputeTime() { ComputeLimits(); }

void ExtendLimits(int32_t centiseconds) {
    TimeLimit1 = ClampLimit(int64_t(TimeLimit1) + centiseconds);
    TimeLimit2 = ClampLimit(int64_t(TimeLimit2) + centiseconds);
    TimeLimit3 = ClampLimit(int64_t(TimeLimit3) + centiseconds);
}

uint64_t PollInterval(uint64_t nodesPerSecond) {
    // A set time per move is kept to a few milliseconds: look a hundred times
    // a second instead of ten. A rate measured over a millisecond or two can
    // be far too high, so the gap is bounded as well.
    if (FixedMoveTime > 0 && !FixedTimeMode)
        return std::min<uint64_t>(nodesPerSecond / FixedTimePollsPerSecond, MaxFixedTimePollGap);
    return std::min<uint64_t>(nodesPerSecond / PollsPerSecond, MaxPollGap);
}

uint32_t SoftTimeUp() {
    if (PonderSearch || AnalyzeMode) return 0;
    return ElapsedTime() > TimeLimit1;
}

uint32_t HardTimeUp(uint32_t dropped) {
    if (PonderSearch || AnalyzeMode) return 0;
    if (dropped && !FixedTimeMode) return ElapsedTime() > TimeLimit3;
    return ElapsedTime() > TimeLimit2;
}

void CountMoveForClock() {
    if (MovesPerControl == 0) return;
    if (MovesToGo <= 1)
        MovesToGo = MovesPerControl;
    else
        MovesToGo -= 1;
}

void UncountMoveForClock() {
    if (MovesPerControl == 0) return;
    MovesToGo += 1;
    if (MovesToGo > MovesPerControl) MovesToGo = 1;
}
