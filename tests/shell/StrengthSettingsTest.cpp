// The strength settings in "Morvane.ini": read when present, a bad value
// warned about and left as it was; any text keeps them in range.
#include <gtest/gtest.h>

#include <random>

#include "search/Strength.h"
#include "shell/Config.h"
#include "shell/EngineOptions.h"
#include "shell/ShellTestSupport.h"

namespace {

struct Settings {
    uint32_t limit;
    int32_t elo;
    uint64_t seed;
    bool operator==(const Settings &) const = default;
};
Settings Now() { return {LimitStrength, StrengthElo, StrengthSeed}; }
void Reset() {
    LimitStrength = 0;
    StrengthElo = DefaultStrengthElo;
    StrengthSeed = 77;
}

} // namespace

TEST(StrengthSettings, ConfigurationKeys) {
    // The text; the settings after it; the warnings; the hash size read.
    const std::tuple<std::string, Settings, std::string, int64_t> cases[] = {
        {"Hash 8", {0, DefaultStrengthElo, 77}, "", 8},
        {"LimitStrength TRUE Elo 1650 StrengthSeed 12345 Hash 8", {1, 1650, 12345}, "", 8},
        {"Elo 1400 LimitStrength FALSE Elo 1700", {0, 1700, 77}, "", HashNotGiven},
        {"StrengthSeed 18446744073709551615", {0, DefaultStrengthElo, 18446744073709551615ull}, "", HashNotGiven},
        // Out of range: the nearest level, said so.
        {"Elo 900 Hash 8", {0, 1400, 77}, "WARNING: Elo 900 out of range (1400 to 1800), 1400 used\n", 8},
        {"Elo 123456789012345678901234 Hash 8",
         {0, 1800, 77},
         "WARNING: Elo 12345678901234567890... out of range (1400 to 1800), 1800 used\n",
         8},
        // Unusable values keep what was there, and reading goes on.
        {"LimitStrength yes Hash 8", {0, DefaultStrengthElo, 77}, "WARNING: unknown LimitStrength value\n", 8},
        {"LimitStrength true Hash 8", {0, DefaultStrengthElo, 77}, "WARNING: unknown LimitStrength value\n", 8},
        {"Elo 1700 Elo strong Hash 8", {0, 1700, 77}, "WARNING: Elo strong is not a number, 1700 kept\n", 8},
        {"StrengthSeed -1 Hash 8",
         {0, DefaultStrengthElo, 77},
         "WARNING: StrengthSeed -1 is not a whole number from 0 to 18446744073709551615, ignored\n",
         8},
        {"StrengthSeed 18446744073709551616 Hash 8",
         {0, DefaultStrengthElo, 77},
         "WARNING: StrengthSeed 18446744073709551616 is not a whole number from 0 to 18446744073709551615, ignored\n",
         8},
        {"Hash 8 Elo", {0, DefaultStrengthElo, 77}, "", 8},
    };
    for (const auto &[text, settings, warnings, hash] : cases) {
        SCOPED_TRACE(text);
        Reset();
        int64_t read = 0;
        EXPECT_EQ(Output([&] { read = ParseConfigText(text.data(), text.size()); }), warnings);
        EXPECT_EQ(read, hash);
        EXPECT_TRUE(Now() == settings) << LimitStrength << " " << StrengthElo << " " << StrengthSeed;
    }
    Reset();
}

TEST(StrengthSettings, OptionNamesOfBothProtocols) {
    Reset();
    // Name, value, taken?
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"UCI_Elo", "1500", true},     {"elo", "2000", true},           {"UCI_ELO", "x", false},
        {"UCI_Elo", "", false},        {"UCI_Elo", "+1800", true},      {"UCI_LimitStrength", "TRUE", true},
        {"Limit Strength", "0", true}, {"limit strength", "on", false}, {"UCI_LimitStrength", "1", true},
        {"UCI_Strength", "1", false},
    };
    std::string said;
    for (const auto &[name, value, taken] : cases)
        said += Output([&] { EXPECT_EQ(SetEngineOption(name, value), taken) << name << " " << value; });
    EXPECT_TRUE(Now() == (Settings{1, 1800, 77}));
    EXPECT_TRUE(IsEngineOption("uci_limitstrength") && IsEngineOption("Elo") && !IsEngineOption("Strength"));
    EXPECT_NE(said.find("playing at Elo 1800"), std::string::npos) << said;
    Reset();
}

// Any words under the strength keys: no crash, the level always one offered.
TEST(StrengthSettingsFuzz, AnyValueLeavesALevelInRange) {
    const std::vector<std::string> words = {"LimitStrength",
                                            "Elo",
                                            "StrengthSeed",
                                            "TRUE",
                                            "FALSE",
                                            "1400",
                                            "2400",
                                            "-0",
                                            "+",
                                            "-",
                                            "0x10",
                                            "1e3",
                                            "99999999999999999999999",
                                            "\t",
                                            "Hash",
                                            "8",
                                            "\xff\xfe",
                                            "Elo\n1500",
                                            "",
                                            "1800.5"};
    std::mt19937 rng(28);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int n = int(rng() % 8); n > 0; --n)
            text += words[rng() % words.size()] + (rng() % 3 ? " " : "\n");
        // Random bytes now and then, cut anywhere.
        if (round % 4 == 0)
            for (int n = int(rng() % 12); n > 0; --n)
                text += char(rng() % 256);
        Reset();
        Output([&] { ParseConfigText(text.data(), rng() % (text.size() + 1)); });
        EXPECT_TRUE(LimitStrength == 0 || LimitStrength == 1) << text;
        EXPECT_GE(StrengthElo, MinStrengthElo) << text;
        EXPECT_LE(StrengthElo, MaxStrengthElo) << text;
    }
    Reset();
}
