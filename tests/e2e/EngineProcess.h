// The engine binary run as an interface runs it: a child in a fresh temporary directory, pipes, a
// time-out on every read against a hung engine. The e2e helpers add the referee, which judges moves
// with the board library alone.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "board/MoveText.h"
#include "board/Setup.h"

class EngineProcess {
  public:
    using Lines = std::vector<std::string>;
    using Clock = std::chrono::steady_clock;
#ifdef MORVANE_SANITIZED
    static constexpr int DefaultTimeoutMs = 120000;
#else
    static constexpr int DefaultTimeoutMs = 30000;
#endif
    static constexpr const char *DefaultConfig = "BookLearn         FALSE\nExtraPlySearch    3\n"
                                                 "TbPath            D:\\tablebases\nTbCache           1\n"
                                                 "Hash              16\nResign            TRUE\n";
    // With a Morvane.ini of the six default lines unless told not to.
    explicit EngineProcess(bool writeDefaultConfig = true) : dir_(MakeTempDir("morvane-e2e")) {
        if (writeDefaultConfig) WriteFile("Morvane.ini", DefaultConfig);
    }
    virtual ~EngineProcess() {
        if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
        CloseInput();
        CloseOutput();
        std::filesystem::remove_all(dir_);
    }
    EngineProcess(const EngineProcess &) = delete;
    EngineProcess &operator=(const EngineProcess &) = delete;

    static std::string MakeTempDir(const char *name) {
        std::string pattern = (std::filesystem::temp_directory_path() / name).string() + "-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }
    const std::string &Dir() const { return dir_; }
    std::string PathOf(const std::string &name) const { return dir_ + "/" + name; }
    void WriteFile(const std::string &name, const std::string &text) const {
        std::ofstream(PathOf(name), std::ios::binary) << text;
    }
    std::string ReadFile(const std::string &name) const {
        std::stringstream s;
        s << std::ifstream(PathOf(name), std::ios::binary).rdbuf();
        return s.str();
    }
    // A copy of the binary alone in a directory: it finds no book of the build.
    static const std::string &BooklessBinary() {
        static const struct Copy {
            std::string dir = MakeTempDir("morvane-bin"), binary = dir + "/morvane";
            Copy() { std::filesystem::copy_file(MORVANE_BINARY, binary); }
            ~Copy() { std::filesystem::remove_all(dir); }
        } copy;
        return copy.binary;
    }

    bool Start(const std::string &binary = BooklessBinary()) {
        std::signal(SIGPIPE, SIG_IGN); // a dead engine must not kill the test
        int to[2], from[2];
        if (pipe(to) != 0 || pipe(from) != 0 || (pid_ = fork()) < 0) return false;
        if (pid_ == 0) {
            dup2(to[0], 0);
            dup2(from[1], 1);
            for (int fd : {to[0], to[1], from[0], from[1]})
                close(fd);
            if (chdir(dir_.c_str()) != 0) _exit(126);
            signal(SIGPIPE, SIG_DFL);
            execl(binary.c_str(), binary.c_str(), (char *)nullptr);
            _exit(127);
        }
        close(to[0]);
        close(from[1]);
        in_ = to[1];
        out_ = from[0];
        return true;
    }
    // False when the engine no longer reads; its output is taken in meanwhile, against a dead-lock.
    bool SendRaw(const std::string &bytes) {
        for (size_t done = 0; done < bytes.size();) {
            pollfd p[2] = {{in_, POLLOUT, 0}, {eof_ ? -1 : out_, POLLIN, 0}};
            const int r = in_ < 0 ? 0 : poll(p, 2, DefaultTimeoutMs);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;
            if (p[1].revents) Fill(Clock::now());
            if (!(p[0].revents & (POLLOUT | POLLERR | POLLHUP))) continue;
            ssize_t n = write(in_, bytes.data() + done, std::min<size_t>(bytes.size() - done, 4096));
            if (n < 0 && errno != EINTR && errno != EAGAIN) return false;
            done += size_t(std::max<ssize_t>(n, 0));
        }
        return true;
    }
    bool Send(const std::string &line) { return SendRaw(line + "\n"); }
    void CloseInput() { close(std::exchange(in_, -1)); }
    void CloseOutput() {
        close(std::exchange(out_, -1));
        eof_ = true;
    }

    // Lines (without their line breaks) through the first that satisfies done (or starts with a prefix);
    // Found(): it came in time.
    Lines ReadUntil(const std::function<bool(const std::string &)> &done, int timeoutMs = DefaultTimeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        Lines lines;
        for (found_ = false; !found_;) {
            const size_t nl = pending_.find('\n');
            if (nl == std::string::npos && (!eof_ || pending_.empty())) {
                if (eof_ || !Fill(deadline)) break;
                continue;
            }
            lines.push_back(pending_.substr(0, nl));
            pending_.erase(0, nl == std::string::npos ? nl : nl + 1);
            if (lines.back().ends_with("\r")) lines.back().pop_back();
            found_ = done(lines.back());
        }
        return lines;
    }
    Lines ReadUntilPrefix(const std::string &prefix, int timeoutMs = DefaultTimeoutMs) {
        return ReadUntil([&](const std::string &l) { return l.starts_with(prefix); }, timeoutMs);
    }
    bool Found() const { return found_; }
    bool Sees(const std::string &prefix, int timeoutMs = DefaultTimeoutMs) {
        ReadUntilPrefix(prefix, timeoutMs);
        return found_;
    }
    Lines ReadStartup() { return ReadUntilPrefix("feature done=1"); }
    // The output before the error line for a word that is no command, once earlier commands are done.
    Lines Sync() {
        const std::string marker = "Error (unknown command): zzsync" + std::to_string(++syncs_);
        Send(marker.substr(25));
        Lines lines = ReadUntil([&](const std::string &l) { return l == marker; });
        if (found_) lines.pop_back();
        return lines;
    }
    // The exit status, 128 + the signal that ended it, or -1 on time-out.
    int WaitExit(int timeoutMs = DefaultTimeoutMs) {
        for (const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
             pid_ > 0 && Clock::now() < deadline; usleep(5000)) {
            int status;
            if (waitpid(pid_, &status, WNOHANG) != pid_) continue;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
        }
        return pid_ > 0 ? -1 : status_;
    }
    int Quit() {
        Send("quit");
        return WaitExit();
    }
    bool Signal(int sig) { return pid_ > 0 && kill(pid_, sig) == 0; }
    // Starts, sends input, pauses, closes the input: the exit status, the output after start-up.
    int RunToTheEnd(const std::string &input, int pauseMs = 0, std::string *output = nullptr) {
        const bool started = Start() && (ReadStartup(), found_);
        SendRaw(input);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        CloseInput();
        for (const auto deadline = Clock::now() + std::chrono::milliseconds(DefaultTimeoutMs);
             !eof_ && Fill(deadline);) {
        }
        if (output) *output = std::exchange(pending_, "");
        return started ? WaitExit() : -1;
    }
    // xboard: what the commands printed, board diagrams left out.
    Lines Run(const Lines &commands) {
        for (const std::string &c : commands)
            Send(c);
        Lines out = Sync();
        std::erase_if(out, [](const std::string &l) { return l.rfind("\t\t", 0) == 0; });
        return out;
    }

  private:
    bool Fill(Clock::time_point deadline) { // takes in what comes by the deadline; false on time-out
        pollfd p{out_, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int r = out_ < 0 ? 0 : poll(&p, 1, int(std::max<int64_t>(0, left.count())));
        if (r < 0 && errno == EINTR) return true;
        char chunk[4096];
        const ssize_t n = r > 0 ? read(out_, chunk, sizeof chunk) : 0;
        if (n > 0) pending_.append(chunk, size_t(n));
        if (r > 0 && n <= 0 && errno != EINTR) eof_ = true;
        return r > 0;
    }
    std::string dir_, pending_;
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, status_ = -1, syncs_ = 0;
    bool eof_ = false, found_ = false;
};

namespace e2e {

using Lines = EngineProcess::Lines;
using Clock = EngineProcess::Clock;
namespace fs = std::filesystem;
constexpr int Patience = EngineProcess::DefaultTimeoutMs;

inline int Count(const Lines &lines, const std::string &prefix) {
    return int(std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.starts_with(prefix); }));
}
inline std::string Joined(const Lines &lines) {
    std::string all;
    for (const std::string &l : lines)
        all += l + "\n";
    return all;
}
inline int64_t Since(Clock::time_point start) { // milliseconds
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// At its xboard loop, or past "uciok"; the start-up lines (or those after "uci") in intro. Told to quit, and
// must end well, at the end.
struct XboardEngine : EngineProcess {
    explicit XboardEngine(bool uci = false) {
        EXPECT_TRUE(Start());
        intro = ReadStartup();
        if (uci) Send("uci");
        if (uci) intro = ReadUntilPrefix("uciok");
        EXPECT_TRUE(Found());
    }
    ~XboardEngine() override { EXPECT_EQ(Quit(), 0); }
    Lines intro;
};
struct UciEngine : XboardEngine {
    UciEngine() : XboardEngine(true) {}
    Lines AwaitBestMove(int ms = Patience) { return ReadUntilPrefix("bestmove ", ms); }
    Lines Go(const std::string &position, const std::string &go, int ms = Patience) {
        Send("position " + position);
        Send(go);
        return AwaitBestMove(ms);
    }
    Lines Ready() {
        Send("isready");
        return ReadUntilPrefix("readyok");
    }
};

// The moves after "bestmove " and " ponder " on the last line ("" when none).
inline std::string BestMoveOf(const Lines &lines) {
    if (lines.empty() || !lines.back().starts_with("bestmove ")) return "";
    return lines.back().substr(9, lines.back().find(' ', 9) - 9);
}
inline std::string PonderMoveOf(const Lines &lines) {
    const size_t at = lines.empty() ? std::string::npos : lines.back().find(" ponder ");
    return at == std::string::npos ? "" : lines.back().substr(at + 8);
}

namespace referee {

inline bool Setup(const std::string &fen) {
    static const bool ready = (FillZobristKeys(), InitBoard(), true);
    return ready && SetupPosition(fen.c_str());
}
// The legal moves in UCI's spelling (castling as CastlingOutput says); with play, makes the one of that
// text and returns it alone.
inline std::vector<std::string> LegalMoves(std::string play = "") {
    if (play.size() == 5 && std::isdigit(static_cast<unsigned char>(play[3])))
        play[4] = char(std::tolower(static_cast<unsigned char>(play[4])));
    MoveEntry list[MoveListSize];
    std::vector<std::string> legal;
    for (MoveEntry *e = list, *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare); e < end; ++e) {
        char text[MoveTextSize];
        MoveToUciText(text, e->move);
        if ((!play.empty() && play != text) || !MakeMove(SideToMove, RootInCheck, 0, e->move)) continue;
        if (play.empty()) {
            UnmakeMove(SideToMove, e->move);
            legal.push_back(text);
            continue;
        }
        EpSquare = IsDoubleStep(e->move) ? (MoveFrom(e->move) + MoveTo(e->move)) / 2 : 0;
        SideToMove = 1 - SideToMove;
        RootInCheck = SideInCheck(SideToMove);
        SelectMoveFunctions();
        return {text};
    }
    return legal;
}
inline bool Play(const std::string &text) { return !text.empty() && !LegalMoves(text).empty(); }
inline bool IsLegalIn(const std::string &fen, const std::string &move) { return Setup(fen) && Play(move); }

} // namespace referee

// Refereed games between xboard engines.
inline bool IsResult(const std::string &l) {
    return l.starts_with("1-0 {") || l.starts_with("0-1 {") || l.starts_with("1/2-1/2 {") || l == "resign";
}

// morvane-book run in place's directory, its output in "out" and "err"; its exit status.
inline int RunBookTool(const EngineProcess &place, const std::string &arguments) {
    const std::string tool = (fs::path(MORVANE_BINARY).parent_path() / "morvane-book").string();
    const int status = std::system(("cd '" + place.Dir() + "' && '" + tool + "' " + arguments + " >out 2>err").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The move ("move X" gives X) or the result line, "" on silence; a complaint or the null move fails the test.
inline std::string AwaitMoveOrResult(EngineProcess &engine) {
    const Lines lines = engine.ReadUntil([](const std::string &l) { return l.starts_with("move ") || IsResult(l); });
    for (const char *complaint : {"Illegal move", "Error", "tellusererror", "move ####"})
        EXPECT_EQ(Count(lines, complaint), 0) << Joined(lines);
    return lines.empty() ? "" : lines.back().starts_with("move ") ? lines.back().substr(5) : lines.back();
}

inline bool Pong(EngineProcess &engine, int n) {
    engine.Send("ping " + std::to_string(n));
    return engine.Sees("pong " + std::to_string(n));
}

struct Game {
    std::string fen = StartPosition, opening = "", level = "level 0 0:10 0";
    int32_t base = 1000, increment = 0; // centiseconds
    bool ponder = false;
    int maxPlies = 160;
    std::string prefix = "", variant = ""; // before players[0]'s moves ("usermove "); the variant to set
};

// players[0] moves first from the game's position after its opening; White's points (a game that runs out
// of plies counts as a draw) in *whitePoints. The referee judges every move and every claimed mate.
inline void PlayXboardGame(EngineProcess *players[2], const Game &g, double *whitePoints = nullptr) {
    SCOPED_TRACE(g.fen + " " + g.opening);
    ASSERT_TRUE(referee::Setup(g.fen) && (g.opening.empty() || referee::Play(g.opening)));
    const uint32_t firstMover = SideToMove;
    for (int i = 0; i < 2; ++i) {
        players[i]->SendRaw(std::string("new\n") + (g.variant.empty() ? "" : "variant " + g.variant + "\n") +
                            (g.ponder ? "hard" : "easy") + "\npost\n" + g.level + "\nforce\n");
        players[i]->Send("setboard " + g.fen + (g.opening.empty() ? "" : "\n" + (i ? "" : g.prefix) + g.opening));
        ASSERT_TRUE(Pong(*players[i], 1));
    }
    players[1]->Send("playother");
    int32_t clock[2] = {g.base, g.base};
    std::string history, last, result;
    for (int ply = 0, side = 0; ply < g.maxPlies && result.empty(); side = ++ply % 2) {
        EngineProcess &mover = *players[side];
        mover.Send("time " + std::to_string(clock[side]) + "\notim " + std::to_string(clock[1 - side]));
        const auto start = Clock::now();
        mover.Send(ply == 0 ? "go" : (side ? "" : g.prefix) + last);
        const std::string reply = AwaitMoveOrResult(mover);
        clock[side] -= int32_t(Since(start) / 10);
        ASSERT_FALSE(reply.empty() || testing::Test::HasFailure()) << "after " << history;
        if (IsResult(reply)) { // something must have ended the game
            const bool none = referee::LegalMoves().empty();
            EXPECT_TRUE(reply.find("mates") == std::string::npos || (none && RootInCheck)) << history << reply;
            EXPECT_TRUE(reply.find("Stalemate") == std::string::npos || (none && !RootInCheck)) << history << reply;
            result = reply == "resign" ? (side == int(firstMover) ? "0-1" : "1-0") : reply;
            break;
        }
        ASSERT_TRUE(referee::Play(reply)) << "illegal move " << reply << " after " << history;
        ASSERT_GT(clock[side], 0) << "flag fell at ply " << ply << ": " << history;
        clock[side] += g.increment;
        history += reply + " ";
        last = reply;
        ASSERT_TRUE(Pong(mover, ply + 2)) << "no pong after " << history; // at once while pondering
        if (referee::LegalMoves().empty()) {                              // the opponent must announce the end
            players[1 - side]->Send((side ? g.prefix : "") + last);
            result = AwaitMoveOrResult(*players[1 - side]);
            EXPECT_TRUE(IsResult(result) && result != "resign") << "no result after " << history;
        }
    }
    if (whitePoints) *whitePoints = result.starts_with("1-0") ? 1 : result.starts_with("0-1") ? 0 : 0.5;
}

} // namespace e2e
