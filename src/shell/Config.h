// The configuration file "Morvane.ini".
#pragma once

#include <cstddef>
#include <cstdint>

// Reads (or creates) the configuration into the settings and returns the hash
// size in megabytes. Ends the process with status 1 when a required setting
// is missing. The start-up that uses the settings is StartUp (shell/Xboard.h).
int64_t ReadConfig();

// Reads the settings from the text of a configuration file into the globals
// and returns the hash size in megabytes, -1 when none was given. Writes the
// warnings for unknown values.
int64_t ParseConfigText(const char *text, size_t length);
