// Our generator against the Syzygy tables: every legal position of every
// three- and four-piece ending, either side to move, gets the same result
// (win, draw or loss, the fifty-move rule left aside) from a table that
// morvane-tbgen writes and from the Syzygy table read through Fathom. Two
// independent constructions of the same game-theoretic values.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <thread>

#include "tablebase/Syzygy.h"
#include "tablebase/TablebaseTestSupport.h"

using namespace tbtest;

namespace {

const std::string SyzygyFolder = std::string(MORVANE_TEST_DATA) + "/../../../shared/data/syzygy";
const std::string CacheFolder = std::filesystem::path(MORVANE_BINARY).parent_path().string() + "/nalimov-tables";

// Syzygy file stem of a table name: "kqkr" -> "KQvKR".
std::string SyzygyName(const std::string &name) {
    std::string s;
    for (size_t i = 0; i < name.size(); ++i)
        s += char(std::toupper(static_cast<unsigned char>(name[i]))),
            s += i + 1 < name.size() && name[i + 1] == 'k' ? "v" : "";
    return s;
}

std::vector<int8_t> ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<int8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Sign(int32_t v) { return (v > 0) - (v < 0); }

struct Tally {
    uint64_t positions = 0, differences = 0, noAnswer = 0;
    std::string examples;
};

// Compares one table, both sides to move.
Tally CompareTable(const std::string &name) {
    Tally t;
    Pos p = PosOf(name);
    const std::vector<int8_t> bytes[2] = {ReadFile(TbGenFilePath(CacheFolder, p.id, 0)),
                                          ReadFile(TbGenFilePath(CacheFolder, p.id, 1))};
    for (int side = 0; side < 2; ++side)
        if (bytes[side].size() != TbDescriptors[p.id].expectedLength[side]) {
            t.differences++;
            t.examples += name + ": table file of side " + std::to_string(side) + " missing or short\n";
            return t;
        }
    auto compare = [&](Pos &q, uint32_t stm) {
        const uint32_t index = IndexOf(q, stm);
        if (index >= bytes[stm].size()) {
            if (t.differences++ < 5) t.examples += name + ": " + Fen(q, stm) + " index beyond the table\n";
            return;
        }
        const int32_t ours = TbGenScoreOfByte(bytes[stm][index]);
        SyzygyBoard b = {0, 0, 0, 0, 0, 0, 0, 0, q.ep < 64 ? q.ep : 0, stm == White};
        uint64_t *kinds[] = {nullptr, &b.pawns, &b.knights, &b.bishops, &b.rooks, &b.queens, &b.kings};
        for (int k = 0; k < q.n; ++k) {
            *kinds[q.kind[k]] |= 1ull << q.sq[k];
            (q.color[k] ? b.black : b.white) |= 1ull << q.sq[k];
        }
        const SyzygyWdl wdl = SyzygyProbeWdl(b);
        t.positions++;
        if (wdl == SyzygyNoAnswer) {
            t.noAnswer++;
        } else if (ours == TbGenUnknown || Sign(ours) != Sign(wdl)) {
            if (t.differences++ < 5)
                t.examples += name + ": " + Fen(q, stm) + " generator " + std::to_string(ours) + ", Syzygy " +
                              std::to_string(int(wdl)) + "\n";
        }
    };
    ForPlacements(p, 0, [&](Pos &q) {
        for (uint32_t stm = 0; stm < 2; ++stm) {
            if (!Legal(q, stm)) continue;
            for (uint32_t ep : EpSquares(q, stm)) {
                q.ep = ep;
                compare(q, stm);
            }
            q.ep = TbNoEpSquare;
        }
        return true;
    });
    return t;
}

std::vector<std::string> ThreeAndFourPieceTables() {
    std::vector<std::string> names;
    for (int id = 1; id <= 35; ++id)
        names.push_back(TbDescriptors[id].name);
    return names;
}

// MORVANE_CROSS_CHECK="kqkr krkb" narrows the check down while looking into a difference.
std::vector<std::string> TablesToCheck() {
    const char *only = std::getenv("MORVANE_CROSS_CHECK");
    if (only == nullptr) return ThreeAndFourPieceTables();
    std::istringstream words(only);
    std::vector<std::string> names;
    for (std::string name; words >> name;)
        if (TbGenTableId(name) > 0 && TbGenTableId(name) <= 35) names.push_back(name);
    return names;
}

} // namespace

TEST(SyzygyCrossCheck, GeneratorAgreesWithSyzygyOnEveryPosition) {
    if constexpr (!SyzygyCompiledIn) GTEST_FAIL() << "this build has no Fathom: the cross-check cannot run";
    ASSERT_TRUE(std::filesystem::is_directory(SyzygyFolder))
        << "the Syzygy tables are expected in " << SyzygyFolder << " (shared/ beside the source tree)";
    const auto start = std::chrono::steady_clock::now();

    // Our tables, generated once into the build tree and kept there.
    const std::string tbgen = std::filesystem::path(MORVANE_BINARY).parent_path().string() + "/morvane-tbgen";
    ASSERT_EQ(std::system((tbgen + " -q -k -o " + CacheFolder + " all4").c_str()), 0);
    InitIndexTables();
    const SyzygyLoadResult loaded = SyzygyInit(SyzygyFolder);
    ASSERT_EQ(loaded.tables, 35) << loaded.warnings;
    ASSERT_EQ(SyzygyLargest, 4u);
    for (const std::string &name : ThreeAndFourPieceTables())
        ASSERT_TRUE(std::filesystem::exists(SyzygyFolder + "/" + SyzygyName(name) + ".rtbw")) << name;

    const std::vector<std::string> names = TablesToCheck();
    std::atomic<size_t> next{0};
    std::mutex lock;
    Tally total;
    auto worker = [&] {
        for (size_t i; (i = next++) < names.size();) {
            const Tally t = CompareTable(names[i]);
            std::lock_guard guard(lock);
            total.positions += t.positions;
            total.differences += t.differences;
            total.noAnswer += t.noAnswer;
            total.examples += t.examples;
            EXPECT_EQ(t.differences, 0u) << names[i] << "\n" << t.examples;
            EXPECT_EQ(t.noAnswer, 0u) << names[i];
            EXPECT_GT(t.positions, 0u) << names[i];
        }
    };
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < std::clamp(std::thread::hardware_concurrency(), 1u, 4u); ++i)
        threads.emplace_back(worker);
    for (std::thread &thread : threads)
        thread.join();
    SyzygyInit("");

    EXPECT_EQ(total.differences, 0u) << total.examples;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("cross-check: %llu positions, %llu differences, %.1f s\n",
                static_cast<unsigned long long>(total.positions), static_cast<unsigned long long>(total.differences),
                seconds);
}
