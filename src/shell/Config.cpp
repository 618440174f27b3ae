// "Morvane.ini": whitespace-separated key and value words, in any order and
// layout. A later key overrides an earlier one; a value that does not read as
// its type ends the reading of the whole file.
#include "shell/Config.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/InputReader.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

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

bool ReadFile(const char *name, std::string &text) {
    FILE *f = std::fopen(name, "rb");
    if (!f) return false;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    std::fclose(f);
    return true;
}

} // namespace

int64_t ParseConfigText(const char *text, size_t length) {
    int64_t hash = -1;
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
            if (!cursor.Next(word) || !ParseInteger(word.c_str(), v)) break;
            hash = v;
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

int64_t ReadConfig() {
    BookLearn = -1;
    ExtraPlySearch = 3;
    std::strcpy(TbPath, "D:\\tablebases");
    TbCache = 1.0;
    ResignEnabled = 1;
    int64_t hash = -1;

    std::string text;
    if (!ReadFile(ConfigFileName, text)) {
        PrintLine("WARNING: Morvane.ini not found, create new");
        if (FILE *f = std::fopen(ConfigFileName, "w")) {
            std::fputs(DefaultConfig, f);
            std::fclose(f);
        }
        // Book learning is on for this run although the new file says FALSE.
        hash = 16;
        BookLearn = 1;
        ResignEnabled = 1;
    } else {
        hash = ParseConfigText(text.data(), text.size());
    }

    if (BookLearn == -1) {
        PrintLine("ERROR: option BookLearn not defined in Morvane.ini");
        std::exit(1);
    }
    if (hash == -1) {
        PrintLine("ERROR: option Hash not defined in Morvane.ini");
        std::exit(1);
    }
    return hash;
}
