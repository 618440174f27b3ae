#include "eval/EvalTestSupport.h"

namespace {

// Score, passed files, shelters (White king side, queen side, Black king
// side, queen side), pawn files and pawns on light squares (White/Black).
std::string EntryText(const PawnHashEntry &e) {
    char text[80];
    std::snprintf(text, sizeof text, "%d passed %02x/%02x shelters %d %d %d %d files %02x/%02x light %d/%d", e.score,
                  e.whitePassedFiles, e.blackPassedFiles, e.whiteShelterKingSide, e.whiteShelterQueenSide,
                  e.blackShelterKingSide, e.blackShelterQueenSide, e.whitePawnFiles, e.blackPawnFiles,
                  e.whiteLightPawns, e.blackLightPawns);
    return text;
}

} // namespace

TEST(PawnStructure, Entries) {
    const struct {
        const char *fen, *entry;
    } cases[] = {
        {StartPosition, "0 passed 00/00 shelters 0 0 0 0 files ff/ff light 4/4"},
        {"4k3/8/8/8/8/P7/P7/4K3 w - -", "-40 passed 80/00 shelters 9 7 9 9 files 80/00 light 1/0"},
        {"4k3/8/4P3/8/4P3/8/8/4K3 w - -", "21 passed 08/00 shelters 9 9 9 9 files 08/00 light 2/0"},
        {"4k3/8/3pP3/8/8/8/8/4K3 w - -", "63 passed 08/10 shelters 9 9 9 9 files 08/10 light 1/0"},
        {"4k3/8/8/8/8/8/3PP3/4K3 w - -", "4 passed 18/00 shelters 9 9 9 9 files 18/00 light 1/0"},
        {"4k3/3pp3/8/8/8/8/8/4K3 w - -", "-4 passed 00/18 shelters 9 9 9 9 files 00/18 light 0/1"},
        {"rnbqkbnr/pppppppp/8/8/8/6P1/PPPPPP1P/RNBQKBNR w KQkq -",
         "-1 passed 00/00 shelters 2 0 0 0 files ff/ff light 3/4"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPP1P/RNBQKBNR w KQkq -",
         "-14 passed 00/00 shelters 3 0 1 0 files fd/ff light 3/4"},
        {"4k3/2p5/8/8/8/8/1PP5/4K3 w - -", "14 passed 00/00 shelters 9 4 9 6 files 60/20 light 1/0"},
        {"4k3/ppp2ppp/8/8/1P4P1/8/P1P2P1P/4K3 w - -", "2 passed 00/00 shelters 3 3 0 0 files e7/e7 light 3/3"},
        {"4k3/8/p7/1p6/8/2P5/PP6/4K3 w - -", "-3 passed 00/00 shelters 9 1 9 7 files e0/c0 light 1/2"},
        {"4k3/pp6/2p5/8/1P6/P7/8/4K3 w - -", "3 passed 00/00 shelters 9 7 9 2 files c0/e0 light 0/2"},
    };
    for (const auto &c : cases) {
        SetUpPosition(c.fen);
        EXPECT_EQ(EntryText(FreshPawnEntry()), c.entry) << c.fen;
    }
}

// A hit must give exactly what a fresh computation gives.
TEST(PawnHashTable, HitAndMissAgreeWithAFreshComputation) {
    const std::vector<std::string> positions = AllTestPositions();
    SetUpPosition(StartPosition);
    for (int round = 0; round < 2; ++round)
        for (const std::string &fen : positions) {
            ASSERT_TRUE(SetUpBoard(fen));
            if (PieceLists[WhitePawn][0] + PieceLists[BlackPawn][0] == 0) continue;
            const std::string fresh = EntryText(FreshPawnEntry());
            EXPECT_EQ(EvaluatePawns(), FreshPawnEntry().score) << fen; // a miss in round 0, mostly a hit in round 1
            const PawnHashEntry *entry = CurrentPawnEntry;
            EXPECT_EQ(EntryText(*entry), fresh) << fen;
            EXPECT_EQ(entry->keyLow, KeyLow(PawnHashKey));
            EXPECT_EQ(entry->keyHigh, KeyHigh(PawnHashKey));
            EXPECT_EQ(EvaluatePawns(), FreshPawnEntry().score) << fen; // certainly a hit
            EXPECT_EQ(CurrentPawnEntry, entry);
            EXPECT_EQ(CurrentPawnEntry, &PawnHashTable[KeyLow(PawnHashKey) & 0xffff])
                << "the low key word is the index";
        }
    ClearPawnHashTable();
    EXPECT_EQ(PawnHashTable[KeyLow(PawnHashKey) & 0xffff].keyHigh, 0u);
}
