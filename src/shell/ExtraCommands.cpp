#include "shell/ExtraCommands.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "board/MoveGenerator.h"
#include "board/MoveMaker.h"
#include "board/MoveText.h"
#include "board/Perft.h"
#include "board/Setup.h"
#include "eval/Evaluate.h"
#include "search/SearchState.h"
#include "shell/Output.h"
#include "shell/ShellState.h"

int32_t EvaluateBoard() {
    SetRootCastlingRights();
    return Evaluate(SideToMove, -32767, 32767);
}

namespace {

// The legal moves of the position.
MoveEntry *LegalMoves(MoveEntry *list) {
    SelectMoveFunctions();
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    for (MoveEntry *e = list; e < end;) {
        if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) {
            *e = *--end;
            continue;
        }
        UnmakeMove(SideToMove, e->move);
        ++e;
    }
    return end;
}

bool IsExcluded(Move m) {
    for (int32_t i = 0; i < RootMovesExcludedCount; ++i)
        if (RootMovesExcluded[i] == m) return true;
    return false;
}

} // namespace

bool ChangeExcludedMoves(const char *move, bool exclude) {
    MoveEntry list[MoveListSize];
    MoveEntry *end = LegalMoves(list);
    if (std::strcmp(move, "all") == 0) {
        RootMovesExcludedCount = 0;
        if (exclude)
            for (MoveEntry *e = list; e < end && RootMovesExcludedCount < RootSubsetSize; ++e)
                RootMovesExcluded[RootMovesExcludedCount++] = e->move;
        return true;
    }
    // Coordinate text as the interface sends it: a promotion letter in
    // either case.
    char wanted[MoveTextSize];
    const size_t length = strnlen(move, sizeof wanted);
    if (length < 4 || length >= sizeof wanted) return false;
    std::memcpy(wanted, move, length + 1);
    if (length == 5 && wanted[4] >= 'a' && wanted[4] <= 'z') wanted[4] = char(wanted[4] - 'a' + 'A');
    for (MoveEntry *e = list; e < end; ++e) {
        char text[MoveTextSize];
        MoveToText(text, e->move);
        if (std::strcmp(text, wanted) != 0) continue;
        if (exclude && !IsExcluded(e->move) && RootMovesExcludedCount < RootSubsetSize) {
            RootMovesExcluded[RootMovesExcludedCount++] = e->move;
        } else if (!exclude) {
            for (int32_t i = 0; i < RootMovesExcludedCount; ++i)
                if (RootMovesExcluded[i] == e->move)
                    RootMovesExcluded[i--] = RootMovesExcluded[--RootMovesExcludedCount];
        }
        return true;
    }
    return false;
}

std::string FullFen() {
    // Plies since the last capture or pawn move; the setup counts as one.
    uint32_t quiet = 0;
    while (quiet < GamePly && !PositionHistory[GamePly - quiet].irreversible)
        ++quiet;
    const uint32_t firstSide = (SideToMove + GamePly) & 1; // the side to move at the setup
    return PositionFen() + ' ' + std::to_string(quiet) + ' ' + std::to_string(1 + (GamePly + firstSide) / 2);
}

void ShowPosition() {
    DisplayBoard();
    PrintLine("Fen: ", FullFen().c_str());
}

namespace {

void PrintRootCount(Move move, uint64_t leaves) {
    char text[MoveTextSize];
    MoveToUciText(text, move);
    std::printf("%s: %" PRIu64 "\n", text, leaves);
}

} // namespace

void GoPerft(int32_t depth, bool (*endRequested)()) {
    const uint64_t total = PerftDivide(depth, PrintRootCount, endRequested);
    std::fflush(stdout);
    if (PerftAbandoned()) return;
    std::printf("\nNodes searched: %" PRIu64 "\n", total);
    std::fflush(stdout);
}
