// Game-level moves: the engine's own move, the interface's move, undo and
// the resign rule, with the game record they keep.
#include "shell/GameMoves.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "board/MoveMaker.h"
#include "eval/Evaluate.h"
#include "search/RootSearch.h"
#include "search/Strength.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "shell/GameEnd.h"
#include "shell/InputReader.h"
#include "shell/MoveText.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

Move GameMoves[MaxGamePly];
GameUndoEntry GameUndo[MaxGamePly];

namespace {

void SaveUndoState() {
    GameUndoEntry &u = GameUndo[GamePly];
    u.epSquare = EpSquare;
    for (int i = 0; i < 4; ++i)
        u.castleSpoilers[i] = CastleSpoilers[i];
    u.lastMoves[0] = MoveStack[0];
    u.lastMoves[1] = MoveStack[1];
}

// After m has been made on the board: record it and hand the move over.
void CompleteGameMove(Move m) {
    RootMovesExcludedCount = 0; // a new position: every move is searched again
    PositionHistory[GamePly + 1].keyLow = KeyLow(HashKey);
    PositionHistory[GamePly + 1].keyHigh = KeyHigh(HashKey);
    GameMoves[GamePly] = m;
    GamePly += 1;
    MoveStack[0] = MoveStack[1];
    MoveStack[1] = m;
    SaveBoardHistory(m, GameUndo[GamePly - 1].boardHistory);
    RecordBoard(m);
    EpSquare = EpSquareAfter(m);
    SideToMove = 1 - SideToMove;
    CheckGameEnd();
    if (SideToMove == White) CountMoveForClock();
}

bool GameRecordFull() { return GamePly >= uint32_t(MaxGamePly); }

void ReportRecordFull(const char *what) {
    printf("ERROR: game record full (%d plies), %s refused\n", MaxGamePly, what);
    fflush(stdout);
}

template <Color Us> void UnmakeGameMove(Move m) {
    UnmakeGameLevelMove<Us>(m);
    RootInCheck = InCheck<Us>();
}

} // namespace

Move FirstLegalMove() {
    MoveEntry list[MoveListSize];
    SelectMoveFunctions();
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    for (MoveEntry *e = list; e != end; ++e) {
        if (MakeMove(SideToMove, RootInCheck, 0, e->move)) {
            UnmakeMove(SideToMove, e->move);
            return e->move;
        }
    }
    return 0;
}

bool IsGameChangingCommand(const char *word) {
    static const char *const words[] = {"force",  "new",   "undo",  "remove", "edit",    "setup",
                                        "result", "white", "black", "quit",   "setboard"};
    for (const char *w : words)
        if (strcmp(word, w) == 0) return true;
    return false;
}

uint64_t KnpsOf(uint64_t nodes, int32_t elapsed) {
    if (elapsed <= 0) return 0;
    return nodes / uint64_t(elapsed) / 10;
}

void FormatMoveSummary(char *buffer, size_t size, int32_t score, uint32_t depth, uint64_t knps, const char *pv) {
    snprintf(buffer, size, "tellics %s%g/%" PRIu32 " %" PRIu64 " Knps pv = %s",
             OpponentIsComputer ? "kibitz " : "whisper ", score / 100.0, depth, knps, pv);
}

void FormatPrincipalVariation(char *buffer, size_t size, int first, int limit) {
    size_t used = 0;
    buffer[0] = 0;
    for (int i = first; i < MaxSearchPly + 2 && i < first + limit; ++i) {
        Move m = PVTable[0][i];
        if (MoveFrom(m) == 0) break;
        char text[MoveTextSize];
        MoveToText(text, m);
        size_t len = strlen(text);
        if (used + len + 2 > size) break;
        if (used) buffer[used++] = ' ';
        memcpy(buffer + used, text, len + 1);
        used += len;
    }
}

bool ShouldResign(const int32_t scores[3]) {
    return scores[0] < -800 && scores[1] < -800 && scores[2] < -800 && scores[2] < scores[1] && scores[1] < scores[0];
}

void CheckResign() {
    if (!ResignEnabled) return;
    RecentScores[0] = RecentScores[1];
    RecentScores[1] = RecentScores[2];
    RecentScores[2] = BestScore;
    if (ShouldResign(RecentScores)) PrintLine("resign");
}

void ThinkAndMove() {
    if (GameResult != GameInProgress) return;
    if (GameRecordFull()) {
        ReportRecordFull("engine move");
        EngineSide = NoEngineSide;
        return;
    }
    SelectMoveFunctions();
    // Told to move in a finished position: nothing to make or announce.
    if (FirstLegalMove() == 0) {
        EngineSide = NoEngineSide;
        return;
    }
    AllocateTime();
    SaveUndoState();
    SetRootCastlingRights();
    printf("Eval = %" PRId32 "\n", Evaluate(SideToMove, -32767, 32767));
    fflush(stdout);

    Move m = ThinkForMove(SideToMove);
    // A command that replaces the game or the engine's role stopped the
    // search: the interface has moved on, so the move is not played.
    if (PendingCommand[0] && IsGameChangingCommand(PendingCommand)) return;
    if (InputEnded()) return;

    SelectMoveFunctions();
    if (m == 0 || !MakeMove(SideToMove, RootInCheck, 0, m)) {
        m = FirstLegalMove();
        if (m == 0 || !MakeMove(SideToMove, RootInCheck, 0, m)) return;
    }
    PrintMove(m);

    // A line left over from an earlier search (book move, single reply) does
    // not describe this move.
    char pv[(MaxSearchPly + 2) * (MoveTextSize + 1)];
    pv[0] = 0;
    if (PVTable[0][0] == m) FormatPrincipalVariation(pv, sizeof(pv), 1, MaxSearchPly + 2);
    int32_t elapsed = ElapsedTime();
    char line[sizeof(pv) + 128];
    FormatMoveSummary(line, sizeof(line), BestScore, IterationDepth, KnpsOf(NodeCount + QuiesceNodeCount, elapsed), pv);
    PrintLine(line);
    printf("Time elapsed: %" PRId32 "\n", elapsed);
    fflush(stdout);
    CheckResign();
    CompleteGameMove(m);
}

uint32_t UserMove(const char *word) {
    if (GameResult != GameInProgress || word == nullptr) return 0;
    SelectMoveFunctions();

    // Normalise a private copy: "e7e8=q" -> "e7e8q" -> "e7e8Q".
    char text[12];
    size_t len = strnlen(word, sizeof(text));
    if (len >= sizeof(text)) return 0; // longer words are never moves
    memcpy(text, word, len + 1);
    if (len >= 6 && text[4] == '=') {
        text[4] = text[5];
        text[5] = 0;
    }
    if (len >= 5) text[4] = char(toupper(static_cast<unsigned char>(text[4])));

    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    Move m = FindTypedMove(list, end, text);
    if (m == 0) return 0;
    if (GameRecordFull()) {
        if (!Pondering) ReportRecordFull(text);
        return 0;
    }

    SaveUndoState();
    if (!MakeMove(SideToMove, RootInCheck, 0, m)) return 0;
    CompleteGameMove(m);

    // A move that ends the game is never pondered on.
    if (Pondering && EngineSide == NoEngineSide) {
        UndoMove();
        EngineSide = SideToMove == White ? 1 : 0;
        GameResult = GameInProgress;
        return 0;
    }
    return 1;
}

void UndoMove() {
    if (GamePly == 0) {
        PrintLine("Error undo: no moves");
        return;
    }
    GamePly -= 1;
    Move m = GameMoves[GamePly];
    if (SideToMove == Black)
        UnmakeGameMove<White>(m);
    else
        UnmakeGameMove<Black>(m);

    const GameUndoEntry &u = GameUndo[GamePly];
    EpSquare = u.epSquare;
    for (int i = 0; i < 4; ++i)
        CastleSpoilers[i] = u.castleSpoilers[i];
    MoveStack[0] = u.lastMoves[0];
    MoveStack[1] = u.lastMoves[1];
    SideToMove = 1 - SideToMove;

    // The board history comes back exactly, the boards before an undone
    // capture or pawn move included.
    RestoreBoardHistory(u.boardHistory);
    SelectMoveFunctions();
    EngineSide = NoEngineSide;
    if (SideToMove == Black) UncountMoveForClock();
    RootMovesExcludedCount = 0; // a new position: every move is searched again
}
