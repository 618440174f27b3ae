// "level" and "time" reach the time allocation: the limits printed when the
// engine starts thinking follow from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/XboardEngine.h"

namespace {

using Lines = std::vector<std::string>;

// Sends the commands, then "go"; returns the three limit lines and stops the
// search at once with "?" so the engine plays.
Lines LimitsAfter(const Lines &commands, Lines *errors = nullptr) {
    XboardEngine engine;
    engine.Send("new");
    for (const std::string &c : commands)
        engine.Send(c);
    if (errors) *errors = engine.Sync();
    engine.Send("go");
    bool found = false;
    Lines seen = engine.ReadUntilPrefix("time3 = ", &found);
    engine.Send("?");
    bool moved = false;
    engine.ReadUntilPrefix("move ", &moved);
    EXPECT_TRUE(moved);
    Lines limits;
    for (const std::string &l : seen)
        if (l.rfind("time", 0) == 0) limits.push_back(l);
    return limits;
}

} // namespace

TEST(Clock, MovesPerControlAndClock) {
    // 40 moves in the control: 33 moves are spread over the clock less 5 s.
    EXPECT_EQ(LimitsAfter({"level 40 5 0", "time 6000"}), (Lines{"time1 = 83", "time2 = 415", "time3 = 830"}));
    // Five moves to go: the clock is spread over them.
    EXPECT_EQ(LimitsAfter({"level 5 1 0", "time 1100"}), (Lines{"time1 = 60", "time2 = 300", "time3 = 360"}));
}

TEST(Clock, IncrementIsGivenInSeconds) {
    EXPECT_EQ(LimitsAfter({"level 0 2 12", "time 6000"}), (Lines{"time1 = 683", "time2 = 3415", "time3 = 5500"}));
}

TEST(Clock, BadArgumentsLeaveTheValuesAsTheyWere) {
    Lines errors;
    EXPECT_EQ(LimitsAfter({"level 5 1 0", "time 1100", "level x 1 0", "level 7 1 y", "time abc"}, &errors),
              (Lines{"time1 = 60", "time2 = 300", "time3 = 360"}));
    EXPECT_EQ(errors, (Lines{"Error (bad argument): level x", "Error (bad argument): level y",
                             "Error (bad argument): time abc"}));
}
