#include "board/ChecksCapsGenerator.h"

#include <cstdint>
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
constexpr int KingSteps[8] = {-11, -10, -9, -1, 1, 9, 10, 11};
constexpr int RookRays[4] = {-10, -1, 1, 10};

inline MoveEntry *Add(MoveEntry *list, Move m, int32_t score) {
    list->move = m;
    list->score = score;
    return list + 1;
}

// Marks the squares from which the slider would check the king on k along
// Step, and notes an own piece there with an own slider behind it.
template <Color Us, int Step> inline void MarkLine(Square k, uint64_t &marks, PieceCode slider) {
    using T = ColorTraits<Us>;
    uint64_t before;
    const Square s = FirstOccupiedBefore<Step>(k, before);
    marks |= before;
    const PieceCode p = Board[s].piece;
    if (T::IsEnemy(p)) {
        marks |= SquareBit[s];
    } else if (T::IsOwn(p) && DiscovererCount < 8) {
        const PieceCode behind = FirstPieceAlong(s, Step);
        if (behind == T::Queen || behind == slider) Discoverers[DiscovererCount++] = s;
    }
}

template <Color Us, int... Steps> void MarkLines(Square k, int mark, PieceCode slider) {
    constexpr int S = ColorTraits<Us>::Sign;
    (MarkLine<Us, Steps * S>(k, CheckSquares[mark], slider), ...);
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
            // The exchange never wins more than the piece taken.
            if (!T::IsEnemy(v) || PieceValue[v] < (attacksKing(t) ? 0 : CaptureMargin)) continue;
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
// GoodCapture leaves the exchange value in e when it had to work it out, and
// Exchange reuses it, so no move is valued twice. A move to a checking square
// is kept only when its exchange is not negative: Exchange answers -1 for one
// that is sure to be, without working it out.
constexpr int32_t NotValued = INT32_MIN;

template <Color Us> inline bool GoodCapture(Square s, Square t, int32_t &e) {
    using T = ColorTraits<Us>;
    e = NotValued;
    const PieceCode v = Board[t].piece;
    if (!T::IsEnemy(v) || PieceValue[v] < CaptureMargin || ExchangeBelow<Us>(s, t, CaptureMargin)) return false;
    e = StaticExchange<Us>(s, t, -32767, 32767);
    return e >= CaptureMargin;
}

template <Color Us> inline int32_t Exchange(Square s, Square t, int32_t e) {
    if (e != NotValued) return e;
    return ExchangeBelow<Us>(s, t, 0) ? -1 : StaticExchange<Us>(s, t, -32767, 32767);
}

// One ray of a slider on s: quiet moves onto checking squares, nearest
// first, then the piece at the end of the ray.
template <Color Us, int Step> inline MoveEntry *RayChecksAndCaptures(MoveEntry *list, Square s, uint64_t checkSquares) {
    using T = ColorTraits<Us>;
    uint64_t before;
    const Square t = FirstOccupiedBefore<Step>(s, before);
    for (uint64_t quiet = before & checkSquares; quiet != 0;) {
        const Square q = PopNearest(quiet, Step);
        if (Exchange<Us>(s, q, NotValued) >= 0) list = Add(list, MakeMoveWord(s, q), 0);
    }
    const PieceCode v = Board[t].piece;
    int32_t e;
    if (GoodCapture<Us>(s, t, e))
        list = Add(list, MakeMoveWord(s, t, v), e);
    else if (T::IsEnemy(v) && (checkSquares & SquareBit[t]) && Exchange<Us>(s, t, e) >= 0)
        list = Add(list, MakeMoveWord(s, t, v), 0);
    return list;
}

template <Color Us, int... Steps>
inline MoveEntry *RaysChecksAndCaptures(MoveEntry *list, Square s, uint64_t checkSquares) {
    constexpr int S = ColorTraits<Us>::Sign;
    ((list = RayChecksAndCaptures<Us, Steps * S>(list, s, checkSquares)), ...);
    return list;
}

template <Color Us, uint32_t Kind> MoveEntry *PieceChecksAndCaptures(MoveEntry *list) {
    using T = ColorTraits<Us>;
    const uint64_t checkSquares = Kind == Knight   ? CheckSquares[KnightChecks]
                                  : Kind == Bishop ? CheckSquares[BishopChecks]
                                  : Kind == Rook   ? CheckSquares[RookChecks]
                                                   : CheckSquares[BishopChecks] | CheckSquares[RookChecks];
    const uint64_t enemy = Kind == Knight ? T::EnemySquares() : 0;
    const uint32_t *squares = PieceLists[T::CodeBase + Kind];
    for (uint32_t i = squares[0]; i >= 1; --i) {
        const Square s = squares[i];
        if (Handled[s]) continue;
        if constexpr (Kind == Knight) {
            if ((KnightReach[s] & (enemy | checkSquares)) == 0) continue;
            for (int step : KnightSteps) {
                const Square t = s + step * T::Sign;
                const PieceCode v = Board[t].piece;
                int32_t e;
                if (GoodCapture<Us>(s, t, e)) {
                    list = Add(list, MakeMoveWord(s, t, v), e);
                } else if (checkSquares & SquareBit[t]) {
                    e = Exchange<Us>(s, t, e);
                    if (e >= 0) list = Add(list, MakeMoveWord(s, t, v), e);
                }
            }
        } else if constexpr (Kind == Bishop) {
            list = RaysChecksAndCaptures<Us, -11, -9, 9, 11>(list, s, checkSquares);
        } else if constexpr (Kind == Rook) {
            list = RaysChecksAndCaptures<Us, -10, -1, 1, 10>(list, s, checkSquares);
        } else {
            list = RaysChecksAndCaptures<Us, -11, -9, 9, 11, -10, -1, 1, 10>(list, s, checkSquares);
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
    MarkLines<Us, -11, -9, 11, 9>(k, BishopChecks, T::Bishop);
    MarkLines<Us, -1, 1, -10, 10>(k, RookChecks, T::Rook);
    for (int step : KnightSteps) {
        const Square t = k + step * T::Sign;
        if (Board[t].piece == EmptySquare || T::IsEnemy(Board[t].piece)) CheckSquares[KnightChecks] |= SquareBit[t];
    }

    list = DiscoveredChecks<Us>(list, k);
    list = PawnChecksAndCaptures<Us>(list, k);
    list = PieceChecksAndCaptures<Us, Knight>(list);
    list = PieceChecksAndCaptures<Us, Bishop>(list);
    list = PieceChecksAndCaptures<Us, Rook>(list);
    list = PieceChecksAndCaptures<Us, Queen>(list);

    // The king gives no direct check: captures only.
    const Square s = KingSquare(Us);
    if (!Handled[s] && (KingReach[s] & T::EnemySquares())) {
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
