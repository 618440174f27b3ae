#include "eval/EvalTestSupport.h"

#include <cstring>

namespace {

PawnHashEntry EntryOf(const std::string &fen, uint8_t opponentIsComputer = 1) {
    SetUpPosition(fen, opponentIsComputer);
    return FreshPawnEntry();
}

bool SameFields(const PawnHashEntry &a, const PawnHashEntry &b) {
    return a.keyLow == b.keyLow && a.keyHigh == b.keyHigh && a.score == b.score &&
           a.whitePassedFiles == b.whitePassedFiles && a.blackPassedFiles == b.blackPassedFiles &&
           a.whiteShelterKingSide == b.whiteShelterKingSide && a.whiteShelterQueenSide == b.whiteShelterQueenSide &&
           a.blackShelterKingSide == b.blackShelterKingSide && a.blackShelterQueenSide == b.blackShelterQueenSide &&
           a.whitePawnFiles == b.whitePawnFiles && a.blackPawnFiles == b.blackPawnFiles &&
           a.whiteLightPawns == b.whiteLightPawns && a.blackLightPawns == b.blackLightPawns;
}

} // namespace

TEST(PawnStructure, InitialPosition) {
    const PawnHashEntry e = EntryOf(StartPosition);
    EXPECT_EQ(e.score, 0);
    EXPECT_EQ(e.whitePassedFiles | e.blackPassedFiles, 0);
    EXPECT_EQ(e.whiteShelterKingSide | e.whiteShelterQueenSide | e.blackShelterKingSide | e.blackShelterQueenSide, 0);
    EXPECT_EQ(e.whitePawnFiles, 255);
    EXPECT_EQ(e.blackPawnFiles, 255);
    EXPECT_EQ(e.whiteLightPawns, 4);
    EXPECT_EQ(e.blackLightPawns, 4);
}

TEST(PawnStructure, DoubledIsolatedAndPassedPawns) {
    // a2, a3: both isolated on a half-open file (25 + 12), a3 doubled (-10),
    // advanced (+3) and passed on rank 3 (7 - 3); a2 passed on rank 2 (0).
    PawnHashEntry e = EntryOf("4k3/8/8/8/8/P7/P7/4K3 w - -");
    EXPECT_EQ(e.score, 3 - 10 + 7 - 3 - 25 - 12);
    EXPECT_EQ(e.whitePassedFiles, 0x80);
    // e6 and e4: e6 passed with a pawn behind (55 - 27 on rank 6) and
    // doubled (-10); e4 passed (15); both isolated on half-open files.
    e = EntryOf("4k3/8/4P3/8/4P3/8/8/4K3 w - -");
    EXPECT_EQ(e.score, (18 - 10 + 55 - 27) + (7 + 15) - 25 - 12);
    EXPECT_EQ(e.whitePassedFiles, 0x08);
    // A black pawn beside on d6 does not stop the e6 pawn.
    e = EntryOf("4k3/8/3pP3/8/8/8/8/4K3 w - -");
    EXPECT_EQ(e.whitePassedFiles, 0x08);
    EXPECT_EQ(e.blackPassedFiles, 0x10);
    // Connected pawns side by side: +2 each; black mirror is -2 each.
    e = EntryOf("4k3/8/8/8/8/8/3PP3/4K3 w - -");
    EXPECT_EQ(e.score, 2 * 2);
    e = EntryOf("4k3/3pp3/8/8/8/8/8/4K3 w - -");
    EXPECT_EQ(e.score, -2 * 2);
}

TEST(PawnStructure, ShelterValues) {
    // f2 g3 h2 against all black pawns: the g3 deficit is 2 and opens the f-file check.
    PawnHashEntry e = EntryOf("rnbqkbnr/pppppppp/8/8/8/6P1/PPPPPP1P/RNBQKBNR w KQkq -");
    EXPECT_EQ(e.whiteShelterKingSide, 2);
    EXPECT_EQ(e.blackShelterKingSide, 0);
    // No white g-pawn: NoWhite 1 gives 3 for White and (3 x 1) >> 1 for Black.
    e = EntryOf("rnbqkbnr/pppppppp/8/8/8/8/PPPPPP1P/RNBQKBNR w KQkq -");
    EXPECT_EQ(e.whiteShelterKingSide, 3);
    EXPECT_EQ(e.blackShelterKingSide, 1);
    // Queen side with an empty a-file (Open 1) and no black b-pawn (NoBlack 1):
    // White ((3 x 1) >> 1) + 3 x 1 = 4, Black 3 x 1 + 3 x 1 = 6.
    e = EntryOf("4k3/2p5/8/8/8/8/1PP5/4K3 w - -");
    EXPECT_EQ(e.whiteShelterQueenSide, 4);
    EXPECT_EQ(e.blackShelterQueenSide, 6);
    // Pawns further up cost more on the b- and g-files.
    e = EntryOf("4k3/ppp2ppp/8/8/1P4P1/8/P1P2P1P/4K3 w - -");
    EXPECT_EQ(e.whiteShelterQueenSide, 3);
    EXPECT_EQ(e.whiteShelterKingSide, 3);
}

// The third file's white side is examined first and its result already
// counts for the black side's test.
TEST(PawnStructure, ThirdFileIsExaminedWhiteFirst) {
    // a2/a6, b2/b5, c3 and no black c-pawn: White's side shows nothing, so the
    // c-file is skipped for White; Black's deficit (1 + 3) makes Black's side
    // count the missing c-pawn.
    PawnHashEntry e = EntryOf("4k3/8/p7/1p6/8/2P5/PP6/4K3 w - -");
    EXPECT_EQ(e.whiteShelterQueenSide, 1);
    EXPECT_EQ(e.blackShelterQueenSide, 3 + 1 + 3);
    // The colour-flipped structure: White's missing c-pawn is counted first,
    // and that makes Black's c6 pawn count too.
    e = EntryOf("4k3/pp6/2p5/8/1P6/P7/8/4K3 w - -");
    EXPECT_EQ(e.whiteShelterQueenSide, 3 + 1 + 3);
    EXPECT_EQ(e.blackShelterQueenSide, 1 + 1);
}

TEST(PawnStructure, ClosedPositionTermFollowsTheEngineSide) {
    // Five pawns each, three blocked pairs: RamPenalty[3] = 40.
    const std::string fen = "4k3/5pp1/8/2ppp3/2PPP3/8/PP6/4K3 w - -";
    const int32_t neutral = EntryOf(fen, 1).score;
    SetUpPosition(fen, 0);
    EngineSide = 0;
    EXPECT_EQ(FreshPawnEntry().score, neutral - 40);
    EngineSide = 1;
    EXPECT_EQ(FreshPawnEntry().score, neutral + 40);
    EngineSide = 2; // no engine side counts as Black
    EXPECT_EQ(FreshPawnEntry().score, neutral + 40);
    OpponentIsComputer = 1;
}

// A hit must give exactly what a fresh computation gives.
TEST(PawnHashTable, HitAndMissAgreeWithAFreshComputation) {
    const std::vector<std::string> positions = AllTestPositions();
    ClearPawnHashTable();
    for (int round = 0; round < 2; ++round) {
        for (const std::string &fen : positions) {
            EnsureBoardReady();
            ASSERT_TRUE(SetupPosition(fen.c_str()));
            OpponentIsComputer = 1;
            if (PieceLists[WhitePawn][0] + PieceLists[BlackPawn][0] == 0) continue;
            const PawnHashEntry fresh = FreshPawnEntry();
            const int32_t first = EvaluatePawns(); // a miss in round 0, mostly a hit in round 1
            EXPECT_EQ(first, fresh.score) << fen;
            EXPECT_TRUE(SameFields(*CurrentPawnEntry, fresh)) << fen;
            const PawnHashEntry *entry = CurrentPawnEntry;
            EXPECT_EQ(EvaluatePawns(), fresh.score) << fen; // certainly a hit
            EXPECT_EQ(CurrentPawnEntry, entry);
            EXPECT_TRUE(SameFields(*CurrentPawnEntry, fresh)) << fen;
        }
    }
}

TEST(PawnHashTable, IndexIsTheLowKeyWord) {
    SetUpPosition(StartPosition);
    EvaluatePawns();
    EXPECT_EQ(CurrentPawnEntry, &PawnHashTable[KeyLow(PawnHashKey) & 0xffff]);
    ClearPawnHashTable();
    EXPECT_EQ(PawnHashTable[KeyLow(PawnHashKey) & 0xffff].keyHigh, 0u);
}
