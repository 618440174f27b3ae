// The move summary line and the resign rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "search/SearchState.h"
#include "shell/GameMoves.h"
#include "shell/ShellState.h"

namespace {

std::string Summary(int32_t score, uint32_t depth, uint64_t knps, const char *pv) {
    char line[512];
    FormatMoveSummary(line, sizeof(line), score, depth, knps, pv);
    return line;
}

// Feeds one engine move's score to the resign rule; true when it resigned.
bool ResignsAfter(int32_t score) {
    BestScore = score;
    testing::internal::CaptureStdout();
    CheckResign();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(out.empty() || out == "resign\n") << out;
    return out == "resign\n";
}

void ClearScores() { RecentScores[0] = RecentScores[1] = RecentScores[2] = 0; }

} // namespace

TEST(GameMovesArithmetic, KnpsIsNodesPerCentisecondOverTen) {
    EXPECT_EQ(KnpsOf(5000000, 2000), 250u);
    EXPECT_EQ(KnpsOf(5009999, 2000), 250u) << "truncated toward zero";
    EXPECT_EQ(KnpsOf(123456, 0), 0u) << "no time, no rate";
    EXPECT_EQ(KnpsOf(9, 1), 0u);
    // Beyond 32 bits: ten trillion nodes in one second.
    EXPECT_EQ(KnpsOf(10000000000000ull, 100), 10000000000ull);
}

TEST(GameMovesArithmetic, SummaryLineScoreDepthAndOpponentKind) {
    uint8_t saved = OpponentIsComputer;
    OpponentIsComputer = 0;
    EXPECT_EQ(Summary(35, 9, 250, "e7e5 g1f3"), "tellics whisper 0.35/9 250 Knps pv = e7e5 g1f3");
    EXPECT_EQ(Summary(-150, 12, 1, ""), "tellics whisper -1.5/12 1 Knps pv = ");
    EXPECT_EQ(Summary(0, 0, 0, "####"), "tellics whisper 0/0 0 Knps pv = ####");
    OpponentIsComputer = 1;
    EXPECT_EQ(Summary(32760, 3, 7, "h7h8"), "tellics kibitz 327.6/3 7 Knps pv = h7h8");
    OpponentIsComputer = saved;
}

TEST(GameMovesArithmetic, SummaryLeavesOutTheEnginesOwnMove) {
    memset(PVTable[0], 0, sizeof(PVTable[0]));
    PVTable[0][0] = MakeMoveWord(E2, E4);
    PVTable[0][1] = MakeMoveWord(E7, E5);
    PVTable[0][2] = MakeMoveWord(G1, F3);
    char pv[256];
    FormatPrincipalVariation(pv, sizeof(pv), 1, 100);
    EXPECT_STREQ(pv, "e7e5 g1f3") << "single blanks between moves, none at the end";
    FormatPrincipalVariation(pv, sizeof(pv), 1, 1);
    EXPECT_STREQ(pv, "e7e5");
    PVTable[0][1] = 0;
    FormatPrincipalVariation(pv, sizeof(pv), 1, 100);
    EXPECT_STREQ(pv, "");
}

TEST(GameMovesArithmetic, ResignOnlyOnThreeFallingScoresBelowMinus800) {
    uint8_t saved = ResignEnabled;
    ResignEnabled = 1;
    ClearScores();
    EXPECT_FALSE(ResignsAfter(-801));
    EXPECT_FALSE(ResignsAfter(-850));
    EXPECT_TRUE(ResignsAfter(-900));
    EXPECT_EQ(RecentScores[0], -801);
    EXPECT_EQ(RecentScores[2], -900);

    ClearScores();
    EXPECT_FALSE(ResignsAfter(-900));
    EXPECT_FALSE(ResignsAfter(-850));
    EXPECT_FALSE(ResignsAfter(-801)) << "rising scores";

    ClearScores();
    EXPECT_FALSE(ResignsAfter(-801));
    EXPECT_FALSE(ResignsAfter(-850));
    EXPECT_FALSE(ResignsAfter(-850)) << "falling strictly";

    ClearScores();
    EXPECT_FALSE(ResignsAfter(-800));
    EXPECT_FALSE(ResignsAfter(-850));
    EXPECT_FALSE(ResignsAfter(-900)) << "-800 is not below -800";
    EXPECT_TRUE(ResignsAfter(-950)) << "the window slides";

    ResignEnabled = 0;
    ClearScores();
    EXPECT_FALSE(ResignsAfter(-801));
    EXPECT_FALSE(ResignsAfter(-850));
    EXPECT_FALSE(ResignsAfter(-900));
    EXPECT_EQ(RecentScores[2], 0) << "switched off, the scores are not even kept";
    ResignEnabled = saved;
}

TEST(GameMovesArithmetic, GameChangingCommands) {
    for (const char *w : {"force", "new", "undo", "remove", "edit", "setup", "result", "white", "black", "quit"})
        EXPECT_TRUE(IsGameChangingCommand(w)) << w;
    for (const char *w : {"?", "stop", "exit", "time", "otim", "post", "easy", "hard", "e2e4", "forced", ""})
        EXPECT_FALSE(IsGameChangingCommand(w)) << w;
}
