// The layout check that runs before Fathom reads a table: sound tables pass,
// and each kind of damage that would make Fathom write outside its memory
// (or recurse without end) is named.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "tablebase/SyzygyLayout.h"

namespace fs = std::filesystem;

namespace {

const std::string DataTables = std::string(MORVANE_TEST_DATA) + "/syzygy";

std::vector<uint8_t> ReadTable(const std::string &name) {
    std::ifstream in(DataTables + "/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// KQvKR.rtbw: 5 header bytes, 5 settings bytes for its one sub-table pair
// (four pieces and the order), so the first sub-table's settings start at
// byte 10; its longest and shortest code lengths are bytes 18 and 19, and its
// symbol count follows the 2-byte offsets of each length.
constexpr size_t FirstPairs = 10;
size_t SymbolCountAt(const std::vector<uint8_t> &t) {
    return FirstPairs + 10 + 2 * (t[FirstPairs + 8] - t[FirstPairs + 9] + 1);
}
uint32_t SymbolCount(const std::vector<uint8_t> &t) { return t[SymbolCountAt(t)] | t[SymbolCountAt(t) + 1] << 8; }
// The pair of symbol `s`: left in the low 12 bits, right in the high 12.
void SetPair(std::vector<uint8_t> &t, uint32_t s, uint32_t left, uint32_t right) {
    uint8_t *w = &t[SymbolCountAt(t) + 2 + 3 * s];
    w[0] = uint8_t(left);
    w[1] = uint8_t(left >> 8 | right << 4);
    w[2] = uint8_t(right >> 4);
}

} // namespace

TEST(SyzygyLayout, EveryTableOfTheTestSetPasses) {
    int checked = 0;
    for (const auto &entry : fs::directory_iterator(DataTables)) {
        const std::string name = entry.path().filename(), extension = entry.path().extension();
        if (extension != ".rtbw" && extension != ".rtbz") continue;
        const std::vector<uint8_t> t = ReadTable(name);
        EXPECT_EQ(SyzygyLayoutProblem(t.data(), t.size(), entry.path().stem(), extension == ".rtbw"), "") << name;
        ++checked;
    }
    EXPECT_EQ(checked, 18);
}

TEST(SyzygyLayout, DamageFathomWouldTrustIsNamed) {
    const std::vector<uint8_t> good = ReadTable("KQvKR.rtbw");
    ASSERT_GT(SymbolCount(good), 2u);
    const uint32_t symbols = SymbolCount(good);
    // The last symbol of a sound tree is a pair (the root) of earlier symbols.
    struct Case {
        const char *what;
        std::function<void(std::vector<uint8_t> &)> damage;
        const char *problem;
    };
    const std::vector<Case> cases = {
        {"a pair naming a symbol past the count", [&](auto &t) { SetPair(t, symbols - 1, symbols, 0); },
         "names a symbol it does not have"},
        {"a symbol made of itself", [&](auto &t) { SetPair(t, symbols - 1, symbols - 1, 0); },
         "has a symbol that contains itself"},
        {"a loop through two symbols",
         [&](auto &t) {
             SetPair(t, symbols - 1, symbols - 2, 0);
             SetPair(t, symbols - 2, symbols - 1, 0);
         },
         "has a symbol that contains itself"},
        {"more symbols than indices reach",
         [&](auto &t) {
             t[SymbolCountAt(t)] = 0x01;
             t[SymbolCountAt(t) + 1] = 0x10; // 4097
         },
         "has too many symbols"},
        {"shortest code longer than the longest", [](auto &t) { t[FirstPairs + 9] = t[FirstPairs + 8] + 1; },
         "has impossible code lengths"},
        {"cut inside the symbols", [&](auto &t) { t.resize(SymbolCountAt(t) + 2 + 3 * symbols / 2); },
         "ends inside its symbols"},
        {"cut inside the header", [](auto &t) { t.resize(3); }, "ends inside its header"},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> t = good;
        c.damage(t);
        EXPECT_EQ(SyzygyLayoutProblem(t.data(), t.size(), "KQvKR", true), c.problem) << c.what;
    }
}
