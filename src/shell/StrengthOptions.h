// The strength settings: UCI_LimitStrength and UCI_Elo (xboard "Limit
// Strength" and "Elo") and their Morvane.ini keys.
#pragma once

#include <string>

// The announcements: UCI "option name ..." lines or xboard option features.
void PrintStrengthOptionLines(bool xboard);
// Sets one of the strength options by name (case-insensitive, either
// protocol's name); *known tells whether the name is one of them. False for
// a value it cannot take (the option keeps its value). An Elo out of range
// is taken at the nearest level, with a line saying so.
bool SetStrengthOption(const std::string &name, const std::string &value, bool *known);
bool IsStrengthOption(const std::string &name);

// Morvane.ini: is `key` one of "LimitStrength", "Elo", "StrengthSeed"?
bool IsStrengthKey(const std::string &key);
// Takes the value word of such a key; a value it cannot use gets a WARNING
// line and leaves the setting as it was.
void ReadStrengthSetting(const std::string &key, const std::string &value);
