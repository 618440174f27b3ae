// The long diagnostic runs ("test", "bench", "perft") and analysis under
// "nointer" end when the interface goes away or says "quit".
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "e2e/XboardEngine.h"

namespace {

using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

// A started engine with a copy of the 299-position suite in its directory.
void StartWithSuite(EngineProcess &engine) {
    std::ifstream in(std::string(MORVANE_TEST_DATA) + "/wac.epd");
    std::stringstream text;
    text << in.rdbuf();
    engine.WriteFile("t.epd", text.str());
    ASSERT_TRUE(engine.Start());
    bool found = false;
    engine.ReadStartup(&found);
    ASSERT_TRUE(found);
}

int LoggedPositions(const EngineProcess &engine) {
    std::string log = engine.ReadFile("TestSuite.log");
    int n = 0;
    for (size_t at = log.find("Position "); at != std::string::npos; at = log.find("Position ", at + 1))
        ++n;
    return n;
}

// Ways to end the input while a run is going on.
enum class Ending { Close, Quit };

void End(EngineProcess &engine, Ending how) {
    if (how == Ending::Close)
        engine.CloseInput();
    else
        engine.Send("quit");
}

} // namespace

TEST(LongRunEnd, TestSuiteStopsAfterThePositionWhenTheInputEnds) {
    for (Ending how : {Ending::Close, Ending::Quit}) {
        // Analysis before the suite must not lift the suite's time limit.
        EngineProcess engine;
        StartWithSuite(engine);
        engine.Send("time 20");
        engine.Send("analyze");
        engine.Send("test t.epd");
        bool found = false;
        engine.ReadUntilPrefix("Testing from t.epd", &found);
        ASSERT_TRUE(found);
        End(engine, how);
        EXPECT_EQ(engine.WaitExit(), 0) << "the engine went on after the end of its input";
        const int logged = LoggedPositions(engine);
        EXPECT_GE(logged, 1);
        EXPECT_LT(logged, 299) << "the suite ran to its end";
    }
}

TEST(LongRunEnd, TestSuiteKeepsItsOwnLimitsDuringAnalysis) {
    XboardEngine engine;
    engine.WriteFile("two.epd", "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8#;\n"
                                "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Kf2;\n");
    engine.Send("time 20");
    engine.Send("analyze");
    engine.Send("test two.epd");
    bool found = false;
    engine.ReadUntilPrefix("Current result 1 of 2 (0.5)", &found);
    EXPECT_TRUE(found) << "the second position was never reached";
    // The engine analyses again afterwards, and stops for "exit".
    engine.ReadUntilPrefix("Start analyzing", &found);
    EXPECT_TRUE(found);
    engine.Send("exit");
    engine.Sync(&found);
    EXPECT_TRUE(found);
}

TEST(LongRunEnd, PerftIsAbandonedWhenTheInputEnds) {
    for (Ending how : {Ending::Close, Ending::Quit}) {
        EngineProcess engine;
        StartWithSuite(engine);
        engine.Send("perft 9"); // hours of counting
        std::this_thread::sleep_for(200ms);
        End(engine, how);
        EXPECT_EQ(engine.WaitExit(), 0) << "the count went on after the end of the input";
        EXPECT_EQ(engine.ReadToEnd().find("Total nodes"), std::string::npos) << "a part count is no count";
    }
}

TEST(LongRunEnd, ClosedInputEndsAnalysisAfterNointer) {
    EngineProcess engine;
    StartWithSuite(engine);
    engine.Send("nointer");
    engine.Send("analyze");
    bool found = false;
    engine.ReadUntilPrefix("Start analyzing", &found);
    ASSERT_TRUE(found);
    std::this_thread::sleep_for(200ms);
    engine.CloseInput();
    EXPECT_EQ(engine.WaitExit(), 0) << "the analysis went on without an interface";
}
