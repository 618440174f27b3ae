// TEMPORARY: declarations of functions other subsystems will provide, until
// their headers land. Remove together with PendingStubsSearch.cpp.
#pragma once

#include <cstdint>

#include "board/Board.h"

// Tablebases: piece limit (<= 0: no tables), the running search's limit and
// the probe (32768 = no answer).
extern int32_t TbLimit;
extern int32_t TbSearchLimit;
int32_t ProbeTablebase(uint32_t ply, uint32_t epSquare, uint32_t side);

// Opening books at the root: returns the new end of the list.
MoveEntry *BookLookupWhite(MoveEntry *begin, MoveEntry *end);
MoveEntry *BookLookupBlack(MoveEntry *begin, MoveEntry *end);

// Evaluation: castling rights at the root, per side (0..2).
extern uint32_t RootCastlingRights[2];

// Configuration: fixed-time searches stop after this many stable iterations.
extern int32_t ExtraPlySearch;
