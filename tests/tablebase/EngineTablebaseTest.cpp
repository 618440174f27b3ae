// The engine with table files: start-up messages, fatal errors, and a search
// that follows what the tables say.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/EngineProcess.h"
#include "tablebase/IndexTestSupport.h"
#include "tablebase/TableFileTestSupport.h"

using namespace tbtest;

namespace {

using Lines = std::vector<std::string>;

// An engine whose "TbPath" is the folder "tb" of its working directory.
struct TableEngine {
    EngineProcess engine{false};
    std::string tb;
    TableEngine() {
        tb = engine.PathOf("tb");
        std::filesystem::create_directory(tb);
        engine.WriteFile("Morvane.ini", "BookLearn FALSE\nTbPath " + tb + "\nTbCache 1\nHash 8\n");
    }
};

// Runs a UCI search of the position until `depth` and returns the scores of
// the finished iterations and the best move.
std::pair<std::vector<int>, std::string> Analyse(EngineProcess &engine, const std::string &fen, int depth) {
    engine.Send("uci");
    engine.Send("position fen " + fen);
    engine.Send("go infinite");
    std::vector<int> scores;
    const std::string last = "info depth " + std::to_string(depth) + " score";
    bool found = false;
    for (const std::string &line : engine.ReadUntilPrefix(last, &found)) {
        // A mate in n counts as a score above every ordinary one.
        const size_t at = line.find(" score cp ");
        const size_t mate = line.find(" score mate ");
        if (at != std::string::npos) scores.push_back(std::stoi(line.substr(at + 10)));
        if (mate != std::string::npos) scores.push_back(std::stoi(line.substr(mate + 12)) > 0 ? 32000 : -32000);
    }
    EXPECT_TRUE(found);
    engine.Send("stop");
    Lines end = engine.ReadUntilPrefix("bestmove ", &found);
    EXPECT_TRUE(found);
    engine.Send("quit");
    if (!found) return {scores, ""};
    const std::string move = end.back().substr(9);
    return {scores, move.substr(0, move.find(' '))};
}

} // namespace

TEST(EngineTablebase, CompressedOnlyTableIsReportedAtStartUp) {
    TableEngine t;
    t.engine.WriteFile("tb/kqk.nbw.emd", "compressed");
    WriteTable(t.tb, "krk", 0);
    ASSERT_TRUE(t.engine.Start());
    bool found = false;
    const Lines lines = t.engine.ReadStartup(&found);
    ASSERT_TRUE(found);
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "WARNING: compressed tablebase not supported: " + t.tb + "/kqk.nbw.emd"),
        1);
    t.engine.Send("quit");
    EXPECT_EQ(t.engine.WaitExit(), 0);
}

TEST(EngineTablebase, WrongSizeStopsTheEngine) {
    TableEngine t;
    WriteTable(t.tb, "kqk", 1, 0, 1000);
    ASSERT_TRUE(t.engine.Start());
    const std::string out = t.engine.ReadToEnd();
    EXPECT_NE(out.find("*** " + t.tb + "/kqk.nbb corrupted\n"), std::string::npos) << out;
    EXPECT_EQ(t.engine.WaitExit(), 1);
}

// Tables that call every position a draw turn a won ending into a draw...
TEST(EngineTablebase, SearchTakesTheTablesWord) {
    TableEngine t;
    WriteSparseTable(t.tb, "kqk", 0);
    WriteSparseTable(t.tb, "kqk", 1);
    ASSERT_TRUE(t.engine.Start());
    auto [scores, best] = Analyse(t.engine, "8/8/8/3k4/8/8/8/Q3K3 w - - 0 1", 4);
    ASSERT_FALSE(scores.empty());
    for (int s : scores)
        EXPECT_EQ(s, 0);

    // ... and one lost position for Black makes the move into it the choice.
    TableEngine u;
    InitIndexTables();
    const std::string nbb = WriteSparseTable(u.tb, "kqk", 1);
    WriteSparseTable(u.tb, "kqk", 0);
    TablePosition p = EmptyPosition("kqk");
    p.side[0][4] = 4;  // e1
    p.side[0][5] = 32; // queen a5
    p.side[1][4] = 35; // d5
    PokeTable(nbb, IndexOf(TableId("kqk"), 1, p), -100);
    ASSERT_TRUE(u.engine.Start());
    auto [won, move] = Analyse(u.engine, "8/8/8/3k4/8/8/8/Q3K3 w - - 0 1", 3);
    ASSERT_FALSE(won.empty());
    EXPECT_GT(won.back(), 16383);
    EXPECT_EQ(move, "a1a5");
}

// With the default path nothing changes: no table lines, a normal score.
TEST(EngineTablebase, NoTablesNoChange) {
    EngineProcess engine;
    ASSERT_TRUE(engine.Start());
    bool found = false;
    for (const std::string &line : engine.ReadStartup(&found)) {
        if (line.rfind("feature ", 0) == 0) continue; // the settings offered to the interface
        EXPECT_EQ(line.find("***"), std::string::npos);
        EXPECT_EQ(line.find("tablebase"), std::string::npos);
    }
    auto [scores, best] = Analyse(engine, "8/8/8/3k4/8/8/8/Q3K3 w - - 0 1", 3);
    ASSERT_FALSE(scores.empty());
    EXPECT_GT(scores.back(), 500);
}
