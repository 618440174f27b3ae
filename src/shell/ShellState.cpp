#include "shell/ShellState.h"

#include "board/MoveText.h"
#include "search/SearchState.h"
#include "shell/GameEnd.h"
#include "shell/InputPoll.h"
#include "shell/MoveText.h"
#include "shell/Output.h"
#include "shell/TestSuite.h"

uint32_t FritzMode = 0;
char PendingCommand[PendingCommandSize] = {};
uint32_t PostThinking = 1;
uint32_t Interruptible = 1;
uint32_t GameResult = GameInProgress;
int32_t BookLearn = -1;
uint32_t TestSuiteRunning = 0;
uint32_t ShowWinChances = 0;
uint32_t Chess960Mode = 0;
uint32_t GameFromStandardStart = 1;

void SetChess960Mode(uint32_t on) {
    Chess960Mode = on;
    CastlingOutput = !on ? KingToDestination : UciMode ? KingTakesRook : CastlingLetters;
    BookBarred = CastlingAnyLayout || (Chess960Mode && !GameFromStandardStart);
}

uint8_t ResignEnabled = 1;
char TbPath[TbPathSize] = "D:\\tablebases";
double TbCache = 1.0;
int32_t ExtraPlySearch = 3;

uint32_t Pondering = 0;

uint32_t BoardHistory[BoardHistorySize][120];
uint32_t BoardHistoryCount = 0;
int32_t RecentScores[3] = {0, 0, 0};

void InstallSearchHost() {
    SearchHost = {CheckInput,   PrintThinking, PrintCurrentMove, PrintTimeLimits,
                  PrintMessage, BoardRepeats,  RightMoveSettled};
    PrintNotice = PrintMessage;
}
