// Constant tables of the evaluation and the small square helpers they need.
//
// Square tables are written as on a diagram from White's side: rows rank 8
// down to rank 1, columns files a to h. They are expanded at compile time to
// 120-entry arrays indexed by Square, once as White reads them and once at the
// mirrored square (rank r read as rank 9 - r) as Black reads them.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>

#include "board/Board.h"
#include "board/ColorTraits.h"

using Table64 = std::array<int32_t, 64>;

// Same file, rank 9 - r: a8 <-> a1, e7 <-> e2.
constexpr Square MirrorSquare(Square s) { return (11 - s / 10) * 10 + s % 10; }
// A square given from White's side, as Us sees it.
template <Color Us> constexpr Square RelativeSquare(Square s) { return Us == White ? s : MirrorSquare(s); }
constexpr int TableIndex(Square s) { return int(s / 10 - 2) * 8 + int(s % 10) - 1; }
constexpr int SquareFile(Square s) { return int(s % 10); }
constexpr int SquareRank(Square s) { return 10 - int(s / 10); }
// Rank of s as Us counts it: 1 = own back rank.
template <Color Us> constexpr int RelativeRankOf(Square s) {
    return int(ColorTraits<Us>::RelativeRank(uint32_t(SquareRank(s))));
}
// The piece on a square given from White's side, as Us sees it.
template <Color Us> PieceCode PieceAt(Square whiteSideSquare) {
    return Board[RelativeSquare<Us>(whiteSideSquare)].piece;
}
// Light squares: file and rank of different parity (a8, h1 light; a1, h8 dark).
constexpr bool IsLightSquare(Square s) { return ((SquareFile(s) + SquareRank(s)) & 1) != 0; }
// King distance.
constexpr int Distance(Square a, Square b) {
    const int df = std::abs(SquareFile(a) - SquareFile(b));
    const int dr = std::abs(SquareRank(a) - SquareRank(b));
    return df > dr ? df : dr;
}
// Bit of a file (1..8) in a file mask.
constexpr uint32_t FileBit(int file) { return 1u << (8 - file); }
constexpr uint32_t FilesAtoC = 0xe0, FilesAtoD = 0xf0, FilesEtoH = 0x0f, FilesFtoH = 0x07;

struct SquareTable {
    int32_t view[2][120];
    template <Color Us> constexpr int32_t At(Square s) const { return view[Us][s]; }
};

constexpr SquareTable MakeSquareTable(const Table64 &t) {
    SquareTable r{};
    for (Square s = 0; s < 120; ++s) {
        if (!OnBoard(s)) continue;
        r.view[White][s] = t[TableIndex(s)];
        r.view[Black][s] = t[TableIndex(MirrorSquare(s))];
    }
    return r;
}

constexpr Table64 ReflectFiles(const Table64 &t) {
    Table64 r{};
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col)
            r[row * 8 + col] = t[row * 8 + 7 - col];
    return r;
}

// --- King placement when the opponent has little material -----------------

constexpr Table64 KingBothWings = {
    -50, -40, -30, -20, -20, -30, -40, -50, //
    -30, -10, 25,  25,  25,  25,  -10, -30, //
    -30, -10, 35,  50,  50,  35,  -10, -30, //
    -30, 0,   40,  45,  45,  40,  0,   -30, //
    -30, 0,   30,  40,  40,  30,  0,   -30, //
    -30, -10, 15,  20,  20,  15,  -10, -30, //
    -30, -20, -10, 0,   0,   -10, -20, -30, //
    -50, -40, -30, -20, -20, -30, -40, -50,
};
constexpr Table64 KingKingSide = {
    -90, -70, -50, -30, -30, -30, -30, -30, //
    -70, -50, -30, -10, 15,  20,  15,  -10, //
    -60, -40, -20, 0,   40,  50,  40,  0,   //
    -60, -40, -20, 0,   30,  40,  30,  0,   //
    -60, -40, -20, 0,   20,  30,  20,  0,   //
    -60, -40, -20, 0,   10,  20,  10,  0,   //
    -70, -50, -30, -10, -10, -10, -10, -10, //
    -90, -70, -50, -30, -30, -30, -30, -30,
};
inline constexpr SquareTable KingTableBothWings = MakeSquareTable(KingBothWings);
inline constexpr SquareTable KingTableKingSide = MakeSquareTable(KingKingSide);
inline constexpr SquareTable KingTableQueenSide = MakeSquareTable(ReflectFiles(KingKingSide));

// --- Lone-king mating ---------------------------------------------------------

// The losing king's square. b8 and c8 hold 0 on purpose.
constexpr Table64 Edge = {
    70, 0,  0,  40, 40, 45, 50, 70, //
    50, 30, 25, 20, 20, 25, 30, 50, //
    45, 25, 15, 10, 10, 15, 25, 45, //
    40, 20, 10, 0,  0,  10, 20, 40, //
    40, 20, 10, 0,  0,  10, 20, 40, //
    45, 25, 15, 10, 10, 15, 25, 45, //
    50, 30, 25, 20, 20, 25, 30, 50, //
    70, 50, 45, 40, 40, 45, 50, 70,
};
// K+B+N vs K: high in the corners of the bishop's colour.
constexpr Table64 CornerLight = {
    100, 90, 80, 70, 60, 50, 40, 30, //
    90,  85, 70, 60, 50, 40, 30, 40, //
    80,  70, 10, 10, 10, 10, 40, 50, //
    70,  60, 10, 0,  0,  10, 50, 60, //
    60,  50, 10, 0,  0,  10, 60, 70, //
    50,  40, 10, 10, 10, 10, 70, 80, //
    40,  30, 40, 50, 60, 70, 85, 90, //
    30,  40, 50, 60, 70, 80, 90, 100,
};
inline constexpr SquareTable EdgeTable = MakeSquareTable(Edge);
inline constexpr SquareTable CornerTableLight = MakeSquareTable(CornerLight);
inline constexpr SquareTable CornerTableDark = MakeSquareTable(ReflectFiles(CornerLight));

// --- Pawn structure (indexed by rank 1..8, or by a count) ---------------------

constexpr int32_t PawnAdvance[9] = {0, 0, 0, 3, 7, 12, 18, 25, 0};
constexpr int32_t PassedByRank[9] = {0, 0, 0, 7, 15, 30, 55, 100, 130};
constexpr int32_t IsolatedPenalty[9] = {0, 10, 25, 45, 70, 100, 135, 175, 220};
constexpr int32_t IsolatedOpenPenalty[9] = {0, 6, 12, 18, 24, 30, 36, 42, 48};
constexpr int32_t RamPenalty[9] = {0, 0, 20, 40, 60, 60, 60, 60, 60};

// --- Passed pawns (indexed by relative rank 1..8) -----------------------------

constexpr int32_t KingSupportBonus[9] = {0, 0, 0, 0, 0, 15, 50, 100, 0};
constexpr int32_t BlockedPasserPenalty[9] = {0, 0, 3, 7, 15, 27, 50, 65, 0};
constexpr int32_t ConnectedPasserBonus[9] = {0, 1, 2, 5, 10, 20, 40, 70, 0};

// --- King safety ----------------------------------------------------------------

constexpr Table64 KingDanger = {
    8, 8, 8, 8, 8, 8, 8, 8, //
    7, 7, 7, 7, 7, 7, 7, 7, //
    6, 6, 6, 6, 6, 6, 6, 6, //
    5, 5, 5, 5, 5, 5, 5, 5, //
    4, 4, 4, 4, 4, 4, 4, 4, //
    3, 3, 3, 3, 3, 3, 3, 3, //
    1, 1, 2, 3, 3, 2, 1, 1, //
    1, 0, 2, 3, 3, 2, 0, 1,
};
inline constexpr SquareTable KingSquareDanger = MakeSquareTable(KingDanger);

// --- Pieces ---------------------------------------------------------------------

constexpr Table64 Knight64 = {
    -50, -10, -10, -10, -10, -10, -10, -50, //
    -20, -16, 4,   4,   4,   4,   -16, -20, //
    0,   5,   10,  10,  10,  10,  5,   0,   //
    0,   5,   20,  25,  25,  20,  5,   0,   //
    0,   5,   15,  20,  20,  15,  5,   0,   //
    -5,  5,   10,  10,  10,  10,  5,   -5,  //
    -10, 0,   1,   5,   5,   1,   0,   -10, //
    -25, -10, -10, -10, -10, -10, -10, -25,
};
constexpr Table64 Outpost64 = {
    0, 0, 0,  0,  0,  0,  0, 0, //
    0, 0, 0,  0,  0,  0,  0, 0, //
    0, 0, 10, 15, 15, 10, 0, 0, //
    0, 0, 20, 25, 25, 20, 0, 0, //
    0, 0, 10, 15, 15, 10, 0, 0, //
    0, 0, 0,  5,  5,  0,  0, 0, //
    0, 0, 0,  0,  0,  0,  0, 0, //
    0, 0, 0,  0,  0,  0,  0, 0,
};
constexpr Table64 Bishop64 = {
    -10, -10, -10, -10, -10, -10, -10, -10, //
    -10, 15,  5,   5,   5,   5,   15,  -10, //
    0,   5,   15,  10,  10,  15,  5,   0,   //
    0,   5,   10,  15,  15,  10,  5,   0,   //
    0,   5,   10,  15,  15,  10,  5,   0,   //
    0,   5,   15,  10,  10,  15,  5,   0,   //
    -10, 15,  5,   5,   5,   5,   15,  -10, //
    -10, -10, -10, -10, -10, -10, -10, -10,
};
constexpr Table64 Queen64 = {
    0,   0,   0,  0,  0,  0,  0,   0,   //
    0,   3,   4,  5,  5,  4,  3,   0,   //
    0,   4,   10, 10, 10, 10, 4,   0,   //
    0,   5,   10, 15, 15, 10, 5,   0,   //
    0,   5,   10, 15, 15, 10, 5,   0,   //
    -10, 4,   10, 10, 10, 10, 4,   -10, //
    -10, 3,   4,  5,  5,  4,  3,   -10, //
    -15, -10, -5, 0,  0,  -5, -10, -15,
};
inline constexpr SquareTable KnightTable = MakeSquareTable(Knight64);
inline constexpr SquareTable KnightOutpost = MakeSquareTable(Outpost64);
inline constexpr SquareTable BishopTable = MakeSquareTable(Bishop64);
inline constexpr SquareTable QueenTable = MakeSquareTable(Queen64);

constexpr int32_t RookFileBonus[9] = {0, 0, 3, 7, 12, 12, 7, 3, 0}; // by file 1..8

// Attack points, by king distance or file distance (7 = no file term).
constexpr int32_t KnightTropism[8] = {0, 1, 3, 2, 1, 0, 0, 0};
constexpr int32_t BishopTropism[8] = {0, 1, 3, 2, 1, 0, 0, 0};
constexpr int32_t RookTropism[8] = {0, 3, 2, 1, 0, 0, 0, 0};
constexpr int32_t RookFileTropism[8] = {4, 3, 2, 1, 0, 0, 0, 0};
constexpr int32_t QueenTropism[8] = {0, 0, 4, 3, 0, 0, 0, 0};
constexpr int32_t QueenFileTropism[8] = {5, 4, 3, 0, 0, 0, 0, 0};

// ---------------------------------------------------------------------------
// Weights of the evaluation driver

// Lazy exits: a side with pieces can gain at most this much positionally
// over material before the pawn terms...
constexpr int32_t LazyMaterialMargin = 225;
// ...and at most this much more once pawns and the cheap piece terms are in.
constexpr int32_t LazyPositionMargin = 150;
// The special-ending recognizer only runs when both sides have less piece
// weight than this (a rook and a minor).
constexpr uint32_t RecognizerWeightLimit = 9;
// Against less enemy piece weight than this the king centralises instead of
// taking shelter.
constexpr uint32_t KingSafetyWeightLimit = 14;
constexpr int32_t BishopPairBonus = 25;
// A bishop on a7/h7 (own side's view) shut in by an enemy pawn on b6/g6.
constexpr int32_t TrappedBishopPenalty = 175;
// A rook between its uncastled king and the corner.
constexpr int32_t RookShutInPenalty = 30;
// A back-rank king behind three own pawns: mating threats on the rank.
constexpr int32_t BackRankPenalty = 12;
// Attack points count (AttackBase + AttackDangerScale * danger / 3) / 16
// each, so attacks grow with the weakness of the king they aim at.
constexpr int32_t AttackBase = 64;
constexpr int32_t AttackDangerScale = 4;
constexpr int32_t AttackShift = 4;
// Opposite-coloured bishops draw: from this much piece weight on a side the
// ending is played as a normal one.
constexpr uint32_t OppositeBishopsWeightLimit = 12;
// Below this material difference the bishops-only ending is scaled to a quarter.
constexpr int32_t OppositeBishopsCloseMaterial = 201;
