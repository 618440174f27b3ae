// The search with table files, and the engine with a folder of compressed ones.
#include "e2e/EngineProcess.h"
#include "search/SearchTestSupport.h"
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

// Tables that call every position a draw turn a won ending into a draw, and
// one lost position for Black makes the move into it the choice, a mate.
TEST(EngineTablebase, SearchTakesTheTablesWord) {
    InitIndexTables();
    TempDirectory tables;
    WriteTable(tables.path, "kqk", 0, 0, -1, true);
    const std::string black = WriteTable(tables.path, "kqk", 1, 0, -1, true);
    const Pos p = PosOf("kqk", {4, 35, 32}); // the queen on a5
    for (const int8_t byte : {0, -100}) {    // a draw, or Black mated in 26 moves
        PokeTable(black, IndexOf(p, 1), byte);
        StartTablebases(tables.path.c_str(), 1.0);
        SetUpSearch("8/8/8/3k4/8/8/8/Q3K3 w - -");
        DepthLimit = 3;
        const Move m = ThinkQuietly();
        EXPECT_EQ(BestScore, byte ? MateValue - 53 : 0);
        if (byte) {
            EXPECT_EQ(m, MakeMoveWord(A1, A5));
        }
    }
    StartTablebases("", 1.0);
}

// Compressed files are not read: each table that has only those is named at start-up, and the engine
// plays without tables.
TEST(EngineTablebase, AFolderOfCompressedFilesOnlyIsNamedAndPlayedWithout) {
    InitIndexTables();
    TempDirectory tables;
    for (const char *name : {"kqk.nbw.emd", "kqknbb.emd", "knk.nbw.emd"})
        std::ofstream(tables.path + "/" + name) << "compressed";
    WriteTable(tables.path, "knk", 0);
    EngineProcess engine(false);
    engine.WriteFile("Morvane.ini", "BookLearn FALSE\nTbPath " + tables.path + "\nTbCache 1\nHash 8\n");
    ASSERT_TRUE(engine.Start());
    EngineProcess::Lines warnings = engine.ReadStartup();
    std::erase_if(warnings, [](const std::string &line) { return line.find("tablebase") == std::string::npos; });
    ASSERT_TRUE(engine.Found());
    const std::string said = "WARNING: compressed tablebase not supported: " + tables.path;
    EXPECT_EQ(warnings, (EngineProcess::Lines{said + "/kqk.nbw.emd", said + "/kqknbb.emd"}));
    for (const char *command : {"setboard 8/8/8/3k4/8/8/8/Q3K3 w - - 0 1", "sd 3", "go"})
        engine.Send(command);
    engine.ReadUntilPrefix("move ");
    EXPECT_TRUE(engine.Found()) << "no move";
    engine.Send("quit");
}
