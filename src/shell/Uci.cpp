// The UCI front end: identification, isready, position, go, quit.
#include "shell/Uci.h"

#include <cstdio>
#include <cstring>

#include "search/RootSearch.h"
#include "search/TimeManager.h"
#include "shell/GameMoves.h"
#include "shell/GameSetup.h"
#include "shell/InputReader.h"
#include "shell/MoveText.h"
#include "shell/ShellState.h"

namespace {

constexpr size_t UciLineSize = 10000;
char UciLine[UciLineSize];

void WriteLine(const char *text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Plays the blank-separated moves of a "moves" list; unknown tokens are dropped.
void PlayMoveList(const char *list) {
    char token[UciLineSize];
    for (;;) {
        size_t n = std::strcspn(list, " ");
        if (n > 0 && n < sizeof token) {
            std::memcpy(token, list, n);
            token[n] = 0;
            UserMove(token);
        }
        if (list[n] == 0) return;
        list += n + 1; // exactly one blank: two blanks give an empty token
    }
}

void SetupFromPositionLine(const char *line) {
    const char *fen = std::strstr(line, "fen");
    const char *moves = std::strstr(line, "moves");
    if (fen != nullptr && std::strstr(fen, "startpos") == nullptr && std::strlen(fen) >= 4) {
        // The FEN reader takes its fields from the front; a trailing "moves"
        // list is cut off so it cannot be mistaken for EPD operations.
        char text[UciLineSize];
        size_t length = moves != nullptr && moves > fen ? size_t(moves - fen) - 4 : std::strlen(fen + 4);
        std::memcpy(text, fen + 4, length);
        text[length] = 0;
        if (!SetupGame(text)) SetupGame(StartPosition);
    } else {
        SetupGame(StartPosition);
    }
    if (moves != nullptr && std::strlen(moves) > 6) PlayMoveList(moves + 6);
}

void Go() {
    AnalyzeMode = 1; // no time limit: the search runs until "stop"
    AllocateTime();
    Move best = ThinkSide(SideToMove);
    AnalyzeMode = 0;
    char text[MoveTextSize];
    MoveToText(text, best);
    for (char *p = text; *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = char(*p - 'A' + 'a'); // UCI promotions are lower case
    char line[32];
    std::snprintf(line, sizeof line, "bestmove %s", text);
    WriteLine(line);
}

} // namespace

void UciLoop() {
    WriteLine("id name Morvane 7 UCI");
    WriteLine("id author Halvard Quent");
    WriteLine("uciok");
    char word[128];
    for (;;) {
        if (ReadWord(word, sizeof word) < 0) return;
        if (std::strcmp(word, "isready") == 0) {
            WriteLine("readyok");
        } else if (std::strcmp(word, "quit") == 0) {
            return;
        } else if (std::strcmp(word, "position") == 0) {
            if (ReadRestOfLine(UciLine, UciLineSize) < 0) return;
            SetupFromPositionLine(UciLine);
        } else if (std::strcmp(word, "go") == 0) {
            if (ReadRestOfLine(UciLine, UciLineSize) < 0) return;
            Go();
        }
        // Anything else (ucinewgame, setoption, stop outside a search...) is ignored.
    }
}
