#include <gtest/gtest.h>

#include "board/BoardTestSupport.h"
#include "board/Perft.h"
#include "shell/TestSuite.h"

// Whole perft suites are counted through the binary; here the command itself.

namespace {

int Asked = 0;
bool Never() { return ++Asked, false; }
bool Always() { return ++Asked, true; }

} // namespace

TEST(Perft, CountAsksWhetherToGoOnAndCanBeAbandoned) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition(StartPosition));
    // 4865609 leaves: asked about once every four million.
    Asked = 0;
    EXPECT_EQ(PerftRoot(5, Never), 4865609u);
    EXPECT_FALSE(PerftAbandoned());
    EXPECT_EQ(Asked, 1);

    Asked = 0;
    EXPECT_LT(PerftRoot(5, Always), 4865609u);
    EXPECT_TRUE(PerftAbandoned());
    EXPECT_EQ(Asked, 1);
    testing::internal::CaptureStdout();
    PerftCommand(5, Always);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a part count is not printed";

    // The position is whole again afterwards.
    EXPECT_EQ(PerftRoot(3), 8902u);
    EXPECT_FALSE(PerftAbandoned());
}

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
