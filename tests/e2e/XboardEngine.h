// An engine process that has finished its start-up, driven command by command
// as an xboard interface does; it is told to quit when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/EngineProcess.h"

// A game-end line: "1-0 {...}", "0-1 {...}", "1/2-1/2 {...}" or "resign".
inline bool IsResult(const std::string &line) {
    return line.rfind("1-0 {", 0) == 0 || line.rfind("0-1 {", 0) == 0 || line.rfind("1/2-1/2 {", 0) == 0 ||
           line == "resign";
}

// A line that tells the interface something went wrong.
inline bool IsComplaint(const std::string &line) {
    return line.rfind("Illegal move", 0) == 0 || line.rfind("Error", 0) == 0 || line.rfind("tellusererror", 0) == 0;
}

// Reads until the engine moves ("move X" gives X) or ends the game (gives the
// result line); "" when it falls silent. Complaint lines go to `complaints`,
// or fail the test when it is not given; so does the null move "####".
inline std::string AwaitMoveOrResult(EngineProcess &engine, std::vector<std::string> *complaints = nullptr) {
    for (;;) {
        auto line = engine.ReadLine();
        if (!line) return "";
        if (IsComplaint(*line)) {
            if (complaints)
                complaints->push_back(*line);
            else
                ADD_FAILURE() << *line;
        }
        if (line->rfind("move ", 0) == 0) {
            EXPECT_NE(line->substr(5), "####") << "the null move was announced";
            return line->substr(5);
        }
        if (IsResult(*line)) return *line;
    }
}

class XboardEngine : public EngineProcess {
  public:
    using Lines = std::vector<std::string>;

    XboardEngine() {
        EXPECT_TRUE(Start());
        bool found = false;
        ReadStartup(&found);
        EXPECT_TRUE(found);
    }
    ~XboardEngine() {
        Send("quit");
        EXPECT_EQ(WaitExit(), 0);
    }
    // Everything the commands printed.
    Lines Run(const Lines &commands) {
        for (const std::string &c : commands)
            Send(c);
        return Sync();
    }
    // The same without the board diagrams ("\t\t..." rows).
    Lines RunQuiet(const Lines &commands) {
        Lines out;
        for (const std::string &l : Run(commands))
            if (l.rfind("\t\t", 0) != 0) out.push_back(l);
        return out;
    }
    // The leaf count of "perft depth", or a text saying what went wrong.
    std::string Perft(int depth) {
        Lines out = RunQuiet({"perft " + std::to_string(depth)});
        if (out.size() != 1 || out[0].rfind("Total nodes: ", 0) != 0) return "no perft line";
        std::string count = out[0].substr(13);
        return count.substr(0, count.find('\t'));
    }
};
