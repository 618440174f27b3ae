// The strength settings in "Morvane.ini" (read as CommandLoopTest's
// ConfigText shows): any text keeps them in range.
#include <gtest/gtest.h>

#include <random>

#include "search/Strength.h"
#include "shell/Config.h"
#include "shell/ShellTestSupport.h"

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
        ResetStrengthSettings();
        Output([&] { ParseConfigText(text.data(), rng() % (text.size() + 1)); });
        EXPECT_TRUE(LimitStrength == 0 || LimitStrength == 1) << text;
        EXPECT_GE(StrengthElo, MinStrengthElo) << text;
        EXPECT_LE(StrengthElo, MaxStrengthElo) << text;
    }
    ResetStrengthSettings();
}
