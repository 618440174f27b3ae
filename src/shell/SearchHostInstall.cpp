// Compiled into every program that links the shell (an interface source of
// the shell library), so that any search such a program runs answers input,
// prints thinking lines and sees the game's repetitions, as the engine does.
#include "shell/ShellState.h"

namespace {

const bool SearchHostInstalled = (InstallSearchHost(), true);

} // namespace
