// The static evaluation, in centipawns from White's point of view.
#pragma once

#include <cstdint>

// alpha/beta only allow the lazy exits; -32767/32767 gives the full score.
int32_t Evaluate(uint32_t side, int32_t alpha, int32_t beta);

// Takes the castling rights the evaluation compares against from the current
// position. The root search does this when it starts; an evaluation of the
// position on the board outside a search must do it first.
void SetRootCastlingRights();
