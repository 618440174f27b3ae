#include "tablebase/SyzygyLayout.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

// The bytes of a file's header before the sub-table settings: the magic
// number and the flags.
constexpr size_t HeaderBytes = 5;
// A sub-table stored as one value: its flag byte and the value.
constexpr uint8_t ConstantFlag = 0x80;
constexpr size_t ConstantBytes = 2;
// Fixed bytes before the per-length offsets: flags, block size, index bits,
// extra blocks, block count (4), longest and shortest code length.
constexpr size_t PairsFixedBytes = 10;
// A symbol stands for a pair of symbols (12 bits each), or is a leaf.
constexpr uint32_t LeafSymbol = 0xfff;
constexpr int MaxCodeLength = 64;

struct Material {
    int pieces = 0;
    bool pawns = false;     // pawn tables have one sub-table per file a-d
    bool bothPawns = false; // and one more settings byte when both sides have pawns
};

Material MaterialOf(const std::string &stem) {
    Material m;
    bool white = true, whitePawns = false, blackPawns = false;
    for (char c : stem) {
        if (c == 'v') {
            white = false;
            continue;
        }
        ++m.pieces;
        if (c == 'P') (white ? whitePawns : blackPawns) = true;
    }
    m.pawns = whitePawns || blackPawns;
    m.bothPawns = whitePawns && blackPawns;
    return m;
}

// The symbol tree of one sub-table: every pair names symbols that exist, and
// no symbol contains itself. On success `at` moves past the sub-table's settings.
std::string CheckPairs(const uint8_t *data, size_t size, size_t &at) {
    if (at >= size) return "ends inside its settings";
    const uint8_t *p = data + at;
    if (p[0] & ConstantFlag) {
        at += ConstantBytes;
        return at <= size ? "" : "ends inside its settings";
    }
    if (size - at < PairsFixedBytes) return "ends inside its settings";
    const int longest = p[8], shortest = p[9];
    if (shortest > longest || longest > MaxCodeLength) return "has impossible code lengths";
    const size_t lengths = size_t(longest - shortest + 1);
    const size_t symbolsAt = PairsFixedBytes + 2 * lengths;
    if (size - at < symbolsAt + 2) return "ends inside its settings";
    const uint32_t symbols = uint32_t(p[symbolsAt]) | uint32_t(p[symbolsAt + 1]) << 8;
    if (symbols > SyzygyMaxSymbols) return "has too many symbols";
    const size_t pairsAt = symbolsAt + 2;
    if (size - at - pairsAt < 3 * size_t(symbols)) return "ends inside its symbols";
    const uint8_t *pairs = p + pairsAt;
    auto left = [&](uint32_t s) { return uint32_t(pairs[3 * s]) | uint32_t(pairs[3 * s + 1] & 0x0f) << 8; };
    auto right = [&](uint32_t s) { return uint32_t(pairs[3 * s + 1]) >> 4 | uint32_t(pairs[3 * s + 2]) << 4; };

    // Depth-first through the tree without recursion: 0 unseen, 1 on the
    // path, 2 done. Meeting a symbol on the path is a loop.
    std::vector<uint8_t> state(symbols, 0);
    std::vector<uint32_t> path;
    for (uint32_t root = 0; root < symbols; ++root) {
        if (state[root] == 2) continue;
        path.assign(1, root);
        state[root] = 1;
        while (!path.empty()) {
            const uint32_t s = path.back();
            uint32_t next = LeafSymbol;
            if (right(s) != LeafSymbol) {
                for (uint32_t child : {left(s), right(s)}) {
                    if (child >= symbols) return "names a symbol it does not have";
                    if (state[child] == 1) return "has a symbol that contains itself";
                    if (state[child] == 0) {
                        next = child;
                        break;
                    }
                }
            }
            if (next == LeafSymbol) {
                state[s] = 2;
                path.pop_back();
            } else {
                state[next] = 1;
                path.push_back(next);
            }
        }
    }
    at += pairsAt + 3 * size_t(symbols) + (symbols & 1);
    return at <= size ? "" : "ends inside its symbols";
}

} // namespace

std::string SyzygyLayoutProblem(const uint8_t *data, size_t size, const std::string &stem, bool wdl) {
    const Material m = MaterialOf(stem);
    if (size < HeaderBytes) return "ends inside its header";
    const bool split = wdl && (data[4] & 1); // a sub-table for each side to move
    const int files = m.pawns ? 4 : 1;
    size_t at = HeaderBytes + size_t(files) * size_t(m.pieces + 1 + (m.bothPawns ? 1 : 0));
    at += at & 1; // the settings start on an even byte
    for (int file = 0; file < files; ++file) {
        for (int side = 0; side < (split ? 2 : 1); ++side) {
            const std::string problem = CheckPairs(data, size, at);
            if (!problem.empty()) return problem;
        }
    }
    return "";
}

std::string SyzygyFileLayoutProblem(const std::string &path, const std::string &stem, bool wdl) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return "";
    struct stat info;
    if (::fstat(fd, &info) != 0 || info.st_size <= 0) {
        ::close(fd);
        return "";
    }
    const size_t size = size_t(info.st_size);
    void *map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return "";
    const std::string problem = SyzygyLayoutProblem(static_cast<const uint8_t *>(map), size, stem, wdl);
    ::munmap(map, size);
    return problem;
}
