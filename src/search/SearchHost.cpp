#include "search/SearchHost.h"

namespace {

uint32_t NoInput() { return 0; }
void NoThinking(int32_t, const char *) {}
uint32_t NoRepetition() { return 0; }

} // namespace

SearchHooks SearchHost = {NoInput, NoThinking, NoRepetition};

uint8_t UciMode = 0;
uint32_t AnalyzeMode = 0;
uint32_t PonderEnabled = 0;
uint32_t PonderSearch = 0;
uint32_t PonderGuess = 0;

int32_t EngineClock = 300000;
uint32_t MovesPerControl = 0;
uint32_t MovesToGo = 0;
int32_t Increment = 0;

int32_t ExtraPlySearch = 3;
