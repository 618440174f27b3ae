// Syzygy tables through Fathom. Fathom numbers squares a1 = 0 .. h8 = 63;
// the board's masks put a8 at bit 0 (bit order follows the 10x12 square
// order), so a mask turns into Fathom's by reversing its bytes (ranks).
#include "tablebase/Syzygy.h"
#include "tablebase/SyzygyLayout.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#ifdef MORVANE_SYZYGY
#include <tbprobe.h>
#endif

std::string SyzygyPath;
int32_t SyzygyProbeDepth = 1;
int32_t SyzygyProbeLimit = SyzygyProbeLimitMax;
bool Syzygy50MoveRule = true;
uint32_t SyzygyProbePieces = 0;
uint32_t SyzygyLargest = 0;

namespace {

// The first bytes of a win/draw/loss and of a distance-to-zero file; every
// table file is 16 bytes of header and settings plus whole 64-byte units.
constexpr unsigned char WdlMagic[4] = {0x71, 0xe8, 0x23, 0x5d};
constexpr unsigned char DtzMagic[4] = {0xd7, 0x66, 0x0c, 0xa5};
constexpr off_t TableSizeRemainder = 16;
constexpr off_t TableSizeUnit = 64;

// "KQRvKP": each side a king and then its pieces in the order Q R B N P,
// seven pieces at most.
bool IsTableName(const std::string &stem) {
    const size_t v = stem.find('v');
    if (v == std::string::npos || stem.size() > 8 || stem[0] != 'K' || v + 1 >= stem.size() || stem[v + 1] != 'K')
        return false;
    for (const auto &[begin, end] : {std::pair{size_t(1), v}, std::pair{v + 2, stem.size()}}) {
        const char *order = "QRBNP";
        for (size_t i = begin; i < end; ++i) {
            const char *at = std::strchr(order, stem[i]);
            if (at == nullptr) return false;
            order = at; // the same kind again, or a later one
        }
    }
    return true;
}

// Is the file at `path` shaped like a table of its kind? Returns an empty
// text, or what is wrong with it.
std::string CheckTableFile(const std::string &path, bool wdl) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return "cannot be read";
    struct stat info;
    unsigned char head[4] = {};
    const bool sized = ::fstat(fd, &info) == 0;
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    if (!sized || got != ssize_t(sizeof head)) return "cannot be read";
    if (info.st_size < TableSizeRemainder + TableSizeUnit || info.st_size % TableSizeUnit != TableSizeRemainder)
        return "is truncated";
    if (std::memcmp(head, wdl ? WdlMagic : DtzMagic, sizeof head) != 0) return "is not a Syzygy table";
    return "";
}

void AddWarning(SyzygyLoadResult &r, const std::string &line) {
    if (!r.warnings.empty()) r.warnings += '\n';
    r.warnings += "WARNING: " + line;
}

// Checks the table files of one folder; adds the good win/draw/loss tables
// to `found` (a name seen in an earlier folder is not counted again).
void ScanFolder(const std::string &folder, std::set<std::string> &found, SyzygyLoadResult &r) {
    DIR *dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        AddWarning(r, "Syzygy folder " + folder + " cannot be opened");
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos) continue;
        const std::string stem = name.substr(0, dot), extension = name.substr(dot);
        if ((extension != ".rtbw" && extension != ".rtbz") || !IsTableName(stem)) continue;
        const bool wdl = extension == ".rtbw";
        const std::string problem = CheckTableFile(folder + "/" + name, wdl);
        if (!problem.empty())
            AddWarning(r, "Syzygy table " + folder + "/" + name + " " + problem + ", not used");
        else if (wdl)
            found.insert(stem);
    }
    ::closedir(dir);
}

#ifdef MORVANE_SYZYGY

// Fathom trusts the offsets inside a table file; a damaged file can send it
// reading outside the file. A probe therefore runs under a guard: a memory
// fault inside it ends that probe with no answer, and the tables are not
// probed again (Fathom may have been left in any state) until they are
// loaded anew. A fault anywhere else goes to the handler that was there
// before.
thread_local sigjmp_buf ProbeJump;
thread_local volatile sig_atomic_t InsideProbe = 0;
std::atomic<bool> TablesDamaged{false};
struct sigaction PreviousSegv, PreviousBus;
bool GuardInstalled = false;

void OnMemoryFault(int signal, siginfo_t *, void *) {
    if (InsideProbe) {
        InsideProbe = 0;
        siglongjmp(ProbeJump, 1);
    }
    // Not ours: restore the previous handling; the faulting instruction runs
    // again and meets it.
    ::sigaction(signal, signal == SIGSEGV ? &PreviousSegv : &PreviousBus, nullptr);
}

void InstallProbeGuard() {
    if (GuardInstalled) return;
    struct sigaction action = {};
    action.sa_sigaction = OnMemoryFault;
    // No mask to restore on the way out (sigsetjmp(..., 0) is cheap): the
    // signal must not stay blocked after the jump.
    action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGSEGV, &action, &PreviousSegv);
    ::sigaction(SIGBUS, &action, &PreviousBus);
    GuardInstalled = true;
}

void ReportDamage() {
    if (TablesDamaged.exchange(true)) return;
    PrintNotice("WARNING: a Syzygy table is damaged; Syzygy tables are not probed any more");
}

// Some damage sends Fathom into endless recursion: the handler then needs a
// stack of its own, one per thread that probes (unless the thread has one).
constexpr size_t FaultStackSize = 64 * 1024;
alignas(16) thread_local char FaultStack[FaultStackSize];
thread_local bool FaultStackChecked = false;

void EnsureFaultStack() {
    FaultStackChecked = true;
    stack_t current;
    if (::sigaltstack(nullptr, &current) != 0 || !(current.ss_flags & SS_DISABLE)) return;
    stack_t own = {};
    own.ss_sp = FaultStack;
    own.ss_size = FaultStackSize;
    ::sigaltstack(&own, nullptr);
}

template <class F> unsigned GuardedProbe(F probe) {
    if (TablesDamaged.load(std::memory_order_relaxed)) return TB_RESULT_FAILED;
    if (!FaultStackChecked) EnsureFaultStack();
    if (sigsetjmp(ProbeJump, 0) != 0) {
        ReportDamage();
        return TB_RESULT_FAILED;
    }
    InsideProbe = 1;
    const unsigned result = probe();
    InsideProbe = 0;
    return result;
}

// Fathom reports some problems on standard output, where an interface would
// take them for protocol lines, and chatters on standard error while it
// frees earlier tables; what matters is reported in the engine's own words.
template <class F> void WithoutStandardOutput(F f) {
    std::fflush(stdout);
    std::fflush(stderr);
    const int savedOut = ::dup(1), savedError = ::dup(2), null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        if (savedOut >= 0) ::dup2(null, 1);
        if (savedError >= 0) ::dup2(null, 2);
    }
    f();
    std::fflush(stdout);
    std::fflush(stderr);
    if (null >= 0) {
        if (savedOut >= 0) ::dup2(savedOut, 1);
        if (savedError >= 0) ::dup2(savedError, 2);
        ::close(null);
    }
    if (savedOut >= 0) ::close(savedOut);
    if (savedError >= 0) ::close(savedError);
}

inline unsigned FathomSquare(Square s) { return (RankOf[s] - 1) * 8 + FileOf[s] - 1; }

SyzygyWdl FromFathom(unsigned wdl) {
    switch (wdl) {
    case TB_LOSS:
        return SyzygyLoss;
    case TB_BLESSED_LOSS:
        return SyzygyBlessedLoss;
    case TB_DRAW:
        return SyzygyDraw;
    case TB_CURSED_WIN:
        return SyzygyCursedWin;
    case TB_WIN:
        return SyzygyWin;
    default:
        return SyzygyNoAnswer;
    }
}

// Fathom's promotion codes by the kind promoted to.
unsigned FathomPromotion(Move m) {
    if (!IsPromotion(m)) return TB_PROMOTES_NONE;
    switch (KindOf(MovePromoted(m))) {
    case Queen:
        return TB_PROMOTES_QUEEN;
    case Rook:
        return TB_PROMOTES_ROOK;
    case Bishop:
        return TB_PROMOTES_BISHOP;
    default:
        return TB_PROMOTES_KNIGHT;
    }
}

// A legal position of the ending `stem` ("KQvKR"), White to move: pieces on
// squares drawn from a fixed sequence until no piece gives check.
bool SampleBoard(const std::string &stem, SyzygyBoard &b) {
    uint32_t seed = 12345;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        b = SyzygyBoard{0, 0, 0, 0, 0, 0, 0, 0, 0, true};
        uint64_t occupied = 0;
        unsigned blackKing = 64;
        uint64_t whiteAttacks = 0;
        bool white = true, placed = true;
        for (char c : stem) {
            if (c == 'v') {
                white = false;
                continue;
            }
            seed = seed * 1103515245 + 12345;
            const unsigned sq = c == 'P' ? 8 + (seed >> 16) % 48 : (seed >> 16) % 64;
            if (occupied >> sq & 1) {
                placed = false;
                break;
            }
            const uint64_t bit = uint64_t(1) << sq;
            occupied |= bit;
            (white ? b.white : b.black) |= bit;
            switch (c) {
            case 'K':
                b.kings |= bit;
                break;
            case 'Q':
                b.queens |= bit;
                break;
            case 'R':
                b.rooks |= bit;
                break;
            case 'B':
                b.bishops |= bit;
                break;
            case 'N':
                b.knights |= bit;
                break;
            default:
                b.pawns |= bit;
                break;
            }
            if (c == 'K' && !white) blackKing = sq;
        }
        if (!placed || blackKing == 64) continue;
        // Whatever White attacks (pawns counted both ways): the black king must stand clear.
        for (uint64_t m = b.white; m; m &= m - 1) {
            const unsigned sq = unsigned(__builtin_ctzll(m));
            const uint64_t bit = uint64_t(1) << sq;
            whiteAttacks |= b.kings & bit     ? tb_king_attacks(sq)
                            : b.queens & bit  ? tb_queen_attacks(sq, occupied)
                            : b.rooks & bit   ? tb_rook_attacks(sq, occupied)
                            : b.bishops & bit ? tb_bishop_attacks(sq, occupied)
                            : b.knights & bit ? tb_knight_attacks(sq)
                                              : tb_pawn_attacks(sq, true) | tb_pawn_attacks(sq, false);
        }
        if (!(whiteAttacks >> blackKing & 1)) return true;
    }
    return false;
}

// The first table file Fathom would read whose layout it could not read
// safely ("FOLDER/NAME PROBLEM"), or "". Fathom takes each file from the
// first folder of the path that holds it.
std::string FirstDamagedTable(const std::vector<std::string> &folders, const std::set<std::string> &tables) {
    for (const std::string &stem : tables) {
        for (const bool wdl : {true, false}) {
            const std::string name = stem + (wdl ? ".rtbw" : ".rtbz");
            for (const std::string &folder : folders) {
                const std::string path = folder + "/" + name;
                if (::access(path.c_str(), F_OK) != 0) continue;
                if (const std::string problem = SyzygyFileLayoutProblem(path, stem, wdl); !problem.empty())
                    return path + " " + problem;
                break;
            }
        }
    }
    return "";
}

// Fathom trusts the tables' headers: a damaged one can corrupt its memory
// when the table is first read, beyond what any guard can catch. So before
// the engine takes tables into its own process, a child process loads them
// and reads every one of them once. Returns "" when it went through, else
// the table it was reading when it failed, or AllTables.
constexpr const char AllTables[] = "*";
std::string TrialLoad(const std::string &folders, const std::set<std::string> &tables) {
    constexpr int TrialSeconds = 60;
    int channel[2];
    if (::pipe(channel) != 0) return "";
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return ""; // no trial possible: the tables are taken as they are
    }
    if (child == 0) {
        ::close(channel[0]);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (!tb_init(folders.c_str())) ::_exit(2);
        for (const std::string &stem : tables) {
            const std::string line = stem + "\n";
            if (::write(channel[1], line.data(), line.size()) < 0) ::_exit(3);
            SyzygyBoard b;
            if (!SampleBoard(stem, b)) continue;
            tb_probe_wdl(b.white, b.black, b.kings, b.queens, b.rooks, b.bishops, b.knights, b.pawns, 0, 0, 0, true);
            tb_probe_root(b.white, b.black, b.kings, b.queens, b.rooks, b.bishops, b.knights, b.pawns, 0, 0, 0, true,
                          nullptr);
        }
        // A damaged header can make Fathom write past the blocks it took,
        // silently. Handing every block back makes the allocator walk its
        // heap and stop the child at the first block that was overwritten.
        if (::write(channel[1], "\n", 1) < 0) ::_exit(3);
        tb_free();
        ::malloc_trim(0);
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string progress;
    char buffer[256];
    const auto deadline = TrialSeconds * 1000;
    int waited = 0;
    for (;;) {
        pollfd p = {channel[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready > 0) {
            const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
            if (n <= 0) break;
            progress.append(buffer, size_t(n));
        } else if ((waited += 100) >= deadline) {
            ::kill(child, SIGKILL);
            break;
        }
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
    // The last table named is the one that failed; none (or the closing
    // empty name) means the tables as a whole.
    if (!progress.empty()) progress.pop_back();
    const std::string last = progress.substr(progress.rfind('\n') + 1);
    return last.empty() ? AllTables : last;
}

#endif

} // namespace

SyzygyLoadResult SyzygyInit(const std::string &path) {
    SyzygyLoadResult r;
    SyzygyPath = path;
    SyzygyLargest = 0;
    SyzygyProbePieces = 0;
    if (path.empty()) return r;
    if constexpr (!SyzygyCompiledIn) {
        r.ok = false;
        AddWarning(r, "this build of the engine cannot read Syzygy tables");
        return r;
    }

    // Folders that exist and whose names the system takes; the others are
    // reported and left out of the path Fathom gets.
    std::set<std::string> found;
    std::vector<std::string> usableFolders;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        const std::string folder = path.substr(start, end - start);
        start = end + 1;
        if (folder.empty()) continue;
        if (folder.size() >= PATH_MAX - 16) { // room for "/KQRvKPP.rtbw"
            AddWarning(r, "Syzygy folder name longer than the system allows (" + std::to_string(folder.size()) +
                              " characters), not used");
            continue;
        }
        struct stat info;
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            AddWarning(r, "Syzygy folder " + folder + " does not exist");
            continue;
        }
        ScanFolder(folder, found, r);
        usableFolders.push_back(folder);
    }
    r.tables = int(found.size());
    if (r.tables == 0) {
        r.ok = false;
        AddWarning(r, "no Syzygy tables found in " + path);
        return r;
    }

#ifdef MORVANE_SYZYGY
    if (const std::string damaged = FirstDamagedTable(usableFolders, found); !damaged.empty()) {
        r.ok = false;
        r.tables = 0;
        AddWarning(r, "Syzygy table " + damaged + "; no Syzygy tables used");
        return r;
    }
    std::string usable; // as Fathom takes them
    for (const std::string &folder : usableFolders)
        usable += (usable.empty() ? "" : ":") + folder;
    if (const std::string failed = TrialLoad(usable, found); !failed.empty()) {
        r.ok = false;
        r.tables = 0;
        AddWarning(r, (failed == AllTables ? std::string("the Syzygy tables are damaged")
                                           : "Syzygy table " + failed + " is damaged") +
                          "; no Syzygy tables used");
        return r;
    }
    bool initialised = false;
    // Fathom's own clean-up cannot be followed by another start (it leaves
    // stale state behind); a new start frees what the last one loaded.
    WithoutStandardOutput([&] { initialised = tb_init(usable.c_str()); });
    if (!initialised) {
        r.ok = false;
        r.tables = 0;
        AddWarning(r, "the Syzygy tables in " + path + " could not be loaded");
        return r;
    }
    SyzygyLargest = TB_LARGEST;
    TablesDamaged = false;
    InstallProbeGuard();
#endif
    SetSyzygyProbeLimit(SyzygyProbeLimit);
    return r;
}

void SetSyzygyProbeLimit(int32_t pieces) {
    SyzygyProbeLimit = pieces < 0 ? 0 : pieces > SyzygyProbeLimitMax ? SyzygyProbeLimitMax : pieces;
    SyzygyProbePieces = std::min<uint32_t>(uint32_t(SyzygyProbeLimit), SyzygyLargest);
}

SyzygyBoard SyzygyBoardOfPosition(uint32_t side, Square epSquare) {
    auto fathom = [](uint64_t boardMask) { return __builtin_bswap64(boardMask); }; // ranks reversed
    auto both = [&](uint32_t kind) { return fathom(PieceMask[kind] | PieceMask[kind + 8]); };
    uint64_t white = 0, black = 0;
    for (uint32_t kind = Pawn; kind <= King; ++kind) {
        white |= PieceMask[kind];
        black |= PieceMask[kind + 8];
    }
    return {fathom(white), fathom(black), both(King),
            both(Queen),   both(Rook),    both(Bishop),
            both(Knight),  both(Pawn),    epSquare != 0 ? (RankOf[epSquare] - 1) * 8 + FileOf[epSquare] - 1 : 0u,
            side == White};
}

SyzygyWdl SyzygyProbeWdl(uint32_t side, Square epSquare) {
    return SyzygyProbeWdl(SyzygyBoardOfPosition(side, epSquare));
}

SyzygyWdl SyzygyProbeWdl([[maybe_unused]] const SyzygyBoard &p) {
#ifdef MORVANE_SYZYGY
    if (SyzygyLargest == 0) return SyzygyNoAnswer;
    return FromFathom(GuardedProbe([&] {
        return tb_probe_wdl(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns, 0, 0, p.ep,
                            p.whiteToMove);
    }));
#else
    return SyzygyNoAnswer;
#endif
}

bool SyzygyProbeRoot([[maybe_unused]] uint32_t side, [[maybe_unused]] Square epSquare, [[maybe_unused]] uint32_t rule50,
                     [[maybe_unused]] SyzygyRootMove *moves, [[maybe_unused]] int count) {
#ifdef MORVANE_SYZYGY
    if (SyzygyLargest == 0 || count <= 0) return false;
    const SyzygyBoard p = SyzygyBoardOfPosition(side, epSquare);
    static unsigned results[TB_MAX_MOVES]; // main thread only, like Fathom's root probe
    const unsigned r = GuardedProbe([&] {
        return tb_probe_root(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns, rule50, 0,
                             p.ep, p.whiteToMove, results);
    });
    if (r == TB_RESULT_FAILED || r == TB_RESULT_CHECKMATE || r == TB_RESULT_STALEMATE) return false;
    for (int i = 0; i < count; ++i) {
        const Move m = moves[i].move;
        moves[i].wdl = SyzygyNoAnswer;
        for (const unsigned *e = results; *e != TB_RESULT_FAILED; ++e) {
            if (TB_GET_FROM(*e) == FathomSquare(MoveFrom(m)) && TB_GET_TO(*e) == FathomSquare(MoveTo(m)) &&
                TB_GET_PROMOTES(*e) == FathomPromotion(m)) {
                moves[i].wdl = FromFathom(TB_GET_WDL(*e));
                moves[i].dtz = int32_t(TB_GET_DTZ(*e));
                break;
            }
        }
        if (moves[i].wdl == SyzygyNoAnswer) return false;
    }
    return true;
#else
    return false;
#endif
}

int32_t SyzygyResultRank(SyzygyWdl wdl) {
    if (Syzygy50MoveRule) return wdl == SyzygyWin ? 1 : wdl == SyzygyLoss ? -1 : 0;
    return wdl > SyzygyDraw ? 1 : wdl < SyzygyDraw ? -1 : 0;
}
