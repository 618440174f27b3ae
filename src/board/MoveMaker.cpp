// Make and unmake. Make is also the legality filter: it refuses a move that
// leaves the own king in check or castles across an attacked square, and then
// leaves the position as it found it, but for the order of piece lists.
#include "board/MoveMaker.h"

#include "board/Attack.h"
#include "board/ColorTraits.h"

template <Color Us> void AddPiece(PieceCode c, Square s) {
    using T = ColorTraits<Us>;
    HashKey ^= ZobristKeys[c][s];
    if (c == T::Pawn) PawnHashKey ^= ZobristKeys[c][s];
    uint32_t slot = ++PieceLists[c][0];
    PieceLists[c][slot] = s;
    Board[s] = {slot, c};
    Occupied |= SquareBit[s];
    PieceMask[c] |= SquareBit[s];
    Material += T::Sign * PieceValue[c];
    if (c != T::Pawn) T::OwnWeight() += PieceWeight[c];
    PieceCount++;
}

template <Color Us> void RemovePiece(PieceCode c, Square s) {
    using T = ColorTraits<Us>;
    HashKey ^= ZobristKeys[c][s];
    if (c == T::Pawn) PawnHashKey ^= ZobristKeys[c][s];
    PieceMask[c] &= ~SquareBit[s];
    uint32_t last = PieceLists[c][PieceLists[c][0]--];
    uint32_t slot = Board[s].listIndex;
    PieceLists[c][slot] = last;
    Board[last].listIndex = slot;
    Material -= T::Sign * PieceValue[c];
    if (c != T::Pawn) T::OwnWeight() -= PieceWeight[c];
    PieceCount--;
}

namespace {

// The piece on s trades list slots with the last of its list.
inline void ToListEnd(Square s) {
    uint32_t *list = PieceLists[Board[s].piece];
    const uint32_t slot = Board[s].listIndex, lastSlot = list[0];
    const Square last = list[lastSlot];
    list[slot] = last;
    Board[last].listIndex = slot;
    list[lastSlot] = s;
    Board[s].listIndex = lastSlot;
}

} // namespace

void RefusedMoveTrace(Move m) {
    if (MoveCaptured(m) != EmptySquare && !IsEnPassant(m)) ToListEnd(MoveTo(m));
    if (IsPromotion(m)) ToListEnd(MoveFrom(m));
}

namespace {

inline void EmptySquareAt(Square s) {
    Board[s].piece = EmptySquare;
    Occupied &= ~SquareBit[s];
}

// Moves the piece on from to the empty square to, with its keys and list slot.
template <Color Us> inline void ShiftPiece(Square from, Square to) {
    using T = ColorTraits<Us>;
    PieceCode c = Board[from].piece;
    uint64_t keys = ZobristKeys[c][from] ^ ZobristKeys[c][to];
    HashKey ^= keys;
    if (c == T::Pawn) PawnHashKey ^= keys;
    Board[to] = Board[from];
    Board[from].piece = EmptySquare;
    Occupied = (Occupied & ~SquareBit[from]) | SquareBit[to]; // to may still show a captured piece
    PieceMask[c] ^= SquareBit[from] | SquareBit[to];
    PieceLists[c][Board[to].listIndex] = to;
}

} // namespace

template <Color Us, bool Castling> void UnmakeMoveOf(Move m) {
    using T = ColorTraits<Us>;
    Square from = MoveFrom(m), to = MoveTo(m);
    PieceCode captured = MoveCaptured(m);

    if constexpr (Castling) {
        if (IsCastling(m)) {
            Castled[Us] = 0;
            if (to == T::KingHome + 2)
                ShiftPiece<Us>(T::KingHome + 1, T::KingRookHome);
            else
                ShiftPiece<Us>(T::KingHome - 1, T::QueenRookHome);
            CastleSpoilers[T::QueenSideRight]--;
            CastleSpoilers[T::KingSideRight]--;
        } else if (from == T::KingHome) {
            CastleSpoilers[T::QueenSideRight]--;
            CastleSpoilers[T::KingSideRight]--;
        } else if (from == T::QueenRookHome) {
            CastleSpoilers[T::QueenSideRight]--;
        } else if (from == T::KingRookHome) {
            CastleSpoilers[T::KingSideRight]--;
        }
    }

    if (IsPromotion(m)) {
        RemovePiece<Us>(MovePromoted(m), to);
        AddPiece<Us>(T::Pawn, from);
    } else {
        ShiftPiece<Us>(to, from);
    }

    if (captured == EmptySquare) {
        EmptySquareAt(to);
    } else if (IsEnPassant(m)) {
        AddPiece<T::Them>(T::EnemyPawn, to - T::Forward);
        EmptySquareAt(to);
    } else {
        AddPiece<T::Them>(captured, to);
        if constexpr (Castling) {
            if (to == T::EnemyQueenRookHome)
                CastleSpoilers[T::EnemyQueenSideRight]--;
            else if (to == T::EnemyKingRookHome)
                CastleSpoilers[T::EnemyKingSideRight]--;
        }
    }
}

template <Color Us, bool Castling> uint32_t MakeMoveOf(uint32_t inCheck, uint32_t ply, Move m) {
    using T = ColorTraits<Us>;
    Square from = MoveFrom(m), to = MoveTo(m);
    PieceCode captured = MoveCaptured(m);
    PieceCode mover = Board[from].piece;

    PositionHistory[GamePly + ply + 1].irreversible =
        (mover == T::Pawn || captured != EmptySquare || IsCastling(m)) ? 1 : 0;

    if constexpr (Castling) {
        if (IsCastling(m)) {
            if (to == T::KingHome + 2) {
                if (BackRankSquareAttacked<Us>(T::KingHome + 1) || BackRankSquareAttacked<Us>(T::KingHome + 2))
                    return 0;
                ShiftPiece<Us>(T::KingRookHome, T::KingHome + 1);
            } else {
                if (BackRankSquareAttacked<Us>(T::KingHome - 1) || BackRankSquareAttacked<Us>(T::KingHome - 2))
                    return 0;
                ShiftPiece<Us>(T::QueenRookHome, T::KingHome - 1);
            }
            Castled[Us] = 1;
            CastleSpoilers[T::QueenSideRight]++;
            CastleSpoilers[T::KingSideRight]++;
        } else if (from == T::KingHome) {
            CastleSpoilers[T::QueenSideRight]++;
            CastleSpoilers[T::KingSideRight]++;
        } else if (from == T::QueenRookHome) {
            CastleSpoilers[T::QueenSideRight]++;
        } else if (from == T::KingRookHome) {
            CastleSpoilers[T::KingSideRight]++;
        }
    }

    if (captured != EmptySquare) {
        if (IsEnPassant(m)) {
            RemovePiece<T::Them>(T::EnemyPawn, to - T::Forward);
            EmptySquareAt(to - T::Forward);
        } else {
            RemovePiece<T::Them>(captured, to);
            if constexpr (Castling) {
                if (to == T::EnemyQueenRookHome)
                    CastleSpoilers[T::EnemyQueenSideRight]++;
                else if (to == T::EnemyKingRookHome)
                    CastleSpoilers[T::EnemyKingSideRight]++;
            }
        }
    }

    if (IsPromotion(m)) {
        RemovePiece<Us>(T::Pawn, from);
        EmptySquareAt(from);
        AddPiece<Us>(MovePromoted(m), to);
    } else {
        ShiftPiece<Us>(from, to);
    }

    // Not in check and not a king move: only a line through the vacated square
    // can have opened. An en-passant capture also vacates the captured pawn's
    // square, so it takes the full test.
    if (!inCheck && mover != T::King && !IsEnPassant(m)) {
        if (!UncoversKing<Us>(from)) return 1;
    } else if (!InCheck<Us>()) {
        return 1;
    }
    UnmakeMoveOf<Us, Castling>(m);
    return 0;
}

template void AddPiece<White>(PieceCode, Square);
template void AddPiece<Black>(PieceCode, Square);
template void RemovePiece<White>(PieceCode, Square);
template void RemovePiece<Black>(PieceCode, Square);
template uint32_t MakeMoveOf<White, true>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<White, false>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<Black, true>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<Black, false>(uint32_t, uint32_t, Move);
template void UnmakeMoveOf<White, true>(Move);
template void UnmakeMoveOf<White, false>(Move);
template void UnmakeMoveOf<Black, true>(Move);
template void UnmakeMoveOf<Black, false>(Move);
