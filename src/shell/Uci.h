// The UCI front end, entered by "uci" and kept for the rest of the process.
#pragma once

// Returns at "quit" or at the end of input; the program then ends.
void UciLoop();
