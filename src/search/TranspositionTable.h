// Transposition table: allocation, clearing, probe and store.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/Board.h"
#include "search/SearchState.h"

// Allocates the table for a size in megabytes, prints "Hash size N Mbytes",
// fills the hashing keys (first call only). Returns false (after an "ERROR: "
// line) when the memory cannot be had; an earlier table then stays in place.
bool AllocateHash(int64_t megabytes);
void ClearHash();

// Search threads share the table without a lock: each field is read and
// written whole (relaxed atomics), and the lock word is stored xored with the
// other three words, so an entry torn by two threads writing at once no
// longer matches its position. Read entries through LoadEntry.
struct HashEntry {
    uint32_t lock; // high word of HashKey (stored xored, see above)
    Move move1;    // newest best move, 0 if none
    Move move2;    // the one before
    int16_t score; // white's view, mate scores relative to the node
    int8_t depth;  // quarter plies
    uint8_t flags; // bits 0-2 generation, then the bound bits below
};
static_assert(sizeof(HashEntry) == 16, "hash entries are 16 bytes");

enum : uint32_t { UpperBound = 8, LowerBound = 16, ExactScore = 32 };

namespace hash_detail {
template <typename V> inline V Load(const V &field) {
    return std::atomic_ref<V>(const_cast<V &>(field)).load(std::memory_order_relaxed);
}
template <typename V> inline void Store(V &field, V value) {
    std::atomic_ref<V>(field).store(value, std::memory_order_relaxed);
}
inline uint32_t DataWord(const HashEntry &e) {
    return uint32_t(uint16_t(e.score)) | uint32_t(uint8_t(e.depth)) << 16 | uint32_t(e.flags) << 24;
}
} // namespace hash_detail

// The entry as it was stored, the lock word decoded; StoreEntry encodes.
inline HashEntry LoadEntry(const HashEntry &e) {
    using namespace hash_detail;
    HashEntry v;
    v.lock = Load(e.lock);
    v.move1 = Load(e.move1);
    v.move2 = Load(e.move2);
    v.score = Load(e.score);
    v.depth = Load(e.depth);
    v.flags = Load(e.flags);
    v.lock ^= v.move1 ^ v.move2 ^ DataWord(v);
    return v;
}

inline void StoreEntry(HashEntry &e, const HashEntry &v) {
    using namespace hash_detail;
    Store(e.move1, v.move1);
    Store(e.move2, v.move2);
    Store(e.score, v.score);
    Store(e.depth, v.depth);
    Store(e.flags, v.flags);
    Store(e.lock, v.lock ^ v.move1 ^ v.move2 ^ DataWord(v));
}

// Accepted range of the "Hash" setting in megabytes.
constexpr int64_t MinHashMegabytes = 1;
constexpr int64_t MaxHashMegabytes = 32768;

inline void AdvanceHashGeneration() {
    HashGeneration.store((HashGeneration.load(std::memory_order_relaxed) + 1) & 7, std::memory_order_relaxed);
}

// Probe for Us to move at `ply`: NoScore (32768) or a score that settles the
// node; may narrow alpha/beta; always hands out the stored moves.
template <Color Us>
int32_t ProbeHash(int32_t depth, int32_t &alpha, int32_t &beta, int32_t ply, Move &hashMove1, Move &hashMove2);
template <Color Us> void StoreHash(int32_t score, int32_t depth, uint32_t bound, int32_t ply, Move move);

// Index of the bucket for Us to move in the current position.
template <Color Us> inline uint32_t HashIndex() {
    uint32_t low = KeyLow(HashKey);
    if constexpr (Us == White) low ^= KeyLow(SideToMoveKey); // only white-to-move positions carry the side key
    return low & HashMask;
}

// Starts loading the bucket of the current position for Us to move.
template <Color Us> inline void PrefetchHash() { __builtin_prefetch(HashTable + HashIndex<Us>()); }

// Starts loading the bucket the position after Us's move m will probe, before
// the move is made. Exact for plain moves and captures; for the rarer special
// moves it loads some other line, which costs nothing but the load.
template <Color Us> inline void PrefetchHashAfter(Move m) {
    const Square from = MoveFrom(m), to = MoveTo(m);
    const PieceCode mover = Board[from].piece;
    uint32_t low = KeyLow(HashKey ^ ZobristKeys[mover][from] ^ ZobristKeys[mover][to]);
    if (IsCapture(m) && MoveCaptured(m) < 14) low ^= KeyLow(ZobristKeys[MoveCaptured(m)][to]);
    if constexpr (Us == Black) low ^= KeyLow(SideToMoveKey); // white moves next
    __builtin_prefetch(HashTable + (low & HashMask));
}

// The same for a move read from the table, which may belong to another
// position that shares the bucket: only a move on the board is followed.
template <Color Us> inline void PrefetchHashAfterStored(Move m) {
    if (MoveFrom(m) < 120 && MoveTo(m) < 120 && Board[MoveFrom(m)].piece < 14) PrefetchHashAfter<Us>(m);
}
