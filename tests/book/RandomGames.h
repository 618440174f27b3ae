// Random legal games written as standard algebraic text, for conversions of
// many positions.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "book/BookFormat.h"

namespace booktest {

// Legal moves of the side to move, in the order the algebraic parser sees them.
inline std::vector<Move> LegalMoves() {
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    for (MoveEntry *e = list; e < end;) {
        if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) {
            *e = *--end;
            continue;
        }
        UnmakeMove(SideToMove, e->move);
        ++e;
    }
    std::vector<Move> out;
    for (MoveEntry *e = list; e < end; ++e)
        out.push_back(e->move);
    return out;
}

inline std::string SquareText(Square s) { return {char('a' + FileOf[s] - 1), char('0' + RankOf[s])}; }

// Algebraic text of a move by the parser's own rules.
inline std::string SanText(const std::vector<Move> &legal, Move m) {
    const Square from = MoveFrom(m), to = MoveTo(m);
    if (IsCastling(m)) return to == G1 || to == G8 ? "O-O" : "O-O-O";
    const PieceCode piece = Board[from].piece;
    std::string text;
    if (KindOf(piece) == Pawn) {
        if (IsCapture(m)) text = std::string(1, char('a' + FileOf[from] - 1)) + "x";
        text += SquareText(to);
        if (IsPromotion(m)) text += std::string("=") + PieceLetters[MovePromoted(m) & 7];
        return text;
    }
    text = PieceLetters[KindOf(piece)];
    for (Move other : legal) {
        if (MoveTo(other) == to && MoveFrom(other) != from && Board[MoveFrom(other)].piece == piece) {
            text += FileOf[MoveFrom(other)] == FileOf[from] ? char('0' + RankOf[from]) : char('a' + FileOf[from] - 1);
            break;
        }
    }
    if (IsCapture(m)) text += "x";
    return text + SquareText(to);
}

inline void PlayGameMove(Move m) {
    SelectMoveFunctions();
    const uint32_t side = SideToMove;
    MakeMove(side, RootInCheck, 0, m);
    SideToMove = side ^ 1;
    EpSquare = IsDoubleStep(m) ? (side == White ? MoveFrom(m) - 10 : MoveFrom(m) + 10) : 0;
    RootInCheck = SideInCheck(SideToMove);
}

inline uint64_t KeyHashOfRecord(const BookRecord &key) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 32; ++i)
        h = (h ^ key.board[i]) * 1099511628211ull;
    return (h ^ key.side) * 1099511628211ull;
}

inline uint64_t KeyHashOfPosition() { return KeyHashOfRecord(CurrentBookKey()); }

} // namespace booktest
