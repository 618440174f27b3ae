// Tests that need a program or library the build does not (polyglot, xboard,
// the Gaviota tables) skip when it is missing, unless MORVANE_REQUIRE_INTERFACES
// is set (scripts/test.sh sets it after installing them): then they fail, so
// that a missing package cannot pass for a passing test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

inline bool PackagesRequired() {
    const char *value = std::getenv("MORVANE_REQUIRE_INTERFACES");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

#define SKIP_WITHOUT_PACKAGE(why)                                                                                      \
    do {                                                                                                               \
        if (PackagesRequired()) FAIL() << (why) << " (MORVANE_REQUIRE_INTERFACES is set)";                             \
        GTEST_SKIP() << (why);                                                                                         \
    } while (false)
