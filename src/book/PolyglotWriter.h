// The polyglot book writer behind "morvane-book -f polyglot": replays game
// collections and writes, for every position before each of the first
// plies, the moves played there with weights from how the games ended.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "book/BookBuilder.h"

// Weights of the classic builder: each game that played the move adds, for
// the side that made it, 2 for a win, 1 for a draw (or a game without a known
// result) and 0 for a loss; with results ignored every game adds 1. Moves
// that only lost (weight 0) are left out. Where a position's largest sum is
// beyond 16 bits, its weights are scaled down in proportion.
constexpr uint32_t PolyglotWinPoints = 2;
constexpr uint32_t PolyglotDrawPoints = 1;
constexpr uint32_t PolyglotMaxWeight = 65535;

// The options mean what they mean for the main book: `plies` moves per game
// at most, `minCount` games per move at least, `useResults`, and `maxSlots`
// as the limit of the move table (entries). `stats.positions` counts the
// distinct position-and-move pairs, `stats.written` the entries written.
// The book is written through a temporary file, so an existing book is
// replaced only by a complete new one; false, with the reason on `messages`,
// when an input cannot be read or no move qualifies.
bool BuildPolyglotBook(const std::vector<std::string> &gameFiles, const char *bookFile, const BookBuildOptions &options,
                       BookBuildStats &stats, std::FILE *messages);
