// Runs the built engine as an interface would: pipes, a working directory,
// lines read with a timeout.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace booktest {

class EngineProcess {
  public:
    explicit EngineProcess(const std::string &workDir) {
        int toEngine[2], fromEngine[2];
        if (pipe(toEngine) != 0 || pipe(fromEngine) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toEngine[0], 0);
            dup2(fromEngine[1], 1);
            dup2(fromEngine[1], 2);
            close(toEngine[1]);
            close(fromEngine[0]);
            if (chdir(workDir.c_str()) != 0) _exit(127);
            execl(MORVANE_BINARY, MORVANE_BINARY, static_cast<char *>(nullptr));
            _exit(127);
        }
        close(toEngine[0]);
        close(fromEngine[1]);
        in_ = toEngine[1];
        out_ = fromEngine[0];
        signal(SIGPIPE, SIG_IGN);
    }
    ~EngineProcess() {
        if (in_ >= 0) close(in_);
        if (out_ >= 0) close(out_);
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Started() const { return pid_ > 0; }

    void Send(const std::string &line) {
        const std::string text = line + "\n";
        if (write(in_, text.data(), text.size()) < 0) {
        }
    }
    // Next line (without its line end; carriage returns are kept), or false
    // after the timeout or at the end of output.
    bool ReadLine(std::string &line, int timeoutMs = 20000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0) return false;
            char chunk[4096];
            const ssize_t got = read(out_, chunk, sizeof chunk);
            if (got <= 0) return false;
            buffer_.append(chunk, size_t(got));
        }
    }
    // Reads lines until one equals `wanted`; collects everything read.
    bool ReadUntil(const std::string &wanted, std::string &seen, int timeoutMs = 20000) {
        std::string line;
        while (ReadLine(line, timeoutMs)) {
            seen += line + "\n";
            if (line == wanted) return true;
        }
        return false;
    }
    // Closes the input and waits for the exit status (-1 on timeout or signal).
    int Finish(int timeoutMs = 20000) {
        if (in_ >= 0) close(in_);
        in_ = -1;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::string drain;
            ReadLine(drain, 50);
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    bool reaped_ = false;
    std::string buffer_;
};

} // namespace booktest
