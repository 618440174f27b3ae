// The UCI front end: identification and options, isready, position, go with
// its limits, stop, ponderhit, quit. While a search runs, the search's input
// check hands the waiting lines to UciCheckInput: "isready" is answered and
// the search goes on, "stop" and "quit" end it, "ponderhit" turns the ponder
// search into the timed one.
#include "shell/Uci.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/MoveGenerator.h"
#include "search/RootSearch.h"
#include "search/Strength.h"
#include "search/TimeManager.h"
#include "shell/EngineOptions.h"
#include "shell/ExtraCommands.h"
#include "shell/GameMoves.h"
#include "shell/GameSetup.h"
#include "shell/InputPoll.h"
#include "shell/InputReader.h"
#include "shell/MoveText.h"
#include "shell/Output.h"
#include "shell/ShellState.h"
#include "shell/Xboard.h"

namespace {

constexpr size_t UciLineSize = 10000;
char UciLine[UciLineSize];

// A command line that arrived during a search and stopped it; the loop takes
// it before reading standard input again.
char ParkedLine[UciLineSize];
bool HaveParkedLine = false;

bool QuitRequested = false;
// "go infinite" / "go ponder" (and a bare "go"): the result waits for "stop"
// or "ponderhit", even when the search has ended by itself.
bool WaitForStop = false;
bool StopArrived = false;

// Plays the blank-separated moves of a "moves" list; unknown tokens are dropped.
void PlayMoveList(const char *list) {
    char token[UciLineSize];
    for (;;) {
        size_t n = std::strcspn(list, " ");
        if (n > 0 && n < sizeof token) {
            std::memcpy(token, list, n);
            token[n] = 0;
            UserMove(token);
        }
        if (list[n] == 0) return;
        list += n + 1; // exactly one blank: two blanks give an empty token
    }
}

void SetupFromPositionLine(const char *line) {
    const char *fen = std::strstr(line, "fen");
    const char *moves = std::strstr(line, "moves");
    if (fen != nullptr && std::strstr(fen, "startpos") == nullptr && std::strlen(fen) >= 4) {
        // The FEN reader takes its fields from the front; a trailing "moves"
        // list is cut off so it cannot be mistaken for EPD operations.
        char text[UciLineSize];
        size_t length = moves != nullptr && moves > fen ? size_t(moves - fen) - 4 : std::strlen(fen + 4);
        std::memcpy(text, fen + 4, length);
        text[length] = 0;
        if (!SetupGame(text)) SetupGame(StartPosition);
    } else {
        SetupGame(StartPosition);
    }
    if (moves != nullptr && std::strlen(moves) > 6) PlayMoveList(moves + 6);
}

// ---------------------------------------------------------------------------
// Options

// Splits "name NAME [value VALUE]"; names may hold blanks ("Clear Hash").
void ParseSetOption(const char *line, std::string &name, std::string &value) {
    std::string text = line;
    auto trim = [](std::string s) {
        size_t a = s.find_first_not_of(" \t");
        size_t b = s.find_last_not_of(" \t");
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    size_t at = text.find("name ");
    if (at == std::string::npos) return;
    std::string rest = text.substr(at + 5);
    size_t v = rest.find(" value ");
    if (v == std::string::npos) {
        name = trim(rest);
        if (name.size() >= 6 && name.compare(name.size() - 6, 6, " value") == 0)
            name = trim(name.substr(0, name.size() - 6));
        return;
    }
    name = trim(rest.substr(0, v));
    value = trim(rest.substr(v + 7));
}

// ---------------------------------------------------------------------------
// go

struct GoLimits {
    int64_t time[2] = {-1, -1}; // wtime, btime (ms)
    int64_t increment[2] = {0, 0};
    int64_t movesToGo = 0;
    int64_t moveTime = 0;
    int64_t depth = 0;
    int64_t nodes = 0;
    int64_t mate = 0;
    bool infinite = false;
    bool ponder = false;
};

bool ReadNumber(const char *&p, int64_t &value) {
    while (*p == ' ' || *p == '\t')
        ++p;
    char *end = nullptr;
    long long v = std::strtoll(p, &end, 10);
    if (end == p) return false;
    p = end;
    value = v;
    return true;
}

std::string NextToken(const char *&p) {
    while (*p == ' ' || *p == '\t')
        ++p;
    const char *start = p;
    while (*p && *p != ' ' && *p != '\t')
        ++p;
    return std::string(start, size_t(p - start));
}

// The root moves named after "searchmoves", as far as they are legal here.
void CollectSearchMoves(const char *&p) {
    MoveEntry list[MoveListSize];
    SelectMoveFunctions();
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    for (;;) {
        const char *before = p;
        std::string token = NextToken(p);
        if (token.empty()) return;
        // Typed as a move is: promotion letter in upper case.
        std::string typed = token;
        if (typed.size() == 5) typed[4] = char(std::toupper(static_cast<unsigned char>(typed[4])));
        const Move m = typed.size() < MoveTextSize ? FindTypedMove(list, end, typed.c_str()) : 0;
        const bool found = m != 0;
        if (found && RootMoveSubsetCount < RootSubsetSize) RootMoveSubset[RootMoveSubsetCount++] = m;
        if (!found && !LooksLikeCoordinateMove(token.c_str())) {
            p = before; // the next parameter
            return;
        }
    }
}

GoLimits ParseGo(const char *p) {
    GoLimits g;
    RootMoveSubsetCount = 0;
    for (;;) {
        std::string word = NextToken(p);
        if (word.empty()) break;
        int64_t v = 0;
        if (word == "infinite") {
            g.infinite = true;
        } else if (word == "ponder") {
            g.ponder = true;
        } else if (word == "searchmoves") {
            CollectSearchMoves(p);
        } else if (word == "wtime" || word == "btime" || word == "winc" || word == "binc" || word == "movestogo" ||
                   word == "movetime" || word == "depth" || word == "nodes" || word == "mate") {
            if (!ReadNumber(p, v)) continue;
            if (v < 0 && word != "wtime" && word != "btime") v = 0;
            if (word == "wtime") g.time[White] = v;
            if (word == "btime") g.time[Black] = v;
            if (word == "winc") g.increment[White] = v;
            if (word == "binc") g.increment[Black] = v;
            if (word == "movestogo") g.movesToGo = v;
            if (word == "movetime") g.moveTime = v;
            if (word == "depth") g.depth = v;
            if (word == "nodes") g.nodes = v;
            if (word == "mate") g.mate = v;
        }
    }
    return g;
}

int32_t ToCentiseconds(int64_t ms) {
    int64_t cs = ms / 10;
    if (cs < 0) return 0;
    return cs > INT32_MAX ? INT32_MAX : int32_t(cs);
}

void PrintBestMove(Move best) {
    char text[MoveTextSize], ponder[MoveTextSize];
    MoveToUciText(text, best);
    char line[64];
    // The expected reply, when the line that produced the move has one.
    if (best != 0 && PVTable[0][0] == best && MoveFrom(PVTable[0][1]) != 0) {
        MoveToUciText(ponder, PVTable[0][1]);
        std::snprintf(line, sizeof line, "bestmove %s ponder %s", text, ponder);
    } else {
        std::snprintf(line, sizeof line, "bestmove %s", text);
    }
    PrintLine(line);
}

// Waits for "stop" or "ponderhit" after a search that ended by itself while
// its result was not yet asked for. Other lines are parked or answered.
void AwaitStop() {
    while (!StopArrived && !QuitRequested && !HaveParkedLine) {
        char word[128];
        long n = ReadWord(word, sizeof word);
        if (n < 0) {
            QuitRequested = true;
            return;
        }
        char rest[UciLineSize];
        if (ReadRestOfLine(rest, sizeof rest) < 0) rest[0] = 0;
        if (std::strcmp(word, "stop") == 0 || std::strcmp(word, "ponderhit") == 0) {
            StopArrived = true;
        } else if (std::strcmp(word, "isready") == 0) {
            PrintLine("readyok");
        } else if (std::strcmp(word, "quit") == 0) {
            QuitRequested = true;
        } else if (n < 128 && std::strcmp(word, "debug") != 0) {
            std::snprintf(ParkedLine, sizeof ParkedLine, "%s%s", word, rest);
            HaveParkedLine = true;
        }
    }
}

// Asked every few million leaves of "go perft": "stop" and "quit" end the
// count, "isready" is answered, any other command ends it and runs after.
bool PerftEndRequested() {
    if (!InputAvailable()) return false;
    char word[128];
    long n = ReadWord(word, sizeof word);
    if (n < 0) {
        QuitRequested = true;
        return true;
    }
    char rest[UciLineSize];
    if (ReadRestOfLine(rest, sizeof rest) < 0) rest[0] = 0;
    if (n >= long(sizeof word)) return false;
    if (std::strcmp(word, "isready") == 0) {
        PrintLine("readyok");
        return false;
    }
    if (std::strcmp(word, "quit") == 0) {
        QuitRequested = true;
    } else if (std::strcmp(word, "stop") != 0) {
        std::snprintf(ParkedLine, sizeof ParkedLine, "%s%s", word, rest);
        HaveParkedLine = true;
    }
    return true;
}

// "go perft N": the count of every root move, then the total.
void GoPerftCommand(const char *p) {
    int64_t depth = 0;
    if (!ReadNumber(p, depth) || depth < 1 || !NextToken(p).empty()) {
        PrintLine("info string go perft needs a depth of 1 or more");
        return;
    }
    if (depth > MaxPerftDepth) {
        std::printf("info string perft depth %lld cut to %d\n", static_cast<long long>(depth), int(MaxPerftDepth));
        depth = MaxPerftDepth;
    }
    GoPerft(int32_t(depth), PerftEndRequested);
}

void Go(const char *parameters) {
    {
        const char *p = parameters;
        if (NextToken(p) == "perft") return GoPerftCommand(p);
    }
    GoLimits g = ParseGo(parameters);
    const uint32_t side = SideToMove;
    if (!g.infinite && !g.ponder && FirstLegalMove() == 0) {
        // Mate or stalemate on the board: nothing to search, nothing to wait for.
        RootMoveSubsetCount = 0;
        PrintBestMove(0);
        return;
    }

    DepthLimit = g.depth > 0 ? uint32_t(g.depth < MaxIterationDepth ? g.depth : MaxIterationDepth) : 0;
    if (g.mate > 0 && DepthLimit == 0)
        DepthLimit = uint32_t(g.mate * 2 < MaxIterationDepth ? g.mate * 2 : MaxIterationDepth);
    NodeLimit = uint64_t(g.nodes);
    FixedMoveTime = 0;
    AnalyzeMode = 0;
    PonderSearch = 0;

    const bool clock = g.time[side] >= 0;
    if (g.moveTime > 0) {
        FixedMoveTime = g.moveTime;
    } else if (clock) {
        EngineClock = ToCentiseconds(g.time[side]);
        Increment = ToCentiseconds(g.increment[side]);
        MovesPerControl = uint32_t(g.movesToGo > 0 && g.movesToGo < 100000 ? g.movesToGo : 0);
        MovesToGo = MovesPerControl;
    }
    const bool timed = g.moveTime > 0 || clock;
    const bool limited = timed || DepthLimit != 0 || NodeLimit != 0;
    // Without any limit the search runs until "stop", like "infinite".
    WaitForStop = g.infinite || g.ponder || !limited;
    StopArrived = false;
    if (g.infinite || !timed) AnalyzeMode = 1; // no time limit
    if (g.ponder && !g.infinite) PonderSearch = 1;

    AllocateTime();
    // Analysis (no limit, or until "stop") is never weakened.
    Move best = g.infinite || !limited ? ThinkSide(side) : ThinkForMove(side);
    if (WaitForStop && !StopArrived && !QuitRequested) AwaitStop();

    AnalyzeMode = 0;
    PonderSearch = 0;
    WaitForStop = false;
    DepthLimit = 0;
    NodeLimit = 0;
    FixedMoveTime = 0;
    RootMoveSubsetCount = 0;
    if (QuitRequested) return;
    PrintBestMove(best);
}

// Returns false at "quit" or the end of input.
bool RunCommand(const char *word, const char *rest) {
    if (std::strcmp(word, "isready") == 0) {
        PrintLine("readyok");
    } else if (std::strcmp(word, "quit") == 0) {
        return false;
    } else if (std::strcmp(word, "position") == 0) {
        SetupFromPositionLine(rest);
    } else if (std::strcmp(word, "go") == 0) {
        Go(rest);
        if (QuitRequested) return false;
    } else if (std::strcmp(word, "ucinewgame") == 0) {
        NewGame();
        RecentScores[0] = RecentScores[1] = RecentScores[2] = 0;
    } else if (std::strcmp(word, "setoption") == 0) {
        std::string name, value;
        ParseSetOption(rest, name, value);
        if (!name.empty() && !SetEngineOption(name, value)) {
            if (IsEngineOption(name))
                PrintLine("info string bad value, the option keeps its value:", rest);
            else
                PrintLine("info string unknown option or value: ", rest);
        }
    } else if (std::strcmp(word, "d") == 0) {
        ShowPosition();
    } else if (std::strcmp(word, "eval") == 0) {
        std::printf("Static evaluation: %d (centipawns, White's view)\n", int(EvaluateBoard()));
        std::fflush(stdout);
    } else if (std::strcmp(word, "uci") == 0) {
        PrintLine("id name Morvane 7 UCI");
        PrintLine("id author Halvard Quent");
        PrintOptionLines(false);
        PrintLine("uciok");
    }
    // Anything else (debug, register, stop or ponderhit outside a search) is ignored.
    return true;
}

} // namespace

uint32_t UciCheckInput() {
    if (!InputAvailable()) return HardTimeUp(1);
    char word[128];
    long n = ReadWord(word, sizeof word);
    if (n < 0) {
        QuitRequested = true; // the interface is gone
        return 1;
    }
    char rest[UciLineSize];
    if (ReadRestOfLine(rest, sizeof rest) < 0) rest[0] = 0;
    if (n >= long(sizeof word)) return HardTimeUp(1);
    if (std::strcmp(word, "isready") == 0) {
        PrintLine("readyok");
        return HardTimeUp(1);
    }
    if (std::strcmp(word, "debug") == 0) return HardTimeUp(1);
    if (std::strcmp(word, "stop") == 0) {
        StopArrived = true;
        return 1;
    }
    if (std::strcmp(word, "quit") == 0) {
        QuitRequested = true;
        return 1;
    }
    if (std::strcmp(word, "ponderhit") == 0) {
        if (PonderSearch) {
            // The opponent played the expected move: our clock runs from now.
            PonderSearch = 0;
            ExtendLimits(ElapsedTime());
            WaitForStop = false;
        }
        return HardTimeUp(1);
    }
    // Any other command ends the search; it is carried out right after.
    std::snprintf(ParkedLine, sizeof ParkedLine, "%s%s", word, rest);
    HaveParkedLine = true;
    StopArrived = true;
    return 1;
}

void UciLoop() {
    RunCommand("uci", "");
    for (;;) {
        char word[128];
        char *rest = UciLine;
        if (HaveParkedLine) {
            HaveParkedLine = false;
            const char *p = ParkedLine;
            std::string first = NextToken(p);
            std::snprintf(word, sizeof word, "%s", first.c_str());
            std::snprintf(UciLine, sizeof UciLine, "%s", p);
        } else {
            long n = ReadWord(word, sizeof word);
            if (n < 0) return;
            if (ReadRestOfLine(UciLine, UciLineSize) < 0) UciLine[0] = 0;
            if (n >= long(sizeof word)) continue;
        }
        if (!RunCommand(word, rest)) return;
        if (InputEnded() && !HaveParkedLine) return;
    }
}
