// Position setup from FEN/EPD text.
#pragma once

#include "board/Board.h"

// Replaces the current position (board, pieces, keys, rights, GamePly and the
// position history) and reads the best moves of a "bm" operation. Returns
// true on success; on malformed text prints one "ERROR: " line saying what is
// wrong and leaves the position as it was. The game around the position is the
// shell's business (SetupGame).
bool SetupPosition(const char *text);
uint32_t ReadMoveToken(const char *text, uint32_t &index);
// Is m (from- and to-square) one of the best moves of the position set up?
bool IsBestMove(Move m);

constexpr const char StartPosition[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
