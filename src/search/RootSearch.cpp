#include "search/RootSearch.h"

#include <utility>

#include "board/Attack.h"
#include "board/ColorTraits.h"
#include "board/MoveGenerator.h"
#include "book/Book.h"
#include "eval/EvalState.h"
#include "eval/Evaluate.h"
#include "search/MoveOrdering.h"
#include "search/Search.h"
#include "search/SearchHost.h"
#include "search/SearchParams.h"
#include "search/SearchState.h"
#include "search/SyzygySearch.h"
#include "search/Threads.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "search/WinChances.h"
#include "tablebase/TablebaseAccess.h"

void ClearSearchMemory() {
    ClearHistory();
    ClearHash();
    PVTable[0][0] = 0;
    PVTable[0][1] = 0;
    PreviousScore = 0;
    BookMisses = 0;
}

void LoadPrincipalLine(int32_t k) {
    const PrincipalLine &line = PrincipalLines[k];
    int32_t i = 0;
    for (; i <= MaxSearchPly && line.moves[i] != 0; ++i)
        PVTable[0][i] = line.moves[i];
    PVTable[0][i] = 0;
}

namespace {

int32_t ClipScore(int64_t s) {
    if (s > MateValue) return MateValue;
    if (s < -MateValue) return -MateValue;
    return int32_t(s);
}

// Row 0 becomes `move` followed by the line of ply 1.
void RootLine(Move move) {
    PVTable[0][0] = move;
    int32_t k = 1;
    while (k <= MaxSearchPly && PVTable[1][k] != 0) {
        PVTable[0][k] = PVTable[1][k];
        ++k;
    }
    PVTable[0][k] = 0;
}

bool InRootMoveSubset(Move move) {
    for (int32_t i = 0; i < RootMovesExcludedCount; ++i)
        if (RootMovesExcluded[i] == move) return false;
    if (RootMoveSubsetCount == 0) return true;
    for (int32_t i = 0; i < RootMoveSubsetCount; ++i)
        if (RootMoveSubset[i] == move) return true;
    return false;
}

template <Color Us> void Thinking(int32_t score, const char *marker) {
    SearchHost.printThinking(Us == White ? score : -score, marker); // the engine's point of view
}

} // namespace

namespace {

// How a root move is searched besides its window. The lines after the best
// one widen their windows faster on a miss, and a quiet move behind the lines
// may first be searched a little shallower, as late moves are in the tree.
struct RootMovePlan {
    int32_t reduction = 0;      // off the first try; a try that beats the bound is searched again in full
    bool growingWindow = false; // each re-search doubles the window's width
};

template <Color Us>
int32_t SearchPlannedRootMove(int32_t alpha, int32_t beta, Move move, int32_t moveScore, bool first,
                              RootMovePlan plan) {
    using T = ColorTraits<Us>;
    constexpr Color Them = T::Them;
    constexpr int32_t Sign = T::Sign;

    if (moveScore == RepeatingMoveScore) {
        PVTable[0][0] = move;
        PVTable[0][1] = 0;
        return 0;
    }
    MakeMove(Us, RootInCheck, 0, move);
    const uint32_t givesCheck = MoveGivesCheck<Us>(move);
    const uint32_t ep = EpSquareAfter(move);
    // Own bound: improved by better scores (white alpha); cut bound: the other.
    int32_t &own = Us == White ? alpha : beta;
    int32_t &cut = Us == White ? beta : alpha;
    enum { None, FailLow, FailHigh } state = None;
    int32_t tries = 0;
    int32_t width = AspirationWindow;
    // As in the tree: no reduction for a check or a move that often cuts off.
    int32_t reduction = plan.reduction != 0 && !givesCheck && LowCutoffRate(Board[MoveTo(move)].piece, MoveTo(move))
                            ? plan.reduction
                            : 0;
    for (;;) {
        const int32_t depth = int32_t(IterationDepth) * OnePly - OnePly - reduction;
        const int32_t s = Search<Them>(1, depth, alpha, beta, ep, givesCheck);
        if (StopSearch) break;
        if (FixedTimeMode && SoftTimeUp()) break;
        if (reduction != 0) {
            reduction = 0;
            if (T::Better(s, own)) continue; // the shallower search beat the bound: search it in full
        }
        ++tries;
        if (T::Better(cut, s)) { // inside or below the window
            if (!first || T::Better(s, own) || state == FailHigh) {
                own = s;
                break;
            }
            if (own == -Sign * MateValue) { // nothing lower to try
                own = s;
                break;
            }
            RootLine(move);
            Thinking<Us>(s, ":(");
            ScoreDropped = 1;
            cut = s;
            own = tries > MaxWindowWidenings ? -Sign * MateValue : ClipScore(int64_t(s) - Sign * width);
            if (plan.growingWindow) width *= 2;
            state = FailLow;
        } else {
            if (state == FailLow || cut == Sign * MateValue) {
                own = s;
                break;
            }
            if (!first && tries == 1) FailHighTime = ElapsedTime();
            RootLine(move);
            Thinking<Us>(s, ":)");
            own = s;
            cut = tries > MaxWindowWidenings ? Sign * MateValue : ClipScore(int64_t(s) + Sign * width);
            if (plan.growingWindow) width *= 2;
            state = FailHigh;
        }
    }
    if ((first || state != None) && !StopSearch) {
        RootLine(move);
        Thinking<Us>(own, nullptr);
    }
    UnmakeMove(Us, move);
    ScoreDropped = 0;
    return own;
}

} // namespace

template <Color Us> int32_t SearchRootMove(int32_t alpha, int32_t beta, Move move, int32_t moveScore, bool first) {
    return SearchPlannedRootMove<Us>(alpha, beta, move, moveScore, first, RootMovePlan{});
}

namespace {

// The counters and the input poll of a new search.
void ResetSearchCounters() {
    StopSearch = 0;
    SyzygyRootScore = NoScore; // until the root moves are known
    NodeCount = 0;
    QuiesceNodeCount = 0;
    NextPollCheck = PollInterval(NodesPerSecond);
    if (NodeLimit != 0 && NextPollCheck > NodeLimit / 2) NextPollCheck = NodeLimit / 2;
    LastPollNodes = 0;
    LastPollTime = 0;
}

// The expected reply has come: the last line, two plies on, leads the order.
void FollowExpectedLine() {
    const Move reply = MoveStack[MoveStackOffset - 1];
    if (PVTable[0][1] != 0 && MoveFrom(PVTable[0][1]) == MoveFrom(reply) && MoveTo(PVTable[0][1]) == MoveTo(reply)) {
        int32_t k = 0;
        while (k + 2 <= MaxSearchPly && PVTable[0][k + 2] != 0) {
            PVTable[0][k] = PVTable[0][k + 2];
            ++k;
        }
        PVTable[0][k] = 0;
    }
    FollowPV = 1;
}

// The legal root moves the search may choose from, best first; a move that
// repeats a game position gets RepeatingMoveScore. Returns the list's end.
template <Color Us> MoveEntry *RootMoves(MoveEntry *list) {
    MoveEntry *end = GenerateMoves<Us>(list, RootInCheck, EpSquare);
    ScoreMoves(list, end, 0, 0, 0);
    for (MoveEntry *e = list; e < end;) {
        if (!InRootMoveSubset(e->move) || !MakeMove(Us, RootInCheck, 0, e->move)) {
            *e = *--end; // examine the moved entry next
            continue;
        }
        if (SearchHost.boardRepeats()) e->score = RepeatingMoveScore;
        UnmakeMove(Us, e->move);
        ++e;
    }
    SortMoves(list, end);
    return end;
}

// Moves `e` to the front of the list, the moves before it one place down.
void MoveToFront(MoveEntry *list, MoveEntry *e) {
    const MoveEntry found = *e;
    for (MoveEntry *p = e; p > list; --p)
        *p = *(p - 1);
    list[0] = found;
}

// Principal line k: `score` (white's view) and row 0 of PVTable.
void StoreLine(int32_t k, int32_t score) {
    PrincipalLine &line = PrincipalLines[k];
    line.score = score;
    int32_t i = 0;
    for (; i <= MaxSearchPly && PVTable[0][i] != 0; ++i)
        line.moves[i] = PVTable[0][i];
    line.moves[i] = 0;
}

// Sorts lines [0, count) best first for Us (equal scores keep their order)
// and the first `count` root moves with them.
template <Color Us> void SortLines(MoveEntry *list, int32_t count) {
    for (int32_t i = 1; i < count; ++i) {
        for (int32_t j = i; j > 0 && ColorTraits<Us>::Better(PrincipalLines[j].score, PrincipalLines[j - 1].score);
             --j) {
            std::swap(PrincipalLines[j], PrincipalLines[j - 1]);
            std::swap(list[j], list[j - 1]);
        }
    }
}

// With several lines, on the way out: row 0 of PVTable holds line 0 again,
// for the move played and the ponder move. Returns line 0's move.
Move LeaveWithLine0(const MoveEntry *list) {
    CurrentLine = 0;
    LoadPrincipalLine(0);
    return list[0].move;
}

// With several lines: the first moves of lines 1.. of an iteration whose line
// 0 is done, each in a window around its line's last score (a new line
// starts from the one above), then all lines sorted best first. A line far
// below the best is searched with deeper late-move reductions. The best
// line's bookkeeping stays as it was. False when the search must end.
template <Color Us> bool SearchLineLeaders(MoveEntry *list) {
    using T = ColorTraits<Us>;
    // Whatever way this ends, the next tree is searched with the usual reductions.
    struct ReductionReset {
        ~ReductionReset() { ExtraLateMoveReduction = 0; }
    } reset;
    const uint32_t dropped = ScoreDropped;
    for (int32_t k = 1; k < PrincipalLineCount; ++k) {
        MoveEntry *first = list + k;
        const bool known = IterationDepth > 1 && PrincipalLines[k].moves[0] != 0;
        const int32_t guess = known ? PrincipalLines[k].score : PrincipalLines[k - 1].score;
        const bool distant =
            ReduceDistantLines != 0 && T::Better(PrincipalLines[0].score - T::Sign * DistantLineMargin, guess);
        ExtraLateMoveReduction = distant ? DistantLineReduction : 0;
        // The line's previous moves lead the order, as the best line's do.
        if (known && PrincipalLines[k].moves[0] == first->move) {
            LoadPrincipalLine(k);
        } else {
            PVTable[0][0] = first->move;
            PVTable[0][1] = 0;
        }
        FollowPV = 1;
        CurrentLine = k;
        MoveAtPly(0) = first->move;
        RootMoveNumber = k + 1;
        SearchHost.rootMoveStarted(RootMoveNumber, first->move);
        const int32_t s = SearchPlannedRootMove<Us>(ClipScore(int64_t(guess) - AspirationWindow),
                                                    ClipScore(int64_t(guess) + AspirationWindow), first->move,
                                                    first->score, true, RootMovePlan{0, true});
        ScoreDropped = dropped;
        if (StopSearch) return false;
        StoreLine(k, s);
        if (FixedTimeMode && SoftTimeUp()) return false;
        if (IterationDepth > TimeCheckMinDepth && HardTimeUp(dropped)) return false;
    }
    SortLines<Us>(list, PrincipalLineCount);
    return true;
}

// With several lines: how the root move at `e`, behind the lines, is searched.
// A quiet move may start shallower, on a late move's conditions in the tree; a
// move that beats the last line widens its window faster than the best line.
RootMovePlan PlanLateRootMove(const MoveEntry *list, const MoveEntry *e) {
    RootMovePlan plan;
    plan.growingWindow = true;
    if (int32_t(IterationDepth) * OnePly >= ReductionMinDepth && !RootInCheck && e - list >= FullDepthMoves &&
        IsQuietMove(e->move) && e->score < HistoryLimit)
        plan.reduction = LineLateMoveReduction;
    return plan;
}

// With several lines: the move at `e` beat the last line with `score` (its
// variation in PVTable[0]). It takes the last line's place, the move of that
// line goes back among the others, and the new line climbs to its rank.
template <Color Us> void EnterLine(MoveEntry *list, MoveEntry *e, int32_t score) {
    const int32_t last = PrincipalLineCount - 1;
    std::swap(list[last], *e);
    StoreLine(last, score);
    for (int32_t j = last; j > 0 && ColorTraits<Us>::Better(PrincipalLines[j].score, PrincipalLines[j - 1].score);
         --j) {
        std::swap(PrincipalLines[j], PrincipalLines[j - 1]);
        std::swap(list[j], list[j - 1]);
    }
}

} // namespace

template <Color Us> Move Think() {
    using T = ColorTraits<Us>;
    constexpr int32_t Sign = T::Sign;

    // Step 1. A new search: move functions, history, counters, the line to
    // follow, the material the shown chances go by.
    SelectMoveFunctions();
    ClearHistory();
    SetRootCastlingRights();
    ResetSearchCounters();
    FollowExpectedLine();
    RootMaterial = MaterialLeft();

    // Step 2. The root moves; none: no move.
    MoveEntry list[MoveListSize];
    MoveEntry *end = RootMoves<Us>(list);
    if (end == list) return 0;

    // Step 3. The books, then a single move is played unsearched. Analysis
    // wants the position searched: a book move would end it at once with
    // nothing to show.
    if (!SkipBook && !BookBarred && !AnalyzeMode)
        end = Us == White ? BookLookupWhite(list, end) : BookLookupBlack(list, end);
    if (end - list == 1) {
        BestScore = 0;
        IterationDepth = 0;
        return list[0].move;
    }
    TbSearchLimit = TbLimit;
    TbHits = 0;
    end = FilterRootMoves(Us, list, end);
    RootMoveCount = int32_t(end - list);
    PrincipalLineCount = MultiPV < 1 ? 1 : MultiPV < RootMoveCount ? MultiPV : RootMoveCount;
    CurrentLine = 0;
    for (int32_t k = 0; k < PrincipalLineCount; ++k)
        PrincipalLines[k].moves[0] = 0;
    RootMoveNumber = 0;
    StableIterations = 0;
    FailHighTime = 0;
    const HelperScope helpers(list, end);

    // Step 4. Iterative deepening.
    const uint32_t lastDepth = DepthLimit != 0 && DepthLimit < MaxIterationDepth ? DepthLimit : MaxIterationDepth;
    for (IterationDepth = 1; IterationDepth <= lastDepth; ++IterationDepth) {
        SelectiveDepth = 0;
        AdvanceHashGeneration();
        FollowPV = 1;

        // Step 5. The first move, in a window around the previous score; with
        // several lines, the first moves of the others, each around its own.
        CurrentLine = 0;
        MoveAtPly(0) = list[0].move;
        RootMoveNumber = 1;
        SearchHost.rootMoveStarted(1, list[0].move);
        int32_t s =
            SearchRootMove<Us>(ClipScore(int64_t(PreviousScore) - AspirationWindow),
                               ClipScore(int64_t(PreviousScore) + AspirationWindow), list[0].move, list[0].score, true);
        if (StopSearch) return list[0].move;
        BestScore = Sign * s;
        ScoreDropped = T::Better(PreviousScore - Sign * ScoreDropMargin, s);
        ++StableIterations;
        const int32_t lines = PrincipalLineCount;
        if (lines > 1) {
            const Move best = list[0].move;
            StoreLine(0, s);
            if (!SearchLineLeaders<Us>(list)) return LeaveWithLine0(list);
            s = PrincipalLines[0].score;
            BestScore = Sign * s;
            if (list[0].move != best) StableIterations = 0;
            ScoreDropped = T::Better(PreviousScore - Sign * ScoreDropMargin, s);
            FollowPV = 0;
        }

        // Step 6. The other moves, in a null window at the score to beat (the
        // best, or the last line's): a move that beats it is searched to its
        // exact score and goes to the front, or takes its place among the
        // lines. The clock may end the search between moves.
        CurrentLine = lines - 1;
        for (MoveEntry *e = list + lines; e < end; ++e) {
            const Move move = e->move;
            MoveAtPly(0) = move;
            RootMoveNumber = int32_t(e - list) + 1;
            SearchHost.rootMoveStarted(RootMoveNumber, move);
            const int32_t bound = lines == 1 ? s : PrincipalLines[lines - 1].score;
            const int32_t zeroAlpha = Us == White ? bound : ClipScore(int64_t(bound) - 1);
            const int32_t zeroBeta = Us == White ? ClipScore(int64_t(bound) + 1) : bound;
            const RootMovePlan plan = lines == 1 ? RootMovePlan{} : PlanLateRootMove(list, e);
            const int32_t t = SearchPlannedRootMove<Us>(zeroAlpha, zeroBeta, move, e->score, false, plan);
            if (T::Better(t, bound)) {
                if (lines > 1) EnterLine<Us>(list, e, t);
                if (T::Better(t, s)) {
                    s = t;
                    BestScore = Sign * t;
                    StableIterations = 0;
                    if (IterationDepth > TimeCheckMinDepth && HardTimeUp(ScoreDropped))
                        return lines == 1 ? move : LeaveWithLine0(list);
                    if (lines == 1) MoveToFront(list, e);
                }
            }
            if (StopSearch) return lines == 1 ? list[0].move : LeaveWithLine0(list);
            ScoreDropped = T::Better(PreviousScore - Sign * ScoreDropMargin, s);
            if (FixedTimeMode && SoftTimeUp()) return lines == 1 ? list[0].move : LeaveWithLine0(list);
            if (IterationDepth > TimeCheckMinDepth && HardTimeUp(ScoreDropped))
                return lines == 1 ? list[0].move : LeaveWithLine0(list);
        }
        CurrentLine = 0;

        // Step 8. The iteration is done: report it, then stop on time, on a
        // found mate, on a settled test answer or on a command.
        PreviousScore = s;
        if (PrincipalLineCount == 1) {
            Thinking<Us>(s, nullptr);
        } else {
            for (CurrentLine = 0; CurrentLine < PrincipalLineCount; ++CurrentLine) {
                LoadPrincipalLine(CurrentLine);
                Thinking<Us>(PrincipalLines[CurrentLine].score, nullptr);
            }
            CurrentLine = 0;
            LoadPrincipalLine(0);
        }
        if (IterationDepth > TimeCheckMinDepth && SoftTimeUp()) break;
        if (IterationNodeLimit != 0 && NodeCount + QuiesceNodeCount >= IterationNodeLimit) break;
        if (!FixedTimeMode && !AnalyzeMode && !PonderSearch && (s > MateBound || s < -MateBound)) break;
        // The tables have settled every root move: deeper iterations add nothing.
        if (!AnalyzeMode && !PonderSearch && SyzygyRootScore != NoScore) break;
        if (FixedTimeMode && SearchHost.rightMoveSettled(list[0].move, StableIterations)) break;
        if (SearchHost.checkInput()) return list[0].move;
    }
    if (IterationDepth > lastDepth) IterationDepth = lastDepth;
    return list[0].move;
}

template Move Think<White>();
template Move Think<Black>();
template int32_t SearchRootMove<White>(int32_t, int32_t, Move, int32_t, bool);
template int32_t SearchRootMove<Black>(int32_t, int32_t, Move, int32_t, bool);
