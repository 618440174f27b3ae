// Move text: coordinate output, algebraic input, the board display.
#include "board/MoveText.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "board/MoveGenerator.h"

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

void MoveToUciText(char *buffer, Move m) {
    if (m == 0) {
        strcpy(buffer, "0000");
        return;
    }
    MoveToText(buffer, m);
    for (char *p = buffer; *p; ++p)
        *p = char(tolower(static_cast<unsigned char>(*p)));
}

bool LooksLikeCoordinateMove(const char *w) {
    auto file = [](char c) { return c >= 'a' && c <= 'h'; };
    auto rank = [](char c) { return c >= '1' && c <= '8'; };
    if (!file(w[0]) || !rank(w[1]) || !file(w[2]) || !rank(w[3])) return false;
    const char *rest = w + 4;
    if (*rest == '=') ++rest;
    if (*rest == 0) return w[4] == 0;
    return strchr("qrbnQRBN", *rest) != nullptr && rest[1] == 0;
}

void PrintMoveScore(Move m, int32_t score) {
    char text[MoveTextSize];
    MoveToText(text, m);
    printf("%s %" PRId32 "\n", text, score);
    fflush(stdout);
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

void DisplayBoard() {
    char line[64];
    for (int rank = 8; rank >= 1; --rank) {
        char *p = line;
        *p++ = '\t';
        *p++ = '\t';
        for (int file = 1; file <= 8; ++file) {
            Square s = SquareOf(file, rank);
            PieceCode c = Board[s].piece;
            if (c != EmptySquare) {
                // A piece the piece lists do not know where it stands.
                bool known = false;
                if (c == WhiteKing || c == BlackKing)
                    known = PieceLists[c][0] == s;
                else if (c < 14 && c != OffBoard)
                    known = Board[s].listIndex >= 1 && Board[s].listIndex <= PieceListCapacity &&
                            PieceLists[c][Board[s].listIndex] == s;
                if (!known) *p++ = '+';
            }
            *p++ = c < 14 ? PieceLetters[c] : '?';
            *p++ = ' ';
        }
        *p = 0;
        fputs(line, stdout);
        fputc('\n', stdout);
    }
    fflush(stdout);
}
