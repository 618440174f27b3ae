// Shared helpers of the board tests (and those above them): start-up, perft files, move lookup, captured
// output, the position as text and the invariants that tie board, lists and counters.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "board/MoveMaker.h"
#include "board/MoveText.h"
#include "board/Setup.h"

// Sanitized builds run several times slower: the longest loops take fewer rounds there.
#ifdef MORVANE_SANITIZED
constexpr bool SanitizedBuild = true;
#else
constexpr bool SanitizedBuild = false;
#endif

inline void EnsureBoardReady() {
    [[maybe_unused]] static const bool ready = [] {
        FillZobristKeys();
        InitBoard();
        return true;
    }();
}

inline bool SetUpBoard(const std::string &fen) {
    EnsureBoardReady();
    return SetupPosition(fen.c_str());
}

// FEN and leaf counts by depth of each line "<fen> ;D1 20 ;D2 400 ..." of a perft file.
inline std::vector<std::pair<std::string, std::vector<uint64_t>>> ReadPerftFile(const std::string &name) {
    std::vector<std::pair<std::string, std::vector<uint64_t>>> cases;
    std::ifstream in(std::string(MORVANE_TEST_DATA) + "/" + name);
    for (std::string line; std::getline(in, line);) {
        std::vector<uint64_t> counts;
        for (size_t at = line.find(";D"); at != std::string::npos; at = line.find(";D", at + 1))
            counts.push_back(std::stoull(line.substr(line.find(' ', at))));
        if (!counts.empty()) cases.emplace_back(line.substr(0, line.find(';')), counts);
    }
    return cases;
}

// What f writes to standard output.
template <class F> std::string Output(F f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// A move in UCI's spelling (MoveText) or as the xboard dialogue writes it (Text).
inline std::string MoveText(Move m) {
    char text[MoveTextSize];
    MoveToUciText(text, m);
    return text;
}
inline std::string Text(Move m) {
    char text[MoveTextSize];
    MoveToText(text, m);
    return text;
}

// The move of `side` with that coordinate text, or 0.
inline Move FindMove(const std::string &text, uint32_t side = SideToMove, uint32_t ep = EpSquare) {
    MoveEntry list[MoveListSize];
    for (MoveEntry *e = list, *end = GenerateSideMoves(side, list, SideInCheck(side), ep); e < end; e++)
        if (MoveText(e->move) == text) return e->move;
    return 0;
}

// Everything make/unmake and a refused setup must leave as it was; the list
// contents are tied to the board by PositionInconsistency.
inline std::vector<uint64_t> State() {
    std::vector<uint64_t> s = {HashKey,    PawnHashKey, uint64_t(Material), WhitePieceWeight, BlackPieceWeight,
                               PieceCount, Occupied};
    s.insert(s.end(), {Castled[0], Castled[1], SideToMove, EpSquare, RootInCheck, GamePly,
                       uintptr_t(MoveFunctions.make[0]), uintptr_t(MoveFunctions.make[1])});
    s.insert(s.end(), CastleSpoilers, CastleSpoilers + 4);
    for (int c = 0; c < 14; c++)
        s.push_back(PieceLists[c][0]);
    for (int i = 0; i < 120; i++)
        s.push_back(Board[i].piece);
    s.insert(s.end(), PieceMask, PieceMask + 14);
    return s;
}

// What breaks the ties of board, lists, keys and counters, recomputed from the board; "" if nothing.
inline std::string PositionInconsistency() {
    int32_t material = 0;
    uint32_t weights[2] = {}, count = 0, perList[14] = {};
    uint64_t key = 0, pawnKey = 0, occupied = 0, masks[14] = {};
    for (Square s = 0; s < 120; s++) {
        const PieceCode c = Board[s].piece;
        if ((FileOf[s] == 0) != (c == OffBoard)) return "border wrong at " + std::to_string(s);
        if (c == EmptySquare || c == OffBoard) continue;
        const uint64_t bit = uint64_t(1) << (8 * (s / 10 - 2) + s % 10 - 1); // a8 is bit 0, h1 bit 63
        occupied |= bit;
        masks[c] |= bit;
        key ^= ZobristKeys[c][s];
        pawnKey ^= KindOf(c) == Pawn ? ZobristKeys[c][s] : 0;
        const uint32_t slot = Board[s].listIndex;
        if (KindOf(c) == King ? PieceLists[c][0] != s : slot < 1 || slot > PieceLists[c][0] || PieceLists[c][slot] != s)
            return "list entry of " + std::to_string(s);
        if (KindOf(c) == King) continue;
        perList[c]++;
        count++;
        material += IsWhitePiece(c) ? PieceValue[c] : -PieceValue[c];
        weights[IsWhitePiece(c) ? 0 : 1] += KindOf(c) == Pawn ? 0 : PieceWeight[c];
    }
    for (PieceCode c = 0; c < 14; c++)
        if (KindOf(c) <= Queen && PieceLists[c][0] != perList[c]) return "list length of " + std::to_string(c);
    if (material != Material || count != PieceCount || weights[0] != WhitePieceWeight || weights[1] != BlackPieceWeight)
        return "material, count or weights";
    if (occupied != Occupied || !std::equal(masks, masks + 14, PieceMask)) return "occupancy masks";
    return key == HashKey && pawnKey == PawnHashKey ? "" : "hash keys";
}
