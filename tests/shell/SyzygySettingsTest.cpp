// The Syzygy settings: "Morvane.ini" keys and option values in range or refused.
#include <gtest/gtest.h>

#include "shell/Config.h"
#include "shell/EngineOptions.h"
#include "shell/ShellTestSupport.h"
#include "tablebase/Syzygy.h"

TEST(SyzygySettings, ConfigurationKeys) {
    // The text; the hash size read; SyzygyPath; SyzygyProbeDepth.
    const std::tuple<std::string, int64_t, std::string, int32_t> cases[] = {
        {"Hash 8", 8, "", 1},
        {"SyzygyPath /t/a:/t/b SyzygyProbeDepth 4 Hash 8", 8, "/t/a:/t/b", 4},
        {"SyzygyProbeDepth 0 Hash 8", 8, "", 1},
        {"SyzygyProbeDepth 1000 Hash 8", 8, "", SyzygyProbeDepthMax},
        {"SyzygyProbeDepth deep Hash 8", HashNotGiven, "", 1}, // a value that is no number ends the reading
        {"Hash 8 SyzygyPath", 8, "", 1},
    };
    for (const auto &[text, hash, path, depth] : cases) {
        SCOPED_TRACE(text);
        SyzygyPath.clear();
        SyzygyProbeDepth = 1;
        EXPECT_EQ(ParseConfigText(text.data(), text.size()), hash);
        EXPECT_EQ(SyzygyPath, path);
        EXPECT_EQ(SyzygyProbeDepth, depth);
    }
    SyzygyPath.clear();
}

TEST(SyzygySettings, OptionValues) {
    if (!SyzygyCompiledIn) {
        EXPECT_FALSE(SetEngineOption("SyzygyProbeDepth", "2")); // not offered at all
        return;
    }
    // Name, value, taken?
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"SyzygyProbeDepth", "0", false},    {"SyzygyProbeDepth", "100", true}, {"SyzygyProbeDepth", "101", false},
        {"SyzygyProbeDepth", "2x", false},   {"SyzygyProbeLimit", "-1", false}, {"SyzygyProbeLimit", "8", false},
        {"SyzygyProbeLimit", "0", true},     {"syzygyprobelimit", "5", true},   {"Syzygy50MoveRule", "maybe", false},
        {"Syzygy50MoveRule", "false", true}, {"SyzygyNothing", "1", false},
    };
    for (const auto &[name, value, taken] : cases)
        EXPECT_EQ(SetEngineOption(name, value), taken) << name << " " << value;
    EXPECT_EQ(SyzygyProbeDepth, 100);
    EXPECT_EQ(SyzygyProbeLimit, 5);
    EXPECT_FALSE(Syzygy50MoveRule);
    EXPECT_TRUE(SetEngineOption("Syzygy50MoveRule", "true"));
    EXPECT_TRUE(Syzygy50MoveRule);
    SyzygyProbeDepth = 1;
    SetSyzygyProbeLimit(SyzygyProbeLimitMax);
}
