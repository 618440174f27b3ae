// Move text: coordinate output, algebraic (SAN) input, the board display.
#pragma once

#include <cstdint>

#include "board/Board.h"

constexpr int MoveTextSize = 8;

// Coordinate text ("e2e4", "e7e8Q"), "####" when a square byte is 0.
void MoveToText(char *buffer, Move m);
// The same in UCI's spelling: lower-case promotion letter, "0000" for no move.
void MoveToUciText(char *buffer, Move m);
// A word shaped like a coordinate move: e2e4, e7e8q, e7e8=q (any case of the
// promotion letter).
bool LooksLikeCoordinateMove(const char *word);
// Coordinate text, a blank, the score (exchange listing).
void PrintMoveScore(Move m, int32_t score);
// Move of the current position whose algebraic text equals text (a trailing
// check sign is removed in place), or 0. When nothing matches it says so and
// shows the board.
Move ParseSanMove(char *text, uint32_t legalOnly);
// The board as eight lines of piece letters; a '+' marks a piece the piece
// lists do not know.
void DisplayBoard();
