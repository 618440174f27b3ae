#include "search/RootSearch.h"

#include <cstdio>

#include "board/Attack.h"
#include "board/ColorTraits.h"
#include "board/MoveGenerator.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "book/Book.h"
#include "eval/EvalState.h"
#include "eval/Evaluate.h"
#include "search/MoveOrdering.h"
#include "search/Search.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/Threads.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "tablebase/TablebaseAccess.h"

void ClearSearchMemory() {
    ClearHistory();
    ClearHash();
    PVTable[0][0] = 0;
    PVTable[0][1] = 0;
    PreviousScore = 0;
    BookMisses = 0;
}

void PrintCurrMove(int32_t number, Move move) {
    RootMoveNumber = number;
    if (!UciMode || ElapsedTime() < 100) return;
    char text[MoveTextSize];
    MoveToUciText(text, move);
    std::printf("info currmovenumber %d currmove %s\n", number, text);
    std::fflush(stdout);
}

namespace {

constexpr int32_t Window = 31;

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
    if (RootMoveSubsetCount == 0) return true;
    for (int32_t i = 0; i < RootMoveSubsetCount; ++i)
        if (RootMoveSubset[i] == move) return true;
    return false;
}

template <Color Us> void Thinking(int32_t score, const char *marker) {
    SearchHost.printThinking(Us == White ? score : -score, marker); // the engine's point of view
}

} // namespace

template <Color Us> int32_t SearchRootMove(int32_t alpha, int32_t beta, Move move, int32_t moveScore, bool first) {
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
    for (;;) {
        const int32_t s = Search<Them>(1, int32_t(IterationDepth) * 4 - 4, alpha, beta, ep, givesCheck);
        if (StopSearch) break;
        if (FixedTimeMode && SoftTimeUp()) break;
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
            own = tries > 5 ? -Sign * MateValue : ClipScore(int64_t(s) - Sign * Window);
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
            cut = tries > 5 ? Sign * MateValue : ClipScore(int64_t(s) + Sign * Window);
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

template <Color Us> Move Think() {
    using T = ColorTraits<Us>;
    constexpr int32_t Sign = T::Sign;

    SelectMoveFunctions();
    ClearHistory();
    SetRootCastlingRights();

    StopSearch = 0;
    NodeCount = 0;
    QuiesceNodeCount = 0;
    NextPollCheck = PollInterval(NodesPerSecond);
    if (NodeLimit != 0 && NextPollCheck > NodeLimit / 2) NextPollCheck = NodeLimit / 2;
    LastPollNodes = 0;
    LastPollTime = 0;

    // The expected reply has come: follow the rest of the last line.
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

    MoveEntry list[MoveListSize];
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
    if (end == list) return 0;
    SortMoves(list, end);

    // Analysis wants the position searched: a book move would end it at once
    // with nothing to show.
    if (!SkipBook && !AnalyzeMode) end = Us == White ? BookLookupWhite(list, end) : BookLookupBlack(list, end);
    if (end - list == 1) {
        BestScore = 0;
        IterationDepth = 0;
        return list[0].move;
    }
    TbSearchLimit = TbLimit;
    RootMoveCount = int32_t(end - list);
    RootMoveNumber = 0;
    StableIterations = 0;
    FailHighTime = 0;
    const HelperScope helpers(list, end);

    const uint32_t lastDepth = DepthLimit != 0 && DepthLimit < MaxIterationDepth ? DepthLimit : MaxIterationDepth;
    for (IterationDepth = 1; IterationDepth <= lastDepth; ++IterationDepth) {
        if (UciMode) {
            std::printf("info depth %u\n", IterationDepth);
            std::fflush(stdout);
        }
        AdvanceHashGeneration();
        FollowPV = 1;
        MoveAtPly(0) = list[0].move;
        PrintCurrMove(1, list[0].move);
        int32_t s = SearchRootMove<Us>(ClipScore(int64_t(PreviousScore) - Window),
                                       ClipScore(int64_t(PreviousScore) + Window), list[0].move, list[0].score, true);
        if (StopSearch) return list[0].move;
        BestScore = Sign * s;
        ScoreDropped = T::Better(PreviousScore - Sign * 50, s);
        ++StableIterations;

        for (MoveEntry *e = list + 1; e < end; ++e) {
            const Move move = e->move;
            MoveAtPly(0) = move;
            PrintCurrMove(int32_t(e - list) + 1, move);
            const int32_t zeroAlpha = Us == White ? s : ClipScore(int64_t(s) - 1);
            const int32_t zeroBeta = Us == White ? ClipScore(int64_t(s) + 1) : s;
            const int32_t t = SearchRootMove<Us>(zeroAlpha, zeroBeta, move, e->score, false);
            if (T::Better(t, s)) {
                s = t;
                BestScore = Sign * t;
                StableIterations = 0;
                if (IterationDepth > 3 && HardTimeUp(ScoreDropped)) return move;
                const MoveEntry found = *e;
                for (MoveEntry *p = e; p > list; --p)
                    *p = *(p - 1);
                list[0] = found;
            }
            if (StopSearch) return list[0].move;
            ScoreDropped = T::Better(PreviousScore - Sign * 50, s);
            if (FixedTimeMode && SoftTimeUp()) return list[0].move;
            if (IterationDepth > 3 && HardTimeUp(ScoreDropped)) return list[0].move;
        }

        PreviousScore = s;
        Thinking<Us>(s, nullptr);
        if (IterationDepth > 3 && SoftTimeUp()) break;
        if (!FixedTimeMode && !AnalyzeMode && !PonderSearch && (s > MateBound || s < -MateBound)) break;
        if (FixedTimeMode && StableIterations >= ExtraPlySearch && IsBestMove(list[0].move)) break;
        if (SearchHost.checkInput()) return list[0].move;
    }
    if (IterationDepth > lastDepth) IterationDepth = lastDepth;
    return list[0].move;
}

template Move Think<White>();
template Move Think<Black>();
template int32_t SearchRootMove<White>(int32_t, int32_t, Move, int32_t, bool);
template int32_t SearchRootMove<Black>(int32_t, int32_t, Move, int32_t, bool);
