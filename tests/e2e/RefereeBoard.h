// The test's own copy of a game, kept with the board library only (move
// generator and make), never with the engine's game code: it judges what an
// engine process announces.
#pragma once

#include <cctype>
#include <string>
#include <vector>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/BoardTestSupport.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "shell/MoveText.h"

namespace referee {

inline bool Setup(const char *fen) {
    EnsureBoardReady();
    return SetupPosition(fen);
}

inline std::vector<Move> LegalMoves() {
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    std::vector<Move> legal;
    for (MoveEntry *e = list; e < end; ++e) {
        if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) continue;
        UnmakeMove(SideToMove, e->move);
        legal.push_back(e->move);
    }
    return legal;
}

// Plays the move named by coordinate text (promotion letter in either case);
// false when no legal move has that text.
inline bool Play(const std::string &moveText) {
    std::string text = moveText;
    if (text.size() == 5) text[4] = char(std::toupper(static_cast<unsigned char>(text[4])));
    for (Move m : LegalMoves()) {
        char t[MoveTextSize];
        MoveToText(t, m);
        if (text != t) continue;
        MakeMove(SideToMove, RootInCheck, 0, m);
        EpSquare = IsDoubleStep(m) ? (SideToMove == White ? MoveFrom(m) - 10 : MoveFrom(m) + 10) : 0;
        SideToMove = 1 - SideToMove;
        RootInCheck = SideInCheck(SideToMove);
        SelectMoveFunctions();
        return true;
    }
    return false;
}

} // namespace referee
