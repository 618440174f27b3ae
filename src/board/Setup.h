// Position setup from FEN/EPD text.
#pragma once

#include <cstddef>
#include <string>

#include "board/Board.h"

// Replaces the current position (board, pieces, keys, rights, GamePly and the
// position history). Returns true on success; on malformed text prints one
// "ERROR: " line (through PrintNotice) saying what is wrong and leaves the
// position as it was. On success *fieldsEnd, when given, is the index just
// past the position's fields: the operations of an EPD line start there. The
// game around the position is the shell's business (SetupGame).
bool SetupPosition(const char *text, size_t *fieldsEnd = nullptr);
// The first four fields of a FEN for the current position. Castling rights
// are written K, Q, k, q when their rook is the outermost on its side of the
// king, else as the rook's file (white upper case): X-FEN, which is plain FEN
// for standard positions.
std::string PositionFen();

constexpr const char StartPosition[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
