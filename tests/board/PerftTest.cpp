#include <gtest/gtest.h>

#include "BoardTestSupport.h"
#include "board/Perft.h"
#include "shell/TestSuite.h"

namespace {

#ifdef MORVANE_SANITIZED
constexpr int MaxPerftDepth = 4;
#else
constexpr int MaxPerftDepth = 4; // depth 5 runs through the binary
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

TEST(Perft, CommandOutput) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition(StartPosition));
    testing::internal::CaptureStdout();
    PerftCommand(0);
    PerftCommand(-3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "depth 0 or below prints nothing";

    testing::internal::CaptureStdout();
    PerftCommand(1);
    std::string line = testing::internal::GetCapturedStdout();
    EXPECT_EQ(line.rfind("Total nodes: 20\ttime: ", 0), 0u) << line;
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(PerftCount, 20u);

    // The root's check and en-passant state reach the first ply.
    ASSERT_TRUE(SetupPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
    EXPECT_EQ(PerftRoot(1), 7u) << "five king moves, the push and the en-passant capture";
    ASSERT_TRUE(SetupPosition("4k3/8/8/8/8/8/8/r3K2R w K -"));
    EXPECT_EQ(PerftRoot(1), 3u) << "in check: no castling, the king must leave the rank";
}
