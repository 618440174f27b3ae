// Perft through the binary, as a person checks a move generator: "setup FILE N"
// for every position of the perft files, then "perft D" for each listed depth.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "e2e/XboardEngine.h"

namespace {

#ifdef MORVANE_SANITIZED
constexpr int MaxDepth = 3;
#else
constexpr int MaxDepth = 5;
#endif

// The leaf count of "perft depth"; deep counts may take minutes on a loaded machine.
std::string Perft(XboardEngine &engine, int depth) {
    engine.Send("perft " + std::to_string(depth));
    bool found = false;
    const XboardEngine::Lines lines = engine.ReadUntilPrefix("Total nodes: ", &found, 20 * 60 * 1000);
    if (!found) return "no perft line";
    const std::string count = lines.back().substr(13);
    return count.substr(0, count.find('\t'));
}

void CheckFile(const std::string &name) {
    const std::string path = std::string(MORVANE_TEST_DATA) + "/" + name;
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    XboardEngine engine;
    std::string line;
    int number = 0, positions = 0;
    const std::regex depthCount(";D([0-9]+) ([0-9]+)");
    while (std::getline(in, line)) {
        ++number;
        if (line.find(";D1 ") == std::string::npos) continue;
        engine.RunQuiet({"setup " + path + " " + std::to_string(number)});
        for (auto it = std::sregex_iterator(line.begin(), line.end(), depthCount); it != std::sregex_iterator(); ++it) {
            const int depth = std::stoi((*it)[1]);
            if (depth > MaxDepth) break;
            ASSERT_EQ(Perft(engine, depth), (*it)[2].str()) << name << " line " << number << " depth " << depth;
        }
        ++positions;
    }
    EXPECT_GT(positions, 4);
}

TEST(PerftSuite, StandardPositionsThroughTheBinary) { CheckFile("perft-standard.epd"); }
TEST(PerftSuite, SuitePositionsThroughTheBinary) { CheckFile("perftsuite.epd"); }

} // namespace
