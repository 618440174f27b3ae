// TEMPORARY: declarations of functions other subsystems will provide, until
// their headers land. Remove together with PendingStubsSearch.cpp.
#pragma once

#include <cstdint>

#include "board/Board.h"

// Opening books at the root: returns the new end of the list.
MoveEntry *BookLookupWhite(MoveEntry *begin, MoveEntry *end);
MoveEntry *BookLookupBlack(MoveEntry *begin, MoveEntry *end);

// Configuration: fixed-time searches stop after this many stable iterations.
extern int32_t ExtraPlySearch;
