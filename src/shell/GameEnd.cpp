// Game-end detection by the rules of chess, the board history behind the
// repetition and fifty-move rules.
#include "shell/GameEnd.h"

#include <cstdio>
#include <cstring>

#include "board/Attack.h"
#include "shell/GameMoves.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

namespace {

void TakeSnapshot(uint32_t *slot) {
    for (int s = 0; s < 120; ++s)
        slot[s] = Board[s].piece;
}

bool SameAsBoard(const uint32_t *slot) {
    for (int s = 0; s < 120; ++s)
        if (slot[s] != Board[s].piece) return false;
    return true;
}

// A UCI interface keeps the score itself: the result lines are xboard's.
void Announce(const char *text) {
    if (!Pondering && !UciMode) PrintLine(text);
}

// Slot the board after m (already made) goes to, before any sliding.
uint32_t SlotFor(Move m) {
    PieceCode moved = Board[MoveTo(m)].piece;
    bool reversible = !IsCapture(m) && !IsEnPassant(m) && moved != WhitePawn && moved != BlackPawn && !IsPromotion(m);
    return reversible ? BoardHistoryCount : 0;
}

} // namespace

void SaveBoardHistory(Move m, BoardHistoryUndo &u) {
    u.count = BoardHistoryCount;
    u.slot = SlotFor(m);
    u.slid = u.slot >= uint32_t(BoardHistorySize);
    memcpy(u.snapshot, BoardHistory[u.slid ? 0 : u.slot], sizeof(u.snapshot));
}

void RestoreBoardHistory(const BoardHistoryUndo &u) {
    if (u.slid) {
        memmove(BoardHistory[1], BoardHistory[0], sizeof(BoardHistory[0]) * (BoardHistorySize - 1));
        memcpy(BoardHistory[0], u.snapshot, sizeof(u.snapshot));
    } else {
        memcpy(BoardHistory[u.slot], u.snapshot, sizeof(u.snapshot));
    }
    BoardHistoryCount = u.count;
}

void RecordBoard(Move m) {
    uint32_t slot = SlotFor(m);
    if (slot >= uint32_t(BoardHistorySize)) {
        // Full (only after the fifty-move announcement, in force mode): drop
        // the oldest board so that the recent ones stay comparable.
        memmove(BoardHistory[0], BoardHistory[1], sizeof(BoardHistory[0]) * (BoardHistorySize - 1));
        slot = BoardHistorySize - 1;
    }
    TakeSnapshot(BoardHistory[slot]);
    BoardHistoryCount = slot + 1;
}

uint32_t BoardRepeats() {
    for (int32_t j = int32_t(BoardHistoryCount) - 2; j >= 0; j -= 2)
        if (SameAsBoard(BoardHistory[j])) return 1;
    return 0;
}

void CheckGameEnd() {
    RootInCheck = SideInCheck(SideToMove);
    if (FirstLegalMove() == 0) { // no legal move: mate or stalemate
        EngineSide = NoEngineSide;
        if (RootInCheck)
            Announce(SideToMove == Black ? "1-0 {White mates}" : "0-1 {Black mates}");
        else
            Announce("1/2-1/2 {Stalemate}");
        return;
    }
    if (BoardHistoryCount > 100) {
        EngineSide = NoEngineSide;
        Announce("1/2-1/2 {Draw by 50 moves rule}");
        return;
    }
    int repeats = 0;
    for (int32_t j = int32_t(BoardHistoryCount) - 3; j >= 0; j -= 2)
        if (SameAsBoard(BoardHistory[j])) ++repeats;
    if (repeats >= 2) {
        EngineSide = NoEngineSide;
        Announce("1/2-1/2 {Draw by threefold repetition}");
        return;
    }
    if (PieceLists[WhitePawn][0] == 0 && PieceLists[BlackPawn][0] == 0 && WhitePieceWeight + BlackPieceWeight < 5) {
        EngineSide = NoEngineSide;
        Announce("1/2-1/2 {Draw by insufficient material}");
    }
}
