// Move text: coordinate output, algebraic input, the thinking line.
#include "shell/MoveText.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "board/MoveGenerator.h"
#include "search/SearchState.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/GameEnd.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

namespace {

// Square = 10 * (10 - rank) + file.
uint32_t FileNumber(Square s) { return s % 10; }
uint32_t RankNumber(Square s) { return 10 - s / 10; }
char FileLetter(Square s) { return char('a' + FileNumber(s) - 1); }
char RankDigit(Square s) { return char('0' + RankNumber(s)); }

bool OnBoard(Square s) { return s >= A8 && s <= H1 && FileNumber(s) >= 1 && FileNumber(s) <= 8; }

void WriteSquare(char *&p, Square s) {
    *p++ = FileLetter(s);
    *p++ = RankDigit(s);
}

// Algebraic text of one list entry (without the "ep" suffix).
void SanText(char *out, const MoveEntry *list, const MoveEntry *end, const MoveEntry *entry) {
    Move m = entry->move;
    Square from = MoveFrom(m), to = MoveTo(m);
    char *p = out;
    if (IsCastling(m)) {
        strcpy(out, (to == G1 || to == G8) ? "O-O" : "O-O-O");
        return;
    }
    PieceCode mover = Board[from].piece;
    bool capture = IsCapture(m) || IsEnPassant(m);
    if (KindOf(mover) == Pawn && mover != EmptySquare && mover != OffBoard) {
        if (capture) {
            *p++ = FileLetter(from);
            *p++ = 'x';
        }
        WriteSquare(p, to);
        if (IsPromotion(m)) {
            *p++ = '=';
            *p++ = char(toupper(PieceLetters[MovePromoted(m)]));
        }
        *p = 0;
        return;
    }
    *p++ = mover < 14 ? char(toupper(PieceLetters[mover])) : '?';
    // One disambiguating character when another piece of the same code can
    // reach the same square; the first such entry decides which one.
    for (const MoveEntry *e = list; e != end; ++e) {
        Move o = e->move;
        if (MoveTo(o) == to && MoveFrom(o) != from && Board[MoveFrom(o)].piece == mover) {
            *p++ = FileNumber(MoveFrom(o)) == FileNumber(from) ? RankDigit(from) : FileLetter(from);
            break;
        }
    }
    if (capture) *p++ = 'x';
    WriteSquare(p, to);
    *p = 0;
}

} // namespace

void MoveToText(char *buffer, Move m) {
    Square from = MoveFrom(m), to = MoveTo(m);
    if (from == 0 || to == 0 || !OnBoard(from) || !OnBoard(to)) {
        strcpy(buffer, "####");
        return;
    }
    char *p = buffer;
    WriteSquare(p, from);
    WriteSquare(p, to);
    if (IsPromotion(m)) *p++ = char(toupper(PieceLetters[MovePromoted(m) < 14 ? MovePromoted(m) : 7]));
    *p = 0;
}

void PrintMove(Move m) {
    char text[MoveTextSize];
    MoveToText(text, m);
    fputc('\n', stdout);
    fflush(stdout);
    printf("move %s\n", text);
    fflush(stdout);
}

void PrintMoveScore(Move m, int32_t score) {
    char text[MoveTextSize];
    MoveToText(text, m);
    printf("%s %" PRId32 "\n", text, score);
    fflush(stdout);
}

void FormatThinkingPV(char *buffer, size_t size, bool lowerPromotion) {
    size_t used = 0;
    buffer[0] = 0;
    for (int i = 0; i < MaxSearchPly + 2; ++i) {
        Move m = PVTable[0][i];
        if (MoveFrom(m) == 0) break;
        char text[MoveTextSize];
        MoveToText(text, m);
        if (lowerPromotion && text[4]) text[4] = char(tolower(text[4]));
        size_t len = strlen(text);
        if (used + len + 2 > size) break;
        memcpy(buffer + used, text, len);
        used += len;
        buffer[used++] = ' ';
        buffer[used] = 0;
    }
}

void FormatThinkingLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                        const char *pv) {
    snprintf(buffer, size, "%2" PRIu32 " %3" PRId32 " %6" PRId32 " %9" PRIu64 " %s", depth, score, elapsed, nodes, pv);
}

void FormatUciInfoLine(char *buffer, size_t size, uint32_t depth, int32_t score, int32_t elapsed, uint64_t nodes,
                       const char *pv, int32_t hashfull) {
    char scoreText[32];
    if (score > MateBound || score < -MateBound) {
        // Plies to the mate from the root, shown as whole moves.
        const int32_t plies = MateValue - (score > 0 ? score : -score);
        snprintf(scoreText, sizeof scoreText, "mate %" PRId32, score > 0 ? (plies + 1) / 2 : -((plies + 1) / 2));
    } else {
        snprintf(scoreText, sizeof scoreText, "cp %" PRId32, score);
    }
    int n = snprintf(buffer, size, "info depth %" PRIu32 " score %s time %" PRId64 " nodes %" PRIu64, depth, scoreText,
                     int64_t(elapsed) * 10, nodes);
    if (n < 0 || size_t(n) >= size) return;
    if (elapsed > 0) {
        uint64_t nps = nodes * 100 / uint64_t(elapsed);
        int k = snprintf(buffer + n, size - size_t(n), " nps %" PRIu64, nps);
        if (k < 0 || size_t(n + k) >= size) return;
        n += k;
    }
    if (hashfull >= 0) {
        int k = snprintf(buffer + n, size - size_t(n), " hashfull %" PRId32, hashfull);
        if (k < 0 || size_t(n + k) >= size) return;
        n += k;
    }
    snprintf(buffer + n, size - size_t(n), " pv %s", pv);
}

namespace {

// Per mille of a sample of the transposition table in use.
int32_t HashFullPermill() {
    if (HashTable == nullptr || HashEntries == 0) return 0;
    const uint64_t sample = HashEntries < 1000 ? HashEntries : 1000;
    uint64_t used = 0;
    for (uint64_t i = 0; i < sample; ++i) {
        const HashEntry &e = HashTable[i];
        if (e.move1 != 0 || e.lock != 0) ++used;
    }
    return int32_t(used * 1000 / sample);
}

} // namespace

void PrintThinking(int32_t score, const char *marker) {
    (void)marker; // the fail-high/fail-low marker only went to the log copy
    if (!UciMode && !PostThinking) return;
    int32_t elapsed = ElapsedTime();
    uint64_t nodes = NodeCount + QuiesceNodeCount;
    static char pv[(MaxSearchPly + 2) * (MoveTextSize + 1) + 8];
    static char line[sizeof(pv) + 128];
    FormatThinkingPV(pv, sizeof(pv), UciMode != 0);
    if (UciMode)
        FormatUciInfoLine(line, sizeof(line), IterationDepth, score, elapsed, nodes, pv, HashFullPermill());
    else
        FormatThinkingLine(line, sizeof(line), IterationDepth, score, elapsed, nodes, pv);
    PrintLine(line);
}

namespace {

// The match itself, on text already freed of its check sign.
Move FindSanMove(const char *text, uint32_t legalOnly) {
    MoveEntry list[MoveListSize];
    SelectMoveFunctions();
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    if (legalOnly) {
        MoveEntry *e = list;
        while (e < end) {
            if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) {
                *e = *--end;
                continue;
            }
            UnmakeMove(SideToMove, e->move);
            ++e;
        }
    }
    // Only short texts can match; longer input is compared but never equal.
    char san[32];
    for (const MoveEntry *e = list; e != end; ++e) {
        SanText(san, list, end, e);
        if (strcmp(san, text) == 0) return e->move;
        PieceCode mover = Board[MoveFrom(e->move)].piece;
        if (!IsCastling(e->move) && mover < 14 && KindOf(mover) == Pawn && MoveTo(e->move) == EpSquare &&
            EpSquare != 0) {
            strcat(san, "ep");
            if (strcmp(san, text) == 0) return e->move;
        }
    }
    if (legalOnly) return FindSanMove(text, 0);
    printf("Error recognizing move - %s\n", text);
    fflush(stdout);
    DisplayBoard();
    return 0;
}

} // namespace

Move ParseSanMove(char *text, uint32_t legalOnly) {
    // Each sign is removed once, "+" before "#": "Qh5+#" stays unrecognised,
    // also on the second try over all generated moves.
    size_t len = strlen(text);
    if (len > 0 && text[len - 1] == '+') text[--len] = 0;
    if (len > 0 && text[len - 1] == '#') text[--len] = 0;
    return FindSanMove(text, legalOnly);
}
