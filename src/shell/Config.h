// The configuration file "Morvane.ini".
#pragma once

#include <cstddef>
#include <cstdint>

// Reads (or creates) the configuration into the settings and returns the hash
// size in megabytes. Ends the process with status 1 when a required setting
// is missing. The start-up that uses the settings is StartUp (shell/Xboard.h).
int64_t ReadConfig();

// Longer configuration files are refused unread.
constexpr size_t MaxConfigBytes = 1 << 20;

// ParseConfigText's answer when the text gives no hash size, and for sizes
// written with more digits than 32 bits hold.
constexpr int64_t HashNotGiven = INT64_MIN;
constexpr int64_t HugeHash = INT64_MAX;
constexpr int64_t HugeNegativeHash = INT64_MIN + 1;

// Reads the settings from the text of a configuration file into the globals
// and returns the hash size in megabytes as written, HashNotGiven when none
// was given. Writes the warnings for unknown values.
int64_t ParseConfigText(const char *text, size_t length);
