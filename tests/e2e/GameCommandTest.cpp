// Commands that play, take back and list moves, in force mode (the engine
// never thinks here).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/XboardEngine.h"

namespace {

using Lines = XboardEngine::Lines;

using Engine = XboardEngine;

const Lines InitialBoard = {"\t\tr n b q k b n r ", "\t\tp p p p p p p p ", "\t\t. . . . . . . . ",
                            "\t\t. . . . . . . . ", "\t\t. . . . . . . . ", "\t\t. . . . . . . . ",
                            "\t\tP P P P P P P P ", "\t\tR N B Q K B N R "};

} // namespace

TEST(GameCommands, ListShowsTenMovesALine) {
    Engine engine;
    Lines out = engine.Run({"list"});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], "");
    EXPECT_EQ(out[1].size(), 60u);
    EXPECT_EQ(out[2].size(), 60u);
    std::string all = out[1] + out[2];
    for (const char *move : {"  e2e4", "  g1f3", "  a2a3", "  b1c3"})
        EXPECT_NE(all.find(move), std::string::npos);
    // 26 moves: three lines, the last with six.
    engine.WriteFile("p.epd", "4k3/8/8/8/8/8/8/R3K2R w KQ -\n");
    out = engine.RunQuiet({"setup p.epd 1", "list"});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[3].size(), 36u);
    EXPECT_NE((out[1] + out[2] + out[3]).find("  e1g1  e1c1"), std::string::npos);
}

TEST(GameCommands, DisplayAfterSetupAndEdit) {
    Engine engine;
    EXPECT_EQ(engine.Run({"display"}), InitialBoard);
    engine.WriteFile("p.epd", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\n");
    EXPECT_EQ(engine.Run({"setup p.epd 1"}), InitialBoard);
    Lines edited = engine.Run({"edit", "xe2", "Pe4", "."});
    Lines expected = InitialBoard;
    expected[4] = "\t\t. . . . P . . . ";
    expected[6] = "\t\tP P P P . P P P ";
    EXPECT_EQ(edited, expected);
}

TEST(GameCommands, SwapListsCapturesWithTheirExchangeValues) {
    Engine engine;
    engine.WriteFile("p.epd", "4k3/8/3p4/4p3/3P4/8/8/4K3 w - -\n");
    engine.RunQuiet({"setup p.epd 1"});
    EXPECT_EQ(engine.Run({"swap"}), (Lines{"List of captures", "d4e5 0", "end of list"}));
    engine.Run({"new"});
    EXPECT_EQ(engine.Run({"swap"}), (Lines{"List of captures", "end of list"}));
}

TEST(GameCommands, MovesUndoAndRemove) {
    Engine engine;
    EXPECT_TRUE(engine.Run({"force", "e2e4", "e7e5", "g1f3"}).empty());
    EXPECT_EQ(engine.Perft(1), "29") << "black to move after 1. e4 e5 2. Nf3";
    EXPECT_TRUE(engine.Run({"undo"}).empty());
    EXPECT_EQ(engine.Perft(1), "29") << "white to move after 1. e4 e5";
    engine.Run({"remove"});
    EXPECT_EQ(engine.Perft(3), "8902") << "back at the start";
    EXPECT_EQ(engine.Run({"undo"}), Lines{"Error undo: no moves"});
    EXPECT_EQ(engine.Run({"remove"}), Lines{"Error undo: no moves"});
    engine.Run({"e2e4"});
    EXPECT_EQ(engine.Run({"remove"}), Lines{"Error undo: no moves"}) << "one move is not a pair";
    EXPECT_EQ(engine.Perft(1), "20") << "black to move after 1. e4";
}

TEST(GameCommands, RemoveKeepsTheEngineSide) {
    Engine engine;
    engine.Run({"force", "e2e4", "e7e5", "d2d4", "d7d5", "level 0 0 0", "time 50"});
    engine.Run({"white"}); // white is to move already: the engine takes black
    EXPECT_TRUE(engine.Run({"remove"}).empty());
    EXPECT_EQ(engine.Perft(1), "29") << "white to move after 1. e4 e5";
    // Still black's engine: white's move makes it answer.
    engine.Send("g1f3");
    bool moved = false;
    engine.ReadUntilPrefix("move ", &moved);
    EXPECT_TRUE(moved);
}

TEST(GameCommands, ResultFreezesTheGameUntilANewSetup) {
    Engine engine;
    engine.Run({"force"});
    EXPECT_TRUE(engine.Run({"result 1-0 {White mates}"}).empty());
    EXPECT_EQ(engine.Run({"e2e4"}), Lines{"Illegal move: e2e4"});
    // Editing does not lift it.
    engine.RunQuiet({"edit", "."});
    EXPECT_EQ(engine.Run({"e2e4"}), Lines{"Illegal move: e2e4"});
    engine.Run({"new", "force"});
    EXPECT_TRUE(engine.Run({"e2e4"}).empty());
    engine.Run({"result 1/2-1/2"});
    engine.WriteFile("p.epd", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\n");
    engine.RunQuiet({"setup p.epd 1"});
    EXPECT_TRUE(engine.Run({"e2e4"}).empty());
}

TEST(GameCommands, FoolsMateIsAnnouncedOnce) {
    Engine engine;
    EXPECT_EQ(engine.Run({"force", "f2f3", "e7e5", "g2g4", "d8h4"}), Lines{"0-1 {Black mates}"});
    EXPECT_EQ(engine.Perft(1), "0");
    EXPECT_EQ(engine.Run({"h2h3"}), Lines{"Illegal move: h2h3"});
}

TEST(GameCommands, MovesEndingOnTheLineBreakAreMovesToo) {
    Engine engine;
    engine.Send("force");
    engine.SendRaw("e2e4\r\ne7e5\r\n");
    EXPECT_TRUE(engine.Sync().empty());
    EXPECT_EQ(engine.Perft(1), "29");
}

TEST(GameCommands, AnalysisRunsUntilExitAndPlaysNoMove) {
    Engine engine;
    engine.Run({"force"});
    engine.Send("analyze");
    bool found = false;
    Lines seen = engine.ReadUntilPrefix("Eval = ", &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(seen.front(), "Start analyzing");
    // A move ends this analysis; it is made and a new one starts.
    engine.Send("e2e4");
    seen = engine.ReadUntilPrefix("Start analyzing", &found);
    ASSERT_TRUE(found);
    engine.Send("exit");
    for (const std::string &l : engine.Sync())
        EXPECT_EQ(l.rfind("move ", 0), std::string::npos) << l;
    for (const std::string &l : seen)
        EXPECT_EQ(l.rfind("move ", 0), std::string::npos) << l;
    EXPECT_EQ(engine.Perft(1), "20") << "black to move after 1. e4";
}

TEST(GameCommands, EngineAnswersAfterNewAndPondersWhenAskedTo) {
    Engine engine;
    for (const char *c : {"new", "time 50", "e2e4"})
        engine.Send(c);
    // The engine plays black: its answer comes on the next turn of the loop.
    bool moved = false;
    engine.ReadUntilPrefix("move ", &moved);
    EXPECT_TRUE(moved);
    engine.Sync();

    // With "hard" it thinks on the opponent's time after its move; a command
    // arriving then ends the pondering and is handled.
    for (const char *c : {"new", "hard", "time 50", "d2d4"})
        engine.Send(c);
    engine.ReadUntilPrefix("move ", &moved);
    EXPECT_TRUE(moved);
    bool pondering = false;
    engine.ReadUntilPrefix("Pondering", &pondering);
    EXPECT_TRUE(pondering);
    engine.Send("force");
    bool synced = false;
    engine.Sync(&synced);
    EXPECT_TRUE(synced);
    // Two moves on the record (1. d4 and the answer): the guess was taken back.
    EXPECT_TRUE(engine.Run({"undo", "undo"}).empty());
    EXPECT_EQ(engine.Perft(3), "8902");
    EXPECT_EQ(engine.Run({"undo"}), Lines{"Error undo: no moves"});
}
