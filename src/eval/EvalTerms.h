// The separate terms of the evaluation, called by Evaluate in a fixed order.
// Exposed so that each term can be checked on its own.
#pragma once

#include <bit>
#include <cstdint>

#include "board/Board.h"
#include "eval/EvalState.h"

// --- Per-colour views of the pawn entry and the danger values -----------------

template <Color Us> uint32_t PawnFiles() {
    return Us == White ? CurrentPawnEntry->whitePawnFiles : CurrentPawnEntry->blackPawnFiles;
}
template <Color Us> uint32_t PassedFiles() {
    return Us == White ? CurrentPawnEntry->whitePassedFiles : CurrentPawnEntry->blackPassedFiles;
}
template <Color Us> uint32_t LightPawns() {
    return Us == White ? CurrentPawnEntry->whiteLightPawns : CurrentPawnEntry->blackLightPawns;
}
template <Color Us> uint32_t ShelterKingSide() {
    return Us == White ? CurrentPawnEntry->whiteShelterKingSide : CurrentPawnEntry->blackShelterKingSide;
}
template <Color Us> uint32_t ShelterQueenSide() {
    return Us == White ? CurrentPawnEntry->whiteShelterQueenSide : CurrentPawnEntry->blackShelterQueenSide;
}
template <Color Us> int32_t &KingDangerOf() { return Us == White ? WhiteKingDanger : BlackKingDanger; }

// --- Patterns of the driver (each from White's point of view) ---------------

template <Color Us> int32_t TrappedBishops(); // bishop on a7/h7 caught by a pawn on b6/g6
template <Color Us> int32_t RookShutIn();     // rook between its king and the corner
// King placement table when the opponent has little material, else minus the
// king-safety term (which also sets the king's danger value).
template <Color Us> int32_t KingTerm();
template <Color Us> int32_t BackRank(); // king walled in by three own pawns
// Opposite-coloured bishops: scales the final score toward a draw.
int32_t ScaleOppositeBishops(int32_t s);

// --- Endings -----------------------------------------------------------------

// Verdicts of the ending recognizer: the side named cannot win, so a score
// in its favour counts as a draw.
constexpr int32_t NoVerdict = 0;
constexpr int32_t WhiteCannotWin = -1;
constexpr int32_t BlackCannotWin = -2;
template <Color Us> constexpr int32_t CannotWinVerdict = Us == White ? WhiteCannotWin : BlackCannotWin;

// One of the verdicts above. Only called when both piece weights are below
// RecognizerWeightLimit.
int32_t RecognizeEnding(uint32_t whiteToMove);
// Replaces the positional terms when no pawns are left; added to Material.
int32_t MateLoneKing();

// --- Pawn structure ----------------------------------------------------------

// Probes the pawn hash table (computing the entry on a miss), points
// CurrentPawnEntry at it and returns the pawn-structure score.
int32_t EvaluatePawns();
// Computes every field of the entry for the current pawns (keys included) and
// returns the score; used on a miss.
int32_t ComputePawnEntry(PawnHashEntry &entry);

// --- Passed pawns ------------------------------------------------------------

int32_t EvaluatePassedPawns(uint32_t whiteToMove);
int32_t EvaluatePawnRace(uint32_t whiteToMove);

// --- Development and king safety ---------------------------------------------

// Returns the term from White's point of view (the black twin's value is
// positive when Black is worse off).
template <Color Us> int32_t Development();
// Returns 8 x the king's weakness (always >= 0) and stores the weakness in
// WhiteKingDanger / BlackKingDanger.
template <Color Us> int32_t KingSafety();

inline int32_t WhiteDevelopment() { return Development<White>(); }
inline int32_t BlackDevelopment() { return Development<Black>(); }

// --- Pieces ----------------------------------------------------------------

// Squares a bishop on s sees, looking through every piece but pawns.
uint32_t BishopMobility(Square s);

// Each returns its term from White's point of view and adds the pieces'
// attack points to `attack` (the attack counter of Us).
template <Color Us> int32_t KnightTerms(int32_t &attack);
template <Color Us> int32_t BishopTerms(int32_t &attack); // with the single-bishop and fianchetto terms
template <Color Us> int32_t RookTerms(int32_t &attack);
template <Color Us> int32_t QueenTerms(int32_t &attack);

// --- File-mask iteration (bit 7 = file a ... bit 0 = file h) -------------------

inline int LowestFile(uint32_t mask) { return std::countl_zero(mask & 0xffu) - 23; }
// Files f with f and f + 1 both in the mask, as bits of f.
inline uint32_t AdjacentPairs(uint32_t mask) { return mask & (mask << 1); }

// Two squares on one rank, file or diagonal (empty board, distinct squares).
inline bool OnQueenLine(Square a, Square b) {
    if (a == b) return false;
    const int df = int(a % 10) - int(b % 10);
    const int dr = int(a / 10) - int(b / 10);
    return df == 0 || dr == 0 || df == dr || df == -dr;
}
