// The xboard dialogue through the binary: answers, searches, pondering, analysis, long runs, clocks, input ends.
#include <gtest/gtest.h>

#include "e2e/EngineProcess.h"

using namespace e2e;

TEST(XboardProtocol, AnswersToCommandsMovesAndBadWords) {
    const std::string q99(99, 'q'), w99(99, 'w'), bad = "Error (bad argument): ", no = "Error (unknown command): ";
    const std::string illegal = "tellusererror Illegal position",
                      ep = "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR";
    const std::pair<Lines, Lines> cases[] = {
        // A word that is no command takes the rest of its line along: nothing on
        // it is read as a move or a command. Moves several to a line still count.
        {{"sdx 5", "ping 7\thint", "Quit QUIT quit2"}, {no + "sdx", "pong 7", no + "Quit"}},
        {{"force", "setboard r2q1rk1/pp1bbppp/2n1pn2/3p4/2PP4/2N1PN2/PP1BBPPP/R2QK2R w KQ - 4 9", "hide f3e5", "f3e5"},
         {no + "hide"}},
        {{"new", "force", "e2e4 zz e7e5 quit", "e7e5", "e2e4"}, {no + "zz", "Illegal move: e2e4"}},
        {{"xboard\nprotover 2\naccepted done\nrandom computer post nopost easy hard reset fritz ? exit\notim 4000 "
          "force\nlevel 40 5 0\nlevel 0 2:30 12\ntime 6000\ntime -150\nlevel 0 2:30 0.5\nlevel 40 0:30 0\nst 2\nsd 6\n"
          "cores 2\ndraw\negtpath nalimov /no/such dir\negtpath gaviota /x\noption Resign=0\noption OwnBook=1\noption "
          "Clear Hash\naccepted ping\nrejected usermove\nname Some Opponent\nrating 2100 1800\nics "
          "-\nplayother\nforce"},
         {}},
        {{"printbook import", "memory 8"}, {"Not implemented", "Not implemented", "Hash size 8 Mbytes"}},
        {{"time abc", "time 12x", "time 99999999999", "level x 5 0", "level 40 5 zero", "level -1 5 0", "perft q",
          "setup file.epd first", "level 0 2:x 0", "level 0 5 -1", "st 0", "sd -2", "option NoSuch=1"},
         {bad + "time abc", bad + "time 12x", bad + "time 99999999999", bad + "level x", bad + "level zero",
          bad + "level -1", bad + "perft q", bad + "setup first", bad + "level 2:x", bad + "level -1", bad + "st 0",
          bad + "sd -2", bad + "option NoSuch=1"}},
        // Over-long words are refused whole (with their line), a long result comment swallowed.
        {{q99 + "q quit", "quit" + std::string(20000, 'x'), w99,
          "result 1/2-1/2 {" + std::string(50000, 'c') + " quit}"},
         {no + q99 + "...", no + "quit" + std::string(95, 'x') + "...", no + w99}},
        {{"new", "force", "e2e5", "e7e5", "a7a8q", "e2e4=q", "i2i4", "e2e4e", "hello", "e2e4"},
         {"Illegal move: e2e5", "Illegal move: e7e5", "Illegal move: a7a8q", "Illegal move: e2e4=q", no + "i2i4",
          no + "e2e4e", no + "hello"}},
        // setboard takes the en-passant square and castling rights; a bad FEN leaves the position.
        {{"setboard " + ep + " w KQkq f6 0 3", "e5f6"}, {}},
        {{"setboard " + ep + " w KQkq - 0 3", "e5f6"}, {"Illegal move: e5f6"}},
        {{"setboard r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1", "e1g1", "setboard nonsense",
          "setboard 8/8/8/8/8/8/8/8 w - - 0 1", "setboard", "e1c1"},
         {"Illegal move: e1g1", "ERROR: 'o' is not a piece letter or square count", illegal, "ERROR: white has no king",
          illegal, "ERROR: empty position", illegal}}};
    XboardEngine engine;
    for (const auto &[commands, expected] : cases)
        EXPECT_EQ(engine.Run(commands), expected) << commands[0];
}

TEST(XboardProtocol, PingDuringTheEnginesSearchIsAnsweredAfterItsMoveAndDepthLimit) {
    XboardEngine engine;
    EXPECT_EQ(engine.Run({"new", "level 0 5 0", "time 200000", "otim 200000", "easy", "ping 1"}), Lines{"pong 1"});
    engine.Send("e2e4");
    engine.ReadUntilPrefix(" 4 "); // thinking on its move
    engine.SendRaw("ping 2\n?\n");
    EXPECT_EQ(Count(engine.ReadUntilPrefix("pong 2"), "move "), 1) << "the pong came before the move";
    engine.Run({"force", "new", "sd 3", "level 0 5 0", "time 30000", "otim 30000"});
    engine.Send("e2e4");
    const Lines lines = engine.ReadUntilPrefix("move ");
    EXPECT_TRUE(engine.Found() && Count(lines, " 3 ") > 0 && Count(lines, " 4 ") == 0) << "deeper than sd:\n"
                                                                                       << Joined(lines);
}

TEST(XboardProtocol, AnUnknownWordThatStopsTheSearchTakesItsLineAlong) {
    // A word too long to keep is refused as far as it was read; it does not stop the search.
    for (const std::string &word : {std::string("hide"), std::string(150, 'z')}) {
        const bool stops = word == "hide";
        XboardEngine engine;
        engine.Run({"new", "easy", "level 0 5 0", "time 200000", "otim 200000"});
        engine.Send("e2e4");
        engine.ReadUntilPrefix(" 4 "); // thinking on its reply
        engine.Send(word + " d2d4");   // d2d4 is no move of White's
        const Lines lines = engine.ReadUntilPrefix("Error (unknown command): " + word.substr(0, 99));
        EXPECT_TRUE(engine.Found() && Count(lines, "move ") == (stops ? 1 : 0)) << Joined(lines);
        if (!stops) engine.Send("?");
        if (!stops) engine.ReadUntilPrefix("move ");
        engine.Sync();
        EXPECT_EQ(engine.Run({"force", "d2d4"}), Lines{}) << "d2d4 was played already";
    }
}

TEST(XboardSearch, AnalysisMovesStatusAndExit) {
    XboardEngine engine;
    engine.SendRaw("new\npost\nanalyze\n"); // analysis plays no side: no move after "exit" below
    EXPECT_EQ(engine.ReadUntilPrefix("Eval = ").front(), "Start analyzing");
    engine.ReadUntilPrefix(" 4 ");
    // "." shows time, nodes, depth, moves left, the 20 root moves, the current one; the analysis goes on.
    engine.Send(".");
    Lines lines = engine.ReadUntilPrefix("stat01: ");
    long time = 0, nodes = 0, depth = 0, left = -1, total = 0;
    ASSERT_EQ(sscanf(lines.back().c_str(), "stat01: %ld %ld %ld %ld %ld", &time, &nodes, &depth, &left, &total), 5);
    EXPECT_TRUE(nodes > 0 && depth >= 4 && total == 20 && left >= 0 && left < 20) << lines.back();
    engine.Send("ping 9"); // answered at once: analysis plays no move to wait for
    EXPECT_TRUE(Count(engine.ReadUntilPrefix("pong 9"), "Start analyzing") == 0 && engine.Found());
    engine.Send("e2e4"); // ends this analysis; the loop makes the move and analyses anew
    lines = engine.ReadUntilPrefix("Start analyzing");
    const Lines after = engine.Run({"exit", "list"});
    EXPECT_EQ(Count(lines, "move ") + Count(after, "move "), 0) << "analysis plays no move";
    EXPECT_NE(Joined(after).find("e7e5"), std::string::npos) << "Black is to move after e2e4";
    engine.SendRaw("time 500\ngo\n"); // afterwards the engine moves only when told to
    EXPECT_TRUE(engine.Sees("move "));
}

TEST(XboardSearch, WordsDuringTheEnginesSearch) {
    {
        // "?" moves at once, and the loop takes it without complaint; a draw offer is declined.
        XboardEngine engine;
        engine.Run({"level 0 50 0", "time 300000", "otim 300000"});
        engine.Send("go");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        engine.Send("draw"); // declined, and the search goes on
        engine.Send("?");
        const Lines lines = engine.ReadUntilPrefix("move ", 5000);
        EXPECT_TRUE(engine.Found()) << "no move within five seconds of \"?\"";
        EXPECT_EQ(Count(lines, "Offer is declined"), 1) << Joined(lines);
        EXPECT_EQ(Count(engine.Run({}), "Error"), 0);
    }
    {
        // After "nointer" only the clock ends the search.
        XboardEngine engine;
        engine.Run({"nointer", "level 0 50 0", "time 10000", "otim 10000"});
        const auto start = Clock::now();
        engine.Send("go");
        const int softLimit = std::stoi(engine.ReadUntilPrefix("time1 = ").back().substr(8)); // centiseconds
        ASSERT_GT(softLimit, 100);
        engine.Send("?");
        engine.ReadUntilPrefix("move ");
        EXPECT_GT(Since(start), softLimit * 10 / 2);
    }
    EngineProcess engine; // a closed input during the search ends the program well
    EXPECT_EQ(engine.RunToTheEnd("level 0 50 0\ntime 300000\ngo\n", 300), 0);
}

TEST(XboardSearch, PonderingFollowsEasyHardAndTheOpponentsMove) {
    XboardEngine engine;
    engine.Run({"new", "hard", "easy", "time 3000"}); // "easy": no pondering after the move
    engine.Send("e2e4");
    EXPECT_TRUE(engine.Sees("move "));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // time to start pondering, were it on
    EXPECT_EQ(Count(engine.Run({}), "Pondering"), 0);
    // "hard": after its move the engine ponders; on a hit it goes on, then ponders again.
    engine.Run({"new", "hard", "post", "time 6000", "otim 6000"});
    engine.Send("e2e4");
    std::string reply;
    for (const std::string &l : engine.ReadUntilPrefix("Pondering ... "))
        reply = l.starts_with("tellics ") ? l.substr(l.find(" Knps pv = ") + 11, 4) : reply;
    if (reply.size() < 4 || reply == "####") GTEST_SKIP() << "the search left no reply to ponder on";
    engine.SendRaw("time 5900\notim 5800\n" + reply + "\n");
    const Lines lines = engine.ReadUntilPrefix("move ");
    EXPECT_EQ(Count(lines, "Continue pondering") - Count(lines, "Abort pondering"), 1) << reply;
    EXPECT_TRUE(engine.Sees("Pondering ... "));
    // A command takes the guess back: four moves on the record.
    EXPECT_EQ(Count(engine.Run({"force", "undo", "undo", "undo", "undo", "undo"}), "Error undo: no moves"), 1);
}

TEST(XboardSearch, LongRunsEndWithTheInput) {
    // Analysis before the suite must not lift the suite's time limit; a part count is no count.
    for (const char *commands :
         {"time 20\nanalyze\ntest t.epd\n", "time 20\nanalyze\ntest t.epd\nquit\n", "perft 9\n", "perft 9\nquit\n"}) {
        EngineProcess engine;
        fs::copy_file(MORVANE_TEST_DATA "/wac.epd", engine.PathOf("t.epd"));
        std::string output;
        EXPECT_EQ(engine.RunToTheEnd(commands, 500, &output), 0) << commands << "the run went on";
        EXPECT_EQ(output.find("Total nodes"), std::string::npos) << commands;
        const auto logged = std::ranges::count(engine.ReadFile("TestSuite.log"), '\n'); // a line a position
        EXPECT_TRUE(commands[0] == 'p' || (logged >= 1 && logged < 299)) << logged << " positions";
    }
    // During analysis the suite keeps its own limits, and analysis resumes after it.
    XboardEngine engine;
    engine.WriteFile("two.epd", "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8#;\n6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Kf2;\n");
    engine.SendRaw("time 20\nanalyze\ntest two.epd\n");
    EXPECT_TRUE(engine.Sees("Current result 1 of 2 (0.5)")) << "the second position was never reached";
    EXPECT_TRUE(engine.Sees("Start analyzing"));
    engine.Run({"exit"});
}

TEST(XboardSearch, ClockLimits) {
    // The limits as a search starts: exact (here less the 10 ms move overhead), or at most half a clock below
    // 10 s and 5 s less above (st: a little below its time), the move taking less than the clock.
    const std::tuple<std::string, std::string, long, long> cases[] = {
        {"level 40 5 0\ntime 6000", "82 414 829 ", 0, 0},    // 33 moves, 5 s kept back
        {"level 0 2 12\ntime 6000", "682 3414 5499 ", 0, 0}, // the increment in seconds
        {"level 5 1 0\ntime 1100\nlevel x 1 0\nlevel 7 1 y\ntime abc", "59 299 359 ", 0, 0},
        {"level 0 5 10\ntime 400\notim 400", "", 400, 0},
        {"level 40 5 30\ntime 2000", "", 2000, 0},
        {"level 1 1 0\ntime 300", "", 300, 0}, // the last move before the control
        {"level 0 5 0\ntime 0", "", 0, 0},
        {"st 1\ntime 100\notim 100", "", 100, 80},
        {"st 0.5\ntime 100\notim 100", "", 50, 40}};
    for (const auto &[commands, exact, clock, low] : cases) {
        SCOPED_TRACE(commands);
        XboardEngine engine;
        engine.Run({commands});
        engine.Send("go");
        std::string limits;
        for (const std::string &l : engine.ReadUntilPrefix("time3 = "))
            limits += l.starts_with("time") ? l.substr(8) + " " : "";
        if (!exact.empty()) engine.Send("?");
        const Lines lines = engine.ReadUntilPrefix("Time elapsed: ");
        ASSERT_TRUE(engine.Found());
        const long elapsed = std::stol(lines.back().substr(14));
        const long cap = low ? clock : std::max(1L, clock >= 1000 ? clock - 500 : clock / 2);
        std::istringstream values(limits);
        for (long limit; exact.empty() && values >> limit;)
            EXPECT_TRUE(limit <= cap && limit >= low) << limits;
        EXPECT_TRUE(exact.empty() ? clock <= 20 || low || elapsed < clock : limits == exact) << limits << elapsed;
    }
}

TEST(XboardInput, EndOfInputSignalsAndVanishedReader) {
    // The end of input after any last word ends the program, silently.
    for (const char *input : {"", "force\n", "time", "level 40", "result 1-0", "edit\nPe2", "setup x.epd", "post"}) {
        EngineProcess engine;
        std::string output;
        EXPECT_EQ(engine.RunToTheEnd(input, 0, &output), 0) << input;
        EXPECT_EQ(output, "") << input;
    }
    {
        XboardEngine engine;
        ASSERT_TRUE(engine.Signal(SIGINT));
        engine.Sync(); // an interrupt does not end the engine: it quits well at the end
    }
    XboardEngine engine; // output into a closed pipe must not kill it either
    engine.CloseOutput();
    for (int i = 0; i < 50; ++i)
        engine.Send("unknownword" + std::to_string(i));
}
