#include "shell/StrengthOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "search/Strength.h"
#include "shell/EngineOptions.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

namespace {

bool Named(const std::string &name, const char *a, const char *b) {
    return EqualNoCase(name, a) || EqualNoCase(name, b);
}

// The names the interface knows them by.
const char *LimitName() { return UciMode ? "UCI_LimitStrength" : "Limit Strength"; }
const char *EloName() { return UciMode ? "UCI_Elo" : "Elo"; }

enum class EloRead { Taken, Clamped, NotANumber };

// An Elo from an optional sign and decimal digits; out of range (however
// many digits) it is clamped to the nearest level offered.
EloRead ReadElo(const std::string &text, int32_t &elo) {
    const char *p = text.c_str();
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (*p == 0) return EloRead::NotANumber;
    int64_t v = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9') return EloRead::NotANumber;
        if (v < 1000000) v = v * 10 + (*p - '0'); // past that, any value is out of range alike
    }
    if (negative) v = -v;
    if (v >= MinStrengthElo && v <= MaxStrengthElo) {
        elo = int32_t(v);
        return EloRead::Taken;
    }
    elo = v < MinStrengthElo ? MinStrengthElo : MaxStrengthElo;
    return EloRead::Clamped;
}

// "Elo 1000 out of range (1400 to 1800), 1400 used", the value cut short.
void PrintClamped(const char *prefix, const char *name, const std::string &text, int32_t used) {
    std::printf("%s%s %.20s%s out of range (%d to %d), %d used\n", prefix, name, text.c_str(),
                text.size() > 20 ? "..." : "", int(MinStrengthElo), int(MaxStrengthElo), int(used));
    std::fflush(stdout);
}

void PrintLevel() {
    char line[96];
    if (LimitStrength)
        std::snprintf(line, sizeof line, "playing at Elo %d", int(StrengthElo));
    else
        std::snprintf(line, sizeof line, "playing at full strength");
    PrintMessage(line);
}

} // namespace

void PrintStrengthOptionLines(bool xboard) {
    if (xboard) {
        std::printf("feature option=\"Limit Strength -check %d\"\n", LimitStrength ? 1 : 0);
        std::printf("feature option=\"Elo -spin %d %d %d\"\n", int(StrengthElo), int(MinStrengthElo),
                    int(MaxStrengthElo));
    } else {
        std::printf("option name UCI_LimitStrength type check default %s\n", LimitStrength ? "true" : "false");
        std::printf("option name UCI_Elo type spin default %d min %d max %d\n", int(StrengthElo), int(MinStrengthElo),
                    int(MaxStrengthElo));
    }
}

bool IsStrengthOption(const std::string &name) {
    return Named(name, "UCI_LimitStrength", "Limit Strength") || Named(name, "UCI_Elo", "Elo");
}

bool SetStrengthOption(const std::string &name, const std::string &value, bool *known) {
    *known = IsStrengthOption(name);
    if (!*known) return false;
    if (Named(name, "UCI_LimitStrength", "Limit Strength")) {
        if (!IsTrue(value) && !IsFalse(value)) return false;
        const uint32_t was = LimitStrength;
        LimitStrength = IsTrue(value) ? 1 : 0;
        if (LimitStrength != was) PrintLevel();
        return true;
    }
    int32_t elo = StrengthElo;
    const EloRead read = ReadElo(value, elo);
    if (read == EloRead::NotANumber) return false;
    if (read == EloRead::Clamped) PrintClamped(MessagePrefix, EloName(), value, elo);
    StrengthElo = elo;
    // Setting the level alone does not weaken the play.
    if (!LimitStrength) {
        char line[128];
        std::snprintf(line, sizeof line, "%s %d applies once %s is on", EloName(), int(elo), LimitName());
        PrintMessage(line);
    }
    return true;
}

bool IsStrengthKey(const std::string &key) { return key == "LimitStrength" || key == "Elo" || key == "StrengthSeed"; }

void ReadStrengthSetting(const std::string &key, const std::string &value) {
    if (key == "LimitStrength") {
        if (value == "TRUE" || value == "FALSE")
            LimitStrength = value == "TRUE" ? 1 : 0;
        else
            PrintLine("WARNING: unknown LimitStrength value");
    } else if (key == "Elo") {
        int32_t elo = StrengthElo;
        const EloRead read = ReadElo(value, elo);
        if (read == EloRead::NotANumber) {
            std::printf("WARNING: Elo %.20s is not a number, %d kept\n", value.c_str(), int(StrengthElo));
            std::fflush(stdout);
            return;
        }
        if (read == EloRead::Clamped) PrintClamped("WARNING: ", "Elo", value, elo);
        StrengthElo = elo;
    } else if (key == "StrengthSeed") {
        char *end = nullptr;
        errno = 0;
        const unsigned long long seed = std::strtoull(value.c_str(), &end, 10);
        if (value.empty() || value[0] < '0' || value[0] > '9' || *end != 0 || errno == ERANGE) {
            std::printf("WARNING: StrengthSeed %.20s is not a whole number from 0 to %llu, ignored\n", value.c_str(),
                        (unsigned long long)UINT64_MAX);
            std::fflush(stdout);
            return;
        }
        StrengthSeed = seed;
    }
}
