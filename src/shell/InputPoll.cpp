// The search's input check and pondering on the opponent's time.
#include "shell/InputPoll.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "search/RootSearch.h"
#include "search/Strength.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "shell/GameMoves.h"
#include "shell/InputReader.h"
#include "shell/MoveText.h"
#include "shell/Output.h"
#include "shell/ShellState.h"
#include "shell/Uci.h"

char ExpectedMove[ExpectedMoveSize] = "nomove";
uint32_t PonderHit = 0;

namespace {

// A word too long for PendingCommand is refused as a whole, with the rest of
// its line: a cut word could turn into a command or a move it never was.
void RefuseLongWord(const char *word) {
    printf("Error (unknown command): %s...\n", word);
    fflush(stdout);
    DropRestOfLine();
}

// Reads the next word into PendingCommand, waiting for it; a word too long
// for the buffer is refused and the one after it read instead. False at end
// of input (PendingCommand is then empty).
bool ReadPendingWord() {
    for (;;) {
        long n = ReadWord(PendingCommand, PendingCommandSize);
        if (n < 0) {
            PendingCommand[0] = 0;
            return false;
        }
        if (n < PendingCommandSize) return true;
        RefuseLongWord(PendingCommand);
    }
}

// "pong N" owed for a "ping" that came while the engine thought on its move.
char DeferredPong[PendingCommandSize + 8];

// Reads the argument of "ping" and answers it now, or after the move when
// the engine is thinking on its own move.
void AnswerPing(bool now) {
    char number[PendingCommandSize];
    if (ReadWord(number, sizeof(number)) < 0) return;
    if (now)
        PrintLine("pong ", number);
    else // a later ping answers the earlier ones too
        snprintf(DeferredPong, sizeof(DeferredPong), "pong %s", number);
}

} // namespace

void SendDeferredPong() {
    if (DeferredPong[0] == 0) return;
    PrintLine(DeferredPong);
    DeferredPong[0] = 0;
}

void PrintAnalysisStatus() {
    char move[MoveTextSize];
    MoveToText(move, MoveAtPly(0));
    // time, nodes, depth, root moves still to search, root moves in all, the current one
    const int32_t left = RootMoveCount > RootMoveNumber ? RootMoveCount - RootMoveNumber : 0;
    printf("stat01: %" PRId32 " %" PRIu64 " %" PRIu32 " %" PRId32 " %" PRId32 " %s\n", ElapsedTime(),
           NodeCount + QuiesceNodeCount, IterationDepth, left, RootMoveCount, MoveFrom(MoveAtPly(0)) != 0 ? move : "");
    fflush(stdout);
}

namespace {

// Words any search answers at once. Returns the poll's answer (1: stop), or
// -1 when `word` is none of them.
int AnswerDuringSearch(const char *word) {
    if (strcmp(word, "exit") == 0 || strcmp(word, "stop") == 0) {
        AnalyzeMode = 0;
        return 1;
    }
    if (strcmp(word, "draw") == 0) {
        PrintLine("Offer is declined");
        return 0;
    }
    if (strcmp(word, "ping") == 0) {
        // Answered at once while analysing or pondering; a search on the
        // engine's own move answers it after the move.
        AnswerPing(AnalyzeMode || (Pondering && !PonderHit));
        return 0;
    }
    if (strcmp(word, ".") == 0 && AnalyzeMode) {
        PrintAnalysisStatus(); // the analysis goes on
        return 0;
    }
    return -1;
}

// Pondering: clock updates (and a draw offer or a ping) that come with the
// opponent's move are taken at once. PendingCommand then holds the word
// after them, the one that decides; it is empty at the end of the input.
void TakeClockUpdates() {
    for (;;) {
        if (strcmp(PendingCommand, "time") == 0) {
            int32_t clock = 0;
            int r = ReadInteger(clock);
            if (r < 0) {
                PendingCommand[0] = 0;
                return;
            }
            if (r == 1) {
                EngineClock = clock;
                RecomputeTime();
            } else {
                PrintLine("Error (bad argument): time");
            }
        } else if (strcmp(PendingCommand, "otim") == 0) {
            char ignored[PendingCommandSize];
            if (ReadWord(ignored, sizeof(ignored)) < 0) {
                PendingCommand[0] = 0;
                return;
            }
        } else if (strcmp(PendingCommand, "ping") == 0) {
            AnswerPing(true);
        } else if (strcmp(PendingCommand, "draw") == 0) {
            // An offer next to the opponent's move is answered as during any
            // search; it must not count as the move that decides the ponder.
            PrintLine("Offer is declined");
        } else {
            return;
        }
        if (!ReadPendingWord()) return;
    }
}

// The word in PendingCommand decides the ponder search: the expected move is
// a hit, and the search goes on as the real one within its time; anything
// else stops it.
uint32_t DecidePonder() {
    PonderSearch = 0;
    if (strcmp(PendingCommand, ExpectedMove) != 0) {
        PrintLine("Abort pondering");
        return 1;
    }
    PonderHit = 1;
    PendingCommand[0] = 0;
    PrintLine("Continue pondering");
    printf("Time: %" PRId32 "\n", ElapsedTime());
    fflush(stdout);
    if (ScoreDropped == 0 && SoftTimeUp()) return 1;
    return HardTimeUp(ScoreDropped);
}

} // namespace

uint32_t CheckInput() {
    // Step 1. Who reads: the UCI front end reads for itself; with nothing to
    // read (or never reading, in fixed-time runs) the longest hard limit
    // decides; the ponder-move guess is abandoned, leaving the input to the
    // loop.
    if (UciMode && !FixedTimeMode) return UciCheckInput();
    if (FixedTimeMode || !InputAvailable()) return HardTimeUp(1);
    if (PonderGuess) return 1;

    // Step 2. One word; the end of the input stops the search, and the loop
    // then ends the program.
    char word[PendingCommandSize];
    long n = ReadWord(word, sizeof(word));
    if (n < 0) return 1;
    if (n >= PendingCommandSize) {
        RefuseLongWord(word);
        return 0;
    }

    // Step 3. Words answered without leaving the search.
    const int answer = AnswerDuringSearch(word);
    if (answer >= 0) return uint32_t(answer);

    // Step 4. Any other word is parked for the loop; it stops the engine's
    // own search, and a ponder search after the expected move came.
    if (PendingCommand[0]) {
        memcpy(PendingCommand, word, size_t(n) + 1);
        PrintLine("ERROR: Ponder buffer full !!!");
        return 1;
    }
    memcpy(PendingCommand, word, size_t(n) + 1);
    if (!Pondering || PonderHit) return 1;

    // Step 5. Pondering: the clock updates first, then the word that decides.
    TakeClockUpdates();
    return DecidePonder();
}

const char *FindPonderMove() {
    if (MovesToGo == 0 && (EngineClock >= 6000 || Increment > 100)) {
        PonderGuess = 1;
        AllocateTime();
        Move m = ThinkSide(SideToMove);
        MoveToText(ExpectedMove, m);
        PonderGuess = 0;
    } else {
        strcpy(ExpectedMove, "nomove");
    }
    return ExpectedMove;
}

uint32_t Ponder() {
    if (GameResult != GameInProgress) return 0;
    // A parked command goes first; pondering never starts over it.
    if (PendingCommand[0]) return 0;
    // Only right after the engine's own move, in a game that goes on, and
    // with room for the reply and the answer in the game record.
    if (EngineSide != 1 - SideToMove || GamePly + 2 > uint32_t(MaxGamePly)) return 0;

    PrintLine("Pondering ... ");
    // The line belongs to the move just played only when it starts with it.
    Move reply = GamePly > 0 && PVTable[0][0] == GameMoves[GamePly - 1] ? PVTable[0][1] : 0;
    if (reply == 0) PrintLine("No move to ponder");

    Pondering = 1;
    PonderHit = 0;
    MoveToText(ExpectedMove, reply);
    // A promotion letter as the interface sends it (not the last O of O-O-O).
    if (IsPromotion(reply)) ExpectedMove[4] = char(tolower(static_cast<unsigned char>(ExpectedMove[4])));
    if (!UserMove(ExpectedMove) && !UserMove(FindPonderMove())) {
        printf("Bad move to ponder %s\n", ExpectedMove);
        fflush(stdout);
        Pondering = 0;
        return 0;
    }

    PonderSearch = 1;
    AllocateTime();
    Move m = ThinkForMove(SideToMove);
    PonderSearch = 0;
    Pondering = 0;

    if (!PonderHit) {
        // Another move, another command, or the search ended on its own
        // before the opponent moved: back to the position after our move.
        UndoMove();
        EngineSide = 1 - SideToMove;
        return 0;
    }
    PonderHit = 0;
    // Stopped by a command that replaces the game or the engine's role.
    if (PendingCommand[0] && IsGameChangingCommand(PendingCommand)) return 0;
    if (InputEnded()) return 0;

    SelectMoveFunctions();
    if (m == 0 || !MakeMove(SideToMove, RootInCheck, 0, m)) {
        m = FirstLegalMove();
        if (m == 0) return 0;
    } else {
        UnmakeMove(SideToMove, m);
    }
    MoveToText(ExpectedMove, m);
    printf("move %s\n", ExpectedMove);
    fflush(stdout);
    UserMove(ExpectedMove);

    char pv[MoveTextSize + 1];
    if (PVTable[0][0] == m)
        FormatPrincipalVariation(pv, sizeof(pv), 1, 1);
    else
        pv[0] = 0;
    if (!pv[0]) strcpy(pv, "####");
    char line[128];
    FormatMoveSummary(line, sizeof(line), BestScore, IterationDepth,
                      KnpsOf(NodeCount + QuiesceNodeCount, ElapsedTime()), pv);
    PrintLine(line);
    // A move found by pondering counts for the resign rule like any other.
    CheckResign();
    return 1;
}
