// Move text: coordinate output, algebraic (SAN) input, the board display.
#pragma once

#include <cstdint>

#include "board/Board.h"

constexpr int MoveTextSize = 8;

// Coordinate text ("e2e4", "e7e8Q"), "####" when a square byte is 0.
void MoveToText(char *buffer, Move m);
// Coordinate text, a blank, the score (exchange listing).
void PrintMoveScore(Move m, int32_t score);
// Move of the current position whose algebraic text equals text (a trailing
// check sign is removed in place), or 0. When nothing matches it says so and
// shows the board.
Move ParseSanMove(char *text, uint32_t legalOnly);
// The board as eight lines of piece letters; a '+' marks a piece the piece
// lists do not know.
void DisplayBoard();
