#include "shell/ShellState.h"

uint32_t AnalyzeMode = 0;
uint32_t EngineSide = 1;
uint32_t PonderEnabled = 0;
uint32_t FritzMode = 0;
uint8_t UciMode = 0;
char PendingCommand[PendingCommandSize] = {};
uint32_t PostThinking = 1;
uint32_t Interruptible = 1;
uint8_t OpponentIsComputer = 0;
uint32_t GameResult = 3;
int32_t EngineClock = 300000;
uint32_t MovesPerControl = 0;
uint32_t MovesToGo = 0;
int32_t Increment = 0;
int32_t BookLearn = -1;
uint32_t TestSuiteRunning = 0;

uint8_t ResignEnabled = 1;
int32_t ExtraPlySearch = 3;
char TbPath[TbPathSize] = "D:\\tablebases";
double TbCache = 1.0;

uint32_t Pondering = 0;
uint32_t PonderSearch = 0;
uint32_t PonderGuess = 0;

uint32_t BoardHistory[BoardHistorySize][120];
uint32_t BoardHistoryCount = 0;
int32_t RecentScores[3] = {0, 0, 0};
