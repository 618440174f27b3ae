// Shared helpers of the board tests: one-time start-up, EPD suite reading and
// a full snapshot of the position for exact comparisons.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"

inline void EnsureBoardReady() {
    static bool ready = false;
    if (!ready) {
        FillZobristKeys();
        InitBoard();
        ready = true;
    }
}

struct PerftCase {
    std::string fen;
    std::vector<uint64_t> counts; // counts[d - 1] = leaves at depth d
    int line;
};

// Lines like "<fen> ;D1 20 ;D2 400 ...".
inline std::vector<PerftCase> ReadPerftFile(const std::string &name) {
    std::vector<PerftCase> cases;
    std::ifstream in(std::string(MORVANE_TEST_DATA) + "/" + name);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        number++;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t semi = line.find(';');
        if (semi == std::string::npos) continue;
        PerftCase c{line.substr(0, semi), {}, number};
        size_t pos = semi;
        while ((pos = line.find(";D", pos)) != std::string::npos) {
            pos += 2;
            size_t used = 0;
            int depth = std::stoi(line.substr(pos), &used);
            pos += used;
            uint64_t count = std::stoull(line.substr(pos));
            if (depth == int(c.counts.size()) + 1) c.counts.push_back(count);
        }
        cases.push_back(c);
    }
    return cases;
}

// Everything make/unmake must restore, with piece lists compared as sets.
struct PositionSnapshot {
    PieceCode pieces[120];
    uint32_t lists[14][PieceListCapacity + 1]; // count, then the squares sorted
    uint32_t kings[2];
    uint64_t hashKey, pawnHashKey;
    int32_t material;
    uint32_t whiteWeight, blackWeight, pieceCount;
    uint32_t spoilers[4];
    uint8_t castled[2];

    static PositionSnapshot Take() {
        PositionSnapshot s{};
        for (int i = 0; i < 120; i++)
            s.pieces[i] = Board[i].piece;
        for (int c = 0; c < 14; c++) {
            if (c == WhiteKing || c == BlackKing || c == EmptySquare || c == OffBoard) continue;
            uint32_t n = PieceLists[c][0];
            if (n > PieceListCapacity) n = PieceListCapacity;
            s.lists[c][0] = PieceLists[c][0];
            std::copy(PieceLists[c] + 1, PieceLists[c] + 1 + n, s.lists[c] + 1);
            std::sort(s.lists[c] + 1, s.lists[c] + 1 + n);
        }
        s.kings[0] = KingSquare(White);
        s.kings[1] = KingSquare(Black);
        s.hashKey = HashKey;
        s.pawnHashKey = PawnHashKey;
        s.material = Material;
        s.whiteWeight = WhitePieceWeight;
        s.blackWeight = BlackPieceWeight;
        s.pieceCount = PieceCount;
        for (int i = 0; i < 4; i++)
            s.spoilers[i] = CastleSpoilers[i];
        s.castled[0] = Castled[0];
        s.castled[1] = Castled[1];
        return s;
    }

    bool operator==(const PositionSnapshot &o) const {
        return std::equal(pieces, pieces + 120, o.pieces) &&
               std::equal(&lists[0][0], &lists[0][0] + 14 * (PieceListCapacity + 1), &o.lists[0][0]) &&
               kings[0] == o.kings[0] && kings[1] == o.kings[1] && hashKey == o.hashKey &&
               pawnHashKey == o.pawnHashKey && material == o.material && whiteWeight == o.whiteWeight &&
               blackWeight == o.blackWeight && pieceCount == o.pieceCount &&
               std::equal(spoilers, spoilers + 4, o.spoilers) && castled[0] == o.castled[0] &&
               castled[1] == o.castled[1];
    }
};

// The position as a root: the snapshot plus the fields setup writes.
struct RootSnapshot {
    PositionSnapshot position;
    uint32_t side, ep, inCheck, gamePly;
    MoveFunctionTable functions;

    static RootSnapshot Take() {
        return {PositionSnapshot::Take(), SideToMove, EpSquare, RootInCheck, GamePly, MoveFunctions};
    }
    bool operator==(const RootSnapshot &o) const {
        return position == o.position && side == o.side && ep == o.ep && inCheck == o.inCheck && gamePly == o.gamePly &&
               functions.make[0] == o.functions.make[0] && functions.make[1] == o.functions.make[1] &&
               functions.unmake[0] == o.functions.unmake[0] && functions.unmake[1] == o.functions.unmake[1];
    }
};

// Coordinate text of a move ("e2e4", "b7a8q").
inline std::string MoveText(Move m) {
    auto square = [](Square s) { return std::string{char('a' + FileOf[s] - 1), char('0' + RankOf[s])}; };
    std::string text = square(MoveFrom(m)) + square(MoveTo(m));
    if (IsPromotion(m)) text += "nbrq"[KindOf(MovePromoted(m)) - 1];
    return text;
}

// Pseudo-legal moves of the side to move at the root, in generation order.
inline std::vector<MoveEntry> RootMoves() {
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    return std::vector<MoveEntry>(list, end);
}

// The root move with that coordinate text, or 0.
inline Move FindMove(const std::string &text) {
    for (const MoveEntry &e : RootMoves())
        if (MoveText(e.move) == text) return e.move;
    return 0;
}

// Checks the invariants that tie board, lists, keys and counters together;
// returns an empty string when all hold.
inline std::string PositionInconsistency() {
    int32_t material = 0;
    uint32_t weights[2] = {0, 0}, count = 0;
    for (Square s = 21; s <= 98; s++) {
        PieceCode c = Board[s].piece;
        if (FileOf[s] == 0) {
            if (c != OffBoard) return "border square " + std::to_string(s) + " overwritten";
            continue;
        }
        if (c == OffBoard) return "off-board code on the board at " + std::to_string(s);
        if (c == EmptySquare) continue;
        if (c == WhiteKing || c == BlackKing) {
            if (PieceLists[c][0] != s) return "king square mismatch";
            continue;
        }
        uint32_t slot = Board[s].listIndex;
        if (slot < 1 || slot > PieceLists[c][0] || PieceLists[c][slot] != s)
            return "listIndex of square " + std::to_string(s) + " does not point back";
        count++;
        material += IsWhitePiece(c) ? PieceValue[c] : -PieceValue[c];
        if (KindOf(c) != Pawn) weights[IsWhitePiece(c) ? 0 : 1] += PieceWeight[c];
    }
    for (int c = 0; c < 14; c++) {
        if (c == WhiteKing || c == BlackKing || c == EmptySquare || c == OffBoard) continue;
        if (PieceLists[c][0] > PieceListCapacity) return "list overflow";
        for (uint32_t i = 1; i <= PieceLists[c][0]; i++)
            if (Board[PieceLists[c][i]].piece != PieceCode(c)) return "list square without its piece";
    }
    if (material != Material) return "Material";
    if (weights[0] != WhitePieceWeight || weights[1] != BlackPieceWeight) return "piece weights";
    if (count != PieceCount) return "PieceCount";
    uint64_t key = HashKey, pawnKey = PawnHashKey;
    ComputeHashKeys();
    bool keysMatch = key == HashKey && pawnKey == PawnHashKey;
    HashKey = key;
    PawnHashKey = pawnKey;
    if (!keysMatch) return "hash keys differ from a fresh computation";
    return "";
}
