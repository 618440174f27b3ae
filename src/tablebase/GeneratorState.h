// Shared state of one table generation (internal to the generator).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "tablebase/Generator.h"
#include "tablebase/GeneratorBoard.h"

namespace tbgen {

constexpr uint8_t CountMask = 0x3f;
constexpr uint8_t Resolved = 0x40;
constexpr uint8_t Illegal = 0x80;
constexpr int16_t IllegalValue = -32500;

constexpr int32_t WinIn(int32_t plies) { return TbGenWin - plies; }
constexpr int32_t LossIn(int32_t plies) { return -TbGenWin + plies; }
constexpr int32_t PliesOf(int32_t score) { return score > 0 ? TbGenWin - score : score + TbGenWin; }

// Material key of a table name (the side named first as white, or swapped).
uint32_t MaterialKeyOfName(const char *name, bool swapped);

// A table that moves out of the one being built lead into, read whole.
struct Subtable {
    uint32_t key = 0;
    int id = 0;            // 0: bare kings, always a draw
    bool reversed = false; // the table's white pieces are black's here
    std::shared_ptr<std::vector<int8_t>> bytes[2];
};

struct EpNode {
    uint64_t key; // index << 4 | side << 3 | victim slot
    int16_t value;
    uint8_t flags;
};

struct Generation {
    Layout layout;
    // Stored positions have the white king in a region that every position
    // can be turned into by the board's symmetries: files a..d with pawns,
    // the triangle a1-d1-d4 without.
    bool pawns = false;
    uint32_t regionSize = 0;
    uint8_t regionSquare[32] = {};
    int8_t regionOrdinal[64] = {};
    int transforms = 1;
    uint64_t size = 0; // stored positions per side to move
    std::vector<int16_t> value[2];
    std::vector<uint8_t> flags[2];
    std::vector<EpNode> epNodes;
    std::unordered_map<uint64_t, uint32_t> epOf;
    std::vector<Subtable> subtables;
    int32_t maxLevel = 0;
    uint64_t failures = 0; // lookups into smaller tables that gave no value
};

inline uint64_t EpKey(uint64_t index, uint32_t side, int victim) { return index << 4 | side << 3 | uint64_t(victim); }

constexpr uint64_t NoNode = ~uint64_t(0);

// Stored index of a position, NoNode when its white king is outside the region.
inline uint64_t NodeIndex(const Generation &g, const Position &p) {
    const int ordinal = g.regionOrdinal[p.sq[0]];
    if (ordinal < 0) return NoNode;
    uint64_t rest = 0;
    for (int i = g.layout.slots - 1; i >= 1; i--)
        rest = rest << 6 | p.sq[i];
    return uint64_t(ordinal) + g.regionSize * rest;
}

inline void NodePosition(const Generation &g, uint64_t index, Position &p) {
    p.sq[0] = g.regionSquare[index % g.regionSize];
    p.occupied = Bit(p.sq[0]);
    index /= g.regionSize;
    for (int i = 1; i < g.layout.slots; i++) {
        p.sq[i] = uint8_t(index & 63);
        p.occupied |= Bit(p.sq[i]);
        index >>= 6;
    }
}

// Square arrays of the index functions for colour c; slot `removed` is off
// the board and slot `promoted` has kind `newKind`.
void SquareArray(const Layout &l, const Position &p, uint32_t c, int removed, int promoted, uint32_t newKind,
                 uint32_t *a);

// Loads every table the moves of the layout lead into.
bool LoadSubtables(Generation &g, const std::string &directory, std::string &error);

// Writes both files; counts the report over the file's indices.
bool WriteTable(Generation &g, const std::string &directory, TbGenReport &report, std::string &error);

} // namespace tbgen
