#include "shell/GameSetup.h"

#include <cstdio>

#include "search/SearchState.h"
#include "shell/GameEnd.h"
#include "shell/ShellState.h"
#include "shell/TestSuite.h"

bool SetupGame(const char *text) {
    if (text == nullptr) text = "";
    if (TestSuiteRunning && PostThinking) {
        std::fputs("Setup from string\n", stdout);
        std::fputs(text, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    size_t fieldsEnd = 0;
    if (!SetupPosition(text, &fieldsEnd)) return false;
    ReadBestMoves(text, fieldsEnd);
    RootMovesExcludedCount = 0;

    BoardHistoryCount = 0;
    for (auto &score : RecentScores)
        score = 0;
    MoveStack[0] = MoveStack[1] = 0;
    EngineSide = NoEngineSide;
    GameResult = GameInProgress;
    GameFromStandardStart = PositionFen() == StartPosition;
    SetChess960Mode(Chess960Mode);
    if (BestMoveOperation) {
        CheckGameEnd();
        MovesToGo = MovesPerControl;
    }
    return true;
}
