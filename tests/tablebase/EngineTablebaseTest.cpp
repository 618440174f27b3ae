// The engine with table files under "TbPath": a search that takes the tables' word.
#include "e2e/EngineProcess.h"
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

namespace {

// The scores ("cp 0", "mate 3") of a UCI search of fen up to `depth`, then its best move.
std::vector<std::string> Analyse(const std::string &tables, const std::string &fen, int depth) {
    EngineProcess engine(false);
    engine.WriteFile("Morvane.ini", "BookLearn FALSE\nTbPath " + tables + "\nTbCache 1\nHash 8\n");
    EXPECT_TRUE(engine.Start());
    engine.Send("uci");
    engine.Send("position fen " + fen);
    engine.Send("go infinite");
    std::vector<std::string> scores;
    for (std::string line : engine.ReadUntilPrefix("info depth " + std::to_string(depth) + " seldepth"))
        if (line.find(" score ") != std::string::npos) {
            line.erase(0, line.find(" score ") + 7);
            scores.push_back(line.substr(0, line.find(' ', line.find(' ') + 1)));
        }
    engine.Send("stop");
    scores.push_back(engine.ReadUntilPrefix("bestmove ").back().substr(9, 4));
    engine.Send("quit");
    return scores;
}

} // namespace

// Tables that call every position a draw turn a won ending into a draw, and
// one lost position for Black makes the move into it the choice, a mate.
TEST(EngineTablebase, SearchTakesTheTablesWord) {
    InitIndexTables();
    TempDirectory tables;
    WriteTable(tables.path, "kqk", 0, 0, -1, true);
    const std::string black = WriteTable(tables.path, "kqk", 1, 0, -1, true);
    std::vector<std::string> scores = Analyse(tables.path, "8/8/8/3k4/8/8/8/Q3K3 w - - 0 1", 4);
    ASSERT_GT(scores.size(), 1u);
    for (size_t i = 0; i + 1 < scores.size(); ++i)
        EXPECT_EQ(scores[i], "cp 0");
    Pos p = PosOf("kqk");
    p.sq[0] = 4, p.sq[1] = 35, p.sq[2] = 32; // the queen on a5
    PokeTable(black, IndexOf(p, 1), -100);
    scores = Analyse(tables.path, "8/8/8/3k4/8/8/8/Q3K3 w - - 0 1", 3);
    ASSERT_GT(scores.size(), 1u);
    EXPECT_EQ(scores[scores.size() - 2].substr(0, 5), "mate ");
    EXPECT_EQ(scores.back(), "a1a5");
}

// Compressed files are not read: a folder holding only those is named at
// start-up, table by table, and the engine plays without tables.
TEST(EngineTablebase, AFolderOfCompressedFilesOnlyIsNamedAndPlayedWithout) {
    TempDirectory tables;
    for (const char *name : {"kqk.nbw.emd", "kqknbb.emd"})
        std::ofstream(tables.path + "/" + name) << "compressed";
    EngineProcess engine(false);
    engine.WriteFile("Morvane.ini", "BookLearn FALSE\nTbPath " + tables.path + "\nTbCache 1\nHash 8\n");
    ASSERT_TRUE(engine.Start());
    bool found = false;
    std::vector<std::string> warnings;
    for (const std::string &line : engine.ReadStartup(&found))
        if (line.find("tablebase") != std::string::npos) warnings.push_back(line);
    ASSERT_TRUE(found);
    const std::string said = "WARNING: compressed tablebase not supported: " + tables.path;
    EXPECT_EQ(warnings, (std::vector<std::string>{said + "/kqk.nbw.emd", said + "/kqknbb.emd"}));
    engine.Send("setboard 8/8/8/3k4/8/8/8/Q3K3 w - - 0 1");
    engine.Send("sd 3");
    engine.Send("go");
    engine.ReadUntilPrefix("move ", &found);
    EXPECT_TRUE(found) << "no move";
    engine.Send("quit");
}
