// A position and its colour-flipped twin must score exactly opposite: this
// catches a black twin mirrored wrongly. The known exceptions are listed with
// the sum of the two scores.
#include "eval/EvalTestSupport.h"

TEST(Symmetry, FlippedTwinScoresOpposite) {
    const std::string exceptions =
        // The third file of a wing is examined for White first, so shelters differ
        // when it holds pawns of one colour only.
        "5k2/6pp/p1qN4/1p1p4/3P4/2PKP2Q/PP3r2/3R4 b - - (8)\n"
        "r3brkn/1p5p/2p2Ppq/2Pp3B/3Pp2Q/4P1R1/6PP/5R1K w - - (47)\n"
        // In a pawn race only Black's count is reduced for the move in hand.
        "8/PPPk4/8/8/8/8/4Kppp/8 w - - (-10)\n";
    for (bool development : {false, true}) {
        auto score = [development](const std::string &fen) {
            SetUpPosition(fen);
            if (development) SetRootCastlingRights();
            return FullEvaluate();
        };
        std::string asymmetric;
        for (const std::string &fen : AllTestPositions())
            if (const int32_t sum = score(fen) + score(FlipFen(fen)); sum != 0)
                asymmetric += fen + " (" + std::to_string(sum) + ")\n";
        EXPECT_EQ(asymmetric, exceptions) << (development ? "with" : "without") << " root castling rights";
    }
}
