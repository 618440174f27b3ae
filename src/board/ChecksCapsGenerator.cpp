#include "board/ChecksCapsGenerator.h"

#include <initializer_list>

#include "board/ColorTraits.h"
#include "board/Swap.h"

namespace {

// The squares from which an own knight, bishop or rook would give a direct
// check (in the bit order of Occupied), rebuilt per call.
enum : int { KnightChecks, BishopChecks, RookChecks };
constinit thread_local uint64_t CheckSquares[3];
// Own pieces between the enemy king and an own slider behind them.
constinit thread_local Square Discoverers[8];
constinit thread_local int DiscovererCount;
// Squares whose moves the discovered-check part has produced already.
constinit thread_local uint8_t Handled[120];

constexpr int DiagonalSteps[4] = {-11, -9, 11, 9};
constexpr int OrthogonalSteps[4] = {-1, 1, -10, 10};
constexpr int KnightSteps[8] = {-21, -19, -12, -8, 8, 12, 19, 21};
constexpr int KingSteps[8] = {-11, -10, -9, -1, 1, 9, 10, 11};
constexpr int BishopRays[4] = {-11, -9, 9, 11};
constexpr int RookRays[4] = {-10, -1, 1, 10};
constexpr int QueenRays[8] = {-11, -9, 9, 11, -10, -1, 1, 10};

inline MoveEntry *Add(MoveEntry *list, Move m, int32_t score) {
    list->move = m;
    list->score = score;
    return list + 1;
}

template <Color Us> void MarkLines(Square k, const int (&steps)[4], int mark, PieceCode slider) {
    using T = ColorTraits<Us>;
    uint64_t &marks = CheckSquares[mark];
    for (int step : steps) {
        const int d = step * T::Sign;
        const Square s = FirstOccupied(k, d);
        marks |= SquaresBefore(k, s, d);
        const PieceCode p = Board[s].piece;
        if (T::IsEnemy(p)) {
            marks |= SquareBit[s];
        } else if (T::IsOwn(p) && DiscovererCount < 8) {
            const PieceCode behind = FirstPieceAlong(s, d);
            if (behind == T::Queen || behind == slider) Discoverers[DiscovererCount++] = s;
        }
    }
}

// Moves of a piece that uncovers a check: every move that leaves the line.
template <Color Us> MoveEntry *DiscoveredChecks(MoveEntry *list, Square k) {
    using T = ColorTraits<Us>;
    for (int i = 0; i < DiscovererCount; ++i) {
        const Square s = Discoverers[i];
        const int line = AttackStep[0][s][k];
        auto onLine = [line](int d) { return d == line || d == -line; };
        // A step of a knight or king: to an empty square or onto an enemy.
        auto addStep = [&list, s](Square t) {
            const PieceCode v = Board[t].piece;
            if (v == EmptySquare)
                list = Add(list, MakeMoveWord(s, t), 0);
            else if (T::IsEnemy(v))
                list = Add(list, MakeMoveWord(s, t, v), PieceValue[v]);
        };
        const PieceCode p = Board[s].piece;
        switch (KindOf(p)) {
        case Pawn: {
            const Square push = s + T::Forward;
            if (FileOf[s] != FileOf[k] && Board[push].piece == EmptySquare) {
                if (RankOf[s] == T::SeventhRank) {
                    list = Add(list, MakePromotionWord(s, push, EmptySquare, T::Queen), 1999999999);
                } else {
                    list = Add(list, MakeMoveWord(s, push), 0);
                    if (RankOf[s] == T::SecondRank && Board[push + T::Forward].piece == EmptySquare)
                        list = Add(list, MakeMoveWord(s, push + T::Forward, EmptySquare, DoubleStepFlag), 0);
                }
            }
            for (int d : {T::Forward + T::Sign, T::Forward - T::Sign}) { // toward -9 then -11 for white
                const Square t = s + d;
                const PieceCode v = Board[t].piece;
                if (onLine(d) || !T::IsEnemy(v)) continue;
                if (RankOf[s] == T::SeventhRank)
                    list = Add(list, MakePromotionWord(s, t, v, T::Queen), 1999999998);
                else
                    list = Add(list, MakeMoveWord(s, t, v), PieceValue[v]);
            }
            break;
        }
        case Knight:
            for (int step : KnightSteps)
                addStep(s + step * T::Sign);
            break;
        case Bishop:
        case Rook: {
            const int *rays = KindOf(p) == Bishop ? DiagonalSteps : RookRays;
            for (int r = 0; r < 4; ++r) {
                const int d = rays[r] * T::Sign;
                if (onLine(d)) continue;
                Square t = s + d;
                while (Board[t].piece == EmptySquare) {
                    list = Add(list, MakeMoveWord(s, t), 0);
                    t += d;
                }
                if (T::IsEnemy(Board[t].piece))
                    list = Add(list, MakeMoveWord(s, t, Board[t].piece), PieceValue[Board[t].piece]);
            }
            break;
        }
        case King:
            for (int step : KingSteps) {
                const int d = step * T::Sign;
                if (!onLine(d)) addStep(s + d);
            }
            break;
        default: // a queen in front of a slider gives nothing here
            break;
        }
        if (KindOf(p) != Queen) Handled[s] = 1;
    }
    return list;
}

template <Color Us> MoveEntry *PawnChecksAndCaptures(MoveEntry *list, Square k) {
    using T = ColorTraits<Us>;
    const uint32_t *pawns = PieceLists[T::Pawn];
    auto attacksKing = [k](Square from) {
        return from + T::Forward + T::Sign == k || from + T::Forward - T::Sign == k;
    };
    for (uint32_t i = pawns[0]; i >= 1; --i) {
        const Square s = pawns[i];
        if (Handled[s]) continue;
        if (RankOf[s] == T::SeventhRank) {
            for (int d : {T::Forward + T::Sign, T::Forward - T::Sign}) {
                const PieceCode v = Board[s + d].piece;
                if (T::IsEnemy(v)) list = Add(list, MakePromotionWord(s, s + d, v, T::Queen), 1999999998);
            }
            if (Board[s + T::Forward].piece == EmptySquare)
                list = Add(list, MakePromotionWord(s, s + T::Forward, EmptySquare, T::Queen), 1999999997);
            continue;
        }
        for (int d : {T::Forward + T::Sign, T::Forward - T::Sign}) {
            const Square t = s + d;
            const PieceCode v = Board[t].piece;
            if (!T::IsEnemy(v)) continue;
            const int32_t e = StaticExchange<Us>(s, t, -32767, 32767);
            if (e >= CaptureMargin || (attacksKing(t) && e >= 0)) list = Add(list, MakeMoveWord(s, t, v), e);
        }
        const Square push = s + T::Forward;
        if (Board[push].piece != EmptySquare) continue;
        if (attacksKing(push)) {
            if (StaticExchange<Us>(s, push, -32767, 32767) >= 0) list = Add(list, MakeMoveWord(s, push), 0);
        } else if (RankOf[s] == T::SecondRank && Board[push + T::Forward].piece == EmptySquare &&
                   attacksKing(push + T::Forward)) {
            if (StaticExchange<Us>(s, push + T::Forward, -32767, 32767) >= 0)
                list = Add(list, MakeMoveWord(s, push + T::Forward, EmptySquare, DoubleStepFlag), 0);
        }
    }
    return list;
}

// A capture that passes the margin, or else a move onto a checking square.
template <Color Us> MoveEntry *PieceChecksAndCaptures(MoveEntry *list, PieceCode piece) {
    using T = ColorTraits<Us>;
    const uint32_t kind = KindOf(piece);
    const uint64_t checkSquares = kind == Knight   ? CheckSquares[KnightChecks]
                                  : kind == Bishop ? CheckSquares[BishopChecks]
                                  : kind == Rook   ? CheckSquares[RookChecks]
                                                   : CheckSquares[BishopChecks] | CheckSquares[RookChecks];
    auto checks = [checkSquares](Square t) { return (checkSquares & SquareBit[t]) != 0; };
    auto goodCapture = [](Square s, Square t, int32_t &e) {
        const PieceCode v = Board[t].piece;
        if (!T::IsEnemy(v) || PieceValue[v] < CaptureMargin) return false;
        e = StaticExchange<Us>(s, t, -32767, 32767);
        return e >= CaptureMargin;
    };
    const uint32_t *squares = PieceLists[piece];
    for (uint32_t i = squares[0]; i >= 1; --i) {
        const Square s = squares[i];
        if (Handled[s]) continue;
        if (kind == Knight) {
            for (int step : KnightSteps) {
                const Square t = s + step * T::Sign;
                const PieceCode v = Board[t].piece;
                int32_t e;
                if (goodCapture(s, t, e)) {
                    list = Add(list, MakeMoveWord(s, t, v), e);
                } else if (checks(t)) {
                    e = StaticExchange<Us>(s, t, -32767, 32767);
                    if (e >= 0) list = Add(list, MakeMoveWord(s, t, v), e);
                }
            }
            continue;
        }
        const int *rays = kind == Bishop ? BishopRays : kind == Rook ? RookRays : QueenRays;
        const int count = kind == Queen ? 8 : 4;
        for (int r = 0; r < count; ++r) {
            const int d = rays[r] * T::Sign;
            const Square t = FirstOccupied(s, d);
            for (uint64_t quiet = SquaresBefore(s, t, d) & checkSquares; quiet != 0;) {
                const Square q = PopNearest(quiet, d);
                if (StaticExchange<Us>(s, q, -32767, 32767) >= 0) list = Add(list, MakeMoveWord(s, q), 0);
            }
            const PieceCode v = Board[t].piece;
            int32_t e;
            if (goodCapture(s, t, e))
                list = Add(list, MakeMoveWord(s, t, v), e);
            else if (T::IsEnemy(v) && checks(t) && StaticExchange<Us>(s, t, -32767, 32767) >= 0)
                list = Add(list, MakeMoveWord(s, t, v), 0);
        }
    }
    return list;
}

} // namespace

template <Color Us> MoveEntry *GenerateChecksAndCaptures(MoveEntry *list) {
    using T = ColorTraits<Us>;
    const Square k = KingSquare(T::Them);

    CheckSquares[KnightChecks] = CheckSquares[BishopChecks] = CheckSquares[RookChecks] = 0;
    DiscovererCount = 0;
    MarkLines<Us>(k, DiagonalSteps, BishopChecks, T::Bishop);
    MarkLines<Us>(k, OrthogonalSteps, RookChecks, T::Rook);
    for (int step : KnightSteps) {
        const Square t = k + step * T::Sign;
        if (Board[t].piece == EmptySquare || T::IsEnemy(Board[t].piece)) CheckSquares[KnightChecks] |= SquareBit[t];
    }

    list = DiscoveredChecks<Us>(list, k);
    list = PawnChecksAndCaptures<Us>(list, k);
    list = PieceChecksAndCaptures<Us>(list, T::Knight);
    list = PieceChecksAndCaptures<Us>(list, T::Bishop);
    list = PieceChecksAndCaptures<Us>(list, T::Rook);
    list = PieceChecksAndCaptures<Us>(list, T::Queen);

    // The king gives no direct check: captures only.
    const Square s = KingSquare(Us);
    if (!Handled[s]) {
        for (int step : KingSteps) {
            const Square t = s + step * T::Sign;
            const PieceCode v = Board[t].piece;
            if (!T::IsEnemy(v) || PieceValue[v] < CaptureMargin) continue;
            const int32_t e = StaticExchange<Us>(s, t, -32767, 32767);
            if (e >= CaptureMargin) list = Add(list, MakeMoveWord(s, t, v), e);
        }
    }
    for (int i = 0; i < DiscovererCount; ++i)
        Handled[Discoverers[i]] = 0;
    return list;
}

template MoveEntry *GenerateChecksAndCaptures<White>(MoveEntry *);
template MoveEntry *GenerateChecksAndCaptures<Black>(MoveEntry *);
