// Bad input of every kind: unknown words, long words, malformed arguments,
// the end of input, signals, random bytes.
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/XboardEngine.h"

namespace {

using Lines = std::vector<std::string>;

void StartQuiet(EngineProcess &engine) {
    ASSERT_TRUE(engine.Start());
    bool found = false;
    engine.ReadStartup(&found);
    ASSERT_TRUE(found);
}

} // namespace

TEST(RobustInput, UnknownWordsEachGetTheirOwnLine) {
    XboardEngine engine;
    // Not commands here, and neither are their arguments.
    engine.Send("sdx 5");
    engine.Send("ping 7\thint");
    engine.Send("Quit QUIT quit2");
    EXPECT_EQ(engine.Sync(), (Lines{"Error (unknown command): sdx", "Error (unknown command): 5", "pong 7",
                                    "Error (unknown command): Quit", "Error (unknown command): QUIT",
                                    "Error (unknown command): quit2"}));
}

TEST(RobustInput, SilentCommandsPrintNothing) {
    XboardEngine engine;
    engine.Send("xboard");
    engine.Send("protover 2");
    engine.Send("accepted done");
    engine.Send("random computer post nopost easy hard reset fritz ? exit");
    engine.Send("otim 4000 force");
    engine.Send("level 40 5 0");
    engine.Send("level 0 2:30 12");
    engine.Send("time 6000");
    engine.Send("time -150");
    EXPECT_TRUE(engine.Sync().empty());
    engine.Send("printbook import");
    EXPECT_EQ(engine.Sync(), (Lines{"Not implemented", "Not implemented"}));
}

TEST(RobustInput, MalformedIntegerArgumentsGiveOneLineAndTheEngineGoesOn) {
    XboardEngine engine;
    engine.Send("time abc");
    engine.Send("time 12x");
    engine.Send("time 99999999999");
    engine.Send("level x 5 0");
    engine.Send("level 40 5 zero");
    engine.Send("level -1 5 0");
    engine.Send("perft q");
    engine.Send("setup file.epd first");
    EXPECT_EQ(engine.Sync(), (Lines{"Error (bad argument): time abc", "Error (bad argument): time 12x",
                                    "Error (bad argument): time 99999999999", "Error (bad argument): level x",
                                    "Error (bad argument): level zero", "Error (bad argument): level -1",
                                    "Error (bad argument): perft q", "Error (bad argument): setup first"}));
}

TEST(RobustInput, OverlongWordIsRefusedWhole) {
    XboardEngine engine;
    std::string word(100, 'q');
    std::string huge = "quit" + std::string(20000, 'x');
    engine.Send(word + " " + huge);
    engine.Send(std::string(99, 'w'));
    EXPECT_EQ(engine.Sync(), (Lines{"Error (unknown command): " + std::string(99, 'q') + "...",
                                    "Error (unknown command): quit" + std::string(95, 'x') + "...",
                                    "Error (unknown command): " + std::string(99, 'w')}));
    // A long "result" comment is swallowed whole.
    engine.Send("result 1/2-1/2 {" + std::string(50000, 'c') + " quit}");
    EXPECT_TRUE(engine.Sync().empty());
}

TEST(RobustInput, EndOfInputEndsWithStatusZeroAndNoOutput) {
    const char *lastWords[] = {"", "force\n", "time", "level 40", "result 1-0", "edit\nPe2", "setup x.epd", "post"};
    for (const char *input : lastWords) {
        EngineProcess engine;
        StartQuiet(engine);
        engine.SendRaw(input);
        engine.CloseInput();
        EXPECT_EQ(engine.ReadToEnd(), "") << input;
        EXPECT_EQ(engine.WaitExit(), 0) << input;
    }
}

TEST(RobustInput, InterruptSignalDoesNotEndTheEngine) {
    XboardEngine engine;
    ASSERT_TRUE(engine.Signal(SIGINT));
    engine.Send("time 100");
    bool found = false;
    engine.Sync(&found);
    EXPECT_TRUE(found);
    ASSERT_TRUE(engine.Signal(SIGINT));
}

TEST(RobustInput, VanishedReaderOfTheOutputDoesNotKillTheEngine) {
    // Output into a closed pipe: the engine must not die of the signal.
    EngineProcess engine;
    StartQuiet(engine);
    engine.CloseOutput();
    for (int i = 0; i < 50; ++i)
        engine.Send("unknownword" + std::to_string(i));
    engine.CloseInput();
    EXPECT_EQ(engine.WaitExit(), 0);
}

namespace {

// Feeds a stream of bytes and expects the engine to read it all and end
// normally at the end of input.
void ExpectSurvives(const std::string &input, const std::string &what) {
    EngineProcess engine;
    StartQuiet(engine);
    engine.SendRaw(input);
    engine.CloseInput();
    engine.ReadToEnd();
    int status = engine.WaitExit();
    EXPECT_TRUE(status == 0) << what << ": status " << status;
}

#ifdef MORVANE_SANITIZED
constexpr int FuzzRounds = 2;
constexpr size_t FuzzBytes = 16 * 1024;
#else
constexpr int FuzzRounds = 6;
constexpr size_t FuzzBytes = 64 * 1024;
#endif

} // namespace

TEST(RobustInput, RandomBytesNeverCrash) {
    for (int round = 0; round < FuzzRounds; ++round) {
        std::mt19937 random(1000 + round);
        std::string input;
        for (size_t i = 0; i < FuzzBytes; ++i) {
            // Every byte value, with extra blanks and line breaks so words stay short.
            uint32_t r = random() % 300;
            input += r < 256 ? char(r) : r < 280 ? ' ' : '\n';
        }
        ExpectSurvives(input, "random round " + std::to_string(round));
    }
}

TEST(RobustInput, RandomCommandSequencesNeverCrash) {
    // Words the loop knows, with arguments right and wrong. Nothing here lets
    // the engine think on its own ("new" is always followed by "force").
    std::vector<std::string> vocabulary = {"new\nforce", "\r\n", "\n", "\t", std::string(150, 'y')};
    std::istringstream words(
        "force undo remove edit # c . Ke1 Ke8 Pe2 Qd8 xe2 Zz9 K Ka9 display list swap score level "
        "time otim result 1-0 0-1 1/2-1/2 setup x.epd perft 0 1 -5 abc e2e4 e7e5 g1f3 e7e8q e7e8=Q "
        "a7a8N O-O e1g1 post nopost ? exit reset protover accepted xboard random computer printbook "
        "easy { } 99999999999");
    for (std::string w; words >> w;)
        vocabulary.push_back(w);
    for (int round = 0; round < FuzzRounds; ++round) {
        std::mt19937 random(2000 + round);
        std::string input;
        while (input.size() < FuzzBytes / 4) {
            input += vocabulary[random() % vocabulary.size()];
            input += random() % 4 == 0 ? '\n' : ' ';
        }
        ExpectSurvives(input, "command round " + std::to_string(round));
    }
}
