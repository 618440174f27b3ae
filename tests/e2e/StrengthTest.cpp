// Play at a set strength through the binary: the options and their bad
// values in both protocols, and a weak level that loses to a strong one in
// refereed games.
#include <gtest/gtest.h>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

// The thinking of a fixed-depth search, times and speeds left out.
std::string ThinkingOf(UciEngine &engine, const std::string &position) {
    const Lines lines = engine.Go(position, "go depth 6");
    std::string text;
    for (const std::string &l : lines)
        if (l.starts_with("info depth") && l.find(" pv ") != std::string::npos)
            text += l.substr(0, l.find(" nodes ")) + l.substr(l.find(" pv ")) + "\n";
    return text + lines.back() + "\n";
}

} // namespace

TEST(Strength, UciOptionsAnswerAndTheLevelSwitchedOffPlaysAtFullStrength) {
    UciEngine engine;
    const std::string middlegame = "fen r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9";
    const std::string full = ThinkingOf(engine, middlegame);
    // Out of range: the nearest level; no number, no switch: the old value.
    const std::pair<const char *, Lines> cases[] = {
        {"setoption name UCI_Elo value 1000",
         {"info string UCI_Elo 1000 out of range (1400 to 1800), 1400 used",
          "info string UCI_Elo 1400 applies once UCI_LimitStrength is on"}},
        {"setoption name uci_elo value 99999999999999999999",
         {"info string UCI_Elo 99999999999999999999 out of range (1400 to 1800), 1800 used",
          "info string UCI_Elo 1800 applies once UCI_LimitStrength is on"}},
        {"setoption name UCI_Elo value 15OO",
         {"info string bad value, the option keeps its value: name UCI_Elo value 15OO"}},
        {"setoption name UCI_LimitStrength value maybe",
         {"info string bad value, the option keeps its value: name UCI_LimitStrength value maybe"}},
        {"setoption name UCI_LimitStrength value true", {"info string playing at Elo 1800"}},
        {"setoption name UCI_LimitStrength value true", {}},
        {"setoption name UCI_Elo value 1700", {}},
        {"setoption name UCI_LimitStrength value false", {"info string playing at full strength"}}};
    for (const auto &[command, answer] : cases) {
        engine.Send(command);
        Lines lines = engine.Ready();
        lines.pop_back();
        EXPECT_EQ(lines, answer) << command;
    }
    // The level set and switched off again leaves the search as it was.
    engine.Send("ucinewgame");
    EXPECT_EQ(ThinkingOf(engine, middlegame), full);
}

TEST(Strength, XboardOptionsAnswerAsTheOthersDo) {
    XboardEngine engine;
    EXPECT_EQ(Count(engine.intro, "feature option=\"Limit Strength -check 0\""), 1) << Joined(engine.intro);
    EXPECT_EQ(Count(engine.intro, "feature option=\"Elo -spin 1800 1400 1800\""), 1) << Joined(engine.intro);
    const std::pair<const char *, Lines> cases[] = {
        {"option Elo=abc", {"Error (bad argument): option Elo=abc"}},
        {"option Elo=3000",
         {"Elo 3000 out of range (1400 to 1800), 1800 used", "Elo 1800 applies once Limit Strength is on"}},
        {"option Limit Strength=2", {"Error (bad argument): option Limit Strength=2"}},
        {"option Limit Strength=1", {"playing at Elo 1800"}},
        {"option Elo=1500", {}},
        {"option Limit Strength=0", {"playing at full strength"}}};
    for (const auto &[command, answer] : cases)
        EXPECT_EQ(engine.Run({command}), answer) << command;
}

// "Levels apart": the weakest level against a strong one, both colours.
TEST(Strength, AWeakLevelLosesClearlyToAStrongOne) {
    double strong = 0;
    int games = 0;
    for (const char *opening : {"e2e4", "d2d4", "c2c4", "g1f3"}) {
        XboardEngine weak, good;
        weak.Run({"option Limit Strength=1", "option Elo=1400"});
        good.Run({"option Limit Strength=1", "option Elo=1800"});
        const bool goodIsBlack = games % 2 == 0; // the first to move after White's opening move
        EngineProcess *players[2] = {goodIsBlack ? &good : &weak, goodIsBlack ? &weak : &good};
        double white = 0.5;
        PlayXboardGame(players, {.opening = opening, .level = "level 0 1 0", .base = 6000, .maxPlies = 300}, &white);
        ASSERT_FALSE(HasFailure()) << "game " << games + 1 << " went wrong";
        strong += goodIsBlack ? 1 - white : white;
        ++games;
    }
    EXPECT_GE(strong, 3.0) << "the 1800 level scored " << strong << " of " << games;
}
