// The xboard protocol 2 dialogue: features, setboard, illegal moves, ping
// ordering, analysis status, and the commands a modern interface sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/XboardEngine.h"

namespace {

using Lines = std::vector<std::string>;

bool Has(const Lines &lines, const std::string &line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int CountPrefix(const Lines &lines, const std::string &prefix) {
    return int(
        std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; }));
}

TEST(XboardProtocol, FeaturesAreAnnouncedBeforeDone) {
    EngineProcess engine;
    ASSERT_TRUE(engine.Start());
    bool found = false;
    Lines lines = engine.ReadStartup(&found);
    ASSERT_TRUE(found);
    auto done0 = std::find(lines.begin(), lines.end(), "feature done=0");
    ASSERT_NE(done0, lines.end());
    std::string features;
    for (auto it = done0 + 1; it != lines.end(); ++it)
        if (it->rfind("feature ", 0) == 0) features += " " + it->substr(8);
    for (const char *f :
         {" ping=1", " setboard=1", " playother=1", " analyze=1", " memory=1", " egt=\"nalimov\"", " sigint=0",
          " sigterm=0", " reuse=1", " colors=0", " smp=1", " myname=\"Morvane 7\"", "done=1"})
        EXPECT_NE(features.find(f), std::string::npos) << f << " not announced:" << features;
    EXPECT_NE(features.find("option=\"Clear Hash -button\""), std::string::npos) << features;
    engine.Send("quit");
    EXPECT_EQ(engine.WaitExit(), 0);
}

TEST(XboardProtocol, SetboardCarriesEnPassantCastlingAndCounters) {
    XboardEngine engine;
    struct Case {
        const char *fen;
        const char *move;
        bool legal;
    } cases[] = {
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "e5f6", true},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3", "e5f6", false},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", "e5d6", false},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1", "e1g1", false},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1", "e1c1", true},
        {"r3k2r/8/8/8/8/8/8/R3K2R b Qk - 0 1", "e8c8", false},
        {"r3k2r/8/8/8/8/8/8/R3K2R b Qk - 0 1", "e8g8", true},
        {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", "e1c1", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fen) + " " + c.move);
        engine.Run({"force", std::string("setboard ") + c.fen});
        Lines out = engine.Run({c.move});
        if (c.legal)
            EXPECT_TRUE(out.empty()) << (out.empty() ? "" : out[0]);
        else
            EXPECT_EQ(out, Lines{std::string("Illegal move: ") + c.move});
    }
    // An unusable FEN says so and leaves the position as it was.
    engine.Run({"force", "setboard r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1"});
    const std::string before = engine.Perft(2);
    for (const char *bad : {"setboard nonsense", "setboard 8/8/8/8/8/8/8/8 w - - 0 1", "setboard"}) {
        Lines out = engine.RunQuiet({bad});
        EXPECT_TRUE(Has(out, "tellusererror Illegal position")) << bad;
    }
    EXPECT_EQ(engine.Perft(2), before) << "the last good position stands";
}

TEST(XboardProtocol, SetboardDuringTheEnginesSearchPlaysNoMove) {
    XboardEngine engine;
    engine.Run({"new", "post", "level 0 5 0", "time 30000", "otim 30000"});
    engine.Send("e2e4");
    engine.ReadUntilPrefix(" 3 ");
    engine.Send("setboard r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1");
    Lines out = engine.Run({"force"});
    EXPECT_EQ(CountPrefix(out, "move "), 0);
    EXPECT_TRUE(engine.Run({"e1c1"}).empty()) << "the new position stands";
}

TEST(XboardProtocol, IllegalMovesAndUnknownWords) {
    XboardEngine engine;
    engine.Run({"new", "force"});
    struct Case {
        const char *word;
        const char *answer;
    } cases[] = {
        {"e2e5", "Illegal move: e2e5"},
        {"e7e5", "Illegal move: e7e5"},
        {"a7a8q", "Illegal move: a7a8q"},
        {"e2e4=q", "Illegal move: e2e4=q"},
        {"i2i4", "Error (unknown command): i2i4"},
        {"e2e4e", "Error (unknown command): e2e4e"},
        {"hello", "Error (unknown command): hello"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(engine.Run({c.word}), Lines{c.answer});
    EXPECT_TRUE(engine.Run({"e2e4"}).empty());
}

TEST(XboardProtocol, QuietCommandsOfAModernInterface) {
    XboardEngine engine;
    Lines out = engine.Run({"new",
                            "level 0 2:30 0.5",
                            "level 40 0:30 0",
                            "st 2",
                            "sd 6",
                            "cores 2",
                            "draw",
                            "egtpath nalimov /no/such dir",
                            "egtpath gaviota /x",
                            "option Resign=0",
                            "option OwnBook=1",
                            "option Clear Hash",
                            "accepted ping",
                            "rejected usermove",
                            "name Some Opponent",
                            "rating 2100 1800",
                            "ics -",
                            "computer",
                            "playother",
                            "force"});
    EXPECT_TRUE(out.empty()) << out[0];
    out = engine.Run({"memory 8"});
    EXPECT_EQ(out, Lines{"Hash size 8 Mbytes"});
    for (const char *bad : {"level 0 2:x 0", "level 0 5 -1", "st 0", "sd -2", "option NoSuch=1"})
        EXPECT_EQ(CountPrefix(engine.Run({bad}), "Error (bad argument): "), 1) << bad;
}

// "ping" while the engine thinks on its own move is answered after the move;
// while pondering, analysing or idle at once.
TEST(XboardProtocol, PingOrdering) {
    XboardEngine engine;
    engine.Run({"new", "level 0 5 0", "time 200000", "otim 200000", "easy"});
    EXPECT_EQ(engine.Run({"ping 1"}), Lines{"pong 1"});
    engine.Send("e2e4");
    engine.ReadUntilPrefix(" 4 "); // thinking on its move
    engine.Send("ping 2");
    engine.Send("?");
    bool found = false;
    Lines lines = engine.ReadUntil([](const std::string &l) { return l == "pong 2"; }, &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(CountPrefix(lines, "move "), 1) << "the pong came before the move";

    engine.Run({"force", "new", "hard", "time 1000"});
    engine.Send("e2e4"); // a quick answer, then pondering on the reply
    engine.ReadUntilPrefix("Pondering ... ");
    engine.Send("ping 3");
    lines = engine.ReadUntil([](const std::string &l) { return l == "pong 3"; }, &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(CountPrefix(lines, "move "), 0);
    engine.Run({"force"});

    engine.Run({"new", "force", "analyze"});
    engine.ReadUntilPrefix(" 3 ");
    engine.Send("ping 4");
    lines = engine.ReadUntil([](const std::string &l) { return l == "pong 4"; }, &found);
    EXPECT_TRUE(found);
    engine.Run({"exit"});
}

TEST(XboardProtocol, StatusDuringAnalysisKeepsTheAnalysisGoing) {
    XboardEngine engine;
    engine.Run({"new", "post", "analyze"});
    engine.ReadUntilPrefix(" 4 ");
    engine.Send(".");
    bool found = false;
    Lines lines = engine.ReadUntilPrefix("stat01: ", &found);
    ASSERT_TRUE(found);
    // time, nodes, depth, moves left, 20 root moves in all, the current move
    long time = 0, nodes = 0, depth = 0, left = -1, total = 0;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "stat01: %ld %ld %ld %ld %ld", &time, &nodes, &depth, &left, &total), 5)
        << lines.back();
    EXPECT_GT(nodes, 0);
    EXPECT_GE(depth, 4);
    EXPECT_EQ(total, 20);
    EXPECT_TRUE(left >= 0 && left < 20) << left;
    engine.Send("ping 9");
    Lines after = engine.ReadUntil([](const std::string &l) { return l == "pong 9"; }, &found);
    EXPECT_TRUE(found);
    EXPECT_EQ(CountPrefix(after, "Start analyzing"), 0) << "the analysis started over";
    EXPECT_EQ(CountPrefix(after, "Error"), 0);
    engine.Run({"exit"});
}

TEST(XboardProtocol, AfterAnalysisTheEnginePlaysOnlyWhenAsked) {
    XboardEngine engine;
    engine.Run({"new", "analyze", "e2e4"});
    Lines out = engine.Run({"exit", "ping 5"});
    EXPECT_EQ(CountPrefix(out, "move "), 0);
    // "go" still starts it.
    engine.Send("time 500");
    engine.Send("go");
    bool moved = false;
    engine.ReadUntilPrefix("move ", &moved);
    EXPECT_TRUE(moved);
}

TEST(XboardProtocol, SearchDepthIsKept) {
    XboardEngine engine;
    engine.Run({"new", "post", "sd 3", "level 0 5 0", "time 30000", "otim 30000"});
    engine.Send("e2e4");
    bool moved = false;
    Lines lines = engine.ReadUntilPrefix("move ", &moved);
    ASSERT_TRUE(moved);
    for (const std::string &l : lines)
        EXPECT_NE(l.rfind(" 4 ", 0), 0u) << "deeper than sd: " << l;
}

} // namespace
