// Retrograde generation of one endgame table.
//
// Every placement of the table's pieces, with either side to move, is a node
// (six bits per piece, no symmetry folding: the file's index functions fold
// the symmetric copies together when the result is written, and every copy
// must agree). Moves that capture or promote leave the table; their values
// come from the smaller tables already on disk. The rest is the classic
// retrograde sweep by distance in plies: a node lost in L plies makes every
// predecessor a win in L + 1, and a node won in L plies takes one move from
// the count of each predecessor's open moves; a count that reaches zero
// makes a loss. Positions just after a double pawn step that can be taken
// en passant are extra nodes: they have the moves of the plain position plus
// the en-passant captures.
#include "tablebase/Generator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "tablebase/GeneratorBoard.h"
#include "tablebase/GeneratorState.h"
#include "tablebase/TableList.h"
#include "tablebase/TablebaseAccess.h"

using namespace tbgen;

namespace tbgen {

// Material: three bits per colour and kind (pawn..queen).
namespace {

uint32_t MaterialKey(const uint32_t counts[2][6]) {
    uint32_t key = 0;
    for (int c = 0; c < 2; c++)
        for (uint32_t k = TbPawn; k <= TbQueen; k++)
            key |= counts[c][k] << (3 * (5 * c + k - 1));
    return key;
}

} // namespace

uint32_t MaterialKeyOfName(const char *name, bool swapped) {
    uint32_t counts[2][6] = {};
    int side = -1;
    for (const char *c = name; *c; c++) {
        const char *kinds = " pnbrq";
        if (*c == 'k')
            side++;
        else if (const char *k = std::strchr(kinds + 1, *c); k != nullptr && side >= 0)
            counts[swapped ? 1 - side : side][k - kinds]++;
    }
    return MaterialKey(counts);
}

void SquareArray(const Layout &l, const Position &p, uint32_t c, int removed, int promoted, uint32_t newKind,
                 uint32_t *a) {
    std::memset(a, 0, 8 * sizeof(uint32_t));
    a[0] = TbKing;
    a[4] = p.sq[c];
    uint32_t kinds[3], squares[3];
    int n = 0;
    for (int i = 2; i < l.slots; i++) {
        if (l.color[i] != c || i == removed) continue;
        kinds[n] = i == promoted ? newKind : l.kind[i];
        squares[n++] = p.sq[i];
    }
    // Kind order (a promoted piece may come after pieces of higher kinds).
    for (int i = 1; i < n; i++)
        for (int j = i; j > 0 && kinds[j] < kinds[j - 1]; j--) {
            std::swap(kinds[j], kinds[j - 1]);
            std::swap(squares[j], squares[j - 1]);
        }
    for (int i = 0; i < n; i++) {
        a[1 + i] = kinds[i];
        a[5 + i] = squares[i];
    }
}

} // namespace tbgen

namespace {

void SetRegion(Generation &g) {
    const Layout &l = g.layout;
    for (int i = 2; i < l.slots; i++)
        g.pawns |= l.kind[i] == TbPawn;
    g.transforms = g.pawns ? 2 : 8;
    g.regionSize = 0;
    for (uint32_t s = 0; s < 64; s++) {
        const bool in = g.pawns ? FileOf(s) <= 3 : FileOf(s) <= 3 && RankOf(s) <= FileOf(s);
        g.regionOrdinal[s] = int8_t(in ? int(g.regionSize) : -1);
        if (in) g.regionSquare[g.regionSize++] = uint8_t(s);
    }
    g.size = uint64_t(g.regionSize) << (6 * (l.slots - 1));
}

// Symmetry t of the board: bit 0 mirrors the files, bit 1 the ranks, bit 2 transposes.
inline uint32_t Transform(uint32_t s, int t) {
    if (t & 1) s ^= 7;
    if (t & 2) s ^= 56;
    if (t & 4) s = (s & 7) << 3 | s >> 3;
    return s;
}

inline void TransformPosition(const Generation &g, const Position &p, int t, Position &out) {
    out.occupied = 0;
    for (int i = 0; i < g.layout.slots; i++) {
        out.sq[i] = uint8_t(Transform(p.sq[i], t));
        out.occupied |= Bit(out.sq[i]);
    }
}

// A class of symmetric positions can have two stored members (white king on
// the a1-d4 diagonal); only the one with the lower index passes values on.
inline bool PassesOn(const Generation &g, const Position &p, uint64_t index) {
    if (g.pawns || FileOf(p.sq[0]) != RankOf(p.sq[0])) return true;
    Position t{};
    TransformPosition(g, p, 4, t);
    return index <= NodeIndex(g, t);
}

uint32_t ChildKey(const Layout &l, int removed, int promoted, uint32_t newKind) {
    uint32_t counts[2][6] = {};
    for (int i = 2; i < l.slots; i++)
        if (i != removed) counts[l.color[i]][i == promoted ? newKind : l.kind[i]]++;
    return MaterialKey(counts);
}

// Value of a position outside the table, for its side to move `stm`.
int32_t ExternalScore(const Generation &g, const Position &p, uint32_t stm, int removed, int promoted, uint32_t newKind,
                      uint64_t &failures) {
    const uint32_t key = ChildKey(g.layout, removed, promoted, newKind);
    const Subtable *sub = nullptr;
    for (const Subtable &s : g.subtables)
        if (s.key == key) sub = &s;
    if (sub == nullptr) {
        failures++;
        return TbGenUnknown;
    }
    if (sub->id == 0) return 0;
    uint32_t arrays[2][8];
    for (uint32_t c = 0; c < 2; c++)
        SquareArray(g.layout, p, c, removed, promoted, newKind, arrays[c]);
    const uint32_t reversed = sub->reversed ? 1 : 0;
    const uint32_t side = stm ^ reversed;
    const uint32_t index =
        TbDescriptors[sub->id].indexFunction[side](arrays[reversed], arrays[1 - reversed], TbNoEpSquare, reversed);
    const std::vector<int8_t> &bytes = *sub->bytes[side];
    if (index >= bytes.size()) {
        failures++;
        return TbGenUnknown;
    }
    const int32_t score = TbGenScoreOfByte(bytes[index]);
    if (score == TbGenUnknown) failures++;
    return score;
}

// What the moves of a position give: the number of moves that stay in the
// table, the best value among those that leave it, and whether there is any.
struct MoveSummary {
    uint32_t inside = 0;
    int32_t bestOutside = TbGenUnknown;
    bool any = false;
    uint64_t failures = 0;
};

// Moves of side s; with epVictim >= 0 only the en-passant captures of that pawn.
void SummariseMoves(const Generation &g, const Position &p, uint32_t s, int epVictim, MoveSummary &m) {
    const Layout &l = g.layout;
    const uint32_t them = 1 - s;
    auto outside = [&](const Position &child, int removed, int promoted, uint32_t newKind) {
        if (KingAttacked(l, child, s, removed)) return;
        m.any = true;
        m.bestOutside =
            std::max(m.bestOutside, TbGenBackUp(ExternalScore(g, child, them, removed, promoted, newKind, m.failures)));
    };
    auto inside = [&](const Position &child) {
        if (KingAttacked(l, child, s)) return;
        m.any = true;
        m.inside++;
    };
    for (int i = 0; i < l.slots; i++) {
        if (l.color[i] != s) continue;
        const uint32_t from = p.sq[i];
        Position child = p;
        if (epVictim >= 0) {
            if (l.kind[i] != TbPawn) continue;
            const uint32_t target = uint32_t(int(p.sq[epVictim]) + PawnForward(s));
            if (!(Steps.pawnAttacks[s][from] & Bit(target))) continue;
            child.sq[i] = uint8_t(target);
            child.occupied = (p.occupied & ~Bit(from) & ~Bit(p.sq[epVictim])) | Bit(target);
            outside(child, epVictim, -1, 0);
            continue;
        }
        if (l.kind[i] != TbPawn) {
            PieceTargets(
                l, p, i,
                [&](uint32_t to) {
                    child.sq[i] = uint8_t(to);
                    child.occupied = (p.occupied & ~Bit(from)) | Bit(to);
                    inside(child);
                },
                [&](uint32_t to, int victim) {
                    child.sq[i] = uint8_t(to);
                    child.occupied = p.occupied & ~Bit(from);
                    outside(child, victim, -1, 0);
                });
            continue;
        }
        const int f = PawnForward(s);
        const bool promotes = PawnOnRank(s, from, 6);
        const uint32_t one = uint32_t(int(from) + f);
        if (!(p.occupied & Bit(one))) {
            child.sq[i] = uint8_t(one);
            child.occupied = (p.occupied & ~Bit(from)) | Bit(one);
            if (promotes) {
                for (uint32_t k = TbKnight; k <= TbQueen; k++)
                    outside(child, -1, i, k);
            } else {
                inside(child);
                const uint32_t two = uint32_t(int(one) + f);
                if (PawnOnRank(s, from, 1) && !(p.occupied & Bit(two))) {
                    child.sq[i] = uint8_t(two);
                    child.occupied = (p.occupied & ~Bit(from)) | Bit(two);
                    inside(child);
                }
            }
        }
        for (uint64_t targets = Steps.pawnAttacks[s][from] & p.occupied; targets; targets &= targets - 1) {
            const uint32_t to = uint32_t(__builtin_ctzll(targets));
            for (int j = 0; j < l.slots; j++) {
                if (p.sq[j] != to || l.color[j] != them || l.kind[j] == TbKing) continue;
                child.sq[i] = uint8_t(to);
                child.occupied = p.occupied & ~Bit(from);
                if (promotes) {
                    for (uint32_t k = TbKnight; k <= TbQueen; k++)
                        outside(child, j, i, k);
                } else {
                    outside(child, j, -1, 0);
                }
            }
        }
    }
}

bool PawnOnEdgeRank(const Layout &l, const Position &p) {
    for (int i = 2; i < l.slots; i++)
        if (l.kind[i] == TbPawn && (RankOf(p.sq[i]) == 0 || RankOf(p.sq[i]) == 7)) return true;
    return false;
}

// Value and flags of a node from its move summary.
void Settle(const MoveSummary &m, bool inCheck, int16_t &value, uint8_t &flags, int32_t &maxLevel) {
    int32_t v;
    if (!m.any) {
        v = inCheck ? LossIn(0) : 0;
        flags = Resolved;
    } else if (m.inside == 0) {
        v = m.bestOutside;
        flags = Resolved;
    } else {
        v = m.bestOutside;
        flags = uint8_t(m.inside);
    }
    value = int16_t(v);
    if (v != 0 && v != TbGenUnknown) maxLevel = std::max(maxLevel, PliesOf(v));
}

// Counts the moves of every stored position (both sides to move) and takes
// the values of the moves that leave the table; `threads` workers share the range.
void InitialPass(Generation &g, unsigned threads, bool progress, const char *name) {
    const Layout &l = g.layout;
    for (uint32_t s = 0; s < 2; s++) {
        g.value[s].assign(g.size, IllegalValue);
        g.flags[s].assign(g.size, Illegal);
    }
    struct Work {
        std::vector<EpNode> epNodes;
        int32_t maxLevel = 0;
        uint64_t failures = 0;
    };
    std::vector<Work> work(threads);
    auto run = [&](unsigned part) {
        Work &w = work[part];
        Position p;
        const uint64_t begin = g.size * part / threads, end = g.size * (part + 1) / threads;
        const uint64_t tenth = (end - begin) / 10 + 1;
        for (uint64_t index = begin; index < end; index++) {
            if (progress && part == 0 && index > begin && (index - begin) % tenth == 0) {
                std::printf("%s: counting moves, %llu%%\n", name,
                            static_cast<unsigned long long>((index - begin) * 100 / (end - begin)));
                std::fflush(stdout);
            }
            NodePosition(g, index, p);
            if (__builtin_popcountll(p.occupied) != l.slots || PawnOnEdgeRank(l, p)) continue;
            for (uint32_t s = 0; s < 2; s++) {
                if (KingAttacked(l, p, 1 - s)) continue;
                MoveSummary m;
                SummariseMoves(g, p, s, -1, m);
                const bool inCheck = KingAttacked(l, p, s);
                Settle(m, inCheck, g.value[s][index], g.flags[s][index], w.maxLevel);
                w.failures += m.failures;
                if (!l.pawnsBothSides) continue;
                for (int v = 2; v < l.slots; v++) {
                    if (l.color[v] == s || !EnPassantPossible(l, p, v)) continue;
                    MoveSummary withEp = m;
                    withEp.failures = 0;
                    SummariseMoves(g, p, s, v, withEp);
                    w.failures += withEp.failures;
                    EpNode node{EpKey(index, s, v), 0, 0};
                    Settle(withEp, inCheck, node.value, node.flags, w.maxLevel);
                    w.epNodes.push_back(node);
                }
            }
        }
    };
    std::vector<std::thread> pool;
    for (unsigned part = 1; part < threads; part++)
        pool.emplace_back(run, part);
    run(0);
    for (std::thread &t : pool)
        t.join();
    for (Work &w : work) {
        g.maxLevel = std::max(g.maxLevel, w.maxLevel);
        g.failures += w.failures;
        for (const EpNode &node : w.epNodes) {
            g.epOf.emplace(node.key, uint32_t(g.epNodes.size()));
            g.epNodes.push_back(node);
        }
    }
}

// A predecessor learns that one of its moves leads to a position worth
// childScore (for the side to move there) at level L.
inline void Learn(int16_t &value, uint8_t &flags, int32_t L, int32_t childScore, int32_t &maxLevel) {
    const uint8_t f = flags;
    if (f & (Resolved | Illegal)) return;
    if (childScore < 0) {
        value = int16_t(WinIn(L + 1));
        flags = Resolved;
        maxLevel = std::max(maxLevel, L + 1);
        return;
    }
    const uint8_t count = uint8_t((f & CountMask) - 1);
    if (count != 0) {
        flags = count;
        return;
    }
    const int32_t best = std::max<int32_t>(value, LossIn(L + 1));
    if (best > 0) {
        flags = 0; // a win by leaving the table, taken when its level comes
        return;
    }
    value = int16_t(best);
    flags = Resolved;
    if (best < 0) maxLevel = std::max(maxLevel, PliesOf(best));
}

void LearnWithEp(Generation &g, const Position &pred, uint32_t side, int32_t L, int32_t childScore) {
    const Layout &l = g.layout;
    const uint64_t index = NodeIndex(g, pred);
    if (index == NoNode) return;
    Learn(g.value[side][index], g.flags[side][index], L, childScore, g.maxLevel);
    if (!l.pawnsBothSides) return;
    for (int v = 2; v < l.slots; v++) {
        if (l.color[v] == side || !EnPassantPossible(l, pred, v)) continue;
        const auto it = g.epOf.find(EpKey(index, side, v));
        if (it == g.epOf.end()) continue;
        EpNode &node = g.epNodes[it->second];
        Learn(node.value, node.flags, L, childScore, g.maxLevel);
    }
}

// Passes the value of a settled position (side s to move) to the stored
// positions the other side moved from; epVictim >= 0 for a position with an
// en-passant right, whose only move into it was that pawn's double step.
void PropagateFrom(Generation &g, const Position &p, uint32_t s, int epVictim, int32_t L, int32_t score) {
    const Layout &l = g.layout;
    const uint32_t t = 1 - s;
    // Only a white king move can bring the white king into the region.
    const bool kingOnly = g.regionOrdinal[p.sq[0]] < 0;
    if (kingOnly && t != 0) return;
    Position pred = p;
    for (int i = 0; i < l.slots; i++) {
        if (l.color[i] != t) continue;
        if (epVictim >= 0 && i != epVictim) continue;
        if (kingOnly && i != 0) continue;
        const uint32_t at = p.sq[i];
        if (l.kind[i] != TbPawn) {
            PieceTargets(
                l, p, i,
                [&](uint32_t from) {
                    pred.sq[i] = uint8_t(from);
                    pred.occupied = (p.occupied & ~Bit(at)) | Bit(from);
                    LearnWithEp(g, pred, t, L, score);
                },
                [](uint32_t, int) {});
            pred.sq[i] = uint8_t(at);
            continue;
        }
        const int f = PawnForward(t);
        const uint32_t one = uint32_t(int(at) - f);
        if (p.occupied & Bit(one)) continue;
        if (epVictim < 0 && !PawnOnRank(t, one, 0)) {
            pred.sq[i] = uint8_t(one);
            pred.occupied = (p.occupied & ~Bit(at)) | Bit(one);
            LearnWithEp(g, pred, t, L, score);
        }
        if (PawnOnRank(t, at, 3)) {
            const uint32_t two = uint32_t(int(one) - f);
            const bool epNode = l.pawnsBothSides && EnPassantPossible(l, p, i);
            if (!(p.occupied & Bit(two)) && (epVictim >= 0 || !epNode)) {
                pred.sq[i] = uint8_t(two);
                pred.occupied = (p.occupied & ~Bit(at)) | Bit(two);
                LearnWithEp(g, pred, t, L, score);
            }
        }
        pred.sq[i] = uint8_t(at);
        pred.occupied = p.occupied;
    }
}

// The moves into a settled position and into each of its distinct mirror images.
void Propagate(Generation &g, const Position &p, uint32_t s, int epVictim, int32_t L, int32_t score) {
    uint64_t seen[8];
    int seenCount = 0;
    Position image{};
    for (int t = 0; t < g.transforms; t++) {
        TransformPosition(g, p, t, image);
        const uint64_t key = PackIndex(image, g.layout.slots);
        bool repeated = false;
        for (int k = 0; k < seenCount; k++)
            repeated |= seen[k] == key;
        if (repeated) continue;
        seen[seenCount++] = key;
        PropagateFrom(g, image, s, epVictim, L, score);
    }
}

void Sweep(Generation &g, bool progress, const char *name) {
    Position p;
    const auto start = std::chrono::steady_clock::now();
    for (int32_t L = 0; L <= g.maxLevel; L++) {
        const int16_t target = int16_t(L & 1 ? WinIn(L) : LossIn(L));
        uint64_t settled = 0;
        for (uint32_t s = 0; s < 2; s++) {
            int16_t *value = g.value[s].data();
            uint8_t *flags = g.flags[s].data();
            for (uint64_t index = 0; index < g.size; index++) {
                if (value[index] != target) continue;
                if (!(flags[index] & Resolved)) {
                    if (!(L & 1) || flags[index] & Illegal) continue;
                    flags[index] = Resolved; // its best move leaves the table
                }
                settled++;
                NodePosition(g, index, p);
                if (PassesOn(g, p, index)) Propagate(g, p, s, -1, L, target);
            }
        }
        for (EpNode &node : g.epNodes) {
            if (node.value != target) continue;
            if (!(node.flags & Resolved)) {
                if (!(L & 1)) continue;
                node.flags = Resolved;
            }
            NodePosition(g, node.key >> 4, p);
            Propagate(g, p, uint32_t(node.key >> 3 & 1), int(node.key & 7), L, target);
        }
        if (progress && (L % 10 == 9 || L == g.maxLevel)) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("%s: depth %d plies done (%llu settled at this depth), %.1f s\n", name, L,
                        static_cast<unsigned long long>(settled), seconds);
            std::fflush(stdout);
        }
    }
}

} // namespace

int TbGenTableId(const std::string &name) {
    for (int id = 1; id < TbTableCount; id++)
        if (name == TbDescriptors[id].name) return id;
    return -1;
}

std::vector<int> TbGenSubtables(int id) {
    Layout l;
    std::vector<int> result;
    if (id <= 0 || id >= TbTableCount || !LayoutOf(TbDescriptors[id].name, l)) return result;
    std::vector<uint32_t> keys;
    for (int victim = -1; victim < l.slots; victim++) {
        if (victim >= 0 && victim < 2) continue;
        // Captures alone, and promotions with or without a capture.
        keys.push_back(ChildKey(l, victim, -1, 0));
        for (int pawn = 2; pawn < l.slots; pawn++) {
            if (l.kind[pawn] != TbPawn || pawn == victim) continue;
            // Promotions take pieces on the last rank, never pawns.
            if (victim >= 0 && (l.color[victim] == l.color[pawn] || l.kind[victim] == TbPawn)) continue;
            for (uint32_t k = TbKnight; k <= TbQueen; k++)
                keys.push_back(ChildKey(l, victim, pawn, k));
        }
    }
    const uint32_t own = ChildKey(l, -1, -1, 0);
    for (int sub = 1; sub < TbTableCount; sub++) {
        const uint32_t a = MaterialKeyOfName(TbDescriptors[sub].name, false);
        const uint32_t b = MaterialKeyOfName(TbDescriptors[sub].name, true);
        for (uint32_t key : keys)
            if (key != own && (key == a || key == b)) {
                result.push_back(sub);
                break;
            }
    }
    return result;
}

namespace {

bool GenerateTable(int id, const std::string &directory, bool progress, TbGenReport &report, std::string &error) {
    InitIndexTables();
    InitSteps();
    report = TbGenReport{};
    report.id = id;
    const auto start = std::chrono::steady_clock::now();
    Generation g;
    if (id <= 0 || id >= TbTableCount || !LayoutOf(TbDescriptors[id].name, g.layout)) {
        error = "no such table";
        return false;
    }
    g.layout.id = id;
    const char *name = TbDescriptors[id].name;
    if (!LoadSubtables(g, directory, error)) return false;
    SetRegion(g);
    if (progress) {
        std::printf("%s: %llu placements per side to move, about %llu MB\n", name,
                    static_cast<unsigned long long>(g.size), static_cast<unsigned long long>(g.size * 6 >> 20));
        std::fflush(stdout);
    }
    InitialPass(g, std::max(1u, std::min(2u, std::thread::hardware_concurrency())), progress, name);
    if (g.failures != 0) {
        error = "moves out of the table met positions the smaller tables do not answer";
        return false;
    }
    if (progress) {
        std::printf("%s: moves counted, %.1f s\n", name,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        std::fflush(stdout);
    }
    Sweep(g, progress, name);
    if (!WriteTable(g, directory, report, error)) return false;
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return true;
}

} // namespace

bool TbGenerateTable(int id, const std::string &directory, bool progress, TbGenReport &report, std::string &error) {
    try {
        return GenerateTable(id, directory, progress, report, error);
    } catch (const std::bad_alloc &) {
        error = "not enough memory";
    } catch (const std::system_error &e) {
        error = e.what();
    }
    return false;
}

namespace {

bool GenerateWithSubtables(int id, const std::string &directory, bool force, TbGenOutput output,
                           std::vector<bool> &done, std::string &error) {
    if (done[size_t(id)]) return true;
    for (int sub : TbGenSubtables(id))
        if (!GenerateWithSubtables(sub, directory, false, output, done, error)) return false;
    done[size_t(id)] = true;
    if (!force && TbGenTablePresent(directory, id)) return true;
    TbGenReport report;
    if (!TbGenerateTable(id, directory, output == TbGenProgress, report, error)) {
        error = std::string(TbDescriptors[id].name) + ": " + error;
        return false;
    }
    if (output != TbGenSilent) TbGenPrintReport(report);
    return true;
}

} // namespace

bool TbGenerateTables(const std::vector<int> &ids, const std::string &directory, bool keepExisting, TbGenOutput output,
                      std::string &error) {
    InitIndexTables();
    std::vector<bool> done(TbTableCount, false);
    for (int id : ids)
        if (!GenerateWithSubtables(id, directory, !keepExisting, output, done, error)) return false;
    return true;
}
