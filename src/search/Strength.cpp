#include "search/Strength.h"

#include <cmath>

#include "search/RootSearch.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/Threads.h"

uint32_t LimitStrength = 0;
int32_t StrengthElo = DefaultStrengthElo;
uint64_t StrengthSeed = 0;

namespace {

// The anchor levels, weakest first; the levels between them are interpolated
// (the node budget on a logarithmic scale, the rest linearly). The columns:
// - nodes: the search's size. Fewer nodes miss more tactics.
// - spread: the error on each line's score. Large at the bottom, where a
//   player often prefers a worse move; small at the top.
// - lossCap: the worst loss a chosen move may have, as the level's own search
//   sees it. At 1400 nearly a minor piece; at 1800 only small slips. Pieces
//   are still lost at the low levels, through what the small search misses.
// Each anchor is the setting that scored nearest even against the reference
// engine's own level at 10 s + 0.1 s (scripts/strength-match.py; the results
// are in docs/STRENGTH.md). The engine at full strength scores about even at
// 1900 to 2000 on that scale, so no level above 1800 is offered.
// clang-format off
constexpr StrengthLevel Anchors[] = {
    // elo   nodes  spread  lossCap
    {1400,    5030,     93,     275},
    {1800,   60000,     25,      70},
};
// clang-format on
constexpr int AnchorCount = int(sizeof Anchors / sizeof Anchors[0]);
static_assert(Anchors[0].elo == MinStrengthElo && Anchors[AnchorCount - 1].elo == MaxStrengthElo);

// A small generator of its own (splitmix64), so the choices do not depend on
// the C library's.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    double Unit() { return double(Next() >> 11) * 0x1.0p-53; } // [0, 1)
    // About normal, mean 0 and deviation 1 (twelve uniforms), never past 6.
    double Normal() {
        double sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += Unit();
        return sum - 6;
    }
};

int32_t Between(int32_t a, int32_t b, double t) { return int32_t(std::lround(a + (b - a) * t)); }

// Only the lines shown while the level searches more than MultiPV asks for.
void (*ShownThinking)(int32_t, const char *) = nullptr;
int32_t ShownLines = 1;
void PrintShownLine(int32_t score, const char *marker) {
    if (CurrentLine < ShownLines) ShownThinking(score, marker);
}

// The search settings the level changes, put back on the way out.
struct LevelScope {
    int32_t multiPV = MultiPV;
    int32_t threads = SearchThreads();
    uint64_t iterationNodeLimit = IterationNodeLimit;
    uint32_t reduceDistantLines = ReduceDistantLines;
    void (*printThinking)(int32_t, const char *) = SearchHost.printThinking;

    // The budget ends the search only between iterations, so that the same
    // position gives the same search; an iteration that runs long is ended
    // by the clock, as any search is.
    explicit LevelScope(const StrengthLevel &level) {
        MultiPV = MultiPV > StrengthLines ? MultiPV : StrengthLines;
        SetSearchThreads(1); // helpers would make a level stronger, and its moves unrepeatable
        IterationNodeLimit = level.nodes;
        ReduceDistantLines = 0; // the levels were measured with every line searched alike
        ShownThinking = printThinking;
        ShownLines = multiPV;
        SearchHost.printThinking = PrintShownLine;
    }
    ~LevelScope() {
        MultiPV = multiPV;
        SetSearchThreads(threads);
        IterationNodeLimit = iterationNodeLimit;
        ReduceDistantLines = reduceDistantLines;
        SearchHost.printThinking = printThinking;
    }
    LevelScope(const LevelScope &) = delete;
    LevelScope &operator=(const LevelScope &) = delete;
};

} // namespace

StrengthLevel LevelFor(int32_t elo) {
    if (elo <= Anchors[0].elo) return Anchors[0];
    if (elo >= Anchors[AnchorCount - 1].elo) return Anchors[AnchorCount - 1];
    int i = 1;
    while (Anchors[i].elo < elo)
        ++i;
    const StrengthLevel &low = Anchors[i - 1], &high = Anchors[i];
    const double t = double(elo - low.elo) / double(high.elo - low.elo);
    StrengthLevel level;
    level.elo = elo;
    level.nodes =
        uint64_t(std::llround(std::exp(std::log(double(low.nodes)) * (1 - t) + std::log(double(high.nodes)) * t)));
    level.spread = Between(low.spread, high.spread, t);
    level.lossCap = Between(low.lossCap, high.lossCap, t);
    return level;
}

int32_t ChooseLine(const int32_t *scores, int32_t count, const StrengthLevel &level, uint64_t random) {
    int32_t best = 0;
    for (int32_t i = 1; i < count; ++i)
        if (scores[i] > scores[best]) best = i;
    Random r{random};
    int32_t chosen = best;
    double top = 0;
    bool any = false;
    for (int32_t i = 0; i < count; ++i) {
        const double error = level.spread * r.Normal(); // drawn for every line: the same seed, the same errors
        if (int64_t(scores[best]) - scores[i] > level.lossCap) continue;
        const double value = scores[i] + error;
        if (!any || value > top) {
            any = true;
            top = value;
            chosen = i;
        }
    }
    return chosen;
}

Move ThinkForMove(uint32_t side) {
    if (!LimitStrength) return ThinkSide(side);
    const StrengthLevel level = LevelFor(StrengthElo);
    Move played;
    {
        const LevelScope scope(level);
        played = ThinkSide(side);
    }
    // A book move or the only legal move: nothing was searched to choose from.
    if (played == 0 || IterationDepth == 0) return played;

    // The lines the search finished (a stopped search may leave some unsearched).
    const int32_t sign = side == White ? 1 : -1;
    int32_t scores[MaxPrincipalLines], lines[MaxPrincipalLines];
    int32_t count = 0;
    for (int32_t k = 0; k < PrincipalLineCount; ++k) {
        if (PrincipalLines[k].moves[0] == 0) continue;
        scores[count] = sign * PrincipalLines[k].score;
        lines[count++] = k;
    }
    if (count == 0) return played;

    // The same seed and position give the same choice.
    const int32_t k = lines[ChooseLine(scores, count, level, StrengthSeed ^ HashKey)];
    LoadPrincipalLine(k);
    BestScore = sign * PrincipalLines[k].score;
    return PrincipalLines[k].moves[0];
}
