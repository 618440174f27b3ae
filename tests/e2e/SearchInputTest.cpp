// What the engine does with words that arrive while it searches.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "e2e/XboardEngine.h"

namespace {

using Lines = XboardEngine::Lines;
using namespace std::chrono_literals;

bool Has(const Lines &lines, const std::string &prefix) {
    for (const std::string &l : lines)
        if (l.rfind(prefix, 0) == 0) return true;
    return false;
}

// A long think: a 50-minute clock with the whole game to go.
void LongClock(XboardEngine &engine) { engine.Run({"level 0 50 0", "time 300000", "otim 300000"}); }

TEST(SearchInput, QuestionMarkMovesAtOnce) {
    XboardEngine engine;
    LongClock(engine);
    engine.Send("go");
    std::this_thread::sleep_for(500ms);
    const auto asked = std::chrono::steady_clock::now();
    engine.Send("?");
    bool found = false;
    engine.ReadUntilPrefix("move ", &found, 5000);
    EXPECT_TRUE(found) << "no move within five seconds of \"?\"";
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
    // The parked "?" is taken by the loop and ignored: no error line for it.
    EXPECT_FALSE(Has(engine.RunQuiet({}), "Error"));
}

TEST(SearchInput, DrawOfferIsDeclinedAndTheSearchGoesOn) {
    XboardEngine engine;
    LongClock(engine);
    engine.Send("go");
    std::this_thread::sleep_for(300ms);
    engine.Send("draw");
    bool found = false;
    Lines lines = engine.ReadUntilPrefix("Offer is declined", &found, 5000);
    EXPECT_TRUE(found);
    EXPECT_FALSE(Has(lines, "move ")) << "the offer did not stop the search";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(engine.Running());
    engine.Send("?");
    engine.ReadUntilPrefix("move ", &found, 5000);
    EXPECT_TRUE(found);
}

TEST(SearchInput, AnalysisEndsAtExitAndAnyOtherWordIsHandledByTheLoop) {
    XboardEngine engine;
    engine.Send("force"); // as an interface does before analysing: the engine plays neither side
    engine.Send("analyze");
    bool found = false;
    engine.ReadUntilPrefix("Start analyzing", &found, 5000);
    ASSERT_TRUE(found);
    std::this_thread::sleep_for(300ms);
    // A move during analysis ends that search; the loop plays it and analyses
    // the new position.
    engine.Send("e2e4");
    engine.ReadUntilPrefix("Start analyzing", &found, 5000);
    EXPECT_TRUE(found) << "the analysis did not restart after the move";
    std::this_thread::sleep_for(300ms);
    engine.Send("exit");
    Lines after = engine.RunQuiet({"list"}); // the loop answers again
    EXPECT_FALSE(Has(after, "move ")) << "analysis plays no move";
    // Black is to move after e2e4: the list holds black moves.
    std::string all;
    for (const std::string &l : after)
        all += l;
    EXPECT_NE(all.find("e7e5"), std::string::npos) << all;
}

TEST(SearchInput, NointerSearchCannotBeStopped) {
    XboardEngine engine;
    engine.Run({"nointer", "level 0 50 0", "time 30000", "otim 30000"});
    const auto start = std::chrono::steady_clock::now();
    engine.Send("go");
    bool found = false;
    Lines lines = engine.ReadUntilPrefix("time1 = ", &found);
    ASSERT_TRUE(found);
    const int softLimit = std::stoi(lines.back().substr(8)); // centiseconds
    ASSERT_GT(softLimit, 100);
    engine.Send("?");
    engine.ReadUntilPrefix("move ", &found);
    ASSERT_TRUE(found) << "the time limits end the search";
    // "?" is only read once the search has ended by its clock.
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(softLimit * 10 / 2));
}

TEST(SearchInput, ClosedInputDuringTheSearchEndsCleanly) {
    EngineProcess engine;
    ASSERT_TRUE(engine.Start());
    engine.ReadStartup();
    engine.Send("level 0 50 0");
    engine.Send("time 300000");
    engine.Send("go");
    std::this_thread::sleep_for(300ms);
    engine.CloseInput();
    EXPECT_EQ(engine.WaitExit(), 0);
}

} // namespace
