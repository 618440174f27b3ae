// Settings an interface may change while the engine runs, shared by both
// protocols: announced as UCI "option" lines or xboard option features.
#include "shell/EngineOptions.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "book/Book.h"
#include "book/PolyglotBook.h"
#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/Threads.h"
#include "search/TranspositionTable.h"
#include "shell/InputReader.h"
#include "shell/Output.h"
#include "shell/ShellState.h"
#include "shell/StrengthOptions.h"
#include "tablebase/Syzygy.h"
#include "tablebase/TablebaseAccess.h"

bool EqualNoCase(const std::string &a, const char *b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsTrue(const std::string &value) { return EqualNoCase(value, "true") || value == "1"; }
bool IsFalse(const std::string &value) { return EqualNoCase(value, "false") || value == "0"; }

namespace {

// An integer within [low, high], nothing else.
bool ParseSpin(const std::string &value, int32_t low, int32_t high, int32_t &result) {
    int32_t v;
    if (!ParseInteger(value.c_str(), v) || v < low || v > high) return false;
    result = v;
    return true;
}

void PrintSyzygyOptionLines(bool xboard) {
    if constexpr (!SyzygyCompiledIn) return;
    if (xboard) {
        std::printf("feature option=\"SyzygyPath -path %s\"\n", SyzygyPath.c_str());
        std::printf("feature option=\"SyzygyProbeDepth -spin %d 1 %d\"\n", int(SyzygyProbeDepth),
                    int(SyzygyProbeDepthMax));
        std::printf("feature option=\"SyzygyProbeLimit -spin %d 0 %d\"\n", int(SyzygyProbeLimit),
                    int(SyzygyProbeLimitMax));
        std::printf("feature option=\"Syzygy50MoveRule -check %d\"\n", Syzygy50MoveRule ? 1 : 0);
    } else {
        std::printf("option name SyzygyPath type string default %s\n",
                    SyzygyPath.empty() ? "<empty>" : SyzygyPath.c_str());
        std::printf("option name SyzygyProbeDepth type spin default %d min 1 max %d\n", int(SyzygyProbeDepth),
                    int(SyzygyProbeDepthMax));
        std::printf("option name SyzygyProbeLimit type spin default %d min 0 max %d\n", int(SyzygyProbeLimit),
                    int(SyzygyProbeLimitMax));
        std::printf("option name Syzygy50MoveRule type check default %s\n", Syzygy50MoveRule ? "true" : "false");
    }
}

// The Syzygy settings: `known` tells whether the name is one of them (never
// in a build that reads no Syzygy tables); false for a value that does not fit.
bool SetSyzygyOption(const std::string &name, const std::string &value, bool &known) {
    known = false;
    if (!SyzygyCompiledIn) return false;
    if (EqualNoCase(name, "SyzygyPath")) {
        known = true;
        LoadSyzygyTables(value == "<empty>" ? std::string() : value);
        return true;
    }
    if (EqualNoCase(name, "SyzygyProbeDepth")) {
        known = true;
        return ParseSpin(value, 1, SyzygyProbeDepthMax, SyzygyProbeDepth);
    }
    if (EqualNoCase(name, "SyzygyProbeLimit")) {
        known = true;
        int32_t limit;
        if (!ParseSpin(value, 0, SyzygyProbeLimitMax, limit)) return false;
        SetSyzygyProbeLimit(limit);
        return true;
    }
    if (EqualNoCase(name, "Syzygy50MoveRule")) {
        known = true;
        if (!IsTrue(value) && !IsFalse(value)) return false;
        Syzygy50MoveRule = IsTrue(value);
        return true;
    }
    return false;
}

} // namespace

void PrintOptionLines(bool xboard) {
    char hash[64], cache[64];
    std::snprintf(hash, sizeof hash, "%lld", (long long)(HashEntries * sizeof(HashEntry) / 1048576));
    std::snprintf(cache, sizeof cache, "%d", int(TbCache < 1 ? 1 : TbCache));
    if (xboard) {
        std::printf("feature option=\"Clear Hash -button\"\n");
        std::printf("feature option=\"OwnBook -check %d\"\n", SkipBook ? 0 : 1);
        std::printf("feature option=\"BookFile -file %s\"\n", PolyglotBook.name.c_str());
        std::printf("feature option=\"Resign -check %d\"\n", ResignEnabled ? 1 : 0);
        std::printf("feature option=\"TbPath -string %s\"\n", TbPath);
        std::printf("feature option=\"TbCache -spin %s 1 1024\"\n", cache);
        std::printf("feature option=\"MultiPV -spin %d 1 %d\"\n", int(MultiPV), MaxPrincipalLines);
    } else {
        std::printf("option name Hash type spin default %s min %lld max %lld\n", hash, (long long)MinHashMegabytes,
                    (long long)MaxHashMegabytes);
        std::printf("option name Clear Hash type button\n");
        std::printf("option name Ponder type check default %s\n", PonderEnabled ? "true" : "false");
        std::printf("option name OwnBook type check default %s\n", SkipBook ? "false" : "true");
        std::printf("option name BookFile type string default %s\n",
                    PolyglotBook.name.empty() ? "<empty>" : PolyglotBook.name.c_str());
        std::printf("option name TbPath type string default %s\n", TbPath);
        std::printf("option name TbCache type spin default %s min 1 max 1024\n", cache);
        std::printf("option name UCI_Chess960 type check default %s\n", Chess960Mode ? "true" : "false");
        std::printf("option name Threads type spin default %d min 1 max %d\n", int(SearchThreads()),
                    int(MaxSearchThreads));
        std::printf("option name MultiPV type spin default %d min 1 max %d\n", int(MultiPV), MaxPrincipalLines);
        std::printf("option name Move Overhead type spin default %d min 0 max %d\n", int(MoveOverhead),
                    int(MaxMoveOverhead));
        std::printf("option name UCI_ShowWDL type check default %s\n", ShowWinChances ? "true" : "false");
    }
    PrintStrengthOptionLines(xboard);
    PrintSyzygyOptionLines(xboard);
    std::fflush(stdout);
}

void LoadSyzygyTables(const std::string &path) {
    const SyzygyLoadResult r = SyzygyInit(path);
    size_t start = 0;
    while (start < r.warnings.size()) {
        const size_t end = std::min(r.warnings.find('\n', start), r.warnings.size());
        PrintLine(MessagePrefix, r.warnings.substr(start, end - start).c_str());
        start = end + 1;
    }
    if (path.empty()) {
        PrintLine(MessagePrefix, "Syzygy tables off");
    } else if (r.tables > 0) {
        const std::string found = "found " + std::to_string(r.tables) + " Syzygy tables";
        PrintLine(MessagePrefix, found.c_str());
    }
}

bool SetEngineOption(const std::string &name, const std::string &value) {
    bool syzygyName = false;
    const bool syzygySet = SetSyzygyOption(name, value, syzygyName);
    if (syzygyName) return syzygySet;
    bool strengthName = false;
    const bool strengthSet = SetStrengthOption(name, value, &strengthName);
    if (strengthName) return strengthSet;
    if (EqualNoCase(name, "Hash")) {
        int32_t mb;
        if (!ParseInteger(value.c_str(), mb)) return false;
        AllocateHash(mb);
        return true;
    }
    if (EqualNoCase(name, "Clear Hash")) {
        ClearSearchMemory();
        return true;
    }
    if (EqualNoCase(name, "Ponder")) {
        PonderEnabled = IsTrue(value) ? 1 : 0;
        return true;
    }
    if (EqualNoCase(name, "OwnBook")) {
        SkipBook = IsTrue(value) ? 0 : 1;
        return true;
    }
    if (EqualNoCase(name, "BookFile")) { // a polyglot book; empty for none
        LoadPolyglotBook(value == "<empty>" ? "" : value);
        BookMisses = 0;
        return true;
    }
    if (EqualNoCase(name, "Resign")) {
        ResignEnabled = IsTrue(value) ? 1 : 0;
        return true;
    }
    if (EqualNoCase(name, "UCI_Chess960")) {
        SetChess960Mode(IsTrue(value) ? 1 : 0);
        return true;
    }
    if (EqualNoCase(name, "Threads")) {
        int32_t n;
        if (!ParseInteger(value.c_str(), n) || n < 1) return false;
        SetSearchThreads(n);
        return true;
    }
    if (EqualNoCase(name, "MultiPV")) {
        int32_t n;
        if (!ParseInteger(value.c_str(), n) || n < 1 || n > MaxPrincipalLines) return false;
        MultiPV = n;
        return true;
    }
    if (EqualNoCase(name, "Move Overhead")) {
        int32_t ms;
        if (!ParseInteger(value.c_str(), ms) || ms < 0 || ms > MaxMoveOverhead) return false;
        MoveOverhead = ms;
        return true;
    }
    if (EqualNoCase(name, "UCI_ShowWDL")) {
        if (!IsTrue(value) && !IsFalse(value)) return false;
        ShowWinChances = IsTrue(value) ? 1 : 0;
        return true;
    }
    if (EqualNoCase(name, "TbPath")) {
        if (value.size() >= size_t(TbPathSize)) return false;
        std::memcpy(TbPath, value.c_str(), value.size() + 1);
        StartTablebases(TbPath, TbCache);
        return true;
    }
    if (EqualNoCase(name, "TbCache")) {
        char *end = nullptr;
        double mb = std::strtod(value.c_str(), &end);
        if (end == value.c_str() || *end != 0 || !(mb >= 0 && mb <= 1048576)) return false;
        TbCache = mb;
        StartTablebases(TbPath, TbCache);
        return true;
    }
    return false;
}

bool IsEngineOption(const std::string &name) {
    for (const char *known : {"Hash", "Clear Hash", "Ponder", "OwnBook", "BookFile", "Resign", "Threads",
                              "UCI_Chess960", "MultiPV", "Move Overhead", "UCI_ShowWDL", "TbPath", "TbCache"})
        if (EqualNoCase(name, known)) return true;
    if (IsStrengthOption(name)) return true;
    if (SyzygyCompiledIn)
        for (const char *known : {"SyzygyPath", "SyzygyProbeDepth", "SyzygyProbeLimit", "Syzygy50MoveRule"})
            if (EqualNoCase(name, known)) return true;
    return false;
}
