#include "search/TranspositionTable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#include "search/SearchHost.h"
#include "search/SearchState.h"

HashEntry *HashTable = nullptr;
uint32_t HashMask = 0;
uint64_t HashEntries = 0;
std::atomic<uint32_t> HashGeneration{0};

namespace {

bool KeysFilled = false;

// Probes land anywhere in the table: large pages spare the address
// translation most of its misses. The kernel may ignore the advice.
constexpr uint64_t LargePageBytes = 2 * 1024 * 1024;

HashEntry *AllocateTable(uint64_t bytes) {
    void *memory = nullptr;
    const uint64_t alignment = bytes >= LargePageBytes ? LargePageBytes : 64;
    if (posix_memalign(&memory, alignment, bytes) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    if (bytes >= LargePageBytes) madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    return static_cast<HashEntry *>(memory);
}

// Mate scores are kept relative to the node so that a mate found at another
// distance from the root reads back correctly.
int32_t ScoreToTable(int32_t score, int32_t ply) {
    if (score >= MateBound + 1)
        score += ply - 1;
    else if (score <= -(MateBound + 1))
        score -= ply - 1;
    if (score > 32767) score = 32767;
    if (score < -32767) score = -32767;
    return score;
}

int32_t ScoreFromTable(int32_t score, int32_t ply) {
    if (score >= MateBound + 1) return score - ply + 1;
    if (score <= -(MateBound + 1)) return score + ply - 1;
    return score;
}

} // namespace

bool AllocateHash(int64_t megabytes) {
    if (megabytes < MinHashMegabytes) megabytes = MinHashMegabytes;
    if (megabytes > MaxHashMegabytes) megabytes = MaxHashMegabytes;
    const uint64_t bytes = uint64_t(megabytes) * 1048576u;
    uint64_t entries = uint64_t(1) << 31;
    while (entries * sizeof(HashEntry) > bytes)
        entries >>= 1;

    // Memory the machine does not have would only be promised, and the first
    // clearing of the table would then bring the process down.
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    const bool fits =
        pages <= 0 || pageSize <= 0 || entries * sizeof(HashEntry) <= uint64_t(pages) * uint64_t(pageSize);
    HashEntry *table = fits ? AllocateTable(entries * sizeof(HashEntry)) : nullptr;
    if (table == nullptr) {
        char text[80];
        std::snprintf(text, sizeof text, "ERROR: cannot allocate %lld Mbytes for the hash table",
                      static_cast<long long>(megabytes));
        SearchHost.printMessage(text);
        return false;
    }
    std::free(HashTable);
    HashTable = table;
    HashEntries = entries;
    char text[48];
    std::snprintf(text, sizeof text, "Hash size %llu Mbytes",
                  static_cast<unsigned long long>(entries * sizeof(HashEntry) / 1024 / 1024));
    SearchHost.printMessage(text);

    // The keys are part of every stored position: fill them once only.
    if (!KeysFilled) {
        FillZobristKeys();
        KeysFilled = true;
    }
    // The side key must move a position to another bucket whatever the table
    // size: the lowest index bit is bit 1 (the mask is entries - 2).
    if ((KeyLow(SideToMoveKey) & 2u) == 0) SideToMoveKey ^= 2u;
    HashMask = uint32_t(entries - 2);
    ClearHash();
    return true;
}

void ClearHash() {
    if (HashTable != nullptr) std::memset(static_cast<void *>(HashTable), 0, HashEntries * sizeof(HashEntry));
}

template <Color Us>
int32_t ProbeHash(int32_t depth, int32_t &alpha, int32_t &beta, int32_t ply, Move &hashMove1, Move &hashMove2) {
    hashMove1 = hashMove2 = 0;
    const HashEntry *bucket = HashTable + HashIndex<Us>();
    const uint32_t lock = KeyHigh(HashKey);
    HashEntry e = LoadEntry(bucket[0]);
    if (e.lock != lock) {
        e = LoadEntry(bucket[1]);
        if (e.lock != lock) return NoScore;
    }
    hashMove1 = e.move1;
    hashMove2 = e.move2;
    if (e.depth < depth) return NoScore;
    const int32_t score = ScoreFromTable(e.score, ply);
    if (e.flags & ExactScore) return score;
    if (e.flags & LowerBound) {
        if (score >= beta) return score;
        if (score > alpha) alpha = score;
        return NoScore;
    }
    if (e.flags & UpperBound) {
        if (score <= alpha) return score;
        if (score < beta) beta = score;
    }
    // An entry without a bound bit (a cleared slot) never answers.
    return NoScore;
}

template <Color Us> void StoreHash(int32_t score, int32_t depth, uint32_t bound, int32_t ply, Move move) {
    HashEntry *bucket = HashTable + HashIndex<Us>();
    HashEntry e0 = LoadEntry(bucket[0]);
    HashEntry e1 = LoadEntry(bucket[1]);
    const uint32_t lock = KeyHigh(HashKey);
    const uint32_t generation = HashGeneration.load(std::memory_order_relaxed);
    if (depth > 127) depth = 127;
    if (depth < -128) depth = -128;

    // slot: where the new entry goes; the bucket's other entry is rewritten
    // only when it changes.
    int slot = 0;
    if (e0.lock != lock) {
        if (e1.lock == lock) {
            StoreEntry(bucket[1], e0);
            std::swap(e0, e1);
        } else if ((e0.flags & 7u) == generation && depth < e0.depth) {
            slot = 1; // the deeper current entry keeps the first slot
        } else {
            StoreEntry(bucket[1], e0);
        }
    }
    HashEntry &e = slot == 0 ? e0 : e1;
    if (e.lock != lock) {
        e.lock = lock;
        e.move1 = e.move2 = 0;
    }
    e.score = int16_t(ScoreToTable(score, ply));
    e.depth = int8_t(depth);
    e.flags = uint8_t(bound | generation);
    if (move != 0) {
        e.move2 = e.move1;
        e.move1 = move;
    }
    StoreEntry(bucket[slot], e);
}

template int32_t ProbeHash<White>(int32_t, int32_t &, int32_t &, int32_t, Move &, Move &);
template int32_t ProbeHash<Black>(int32_t, int32_t &, int32_t &, int32_t, Move &, Move &);
template void StoreHash<White>(int32_t, int32_t, uint32_t, int32_t, Move);
template void StoreHash<Black>(int32_t, int32_t, uint32_t, int32_t, Move);
