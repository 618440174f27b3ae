// Shared helpers of the evaluation tests: start-up, position set-up with the
// engine settings the pawn term reads, EPD files and the colour-flipped twin.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/BoardTestSupport.h"
#include "board/Setup.h"
#include "eval/EvalState.h"
#include "eval/EvalTerms.h"
#include "eval/Evaluate.h"
#include "shell/ShellState.h"

// Sets up `fen` with the opponent marked as a computer (no closed-position
// term), no root castling rights and an empty pawn table, so every test
// starts from the same state.
inline void SetUpPosition(const std::string &fen, uint8_t opponentIsComputer = 1) {
    EnsureBoardReady();
    ASSERT_TRUE(SetupPosition(fen.c_str())) << fen;
    OpponentIsComputer = opponentIsComputer;
    RootCastlingRights[White] = RootCastlingRights[Black] = 0;
    ClearPawnHashTable();
}

inline int32_t FullEvaluate() { return Evaluate(SideToMove, -32767, 32767); }

// The pawn entry of the current position, freshly computed.
inline PawnHashEntry FreshPawnEntry() {
    PawnHashEntry e{};
    ComputePawnEntry(e);
    return e;
}

// The first four FEN fields of every line of a test-data file.
inline std::vector<std::string> ReadPositions(const std::string &name) {
    std::vector<std::string> out;
    std::ifstream in(std::string(MORVANE_TEST_DATA) + "/" + name);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string board, side, castling, ep;
        if (!(words >> board >> side >> castling >> ep)) continue;
        out.push_back(board + " " + side + " " + castling + " " + ep);
    }
    return out;
}

inline std::vector<std::string> AllTestPositions() {
    std::vector<std::string> all;
    for (const char *file : {"wac.epd", "perftsuite.epd", "perft-standard.epd"}) {
        auto part = ReadPositions(file);
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline char SwapCase(char c) {
    return std::isupper(static_cast<unsigned char>(c)) ? char(std::tolower(static_cast<unsigned char>(c)))
                                                       : char(std::toupper(static_cast<unsigned char>(c)));
}

// Board reflected top to bottom, colours swapped, side to move swapped,
// castling rights swapped, en-passant square mirrored.
inline std::string FlipFen(const std::string &fen) {
    std::istringstream words(fen);
    std::string board, side, castling, ep;
    words >> board >> side >> castling >> ep;
    std::vector<std::string> rows;
    std::istringstream rowText(board);
    for (std::string row; std::getline(rowText, row, '/');)
        rows.push_back(row);
    std::reverse(rows.begin(), rows.end());
    std::string flipped;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i) flipped += '/';
        for (char c : rows[i])
            flipped += SwapCase(c);
    }
    std::string rights = castling;
    if (rights != "-") std::transform(rights.begin(), rights.end(), rights.begin(), SwapCase);
    std::string target = ep;
    if (target != "-") target[1] = target[1] == '3' ? '6' : '3';
    return flipped + (side == "w" ? " b " : " w ") + rights + " " + target;
}
