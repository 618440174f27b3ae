#include "shell/TestSuite.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "board/ChecksCapsGenerator.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "board/Setup.h"
#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"

char BestMoveTexts[MaxBestMoves][10];
uint32_t BestMoveCount = 0;
Move BestMoves[MaxBestMoves];
uint32_t BestMoveOperation = 0;

namespace {

constexpr int MaxTokenLength = 9;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Finds the operands of a "bm" operation after the position fields; returns
// the index just after the opcode, or 0 when there is none.
size_t FindBestMoveOperation(const char *text, size_t i) {
    // Optional half-move clock and move number.
    for (int field = 0; field < 2; field++) {
        size_t j = i;
        while (IsBlank(text[j]))
            j++;
        if (!IsDigit(text[j])) break;
        while (IsDigit(text[j]))
            j++;
        if (text[j] != 0 && !IsBlank(text[j]) && text[j] != ';') break;
        i = j;
    }
    for (;;) {
        while (IsBlank(text[i]) || text[i] == ';')
            i++;
        if (text[i] == 0) return 0;
        size_t start = i;
        while (text[i] != 0 && !IsBlank(text[i]) && text[i] != ';' && text[i] != '"')
            i++;
        if (i - start == 2 && text[start] == 'b' && text[start + 1] == 'm') return i;
        // Skip the operands up to the end of this operation, over quoted strings.
        while (text[i] != 0 && text[i] != ';') {
            if (text[i] == '"') {
                i++;
                while (text[i] != 0 && text[i] != '"')
                    i++;
                if (text[i] == 0) return 0;
            }
            i++;
        }
    }
}

} // namespace

uint32_t ReadMoveToken(const char *text, uint32_t &index) {
    while (text[index] == ' ' || text[index] == '+' || text[index] == '#')
        index++;
    auto tokenChar = [](char c) { return IsLetter(c) || IsDigit(c) || c == '-' || c == '='; };
    if (!tokenChar(text[index]) || BestMoveCount >= uint32_t(MaxBestMoves)) return 0;
    char *slot = BestMoveTexts[BestMoveCount];
    int length = 0;
    // A token longer than a slot is clipped; the index still moves past all of it.
    for (; tokenChar(text[index]); index++)
        if (length < MaxTokenLength) slot[length++] = text[index];
    slot[length] = 0;
    BestMoveCount++;
    return 1;
}

void ReadBestMoves(const char *text, size_t fieldsEnd) {
    BestMoveCount = 0;
    const size_t ops = FindBestMoveOperation(text, fieldsEnd);
    BestMoveOperation = ops != 0;
    if (ops == 0) return;
    uint32_t index = uint32_t(ops);
    while (ReadMoveToken(text, index)) {
    }
    for (uint32_t k = 0; k < BestMoveCount; k++)
        BestMoves[k] = ParseSanMove(BestMoveTexts[k], 1);
}

bool IsBestMove(Move m) {
    for (uint32_t i = 0; i < BestMoveCount && i < uint32_t(MaxBestMoves); ++i)
        if (MoveFrom(BestMoves[i]) == MoveFrom(m) && MoveTo(BestMoves[i]) == MoveTo(m)) return true;
    return false;
}

bool RightMoveSettled(Move best, int32_t stableIterations) {
    return stableIterations >= ExtraPlySearch && IsBestMove(best);
}

const BenchEntry BenchPositions[3] = {
    {"Positional - ", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"},
    {"Tactical   - ", "rnbqkb1r/pppp1ppp/3n4/8/2BQ4/5N2/PPP2PPP/RNB1K2R w KQkq -"},
    {"Endgame    - ", "8/3k4/4R3/1p1r1p2/p4P2/P1K1P3/1P6/8 w - -"},
};

namespace {

// The fixed-time runs search with their own limits, whatever the loop was
// doing: analysis and pondering would lift every time limit. The modes come
// back afterwards.
class OwnLimits {
  public:
    OwnLimits() : analyze_(AnalyzeMode), ponderSearch_(PonderSearch), ponderGuess_(PonderGuess) {
        AnalyzeMode = PonderSearch = PonderGuess = 0;
    }
    ~OwnLimits() {
        AnalyzeMode = analyze_;
        PonderSearch = ponderSearch_;
        PonderGuess = ponderGuess_;
    }
    OwnLimits(const OwnLimits &) = delete;
    OwnLimits &operator=(const OwnLimits &) = delete;

  private:
    uint32_t analyze_, ponderSearch_, ponderGuess_;
};

bool Asked(bool (*endRequested)()) { return endRequested != nullptr && endRequested(); }

} // namespace

int32_t RunTestSuite(const char *fileName, bool (*endRequested)()) {
    std::ifstream in(fileName);
    std::ofstream log("TestSuite.log");
    std::ofstream errors("err.epd", std::ios::app);

    OwnLimits limits;
    FixedTimeMode = 1;
    TestSuiteRunning = 1;
    std::printf("Testing from %s\nCurrent result 0 of 0\r", fileName);
    std::fflush(stdout);

    int32_t solved = 0, n = 0;
    double quality = 0.0;
    std::string line;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        ++n;
        Move m = 0;
        const bool ready = SetupGame(line.c_str());
        if (ready) {
            ClearSearchMemory();
            AllocateTime();
            m = ThinkSide(SideToMove);
        }
        log << "Position " << n << " - ";
        if (ready && IsBestMove(m)) {
            ++solved;
            quality += double(EngineClock - FailHighTime) / double(EngineClock > 0 ? EngineClock : 1);
            log << "solved in " << FailHighTime / 100 << " sec" << '\n';
        } else {
            errors << line << '\n';
            log << "> " << EngineClock / 100 << " sec" << '\n';
        }
        if (PostThinking) {
            char text[MoveTextSize];
            std::printf("Best moves:  ");
            for (uint32_t i = 0; ready && i < BestMoveCount && i < uint32_t(MaxBestMoves); ++i) {
                MoveToText(text, BestMoves[i]);
                std::printf(" %s", text);
            }
            MoveToText(text, m);
            std::printf("\nMorvane move: %s\n", text);
        }
        std::printf("Current result %d of %d (%g)       %s", solved, n, quality / n, PostThinking ? "\n" : "\r");
        std::fflush(stdout);
        if (Asked(endRequested)) break;
    }
    FixedTimeMode = 0;
    TestSuiteRunning = 0;
    std::printf("\n");
    std::fflush(stdout);
    return solved;
}

void BenchPosition(const char *fen) {
    FixedTimeMode = 1;
    if (SetupGame(fen)) {
        ClearSearchMemory();
        AllocateTime();
        ThinkSide(SideToMove);
        const int32_t t = ElapsedTime();
        const uint64_t k = (NodeCount + QuiesceNodeCount) * 100 / uint64_t(t > 0 ? t : 1);
        std::printf("time: %d\t%llu kNodes / sec\n", t,
                    static_cast<unsigned long long>(k / 1000 + (k % 1000 >= 500 ? 1 : 0)));
        std::fflush(stdout);
    }
    FixedTimeMode = 0;
}

void RunBench(int32_t centiseconds, bool (*endRequested)()) {
    OwnLimits limits;
    PostThinking = 0;
    EngineClock = centiseconds;
    SkipBook = 1;
    TestSuiteRunning = 1;
    for (const BenchEntry &b : BenchPositions) {
        std::printf("%s", b.label);
        std::fflush(stdout);
        BenchPosition(b.fen);
        if (Asked(endRequested)) break;
    }
    TestSuiteRunning = 0;
    SkipBook = 0;
    PostThinking = 1;
}

namespace {

void ListSide(const char *title, MoveEntry *begin, MoveEntry *end) {
    std::printf("%s", title);
    char text[MoveTextSize];
    for (MoveEntry *e = begin; e < end; ++e) {
        MoveToText(text, e->move);
        std::printf("%s ", text);
    }
    std::printf("\n");
}

} // namespace

void ListChecksAndCaptures() {
    MoveEntry list[MoveListSize];
    CaptureMargin = 1000;
    std::printf("\n");
    ListSide("white checks-caps:", list, GenerateWhiteChecksAndCaptures(list));
    ListSide("black checks-caps:", list, GenerateBlackChecksAndCaptures(list));
    std::fflush(stdout);
}

void PerftCommand(int32_t depth, bool (*endRequested)()) {
    if (depth <= 0) return;
    auto start = std::chrono::steady_clock::now();
    uint64_t leaves = PerftRoot(depth, endRequested);
    if (PerftAbandoned()) return; // a part of the tree is no count at all
    auto elapsed = std::chrono::steady_clock::now() - start;
    int64_t centiseconds = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 10;
    std::printf("Total nodes: %llu\ttime: %g\n", static_cast<unsigned long long>(leaves), double(centiseconds) / 100.0);
    std::fflush(stdout);
}
