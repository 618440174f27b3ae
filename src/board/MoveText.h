// Move text: coordinate output, algebraic (SAN) input, the board display.
#pragma once

#include <cstdint>

#include "board/Board.h"

constexpr int MoveTextSize = 8;

// How coordinate text writes castling: as the king's move to its destination
// (e1g1; only for the standard layout, other layouts are written as the next
// one), as the king taking its own rook (e1h1, b1a1), or as O-O / O-O-O.
enum CastlingSpelling : uint8_t { KingToDestination, KingTakesRook, CastlingLetters };
extern CastlingSpelling CastlingOutput; // set by the protocol in use

// Coordinate text ("e2e4", "e7e8Q"), "####" when a square byte is 0.
void MoveToText(char *buffer, Move m);
// The entry of list..end that a typed coordinate word (promotion letter in
// upper case) names, or 0: its MoveToText first, then castling as the king
// taking its rook or moving to its destination, where no other move has that
// text. O-O and 0-0 are castling only while CastlingOutput is CastlingLetters.
Move FindTypedMove(const MoveEntry *list, const MoveEntry *end, const char *text);
// "O-O", "O-O-O" or the same with zeros.
bool LooksLikeCastling(const char *word);
// The same in UCI's spelling: lower-case promotion letter, "0000" for no move.
void MoveToUciText(char *buffer, Move m);
// A word shaped like a coordinate move: e2e4, e7e8q, e7e8=q (any case of the
// promotion letter).
bool LooksLikeCoordinateMove(const char *word);
// Coordinate text, a blank, the score (exchange listing).
void PrintMoveScore(Move m, int32_t score);
// How closely an algebraic (SAN) text must follow the move's own spelling.
enum class SanReading : uint8_t {
    // Test-suite best moves and style books: exactly the text this engine
    // gives the move. A disambiguating character only where another piece
    // of the same kind reaches the square (rank digit when both stand on one
    // file, else the file letter), "x" for a capture, "=" before a promotion
    // letter, "O-O", optionally "ep" after an en-passant capture. The first
    // match among the legal moves (with legalOnly), else among all generated
    // moves; when nothing matches it says so and shows the board.
    Exact,
    // Game collections: also "e8Q", "Ng1f3", "e2e4", "e2-e4", "exd6e.p.",
    // "0-0", capture signs anywhere or missing. The one move among those
    // considered (legal ones with legalOnly) that the text names, else 0
    // (none or more than one); nothing is printed.
    Loose,
};
// Castling written with zeros ("0-0", "0-0-0", "0-0+") is spelt with the
// letter O; other texts stay as they are.
void SpellCastlingWithLetters(char *text);
// Move of the current position that text names, or 0. A trailing "+" and
// then a trailing "#" are removed from text in place (once each: "Qh5+#"
// names nothing).
Move ParseSanMove(char *text, uint32_t legalOnly, SanReading reading = SanReading::Exact);
// The board as eight lines of piece letters; a '+' marks a piece the piece
// lists do not know.
void DisplayBoard();
