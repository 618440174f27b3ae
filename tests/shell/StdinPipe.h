// Puts the read end of a fresh pipe on fd 0, so tests can feed the
// standard-input reader (and the loops that use it).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "shell/InputReader.h"

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
