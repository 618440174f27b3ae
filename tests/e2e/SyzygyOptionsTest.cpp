// Syzygy settings through both protocols and "Morvane.ini": how many tables
// were found, warnings for paths that hold none, and an engine that goes on.
#include <gtest/gtest.h>

#include "RequiredPackage.h"
#include "e2e/EngineProcess.h"
#include "tablebase/Syzygy.h"

using namespace e2e;

namespace {

const std::string Tables = std::string(MORVANE_TEST_DATA) + "/syzygy";

class SyzygyOptions : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!SyzygyCompiledIn) SKIP_WITHOUT_PACKAGE("built without Fathom (libfathom-dev)");
    }
};

} // namespace

TEST_F(SyzygyOptions, UciLoadsReportsAndGoesOnAfterBadPaths) {
    UciEngine engine;
    const std::string tooLong = "/" + std::string(5000, 'x');
    for (const std::string &value :
         {Tables, std::string("/no/such/folder"), tooLong + ":" + Tables, std::string("<empty>")})
        engine.Send("setoption name SyzygyPath value " + value);
    for (const char *c : {"SyzygyProbeLimit value 8", "SyzygyProbeDepth value 0", "Syzygy50MoveRule value perhaps",
                          "SyzygyProbeLimit value 5", "syzygy50moverule value false"})
        engine.Send(std::string("setoption name ") + c);
    bool ready = false;
    const Lines lines = engine.Ready(&ready);
    ASSERT_TRUE(ready) << Joined(lines);
    EXPECT_EQ(
        lines,
        (Lines{"info string found 9 Syzygy tables", "info string WARNING: Syzygy folder /no/such/folder does not exist",
               "info string WARNING: no Syzygy tables found in /no/such/folder",
               "info string WARNING: Syzygy folder name longer than the system allows (5001 characters), "
               "not used",
               "info string found 9 Syzygy tables", "info string Syzygy tables off",
               "info string bad value, the option keeps its value: name SyzygyProbeLimit value 8",
               "info string bad value, the option keeps its value: name SyzygyProbeDepth value 0",
               "info string bad value, the option keeps its value: name Syzygy50MoveRule value perhaps", "readyok"}));
}

TEST_F(SyzygyOptions, XboardTakesEgtpathAndOptions) {
    Lines intro;
    XboardEngine engine(false, &intro);
    EXPECT_EQ(Count(intro, "feature sigint=0 sigterm=0 reuse=1 colors=0 egt=\"nalimov,syzygy\""), 1);
    for (const char *option :
         {"feature option=\"SyzygyPath -path \"", "feature option=\"SyzygyProbeDepth -spin 1 1 100\"",
          "feature option=\"SyzygyProbeLimit -spin 7 0 7\"", "feature option=\"Syzygy50MoveRule -check 1\""})
        EXPECT_EQ(Count(intro, option), 1) << option;
    EXPECT_EQ(engine.Run({"egtpath syzygy " + Tables, "egtpath syzygy /no/such/folder", "option SyzygyPath=" + Tables,
                          "option SyzygyProbeLimit=9", "option Syzygy50MoveRule=0"}),
              (Lines{"found 9 Syzygy tables", "WARNING: Syzygy folder /no/such/folder does not exist",
                     "WARNING: no Syzygy tables found in /no/such/folder", "found 9 Syzygy tables",
                     "Error (bad argument): option SyzygyProbeLimit=9"}));
}

// The optional keys: read when there (a depth out of range clamped), tables loaded at start-up; the file
// written on a first start keeps its six lines.
TEST_F(SyzygyOptions, ConfigurationFileKeys) {
    const std::pair<std::string, Lines> cases[] = {
        {"SyzygyPath " + Tables + "\nSyzygyProbeDepth 3\n",
         {"found 9 Syzygy tables", "feature option=\"SyzygyProbeDepth -spin 3 1 100\""}},
        {"SyzygyPath /no/such/folder\nSyzygyProbeDepth 1000\n",
         {"WARNING: no Syzygy tables found in /no/such/folder", "feature option=\"SyzygyProbeDepth -spin 100 1 100\""}},
        {"", {}}};
    for (const auto &[keys, expected] : cases) {
        EngineProcess engine(false);
        if (!keys.empty()) engine.WriteFile("Morvane.ini", "BookLearn FALSE\nHash 8\n" + keys);
        ASSERT_TRUE(engine.Start());
        const Lines lines = engine.ReadStartup();
        EXPECT_EQ(Count(lines, "found ") + Count(lines, "WARNING: no Syzygy"), int(expected.size()) / 2) << keys;
        for (const std::string &line : expected)
            EXPECT_EQ(Count(lines, line), 1) << Joined(lines);
        engine.Send("quit");
        EXPECT_EQ(engine.WaitExit(), 0);
        EXPECT_TRUE(!keys.empty() || engine.ReadFile("Morvane.ini").find("Syzygy") == std::string::npos);
    }
}
