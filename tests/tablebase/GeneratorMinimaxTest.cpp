// Generated tables are consistent with themselves and their smaller tables:
// each stored value is the best value over the position's moves.
#include "tablebase/GeneratorTestSupport.h"

using namespace gentest;

TEST(GeneratorMinimaxTest, ThreePieceTablesWhole) {
    // Consistent values with exact mates and stalemates fix every mate distance.
    EnsureTables({"kqk", "krk", "kpk", "kbk", "knk"});
    for (const std::string name : {"kqk", "krk", "kpk", "kbk", "knk"}) {
        const MinimaxCount c = CheckMinimax(name, Sanitized ? 5 : 1);
        EXPECT_GT(c.positions, Sanitized ? 4000u : 20000u) << name;
        const bool drawn = name == "kbk" || name == "knk";
        EXPECT_EQ(c.wins > 0, !drawn) << name;
        EXPECT_EQ(c.losses > 0, !drawn) << name;
    }
}

// A spread sample of the four-piece tables; the slow suite checks them whole.
TEST(GeneratorMinimaxTest, FourPieceTablesSampled) {
    const std::vector<std::string> names =
        Sanitized ? std::vector<std::string>{"krkn"} : std::vector<std::string>{"kqkr", "krkn", "kbnk"};
    EnsureTables(names);
    for (const std::string &name : names) {
        const MinimaxCount c = CheckMinimax(name, Sanitized ? 4099 : 251);
        EXPECT_GT(c.positions, Sanitized ? 300u : 8000u) << name;
        EXPECT_GT(c.wins, 0u) << name;
        EXPECT_GT(c.losses, 0u) << name;
    }
}
