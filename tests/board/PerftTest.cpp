#include <gtest/gtest.h>

#include "BoardTestSupport.h"
#include "search/Perft.h"

namespace {

#ifdef MORVANE_SANITIZED
constexpr int MaxPerftDepth = 4;
#else
constexpr int MaxPerftDepth = 5;
#endif

void CheckSuite(const char *file) {
    EnsureBoardReady();
    auto cases = ReadPerftFile(file);
    ASSERT_FALSE(cases.empty()) << file;
    for (const auto &c : cases) {
        ASSERT_TRUE(SetupPosition(c.fen.c_str())) << c.fen;
        for (int depth = 1; depth <= MaxPerftDepth && depth <= int(c.counts.size()); depth++) {
            uint64_t budget = c.counts[depth - 1];
#ifdef MORVANE_SANITIZED
            if (budget > 30000000) break;
#endif
            ASSERT_EQ(PerftRoot(depth), budget) << file << " line " << c.line << " depth " << depth << ": " << c.fen;
        }
    }
}

} // namespace

TEST(Perft, StandardPositions) { CheckSuite("perft-standard.epd"); }
TEST(Perft, SuitePositions) { CheckSuite("perftsuite.epd"); }
