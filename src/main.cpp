#include <cstring>

#include "shell/FixedDepthBench.h"
#include "shell/Xboard.h"

// "morvane" plays (xboard protocol, UCI on request); "morvane bench [depth]"
// prints the fixed-depth node count and exits.
int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "bench") == 0) return RunFixedBenchCommand(argc - 2, argv + 2);
    return XboardMain();
}
