// Helpers of the shell tests: start-up once, set a position up as the
// interface would, play moves and collect what the engine writes, and feed
// standard input through a pipe.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "board/Board.h"
#include "board/Setup.h"
#include "search/TranspositionTable.h"
#include "shell/GameMoves.h"
#include "shell/InputReader.h"
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

// Puts the read end of a fresh pipe on fd 0 for the test's lifetime.
class StdinPipe {
  public:
    StdinPipe() {
        saved_ = dup(0);
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        dup2(fds[0], 0);
        close(fds[0]);
        writer_ = fds[1];
        ResetInputReader();
    }
    ~StdinPipe() {
        Close();
        dup2(saved_, 0);
        close(saved_);
        ResetInputReader();
    }
    void Write(const std::string &bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(writer_, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0);
            done += size_t(n);
        }
    }
    void Close() {
        if (writer_ >= 0) close(writer_);
        writer_ = -1;
    }

  private:
    int saved_ = -1;
    int writer_ = -1;
};
