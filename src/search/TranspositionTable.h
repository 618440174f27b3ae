// Transposition table: allocation, clearing, probe and store.
#pragma once

#include <cstdint>

#include "board/Board.h"

// Allocates the table for a size in megabytes, prints "Hash size N Mbytes",
// fills the hashing keys (first call only). Returns false (after an "ERROR: "
// line) when the memory cannot be had; an earlier table then stays in place.
bool AllocateHash(int64_t megabytes);
void ClearHash();

struct HashEntry {
    uint32_t lock; // high word of HashKey
    Move move1;    // newest best move, 0 if none
    Move move2;    // the one before
    int16_t score; // white's view, mate scores relative to the node
    int8_t depth;  // quarter plies
    uint8_t flags; // bits 0-2 generation, then the bound bits below
};
static_assert(sizeof(HashEntry) == 16, "hash entries are 16 bytes");

enum : uint32_t { UpperBound = 8, LowerBound = 16, ExactScore = 32 };

// Accepted range of the "Hash" setting in megabytes.
constexpr int64_t MinHashMegabytes = 1;
constexpr int64_t MaxHashMegabytes = 32768;

extern HashEntry *HashTable;
extern uint32_t HashMask; // entries - 2: selects the even entry of a bucket
extern uint64_t HashEntries;
extern uint32_t HashGeneration; // 0..7, advanced every root iteration

inline void AdvanceHashGeneration() { HashGeneration = (HashGeneration + 1) & 7; }

// Probe for Us to move at `ply`: NoScore (32768) or a score that settles the
// node; may narrow alpha/beta; always hands out the stored moves.
template <Color Us>
int32_t ProbeHash(int32_t depth, int32_t &alpha, int32_t &beta, int32_t ply, Move &hashMove1, Move &hashMove2);
template <Color Us> void StoreHash(int32_t score, int32_t depth, uint32_t bound, int32_t ply, Move move);

inline int32_t ProbeHashWhite(int32_t d, int32_t &a, int32_t &b, int32_t ply, Move &m1, Move &m2) {
    return ProbeHash<White>(d, a, b, ply, m1, m2);
}
inline int32_t ProbeHashBlack(int32_t d, int32_t &a, int32_t &b, int32_t ply, Move &m1, Move &m2) {
    return ProbeHash<Black>(d, a, b, ply, m1, m2);
}

// Index of the bucket for Us to move in the current position.
template <Color Us> inline uint32_t HashIndex() {
    uint32_t low = KeyLow(HashKey);
    if constexpr (Us == White) low ^= KeyLow(SideToMoveKey); // only white-to-move positions carry the side key
    return low & HashMask;
}

// Starts loading the bucket of the current position for Us to move.
template <Color Us> inline void PrefetchHash() { __builtin_prefetch(HashTable + HashIndex<Us>()); }
