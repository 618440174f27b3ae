// Shell test helpers: a game set up, moves played, standard output captured, standard input a pipe.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <unistd.h>

#include "board/BoardTestSupport.h"
#include "search/TranspositionTable.h"
#include "shell/GameMoves.h"
#include "shell/GameSetup.h"
#include "shell/InputReader.h"
#include "shell/ShellState.h"

// A fresh game from a FEN, nobody's move pending (the first allocation of the hash table fills the keys).
inline void SetUpGame(const char *fen) {
    [[maybe_unused]] static const bool ready = (Output([] { AllocateHash(1); }), InitBoard(), true);
    Pondering = 0;
    PendingCommand[0] = 0;
    ASSERT_TRUE(SetupGame(fen)) << fen;
}

// Tries one word; UserMove's answer, its output in out.
inline uint32_t TryMove(const char *word, std::string &out) {
    uint32_t r = 0;
    out = Output([&] { r = UserMove(word); });
    return r;
}

// Plays the words in order; their output. A refused word fails the test.
inline std::string PlayMoves(std::initializer_list<const char *> words) {
    std::string all, out;
    for (const char *w : words) {
        EXPECT_EQ(TryMove(w, out), 1u) << "move refused: " << w << " " << out;
        all += out;
    }
    return all;
}

// Puts the read end of a fresh pipe on fd 0 for the object's lifetime.
class StdinPipe {
  public:
    StdinPipe() {
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
        ASSERT_EQ(write(writer_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    void Close() { close(std::exchange(writer_, -1)); }

  private:
    int saved_ = dup(0), writer_ = -1;
};
