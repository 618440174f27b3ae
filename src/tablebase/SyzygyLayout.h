// The parts of a Syzygy table file that Fathom trusts when it first reads a
// table: the header, the settings of each sub-table and the symbol trees of
// their compressed data. Fathom builds its decoding tables from them in
// blocks it sizes by the same bytes, so a damaged tree makes it write outside
// those blocks. This check walks the same bytes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Largest number of symbols in one sub-table: indices have 12 bits, and
// Fathom's scratch table holds this many.
constexpr uint32_t SyzygyMaxSymbols = 4096;

// Is the table `stem` ("KQvKR") of `size` bytes at `data` sound enough for
// Fathom to read? `wdl`: a win/draw/loss file (else distance to zero).
// Returns "" or what is wrong.
std::string SyzygyLayoutProblem(const uint8_t *data, size_t size, const std::string &stem, bool wdl);

// The same for a file on disk ("" also when the file cannot be mapped: the
// loader reports those itself).
std::string SyzygyFileLayoutProblem(const std::string &path, const std::string &stem, bool wdl);
