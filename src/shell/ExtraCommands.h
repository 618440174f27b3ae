// Commands beyond playing a game: the root moves an analysis leaves out
// (xboard "exclude" and "include") and the developer commands of UCI mode
// ("go perft", "d", "eval").
#pragma once

#include <cstdint>
#include <string>

// The static evaluation of the board, castling rights included, in
// centipawns from White's point of view (xboard "score", UCI "eval").
int32_t EvaluateBoard();

// "exclude MOVE" (exclude true) or "include MOVE"; MOVE is a move in
// coordinate text or "all". False when it is neither "all" nor a legal move
// of the position: the set of excluded moves then stays as it was.
bool ChangeExcludedMoves(const char *move, bool exclude);

// The position in FEN with all six fields: the half-move clock counts the
// plies since the last capture or pawn move of the game record, the move
// number is counted from the setup on.
std::string FullFen();

// UCI "d": the board, then "Fen: " and the position's FEN.
void ShowPosition();

// Deepest UCI "go perft"; a deeper request is cut to it.
constexpr int32_t MaxPerftDepth = 10;
// UCI "go perft": "MOVE: N" for every legal root move, then an empty line and
// "Nodes searched: N". Nothing but the moves counted in full when
// endRequested (asked every few million leaves) answers true.
void GoPerft(int32_t depth, bool (*endRequested)());
