// Table files of the generator: reading the smaller tables, writing and
// counting a finished one, byte meaning and the report.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tablebase/Generator.h"
#include "tablebase/GeneratorState.h"
#include "tablebase/TableList.h"
#include "tablebase/TablebaseAccess.h"

namespace tbgen {

namespace {

bool ReadWhole(const std::string &path, uint32_t length, std::vector<int8_t> &bytes) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    bytes.resize(length);
    const size_t n = std::fread(bytes.data(), 1, length, f);
    const bool more = std::fgetc(f) != EOF;
    std::fclose(f);
    return n == length && !more;
}

bool WriteWhole(const std::string &path, const std::vector<int8_t> &bytes) {
    const std::string temporary = path + ".part";
    std::FILE *f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

bool LoadSubtables(Generation &g, const std::string &directory, std::string &error) {
    for (int sub : TbGenSubtables(g.layout.id)) {
        Subtable t;
        t.id = sub;
        t.key = MaterialKeyOfName(TbDescriptors[sub].name, false);
        for (int side = 0; side < 2; side++) {
            const std::string path = TbGenFilePath(directory, sub, side);
            t.bytes[side] = std::make_shared<std::vector<int8_t>>();
            if (!ReadWhole(path, TbDescriptors[sub].expectedLength[side], *t.bytes[side])) {
                error = "cannot read " + path + " (missing or of the wrong size)";
                return false;
            }
        }
        const uint32_t swappedKey = MaterialKeyOfName(TbDescriptors[sub].name, true);
        if (swappedKey != t.key) {
            Subtable r;
            r.id = sub;
            r.key = swappedKey;
            r.reversed = true;
            r.bytes[0] = t.bytes[0];
            r.bytes[1] = t.bytes[1];
            g.subtables.push_back(std::move(r));
        }
        g.subtables.push_back(std::move(t));
    }
    Subtable bare;
    bare.key = 0;
    g.subtables.push_back(std::move(bare));
    return true;
}

bool WriteTable(Generation &g, const std::string &directory, TbGenReport &report, std::string &error) {
    const Layout &l = g.layout;
    const TbDescriptor &d = TbDescriptors[l.id];
    for (uint32_t s = 0; s < 2; s++) {
        std::vector<int8_t> bytes(d.expectedLength[s], 0);
        std::vector<bool> written(d.expectedLength[s], false);
        TbGenSideReport &r = report.side[s];
        uint64_t conflicts = 0, outOfRange = 0, tooDeep = 0;
        Position p;
        auto store = [&](uint64_t index, uint32_t ep, int32_t score) {
            NodePosition(g, index, p);
            uint32_t arrays[2][8];
            for (uint32_t c = 0; c < 2; c++)
                SquareArray(l, p, c, -1, -1, 0, arrays[c]);
            const uint32_t at = d.indexFunction[s](arrays[0], arrays[1], ep, 0);
            if (at >= bytes.size()) {
                outOfRange++;
                return;
            }
            int8_t byte;
            if (!TbGenByteOfScore(score, byte)) {
                tooDeep++;
                byte = 0;
            }
            if (written[at]) {
                conflicts += bytes[at] != byte;
                return;
            }
            written[at] = true;
            bytes[at] = byte;
            r.positions++;
            if (score > 0) {
                r.wins++;
                r.longestWin = std::max<uint32_t>(r.longestWin, uint32_t(PliesOf(score) + 1) / 2);
            } else if (score < 0) {
                r.losses++;
                r.longestLoss = std::max<uint32_t>(r.longestLoss, uint32_t(PliesOf(score)) / 2);
            } else {
                r.draws++;
            }
        };
        for (uint64_t index = 0; index < g.size; index++) {
            const uint8_t f = g.flags[s][index];
            if (f & Illegal) continue;
            store(index, TbNoEpSquare, f & Resolved ? g.value[s][index] : 0);
        }
        for (const EpNode &node : g.epNodes) {
            if ((node.key >> 3 & 1) != s) continue;
            const int victim = int(node.key & 7);
            NodePosition(g, node.key >> 4, p);
            const uint32_t ep = uint32_t(int(p.sq[victim]) - PawnForward(l.color[victim]));
            store(node.key >> 4, ep, node.flags & Resolved ? node.value : 0);
        }
        if (conflicts || outOfRange || tooDeep) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "%s side %u: %llu positions disagree with their mirror images, %llu outside the file, "
                          "%llu too deep for a byte",
                          d.name, s, static_cast<unsigned long long>(conflicts),
                          static_cast<unsigned long long>(outOfRange), static_cast<unsigned long long>(tooDeep));
            error = text;
            return false;
        }
        const std::string path = TbGenFilePath(directory, l.id, int(s));
        if (!WriteWhole(path, bytes)) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

} // namespace tbgen

using namespace tbgen;

int32_t TbGenScoreOfByte(int8_t byte) {
    if (byte == 0) return 0;
    if (byte == 127) return TbGenUnknown;
    if (byte == -128) return WinIn(2 * 127 - 1);
    if (byte == -127) return LossIn(2 * 126);
    if (byte > 0) return WinIn(2 * (127 - byte) - 1);
    return LossIn(2 * (byte + 126));
}

bool TbGenByteOfScore(int32_t score, int8_t &byte) {
    byte = 0;
    if (score == 0) return true;
    if (score > 0) {
        const int32_t moves = (PliesOf(score) + 1) / 2;
        if (moves < 1 || moves > 127) return false;
        byte = moves == 127 ? int8_t(-128) : int8_t(127 - moves);
        return true;
    }
    const int32_t moves = PliesOf(score) / 2;
    if (moves < 0 || moves > 126) return false;
    byte = moves == 126 ? int8_t(-127) : int8_t(moves - 126);
    return true;
}

std::string TbGenFilePath(const std::string &directory, int id, int side) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + TbDescriptors[id].name + (side == 0 ? ".nbw" : ".nbb");
}

bool TbGenTablePresent(const std::string &directory, int id) {
    for (int side = 0; side < 2; side++) {
        struct stat info;
        const std::string path = TbGenFilePath(directory, id, side);
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            uint64_t(info.st_size) != TbDescriptors[id].expectedLength[side])
            return false;
    }
    return true;
}

void TbGenPrintReport(const TbGenReport &report) {
    const char *name = TbDescriptors[report.id].name;
    for (int s = 0; s < 2; s++) {
        const TbGenSideReport &r = report.side[s];
        std::printf("%s.%s: %llu positions: %llu wins, %llu draws, %llu losses; longest win %u moves, longest loss %u "
                    "moves\n",
                    name, s == 0 ? "nbw" : "nbb", static_cast<unsigned long long>(r.positions),
                    static_cast<unsigned long long>(r.wins), static_cast<unsigned long long>(r.draws),
                    static_cast<unsigned long long>(r.losses), r.longestWin, r.longestLoss);
    }
    std::printf("%s: written in %.1f s\n", name, report.seconds);
    std::fflush(stdout);
}
