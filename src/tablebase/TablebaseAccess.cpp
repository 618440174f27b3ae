// Table registration, the block cache and the probe.
#include "tablebase/TablebaseAccess.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "board/Board.h"
#include "tablebase/TableList.h"

int32_t TbLimit = -2;
int32_t TbSearchLimit = -2;

// One block of one table file in the cache.
struct TbCacheEntry {
    int32_t id;
    uint32_t side;
    uint32_t blockStart;         // first index of the block
    uint32_t length;             // bytes of the block actually read
    TbCacheEntry *older, *newer; // recency list; the free list uses `older`
    TbCacheEntry *bucketNext, *bucketPrevious;
    uint8_t *data;
};

namespace {

constexpr uint32_t BlockSize = 8192;
constexpr uint32_t BlockMask = BlockSize - 1;

std::mutex CacheLock;
uint8_t *CacheMemory = nullptr;
uint32_t CacheEntryCount = 0;
TbCacheEntry *CacheEntries = nullptr;
TbCacheEntry *Oldest = nullptr; // evicted first
TbCacheEntry *Newest = nullptr;
TbCacheEntry *FreeEntries = nullptr;

// Table ids by material: one entry per combination of the ten piece counts
// (white pawns, knights, bishops, rooks, queens, then black's), two bits
// each. Negative ids use the table with colours reversed; 0 = no table.
int8_t MaterialTree[1 << 20];

[[noreturn]] void Fatal(const char *format, const char *text, long long number = 0) {
    std::printf(format, text, number);
    std::fflush(stdout);
    std::exit(1);
}

[[noreturn]] void OutOfMemory(size_t bytes) {
    std::printf("*** Cannot allocate %llu bytes of memory\n", static_cast<unsigned long long>(bytes));
    std::fflush(stdout);
    std::exit(1);
}

void *AllocateOrDie(size_t bytes) {
    void *p = std::calloc(1, bytes);
    if (p == nullptr) OutOfMemory(bytes);
    return p;
}

// Material key of ten counts; -1 when a count does not fit the tables.
int32_t MaterialKey(const uint32_t counts[10]) {
    uint32_t total = 0, key = 0;
    for (int i = 0; i < 10; i++) {
        if (counts[i] > 3) return -1;
        total += counts[i];
        key = key << 2 | counts[i];
    }
    return total > 3 ? -1 : int32_t(key);
}

// Piece counts of a table name: the side named first is white.
void CountsOfName(const char *name, uint32_t counts[10]) {
    std::memset(counts, 0, 10 * sizeof(uint32_t));
    int side = -1;
    for (const char *c = name; *c; c++) {
        const char *kinds = "pnbrq";
        if (*c == 'k')
            side++;
        else if (const char *k = std::strchr(kinds, *c); k != nullptr && side >= 0)
            counts[5 * side + (k - kinds)]++;
    }
}

bool EnterMaterial(int id) {
    uint32_t counts[10], swapped[10];
    CountsOfName(TbDescriptors[id].name, counts);
    for (int i = 0; i < 10; i++)
        swapped[i] = counts[(i + 5) % 10];
    const int32_t key = MaterialKey(counts), reversedKey = MaterialKey(swapped);
    if (key < 0 || reversedKey < 0) return false;
    // Symmetric material (kpkp, knkn, ...) has one key: it keeps +id.
    MaterialTree[reversedKey] = int8_t(-id);
    MaterialTree[key] = int8_t(id);
    return true;
}

void CloseTableFiles() {
    for (TbDescriptor &d : TbDescriptors) {
        for (int side = 0; side < 2; side++) {
            if (d.file[side] != nullptr) std::fclose(d.file[side]);
            d.file[side] = nullptr;
        }
    }
}

// All cache entries back on the free list, every bucket list empty.
void ResetCacheLists() {
    FreeEntries = nullptr;
    for (uint32_t i = CacheEntryCount; i-- > 0;) {
        TbCacheEntry &e = CacheEntries[i];
        e = TbCacheEntry{};
        e.data = CacheMemory + size_t(CacheEntryCount) * sizeof(TbCacheEntry) + size_t(i) * BlockSize;
        e.older = FreeEntries;
        FreeEntries = &e;
    }
    for (TbDescriptor &d : TbDescriptors)
        for (int side = 0; side < 2; side++)
            if (d.buckets[side] != nullptr) std::memset(d.buckets[side], 0, TbBucketCount * sizeof(TbCacheEntry *));
    Oldest = Newest = nullptr;
}

std::string TablePath(const char *directory, int id, int side) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    path += TbDescriptors[id].name;
    path += side == 0 ? ".nbw" : ".nbb";
    return path;
}

bool IsRegularFile(const std::string &path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The compressed forms of a table file ("kqkr.nbw.emd" and "kqkrnbw.emd").
bool FindCompressed(const std::string &plainPath, std::string &found) {
    found = plainPath + ".emd";
    if (IsRegularFile(found)) return true;
    found = plainPath;
    found.erase(found.size() - 4, 1);
    found += ".emd";
    return IsRegularFile(found);
}

void UnlinkRecency(TbCacheEntry *e) {
    (e->older ? e->older->newer : Oldest) = e->newer;
    (e->newer ? e->newer->older : Newest) = e->older;
    e->older = e->newer = nullptr;
}

void AppendNewest(TbCacheEntry *e) {
    e->older = Newest;
    e->newer = nullptr;
    (Newest ? Newest->newer : Oldest) = e;
    Newest = e;
}

void UnlinkBucket(TbCacheEntry *e, TbCacheEntry **bucket) {
    if (e->bucketPrevious)
        e->bucketPrevious->bucketNext = e->bucketNext;
    else
        *bucket = e->bucketNext;
    if (e->bucketNext) e->bucketNext->bucketPrevious = e->bucketPrevious;
    e->bucketNext = e->bucketPrevious = nullptr;
}

void PushBucket(TbCacheEntry *e, TbCacheEntry **bucket) {
    e->bucketPrevious = nullptr;
    e->bucketNext = *bucket;
    if (*bucket) (*bucket)->bucketPrevious = e;
    *bucket = e;
}

TbCacheEntry **BucketOf(int id, uint32_t side, uint32_t index) {
    return &TbDescriptors[id].buckets[side][(index >> 13) & (TbBucketCount - 1)];
}

// Reads the block of e into its data area; false on any failure.
bool ReadBlock(TbCacheEntry *e) {
    TbDescriptor &d = TbDescriptors[e->id];
    for (int attempt = 0; d.file[e->side] == nullptr; attempt++) {
        if (attempt == 2) return false;
        if (attempt == 1) CloseTableFiles(); // perhaps out of file handles
        d.file[e->side] = std::fopen(d.fileName[e->side], "rb");
    }
    std::FILE *f = d.file[e->side];
    if (fseeko(f, off_t(e->blockStart), SEEK_SET) != 0) return false;
    const size_t n = std::fread(e->data, 1, BlockSize, f);
    const bool error = std::ferror(f) != 0;
    std::clearerr(f); // the last block is short: that leaves end-of-file set
    e->length = uint32_t(n);
    return !error && n > 0;
}

} // namespace

bool RegisterTableFile(const char *directory, int id, int side) {
    TbDescriptor &d = TbDescriptors[id];
    if (d.fileName[side] != nullptr) return true;
    const std::string path = TablePath(directory, id, side);
    if (!IsRegularFile(path)) return false;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    if (fseeko(f, 0, SEEK_END) != 0) Fatal("*** Seek in %s failed\n", path.c_str());
    const long long size = ftello(f);
    std::fclose(f);
    if (size < 0) Fatal("*** Seek in %s failed\n", path.c_str());
    if (d.expectedLength[side] != 0 && uint64_t(size) != d.expectedLength[side])
        Fatal("*** %s corrupted\n", path.c_str());
    d.expectedLength[side] = uint32_t(size);
    if (!EnterMaterial(id)) Fatal("*** Unable to register %s\n", path.c_str());
    d.fileName[side] = static_cast<char *>(AllocateOrDie(path.size() + 1));
    std::memcpy(d.fileName[side], path.c_str(), path.size() + 1);
    d.buckets[side] = static_cast<TbCacheEntry **>(AllocateOrDie(TbBucketCount * sizeof(TbCacheEntry *)));
    return true;
}

int InitTablebases(const char *pathList) {
    CloseTableFiles();
    InitIndexTables();
    for (int id = 1; id < TbTableCount; id++) {
        TbDescriptor &d = TbDescriptors[id];
        for (int side = 0; side < 2; side++) {
            std::free(d.buckets[side]);
            std::free(d.fileName[side]);
            d.buckets[side] = nullptr;
            d.fileName[side] = nullptr;
        }
    }
    std::memset(MaterialTree, 0, sizeof MaterialTree);
    ResetCacheLists(); // entries may name tables that are gone now

    std::string list = pathList != nullptr ? pathList : "";
    std::vector<std::string> directories;
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find_first_of(",;", start);
        if (end == std::string::npos) end = list.size();
        if (end > start) directories.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    int largest = 0;
    for (const std::string &dir : directories) {
        for (int id = 1; id < TbTableCount; id++) {
            const bool white = RegisterTableFile(dir.c_str(), id, 0);
            const bool black = RegisterTableFile(dir.c_str(), id, 1);
            if (white || black) largest = id;
        }
    }
    // Compressed table files are not read: a table side found only in
    // compressed form is named and left unregistered, and the engine goes on
    // without it.
    for (int id = 1; id < TbTableCount; id++) {
        for (int side = 0; side < 2; side++) {
            if (TbDescriptors[id].fileName[side] != nullptr) continue;
            for (const std::string &dir : directories) {
                std::string compressed;
                if (FindCompressed(TablePath(dir.c_str(), id, side), compressed)) {
                    PrintNotice(("WARNING: compressed tablebase not supported: " + compressed).c_str());
                    break;
                }
            }
        }
    }
    return largest > 35 ? 5 : largest > 5 ? 4 : largest >= 1 ? 3 : 0;
}

void StartTablebases(const char *tbPath, double tbCacheMegabytes) {
    TbLimit = InitTablebases(tbPath) - 2;
    if (TbLimit <= 0) return;
    // Sizes beyond what the machine could give are refused like any failed request.
    double bytes = tbCacheMegabytes * 1048576.0;
    if (!(bytes >= 0)) bytes = 0;
    if (bytes > 1e15) bytes = 1e15;
    std::free(CacheMemory);
    CacheMemory = nullptr;
    CacheEntries = nullptr;
    CacheEntryCount = 0;
    CloseTableFiles();
    const size_t perEntry = sizeof(TbCacheEntry) + BlockSize;
    const uint64_t count = uint64_t(bytes) / perEntry;
    if (count > 0 && count <= UINT32_MAX) {
        CacheMemory = static_cast<uint8_t *>(std::malloc(count * perEntry));
        if (CacheMemory == nullptr) {
            char line[80];
            std::snprintf(line, sizeof line, "WARNING: tablebase cache of %.0f bytes not available", bytes);
            PrintNotice(line);
        } else {
            CacheEntryCount = uint32_t(count);
            CacheEntries = reinterpret_cast<TbCacheEntry *>(CacheMemory);
        }
    }
    ResetCacheLists();
}

int32_t ProbeTableValue(int id, int side, uint32_t index) {
    if (id <= 0 || id >= TbTableCount || side < 0 || side > 1) return TbNotAvailable;
    TbDescriptor &d = TbDescriptors[id];
    if (index >= d.expectedLength[side]) return TbNotAvailable;
    if (CacheEntryCount == 0 || d.buckets[side] == nullptr) return TbNotAvailable;
    // Search threads share the block cache and the files behind it.
    const std::lock_guard<std::mutex> guard(CacheLock);

    TbCacheEntry **bucket = BucketOf(id, side, index);
    for (TbCacheEntry *e = *bucket; e != nullptr; e = e->bucketNext) {
        if (e->id != id || e->side != uint32_t(side) || index - e->blockStart >= BlockSize || index < e->blockStart)
            continue;
        if (e != Newest) {
            UnlinkRecency(e);
            AppendNewest(e);
        }
        if (e != *bucket) {
            UnlinkBucket(e, bucket);
            PushBucket(e, bucket);
        }
        const uint32_t offset = index - e->blockStart;
        return offset < e->length ? int8_t(e->data[offset]) : TbNotAvailable;
    }

    TbCacheEntry *e = FreeEntries;
    if (e != nullptr) {
        FreeEntries = e->older;
        e->older = nullptr;
    } else {
        e = Oldest;
        UnlinkRecency(e);
        UnlinkBucket(e, BucketOf(e->id, e->side, e->blockStart));
    }
    e->id = id;
    e->side = uint32_t(side);
    e->blockStart = index & ~BlockMask;
    e->length = 0;
    const uint32_t offset = index - e->blockStart;
    if (!ReadBlock(e) || offset >= e->length) {
        e->length = 0;
        e->older = FreeEntries;
        FreeEntries = e;
        return TbNotAvailable;
    }
    AppendNewest(e);
    PushBucket(e, bucket);
    return int8_t(e->data[offset]);
}

namespace {

// Known wrong entries of the published kppkp table with black to move.
constexpr uint32_t KppkpBlackFixes[] = {0x0362BC7C, 0x0362DE44, 0x03637648, 0x03639810,
                                        0x038D4F29, 0x040A2CAB, 0x043C778C};

// Table byte to table score, from the point of view of the side to move.
int32_t TableScore(int32_t b) {
    if (b == 0) return 0;
    if (b == TbNotAvailable) return 32767;
    if (b >= 1) return b + 32640;
    if (b >= -126) return b - 32640;
    return b == -127 ? -32640 : 32640;
}

// Board square to 0..63 (a1 = 0, h8 = 63).
inline uint32_t Square64(Square s) { return (9 - s / 10) * 8 + (s % 10 - 1); }

} // namespace

int32_t ProbeTablebase(uint32_t ply, uint32_t epSquare, uint32_t sideToMove) {
    uint32_t counts[10];
    uint32_t pieces = 0;
    for (int i = 0; i < 10; i++) {
        const PieceCode code = i < 5 ? PieceCode(WhitePawn + i) : PieceCode(BlackPawn + i - 5);
        counts[i] = PieceLists[code][0];
        pieces += counts[i];
    }
    if (pieces == 0) return 0;
    if (epSquare != 0) return NoScore;
    const int32_t key = MaterialKey(counts);
    if (key < 0) return NoScore;
    int id = MaterialTree[key];
    if (id == 0) return NoScore;

    uint32_t arrays[2][8] = {};
    for (int side = 0; side < 2; side++) {
        uint32_t *a = arrays[side];
        a[0] = TbKing;
        a[4] = Square64(KingSquare(uint32_t(side)));
        int n = 0;
        for (int kind = 0; kind < 5; kind++) {
            const PieceCode code = PieceCode(8 * side + kind);
            for (uint32_t slot = 1; slot <= PieceLists[code][0]; slot++) {
                a[1 + n] = TbPawn + kind;
                a[5 + n] = Square64(PieceLists[code][slot]);
                n++;
            }
        }
    }
    uint32_t reversed = 0, tableSide = sideToMove;
    if (id < 0) {
        id = -id;
        reversed = 1;
        tableSide = 1 - sideToMove;
    }
    const TbDescriptor &d = TbDescriptors[id];
    if (d.fileName[tableSide] == nullptr) return NoScore;
    const uint32_t *tableWhite = arrays[reversed], *tableBlack = arrays[1 - reversed];
    const uint32_t index = d.indexFunction[tableSide](tableWhite, tableBlack, TbNoEpSquare, reversed);

    int32_t t = 0;
    bool fixed = false;
    if (id == 36 && tableSide == 1)
        for (uint32_t bad : KppkpBlackFixes)
            if (index == bad) t = -32639, fixed = true;
    if (!fixed) t = TableScore(ProbeTableValue(id, int(tableSide), index));
    if (t == 32767) return NoScore;

    // The score for the side to move, then turned to White's point of view,
    // so that the same ending scores the same for either colour.
    const int32_t p = int32_t(ply);
    const int32_t score = t > 0 ? 2 * t - 32767 - p : t < 0 ? 2 * t + 32765 + p : 0;
    return sideToMove == Black ? -score : score;
}
