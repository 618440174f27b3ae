#include "search/SearchHost.h"

#include <cstdio>

namespace {

uint32_t NoInput() { return 0; }
void NoThinking(int32_t, const char *) {}
void NoRootMove(int32_t, Move) {}
void NoLimits() {}
void PlainMessage(const char *text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
uint32_t NoRepetition() { return 0; }
bool NeverSettled(Move, int32_t) { return false; }

} // namespace

SearchHooks SearchHost = {NoInput, NoThinking, NoRootMove, NoLimits, PlainMessage, NoRepetition, NeverSettled};

uint8_t UciMode = 0;
uint32_t AnalyzeMode = 0;
uint32_t PonderEnabled = 0;
uint32_t PonderSearch = 0;
uint32_t PonderGuess = 0;

int32_t EngineClock = 300000;
uint32_t MovesPerControl = 0;
uint32_t MovesToGo = 0;
int32_t Increment = 0;
int32_t MoveOverhead = 0;

int32_t MultiPV = 1;
