// The scale of move-ordering scores, highest first. The generators give each
// move its first score; the search's ordering raises the line, hash and
// killer moves; the move with the highest score is searched first.
#pragma once

#include <cstdint>

// The root: a move that repeats a game position (the books leave it alone).
constexpr int32_t RepeatingMoveScore = 2000000111;
// The move of the previous iteration's line at this ply.
constexpr int32_t PVMoveScore = 2000000001;
// The two moves the transposition table remembers.
constexpr int32_t HashMove1Score = 2000000000;
constexpr int32_t HashMove2Score = 1999999999;
constexpr int32_t QueenPromotionScore = 1999999998;
// Captures that do not lose material: this base plus their exchange value.
constexpr int32_t CaptureScoreBase = 1000000000;
// Quiet moves that cut off at this ply before; below every capture.
constexpr int32_t Killer0Score = 999999999;
constexpr int32_t Killer1Score = 999999998;
// En passant: after the killers, before any history score.
constexpr int32_t EnPassantScore = 2000098;
// Quiet moves score their history, which is halved before any entry reaches
// this; castling short adds a bonus on top.
constexpr int32_t HistoryLimit = 500000;
constexpr int32_t KingSideCastleBonus = 10000;
// Under-promotions: rook, bishop, knight. Losing captures keep their negative
// exchange value and sort behind the quiet moves.
constexpr int32_t UnderPromotionScore[3] = {2, 0, 1};
