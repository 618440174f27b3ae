// The generator's files: byte meaning, sizes, what they need, the tool.
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

#include "tablebase/GeneratorTestSupport.h"

using namespace gentest;

namespace {

std::string ToolPath() {
    std::string path = MORVANE_BINARY;
    return path.substr(0, path.rfind('/') + 1) + "morvane-tbgen";
}

int RunTool(const std::string &arguments) {
    const std::string command = ToolPath() + " " + arguments + " > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(GeneratorBytesTest, ScoresAndBytesRoundTrip) {
    for (int b = -128; b <= 126; b++) {
        const int32_t score = TbGenScoreOfByte(int8_t(b));
        int8_t back;
        ASSERT_TRUE(TbGenByteOfScore(score, back)) << b;
        EXPECT_EQ(back, b);
    }
    EXPECT_EQ(TbGenScoreOfByte(127), TbGenUnknown);
    // The ends of the range: mate in 1 and in 127, mated now and in 126.
    EXPECT_EQ(ValueOfByte(126), WinInMoves(1));
    EXPECT_EQ(ValueOfByte(1), WinInMoves(126));
    EXPECT_EQ(ValueOfByte(-128), WinInMoves(127));
    EXPECT_EQ(ValueOfByte(-126), LossInMoves(0));
    EXPECT_EQ(ValueOfByte(-1), LossInMoves(125));
    EXPECT_EQ(ValueOfByte(-127), LossInMoves(126));
    int8_t byte;
    EXPECT_FALSE(TbGenByteOfScore(TbGenWin - 255, byte));  // mate in 128
    EXPECT_FALSE(TbGenByteOfScore(-TbGenWin + 254, byte)); // mated in 127
    EXPECT_EQ(TbGenBackUp(-TbGenWin), TbGenWin - 1);       // mating move
    EXPECT_EQ(TbGenBackUp(TbGenWin - 1), -TbGenWin + 2);   // only move walks into mate
}

// The probe turns our bytes into the engine's mate scores.
TEST(GeneratorBytesTest, ProbeGivesMateScores) {
    EnsureTables({"kqk"});
    ASSERT_TRUE(SetupPosition("k7/1Q6/1K6/8/8/8/8/8 b - - 0 1")); // mated
    EXPECT_EQ(ProbeTablebase(0, 0, Black), 32767);
    EXPECT_EQ(ProbeTablebase(3, 0, Black), 32767 - 3);
    ASSERT_TRUE(SetupPosition("k7/7Q/1K6/8/8/8/8/8 w - - 0 1")); // Qb7 mates
    EXPECT_EQ(ProbeValue(White), WinInMoves(1));
    ASSERT_TRUE(SetupPosition("7q/8/8/8/8/8/8/k2K4 b - - 0 1")); // colours reversed
    EXPECT_GT(ProbeValue(Black), 0);
    ASSERT_TRUE(SetupPosition("8/8/8/8/8/8/1q6/k2K4 w - - 0 1")); // stalemate-free king, lost
    EXPECT_LT(ProbeValue(White), 0);
}

TEST(GeneratorFilesTest, SizesAreTheExpectedLengths) {
    EnsureTables({"kqk", "krk", "kbk", "knk", "kpk", "kqkr"});
    int files = 0;
    for (int id = 1; id < TbTableCount; id++) {
        for (int side = 0; side < 2; side++) {
            struct stat info;
            const std::string path = TbGenFilePath(TableDirectory(), id, side);
            if (::stat(path.c_str(), &info) != 0) continue;
            EXPECT_EQ(uint64_t(info.st_size), TbDescriptors[id].expectedLength[side]) << path;
            files++;
        }
    }
    EXPECT_GE(files, 12);
    for (const char *name : {"kqk", "krk", "kbk", "knk", "kpk", "kqkr"})
        EXPECT_TRUE(TbGenTablePresent(TableDirectory(), TbGenTableId(name))) << name;
}

// Distances every endgame player knows.
TEST(GeneratorFilesTest, LongestMates) {
    EnsureTables({"kqk", "krk", "kpk", "kbk", "knk"});
    const std::string &dir = TableDirectory();
    EXPECT_EQ(LongestWin(ReadFile(TbGenFilePath(dir, TbGenTableId("kqk"), 0))), 10);
    EXPECT_EQ(LongestWin(ReadFile(TbGenFilePath(dir, TbGenTableId("krk"), 0))), 16);
    EXPECT_EQ(LongestWin(ReadFile(TbGenFilePath(dir, TbGenTableId("kpk"), 0))), 28);
    EXPECT_EQ(LongestWin(ReadFile(TbGenFilePath(dir, TbGenTableId("kbk"), 0))), 0);
    EXPECT_EQ(LongestWin(ReadFile(TbGenFilePath(dir, TbGenTableId("knk"), 1))), 0);
}

TEST(GeneratorFilesTest, SubtablesOfCapturesAndPromotions) {
    auto names = [](const char *table) {
        std::vector<std::string> result;
        for (int id : TbGenSubtables(TbGenTableId(table)))
            result.push_back(TbDescriptors[id].name);
        return result;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(names("kqk"), V{});
    EXPECT_EQ(names("kpk"), (V{"knk", "kbk", "krk", "kqk"}));
    EXPECT_EQ(names("kqkr"), (V{"krk", "kqk"}));
    EXPECT_EQ(names("kbnk"), (V{"knk", "kbk"}));
    EXPECT_EQ(names("kpkp"), (V{"kpk", "knkp", "kbkp", "krkp", "kqkp"}));
    const V kqpkp = names("kqpkp");
    for (const char *needed : {"kpkp", "kqkp", "kqpk", "kqnkp", "kqbkp", "kqrkp", "kqqkp", "kqpkq", "kqpkn"})
        EXPECT_NE(std::find(kqpkp.begin(), kqpkp.end(), needed), kqpkp.end()) << needed;
    EXPECT_EQ(TbGenTableId("kqkr"), 19);
    EXPECT_EQ(TbGenTableId("kkq"), -1);
}

TEST(GeneratorFilesTest, MissingSubtableIsAnError) {
    TbGenReport report;
    std::string error;
    const std::string empty = TableDirectory() + "/empty";
    ::mkdir(empty.c_str(), 0700);
    EXPECT_FALSE(TbGenerateTable(TbGenTableId("kqkr"), empty, false, report, error));
    EXPECT_NE(error.find("krk.nbw"), std::string::npos) << error;
    struct stat info;
    EXPECT_NE(::stat(TbGenFilePath(empty, TbGenTableId("kqkr"), 0).c_str(), &info), 0);
}

// A subtable of the wrong size is made again before it is used.
TEST(GeneratorFilesTest, DamagedSubtableIsRegenerated) {
    const std::string dir = TableDirectory() + "/damaged";
    ::mkdir(dir.c_str(), 0700);
    std::string error;
    ASSERT_TRUE(TbGenerateTables({TbGenTableId("kqk")}, dir, false, TbGenSilent, error)) << error;
    const std::string path = TbGenFilePath(dir, TbGenTableId("kqk"), 1);
    const std::vector<int8_t> good = ReadFile(path);
    { std::ofstream(path, std::ios::binary | std::ios::trunc) << "short"; }
    EXPECT_FALSE(TbGenTablePresent(dir, TbGenTableId("kqk")));
    ASSERT_TRUE(TbGenerateTables({TbGenTableId("kpk")}, dir, false, TbGenSilent, error)) << error;
    EXPECT_EQ(ReadFile(path), good);
    EXPECT_TRUE(TbGenTablePresent(dir, TbGenTableId("kpk")));
}

TEST(GeneratorToolTest, CommandLine) {
    struct stat info;
    if (::stat(ToolPath().c_str(), &info) != 0) GTEST_SKIP() << "morvane-tbgen not built";
    const std::string dir = TableDirectory() + "/tool";
    EXPECT_EQ(RunTool("-o " + dir + " -q kpk"), 0);
    for (const char *name : {"kpk", "kqk", "krk", "kbk", "knk"})
        for (int side = 0; side < 2; side++)
            EXPECT_EQ(::stat(TbGenFilePath(dir, TbGenTableId(name), side).c_str(), &info), 0) << name;
    EXPECT_EQ(RunTool("-o " + dir + " -q all3"), 0);
    EXPECT_EQ(RunTool("-o " + dir + " kxk"), 2);
    EXPECT_EQ(RunTool(""), 2);
    EXPECT_EQ(RunTool("-o"), 2);
    EXPECT_EQ(RunTool("-o /proc/no-such-place kqk"), 1);
}
