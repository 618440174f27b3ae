// Every legal position of every three- and four-piece ending, either side to move, gets the same result
// (win, draw or loss, the fifty-move rule aside) from morvane-tbgen's tables and from the Syzygy tables
// through Fathom: two independent constructions of the same values.
#include <atomic>
#include <thread>

#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

namespace {

const std::string SyzygyFolder = std::string(MORVANE_TEST_DATA) + "/../../../shared/data/syzygy";
const std::string CacheFolder = std::filesystem::path(MORVANE_BINARY).parent_path().string() + "/nalimov-tables";

int Sign(int32_t v) { return (v > 0) - (v < 0); }

// The first differences of one table, both sides to move; "" when every position agrees.
std::string CompareTable(const std::string &name) {
    Pos p = PosOf(name);
    const std::vector<int8_t> bytes[2] = {ReadTableFile(TbGenFilePath(CacheFolder, p.id, 0)),
                                          ReadTableFile(TbGenFilePath(CacheFolder, p.id, 1))};
    for (int side = 0; side < 2; ++side)
        if (bytes[side].size() != TbDescriptors[p.id].expectedLength[side])
            return name + ": table file of side " + std::to_string(side) + " missing or short\n";
    std::string differences;
    uint64_t positions = 0, count = 0;
    ForPlacements(name, [&](Pos &q) {
        for (uint32_t stm = 0; stm < 2; ++stm) {
            for (uint32_t ep : Legal(q, stm) ? EpSquares(q, stm) : std::vector<uint32_t>{}) {
                q.ep = ep;
                const uint32_t index = IndexOf(q, stm);
                const int32_t ours = index < bytes[stm].size() ? TbGenScoreOfByte(bytes[stm][index]) : TbGenUnknown;
                const SyzygyWdl wdl = SyzygyProbeWdl(SyzygyBoardOf(q, stm));
                positions++;
                if ((wdl == SyzygyNoAnswer || ours == TbGenUnknown || Sign(ours) != Sign(wdl)) && count++ < 5)
                    differences += name + ": " + Fen(q, stm) + " generator " + std::to_string(ours) + ", Syzygy " +
                                   std::to_string(int(wdl)) + "\n";
            }
            q.ep = TbNoEpSquare;
        }
        return true;
    });
    return positions > 0 ? differences : name + ": no position\n";
}

} // namespace

TEST(SyzygyCrossCheck, GeneratorAgreesWithSyzygyOnEveryPosition) {
    if constexpr (!SyzygyCompiledIn) GTEST_FAIL() << "this build has no Fathom: the cross-check cannot run";
    ASSERT_TRUE(std::filesystem::is_directory(SyzygyFolder))
        << "the Syzygy tables are expected in " << SyzygyFolder << " (shared/ beside the source tree)";

    // Our tables, generated once into the build tree and kept there.
    const std::string tbgen = std::filesystem::path(MORVANE_BINARY).parent_path().string() + "/morvane-tbgen";
    ASSERT_EQ(std::system((tbgen + " -q -k -o " + CacheFolder + " all4").c_str()), 0);
    InitIndexTables();
    const SyzygyLoadResult loaded = SyzygyInit(SyzygyFolder);
    ASSERT_EQ(loaded.tables, 35) << loaded.warnings;
    ASSERT_EQ(SyzygyLargest, 4u);

    std::atomic<int> next{1};
    std::string differences[36];
    std::vector<std::jthread> threads;
    for (unsigned i = 0; i < std::clamp(std::thread::hardware_concurrency(), 1u, 4u); ++i)
        threads.emplace_back([&] {
            for (int id; (id = next++) <= 35;)
                differences[id] = CompareTable(TbDescriptors[id].name);
        });
    threads.clear(); // joins them
    for (const std::string &d : differences)
        EXPECT_EQ(d, "");
    SyzygyInit("");
}
