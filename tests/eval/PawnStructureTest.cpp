// The pawn entries' fields are pinned through the hand-worked terms, the
// symmetry test and the bench node count; here the table that keeps them.
#include <cstring>

#include "eval/EvalTestSupport.h"

// A hit must give exactly what a fresh computation gives.
TEST(PawnHashTable, HitAndMissAgreeWithAFreshComputation) {
    const std::vector<std::string> positions = AllTestPositions();
    SetUpPosition(StartPosition);
    for (int round = 0; round < 2; ++round)
        for (const std::string &fen : positions) {
            ASSERT_TRUE(SetUpBoard(fen));
            if (PieceLists[WhitePawn][0] + PieceLists[BlackPawn][0] == 0) continue;
            const PawnHashEntry fresh = FreshPawnEntry();
            EXPECT_EQ(EvaluatePawns(), fresh.score) << fen; // a miss in round 0, mostly a hit in round 1
            const PawnHashEntry *entry = CurrentPawnEntry;
            EXPECT_EQ(std::memcmp(entry, &fresh, sizeof fresh), 0) << fen;
            EXPECT_EQ(EvaluatePawns(), fresh.score) << fen; // certainly a hit
            EXPECT_EQ(CurrentPawnEntry, entry);
        }
    ClearPawnHashTable();
    EXPECT_EQ(CurrentPawnEntry->keyHigh, 0u) << "cleared";
}
