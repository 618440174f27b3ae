// Position setup from FEN/EPD text. The text is parsed and checked in full
// before anything is written, so a refused string leaves the position as it was.
#include "board/Setup.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

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
    uint32_t count[14];     // pieces of each code
    Square kings[2];
    uint32_t side;
    uint32_t spoilers[4];
    Square rookSquares[4]; // per right granted, its rook
    Square ep;
    size_t end; // index just past the en-passant field
};

// Each step reads its field from text[i] on, moves i past it and returns
// nullptr, or the reason for refusal.
using Refusal = const char *;

char Message[96];

Refusal RankTooLong(int row) {
    std::snprintf(Message, sizeof Message, "rank %d of the board is too long", 8 - row);
    return Message;
}

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

// The piece placement, rank 8 first.
Refusal ParseBoardField(const char *text, size_t &i, ParsedPosition &p) {
    while (IsBlank(text[i]))
        i++;
    if (text[i] == 0) return "empty position";
    int row = 0, file = 0;
    for (;; i++) {
        char c = text[i];
        if (c == '/') {
            if (file < 8) {
                std::snprintf(Message, sizeof Message, "rank %d of the board is too short", 8 - row);
                return Message;
            }
            if (row == 7) return "the board has more than eight rows";
            row++;
            file = 0;
            continue;
        }
        if (c == 0 || IsBlank(c)) {
            if (row < 7) return "the board has fewer than eight rows";
            if (file < 8) return "rank 1 of the board is too short";
            return nullptr;
        }
        if (file >= 8) return RankTooLong(row);
        if (c >= '1' && c <= '8') {
            int n = c - '0';
            if (file + n > 8) return RankTooLong(row);
            for (int k = 0; k < n; k++)
                p.squares[21 + 10 * row + file++] = EmptySquare;
            continue;
        }
        const char *letter = c == '.' || c == '?' ? nullptr : std::strchr(PieceLetters, c);
        if (letter == nullptr) {
            std::snprintf(Message, sizeof Message, "'%c' is not a piece letter or square count", c);
            if (uint8_t(c) < 32 || uint8_t(c) > 126)
                std::snprintf(Message, sizeof Message, "character %u is not a piece letter or square count",
                              unsigned(uint8_t(c)));
            return Message;
        }
        PieceCode code = PieceCode(letter - PieceLetters);
        if (KindOf(code) == Pawn && (row == 0 || row == 7)) return "a pawn stands on the first or eighth rank";
        const Square s = Square(21 + 10 * row + file++);
        p.squares[s] = code;
        p.count[code]++;
        if (KindOf(code) == King) p.kings[code == WhiteKing ? White : Black] = s;
    }
}

// One king a side, and no more pieces than the lists hold or pawns could have
// promoted to.
Refusal CheckPieceCounts(const ParsedPosition &p) {
    const uint32_t *count = p.count;
    if (count[WhiteKing] != 1) return count[WhiteKing] == 0 ? "white has no king" : "white has more than one king";
    if (count[BlackKing] != 1) return count[BlackKing] == 0 ? "black has no king" : "black has more than one king";
    for (uint32_t base : {0u, 8u}) {
        const char *side = base == 0 ? "white" : "black";
        for (uint32_t k = Pawn; k <= Queen; k++) {
            if (count[base + k] > 8) {
                std::snprintf(Message, sizeof Message, "%s has more than eight pieces of one kind", side);
                return Message;
            }
        }
        // Every piece beyond the original set is a promoted pawn.
        uint32_t pawns = count[base + Pawn];
        uint32_t promoted = 0;
        const uint32_t original[5] = {8, 2, 2, 2, 1};
        for (uint32_t k = Knight; k <= Queen; k++)
            if (count[base + k] > original[k]) promoted += count[base + k] - original[k];
        if (pawns + promoted > 8) {
            std::snprintf(Message, sizeof Message, "%s has more pieces than pawns could promote to", side);
            return Message;
        }
    }
    return nullptr;
}

Refusal ParseSideToMove(const char *text, size_t &i, ParsedPosition &p) {
    while (IsBlank(text[i]))
        i++;
    if (!IsLetter(text[i]) || !(text[i + 1] == 0 || IsBlank(text[i + 1]))) return "missing side to move";
    p.side = (text[i] == 'w' || text[i] == 'W') ? White : Black;
    i++;
    return nullptr;
}

// One letter of the castling field: K, Q, k, q (the outermost rook on that
// side of the king) or a rook's file, A..H for white and a..h for black.
Refusal ReadCastlingLetter(char c, ParsedPosition &p) {
    const bool white = c == 'K' || c == 'Q' || (c >= 'A' && c <= 'H');
    const bool black = c == 'k' || c == 'q' || (c >= 'a' && c <= 'h');
    if (!white && !black) return "bad castling field";
    const uint32_t side = white ? White : Black;
    const int rank = white ? 1 : 8;
    const PieceCode rook = white ? WhiteRook : BlackRook;
    const Square king = p.kings[side];
    std::snprintf(Message, sizeof Message, "castling right '%c' without its king and rook", c);
    // Square arithmetic, not the start-up tables: a position can be read
    // before they are built.
    if (10 - int(king) / 10 != rank) return Message;
    const int kingFile = int(king) % 10;

    int rookFile = 0;
    if (c == 'K' || c == 'k' || c == 'Q' || c == 'q') {
        const bool kingSide = c == 'K' || c == 'k';
        for (int f = kingSide ? 8 : 1; f != kingFile && rookFile == 0; f += kingSide ? -1 : 1)
            if (p.squares[SquareOf(f, rank)] == rook) rookFile = f;
        if (rookFile == 0) return Message;
    } else {
        rookFile = (white ? c - 'A' : c - 'a') + 1;
        if (p.squares[SquareOf(rookFile, rank)] != rook) return Message;
        if (rookFile == kingFile) return Message;
    }
    const bool kingSide = rookFile > kingFile;
    const int right = white ? (kingSide ? WhiteKingSide : WhiteQueenSide) : (kingSide ? BlackKingSide : BlackQueenSide);
    const Square rookSquare = SquareOf(rookFile, rank);
    if (p.spoilers[right] == 0 && p.rookSquares[right] != rookSquare)
        return "the king is not between its castling rooks";
    p.spoilers[right] = 0;
    p.rookSquares[right] = rookSquare;
    return nullptr;
}

// "-" or castling letters up to the next blank.
Refusal ParseCastlingField(const char *text, size_t &i, ParsedPosition &p) {
    while (IsBlank(text[i]))
        i++;
    if (text[i] == 0) return "missing castling field";
    for (int k = 0; k < 4; k++) {
        p.spoilers[k] = 1;
        p.rookSquares[k] = 0;
    }
    if (text[i] == '-') {
        i++;
    } else {
        for (; text[i] != 0 && !IsBlank(text[i]); i++)
            if (Refusal refusal = ReadCastlingLetter(text[i], p)) return refusal;
    }
    if (text[i] != 0 && !IsBlank(text[i])) return "bad castling field";
    return nullptr;
}

// En-passant field; a string that ends after the castling field has none.
// Only a square just passed over by an enemy double step counts.
Refusal ParseEnPassantField(const char *text, size_t &i, ParsedPosition &p) {
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
        const bool white = p.side == White;
        const int back = white ? 10 : -10; // toward the pawn that stepped
        const PieceCode pawn = white ? BlackPawn : WhitePawn;
        if (10 - t / 10 == (white ? 6u : 3u) && p.squares[t] == EmptySquare && p.squares[t - back] == EmptySquare &&
            p.squares[t + back] == pawn)
            p.ep = t;
    }
    return nullptr;
}

Refusal ParsePosition(const char *text, ParsedPosition &p) {
    for (Square s = 0; s < 120; s++)
        p.squares[s] = OffBoard;
    for (uint32_t &n : p.count)
        n = 0;
    size_t i = 0;
    Refusal refusal = ParseBoardField(text, i, p);
    if (!refusal) refusal = CheckPieceCounts(p);
    if (!refusal) refusal = ParseSideToMove(text, i, p);
    if (!refusal) refusal = ParseCastlingField(text, i, p);
    if (!refusal) refusal = ParseEnPassantField(text, i, p);
    if (refusal) return refusal;
    p.end = i;
    if (AttackedOnParsed(p.squares, p.kings[Opponent(Color(p.side))], p.side))
        return "the side not to move is in check";
    return nullptr;
}

// Castling state of an accepted position: the corners when every right is a
// standard one, else the rooks' squares and the paths that must be empty.
void SetCastlingLayout(const ParsedPosition &p) {
    constexpr Square Corners[4] = {A1, H1, A8, H8};
    bool corners = true;
    for (int right = 0; right < 4; right++)
        if (p.spoilers[right] == 0)
            corners = corners && p.rookSquares[right] == Corners[right] && p.kings[right / 2] == (right < 2 ? E1 : E8);
    CastlingAnyLayout = corners ? 0 : 1;
    for (int side = 0; side < 2; side++)
        CastleKingSquare[side] = corners ? (side == White ? E1 : E8) : p.kings[side];
    for (int right = 0; right < 4; right++) {
        CastleRookSquare[right] = corners ? Corners[right] : p.rookSquares[right];
        CastlePathMask[right] = 0;
        const Square king = CastleKingSquare[right / 2], rook = CastleRookSquare[right];
        if (p.spoilers[right] != 0 || rook == 0) continue;
        const Move castling = MakeMoveWord(king, rook, EmptySquare, CastlingFlag);
        const Square kingTo = CastlingKingTarget(castling), rookTo = CastlingRookTarget(castling);
        uint64_t path = 0;
        for (auto [a, b] : {std::pair{king, kingTo}, std::pair{rook, rookTo}})
            for (Square s = a < b ? a : b; s <= (a < b ? b : a); s++)
                path |= SquareBit[s];
        CastlePathMask[right] = path & ~(SquareBit[king] | SquareBit[rook]);
    }
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
    SetCastlingLayout(p);
    EpSquare = p.ep;
    RootInCheck = SideInCheck(SideToMove);
    SelectMoveFunctions();

    if (fieldsEnd != nullptr) *fieldsEnd = p.end;
    return true;
}

namespace {

// The castling field: K, Q, k, q where the right's rook is the outermost on
// its side of the king (so standard positions read as always), the rook's
// file otherwise.
std::string CastlingField() {
    std::string field;
    for (int right : {WhiteKingSide, WhiteQueenSide, BlackKingSide, BlackQueenSide}) {
        if (CastleSpoilers[right] != 0) continue;
        const bool white = right < 2, kingSide = right == WhiteKingSide || right == BlackKingSide;
        const Square rook = CastleRookSquare[right];
        const PieceCode code = white ? WhiteRook : BlackRook;
        bool outermost = true;
        for (Square s = rook + (kingSide ? 1 : -1); FileOf[s] != 0; s += kingSide ? 1 : -1)
            outermost = outermost && Board[s].piece != code;
        char letter = outermost ? (kingSide ? 'K' : 'Q') : char('A' + FileOf[rook] - 1);
        field += white ? letter : char(letter - 'A' + 'a');
    }
    return field.empty() ? "-" : field;
}

} // namespace

std::string PositionFen() {
    std::string fen;
    for (int rank = 8; rank >= 1; rank--) {
        int empty = 0;
        for (int file = 1; file <= 8; file++) {
            const PieceCode c = Board[SquareOf(file, rank)].piece;
            if (c == EmptySquare) {
                empty++;
                continue;
            }
            if (empty > 0) fen += char('0' + empty);
            empty = 0;
            fen += c < 14 ? PieceLetters[c] : '?';
        }
        if (empty > 0) fen += char('0' + empty);
        if (rank > 1) fen += '/';
    }
    fen += SideToMove == White ? " w " : " b ";
    fen += CastlingField();
    fen += ' ';
    if (EpSquare != 0) {
        fen += char('a' + FileOf[EpSquare] - 1);
        fen += char('0' + RankOf[EpSquare]);
    } else {
        fen += '-';
    }
    return fen;
}
