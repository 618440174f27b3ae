// Pawn structure: advance, isolated, doubled, connected and passed pawns, the
// closed-position term, and the facts about the pawns that the later terms
// read (file masks, passed files, light-square pawns, king shelters). All of
// it depends on the pawns only and is kept in the pawn hash table.
#include <algorithm>
#include <cstring>

#include "board/ColorTraits.h"
#include "eval/EvalTables.h"
#include "eval/EvalTerms.h"

PawnHashEntry PawnHashTable[PawnHashSize];
constinit thread_local PawnHashEntry *CurrentPawnEntry = PawnHashTable;
constinit thread_local PawnHashEntry *ThreadPawnTable = nullptr;

void ClearPawnHashTable() { std::memset(PawnHashTable, 0, sizeof PawnHashTable); }

namespace {

// rear[c][f]: the rank, as colour c counts it, of c's least advanced pawn on
// file f (files 0 and 9 are empty sentinels); 8 when c has no pawn there.
using RearRanks = int[2][10];

struct PawnCounts {
    int isolated = 0;
    int isolatedOpen = 0; // isolated and no enemy pawn in front
    uint32_t passedFiles = 0;
};

// Penalty for one side's isolated pawns, by their count.
int32_t IsolationPenalty(const PawnCounts &c) {
    return IsolatedPenalty[std::min(c.isolated, 8)] + IsolatedOpenPenalty[std::min(c.isolatedOpen, 8)];
}

// Score of Us's pawns from Us's side (positive is good for Us).
template <Color Us> int32_t ScorePawns(const RearRanks &rear, PawnCounts &counts, int &rams) {
    using T = ColorTraits<Us>;
    // Highest rank (as Us counts) of an enemy pawn on file f; 1 when none.
    auto enemyFront = [&](int f) { return 9 - rear[T::Them][f]; };
    int32_t s = 0;
    for (uint32_t i = 1; i <= PieceLists[T::Pawn][0]; ++i) {
        const Square sq = PieceLists[T::Pawn][i];
        const int f = SquareFile(sq);
        const int r = int(T::RelativeRank(uint32_t(SquareRank(sq))));
        s += PawnAdvance[r];
        // Blocked pairs are counted once, from White's pawns.
        if constexpr (Us == White)
            if (Board[sq + T::Forward].piece == BlackPawn) ++rams;
        if (rear[Us][f - 1] == 8 && rear[Us][f + 1] == 8) {
            ++counts.isolated;
            if (enemyFront(f) < r) ++counts.isolatedOpen;
        } else if (Board[sq - 1].piece == T::Pawn || Board[sq + 1].piece == T::Pawn) {
            s += 2;
        }
        if (rear[Us][f] < r) s -= 10; // another pawn of ours behind it
        if (enemyFront(f) < r && enemyFront(f - 1) <= r && enemyFront(f + 1) <= r) {
            s += PassedByRank[r];
            if (rear[Us][f] < r) s -= PassedByRank[r] >> 1;
            counts.passedFiles |= FileBit(f);
        }
    }
    return s;
}

// Counters of one wing's shelter, per colour where they differ.
struct Wing {
    int open = 0;
    int missing[2] = {0, 0}; // files without a pawn of that colour
    int deficit[2] = {0, 0}; // how far that colour's pawns have left home
};

// Deficit of a pawn on its third rank / further up, by file 1..8.
constexpr int ThirdRankDeficit[9] = {0, 1, 2, 1, 0, 0, 1, 2, 1};
constexpr int FurtherDeficit[9] = {0, 2, 3, 2, 0, 0, 2, 3, 2};

template <Color C> void Examine(Wing &w, const RearRanks &rear, int f) {
    const int r = rear[C][f];
    if (r == 8)
        ++w.missing[C];
    else
        w.deficit[C] += r == 2 ? 0 : r == 3 ? ThirdRankDeficit[f] : FurtherDeficit[f];
}

// A wing: two outer files examined always, the third only when the outer
// ones already show a weakness. The white side of the third file is looked at
// first, and its result counts for the black side's test.
Wing ExamineWing(const RearRanks &rear, int outer1, int outer2, int third) {
    Wing w;
    for (int f : {outer1, outer2}) {
        if (rear[White][f] == 8 && rear[Black][f] == 8) {
            ++w.open;
        } else {
            Examine<White>(w, rear, f);
            Examine<Black>(w, rear, f);
        }
    }
    if (rear[White][third] == 8 && rear[Black][third] == 8) {
        ++w.open;
    } else {
        const int weakness = w.open | w.missing[White] | w.missing[Black];
        if (weakness | w.deficit[White]) Examine<White>(w, rear, third);
        if (weakness | w.missing[White] | w.deficit[Black]) Examine<Black>(w, rear, third);
    }
    return w;
}

// Half weight for the files the opponent lacks a pawn on.
template <Color C> uint8_t Shelter(const Wing &w) {
    constexpr Color Them = Opponent(C);
    return uint8_t(((3 * w.missing[Them]) >> 1) + 3 * w.open + 3 * w.missing[C] + w.deficit[C]);
}

} // namespace

int32_t ComputePawnEntry(PawnHashEntry &entry) {
    RearRanks rear;
    std::fill(&rear[0][0], &rear[0][0] + 20, 8);
    uint32_t pawnFiles[2] = {0, 0}, lightPawns[2] = {0, 0};
    for (Color c : {White, Black}) {
        const PieceCode code = c == White ? WhitePawn : BlackPawn;
        for (uint32_t i = 1; i <= PieceLists[code][0]; ++i) {
            const Square sq = PieceLists[code][i];
            const int f = SquareFile(sq);
            const int r = c == White ? SquareRank(sq) : 9 - SquareRank(sq);
            rear[c][f] = std::min(rear[c][f], r);
            pawnFiles[c] |= FileBit(f);
            lightPawns[c] += IsLightSquare(sq);
        }
    }

    PawnCounts white, black;
    int rams = 0;
    int32_t s = ScorePawns<White>(rear, white, rams) - ScorePawns<Black>(rear, black, rams);

    // Closed positions suit the engine's opponent better when it is a human.
    if (OpponentIsComputer == 0) {
        const int blocked = std::min(rams, 8);
        if (EngineSide == White && PieceLists[WhitePawn][0] > 4) s -= RamPenalty[blocked];
        if (EngineSide != White && PieceLists[BlackPawn][0] > 4) s += RamPenalty[blocked]; // no side counts as Black
    }

    s = s - IsolationPenalty(white) + IsolationPenalty(black);

    const Wing queenSide = ExamineWing(rear, 1, 2, 3);
    const Wing kingSide = ExamineWing(rear, 8, 7, 6);

    entry.keyLow = KeyLow(PawnHashKey);
    entry.keyHigh = KeyHigh(PawnHashKey);
    entry.score = int16_t(s);
    entry.whitePassedFiles = uint8_t(white.passedFiles);
    entry.blackPassedFiles = uint8_t(black.passedFiles);
    entry.whiteShelterKingSide = Shelter<White>(kingSide);
    entry.whiteShelterQueenSide = Shelter<White>(queenSide);
    entry.blackShelterKingSide = Shelter<Black>(kingSide);
    entry.blackShelterQueenSide = Shelter<Black>(queenSide);
    entry.whitePawnFiles = uint8_t(pawnFiles[White]);
    entry.blackPawnFiles = uint8_t(pawnFiles[Black]);
    entry.whiteLightPawns = uint8_t(lightPawns[White]);
    entry.blackLightPawns = uint8_t(lightPawns[Black]);
    return s;
}

int32_t EvaluatePawns() {
    PawnHashEntry *table = ThreadPawnTable != nullptr ? ThreadPawnTable : PawnHashTable;
    PawnHashEntry &entry = table[KeyLow(PawnHashKey) & (PawnHashSize - 1)];
    CurrentPawnEntry = &entry;
    if (entry.keyLow == KeyLow(PawnHashKey) && entry.keyHigh == KeyHigh(PawnHashKey)) return entry.score;
    return ComputePawnEntry(entry);
}
