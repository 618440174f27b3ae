// Registration of table files and the block cache.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tablebase/TableFileTestSupport.h"

using namespace tbtest;

namespace {

class AccessTest : public ::testing::Test {
  protected:
    void TearDown() override { StartTablebases("", 1.0); } // leave nothing registered
    TempDirectory temp;
};

const char *RegisteredPath(const char *name, int side) { return TbDescriptors[TableId(name)].fileName[side]; }

} // namespace

TEST_F(AccessTest, NoTablesMeansNoLimit) {
    testing::internal::CaptureStdout();
    StartTablebases("D:\\tablebases", 1.0);
    EXPECT_EQ(TbLimit, -2);
    StartTablebases(temp.Path().c_str(), 1.0);
    EXPECT_EQ(TbLimit, -2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 0), TbNotAvailable);
}

TEST_F(AccessTest, DirectoryListIsSearchedInOrder) {
    const std::string a = temp.Sub("a"), b = temp.Sub("b"), c = temp.Sub("c");
    WriteTable(a, "kqk", 0, 1);
    WriteTable(b, "kqk", 0, 2);
    WriteTable(b, "kqk", 1, 2);
    WriteTable(c, "knk", 0, 3);
    WriteTable(c, "krkr", 1, 3);
    const std::string list = a + ";" + b + "," + c;
    EXPECT_EQ(InitTablebases(list.c_str()), 4);
    EXPECT_EQ(std::string(RegisteredPath("kqk", 0)), a + "/kqk.nbw");
    EXPECT_EQ(std::string(RegisteredPath("kqk", 1)), b + "/kqk.nbb");
    EXPECT_EQ(std::string(RegisteredPath("knk", 0)), c + "/knk.nbw");
    EXPECT_EQ(RegisteredPath("knk", 1), nullptr);
    EXPECT_EQ(RegisteredPath("krk", 0), nullptr);

    StartTablebases(list.c_str(), 1.0);
    EXPECT_EQ(TbLimit, 2);
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 12345), Pattern(12345, 1)); // the earlier directory's file
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 1, 12345), Pattern(12345, 2));
    EXPECT_EQ(ProbeTableValue(TableId("krk"), 0, 5), TbNotAvailable);

    // Largest table size found decides the limit.
    EXPECT_EQ(InitTablebases(c.c_str()), 4);
    EXPECT_EQ(InitTablebases(a.c_str()), 3);
    WriteSparseTable(a, "kqqkq", 1);
    EXPECT_EQ(InitTablebases(a.c_str()), 5);
}

TEST_F(AccessTest, RegistrationIsRedoneFromScratch) {
    WriteTable(temp.Path(), "kqk", 0);
    StartTablebases(temp.Path().c_str(), 1.0);
    ASSERT_EQ(TbLimit, 1);
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 100), Pattern(100));
    StartTablebases((temp.Path() + "/none").c_str(), 1.0);
    EXPECT_EQ(TbLimit, -2);
    EXPECT_EQ(RegisteredPath("kqk", 0), nullptr);
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 100), TbNotAvailable);
}

TEST_F(AccessTest, CompressedOnlyTablesAreReportedAndSkipped) {
    WriteFile(temp.Path() + "/kqk.nbw.emd", "compressed");
    WriteFile(temp.Path() + "/krknbb.emd", "compressed");
    WriteTable(temp.Path(), "knk", 0);
    WriteFile(temp.Path() + "/knk.nbw.emd", "compressed"); // plain file present: no warning
    testing::internal::CaptureStdout();
    StartTablebases(temp.Path().c_str(), 1.0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "WARNING: compressed tablebase not supported: " + temp.Path() + "/krknbb.emd\n" + // krk is id 4
                       "WARNING: compressed tablebase not supported: " + temp.Path() + "/kqk.nbw.emd\n");
    EXPECT_EQ(RegisteredPath("kqk", 0), nullptr);
    EXPECT_EQ(RegisteredPath("krk", 1), nullptr);
    EXPECT_NE(RegisteredPath("knk", 0), nullptr);
    EXPECT_EQ(TbLimit, 1);
}

TEST_F(AccessTest, WrongSizeIsFatal) {
    WriteTable(temp.Path(), "kqk", 0, 0, LengthOf("kqk", 0) + 1);
    const std::string dir = temp.Path();
    EXPECT_EXIT(
        {
            dup2(2, 1);
            InitTablebases(dir.c_str());
        },
        testing::ExitedWithCode(1), "\\*\\*\\* " + dir + "/kqk.nbw corrupted\n");
}

TEST_F(AccessTest, ZeroCacheAnswersNotAvailable) {
    WriteTable(temp.Path(), "kqk", 0);
    StartTablebases(temp.Path().c_str(), 0.0);
    EXPECT_EQ(TbLimit, 1);
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 0), TbNotAvailable);
    StartTablebases(temp.Path().c_str(), -5.0); // nonsense sizes are no cache either
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 0), TbNotAvailable);
    StartTablebases(temp.Path().c_str(), CacheMegabytesFor(1));
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 0), Pattern(0));
}

TEST_F(AccessTest, SmallCacheEvictsTheOldestBlock) {
    const std::string path = WriteTable(temp.Path(), "kpk", 0);
    StartTablebases(temp.Path().c_str(), CacheMegabytesFor(2));
    const int kpk = TableId("kpk");
    EXPECT_EQ(ProbeTableValue(kpk, 0, 10), Pattern(10));
    EXPECT_EQ(ProbeTableValue(kpk, 0, 8192 + 10), Pattern(8192 + 10));
    // Change the file under the cache: cached blocks keep the old bytes.
    for (uint32_t block = 0; block < 3; block++)
        PokeTable(path, block * 8192 + 20, 99);
    EXPECT_EQ(ProbeTableValue(kpk, 0, 20), Pattern(20));   // hit, block 0 becomes the newest
    EXPECT_EQ(ProbeTableValue(kpk, 0, 2 * 8192 + 20), 99); // miss evicts block 1
    EXPECT_EQ(ProbeTableValue(kpk, 0, 20), Pattern(20));   // block 0 still cached
    EXPECT_EQ(ProbeTableValue(kpk, 0, 8192 + 20), 99);     // block 1 read again
    // Many blocks of several files through two entries still answer right.
    WriteTable(temp.Path(), "kpk", 1, 5);
    WriteTable(temp.Path(), "kqk", 1, 6);
    StartTablebases(temp.Path().c_str(), CacheMegabytesFor(2));
    for (uint32_t i = 0, n = 0; n < 300; n++, i = (i * 1103515245u + 12345u)) {
        const uint32_t index = i % 84012;
        ASSERT_EQ(ProbeTableValue(kpk, 1, index), Pattern(index, 5)) << index;
        ASSERT_EQ(ProbeTableValue(TableId("kqk"), 1, index % 28644), Pattern(index % 28644, 6));
        const uint32_t j = index % 81664;
        ASSERT_EQ(ProbeTableValue(kpk, 0, j), j % 8192 == 20 && j < 3 * 8192 ? 99 : Pattern(j));
    }
}

TEST_F(AccessTest, LastShortBlockReadsCorrectly) {
    WriteTable(temp.Path(), "kpk", 0); // 81664 = 9 blocks and 7936 bytes
    StartTablebases(temp.Path().c_str(), 1.0);
    const int kpk = TableId("kpk");
    for (uint32_t index : {81663u, 9u * 8192u, 81000u, 0u, 81662u})
        EXPECT_EQ(ProbeTableValue(kpk, 0, index), Pattern(index));
    EXPECT_EQ(ProbeTableValue(kpk, 0, 81664), TbNotAvailable); // beyond the table
    EXPECT_EQ(ProbeTableValue(kpk, 0, 0xffffffffu), TbNotAvailable);
}

TEST_F(AccessTest, VanishedOrShrunkFilesAnswerNotAvailable) {
    const std::string kpk = WriteTable(temp.Path(), "kpk", 0);
    const std::string kqk = WriteTable(temp.Path(), "kqk", 0);
    StartTablebases(temp.Path().c_str(), 1.0);
    ASSERT_EQ(unlink(kpk.c_str()), 0);
    EXPECT_EQ(ProbeTableValue(TableId("kpk"), 0, 100), TbNotAvailable);
    EXPECT_EQ(ProbeTableValue(TableId("kpk"), 0, 100), TbNotAvailable); // the entry went back to the free list
    ASSERT_EQ(truncate(kqk.c_str(), 9000), 0);
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 8999), Pattern(8999));
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 9000), TbNotAvailable);
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 20000), TbNotAvailable);
    EXPECT_EQ(ProbeTableValue(TableId("kqk"), 0, 100), Pattern(100));
}
