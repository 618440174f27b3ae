// The main-book builder: replays game collections and writes, for every
// position reached in their first plies, a weight from how often it was
// reached and, where the games carry results, how the move into it scored.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "board/Board.h"

struct BookBuildOptions {
    int plies = 20;                  // replay each game to at most this many plies
    uint32_t minCount = 2;           // positions reached in fewer games are left out
    bool useResults = true;          // the weight also reflects how the move scored
    uint64_t maxSlots = 1ull << 23;  // size limit of the position table (entries)
    uint64_t progressEvery = 100000; // a progress line every so many games; 0 none
};

struct BookBuildStats {
    uint64_t games = 0;       // games read, skipped ones included
    uint64_t skipped = 0;     // games that could not be replayed
    uint64_t positions = 0;   // distinct positions counted
    uint64_t written = 0;     // position records in the book (header not counted)
    uint32_t prunedBelow = 0; // when the table filled up: positions then seen fewer times were dropped
};

// Game weights: each game that reaches a position through a move adds
// WinPoints, DrawPoints or LossPoints for the side that made the move (a
// game without a known result counts as a draw); with results ignored every
// game adds DrawPoints. The record's weight is the sum. The lookup needs a
// weight of at least 2 to choose a move, so one game is enough.
constexpr uint32_t WinPoints = 4;
constexpr uint32_t DrawPoints = 2;
constexpr uint32_t LossPoints = 0;

// Builds the book from the game files and writes it to bookFile (through a
// temporary file, so an existing book is replaced only by a complete new
// one). Warnings and progress go to `messages`. False, with the reason on
// `messages`, when an input cannot be read or no position qualifies; the
// book file is then left as it was.
bool BuildBook(const std::vector<std::string> &gameFiles, const char *bookFile, const BookBuildOptions &options,
               BookBuildStats &stats, std::FILE *messages);
