#include "shell/Xboard.h"

int main() { return XboardMain(); }
