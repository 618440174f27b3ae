// Endgame tablebases: registration of the table files, the block cache and
// the probe that scores a position with at most five pieces exactly.
//
// Table files are the plain ".nbw" (white to move) and ".nbb" (black to
// move) files of each endgame, one signed byte per position. Compressed
// files (".nbw.emd", "nbw.emd", the same for black) are not read; start-up
// names each one that stands in for a missing plain file.
#pragma once

#include <array>
#include <cstdint>

#include "tablebase/TableList.h"

// The table list: names, index functions and lengths, and the registration
// and open files of each table side.
extern std::array<TbDescriptor, TbTableCount> TbDescriptors;

// Non-king pieces the registered tables cover (1..3); 0 or less when no
// table is registered. Set by StartTablebases.
extern int32_t TbLimit;
// The piece limit of the running search (the root copies TbLimit into it).
extern int32_t TbSearchLimit;

// A table byte that is not available (missing file, failed read, no cache).
constexpr int32_t TbNotAvailable = 127;

// May the search probe with this many non-king pieces? (A negative limit
// means never: the comparison is signed.)
inline bool TbProbeAllowed(uint32_t pieceCount) { return TbSearchLimit >= int32_t(pieceCount); }

// Start-up: registers the tables found under the directories of tbPath
// (separated by "," or ";", earlier directories win) and sets up a block
// cache of tbCacheMegabytes. Sets TbLimit.
void StartTablebases(const char *tbPath, double tbCacheMegabytes);

// Registers the tables of a directory list; returns 5, 4 or 3 for the
// largest table size found, 0 for none. Fatal errors end the process.
int InitTablebases(const char *pathList);

// Registers one table side from one directory (false when the file is not there).
bool RegisterTableFile(const char *directory, int id, int side);

// The signed table byte at index of a table side, or TbNotAvailable.
int32_t ProbeTableValue(int id, int side, uint32_t index);

// Score of the current position from White's point of view (mates counted
// from the root by ply), or NoScore. epSquare is a board square or 0.
int32_t ProbeTablebase(uint32_t ply, uint32_t epSquare, uint32_t sideToMove);
