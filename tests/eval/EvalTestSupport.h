// Shared helpers of the evaluation tests: a position with a fixed engine
// setting, the test-data positions and the colour-flipped twin of a FEN.
#pragma once

#include <cctype>
#include <sstream>

#include "board/BoardTestSupport.h"
#include "eval/EvalState.h"
#include "eval/EvalTables.h"
#include "eval/EvalTerms.h"
#include "eval/Evaluate.h"

// Sets up fen with a computer opponent (no closed-position term), no root
// castling rights, no king danger and an empty pawn table.
inline void SetUpPosition(const std::string &fen) {
    ASSERT_TRUE(SetUpBoard(fen)) << fen;
    OpponentIsComputer = 1;
    RootCastlingRights[White] = RootCastlingRights[Black] = 0;
    WhiteKingDanger = BlackKingDanger = 0;
    ClearPawnHashTable();
}

inline int32_t FullEvaluate() { return Evaluate(SideToMove, -32767, 32767); }

inline PawnHashEntry FreshPawnEntry() {
    PawnHashEntry e{};
    ComputePawnEntry(e);
    return e;
}

// The first four FEN fields of every position in the test data.
inline std::vector<std::string> AllTestPositions() {
    std::vector<std::string> all;
    for (const char *file : {"wac.epd", "perftsuite.epd", "perft-standard.epd"}) {
        std::ifstream in(std::string(MORVANE_TEST_DATA) + "/" + file);
        for (std::string line, board, side, castling, ep; std::getline(in, line);)
            if (std::istringstream(line) >> board >> side >> castling >> ep)
                all.push_back(board + " " + side + " " + castling + " " + ep);
    }
    return all;
}

// Board reflected top to bottom, colours, side to move, rights and en passant swapped.
inline std::string FlipFen(const std::string &fen) {
    std::string board, side, castling, ep, flipped;
    std::istringstream(fen) >> board >> side >> castling >> ep;
    std::istringstream rows(board);
    for (std::string row; std::getline(rows, row, '/');)
        flipped = row + (flipped.empty() ? "" : "/") + flipped;
    flipped += (side == "w" ? " B " : " W ") + castling;
    for (char &c : flipped) // pieces, side to move and rights change colour
        c = char(std::islower(c) ? std::toupper(c) : std::tolower(c));
    if (ep != "-") ep[1] = ep[1] == '3' ? '6' : '3';
    return flipped + " " + ep;
}
