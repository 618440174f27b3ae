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

// Castling in any layout: king and rook leave their squares together and
// then take their destinations, so either may start on the other's square or
// already stand on its own destination.
template <Color Us> inline void PlaceCastlingPieces(Square kingFrom, Square rookFrom, Square kingTo, Square rookTo) {
    using T = ColorTraits<Us>;
    const BoardEntry rook = Board[rookFrom];
    Board[kingFrom].piece = EmptySquare;
    Board[rookFrom].piece = EmptySquare;
    Board[kingTo] = {0, T::King};
    Board[rookTo] = rook;
    PieceLists[T::King][0] = kingTo;
    PieceLists[T::Rook][rook.listIndex] = rookTo;
    HashKey ^= ZobristKeys[T::King][kingFrom] ^ ZobristKeys[T::King][kingTo] ^ ZobristKeys[T::Rook][rookFrom] ^
               ZobristKeys[T::Rook][rookTo];
    Occupied = (Occupied & ~(SquareBit[kingFrom] | SquareBit[rookFrom])) | SquareBit[kingTo] | SquareBit[rookTo];
    PieceMask[T::King] = SquareBit[kingTo];
    PieceMask[T::Rook] = (PieceMask[T::Rook] & ~SquareBit[rookFrom]) | SquareBit[rookTo];
}

template <Color Us> inline void CountCastling(int by) {
    using T = ColorTraits<Us>;
    Castled[Us] = by > 0 ? 1 : 0;
    CastleSpoilers[T::QueenSideRight] += by;
    CastleSpoilers[T::KingSideRight] += by;
}

// The rights a move of Us from `from`, or an enemy capture on `to`, spoils
// (by = 1) or gives back on unmake (by = -1).
template <Color Us, CastlingRule Rule> inline void CountSpoiledRights(Square from, int by) {
    using T = ColorTraits<Us>;
    if constexpr (Rule == CornerCastling) {
        if (from == T::KingHome) {
            CastleSpoilers[T::QueenSideRight] += by;
            CastleSpoilers[T::KingSideRight] += by;
        } else if (from == T::QueenRookHome) {
            CastleSpoilers[T::QueenSideRight] += by;
        } else if (from == T::KingRookHome) {
            CastleSpoilers[T::KingSideRight] += by;
        }
    } else if constexpr (Rule == AnyCastling) {
        if (from == CastleKingSquare[Us]) {
            CastleSpoilers[T::QueenSideRight] += by;
            CastleSpoilers[T::KingSideRight] += by;
        } else if (from == CastleRookSquare[T::QueenSideRight]) {
            CastleSpoilers[T::QueenSideRight] += by;
        } else if (from == CastleRookSquare[T::KingSideRight]) {
            CastleSpoilers[T::KingSideRight] += by;
        }
    }
}

template <Color Us, CastlingRule Rule> inline void CountCapturedRook(Square to, int by) {
    using T = ColorTraits<Us>;
    if constexpr (Rule == CornerCastling) {
        if (to == T::EnemyQueenRookHome)
            CastleSpoilers[T::EnemyQueenSideRight] += by;
        else if (to == T::EnemyKingRookHome)
            CastleSpoilers[T::EnemyKingSideRight] += by;
    } else if constexpr (Rule == AnyCastling) {
        if (to == CastleRookSquare[T::EnemyQueenSideRight])
            CastleSpoilers[T::EnemyQueenSideRight] += by;
        else if (to == CastleRookSquare[T::EnemyKingSideRight])
            CastleSpoilers[T::EnemyKingSideRight] += by;
    }
}

// Castling in any layout, from the king's square to the rook's: the squares
// the king crosses and its destination must not be attacked (the start is not,
// castling is not generated in check). Along the back rank an attack on a
// crossed square would reach the destination too, which the check test after
// the move sees.
template <Color Us> uint32_t MakeAnyCastling(Move m) {
    const Square king = MoveFrom(m), rook = MoveTo(m);
    const Square kingTo = CastlingKingTarget(m), rookTo = CastlingRookTarget(m);
    if (king != kingTo) {
        const int step = kingTo > king ? 1 : -1;
        for (Square s = king + step;; s += step) {
            if (BackRankSquareAttacked<Us>(s)) return 0;
            if (s == kingTo) break;
        }
    }
    PlaceCastlingPieces<Us>(king, rook, kingTo, rookTo);
    if (InCheck<Us>()) {
        PlaceCastlingPieces<Us>(kingTo, rookTo, king, rook);
        return 0;
    }
    CountCastling<Us>(1);
    return 1;
}

} // namespace

template <Color Us, CastlingRule Rule> void UnmakeMoveOf(Move m) {
    using T = ColorTraits<Us>;
    Square from = MoveFrom(m), to = MoveTo(m);
    PieceCode captured = MoveCaptured(m);

    if constexpr (Rule == AnyCastling) {
        if (IsCastling(m)) {
            CountCastling<Us>(-1);
            PlaceCastlingPieces<Us>(CastlingKingTarget(m), CastlingRookTarget(m), from, to);
            return;
        }
    }
    if constexpr (Rule == CornerCastling) {
        if (IsCastling(m)) {
            if (to == T::KingHome + 2)
                ShiftPiece<Us>(T::KingHome + 1, T::KingRookHome);
            else
                ShiftPiece<Us>(T::KingHome - 1, T::QueenRookHome);
            CountCastling<Us>(-1);
        }
    }
    if (!IsCastling(m)) CountSpoiledRights<Us, Rule>(from, -1);

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
        CountCapturedRook<Us, Rule>(to, -1);
    }
}

template <Color Us, CastlingRule Rule> uint32_t MakeMoveOf(uint32_t inCheck, uint32_t ply, Move m) {
    using T = ColorTraits<Us>;
    Square from = MoveFrom(m), to = MoveTo(m);
    PieceCode captured = MoveCaptured(m);
    PieceCode mover = Board[from].piece;

    PositionHistory[GamePly + ply + 1].irreversible =
        (mover == T::Pawn || captured != EmptySquare || IsCastling(m)) ? 1 : 0;

    if constexpr (Rule == AnyCastling) {
        if (IsCastling(m)) return MakeAnyCastling<Us>(m);
    }
    if constexpr (Rule == CornerCastling) {
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
            CountCastling<Us>(1);
        }
    }
    if (!IsCastling(m)) CountSpoiledRights<Us, Rule>(from, 1);

    if (captured != EmptySquare) {
        if (IsEnPassant(m)) {
            RemovePiece<T::Them>(T::EnemyPawn, to - T::Forward);
            EmptySquareAt(to - T::Forward);
        } else {
            RemovePiece<T::Them>(captured, to);
            CountCapturedRook<Us, Rule>(to, 1);
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
    UnmakeMoveOf<Us, Rule>(m);
    return 0;
}

template void AddPiece<White>(PieceCode, Square);
template void AddPiece<Black>(PieceCode, Square);
template void RemovePiece<White>(PieceCode, Square);
template void RemovePiece<Black>(PieceCode, Square);
template uint32_t MakeMoveOf<White, NoCastling>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<White, CornerCastling>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<White, AnyCastling>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<Black, NoCastling>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<Black, CornerCastling>(uint32_t, uint32_t, Move);
template uint32_t MakeMoveOf<Black, AnyCastling>(uint32_t, uint32_t, Move);
template void UnmakeMoveOf<White, NoCastling>(Move);
template void UnmakeMoveOf<White, CornerCastling>(Move);
template void UnmakeMoveOf<White, AnyCastling>(Move);
template void UnmakeMoveOf<Black, NoCastling>(Move);
template void UnmakeMoveOf<Black, CornerCastling>(Move);
template void UnmakeMoveOf<Black, AnyCastling>(Move);
