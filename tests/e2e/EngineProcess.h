// Runs the engine binary as an interface does: a child process in a fresh
// temporary working directory, talking through pipes. Lines are written to
// its standard input and read from its standard output with time-outs; the
// time-outs only guard against a hung engine, they measure nothing.
//
//     EngineProcess engine;            // temp dir with a default Morvane.ini
//     engine.Start();
//     engine.ReadStartup();            // up to "feature done=1"
//     engine.Send("new");
//     auto lines = engine.Sync();      // everything printed before the marker
//
// Standard error is not captured (sanitizer reports show up in the test log).
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifndef MORVANE_BINARY
#error "MORVANE_BINARY must name the engine executable"
#endif

class EngineProcess {
  public:
#ifdef MORVANE_SANITIZED
    static constexpr int DefaultTimeoutMs = 120000;
#else
    static constexpr int DefaultTimeoutMs = 30000;
#endif

    static constexpr const char *DefaultConfig = "BookLearn         FALSE\n"
                                                 "ExtraPlySearch    3\n"
                                                 "TbPath            D:\\tablebases\n"
                                                 "TbCache           1\n"
                                                 "Hash              16\n"
                                                 "Resign            TRUE\n";

    // Creates the working directory; with writeDefaultConfig a Morvane.ini
    // holding the six default lines is put there, so start-up is quiet.
    explicit EngineProcess(bool writeDefaultConfig = true) {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvane-e2e-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        if (!mkdtemp(buffer.data())) std::abort();
        dir_ = buffer.data();
        if (writeDefaultConfig) WriteFile("Morvane.ini", DefaultConfig);
    }

    ~EngineProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            int status;
            waitpid(pid_, &status, 0);
        }
        CloseInput();
        if (out_ >= 0) close(out_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    EngineProcess(const EngineProcess &) = delete;
    EngineProcess &operator=(const EngineProcess &) = delete;

    const std::string &Dir() const { return dir_; }
    std::string PathOf(const std::string &name) const { return dir_ + "/" + name; }

    void WriteFile(const std::string &name, const std::string &content) const {
        std::ofstream f(PathOf(name), std::ios::binary | std::ios::trunc);
        f << content;
    }
    void RemoveFile(const std::string &name) const { std::filesystem::remove(PathOf(name)); }
    bool FileExists(const std::string &name) const { return std::filesystem::exists(PathOf(name)); }
    std::string ReadFile(const std::string &name) const {
        std::ifstream f(PathOf(name), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    // The engine as the tests run it by default: a copy of the built binary
    // in a directory of its own (made once per test program), so that it
    // finds no opening book that came with the build and plays by search
    // alone unless a test puts a book in its working directory. Tests of the
    // books that come with the engine start MORVANE_BINARY itself.
    static const std::string &BooklessBinary() {
        struct Copy {
            std::filesystem::path dir;
            std::string binary;
            Copy() {
                std::string pattern = (std::filesystem::temp_directory_path() / "morvane-bin-XXXXXX").string();
                std::vector<char> buffer(pattern.begin(), pattern.end());
                buffer.push_back(0);
                if (!mkdtemp(buffer.data())) std::abort();
                dir = buffer.data();
                binary = (dir / "morvane").string();
                std::filesystem::copy_file(MORVANE_BINARY, binary);
            }
            ~Copy() {
                std::error_code ec;
                std::filesystem::remove_all(dir, ec);
            }
        };
        static const Copy copy;
        return copy.binary;
    }

    // Starts the binary in the working directory. Returns false if it could not.
    bool Start(const std::string &binary = BooklessBinary()) {
        std::signal(SIGPIPE, SIG_IGN); // a dead engine must not kill the test
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0) return false;
        if (pipe(fromChild) != 0) {
            close(toChild[0]);
            close(toChild[1]);
            return false;
        }
        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            close(toChild[0]);
            close(toChild[1]);
            close(fromChild[0]);
            close(fromChild[1]);
            if (chdir(dir_.c_str()) != 0) _exit(126);
            signal(SIGPIPE, SIG_DFL);
            execl(binary.c_str(), binary.c_str(), (char *)nullptr);
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = toChild[1];
        out_ = fromChild[0];
        return true;
    }

    pid_t Pid() const { return pid_; }

    // Writes text as is; false when the engine no longer reads. While the
    // engine's input pipe is full its output is taken in (kept for ReadLine),
    // so large inputs cannot dead-lock against a full output pipe.
    bool SendRaw(const std::string &bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            if (in_ < 0) return false;
            pollfd p[2] = {{in_, POLLOUT, 0}, {eof_ ? -1 : out_, POLLIN, 0}};
            int r = poll(p, 2, DefaultTimeoutMs);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;
            if (p[1].revents) FillFor(std::chrono::steady_clock::now());
            if (!(p[0].revents & (POLLOUT | POLLERR | POLLHUP))) continue;
            size_t chunk = std::min<size_t>(bytes.size() - done, 4096);
            ssize_t n = write(in_, bytes.data() + done, chunk);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) return false;
            done += size_t(n);
        }
        return true;
    }
    bool Send(const std::string &line) { return SendRaw(line + "\n"); }

    // Closes the engine's standard input (end of input).
    void CloseInput() {
        if (in_ >= 0) close(in_);
        in_ = -1;
    }

    // Stops reading the engine's output (its writes then fail).
    void CloseOutput() {
        if (out_ >= 0) close(out_);
        out_ = -1;
        eof_ = true;
    }

    // Next line of output without its line break (and a trailing carriage
    // return); nothing at end of output or after the time-out.
    std::optional<std::string> ReadLine(int timeoutMs = DefaultTimeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            size_t nl = pending_.find('\n');
            if (nl != std::string::npos) {
                std::string line = pending_.substr(0, nl);
                pending_.erase(0, nl + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return line;
            }
            if (eof_) {
                if (pending_.empty()) return std::nullopt;
                std::string line;
                line.swap(pending_);
                return line;
            }
            if (!FillFor(deadline)) return std::nullopt;
        }
    }

    // Reads lines until one satisfies `done` (it is included in the result).
    // *found tells whether it came before the end of output or the time-out.
    std::vector<std::string> ReadUntil(const std::function<bool(const std::string &)> &done, bool *found = nullptr,
                                       int timeoutMs = DefaultTimeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::vector<std::string> lines;
        if (found) *found = false;
        for (;;) {
            int left =
                int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                        .count());
            if (left < 0) left = 0;
            auto line = ReadLine(left);
            if (!line) return lines;
            lines.push_back(*line);
            if (done(*line)) {
                if (found) *found = true;
                return lines;
            }
        }
    }

    // Reads lines up to and including the first that starts with `prefix`.
    std::vector<std::string> ReadUntilPrefix(const std::string &prefix, bool *found = nullptr,
                                             int timeoutMs = DefaultTimeoutMs) {
        return ReadUntil([&](const std::string &l) { return l.rfind(prefix, 0) == 0; }, found, timeoutMs);
    }

    // The start-up lines, through "feature done=1".
    std::vector<std::string> ReadStartup(bool *found = nullptr) { return ReadUntilPrefix("feature done=1", found); }

    // Sends a word that is neither a command nor a move and returns what the
    // engine printed before its error line for it: every earlier command has
    // then been handled. *found is false when the marker never came.
    std::vector<std::string> Sync(bool *found = nullptr) {
        std::string marker = "zzsync" + std::to_string(++syncCount_);
        Send(marker);
        std::string expected = "Error (unknown command): " + marker;
        bool ok = false;
        auto lines = ReadUntil([&](const std::string &l) { return l == expected; }, &ok);
        if (ok) lines.pop_back();
        if (found) *found = ok;
        return lines;
    }

    // Everything still to come until the engine closes its output.
    std::string ReadToEnd(int timeoutMs = DefaultTimeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!eof_ && FillFor(deadline)) {
        }
        std::string rest;
        rest.swap(pending_);
        return rest;
    }

    // Waits for the process to end. Returns its exit status, 128 + the signal
    // number if a signal ended it, or -1 on time-out (it is then still running).
    int WaitExit(int timeoutMs = DefaultTimeoutMs) {
        if (pid_ <= 0) return exitStatus_;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int status;
            pid_t r = waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                pid_ = -1;
                exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return exitStatus_;
            }
            if (std::chrono::steady_clock::now() >= deadline) return -1;
            usleep(5000);
        }
    }

    bool Running() {
        if (pid_ <= 0) return false;
        int status;
        pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return false;
        }
        return true;
    }

    bool Signal(int sig) { return pid_ > 0 && kill(pid_, sig) == 0; }

  private:
    // Reads what is available, waiting until the deadline. False on time-out.
    bool FillFor(std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            int left =
                int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                        .count());
            if (left < 0) left = 0;
            if (out_ < 0) return false;
            pollfd p{out_, POLLIN, 0};
            int r = poll(&p, 1, left);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;
            char chunk[4096];
            ssize_t n = read(out_, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                eof_ = true;
                return true;
            }
            pending_.append(chunk, size_t(n));
            return true;
        }
    }

    std::string dir_;
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    bool eof_ = false;
    std::string pending_;
    int exitStatus_ = -1;
    int syncCount_ = 0;
};
