// Evaluation state that lives between calls and that other subsystems read:
// the pawn hash table, the kings' danger values, the root castling counts and
// the game settings the evaluation reads.
#pragma once

#include <cstdint>

// Everything the later terms need to know about one pawn structure. File
// masks have bit 7 for file a down to bit 0 for file h.
struct PawnHashEntry {
    uint32_t keyLow;
    uint32_t keyHigh;
    int16_t score; // pawn-structure score, White's view
    uint8_t whitePassedFiles;
    uint8_t blackPassedFiles;
    uint8_t whiteShelterKingSide;  // weakness of the shelter on files f-h
    uint8_t whiteShelterQueenSide; // weakness of the shelter on files a-c
    uint8_t blackShelterKingSide;
    uint8_t blackShelterQueenSide;
    uint8_t whitePawnFiles;
    uint8_t blackPawnFiles;
    uint8_t whiteLightPawns;
    uint8_t blackLightPawns;
};
static_assert(sizeof(PawnHashEntry) == 20, "pawn hash entries are 20 bytes");

constexpr uint32_t PawnHashSize = 65536; // index = low key word & (size - 1)
extern PawnHashEntry PawnHashTable[PawnHashSize];
// The pawn table of this thread: null for the main thread, which uses
// PawnHashTable; a helper search thread brings its own.
extern constinit thread_local PawnHashEntry *ThreadPawnTable;
extern constinit thread_local PawnHashEntry *CurrentPawnEntry; // entry of the structure being evaluated

// Weakness of each king, left by the king-safety terms for the king-attack
// scaling and the queen terms.
extern constinit thread_local int32_t WhiteKingDanger;
extern constinit thread_local int32_t BlackKingDanger;

// Castling rights (0..2) each side had at the root of the current search;
// written by the root search, 0 until the first search.
extern uint32_t RootCastlingRights[2];

// The game as the closed-position term sees it; the shell sets both.
extern uint32_t EngineSide;          // White, Black or NoEngineSide
constexpr uint32_t NoEngineSide = 2; // the engine plays neither side (force mode, analysis)
extern uint8_t OpponentIsComputer;   // "computer": no penalty for closed positions

// Empties the pawn hash table (it starts empty; the evaluation itself never
// clears it).
void ClearPawnHashTable();
