#include "eval/EvalTestSupport.h"

namespace {

int32_t PassedTermOf(const std::string &fen) {
    SetUpPosition(fen);
    EvaluatePawns();
    return EvaluatePassedPawns(SideToMove == White);
}

int32_t RaceTermOf(const std::string &fen) {
    SetUpPosition(fen);
    EvaluatePawns();
    return EvaluatePawnRace(SideToMove == White);
}

} // namespace

TEST(PassedPawns, KingSupport) {
    EXPECT_EQ(PassedTermOf("4k3/8/8/3KP3/8/8/8/8 w - -"), 15); // king beside on the same rank
    EXPECT_EQ(PassedTermOf("4k3/8/8/4P3/3K4/8/8/8 w - -"), 0); // king behind
    EXPECT_EQ(PassedTermOf("8/8/8/8/3kp3/8/8/4K3 w - -"), -15);
}

TEST(PassedPawns, BlockedPasser) {
    EXPECT_EQ(PassedTermOf("4r3/4P2k/8/8/8/8/8/K7 w - -"), -65);
    EXPECT_EQ(PassedTermOf("4R3/4P2k/8/8/8/8/8/K7 w - -"), -65); // an own piece blocks as well
    EXPECT_EQ(PassedTermOf("k7/8/8/8/8/8/4p3/4R2K w - -"), 65);
}

TEST(PassedPawns, ConnectedPassersOutrunTheKing) {
    // f6 and g6 against a lone rook, king a8, White to move: 40 + 100, and
    // both pawns outrun the king: 100 more.
    EXPECT_EQ(PassedTermOf("k7/8/5PP1/8/8/7K/8/r7 w - -"), 240);
    // A black knight on f7 blocks f6 (-50) and the pair gets only its rank bonus.
    EXPECT_EQ(PassedTermOf("k7/5n2/5PP1/8/8/7K/8/r7 w - -"), 40 - 50);
    // Black's mirror.
    EXPECT_EQ(PassedTermOf("R7/8/7k/8/8/5pp1/8/K7 b - -"), -240);
}

TEST(PawnRace, LonePasserAgainstTheKing) {
    // a2 against the king on h8: 5 moves (double step), 650 - 50.
    EXPECT_EQ(RaceTermOf("7k/8/8/8/8/8/P7/4K3 w - -"), 600);
    // The own king in front on the a-file: the passer cannot run.
    EXPECT_EQ(RaceTermOf("7k/8/8/K7/8/8/P7/8 w - -"), 0);
    // The king catches it.
    EXPECT_EQ(RaceTermOf("4k3/8/8/8/8/8/P7/4K3 w - -"), 0);
}

TEST(PawnRace, BothSidesRun) {
    // White needs 3 moves, Black 2 and is to move: 1 < 3 - 1, so 10 - 650.
    EXPECT_EQ(RaceTermOf("8/8/8/1P6/7k/6p1/8/K7 b - -"), -640);
    // White to move needs 1, Black 2: 650 - 10.
    EXPECT_EQ(RaceTermOf("8/1P6/8/8/7k/6p1/8/K7 w - -"), 640);
    // Both need 1 with White to move: White queens first and counts only when
    // the new queen checks (b8-h2) or covers g1 out of the king's reach.
    EXPECT_EQ(RaceTermOf("8/1P6/8/8/8/8/6pk/K7 w - -"), 640);
    EXPECT_EQ(RaceTermOf("8/1P6/8/8/8/7k/6p1/K7 w - -"), 0);
}

// Only Black's count is reduced for the move in hand, so the colour-flipped
// race of the one above, won by Black on the move, is worth 10 more.
TEST(PawnRace, BlacksMoveInHandIsCountedOnItsSide) {
    EXPECT_EQ(RaceTermOf("k7/6PK/8/8/8/8/1p6/8 b - -"), 10 * 0 - 650);
}
