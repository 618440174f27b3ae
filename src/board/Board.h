// The current position and the tables built at start-up.
//
// There are no position objects: every module reads and changes the state
// declared here in place, one copy per search thread (the thread_local
// declarations). Make/unmake keep it consistent incrementally;
// SetupPosition builds it from scratch.
#pragma once

#include <cstdint>

#include "board/MoveScores.h"

// ---------------------------------------------------------------------------
// Basic types

using Square = uint32_t;    // 0..119, mailbox of 10 columns x 12 rows
using PieceCode = uint32_t; // see the codes below
using Move = uint32_t;      // packed move word, 0 = no move

enum Color : uint32_t { White = 0, Black = 1 };

constexpr Color Opponent(Color c) { return c == White ? Black : White; }

// Piece codes: bit 3 is the colour bit, the low three bits the kind.
enum : PieceCode {
    WhitePawn = 0,
    WhiteKnight = 1,
    WhiteBishop = 2,
    WhiteRook = 3,
    WhiteQueen = 4,
    WhiteKing = 5,
    EmptySquare = 6,
    OffBoard = 7,
    BlackPawn = 8,
    BlackKnight = 9,
    BlackBishop = 10,
    BlackRook = 11,
    BlackQueen = 12,
    BlackKing = 13,
};

// Piece kinds (code & 7 for a real piece).
enum : uint32_t { Pawn = 0, Knight = 1, Bishop = 2, Rook = 3, Queen = 4, King = 5 };

constexpr char PieceLetters[] = "PNBRQK.?pnbrqk";

constexpr bool IsWhitePiece(PieceCode c) { return c <= WhiteKing; }
constexpr uint32_t KindOf(PieceCode c) { return c & 7; }

// Square = 10 * (10 - rank) + file, file 1..8 (a..h), rank 1..8.
constexpr Square SquareOf(int file, int rank) { return Square(10 * (10 - rank) + file); }
constexpr Square SquareFromText(char letter, char digit) { return Square(letter - 10 * digit + 484); }

enum : Square {
    A8 = 21,
    B8,
    C8,
    D8,
    E8,
    F8,
    G8,
    H8,
    A7 = 31,
    B7,
    C7,
    D7,
    E7,
    F7,
    G7,
    H7,
    A6 = 41,
    B6,
    C6,
    D6,
    E6,
    F6,
    G6,
    H6,
    A5 = 51,
    B5,
    C5,
    D5,
    E5,
    F5,
    G5,
    H5,
    A4 = 61,
    B4,
    C4,
    D4,
    E4,
    F4,
    G4,
    H4,
    A3 = 71,
    B3,
    C3,
    D3,
    E3,
    F3,
    G3,
    H3,
    A2 = 81,
    B2,
    C2,
    D2,
    E2,
    F2,
    G2,
    H2,
    A1 = 91,
    B1,
    C1,
    D1,
    E1,
    F1,
    G1,
    H1,
};

// One of the 64 playing squares, not the mailbox border around them.
constexpr bool OnBoard(Square s) { return s >= A8 && s <= H1 && s % 10 >= 1 && s % 10 <= 8; }

// The eight knight jumps on the mailbox, in the order generation tries them.
constexpr int KnightSteps[8] = {-21, -19, -12, -8, 8, 12, 19, 21};

// ---------------------------------------------------------------------------
// The move word

constexpr Move PromotionFlag = 1u << 28;
constexpr Move DoubleStepFlag = 1u << 29;
constexpr Move EnPassantFlag = 1u << 30;
constexpr Move CastlingFlag = 1u << 31;

constexpr Square MoveFrom(Move m) { return m & 0xff; }
constexpr Square MoveTo(Move m) { return (m >> 8) & 0xff; }
constexpr PieceCode MoveCaptured(Move m) { return (m >> 16) & 0xff; }
constexpr PieceCode MovePromoted(Move m) { return (m >> 24) & 0xf; }
constexpr bool IsCapture(Move m) { return MoveCaptured(m) != EmptySquare; }
constexpr bool IsPromotion(Move m) { return (m & PromotionFlag) != 0; }
constexpr bool IsDoubleStep(Move m) { return (m & DoubleStepFlag) != 0; }
constexpr bool IsEnPassant(Move m) { return (m & EnPassantFlag) != 0; }
constexpr bool IsCastling(Move m) { return (m & CastlingFlag) != 0; }

// En-passant target left by m: the square a double step passed over, else 0.
constexpr Square EpSquareAfter(Move m) { return IsDoubleStep(m) ? (MoveFrom(m) + MoveTo(m)) / 2 : 0; }

constexpr Move MakeMoveWord(Square from, Square to, PieceCode captured = EmptySquare, Move flags = 0) {
    return from | (to << 8) | (captured << 16) | flags;
}
constexpr Move MakePromotionWord(Square from, Square to, PieceCode captured, PieceCode promoted) {
    return from | (to << 8) | (captured << 16) | (promoted << 24) | PromotionFlag;
}

static_assert(sizeof(Move) == 4, "moves are 32-bit words");

// A move list entry: the move and its ordering score. Callers reserve
// MoveListSize entries; 256 is the most any position needs, the rest is margin.
struct MoveEntry {
    Move move;
    int32_t score;
};
static_assert(sizeof(MoveEntry) == 8, "move list entries are 8 bytes");

constexpr int MaxMoves = 256;
constexpr int MoveListSize = MaxMoves + 64;

// ---------------------------------------------------------------------------
// Capacities

constexpr int PieceListCapacity = 10; // squares per piece list (promotions in search)
constexpr int MaxGamePly = 1000;      // longest game the record holds
constexpr int MaxSearchPly = 128;     // hard cap of any search path
constexpr int PositionHistorySize = MaxGamePly + MaxSearchPly + 8;

// ---------------------------------------------------------------------------
// The position

struct BoardEntry {
    uint32_t listIndex; // slot in the piece list of `piece` (0 for a king)
    uint32_t piece;     // PieceCode
};

extern constinit thread_local BoardEntry Board[120];

// PieceLists[c][0] = number of pieces of code c, [1..count] their squares.
// For the kings (codes 5 and 13) slot 0 is the king's square.
extern constinit thread_local uint32_t PieceLists[14][PieceListCapacity + 1];

inline uint32_t &KingSquare(uint32_t side) { return PieceLists[side == White ? WhiteKing : BlackKing][0]; }

// The occupied squares of Board as a 64-bit mask, bit 8 * (8 - rank) + file - 1,
// so that bit order follows square order. Make/unmake and setup keep it beside
// Board: whoever writes Board directly calls SyncOccupied() afterwards.
extern constinit thread_local uint64_t Occupied;
// The same per piece code (the empty and border codes stay 0).
extern constinit thread_local uint64_t PieceMask[14];
void SyncOccupied(); // rebuilds Occupied and PieceMask from Board

extern constinit thread_local uint32_t SideToMove;        // 0 white, 1 black
extern constinit thread_local uint32_t EpSquare;          // en-passant target of the root position, 0 if none
extern constinit thread_local uint32_t RootInCheck;       // side to move at the root is in check
extern constinit thread_local uint32_t CastleSpoilers[4]; // white Q, white K, black Q, black K; right exists while 0
extern constinit thread_local uint8_t Castled[2];         // side has castled
extern constinit thread_local uint32_t GamePly;           // game moves since setup

enum : int { WhiteQueenSide = 0, WhiteKingSide = 1, BlackQueenSide = 2, BlackKingSide = 3 };

// Castling layout of the position set up, fixed for the game: per right
// (indexed as CastleSpoilers) the square its rook starts from, 0 when the
// right was not granted; per side the king's starting square. Setup fills
// them. With the standard layout (king on e, rooks in the corners) the
// castling code works with the corners as constants; any other layout with a
// right (Chess960) sets CastlingAnyLayout and takes the general path.
extern constinit thread_local Square CastleRookSquare[4];
extern constinit thread_local Square CastleKingSquare[2];
// Per right: the squares between king and destination and between rook and
// destination that must be empty (king and rook themselves left out).
extern constinit thread_local uint64_t CastlePathMask[4];
extern constinit thread_local uint8_t CastlingAnyLayout;

// Castling moves. In the standard layout the move goes from the king to its
// destination (e1g1); in any other layout from the king to its rook's square
// (king takes own rook: never the same square twice, and never the same word
// as a plain king move). Both spellings decode alike: the rook stands on the
// side the move points to.
constexpr bool CastlesShort(Move m) { return MoveTo(m) % 10 > MoveFrom(m) % 10; }
constexpr int CastlingRightOf(Move m) {
    return MoveFrom(m) >= A1 ? (CastlesShort(m) ? WhiteKingSide : WhiteQueenSide)
                             : (CastlesShort(m) ? BlackKingSide : BlackQueenSide);
}
// Where king and rook end: g and f for the short castling, c and d for the long one.
constexpr Square CastlingKingTarget(Move m) { return MoveFrom(m) / 10 * 10 + (CastlesShort(m) ? 7 : 3); }
constexpr Square CastlingRookTarget(Move m) { return MoveFrom(m) / 10 * 10 + (CastlesShort(m) ? 6 : 4); }
inline Square CastlingRookSquare(Move m) { return CastleRookSquare[CastlingRightOf(m)]; }

struct HistoryEntry {
    uint32_t keyLow;
    uint32_t keyHigh;
    uint8_t irreversible;
};
extern constinit thread_local HistoryEntry PositionHistory[PositionHistorySize];

// Hash keys: 64-bit, low word = bits 0..31, high word = bits 32..63.
extern constinit thread_local uint64_t HashKey;
extern constinit thread_local uint64_t PawnHashKey;
constexpr uint32_t KeyLow(uint64_t k) { return uint32_t(k); }
constexpr uint32_t KeyHigh(uint64_t k) { return uint32_t(k >> 32); }

extern uint64_t ZobristKeys[14][128];
extern uint64_t SideToMoveKey;

extern constinit thread_local int32_t Material; // white minus black, kings excluded
extern constinit thread_local uint32_t WhitePieceWeight;
extern constinit thread_local uint32_t BlackPieceWeight;
extern constinit thread_local uint32_t PieceCount; // pieces and pawns, kings excluded

// "No answer" of the score probes (transposition table, tablebases): one
// above any score.
constexpr int32_t NoScore = 32768;

constexpr int32_t PieceValue[14] = {100, 400, 400, 600, 1200, 10000, 0, 0, 100, 400, 400, 600, 1200, 10000};
constexpr uint32_t PieceWeight[14] = {1, 3, 3, 5, 9, 10000, 0, 0, 1, 3, 3, 5, 9, 10000};

// ---------------------------------------------------------------------------
// Generation inputs that the search sets

// Exchange threshold for the capture generators.
extern constinit thread_local int32_t CaptureMargin;
// Ordering score of quiet moves by piece code and to-square. Generation reads
// it; the search fills and ages it.
extern constinit thread_local int32_t HistoryScore[14][120];

// ---------------------------------------------------------------------------
// Messages

// Where the lines the lower layers print on their own go ("ERROR: ...",
// "WARNING: ..."), one line without its newline. By default to standard
// output as they are; the shell points it at its own output, which puts in
// front what its protocol needs.
extern void (*PrintNotice)(const char *line);

// ---------------------------------------------------------------------------
// Precomputed tables

extern uint32_t FileOf[120]; // 1..8, 0 off board
extern uint32_t RankOf[120]; // 1..8, 0 off board

// AttackStep[0][a][b]: queen-line step from b toward a (0 if none).
// AttackStep[c + 1][a][b]: for sliders the step, for pawns/knights 1, when a
// piece of code c on a attacks b on an empty board.
extern int8_t AttackStep[15][120][120];

// Indexed by step + 11 (steps -11..+11): the slider code that moves along it.
extern uint32_t SliderForStep[2][23];
inline uint32_t SliderFor(uint32_t side, int step) { return SliderForStep[side][step + 11]; }

// Ray walks by bit scan. SquareBit[s]: the bit of s in Occupied (0 off the
// board); BitSquare: back to the square. RayMask[d][s]: the squares beyond s
// along direction d (DirectionOfStep[step + 11]), up to the edge.
extern uint64_t SquareBit[120];
extern uint8_t BitSquare[64];
extern uint64_t RayMask[8][120];
extern uint8_t RayLength[8][120]; // squares in RayMask[d][s]
// Steps -11..11 by index step + 11; the eight ray steps are -11, -10, -9, -1,
// 1, 9, 10, 11 in that order, every other entry is 0.
inline constexpr uint8_t DirectionOfStep[23] = {0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 4, 0, 0, 0, 0, 0, 0, 0, 5, 6, 7};
// The squares a knight or a king on s reaches, and the squares on the
// diagonals and on the rank and file through s.
extern uint64_t KnightReach[120];
extern uint64_t KingReach[120];
extern uint64_t DiagonalLines[120];
extern uint64_t StraightLines[120];

// The bit of a non-empty mask of squares on one ray from s that lies nearest
// to s: the lowest bit for steps toward rank 1 and file h, else the highest.
inline int NearestBit(uint64_t m, int step) { return step > 0 ? __builtin_ctzll(m) : 63 - __builtin_clzll(m); }

// First occupied square beyond s along step (one of the eight king steps), or
// 0 when the line runs off the board: Board[0] is a border square, so reading
// the piece there gives OffBoard just as walking square by square would.
inline Square FirstOccupied(Square s, int step) {
    const uint64_t m = RayMask[DirectionOfStep[step + 11]][s] & Occupied;
    if (m == 0) return 0;
    return BitSquare[NearestBit(m, step)];
}
inline PieceCode FirstPieceAlong(Square s, int step) { return Board[FirstOccupied(s, step)].piece; }
// Is the first piece beyond s along step one of `pieces`, with `occupied`
// standing for the occupied squares? A line without such a piece needs no scan.
inline bool FirstAlongIsOneOf(Square s, int step, uint64_t pieces, uint64_t occupied) {
    const uint64_t ray = RayMask[DirectionOfStep[step + 11]][s];
    if ((ray & pieces) == 0) return false;
    const uint64_t blockers = ray & occupied;
    return blockers != 0 && (pieces >> NearestBit(blockers, step) & 1) != 0;
}
// FirstOccupied for a step known at compile time, with the squares before
// the first piece (all of the ray when it is empty) in `before`.
template <int Step> inline Square FirstOccupiedBefore(Square s, uint64_t &before) {
    const uint64_t ray = RayMask[DirectionOfStep[Step + 11]][s];
    const uint64_t m = ray & Occupied;
    if (m == 0) {
        before = ray;
        return 0;
    }
    const int bit = NearestBit(m, Step);
    if constexpr (Step > 0)
        before = ray & ((uint64_t(1) << bit) - 1);
    else
        before = ray & ~((uint64_t(2) << bit) - 1);
    return BitSquare[bit];
}
// Takes the square of mask nearest to the start of a ray along step.
inline Square PopNearest(uint64_t &mask, int step) {
    const int bit = NearestBit(mask, step);
    mask &= ~(uint64_t(1) << bit);
    return BitSquare[bit];
}

// ---------------------------------------------------------------------------
// Operations

// Start-up: off-board border, initial position, attack tables.
void InitBoard();
void BuildTables();

uint32_t NextRandom();
void FillZobristKeys(); // fills ZobristKeys and SideToMoveKey from NextRandom
void ComputeHashKeys();

// Make and unmake, indexed by the side that moves: SelectMoveFunctions puts
// in the castling-aware variants while any castling right is left, the
// castling-free ones after.
using MakeFunction = uint32_t (*)(uint32_t inCheck, uint32_t ply, Move m);
using UnmakeFunction = void (*)(Move m);
struct MoveFunctionTable {
    MakeFunction make[2];
    UnmakeFunction unmake[2];
};
extern constinit thread_local MoveFunctionTable MoveFunctions;
void SelectMoveFunctions();

// The position state is per thread: a helper thread searching the same
// position starts from a copy of the main thread's.
struct PositionState {
    BoardEntry board[120];
    uint32_t pieceLists[14][PieceListCapacity + 1];
    uint32_t sideToMove, epSquare, rootInCheck, gamePly;
    uint32_t castleSpoilers[4];
    uint8_t castled[2];
    Square castleRookSquare[4], castleKingSquare[2];
    uint64_t castlePathMask[4];
    uint8_t castlingAnyLayout;
    HistoryEntry positionHistory[PositionHistorySize];
    uint64_t hashKey, pawnHashKey;
    int32_t material;
    uint32_t whitePieceWeight, blackPieceWeight, pieceCount;
    MoveFunctionTable moveFunctions;
    uint64_t occupied;
    uint64_t pieceMask[14];
};
void SavePosition(PositionState &s);
void RestorePosition(const PositionState &s);

inline uint32_t MakeMove(uint32_t side, uint32_t inCheck, uint32_t ply, Move m) {
    return MoveFunctions.make[side](inCheck, ply, m);
}
inline void UnmakeMove(uint32_t side, Move m) { MoveFunctions.unmake[side](m); }
