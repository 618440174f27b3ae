// "Morvane.ini": whitespace-separated key and value words, in any order and
// layout. A later key overrides an earlier one; a value that does not read as
// its type ends the reading of the whole file.
#include "shell/Config.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "book/PolyglotBook.h"
#include "search/Strength.h"
#include "search/Threads.h"
#include "search/TranspositionTable.h"
#include "shell/EngineOptions.h"
#include "shell/InputReader.h"
#include "shell/Output.h"
#include "shell/ShellState.h"
#include "shell/StrengthOptions.h"
#include "tablebase/Syzygy.h"

namespace {

constexpr const char ConfigFileName[] = "Morvane.ini";

constexpr const char DefaultConfig[] = "BookLearn         FALSE\n"
                                       "ExtraPlySearch    3\n"
                                       "TbPath            D:\\tablebases\n"
                                       "TbCache           1\n"
                                       "Hash              16\n"
                                       "Resign            TRUE\n";

// Cuts the text into words; Next() gives the next one or false at the end.
struct WordCursor {
    const char *text;
    size_t length;
    size_t pos = 0;

    static bool Blank(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0;
    }
    bool Next(std::string &word) {
        while (pos < length && Blank(text[pos]))
            ++pos;
        if (pos >= length) return false;
        size_t start = pos;
        while (pos < length && !Blank(text[pos]))
            ++pos;
        word.assign(text + start, pos - start);
        return true;
    }
};

bool ParseDouble(const std::string &word, double &value) {
    char *end = nullptr;
    double v = std::strtod(word.c_str(), &end);
    if (end == word.c_str() || *end != 0 || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// The hash size as written, for the message about a size out of range.
std::string HashWord;

// An optional sign and at least one digit, nothing else.
bool IsDecimal(const std::string &word) {
    size_t i = word[0] == '+' || word[0] == '-' ? 1 : 0;
    if (i == word.size()) return false;
    for (; i < word.size(); ++i)
        if (word[i] < '0' || word[i] > '9') return false;
    return true;
}

enum class ReadResult { Read, Missing, Unreadable, TooLarge };

// Reads the whole file into text, at most MaxConfigBytes of it: a larger or
// endless file (a link to a device, say) is refused. On Unreadable, *error
// holds the system's reason.
ReadResult ReadFile(const char *name, std::string &text, int *error) {
    FILE *f = std::fopen(name, "rb");
    if (!f) {
        *error = errno;
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    }
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (text.size() + n > MaxConfigBytes) {
            std::fclose(f);
            return ReadResult::TooLarge;
        }
        text.append(chunk, n);
    }
    // A directory opens, but its read fails: no text is no settings.
    const bool failed = std::ferror(f);
    *error = failed ? errno : 0;
    std::fclose(f);
    return failed ? ReadResult::Unreadable : ReadResult::Read;
}

// Writes the default file under a temporary name and renames it, so that a
// full disk leaves no cut-off file that would stop every later start. On
// failure nothing is left behind and *error holds the reason.
bool WriteDefaultConfig(int *error) {
    constexpr const char TempName[] = "Morvane.ini.new";
    ::unlink(TempName); // a leftover of an earlier failed start
    int fd = ::open(TempName, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    const char *p = DefaultConfig;
    size_t left = sizeof DefaultConfig - 1;
    bool ok = true;
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = n < 0 ? errno : ENOSPC;
            ok = false;
        } else {
            p += n;
            left -= size_t(n);
        }
    }
    if (ok && ::fsync(fd) != 0 && errno != EINVAL) {
        *error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        *error = errno;
        ok = false;
    }
    if (ok && ::rename(TempName, ConfigFileName) != 0) {
        *error = errno;
        ok = false;
    }
    if (!ok) ::unlink(TempName);
    return ok;
}

} // namespace

int64_t ParseConfigText(const char *text, size_t length) {
    int64_t hash = HashNotGiven;
    WordCursor cursor{text, length};
    std::string word;
    bool haveWord = cursor.Next(word);
    while (haveWord) {
        if (word == "BookLearn") {
            if (!cursor.Next(word)) break;
            if (word == "TRUE") {
                BookLearn = 1;
            } else if (word == "FALSE") {
                BookLearn = 0;
            } else {
                PrintLine("WARNING: unknown BookLearn value");
            }
            continue; // the value word is looked at as a key as well
        }
        if (word == "ExtraPlySearch") {
            int32_t v;
            if (!cursor.Next(word) || !ParseInteger(word.c_str(), v)) break;
            ExtraPlySearch = v;
        } else if (word == "TbPath") {
            if (!cursor.Next(word)) break;
            if (word.size() < size_t(TbPathSize)) {
                std::memcpy(TbPath, word.c_str(), word.size() + 1);
            } else {
                PrintLine("WARNING: TbPath longer than 255 characters, ignored");
            }
        } else if (word == "TbCache") {
            double v;
            if (!cursor.Next(word) || !ParseDouble(word, v)) break;
            TbCache = v;
        } else if (word == "Hash") {
            int32_t v;
            if (!cursor.Next(word)) break;
            HashWord = word.size() > 40 ? word.substr(0, 40) + "..." : word;
            if (ParseInteger(word.c_str(), v)) {
                hash = v;
            } else if (IsDecimal(word)) {
                // Too many digits for any size: out of range like -1 or 0.
                hash = word[0] == '-' ? HugeNegativeHash : HugeHash;
            } else {
                break;
            }
        } else if (word == "BookFile") { // optional: a polyglot book used in place of the main book
            if (!cursor.Next(word)) break;
            PolyglotBook.name = word;
        } else if (word == "SyzygyPath") { // optional: no Syzygy tables when absent
            if (!cursor.Next(word)) break;
            SyzygyPath = word;
        } else if (word == "SyzygyProbeDepth") { // optional
            int32_t v;
            if (!cursor.Next(word) || !ParseInteger(word.c_str(), v)) break;
            SyzygyProbeDepth = std::clamp(v, int32_t(1), SyzygyProbeDepthMax);
        } else if (word == "MoveOverhead") { // optional: DefaultMoveOverhead when absent
            if (!cursor.Next(word)) break;
            int32_t v;
            if (!ParseInteger(word.c_str(), v) || v < 0 || v > MaxMoveOverhead) {
                std::printf("WARNING: MoveOverhead %.40s is not a whole number from 0 to %d, %d kept\n", word.c_str(),
                            int(MaxMoveOverhead), int(MoveOverhead));
                std::fflush(stdout);
            } else {
                MoveOverhead = v;
            }
        } else if (word == "Threads") { // optional: one search thread when absent
            int32_t v;
            if (!cursor.Next(word) || !ParseInteger(word.c_str(), v)) break;
            SetSearchThreads(v);
        } else if (IsStrengthKey(word)) { // optional: full strength when absent
            const std::string key = word;
            if (!cursor.Next(word)) break;
            ReadStrengthSetting(key, word);
        } else if (word == "Resign") {
            if (!cursor.Next(word)) break;
            if (word == "TRUE") {
                ResignEnabled = 1;
            } else if (word == "FALSE") {
                ResignEnabled = 0;
            } else {
                PrintLine("WARNING: unknown Resign value");
            }
        }
        haveWord = cursor.Next(word);
    }
    return hash;
}

// Why a file could not be used. Start-up lines never hold "Permission
// denied" or "No such file": xboard takes an engine that prints those words
// for one that failed to start, and gives up on it.
static const char *FileErrorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "access refused";
    case ENOENT:
    case ENOTDIR:
        return "missing";
    default:
        return std::strerror(error);
    }
}

int64_t ReadConfig() {
    BookLearn = -1;
    ExtraPlySearch = 3;
    MoveOverhead = DefaultMoveOverhead;
    std::strcpy(TbPath, "D:\\tablebases");
    TbCache = 1.0;
    ResignEnabled = 1;
    SyzygyPath.clear();
    SyzygyProbeDepth = 1;
    LimitStrength = 0;
    StrengthElo = DefaultStrengthElo;
    // Different in every run; a fixed "StrengthSeed" makes the level's choices repeatable.
    StrengthSeed = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^ (uint64_t(::getpid()) << 40);
    int64_t hash = -1;

    std::string text;
    int error = 0;
    const ReadResult read = ReadFile(ConfigFileName, text, &error);
    if (read == ReadResult::Read) {
        hash = ParseConfigText(text.data(), text.size());
    } else {
        if (read == ReadResult::Missing) {
            PrintLine("WARNING: Morvane.ini missing, create new");
            if (!WriteDefaultConfig(&error)) {
                std::printf("WARNING: cannot write Morvane.ini (%s), starting on the defaults\n", FileErrorText(error));
                std::fflush(stdout);
            }
        } else if (read == ReadResult::TooLarge) {
            // A file that is there is never replaced: it may be the user's.
            std::printf("ERROR: Morvane.ini is larger than %zu MB, not read; starting on the defaults\n",
                        MaxConfigBytes >> 20);
            std::fflush(stdout);
        } else {
            std::printf("ERROR: cannot read Morvane.ini (%s), starting on the defaults\n", FileErrorText(error));
            std::fflush(stdout);
        }
        // The defaults of a first start. Book learning is on for this run
        // although the new file says FALSE.
        hash = 16;
        BookLearn = 1;
        ResignEnabled = 1;
    }

    if (BookLearn == -1) {
        PrintLine("ERROR: option BookLearn not defined in Morvane.ini");
        std::exit(1);
    }
    if (hash == HashNotGiven) {
        PrintLine("ERROR: option Hash not defined in Morvane.ini");
        std::exit(1);
    }
    if (hash < MinHashMegabytes || hash > MaxHashMegabytes) {
        const int64_t used = hash < MinHashMegabytes ? MinHashMegabytes : MaxHashMegabytes;
        const std::string value = hash == HugeHash || hash == HugeNegativeHash ? HashWord : std::to_string(hash);
        std::printf("WARNING: Hash %s out of range (%lld to %lld), %lld used\n", value.c_str(),
                    (long long)MinHashMegabytes, (long long)MaxHashMegabytes, (long long)used);
        std::fflush(stdout);
        hash = used;
    }
    return hash;
}
