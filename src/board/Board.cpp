// The position state, the start-up tables, the key generator and the
// make/unmake dispatch table.
#include "board/Board.h"

#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "board/MoveMaker.h"
#include "board/Setup.h"

constinit thread_local BoardEntry Board[120];
constinit thread_local uint32_t PieceLists[14][PieceListCapacity + 1];

constinit thread_local uint32_t SideToMove = White;
constinit thread_local uint32_t EpSquare = 0;
constinit thread_local uint32_t RootInCheck = 0;
constinit thread_local uint32_t CastleSpoilers[4] = {1, 1, 1, 1};
constinit thread_local uint8_t Castled[2] = {0, 0};
constinit thread_local Square CastleRookSquare[4] = {A1, H1, A8, H8};
constinit thread_local Square CastleKingSquare[2] = {E1, E8};
constinit thread_local uint64_t CastlePathMask[4] = {0, 0, 0, 0};
constinit thread_local uint8_t CastlingAnyLayout = 0;
constinit thread_local uint32_t GamePly = 0;
constinit thread_local HistoryEntry PositionHistory[PositionHistorySize];

constinit thread_local uint64_t HashKey = 0;
constinit thread_local uint64_t PawnHashKey = 0;
uint64_t ZobristKeys[14][128];
uint64_t SideToMoveKey = 0;

constinit thread_local int32_t Material = 0;
constinit thread_local uint32_t WhitePieceWeight = 0;
constinit thread_local uint32_t BlackPieceWeight = 0;
constinit thread_local uint32_t PieceCount = 0;

uint32_t FileOf[120];
uint32_t RankOf[120];
int8_t AttackStep[15][120][120];
uint32_t SliderForStep[2][23];
uint64_t SquareBit[120];
uint8_t BitSquare[64];
uint64_t RayMask[8][120];
uint8_t RayLength[8][120];
constinit thread_local uint64_t Occupied = 0;
constinit thread_local uint64_t PieceMask[14];
uint64_t KnightReach[120];
uint64_t KingReach[120];
uint64_t DiagonalLines[120];
uint64_t StraightLines[120];

constinit thread_local MoveFunctionTable MoveFunctions = {
    {MakeMoveOf<White, CornerCastling>, MakeMoveOf<Black, CornerCastling>},
    {UnmakeMoveOf<White, CornerCastling>, UnmakeMoveOf<Black, CornerCastling>},
};

namespace {

template <CastlingRule Rule>
constexpr MoveFunctionTable FunctionsFor = {
    {MakeMoveOf<White, Rule>, MakeMoveOf<Black, Rule>},
    {UnmakeMoveOf<White, Rule>, UnmakeMoveOf<Black, Rule>},
};

} // namespace

void SelectMoveFunctions() {
    bool anyRight =
        CastleSpoilers[0] == 0 || CastleSpoilers[1] == 0 || CastleSpoilers[2] == 0 || CastleSpoilers[3] == 0;
    if (!anyRight)
        MoveFunctions = FunctionsFor<NoCastling>;
    else if (CastlingAnyLayout)
        MoveFunctions = FunctionsFor<AnyCastling>;
    else
        MoveFunctions = FunctionsFor<CornerCastling>;
}

namespace {

// Copies one piece of position state, arrays whole.
template <typename To, typename From> void CopyState(To &to, const From &from) {
    static_assert(sizeof(To) == sizeof(From));
    if constexpr (std::is_array_v<To>)
        std::memcpy(to, from, sizeof to);
    else
        to = from;
}

// Hands each stored field of s with its live state to copy, in one list for
// saving and restoring alike.
template <typename State, typename Copy> void EachPositionField(State &s, Copy copy) {
    copy(s.board, Board);
    copy(s.pieceLists, PieceLists);
    copy(s.sideToMove, SideToMove);
    copy(s.epSquare, EpSquare);
    copy(s.rootInCheck, RootInCheck);
    copy(s.gamePly, GamePly);
    copy(s.castleSpoilers, CastleSpoilers);
    copy(s.castled, Castled);
    copy(s.castleRookSquare, CastleRookSquare);
    copy(s.castleKingSquare, CastleKingSquare);
    copy(s.castlePathMask, CastlePathMask);
    copy(s.castlingAnyLayout, CastlingAnyLayout);
    copy(s.positionHistory, PositionHistory);
    copy(s.hashKey, HashKey);
    copy(s.pawnHashKey, PawnHashKey);
    copy(s.material, Material);
    copy(s.whitePieceWeight, WhitePieceWeight);
    copy(s.blackPieceWeight, BlackPieceWeight);
    copy(s.pieceCount, PieceCount);
    copy(s.moveFunctions, MoveFunctions);
    copy(s.occupied, Occupied);
    copy(s.pieceMask, PieceMask);
}

} // namespace

void SavePosition(PositionState &s) {
    EachPositionField(s, [](auto &stored, const auto &live) { CopyState(stored, live); });
}

void RestorePosition(const PositionState &s) {
    EachPositionField(s, [](const auto &stored, auto &live) { CopyState(live, stored); });
}

// ---------------------------------------------------------------------------
// Key generator: additive lagged Fibonacci over 55 words.

namespace {

constexpr uint32_t SeedWords[55] = {
    0x983b6369u, 0xd5baa978u, 0x11d5d724u, 0xfe4f5263u, 0xc1f49414u, 0x456d044bu, 0xa7865584u, 0xddc012f8u,
    0x516b64aeu, 0x8b64441cu, 0xcf2ed1dfu, 0xde2ba9c8u, 0xe6a11024u, 0x5926363fu, 0x635917d4u, 0xbc322bd5u,
    0x3ec5c2e3u, 0x05fe0288u, 0x744ad6f8u, 0xa222643eu, 0xd194910bu, 0x4ee14c1fu, 0x0f0f15fau, 0x775d096du,
    0x7ff35253u, 0xa407e15du, 0x5229e07du, 0xdbfd22d6u, 0xa1d8c4feu, 0xa3baf3d7u, 0x26c3ac87u, 0xba04a117u,
    0x6713961fu, 0xfc4db29bu, 0xe6d0ef70u, 0xf78a830fu, 0xfbd66481u, 0xec717a40u, 0xb7b9315au, 0xc97816b5u,
    0x81f276f3u, 0xd5e0957eu, 0xb614aea5u, 0xafce6dfeu, 0x4f6e57a5u, 0x65eb2fc4u, 0x3459e6e5u, 0x3406b7aeu,
    0xfa625685u, 0xd8be0863u, 0x2a4beb2du, 0x1374d0dau, 0xb14e93e7u, 0x44913985u, 0x22b9b0d0u,
};

uint32_t RandomState[55];
int RandomJ = 0;
int RandomK = 0;
bool RandomLoaded = false;

void RestartRandom() {
    for (int i = 0; i < 55; i++)
        RandomState[i] = SeedWords[i];
    RandomJ = 23;
    RandomK = 54;
    RandomLoaded = true;
}

} // namespace

uint32_t NextRandom() {
    if (!RandomLoaded) RestartRandom();
    RandomState[RandomK] += RandomState[RandomJ];
    uint32_t result = RandomState[RandomK];
    if (--RandomJ < 0) RandomJ = 54;
    if (--RandomK < 0) RandomK = 54;
    return result;
}

void FillZobristKeys() {
    // Restart the generator so the keys are the same however often this runs.
    RestartRandom();
    for (int code = 0; code < 14; code++) {
        for (int s = 0; s < 120; s++) {
            uint64_t low = NextRandom();
            uint64_t high = NextRandom();
            ZobristKeys[code][s] = low | (high << 32);
        }
    }
    uint64_t low = NextRandom();
    uint64_t high = NextRandom();
    SideToMoveKey = low | (high << 32);
}

void ComputeHashKeys() {
    uint64_t key = ZobristKeys[WhiteKing][KingSquare(White)] ^ ZobristKeys[BlackKing][KingSquare(Black)];
    uint64_t pawnKey = 0;
    for (PieceCode c = WhitePawn; c <= BlackQueen; c++) {
        if (c == WhiteKing || c == EmptySquare || c == OffBoard) continue;
        for (uint32_t i = 1; i <= PieceLists[c][0]; i++) {
            Square s = PieceLists[c][i];
            key ^= ZobristKeys[c][s];
            if (c == WhitePawn || c == BlackPawn) pawnKey ^= ZobristKeys[c][s];
        }
    }
    HashKey = key;
    PawnHashKey = pawnKey;
}

// ---------------------------------------------------------------------------
// Start-up tables

namespace {

int SignOf(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

void SetSlider(int a, int b, int step, bool orthogonal) {
    AttackStep[0][a][b] = step;
    if (orthogonal) {
        AttackStep[WhiteRook + 1][a][b] = step;
        AttackStep[BlackRook + 1][a][b] = step;
    } else {
        AttackStep[WhiteBishop + 1][a][b] = step;
        AttackStep[BlackBishop + 1][a][b] = step;
    }
    AttackStep[WhiteQueen + 1][a][b] = step;
    AttackStep[BlackQueen + 1][a][b] = step;
}

} // namespace

void BuildTables() {
    for (int s = 0; s < 120; s++) {
        FileOf[s] = OnBoard(s) ? uint32_t(s % 10) : 0;
        RankOf[s] = OnBoard(s) ? uint32_t(10 - s / 10) : 0;
    }

    for (auto &plane : AttackStep)
        for (auto &row : plane)
            for (auto &entry : row)
                entry = 0;

    for (int a = 0; a < 120; a++) {
        if (!OnBoard(a)) continue;
        for (int b = 0; b < 120; b++) {
            if (!OnBoard(b)) continue;
            int fa = int(FileOf[a]), fb = int(FileOf[b]);
            int ra = int(RankOf[a]), rb = int(RankOf[b]);
            if (a != b && ra == rb) SetSlider(a, b, fa > fb ? 1 : -1, true);
            if (a != b && fa == fb) SetSlider(a, b, ra > rb ? -10 : 10, true);
            if (rb - ra == fb - fa && rb != ra) SetSlider(a, b, 9 * SignOf(rb - ra), false);
            if (rb - ra == fa - fb && rb != ra) SetSlider(a, b, 11 * SignOf(rb - ra), false);
            int d = b - a;
            if (d == 9 || d == 11) AttackStep[BlackPawn + 1][a][b] = 1;
            if (d == -9 || d == -11) AttackStep[WhitePawn + 1][a][b] = 1;
            switch (d) {
            case 8:
            case 12:
            case 19:
            case 21:
            case -8:
            case -12:
            case -19:
            case -21:
                AttackStep[WhiteKnight + 1][a][b] = 1;
                AttackStep[BlackKnight + 1][a][b] = 1;
                break;
            default:
                break;
            }
        }
    }

    for (int s = 0; s < 120; s++)
        SquareBit[s] = OnBoard(s) ? uint64_t(1) << (8 * (s / 10 - 2) + s % 10 - 1) : 0;
    for (int s = 0; s < 120; s++)
        if (OnBoard(s)) BitSquare[__builtin_ctzll(SquareBit[s])] = uint8_t(s);
    static constexpr int Steps[8] = {-11, -10, -9, -1, 1, 9, 10, 11};
    static_assert([] {
        for (int d = 0; d < 8; d++)
            if (DirectionOfStep[Steps[d] + 11] != d) return false;
        return true;
    }());
    for (int d = 0; d < 8; d++) {
        for (int s = 0; s < 120; s++) {
            RayMask[d][s] = 0;
            RayLength[d][s] = 0;
            if (!OnBoard(s)) continue;
            for (int t = s + Steps[d]; OnBoard(t); t += Steps[d]) {
                RayMask[d][s] |= SquareBit[t];
                RayLength[d][s]++;
            }
        }
    }
    for (int s = 0; s < 120; s++) {
        KnightReach[s] = KingReach[s] = 0;
        DiagonalLines[s] = RayMask[0][s] | RayMask[2][s] | RayMask[5][s] | RayMask[7][s];
        StraightLines[s] = RayMask[1][s] | RayMask[3][s] | RayMask[4][s] | RayMask[6][s];
        if (!OnBoard(s)) continue;
        for (int step : KnightSteps)
            if (s + step >= 0 && s + step < 120) KnightReach[s] |= SquareBit[s + step];
        for (int step : Steps)
            KingReach[s] |= SquareBit[s + step];
    }

    for (int side = 0; side < 2; side++) {
        for (int i = 0; i < 23; i++)
            SliderForStep[side][i] = 0;
        uint32_t base = side == White ? 0 : 8;
        for (int step : {9, 11, -9, -11})
            SliderForStep[side][step + 11] = base + WhiteBishop;
        for (int step : {1, 10, -1, -10})
            SliderForStep[side][step + 11] = base + WhiteRook;
    }
}

void SyncOccupied() {
    Occupied = 0;
    for (uint64_t &m : PieceMask)
        m = 0;
    for (Square s = 21; s <= 98; s++) {
        const PieceCode c = Board[s].piece;
        if (c == EmptySquare || c == OffBoard) continue;
        Occupied |= SquareBit[s];
        PieceMask[c] |= SquareBit[s];
    }
}

void InitBoard() {
    for (auto &entry : Board)
        entry = {0, OffBoard};
    BuildTables();
    SetupPosition(StartPosition);
}
