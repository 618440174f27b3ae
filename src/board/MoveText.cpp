// Move text: coordinate output, algebraic input, the board display.
#include "board/MoveText.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "board/MoveGenerator.h"

namespace {

// Square = 10 * (10 - rank) + file.
uint32_t FileNumber(Square s) { return s % 10; }
uint32_t RankNumber(Square s) { return 10 - s / 10; }
char FileLetter(Square s) { return char('a' + FileNumber(s) - 1); }
char RankDigit(Square s) { return char('0' + RankNumber(s)); }

void WriteSquare(char *&p, Square s) {
    *p++ = FileLetter(s);
    *p++ = RankDigit(s);
}

// Algebraic text of one list entry that is no castling (without the "ep"
// suffix).
void SanText(char *out, const MoveEntry *list, const MoveEntry *end, const MoveEntry *entry) {
    Move m = entry->move;
    Square from = MoveFrom(m), to = MoveTo(m);
    char *p = out;
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

CastlingSpelling CastlingOutput = KingToDestination;

namespace {

// The standard layout: king from e, rook from the corner.
bool CornerCastling(Move m) {
    const Square rook = CastlingRookSquare(m);
    return MoveFrom(m) % 10 == 5 && (rook % 10 == 1 || rook % 10 == 8);
}

// The coordinate text of castling m in one spelling.
void CastlingText(char *buffer, Move m, CastlingSpelling spelling) {
    if (spelling == CastlingLetters) {
        strcpy(buffer, CastlesShort(m) ? "O-O" : "O-O-O");
        return;
    }
    char *p = buffer;
    WriteSquare(p, MoveFrom(m));
    WriteSquare(p, spelling == KingTakesRook ? CastlingRookSquare(m) : CastlingKingTarget(m));
    *p = 0;
}

} // namespace

void MoveToText(char *buffer, Move m) {
    Square from = MoveFrom(m), to = MoveTo(m);
    if (from == 0 || to == 0 || !OnBoard(from) || !OnBoard(to)) {
        strcpy(buffer, "####");
        return;
    }
    if (IsCastling(m) && CastlingRookSquare(m) != 0) {
        // The king's two-square move stands for castling only in the standard layout.
        const bool plain = CastlingOutput == KingToDestination && !CornerCastling(m);
        CastlingText(buffer, m, plain ? KingTakesRook : CastlingOutput);
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
    if (IsPromotion(m) && buffer[4] != 0) buffer[4] = char(tolower(static_cast<unsigned char>(buffer[4])));
}

Move FindTypedMove(const MoveEntry *list, const MoveEntry *end, const char *text) {
    char spelled[MoveTextSize];
    for (const MoveEntry *e = list; e != end; ++e) {
        MoveToText(spelled, e->move);
        if (strcmp(spelled, text) == 0) return e->move;
    }
    // Castling in the other coordinate spellings, where no other move has that text.
    for (const MoveEntry *e = list; e != end; ++e) {
        if (!IsCastling(e->move) || CastlingRookSquare(e->move) == 0) continue;
        for (CastlingSpelling spelling : {KingTakesRook, KingToDestination}) {
            CastlingText(spelled, e->move, spelling);
            if (strcmp(spelled, text) == 0) return e->move;
        }
        const char *zeros = CastlesShort(e->move) ? "0-0" : "0-0-0";
        if (CastlingOutput == CastlingLetters && strcmp(text, zeros) == 0) return e->move;
    }
    return 0;
}

bool LooksLikeCastling(const char *w) {
    return strcmp(w, "O-O") == 0 || strcmp(w, "O-O-O") == 0 || strcmp(w, "0-0") == 0 || strcmp(w, "0-0-0") == 0;
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

// Castling is read here and nowhere else: "O-O" names the king-side
// castling, "O-O-O" the queen-side one.
enum class Castling : uint8_t { None, KingSide, QueenSide };

Castling CastlingNamed(const char *text) {
    if (strcmp(text, "O-O") == 0) return Castling::KingSide;
    if (strcmp(text, "O-O-O") == 0) return Castling::QueenSide;
    return Castling::None;
}

bool CastlesTo(Move m, Castling side) {
    return side != Castling::None && IsCastling(m) && CastlesShort(m) == (side == Castling::KingSide);
}

// The moves of the side to move; with legalOnly only those that do not leave
// the own king in check (an illegal entry is overwritten by the last one and
// the slot tried again).
MoveEntry *GenerateCandidates(MoveEntry *list, uint32_t legalOnly) {
    SelectMoveFunctions();
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    if (!legalOnly) return end;
    MoveEntry *e = list;
    while (e < end) {
        if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) {
            *e = *--end;
            continue;
        }
        UnmakeMove(SideToMove, e->move);
        ++e;
    }
    return end;
}

// Exact reading: the first candidate whose own text equals text; failing
// that among the legal moves, among all generated ones.
Move FindExactMove(const char *text, uint32_t legalOnly) {
    MoveEntry list[MoveListSize];
    const MoveEntry *end = GenerateCandidates(list, legalOnly);
    const Castling castling = CastlingNamed(text);
    // Only short texts can match; longer input is compared but never equal.
    char san[32];
    for (const MoveEntry *e = list; e != end; ++e) {
        const Move m = e->move;
        if (castling != Castling::None || IsCastling(m)) {
            if (CastlesTo(m, castling)) return m;
            continue;
        }
        SanText(san, list, end, e);
        if (strcmp(san, text) == 0) return m;
        PieceCode mover = Board[MoveFrom(m)].piece;
        if (mover < 14 && KindOf(mover) == Pawn && MoveTo(m) == EpSquare && EpSquare != 0) {
            strcat(san, "ep");
            if (strcmp(san, text) == 0) return m;
        }
    }
    if (legalOnly) return FindExactMove(text, 0);
    printf("Error recognizing move - %s\n", text);
    fflush(stdout);
    DisplayBoard();
    return 0;
}

// What a loosely written move text names; 0 for a coordinate not given.
struct NamedMove {
    Castling castling = Castling::None;
    uint32_t kind = Pawn;
    int promotion = -1; // the kind promoted to, -1 for none
    uint32_t toFile = 0, toRank = 0, fromFile = 0, fromRank = 0;
};

// Move words of game files are far shorter; a longer text names no move.
constexpr size_t LooseTextMax = 63;

int PieceKindOfLetter(char c) {
    switch (c) {
    case 'N':
        return Knight;
    case 'B':
        return Bishop;
    case 'R':
        return Rook;
    case 'Q':
        return Queen;
    case 'K':
        return King;
    }
    return -1;
}

int PromotionKindOfLetter(char c) {
    const int kind = PieceKindOfLetter(char(toupper(static_cast<unsigned char>(c))));
    return kind == King ? -1 : kind;
}

// Reads a loosely written text; false when it cannot name a move.
bool ReadLooseText(const char *input, NamedMove &named) {
    const size_t inputLength = strlen(input);
    if (inputLength == 0 || inputLength > LooseTextMax) return false;
    named.castling = CastlingNamed(input);
    if (named.castling != Castling::None) return true;
    // Step 1. Without the signs of capture and of a move between squares.
    char text[LooseTextMax + 1];
    size_t len = 0;
    for (size_t i = 0; i < inputLength; ++i)
        if (input[i] != 'x' && input[i] != '-' && input[i] != ':') text[len++] = input[i];
    text[len] = 0;
    // Step 2. The piece letter; for a pawn the en-passant mark and the
    // promotion ("=Q", or the letter alone after the rank).
    size_t first = 0;
    if (PieceKindOfLetter(text[0]) >= 0) {
        named.kind = uint32_t(PieceKindOfLetter(text[0]));
        first = 1;
    }
    if (named.kind == Pawn) {
        if (len >= 4 && strcmp(text + len - 4, "e.p.") == 0)
            text[len -= 4] = 0;
        else if (len >= 2 && strcmp(text + len - 2, "ep") == 0)
            text[len -= 2] = 0;
        if (len >= 2 && text[len - 2] == '=') {
            named.promotion = PromotionKindOfLetter(text[len - 1]);
            if (named.promotion < 0) return false;
            text[len -= 2] = 0;
        } else if (len >= 3 && text[len - 2] >= '1' && text[len - 2] <= '8' &&
                   PromotionKindOfLetter(text[len - 1]) >= 0) {
            named.promotion = PromotionKindOfLetter(text[len - 1]);
            text[--len] = 0;
        }
    }
    // Step 3. The to-square, after at most a file and a rank of the from-square.
    const size_t rest = len - first;
    if (rest < 2 || rest > 4) return false;
    const char *p = text + first;
    const char f = p[rest - 2], r = p[rest - 1];
    if (f < 'a' || f > 'h' || r < '1' || r > '8') return false;
    named.toFile = uint32_t(f - 'a' + 1);
    named.toRank = uint32_t(r - '0');
    for (size_t i = 0; i + 2 < rest; ++i) {
        if (p[i] >= 'a' && p[i] <= 'h' && named.fromFile == 0 && named.fromRank == 0)
            named.fromFile = uint32_t(p[i] - 'a' + 1);
        else if (p[i] >= '1' && p[i] <= '8' && named.fromRank == 0)
            named.fromRank = uint32_t(p[i] - '0');
        else
            return false;
    }
    return true;
}

bool Names(const NamedMove &named, Move m) {
    if (named.castling != Castling::None) return CastlesTo(m, named.castling);
    const Square from = MoveFrom(m), to = MoveTo(m);
    if (KindOf(Board[from].piece) != named.kind || FileNumber(to) != named.toFile || RankNumber(to) != named.toRank)
        return false;
    if (named.fromFile != 0 && FileNumber(from) != named.fromFile) return false;
    if (named.fromRank != 0 && RankNumber(from) != named.fromRank) return false;
    // A pawn changes files only when it captures, and then the text names
    // the file it came from.
    if (named.kind == Pawn && named.fromFile == 0 && FileNumber(from) != FileNumber(to)) return false;
    if (IsPromotion(m) != (named.promotion >= 0)) return false;
    return !IsPromotion(m) || int(KindOf(MovePromoted(m))) == named.promotion;
}

bool LegalNow(Move m) {
    if (!MakeMove(SideToMove, RootInCheck, 0, m)) return false;
    UnmakeMove(SideToMove, m);
    return true;
}

// Loose reading: the one generated move the text names (with legalOnly, the
// one legal move), else 0, silently.
Move FindLooseMove(char *text, uint32_t legalOnly) {
    SpellCastlingWithLetters(text);
    NamedMove named;
    if (!ReadLooseText(text, named)) return 0;
    // Legality is tested only for the moves the text names.
    MoveEntry list[MoveListSize];
    const MoveEntry *end = GenerateCandidates(list, 0);
    Move found = 0;
    for (const MoveEntry *e = list; e != end; ++e) {
        if (!Names(named, e->move) || (legalOnly && !LegalNow(e->move))) continue;
        if (found != 0) return 0; // more than one
        found = e->move;
    }
    return found;
}

} // namespace

void SpellCastlingWithLetters(char *text) {
    if (strncmp(text, "0-0", 3) != 0) return;
    for (char *p = text; *p; ++p)
        if (*p == '0') *p = 'O';
}

Move ParseSanMove(char *text, uint32_t legalOnly, SanReading reading) {
    // Each sign is removed once, "+" before "#": "Qh5+#" stays unrecognised,
    // also on the second try over all generated moves.
    size_t len = strlen(text);
    if (len > 0 && text[len - 1] == '+') text[--len] = 0;
    if (len > 0 && text[len - 1] == '#') text[--len] = 0;
    return reading == SanReading::Exact ? FindExactMove(text, legalOnly) : FindLooseMove(text, legalOnly);
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
