// Settings an interface may change while the engine runs.
#pragma once

#include <cstdint>
#include <string>

// The largest "Move Overhead" (milliseconds).
constexpr int32_t MaxMoveOverhead = 5000;
// "Move Overhead" when neither the configuration nor the interface sets it.
constexpr int32_t DefaultMoveOverhead = 10;

// Option names and check values are read without regard to case.
bool EqualNoCase(const std::string &a, const char *b);
// A check option's value: "true" or "1", "false" or "0".
bool IsTrue(const std::string &value);
bool IsFalse(const std::string &value);

// The option announcements: UCI "option name ..." lines, or xboard
// "feature option=..." lines (the hash size goes through "memory" there).
void PrintOptionLines(bool xboard);
// Sets an option by name (case-insensitive); false for an unknown name or a
// value it cannot take. Takes effect before the next search.
bool SetEngineOption(const std::string &name, const std::string &value);
// Is `name` (case-insensitive) one of the options above?
bool IsEngineOption(const std::string &name);

// Loads the Syzygy tables of a ':'-separated folder list (empty: none) and
// says how many were found, or warns; the engine goes on either way.
void LoadSyzygyTables(const std::string &path);
