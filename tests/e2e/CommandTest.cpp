// The commands of the xboard loop that work on the board without a search:
// perft, setup from a file, edit mode, the side commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/XboardEngine.h"

namespace {

using Lines = XboardEngine::Lines;

using Engine = XboardEngine;

} // namespace

TEST(Commands, PerftFromTheInitialPositionAndAfterNew) {
    Engine engine;
    EXPECT_EQ(engine.Perft(1), "20");
    EXPECT_EQ(engine.Perft(3), "8902");
    EXPECT_TRUE(engine.RunQuiet({"perft 0"}).empty());
    engine.RunQuiet({"setup " + std::string(MORVANE_TEST_DATA) + "/perftsuite.epd 2"});
    EXPECT_EQ(engine.Perft(1), "48");
    engine.RunQuiet({"new"});
    EXPECT_EQ(engine.Perft(2), "400");
}

TEST(Commands, SetupReadsTheNumberedLineOfAFile) {
    Engine engine;
    // CRLF line ends, a line far longer than 199 characters, no line break at the end.
    std::string longLine = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - c0 \"" + std::string(400, 'x') + "\";";
    engine.WriteFile("positions.epd",
                     "4k3/8/8/8/8/8/8/R3K2R w KQ -\r\n" + longLine + "\r\n4k3/8/8/8/3pP3/8/8/4K3 b - e3");
    EXPECT_TRUE(engine.RunQuiet({"setup positions.epd 1"}).empty());
    EXPECT_EQ(engine.Perft(1), "26");
    engine.RunQuiet({"setup positions.epd 2"});
    EXPECT_EQ(engine.Perft(1), "20");
    engine.RunQuiet({"setup positions.epd 3"});
    EXPECT_EQ(engine.Perft(1), "7") << "black to move with the en-passant capture";

    // Missing file, too few lines, line 0: the position stays.
    EXPECT_EQ(engine.RunQuiet({"setup positions.epd 4", "setup nothing.epd 1", "setup positions.epd 0"}),
              (Lines{"Error file reading", "Error file reading", "Error file reading"}));
    EXPECT_EQ(engine.Perft(1), "7");

    // A line that is no position: one error line, the position stays.
    engine.WriteFile("bad.epd", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq -\n");
    Lines out = engine.RunQuiet({"setup bad.epd 1"});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].rfind("ERROR: ", 0), 0u) << out[0];
    EXPECT_EQ(engine.Perft(1), "7");
}

TEST(Commands, EditModeBuildsAPlayablePosition) {
    Engine engine;
    // Castling rights follow from kings and rooks on their home squares.
    engine.WriteFile("same.epd", "4k3/8/8/8/8/8/8/R3K2R w KQ -\n4k3/8/8/8/8/8/7R/R3K3 w Q -\n");
    EXPECT_TRUE(engine.RunQuiet({"edit", "#", "Ke1", "Rh1", "Ra1", "c", "Ke8", "."}).empty());
    EXPECT_EQ(engine.Perft(1), "26");
    std::string edited = engine.Perft(3);
    engine.RunQuiet({"setup same.epd 1"});
    EXPECT_EQ(engine.Perft(3), edited);
    // A rook away from home gives no right on its side.
    engine.RunQuiet({"edit", "#", "Ke1", "Rh2", "Ra1", "c", "Ke8", "."});
    EXPECT_EQ(engine.Perft(1), "30");
    edited = engine.Perft(3);
    engine.RunQuiet({"setup same.epd 2"});
    EXPECT_EQ(engine.Perft(3), edited);

    // Editing starts from the board as it stands; "x" empties a square.
    engine.RunQuiet({"new", "edit", "xe2", "."});
    EXPECT_EQ(engine.Perft(1), "29");

    // Placing on an occupied square replaces the piece; a second king moves the first.
    engine.RunQuiet({"new", "edit", "Qe2", "Ke3", "."});
    engine.WriteFile("same.epd", "rnbqkbnr/pppppppp/8/8/8/4K3/PPPPQPPP/RNBQ1BNR w kq -\n");
    edited = engine.Perft(3);
    engine.RunQuiet({"setup same.epd 1"});
    EXPECT_EQ(engine.Perft(3), edited);
}

TEST(Commands, EditModeRefusesWhatItCannotPlace) {
    Engine engine;
    EXPECT_EQ(
        engine.RunQuiet({"edit", "Ka9", "Zz1", "Pe", "Pe22", "K", "ke4", "xz1", "."}),
        (Lines{"ERROR: edit: not a piece letter and a square: Ka9", "ERROR: edit: not a piece letter and a square: Zz1",
               "ERROR: edit: not a piece letter and a square: Pe", "ERROR: edit: not a piece letter and a square: Pe22",
               "ERROR: edit: not a piece letter and a square: K", "ERROR: edit: not a piece letter and a square: ke4",
               "ERROR: edit: not a piece letter and a square: xz1"}));
    EXPECT_EQ(engine.Perft(2), "400");
    // A position without a black king is refused whole; the old one stays.
    Lines out = engine.RunQuiet({"edit", "#", "Ke1", "Qd1", "."});
    EXPECT_EQ(out, Lines{"ERROR: black has no king"});
    EXPECT_EQ(engine.Perft(2), "400");
    // "c" switches the colour being placed.
    engine.RunQuiet({"edit", "#", "c", "Ke8", "c", "Ke1", "c", "Pe2", "."});
    EXPECT_EQ(engine.Perft(1), "3") << "the pawn on e2 is black: Kd2, Kf2, Kxe2";
}

TEST(Commands, SideCommandsSetTheSideToMove) {
    Engine engine;
    engine.WriteFile("ep.epd", "4k3/8/8/8/3pP3/8/8/4K3 b - e3\n4k3/8/8/8/8/8/4R3/4K3 b - -\n");
    engine.RunQuiet({"setup ep.epd 1"});
    EXPECT_EQ(engine.Perft(1), "7");
    EXPECT_TRUE(engine.RunQuiet({"black"}).empty());
    EXPECT_EQ(engine.Perft(1), "7") << "no change of side, the en-passant square stays";
    engine.RunQuiet({"white"});
    EXPECT_EQ(engine.Perft(1), "6");
    engine.RunQuiet({"black"});
    EXPECT_EQ(engine.Perft(1), "6") << "the en-passant square went with the side change";

    // Black in check: white cannot be put to move.
    engine.RunQuiet({"setup ep.epd 2"});
    EXPECT_EQ(engine.Perft(1), "4");
    EXPECT_EQ(engine.RunQuiet({"white"}), Lines{"ERROR: the side not to move would be in check"});
    EXPECT_EQ(engine.Perft(1), "4");
    EXPECT_TRUE(engine.RunQuiet({"force", "black"}).empty()) << "no change, the engine takes white";
}

TEST(Commands, ScorePrintsTheEvaluation) {
    Engine engine;
    Lines out = engine.RunQuiet({"score"});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NE(out[0].find_first_of("0123456789"), std::string::npos);
    EXPECT_EQ(out[0].find_first_not_of("-0123456789"), std::string::npos) << out[0];
    // A position a queen up for White scores well above zero.
    engine.WriteFile("up.epd", "4k3/8/8/8/8/8/8/3QK3 w - -\n");
    engine.RunQuiet({"setup up.epd 1"});
    out = engine.RunQuiet({"score"});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_GT(std::stoi(out[0]), 500);
}

TEST(Commands, ScoreAndEvalLineUseTheCastlingRightsOfTheBoard) {
    Engine engine;
    engine.WriteFile("p.epd", "r3k2r/pppq1ppp/8/8/8/8/PPP2PPP/R3K2R w - -\n"
                              "r3k2r/pppq1ppp/8/8/8/8/PPP2PPP/R3K2R w KQ -\n");
    // Searches of a position where only White may castle in between.
    engine.WriteFile("suite.epd", "r3k2r/pppq1ppp/8/8/8/8/PPP2PPP/R3K2R w KQ - bm O-O;\n");
    auto scoreOf = [&](int line) {
        engine.RunQuiet({"setup p.epd " + std::to_string(line)});
        Lines out = engine.RunQuiet({"score"});
        return out.size() == 1 ? out[0] : std::string("no score line");
    };
    const std::string without = scoreOf(1), with = scoreOf(2);
    EXPECT_NE(without, with) << "the rights count in the evaluation";
    engine.RunQuiet({"time 5", "nopost", "test suite.epd"});
    EXPECT_EQ(scoreOf(1), without);
    // "Eval = " at the start of an analysis is the same number.
    engine.RunQuiet({"test suite.epd", "setup p.epd 1"});
    engine.Send("analyze");
    bool found = false;
    Lines lines = engine.ReadUntilPrefix("Eval = ", &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(lines.back(), "Eval = " + without);
    engine.Send("exit");
}
