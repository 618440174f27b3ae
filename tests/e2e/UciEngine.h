// An engine process switched to UCI, driven as a UCI interface drives it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

struct UciEngine : EngineProcess {
    using Lines = std::vector<std::string>;

    UciEngine() {
        EXPECT_TRUE(Start());
        ReadStartup();
        Send("uci");
    }
    Lines Identification() { return ReadUntilPrefix("uciok"); }
    // Lines up to and including "bestmove ...".
    Lines AwaitBestMove(int timeoutMs = DefaultTimeoutMs, bool *found = nullptr) {
        return ReadUntilPrefix("bestmove ", found, timeoutMs);
    }
    // "isready" answered: every earlier line has been dealt with.
    Lines Ready(bool *found = nullptr) {
        Send("isready");
        return ReadUntil([](const std::string &l) { return l == "readyok"; }, found);
    }
};

// The move after "bestmove " ("" when the last line is no bestmove line).
inline std::string BestMoveOf(const std::vector<std::string> &lines) {
    if (lines.empty() || lines.back().rfind("bestmove ", 0) != 0) return "";
    std::string rest = lines.back().substr(9);
    return rest.substr(0, rest.find(' '));
}

// The move after " ponder " on the bestmove line, "" when none.
inline std::string PonderMoveOf(const std::vector<std::string> &lines) {
    if (lines.empty()) return "";
    size_t at = lines.back().find(" ponder ");
    return at == std::string::npos ? "" : lines.back().substr(at + 8);
}
