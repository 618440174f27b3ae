// Colour-dependent constants for code written once as template <Color Us>.
// Everything a white routine does toward rank 8, the black twin does toward
// rank 1: steps are negated, ranks mirrored, codes shifted by 8.
#pragma once

#include "board/Board.h"

template <Color Us> struct ColorTraits {
    static constexpr Color Them = Us == White ? Black : White;
    static constexpr int Sign = Us == White ? 1 : -1;          // +1 white, -1 black
    static constexpr int Forward = Us == White ? -10 : 10;     // a pawn's push
    static constexpr int CaptureLeft = Us == White ? -11 : 9;  // toward file a
    static constexpr int CaptureRight = Us == White ? -9 : 11; // toward file h
    static constexpr uint32_t CodeBase = Us == White ? 0 : 8;
    static constexpr uint32_t EnemyBase = Us == White ? 8 : 0;
    static constexpr PieceCode Pawn = CodeBase + 0;
    static constexpr PieceCode Knight = CodeBase + 1;
    static constexpr PieceCode Bishop = CodeBase + 2;
    static constexpr PieceCode Rook = CodeBase + 3;
    static constexpr PieceCode Queen = CodeBase + 4;
    static constexpr PieceCode King = CodeBase + 5;
    static constexpr PieceCode EnemyPawn = EnemyBase + 0;
    static constexpr PieceCode EnemyKnight = EnemyBase + 1;
    static constexpr PieceCode EnemyBishop = EnemyBase + 2;
    static constexpr PieceCode EnemyRook = EnemyBase + 3;
    static constexpr PieceCode EnemyQueen = EnemyBase + 4;
    static constexpr PieceCode EnemyKing = EnemyBase + 5;
    static constexpr Square KingHome = Us == White ? E1 : E8;
    static constexpr Square QueenRookHome = Us == White ? A1 : A8;
    static constexpr Square KingRookHome = Us == White ? H1 : H8;
    static constexpr int QueenSideRight = Us == White ? WhiteQueenSide : BlackQueenSide;
    static constexpr int KingSideRight = Us == White ? WhiteKingSide : BlackKingSide;
    static constexpr Square EnemyQueenRookHome = Us == White ? A8 : A1;
    static constexpr Square EnemyKingRookHome = Us == White ? H8 : H1;
    static constexpr int EnemyQueenSideRight = Us == White ? BlackQueenSide : WhiteQueenSide;
    static constexpr int EnemyKingSideRight = Us == White ? BlackKingSide : WhiteKingSide;
    static constexpr uint32_t SecondRank = Us == White ? 2 : 7;  // double steps start here
    static constexpr uint32_t SeventhRank = Us == White ? 7 : 2; // pawns promote from here
    static constexpr uint32_t PromotionRank = Us == White ? 8 : 1;

    static constexpr bool IsOwn(PieceCode c) {
        return Us == White ? c <= WhiteKing : (c >= BlackPawn && c <= BlackKing);
    }
    static constexpr bool IsEnemy(PieceCode c) {
        return Us == White ? (c >= BlackPawn && c <= BlackKing) : c <= WhiteKing;
    }
    // Rank as seen from Us: 1 = own back rank, 8 = the enemy's.
    static constexpr uint32_t RelativeRank(uint32_t rank) { return Us == White ? rank : 9 - rank; }
    // Is score a better than b for Us (white maximises, black minimises)?
    static constexpr bool Better(int32_t a, int32_t b) { return Us == White ? a > b : a < b; }
    // The squares of the enemy's pieces.
    static uint64_t EnemySquares() {
        return PieceMask[EnemyPawn] | PieceMask[EnemyKnight] | PieceMask[EnemyBishop] | PieceMask[EnemyRook] |
               PieceMask[EnemyQueen] | PieceMask[EnemyKing];
    }
    // Piece weight (pawns and king not counted) of Us and of the enemy.
    static uint32_t &OwnWeight() { return Us == White ? WhitePieceWeight : BlackPieceWeight; }
    static uint32_t &EnemyWeight() { return Us == White ? BlackPieceWeight : WhitePieceWeight; }
};
