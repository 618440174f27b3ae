#include "board/BoardTestSupport.h"
#include "board/Perft.h"
#include "shell/TestSuite.h"

namespace {

int Asked = 0;
bool Never() { return ++Asked, false; }
bool Always() { return ++Asked, true; }

} // namespace

// Whole suites are counted by the walk, the command through the binary; here the count itself.
TEST(Perft, CountIsAskedAboutAndAbandoned) {
    ASSERT_TRUE(SetUpBoard(StartPosition));
    Asked = 0;
    EXPECT_EQ(PerftRoot(5, Never), 4865609u); // asked once every four million leaves
    EXPECT_EQ(std::pair(PerftAbandoned(), Asked), std::pair(false, 1));
    EXPECT_LT(PerftRoot(5, Always), 4865609u);
    EXPECT_EQ(std::pair(PerftAbandoned(), Asked), std::pair(true, 2));
    EXPECT_EQ(Output([] { PerftCommand(-3); }), "") << "nothing for a depth below 0";
    EXPECT_EQ(PerftRoot(3), 8902u) << "the position is whole again";
    EXPECT_FALSE(PerftAbandoned());
    // The root's check and en-passant state reach the first ply.
    ASSERT_TRUE(SetUpBoard("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
    EXPECT_EQ(PerftRoot(1), 7u);
    ASSERT_TRUE(SetUpBoard("4k3/8/8/8/8/8/8/r3K2R w K -"));
    EXPECT_EQ(PerftRoot(1), 3u);
}
