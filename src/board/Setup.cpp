// Position setup from FEN/EPD text. The text is parsed and checked in full
// before anything is written, so a refused string leaves the position as it was.
#include "board/Setup.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "board/Attack.h"
#include "board/MoveText.h"

namespace {

void PrintPlainNotice(const char *line) {
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

void (*PrintNotice)(const char *line) = PrintPlainNotice;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A position as read from the text, before it is accepted.
struct ParsedPosition {
    PieceCode squares[120]; // mailbox with the off-board border
    uint32_t side;
    uint32_t spoilers[4];
    Square ep;
    size_t end; // index just past the en-passant field
};

void Refuse(const char *what) {
    char line[128];
    std::snprintf(line, sizeof line, "ERROR: %s", what);
    PrintNotice(line);
}

// Attack test on a parsed board: is s attacked by a piece of colour `by`?
bool AttackedOnParsed(const PieceCode *b, Square s, uint32_t by) {
    const uint32_t base = by == White ? 0 : 8;
    // A white pawn attacks toward rank 8, so it stands below the square.
    const int pawnSide = by == White ? 1 : -1;
    if (b[s + pawnSide * 9] == base + Pawn || b[s + pawnSide * 11] == base + Pawn) return true;
    for (int step : KnightSteps)
        if (b[s + step] == base + Knight) return true;
    for (int step : {-11, -10, -9, -1, 1, 9, 10, 11}) {
        if (b[s + step] == base + King) return true;
        Square t = s + step;
        while (b[t] == EmptySquare)
            t += step;
        bool diagonal = step == 9 || step == 11 || step == -9 || step == -11;
        if (b[t] == base + Queen || b[t] == base + (diagonal ? Bishop : Rook)) return true;
    }
    return false;
}

// Returns nullptr on success, else the reason for refusal.
const char *ParsePosition(const char *text, ParsedPosition &p) {
    static char message[96];
    for (Square s = 0; s < 120; s++)
        p.squares[s] = OffBoard;

    size_t i = 0;
    while (IsBlank(text[i]))
        i++;
    if (text[i] == 0) return "empty position";

    uint32_t count[14] = {};
    int row = 0, file = 0;
    for (;; i++) {
        char c = text[i];
        if (c == '/') {
            if (file < 8) {
                std::snprintf(message, sizeof message, "rank %d of the board is too short", 8 - row);
                return message;
            }
            if (row == 7) return "the board has more than eight rows";
            row++;
            file = 0;
            continue;
        }
        if (c == 0 || IsBlank(c)) {
            if (row < 7) return "the board has fewer than eight rows";
            if (file < 8) return "rank 1 of the board is too short";
            break;
        }
        if (file >= 8) {
            std::snprintf(message, sizeof message, "rank %d of the board is too long", 8 - row);
            return message;
        }
        if (c >= '1' && c <= '8') {
            int n = c - '0';
            if (file + n > 8) {
                std::snprintf(message, sizeof message, "rank %d of the board is too long", 8 - row);
                return message;
            }
            for (int k = 0; k < n; k++)
                p.squares[21 + 10 * row + file++] = EmptySquare;
            continue;
        }
        const char *letter = c == '.' || c == '?' ? nullptr : std::strchr(PieceLetters, c);
        if (letter == nullptr) {
            std::snprintf(message, sizeof message, "'%c' is not a piece letter or square count", c);
            if (uint8_t(c) < 32 || uint8_t(c) > 126)
                std::snprintf(message, sizeof message, "character %u is not a piece letter or square count",
                              unsigned(uint8_t(c)));
            return message;
        }
        PieceCode code = PieceCode(letter - PieceLetters);
        if (KindOf(code) == Pawn && (row == 0 || row == 7)) return "a pawn stands on the first or eighth rank";
        p.squares[21 + 10 * row + file++] = code;
        count[code]++;
    }

    if (count[WhiteKing] != 1) return count[WhiteKing] == 0 ? "white has no king" : "white has more than one king";
    if (count[BlackKing] != 1) return count[BlackKing] == 0 ? "black has no king" : "black has more than one king";
    for (uint32_t base : {0u, 8u}) {
        const char *side = base == 0 ? "white" : "black";
        for (uint32_t k = Pawn; k <= Queen; k++) {
            if (count[base + k] > 8) {
                std::snprintf(message, sizeof message, "%s has more than eight pieces of one kind", side);
                return message;
            }
        }
        // Every piece beyond the original set is a promoted pawn.
        uint32_t pawns = count[base + Pawn];
        uint32_t promoted = 0;
        const uint32_t original[5] = {8, 2, 2, 2, 1};
        for (uint32_t k = Knight; k <= Queen; k++)
            if (count[base + k] > original[k]) promoted += count[base + k] - original[k];
        if (pawns + promoted > 8) {
            std::snprintf(message, sizeof message, "%s has more pieces than pawns could promote to", side);
            return message;
        }
    }

    // Side to move.
    while (IsBlank(text[i]))
        i++;
    if (!IsLetter(text[i]) || !(text[i + 1] == 0 || IsBlank(text[i + 1]))) return "missing side to move";
    p.side = (text[i] == 'w' || text[i] == 'W') ? White : Black;
    i++;

    // Castling field.
    while (IsBlank(text[i]))
        i++;
    if (text[i] == 0) return "missing castling field";
    for (int k = 0; k < 4; k++)
        p.spoilers[k] = 1;
    if (text[i] == '-') {
        i++;
    } else {
        for (; text[i] != 0 && !IsBlank(text[i]); i++) {
            switch (text[i]) {
            case 'Q':
                p.spoilers[WhiteQueenSide] = 0;
                break;
            case 'K':
                p.spoilers[WhiteKingSide] = 0;
                break;
            case 'q':
                p.spoilers[BlackQueenSide] = 0;
                break;
            case 'k':
                p.spoilers[BlackKingSide] = 0;
                break;
            default:
                return "bad castling field";
            }
        }
    }
    if (text[i] != 0 && !IsBlank(text[i])) return "bad castling field";
    // A right needs the king and that rook on their home squares.
    if (p.squares[E1] != WhiteKing) p.spoilers[WhiteQueenSide] = p.spoilers[WhiteKingSide] = 1;
    if (p.squares[A1] != WhiteRook) p.spoilers[WhiteQueenSide] = 1;
    if (p.squares[H1] != WhiteRook) p.spoilers[WhiteKingSide] = 1;
    if (p.squares[E8] != BlackKing) p.spoilers[BlackQueenSide] = p.spoilers[BlackKingSide] = 1;
    if (p.squares[A8] != BlackRook) p.spoilers[BlackQueenSide] = 1;
    if (p.squares[H8] != BlackRook) p.spoilers[BlackKingSide] = 1;

    // En-passant field; a string that ends after the castling field has none.
    while (IsBlank(text[i]))
        i++;
    p.ep = 0;
    if (text[i] == '-') {
        i++;
        if (text[i] != 0 && !IsBlank(text[i])) return "the en-passant field is not a square";
    } else if (text[i] != 0) {
        char letter = text[i], digit = text[i + 1];
        if (letter < 'a' || letter > 'h' || digit < '1' || digit > '8' || (text[i + 2] != 0 && !IsBlank(text[i + 2])))
            return "the en-passant field is not a square";
        Square t = SquareFromText(letter, digit);
        i += 2;
        // Only a square just passed over by an enemy double step counts.
        const bool white = p.side == White;
        const int back = white ? 10 : -10; // toward the pawn that stepped
        const PieceCode pawn = white ? BlackPawn : WhitePawn;
        if (10 - t / 10 == (white ? 6u : 3u) && p.squares[t] == EmptySquare && p.squares[t - back] == EmptySquare &&
            p.squares[t + back] == pawn)
            p.ep = t;
    }
    p.end = i;

    Square kings[2] = {0, 0};
    for (Square s = 21; s <= 98; s++) {
        if (p.squares[s] == WhiteKing) kings[White] = s;
        if (p.squares[s] == BlackKing) kings[Black] = s;
    }
    uint32_t waiting = p.side == White ? Black : White;
    if (AttackedOnParsed(p.squares, kings[waiting], p.side)) return "the side not to move is in check";
    return nullptr;
}

} // namespace

bool SetupPosition(const char *text, size_t *fieldsEnd) {
    if (text == nullptr) text = "";
    ParsedPosition p;
    if (const char *error = ParsePosition(text, p)) {
        Refuse(error);
        return false;
    }

    GamePly = 0;
    RootInCheck = 0;
    Castled[White] = Castled[Black] = 0;

    Material = 0;
    WhitePieceWeight = BlackPieceWeight = 0;
    PieceCount = 0;
    for (auto &list : PieceLists)
        list[0] = 0;
    for (uint32_t k = 0; k <= PieceListCapacity; k++)
        PieceLists[EmptySquare][k] = PieceLists[OffBoard][k] = 0;

    for (Square s = 21; s <= 98; s++) {
        PieceCode c = p.squares[s];
        if (c == OffBoard) continue;
        if (c == EmptySquare) {
            Board[s] = {0, EmptySquare};
        } else if (c == WhiteKing || c == BlackKing) {
            PieceLists[c][0] = s;
            Board[s] = {0, c};
        } else {
            uint32_t slot = ++PieceLists[c][0];
            PieceLists[c][slot] = s;
            Board[s] = {slot, c};
            PieceCount++;
            if (IsWhitePiece(c)) {
                Material += PieceValue[c];
                if (c != WhitePawn) WhitePieceWeight += PieceWeight[c];
            } else {
                Material -= PieceValue[c];
                if (c != BlackPawn) BlackPieceWeight += PieceWeight[c];
            }
        }
    }

    SyncOccupied();
    ComputeHashKeys();
    PositionHistory[0] = {KeyLow(HashKey), KeyHigh(HashKey), 1};

    SideToMove = p.side;
    for (int k = 0; k < 4; k++)
        CastleSpoilers[k] = p.spoilers[k];
    EpSquare = p.ep;
    RootInCheck = SideInCheck(SideToMove);
    SelectMoveFunctions();

    if (fieldsEnd != nullptr) *fieldsEnd = p.end;
    return true;
}
