// No time limit may exceed the clock, whatever the increment: the limits the
// engine prints stay below the time left less a margin, and the time the move
// took ("Time elapsed: ") stays below the clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

namespace {

using Lines = std::vector<std::string>;

long ValueAfter(const std::string &line, const std::string &prefix) {
    return line.rfind(prefix, 0) == 0 ? std::stol(line.substr(prefix.size())) : -1;
}

struct Outcome {
    std::vector<long> limits;
    long elapsed = -1;
};

// Sets the clock, lets the engine play one move, and reads what it printed.
Outcome MoveWith(const Lines &commands) {
    EngineProcess engine;
    EXPECT_TRUE(engine.Start());
    engine.ReadStartup();
    engine.Send("new");
    for (const std::string &c : commands)
        engine.Send(c);
    engine.Send("go");
    bool found = false;
    Lines lines = engine.ReadUntilPrefix("Time elapsed: ", &found);
    EXPECT_TRUE(found);
    Outcome out;
    for (const std::string &l : lines) {
        for (const char *p : {"time1 = ", "time2 = ", "time3 = "})
            if (long v = ValueAfter(l, p); v >= 0) out.limits.push_back(v);
        if (long v = ValueAfter(l, "Time elapsed: "); v >= 0) out.elapsed = v;
    }
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
    return out;
}

TEST(ClockCap, NoLimitAboveTheClock) {
    struct Case {
        Lines commands;
        long clock; // centiseconds left
    } cases[] = {
        {{"level 0 5 10", "time 400", "otim 400"}, 400}, // increment far above the clock
        {{"level 0 5 2", "time 50", "otim 50"}, 50},
        {{"level 0 0:30 0.5", "time 120", "otim 300"}, 120},
        {{"level 0 1 5", "time 1000"}, 1000},
        {{"level 40 5 30", "time 2000"}, 2000},
        {{"level 1 1 0", "time 300"}, 300}, // the last move before the control
        {{"level 0 5 0", "time 0"}, 0},     // nothing left at all
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.commands[0] + ", time " + std::to_string(c.clock));
        Outcome out = MoveWith(c.commands);
        ASSERT_EQ(out.limits.size(), 3u);
        // Half the clock below ten seconds, five seconds above; one
        // centisecond at the least.
        const long cap = std::max(1L, c.clock >= 1000 ? c.clock - 500 : c.clock / 2);
        for (long limit : out.limits)
            EXPECT_LE(limit, cap);
        if (c.clock > 20) {
            EXPECT_GE(out.elapsed, 0);
            EXPECT_LT(out.elapsed, c.clock) << "the move took longer than the clock had";
        }
    }
}

TEST(ClockCap, FixedTimePerMove) {
    // "st" gives every move the same time and stops a little before it.
    for (const char *st : {"st 1", "st 0.5"}) {
        SCOPED_TRACE(st);
        Outcome out = MoveWith({st, "time 100", "otim 100"});
        long want = std::string(st) == "st 1" ? 100 : 50;
        ASSERT_EQ(out.limits.size(), 3u);
        for (long limit : out.limits) {
            EXPECT_LE(limit, want);
            EXPECT_GE(limit, want * 8 / 10);
        }
    }
}

} // namespace
