// Helpers of the game-move tests: start-up once, set a position up as the
// interface would, play moves and collect what the engine writes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "board/Board.h"
#include "board/Setup.h"
#include "search/TranspositionTable.h"
#include "shell/GameMoves.h"
#include "shell/ShellState.h"

inline void EnsureGameBoardReady() {
    static bool ready = false;
    if (!ready) {
        AllocateHash(1); // also fills the hashing keys
        InitBoard();
        ready = true;
    }
}

// A fresh game from a FEN, nobody's move pending.
inline void SetUpGame(const char *fen) {
    EnsureGameBoardReady();
    Pondering = 0;
    PendingCommand[0] = 0;
    ASSERT_TRUE(SetupPosition(fen)) << fen;
    GameResult = 3;
    EngineSide = 2;
}

// Plays the words in order through UserMove; returns what was written to
// standard output. Fails the test when a word is refused.
inline std::string PlayMoves(std::initializer_list<const char *> words) {
    testing::internal::CaptureStdout();
    for (const char *w : words) {
        if (UserMove(w) != 1) {
            std::string out = testing::internal::GetCapturedStdout();
            ADD_FAILURE() << "move refused: " << w << " output: " << out;
            return out;
        }
    }
    return testing::internal::GetCapturedStdout();
}

// Tries one word; returns UserMove's answer, output in out.
inline uint32_t TryMove(const char *word, std::string &out) {
    testing::internal::CaptureStdout();
    uint32_t r = UserMove(word);
    out = testing::internal::GetCapturedStdout();
    return r;
}
