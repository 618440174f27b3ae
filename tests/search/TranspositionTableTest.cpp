#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include "board/Board.h"
#include "search/SearchState.h"
#include "search/TranspositionTable.h"

namespace {

class TranspositionTableTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        testing::internal::CaptureStdout();
        ASSERT_TRUE(AllocateHash(1));
        testing::internal::GetCapturedStdout();
    }
    void SetUp() override {
        ClearHash();
        HashGeneration = 0;
        HashKey = 0x123456789abcdef0ull;
    }
    // A key in the same white bucket as HashKey with another lock.
    static uint64_t SameBucket(uint32_t lock) { return (uint64_t(lock) << 32) | KeyLow(HashKey); }
};

TEST_F(TranspositionTableTest, SizeRoundsDownToPowerOfTwoAndPrintsIt) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(AllocateHash(32));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hash size 32 Mbytes\n");
    EXPECT_EQ(HashEntries, 2097152u);
    EXPECT_EQ(HashMask, 2097150u);

    testing::internal::CaptureStdout();
    ASSERT_TRUE(AllocateHash(48));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hash size 32 Mbytes\n");

    // Nonsense sizes are clamped to a table that still has buckets to choose from.
    for (int64_t mb : {int64_t(0), int64_t(-7)}) {
        testing::internal::CaptureStdout();
        ASSERT_TRUE(AllocateHash(mb));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Hash size 1 Mbytes\n");
        EXPECT_EQ(HashEntries, 65536u);
    }
}

TEST_F(TranspositionTableTest, KeysAreFilledOnceAndTheSideKeyAlwaysChangesTheBucket) {
    const uint64_t side = SideToMoveKey, piece = ZobristKeys[3][55];
    testing::internal::CaptureStdout();
    ASSERT_TRUE(AllocateHash(2));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(SideToMoveKey, side);
    EXPECT_EQ(ZobristKeys[3][55], piece);
    EXPECT_NE(KeyLow(SideToMoveKey) & 2u, 0u) << "bit 1 is in every mask";
    EXPECT_NE(HashIndex<White>(), HashIndex<Black>());
    testing::internal::CaptureStdout();
    ASSERT_TRUE(AllocateHash(1));
    testing::internal::GetCapturedStdout();
}

[[maybe_unused]] void AllocateUnderAddressLimit() {
    testing::internal::CaptureStdout();
    AllocateHash(1);
    testing::internal::GetCapturedStdout();
    rlimit limit{256u << 20, 256u << 20};
    setrlimit(RLIMIT_AS, &limit);
    testing::internal::CaptureStdout();
    const bool ok = AllocateHash(4096);
    const std::string out = testing::internal::GetCapturedStdout();
    ClearHash(); // the old table stays usable
    std::exit(!ok && out.rfind("ERROR: ", 0) == 0 && HashEntries == 65536u ? 3 : 4);
}

TEST(TranspositionTableAllocation, RefusesWhatTheMachineCannotGive) {
#if defined(MORVANE_SANITIZED)
    GTEST_SKIP() << "address-space limits do not mix with the sanitizer";
#else
    EXPECT_EXIT(AllocateUnderAddressLimit(), testing::ExitedWithCode(3), "");
#endif
}

TEST_F(TranspositionTableTest, BoundsNarrowTheWindowAndMovesComeOutAtAnyDepth) {
    StoreHash<White>(50, 12, LowerBound, 2, 0x1111);
    int32_t alpha = 0, beta = 100;
    Move m1 = 9, m2 = 9;
    EXPECT_EQ(ProbeHash<White>(12, alpha, beta, 2, m1, m2), NoScore);
    EXPECT_EQ(alpha, 50) << "a lower bound below beta raises alpha";
    EXPECT_EQ(beta, 100);
    EXPECT_EQ(m1, 0x1111u);
    EXPECT_EQ(m2, 0u);

    alpha = 0, beta = 40;
    EXPECT_EQ(ProbeHash<White>(12, alpha, beta, 2, m1, m2), 50) << "a lower bound at or above beta answers";

    StoreHash<White>(30, 12, UpperBound, 2, 0);
    alpha = 0, beta = 100;
    EXPECT_EQ(ProbeHash<White>(8, alpha, beta, 2, m1, m2), NoScore);
    EXPECT_EQ(beta, 30) << "an upper bound above alpha lowers beta";
    EXPECT_EQ(m1, 0x1111u) << "a store without a move keeps the moves";
    alpha = 30;
    EXPECT_EQ(ProbeHash<White>(8, alpha, beta, 2, m1, m2), 30);

    // Too shallow: no score, but the moves are handed out.
    alpha = -500, beta = 500;
    EXPECT_EQ(ProbeHash<White>(13, alpha, beta, 2, m1, m2), NoScore);
    EXPECT_EQ(m1, 0x1111u);
    EXPECT_EQ(alpha, -500);
    EXPECT_EQ(beta, 500);

    StoreHash<White>(-20, 12, ExactScore, 2, 0x2222);
    EXPECT_EQ(ProbeHash<White>(12, alpha, beta, 2, m1, m2), -20);
    EXPECT_EQ(m1, 0x2222u);
    EXPECT_EQ(m2, 0x1111u) << "the previous move1 becomes move2";
}

TEST_F(TranspositionTableTest, SidesUseDifferentBuckets) {
    StoreHash<White>(77, 8, ExactScore, 1, 0x0501);
    int32_t alpha = -1000, beta = 1000;
    Move m1, m2;
    EXPECT_EQ(ProbeHash<Black>(8, alpha, beta, 1, m1, m2), NoScore);
    EXPECT_EQ(m1, 0u);
    EXPECT_EQ(ProbeHash<White>(8, alpha, beta, 1, m1, m2), 77);
}

TEST_F(TranspositionTableTest, AnEmptySlotNeverAnswers) {
    HashKey = 0x00000000deadbeefull; // lock 0, as in a cleared entry
    int32_t alpha = -1000, beta = 1000;
    Move m1, m2;
    EXPECT_EQ(ProbeHash<Black>(-100, alpha, beta, 1, m1, m2), NoScore);
    EXPECT_EQ(alpha, -1000);
    EXPECT_EQ(beta, 1000);
}

TEST_F(TranspositionTableTest, MateScoresAreRelativeToTheNode) {
    int32_t alpha = -32767, beta = 32767;
    Move m1, m2;
    StoreHash<White>(30000, 20, ExactScore, 5, 0);
    EXPECT_EQ(ProbeHash<White>(20, alpha, beta, 3, m1, m2), 30002);
    EXPECT_EQ(ProbeHash<White>(20, alpha, beta, 5, m1, m2), 30000);
    StoreHash<White>(-30000, 20, ExactScore, 5, 0);
    EXPECT_EQ(ProbeHash<White>(20, alpha, beta, 3, m1, m2), -30002);
    // The boundary value is adjusted the same way on both sides.
    StoreHash<White>(16384, 20, ExactScore, 4, 0);
    EXPECT_EQ(ProbeHash<White>(20, alpha, beta, 2, m1, m2), 16386);
    StoreHash<White>(-16384, 20, ExactScore, 4, 0);
    EXPECT_EQ(ProbeHash<White>(20, alpha, beta, 2, m1, m2), -16386);
    StoreHash<White>(16383, 20, ExactScore, 4, 0);
    EXPECT_EQ(ProbeHash<White>(20, alpha, beta, 2, m1, m2), 16383);
}

TEST_F(TranspositionTableTest, DepthIsClampedToWhatTheEntryHolds) {
    StoreHash<White>(10, 300, ExactScore, 1, 0);
    int32_t alpha = -100, beta = 100;
    Move m1, m2;
    EXPECT_EQ(ProbeHash<White>(127, alpha, beta, 1, m1, m2), 10);
    EXPECT_EQ(ProbeHash<White>(128, alpha, beta, 1, m1, m2), NoScore);
}

TEST_F(TranspositionTableTest, ReplacementKeepsTheDeeperCurrentEntryFirst) {
    const uint64_t a = HashKey, b = SameBucket(0x55), c = SameBucket(0x66);
    int32_t alpha = -1000, beta = 1000;
    Move m1, m2;
    auto probe = [&](uint64_t key, int32_t depth) {
        HashKey = key;
        alpha = -1000, beta = 1000;
        return ProbeHash<White>(depth, alpha, beta, 1, m1, m2);
    };

    HashKey = a;
    StoreHash<White>(1, 20, ExactScore, 1, 0xa);
    HashKey = b; // shallower, same generation: goes to the second slot
    StoreHash<White>(2, 8, ExactScore, 1, 0xb);
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>()]).lock, KeyHigh(a));
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>() + 1]).lock, 0x55u);
    EXPECT_EQ(probe(a, 20), 1);
    EXPECT_EQ(probe(b, 8), 2);

    HashKey = c; // deeper: takes the first slot, the old first slot moves down
    StoreHash<White>(3, 24, ExactScore, 1, 0xc);
    EXPECT_EQ(probe(c, 24), 3);
    EXPECT_EQ(probe(a, 20), 1);
    EXPECT_EQ(probe(b, 8), NoScore) << "the second slot took the first slot's old entry";
    EXPECT_EQ(m1, 0u);

    // A store for the position in the second slot swaps it to the front and keeps its moves.
    HashKey = a;
    StoreHash<White>(4, 2, UpperBound, 1, 0);
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>()]).lock, KeyHigh(a));
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>()]).move1, 0xau);
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>() + 1]).lock, KeyHigh(c));

    // An entry of an older generation is replaced even by a shallower one.
    AdvanceHashGeneration();
    HashKey = b;
    StoreHash<White>(5, 2, ExactScore, 1, 0xb);
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>()]).lock, 0x55u);
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>()]).move1, 0xbu) << "a new position starts with no old moves";
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>()]).move2, 0u);
    EXPECT_EQ(LoadEntry(HashTable[HashIndex<White>() + 1]).lock, KeyHigh(a));
}

TEST(HashGeneration, WrapsAtEight) {
    HashGeneration = 6;
    AdvanceHashGeneration();
    EXPECT_EQ(HashGeneration.load(), 7u);
    AdvanceHashGeneration();
    EXPECT_EQ(HashGeneration.load(), 0u);
}

} // namespace

namespace {

// Threads write entries field by field: an entry mixed from two writes must
// not answer for either position.
TEST_F(TranspositionTableTest, TornEntryMatchesNoPosition) {
    StoreHash<White>(77, 12, ExactScore, 1, 0x4321);
    HashEntry &slot = HashTable[HashIndex<White>()];
    EXPECT_EQ(LoadEntry(slot).lock, KeyHigh(HashKey));
    Move m1, m2;
    int32_t alpha = -1000, beta = 1000;
    ASSERT_EQ(ProbeHash<White>(12, alpha, beta, 1, m1, m2), 77);

    const HashEntry whole = slot;
    const struct {
        const char *field;
        void (*tear)(HashEntry &);
    } tears[] = {
        {"move1", [](HashEntry &e) { e.move1 ^= 0x100; }},
        {"move2", [](HashEntry &e) { e.move2 ^= 0x1; }},
        {"score", [](HashEntry &e) { e.score = int16_t(e.score + 1); }},
        {"depth", [](HashEntry &e) { e.depth = int8_t(e.depth + 4); }},
        {"flags", [](HashEntry &e) { e.flags ^= LowerBound; }},
    };
    for (const auto &t : tears) {
        slot = whole;
        t.tear(slot);
        alpha = -1000, beta = 1000;
        EXPECT_EQ(ProbeHash<White>(0, alpha, beta, 1, m1, m2), NoScore) << t.field;
        EXPECT_EQ(m1, 0u) << t.field;
    }
}

} // namespace
