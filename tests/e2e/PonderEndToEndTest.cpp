// Pondering through the protocol: the engine thinks on the opponent's time
// after its move, continues on a hit and starts afresh on a miss.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/XboardEngine.h"

namespace {

bool Contains(const std::vector<std::string> &lines, const std::string &line) {
    for (const std::string &l : lines)
        if (l == line) return true;
    return false;
}

// The first move after "pv = " on the move summary line, "" when none.
std::string ExpectedReply(const std::vector<std::string> &lines) {
    for (const std::string &l : lines) {
        size_t at = l.find(" Knps pv = ");
        if (l.rfind("tellics ", 0) != 0 || at == std::string::npos) continue;
        std::string pv = l.substr(at + 11);
        return pv.substr(0, pv.find(' '));
    }
    return "";
}

std::string MovePlayed(const std::vector<std::string> &lines) {
    for (const std::string &l : lines)
        if (l.rfind("move ", 0) == 0) return l.substr(5);
    return "";
}

} // namespace

TEST(PonderEndToEnd, HitContinuesAndMissStartsAfresh) {
    XboardEngine engine;
    engine.Send("new");
    bool found = false;
    engine.Send("hard");
    engine.Send("post");
    engine.Send("time 6000");
    engine.Send("otim 6000");
    engine.Send("e2e4");

    // The engine's answer, its summary line, then pondering on the reply.
    auto lines = engine.ReadUntilPrefix("Pondering ... ", &found);
    ASSERT_TRUE(found);
    std::string reply = ExpectedReply(lines);
    ASSERT_FALSE(MovePlayed(lines).empty());
    if (reply.empty() || reply == "####") GTEST_SKIP() << "the search left no reply to ponder on";
    // The reply is made on the engine's board: nothing else is printed
    // until the opponent moves.

    // Hit: clock updates first, then the expected move.
    engine.Send("time 5900");
    engine.Send("otim 5800");
    engine.Send(reply);
    lines = engine.ReadUntilPrefix("move ", &found);
    ASSERT_TRUE(found);
    EXPECT_TRUE(Contains(lines, "Continue pondering")) << reply;
    EXPECT_FALSE(Contains(lines, "Abort pondering"));
    // The summary line follows with one expected reply, then pondering goes on.
    lines = engine.ReadUntilPrefix("Pondering ... ", &found);
    ASSERT_TRUE(found);
    std::string reply2 = ExpectedReply(lines);
    EXPECT_EQ(reply2.find(' '), std::string::npos);

    // Miss: a move other than the expected one. The first candidate that is
    // legal here is taken; illegal ones are refused by the loop.
    std::vector<std::string> candidates = {"a2a3", "h2h3", "b2b3", "g2g3", "a2a4", "h2h4"};
    bool aborted = false, moved = false;
    for (const std::string &c : candidates) {
        if (c == reply2 || c == reply) continue;
        engine.Send("time 5800");
        engine.Send("otim 5700");
        engine.Send(c);
        lines = engine.ReadUntil(
            [&](const std::string &l) { return l.rfind("move ", 0) == 0 || l == "Error (unknown command): " + c; },
            &found);
        ASSERT_TRUE(found);
        aborted = aborted || Contains(lines, "Abort pondering");
        if (!MovePlayed(lines).empty()) {
            moved = true;
            break;
        }
    }
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(moved) << "the engine answers the real move";
}

TEST(PonderEndToEnd, EasyTurnsPonderingOff) {
    XboardEngine engine;
    engine.Send("new");
    bool found = false;
    engine.Send("hard");
    engine.Send("easy");
    engine.Send("time 3000");
    engine.Send("e2e4");
    auto lines = engine.ReadUntilPrefix("move ", &found);
    ASSERT_TRUE(found);
    lines = engine.Sync(&found);
    ASSERT_TRUE(found);
    for (const std::string &l : lines)
        EXPECT_NE(l.rfind("Pondering", 0), 0u) << l;
}

TEST(PonderEndToEnd, ForceDuringTheEnginesSearchPlaysNoMove) {
    XboardEngine engine;
    engine.Send("new");
    bool found = false;
    engine.Send("time 100000");
    engine.Send("e2e4");
    engine.ReadUntilPrefix("Eval = ", &found);
    ASSERT_TRUE(found);
    engine.Send("force");
    auto lines = engine.Sync(&found);
    ASSERT_TRUE(found);
    for (const std::string &l : lines)
        EXPECT_NE(l.rfind("move ", 0), 0u) << l;
    // The board still has Black to move: Black's reply is accepted.
    engine.Send("e7e5");
    lines = engine.Sync(&found);
    ASSERT_TRUE(found);
    for (const std::string &l : lines)
        EXPECT_EQ(l.find("Error"), std::string::npos) << l;
}
