#include <sys/resource.h>

#include "search/SearchTestSupport.h"

namespace {

// Keys in one white bucket, told apart by their lock (high) word.
constexpr uint64_t Key(uint32_t lock) { return uint64_t(lock) << 32 | 0x9abcdef0u; }

void Store(uint32_t lock, int32_t score, int32_t depth, uint32_t bound, int32_t ply, Move move) {
    HashKey = Key(lock);
    StoreHash<White>(score, depth, bound, ply, move);
}

// "score alpha..beta move1/move2" of a probe; "-" for no score.
template <Color Us = White>
std::string Probe(uint32_t lock, int32_t depth, int32_t ply, int32_t alpha = -1000, int32_t beta = 1000) {
    HashKey = Key(lock);
    Move m1 = 9, m2 = 9;
    const int32_t score = ProbeHash<Us>(depth, alpha, beta, ply, m1, m2);
    char text[80];
    std::snprintf(text, sizeof text, "%s %d..%d %x/%x", score == NoScore ? "-" : std::to_string(score).c_str(), alpha,
                  beta, m1, m2);
    return text;
}

struct TranspositionTable : testing::Test {
    void SetUp() override { SetUpSearch(StartPosition); }
};

} // namespace

// Bounds, moves and replacement on the normal path are pinned by the node
// count of "morvane bench" (bench/expected-nodes.txt); here the corners its
// searches do not reach.
TEST_F(TranspositionTable, DepthClampMateDistancesAndGenerationWrap) {
    EXPECT_EQ(Probe<Black>(0, -100, 1), "- -1000..1000 0/0") << "an empty slot never answers, even lock 0";
    Store(2, 10, 300, ExactScore, 1, 0);
    EXPECT_EQ(Probe(2, 127, 1), "10 -1000..1000 0/0") << "depth clamped to what the entry holds";
    EXPECT_EQ(Probe(2, 128, 1), "- -1000..1000 0/0");
    // Mate scores are stored relative to the node.
    const std::tuple<int32_t, int32_t, int32_t, int32_t> cases[] = {
        {30000, 5, 3, 30002}, {-30000, 5, 3, -30002}, {16384, 4, 2, 16386}, {16383, 4, 2, 16383}};
    for (auto [stored, storePly, probePly, probed] : cases) {
        Store(3, stored, 20, ExactScore, storePly, 0);
        EXPECT_EQ(Probe(3, 20, probePly, -32767, 32767), std::to_string(probed) + " -32767..32767 0/0");
    }
    HashGeneration = 6;
    AdvanceHashGeneration();
    AdvanceHashGeneration();
    EXPECT_EQ(HashGeneration.load(), 0u) << "generations wrap at eight";
}

// Threads write entries field by field: a mix of two writes must answer for neither position.
TEST_F(TranspositionTable, TornEntryMatchesNoPosition) {
    Store(4, 77, 12, ExactScore, 1, 0x4321);
    HashEntry &slot = HashTable[HashIndex<White>()];
    const HashEntry whole = slot;
    void (*const tears[])(HashEntry &) = {
        [](HashEntry &e) { e.move1 ^= 0x100; },
        [](HashEntry &e) { e.score = int16_t(e.score + 1); },
        [](HashEntry &e) { e.flags ^= LowerBound; },
    };
    EXPECT_EQ(Probe(4, 0, 1), "77 -1000..1000 4321/0");
    for (size_t i = 0; i < std::size(tears); i++) {
        slot = whole;
        tears[i](slot);
        EXPECT_EQ(Probe(4, 0, 1), "- -1000..1000 0/0") << "tear " << i;
    }
}

TEST_F(TranspositionTable, SizesKeysAndTheSideKey) {
    const uint64_t side = SideToMoveKey, piece = ZobristKeys[3][55];
    // Sizes round down to a power of two (the messages are checked through the binary).
    const std::pair<int64_t, uint64_t> cases[] = {{48, 2097152}, {-7, 65536}, {1, 65536}};
    for (auto [asked, entries] : cases) {
        Output([asked] { ASSERT_TRUE(AllocateHash(asked)); });
        EXPECT_EQ(std::pair(HashEntries, HashMask), std::pair(entries, uint32_t(entries - 2)));
    }
    EXPECT_EQ(std::pair(SideToMoveKey, ZobristKeys[3][55]), std::pair(side, piece)) << "the keys are filled once";
    EXPECT_NE(KeyLow(SideToMoveKey) & 2u, 0u) << "bit 1 is in every mask: the sides never share a bucket";
}

TEST(TranspositionTableAllocation, RefusesWhatTheMachineCannotGive) {
    if (SanitizedBuild) GTEST_SKIP() << "address-space limits do not mix with the sanitizer";
    SetUpSearch(StartPosition);
    auto allocate = [] {
        rlimit limit{256u << 20, 256u << 20};
        setrlimit(RLIMIT_AS, &limit);
        bool ok = true;
        const std::string out = Output([&] { ok = AllocateHash(4096); });
        ClearHash(); // the old table stays usable
        std::exit(!ok && out.rfind("ERROR: ", 0) == 0 && HashEntries == 65536u ? 3 : 4);
    };
    EXPECT_EXIT(allocate(), testing::ExitedWithCode(3), "");
}
