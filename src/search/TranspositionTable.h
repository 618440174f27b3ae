// Transposition table: allocation and clearing (probe/store live beside the search).
#pragma once

#include <cstdint>

// Allocates the table for a size in megabytes, prints "Hash size N Mbytes",
// fills the hashing keys. Returns false (after an "ERROR: " line) when the
// memory cannot be had.
bool AllocateHash(int64_t megabytes);
void ClearHash();
