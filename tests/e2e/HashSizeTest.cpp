// The "Hash" setting sizes the transposition table; a size the machine
// cannot give ends the start-up with an error instead of a crash.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

namespace {

// Start-up output (or all output, when the engine ends early) and exit status.
struct Outcome {
    std::vector<std::string> lines;
    int status;
};

Outcome StartWithHash(const std::string &megabytes) {
    EngineProcess engine(false);
    engine.WriteFile("Morvane.ini", "BookLearn FALSE\nHash " + megabytes + "\nResign TRUE\n");
    EXPECT_TRUE(engine.Start());
    Outcome o;
    o.lines = engine.ReadStartup();
    engine.Send("quit");
    o.status = engine.WaitExit();
    return o;
}

bool Has(const std::vector<std::string> &lines, const std::string &line) {
    for (const std::string &l : lines)
        if (l == line) return true;
    return false;
}

TEST(HashSize, MegabytesFromTheConfiguration) {
    Outcome o = StartWithHash("256");
    EXPECT_TRUE(Has(o.lines, "Hash size 256 Mbytes"));
    EXPECT_EQ(o.status, 0);
    // Not a power of two: the largest table that fits.
    o = StartWithHash("100");
    EXPECT_TRUE(Has(o.lines, "Hash size 64 Mbytes"));
    // Nothing or less: the smallest table.
    o = StartWithHash("0");
    EXPECT_TRUE(Has(o.lines, "Hash size 1 Mbytes"));
    EXPECT_EQ(o.status, 0);
}

TEST(HashSize, MoreThanTheMachineHasIsRefusedAtStartUp) {
    const double physicalMb = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGE_SIZE)) / 1048576.0;
    if (physicalMb >= 32768) GTEST_SKIP() << "this machine could give the largest table";
    Outcome o = StartWithHash("99999999");
    EXPECT_TRUE(Has(o.lines, "ERROR: cannot allocate 32768 Mbytes for the hash table"));
    EXPECT_FALSE(Has(o.lines, "feature done=1"));
    EXPECT_EQ(o.status, 1);
}

} // namespace
