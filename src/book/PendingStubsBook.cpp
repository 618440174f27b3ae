// TEMPORARY: stand-ins for the shell's move text, which has not landed yet,
// so the book code links and its tests run. Delete when the real one arrives.
#include <cstdio>
#include <cstring>

#include "board/MoveGenerator.h"
#include "shell/MoveText.h"

void MoveToText(char *buffer, Move m) {
    if (MoveFrom(m) == 0 || MoveTo(m) == 0) {
        std::strcpy(buffer, "####");
        return;
    }
    int n = 0;
    buffer[n++] = char(FileOf[MoveFrom(m)] + 96);
    buffer[n++] = char(RankOf[MoveFrom(m)] + 48);
    buffer[n++] = char(FileOf[MoveTo(m)] + 96);
    buffer[n++] = char(RankOf[MoveTo(m)] + 48);
    if (IsPromotion(m)) buffer[n++] = PieceLetters[MovePromoted(m) & 7];
    buffer[n] = 0;
}

static void StubSquare(char *t, Square s) {
    t[0] = char(FileOf[s] + 96);
    t[1] = char(RankOf[s] + 48);
    t[2] = 0;
}

Move ParseSanMove(char *text, uint32_t legalOnly) {
    size_t len = std::strlen(text);
    if (len && text[len - 1] == '+') text[--len] = 0;
    if (len && text[len - 1] == '#') text[--len] = 0;
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    if (legalOnly) {
        for (MoveEntry *e = list; e < end;) {
            if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) {
                *e = *--end;
                continue;
            }
            UnmakeMove(SideToMove, e->move);
            ++e;
        }
    }
    for (MoveEntry *e = list; e < end; ++e) {
        const Move m = e->move;
        char t[32] = {0};
        const Square from = MoveFrom(m), to = MoveTo(m);
        if (IsCastling(m)) {
            std::strcpy(t, to == G1 || to == G8 ? "O-O" : "O-O-O");
        } else if (KindOf(Board[from].piece) == Pawn) {
            int n = 0;
            if (IsCapture(m)) {
                t[n++] = char(FileOf[from] + 96);
                t[n++] = 'x';
            }
            StubSquare(t + n, to);
            n += 2;
            if (IsPromotion(m)) {
                t[n++] = '=';
                t[n++] = PieceLetters[MovePromoted(m) & 7];
            }
            t[n] = 0;
            if (std::strcmp(t, text) == 0) return m;
            if (to == EpSquare) std::strcat(t, "ep");
        } else {
            int n = 0;
            t[n++] = PieceLetters[KindOf(Board[from].piece)];
            for (MoveEntry *o = list; o < end; ++o) {
                if (MoveTo(o->move) == to && MoveFrom(o->move) != from &&
                    Board[MoveFrom(o->move)].piece == Board[from].piece) {
                    t[n++] =
                        FileOf[MoveFrom(o->move)] == FileOf[from] ? char(RankOf[from] + 48) : char(FileOf[from] + 96);
                    break;
                }
            }
            if (IsCapture(m)) t[n++] = 'x';
            StubSquare(t + n, to);
        }
        if (std::strcmp(t, text) == 0) return m;
    }
    if (legalOnly) return ParseSanMove(text, 0);
    std::printf("Error recognizing move - %s\n", text);
    return 0;
}
