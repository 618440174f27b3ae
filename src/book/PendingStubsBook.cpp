// TEMPORARY: stand-ins for shell pieces that have not landed yet, so the book
// code links. Delete each one as soon as the real one arrives.
#include <cstring>

#include "shell/MoveText.h"

void MoveToText(char *buffer, Move) { std::strcpy(buffer, "####"); }
Move ParseSanMove(char *, uint32_t) { return 0; }
