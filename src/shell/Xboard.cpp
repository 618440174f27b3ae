// Start-up and the xboard command loop. Each turn of the loop either lets the
// engine analyse or move, then takes one command word: the word parked by an
// interrupted search if there is one, otherwise the next word of standard
// input. A word that is no command is tried as a move; one that is no move
// either is refused with the rest of its line.
#include "shell/Xboard.h"

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include "board/Attack.h"
#include "board/Board.h"
#include "board/MoveGenerator.h"
#include "board/Swap.h"
#include "book/Book.h"
#include "book/PolyglotBook.h"
#include "eval/Evaluate.h"
#include "search/RootSearch.h"
#include "search/SearchState.h"
#include "search/Threads.h"
#include "search/TimeManager.h"
#include "search/TranspositionTable.h"
#include "shell/Config.h"
#include "shell/EngineOptions.h"
#include "shell/ExtraCommands.h"
#include "shell/GameEnd.h"
#include "shell/GameMoves.h"
#include "shell/GameSetup.h"
#include "shell/InputPoll.h"
#include "shell/InputReader.h"
#include "shell/MoveText.h"
#include "shell/Output.h"
#include "shell/ShellState.h"
#include "shell/TestSuite.h"
#include "shell/Uci.h"
#include "tablebase/Syzygy.h"
#include "tablebase/TablebaseAccess.h"

namespace {

constexpr int WordSize = 100; // command words keep at most 99 characters

void PrintInteger(int64_t value) {
    std::printf("%lld\n", (long long)value);
    std::fflush(stdout);
}

// Nothing else on the line of a word that is no command counts: its
// arguments must never be taken for moves or commands of their own.
void UnknownCommand(const char *word) {
    PrintLine("Error (unknown command): ", word);
    DropRestOfLine();
}

void BadArgument(const char *command, const char *word) {
    std::printf("Error (bad argument): %s %s\n", command, word);
    std::fflush(stdout);
}

// Reads an integer argument of `command`; on a word that is not one, writes
// the bad-argument line and returns false.
bool ReadIntegerArgument(const char *command, int32_t &value, int32_t lowest = INT32_MIN) {
    char word[WordSize];
    long length = ReadWord(word, sizeof word);
    if (length < 0) return false;
    if (length >= WordSize || !ParseInteger(word, value) || value < lowest) {
        BadArgument(command, word);
        return false;
    }
    return true;
}

MoveEntry *GenerateAll(MoveEntry *list) { return GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare); }

// A new record starts from the current position: history entry 0 is this
// position, nothing is left to take back.
void RestartGameRecord() {
    GamePly = 0;
    BoardHistoryCount = 0;
    PositionHistory[0].keyLow = KeyLow(HashKey);
    PositionHistory[0].keyHigh = KeyHigh(HashKey);
    PositionHistory[0].irreversible = 1;
}

// "white" and "black": the side to move and the engine's colour.
void SetSides(uint32_t side, uint32_t engine) {
    if (SideToMove != side && SideInCheck(1 - side)) {
        // The side that would wait could have its king taken: nothing changes.
        PrintLine("ERROR: the side not to move would be in check");
        return;
    }
    if (SideToMove != side) {
        // The recorded moves no longer alternate with the side to move, so
        // they cannot be taken back; the position stands as if set up.
        SideToMove = side;
        EpSquare = 0;
        RootInCheck = SideInCheck(side);
        SelectMoveFunctions();
        ComputeHashKeys();
        RestartGameRecord();
    }
    EngineSide = engine;
}

// ---------------------------------------------------------------------------
// Edit mode. The placements go to a private board; at "." the result is set
// up like any other position, so keys, history and move functions are right
// and a position that cannot be played is refused whole.

char SquareLetter(uint32_t code) { return code < 14 ? PieceLetters[code] : '.'; }

// Rights for a king and rook at home: e1 and the corners, or in Chess960 a
// king on its first rank and the outermost rook on either side of it.
std::string EditedCastlingRights(const uint32_t *squares) {
    std::string castling;
    for (uint32_t side : {White, Black}) {
        const int rank = side == White ? 1 : 8;
        const uint32_t base = side == White ? 0 : 8;
        const char shift = side == White ? 0 : 'a' - 'A';
        int kingFile = 0;
        for (int file = 1; file <= 8; ++file)
            if (squares[SquareOf(file, rank)] == base + King) kingFile = file;
        if (kingFile == 0 || (!Chess960Mode && kingFile != 5)) continue;
        auto rookOn = [&](int first, int last) {
            for (int file = first; file <= last; ++file)
                if (squares[SquareOf(file, rank)] == base + Rook) return true;
            return false;
        };
        if (Chess960Mode ? rookOn(kingFile + 1, 8) : rookOn(8, 8)) castling += char('K' + shift);
        if (Chess960Mode ? rookOn(1, kingFile - 1) : rookOn(1, 1)) castling += char('Q' + shift);
    }
    return castling.empty() ? "-" : castling;
}

void EditMode() {
    uint32_t squares[120];
    for (int s = 0; s < 120; ++s)
        squares[s] = Board[s].piece;
    EngineSide = NoEngineSide;
    uint32_t colour = White;
    char word[WordSize];
    for (;;) {
        long length = ReadWord(word, sizeof word);
        if (length < 0) return;
        if (std::strcmp(word, ".") == 0) break;
        if (std::strcmp(word, "c") == 0) {
            colour = 1 - colour;
            continue;
        }
        if (std::strcmp(word, "#") == 0) {
            for (int rank = 1; rank <= 8; ++rank)
                for (int file = 1; file <= 8; ++file)
                    squares[SquareOf(file, rank)] = EmptySquare;
            continue;
        }
        const char *kinds = "PNBRQK";
        const char *kind = length == 3 ? std::strchr(kinds, word[0]) : nullptr;
        bool remove = length == 3 && word[0] == 'x';
        if ((!kind && !remove) || word[0] == 0 || word[1] < 'a' || word[1] > 'h' || word[2] < '1' || word[2] > '8') {
            PrintLine("ERROR: edit: not a piece letter and a square: ", word);
            continue;
        }
        Square s = SquareFromText(word[1], word[2]);
        if (remove) {
            squares[s] = EmptySquare;
            continue;
        }
        PieceCode code = PieceCode(kind - kinds) + (colour == Black ? 8 : 0);
        if (KindOf(code) == King) {
            // One king per side: placing it again moves it.
            for (int t = 0; t < 120; ++t)
                if (squares[t] == code) squares[t] = EmptySquare;
        }
        squares[s] = code;
    }

    std::string fen;
    for (int rank = 8; rank >= 1; --rank) {
        int empty = 0;
        for (int file = 1; file <= 8; ++file) {
            uint32_t code = squares[SquareOf(file, rank)];
            if (code == EmptySquare) {
                ++empty;
                continue;
            }
            if (empty) fen += char('0' + empty);
            empty = 0;
            fen += SquareLetter(code);
        }
        if (empty) fen += char('0' + empty);
        if (rank > 1) fen += '/';
    }
    fen += SideToMove == White ? " w " : " b ";
    fen += EditedCastlingRights(squares);
    fen += " -";

    // Editing does not lift a result: only "new" and "setup" do.
    uint32_t result = GameResult;
    SetupGame(fen.c_str());
    GameResult = result;
    EngineSide = NoEngineSide;
}

// "setup FILE N": the position on line N (counted from 1) of a text file.
void FileSetup() {
    char name[4096];
    long length = ReadWord(name, sizeof name);
    if (length < 0) return;
    int32_t line = 0;
    if (!ReadIntegerArgument("setup", line)) return;
    std::string text;
    bool good = false;
    if (size_t(length) < sizeof name && line >= 1) {
        std::ifstream file(name);
        for (int32_t i = 1; i <= line && file; ++i)
            std::getline(file, text);
        good = bool(file);
    }
    if (!good) {
        PrintLine("Error file reading");
    } else {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        SetupGame(text.c_str());
    }
    DisplayBoard();
}

// ---------------------------------------------------------------------------
// Commands. Each returns false when the program is to end.

bool CmdSwap() {
    PrintLine("List of captures");
    CaptureMargin = 0;
    MoveEntry list[MoveListSize];
    MoveEntry *end = SideToMove == White ? GenerateWhiteCaptures(list) : GenerateBlackCaptures(list);
    for (MoveEntry *e = list; e < end; ++e) {
        Square from = MoveFrom(e->move), to = MoveTo(e->move);
        int32_t value = SideToMove == White ? WhiteStaticExchange(from, to, -32767, 32767)
                                            : BlackStaticExchange(from, to, -32767, 32767);
        PrintMoveScore(e->move, value);
    }
    PrintLine("end of list");
    return true;
}

bool CmdNew() {
    OpponentIsComputer = 0;
    NewGame();
    return true;
}

bool CmdNothing() { return true; }
bool CmdEasy() { return PonderEnabled = 0, true; }
bool CmdHard() { return PonderEnabled = 1, true; }
bool CmdReset() { return ClearSearchMemory(), true; }
// Analysis plays no side: after "exit" the engine moves only when told to.
bool CmdAnalyze() { return AnalyzeMode = 1, EngineSide = NoEngineSide, true; }
bool CmdExit() { return AnalyzeMode = 0, true; }
bool CmdUndo() { return UndoMove(), true; }

bool CmdRemove() {
    // Takes back a move of each side; the engine keeps its colour.
    if (GamePly < 2) {
        PrintLine("Error undo: no moves");
        return true;
    }
    uint32_t engine = EngineSide;
    UndoMove();
    UndoMove();
    EngineSide = engine;
    return true;
}

bool CmdEdit() {
    EditMode();
    if (!InputEnded()) DisplayBoard();
    return true;
}

bool CmdFritz() { return FritzMode = 1, true; }
bool CmdQuit() { return false; }
bool CmdForce() { return EngineSide = NoEngineSide, true; }
bool CmdWhite() { return SetSides(White, Black), true; }
bool CmdBlack() { return SetSides(Black, White), true; }

// A base time as minutes or minutes:seconds ("5", "0:30", "2:30").
bool IsBaseTime(const char *text) {
    const char *colon = std::strchr(text, ':');
    int32_t minutes, seconds;
    if (colon == nullptr) return ParseInteger(text, minutes) && minutes >= 0;
    std::string head(text, size_t(colon - text));
    return ParseInteger(head.c_str(), minutes) && minutes >= 0 && ParseInteger(colon + 1, seconds) && seconds >= 0 &&
           seconds < 60;
}

// Seconds with an optional fraction ("12", "0.5") as centiseconds.
bool ParseSeconds(const char *text, int32_t &centiseconds) {
    if (*text < '0' || *text > '9') return false;
    char *end = nullptr;
    double seconds = std::strtod(text, &end);
    if (*end != 0 || !(seconds >= 0) || seconds > double(INT32_MAX) / 100) return false;
    centiseconds = int32_t(std::lround(seconds * 100));
    return true;
}

bool CmdLevel() {
    char moves[WordSize], base[WordSize], increment[WordSize];
    if (ReadWord(moves, sizeof moves) < 0 || ReadWord(base, sizeof base) < 0 ||
        ReadWord(increment, sizeof increment) < 0)
        return true;
    int32_t perControl, centiseconds;
    if (!ParseInteger(moves, perControl) || perControl < 0) {
        BadArgument("level", moves);
    } else if (!IsBaseTime(base)) {
        BadArgument("level", base);
    } else if (!ParseSeconds(increment, centiseconds)) {
        BadArgument("level", increment);
    } else {
        MovesPerControl = uint32_t(perControl);
        Increment = centiseconds;
        MovesToGo = MovesPerControl;
        FixedMoveTime = 0; // a clock again, no set time per move
    }
    return true;
}

// "st N": N seconds for every move, no clock.
bool CmdSt() {
    char word[WordSize];
    if (ReadWord(word, sizeof word) < 0) return true;
    int32_t centiseconds;
    if (!ParseSeconds(word, centiseconds) || centiseconds <= 0)
        BadArgument("st", word);
    else
        FixedMoveTime = int64_t(centiseconds) * 10;
    return true;
}

// "sd N": no iteration deeper than N plies (0: no limit).
bool CmdSd() {
    int32_t depth;
    if (ReadIntegerArgument("sd", depth, 0)) DepthLimit = uint32_t(depth);
    return true;
}

bool CmdTime() {
    int32_t value;
    if (ReadIntegerArgument("time", value)) EngineClock = value;
    return true;
}

bool CmdIgnoreWord() {
    char word[WordSize];
    ReadWord(word, sizeof word);
    return true;
}

bool CmdGo() { return EngineSide = SideToMove, true; }
bool CmdPlayOther() { return EngineSide = 1 - SideToMove, true; }

// "variant NAME": standard chess or Chess960 (the position comes with the
// next "setboard" or "edit"; until then the standard start stands).
bool CmdVariant() {
    char word[WordSize];
    if (ReadWord(word, sizeof word) < 0) return true;
    if (std::strcmp(word, "normal") == 0 || std::strcmp(word, "fischerandom") == 0)
        SetChess960Mode(word[0] == 'f' ? 1 : 0);
    else
        PrintLine("Error (unsupported variant): ", word);
    return true;
}

bool CmdPing() {
    char word[WordSize];
    if (ReadWord(word, sizeof word) < 0) return true;
    // Everything sent before it has been dealt with by now.
    PrintLine("pong ", word);
    return true;
}

// "setboard FEN": the position from a FEN with its castling rights, en
// passant square and counters. The engine keeps its colour; an unusable FEN
// changes nothing.
bool CmdSetboard() {
    char fen[512];
    if (ReadRestOfLine(fen, sizeof fen) < 0) return true;
    const uint32_t engine = EngineSide;
    const uint32_t result = GameResult;
    if (!SetupGame(fen)) {
        GameResult = result;
        PrintLine("tellusererror Illegal position");
        return true;
    }
    EngineSide = engine;
    return true;
}

// "memory N": megabytes for the hash tables.
bool CmdMemory() {
    int32_t megabytes;
    if (ReadIntegerArgument("memory", megabytes, 1)) AllocateHash(megabytes);
    return true;
}

bool CmdCores() {
    int32_t cores;
    if (ReadIntegerArgument("cores", cores, 1)) SetSearchThreads(cores); // at most the search's own maximum
    return true;
}

// Longest Syzygy folder list "egtpath" takes (several folders, each up to
// the system's path length).
constexpr int SyzygyPathSize = 16384;

// "egtpath KIND DIR": Nalimov tables, and Syzygy tables in builds that read them.
bool CmdEgtPath() {
    char kind[WordSize];
    if (ReadWord(kind, sizeof kind) < 0) return true;
    char path[SyzygyPathSize + 1];
    if (ReadRestOfLine(path, sizeof path) < 0) return true;
    const char *dir = path;
    while (*dir == ' ' || *dir == '\t')
        ++dir;
    if (SyzygyCompiledIn && std::strcmp(kind, "syzygy") == 0) {
        if (std::strlen(dir) >= size_t(SyzygyPathSize)) {
            BadArgument("egtpath", "(path too long)");
            return true;
        }
        SetEngineOption("SyzygyPath", dir);
        return true;
    }
    if (std::strcmp(kind, "nalimov") != 0) return true;
    if (std::strlen(dir) >= size_t(TbPathSize)) {
        BadArgument("egtpath", "(path too long)");
        return true;
    }
    std::string value = dir;
    SetEngineOption("TbPath", value);
    return true;
}

// "option NAME=VALUE", or "option NAME" for a button.
bool CmdOption() {
    char line[512];
    if (ReadRestOfLine(line, sizeof line) < 0) return true;
    std::string text = line;
    size_t first = text.find_first_not_of(" \t");
    text = first == std::string::npos ? "" : text.substr(first);
    size_t eq = text.find('=');
    std::string name = text.substr(0, eq), value = eq == std::string::npos ? "" : text.substr(eq + 1);
    if (!SetEngineOption(name, value)) PrintLine("Error (bad argument): option ", text.c_str());
    return true;
}

// Words with the rest of their line that need no answer ("name X", "rating A B", "ics H").
bool CmdIgnoreLine() {
    char rest[WordSize];
    ReadRestOfLine(rest, sizeof rest);
    return true;
}

// "." outside edit mode: the status request of analysis.
bool CmdStatus() {
    if (AnalyzeMode) PrintAnalysisStatus();
    return true;
}

bool CmdResult() {
    char word[WordSize];
    if (ReadWord(word, sizeof word) < 0) return true;
    if (std::strcmp(word, "1-0") == 0) {
        GameResult = WhiteWon;
    } else if (std::strcmp(word, "0-1") == 0) {
        GameResult = BlackWon;
    } else if (std::strcmp(word, "1/2-1/2") == 0) {
        GameResult = GameDrawn;
    }
    char rest[WordSize];
    ReadRestOfLine(rest, sizeof rest); // the comment, whatever its length
    if (BookLearn != 0) PrintLine("WARINING: book learning does not implemented in this version");
    return true;
}

bool CmdPost() { return PostThinking = 1, true; }
bool CmdNoPost() { return PostThinking = 0, true; }
bool CmdNoInter() { return Interruptible = 0, true; }
bool CmdDisplay() { return DisplayBoard(), true; }

bool CmdList() {
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateAll(list);
    char text[MoveTextSize];
    for (MoveEntry *e = list; e < end; ++e) {
        if ((e - list) % 10 == 0) std::fputc('\n', stdout);
        MoveToText(text, e->move);
        std::printf("%6s", text);
    }
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return true;
}

bool CmdSetup() { return FileSetup(), true; }
bool CmdScore() { return PrintInteger(EvaluateBoard()), true; }

// "exclude MOVE" / "include MOVE" (or "all"): the root moves analysis leaves
// out; the set starts empty on every new position. The argument is the rest
// of the line, so that a missing one never takes the next command.
bool ChangeExclusions(bool exclude) {
    const char *command = exclude ? "exclude" : "include";
    char rest[WordSize];
    if (ReadRestOfLine(rest, sizeof rest) < 0) return true;
    std::string move = rest;
    const size_t first = move.find_first_not_of(" \t");
    move = first == std::string::npos ? "" : move.substr(first, move.find_last_not_of(" \t") - first + 1);
    if (!ChangeExcludedMoves(move.c_str(), exclude)) {
        const bool looksLikeMove = LooksLikeCoordinateMove(move.c_str());
        std::printf("Error (%s): %s%s%s\n", looksLikeMove ? "illegal move" : "bad argument", command,
                    move.empty() ? "" : " ", move.c_str());
        std::fflush(stdout);
    }
    return true;
}
bool CmdExclude() { return ChangeExclusions(true); }
bool CmdInclude() { return ChangeExclusions(false); }
bool CmdNotImplemented() { return PrintLine("Not implemented"), true; }
bool CmdComputer() { return OpponentIsComputer = 1, true; }

bool CmdUci() {
    UciMode = 1;
    MessagePrefix = "info string ";
    UciLoop();
    return false; // the UCI front end ends the program
}
bool CmdBook() { return ListBookMoves(), true; }
bool CmdChecks() { return ListChecksAndCaptures(), true; }
bool CmdBench() {
    RunBench(30000, EndRequested);
    NewGame();
    return !InputEnded();
}

// Commands that take a file name: the word must fit, or nothing is run.
bool ReadFileArgument(const char *command, char *name, size_t size) {
    long length = ReadWord(name, size);
    if (length < 0) return false;
    if (size_t(length) >= size) {
        BadArgument(command, "(file name too long)");
        return false;
    }
    return true;
}
bool CmdTest() {
    char name[4096];
    if (ReadFileArgument("test", name, sizeof name)) RunTestSuite(name, EndRequested);
    return !InputEnded();
}
bool CmdConvert() {
    char name[4096];
    if (ReadFileArgument("convert", name, sizeof name)) ConvertStyleBook(name);
    return !InputEnded();
}

bool CmdPerft() {
    int32_t depth;
    if (!ReadIntegerArgument("perft", depth)) return true;
    PerftCommand(depth, EndRequested); // nothing for a depth of 0 or below
    return !InputEnded();
}

struct Command {
    const char *word;
    bool (*run)();
};

// Compared in this order; the first exact match runs.
const Command Commands[] = {
    {"uci", CmdUci},
    {"book", CmdBook},
    {"swap", CmdSwap},
    {"checks", CmdChecks},
    {"bench", CmdBench},
    {"new", CmdNew},
    {"?", CmdNothing},
    {"easy", CmdEasy},
    {"hard", CmdHard},
    {"reset", CmdReset},
    {"analyze", CmdAnalyze},
    {"ana", CmdAnalyze},
    {"exit", CmdExit},
    {"undo", CmdUndo},
    {"remove", CmdRemove},
    {"edit", CmdEdit},
    {"fritz", CmdFritz},
    {"quit", CmdQuit},
    {"force", CmdForce},
    {"white", CmdWhite},
    {"black", CmdBlack},
    {"level", CmdLevel},
    {"time", CmdTime},
    {"otim", CmdIgnoreWord},
    {"go", CmdGo},
    {"result", CmdResult},
    {"post", CmdPost},
    {"nopost", CmdNoPost},
    {"nointer", CmdNoInter},
    {"display", CmdDisplay},
    {"list", CmdList},
    {"setup", CmdSetup},
    {"score", CmdScore},
    {"test", CmdTest},
    {"printbook", CmdNotImplemented},
    {"import", CmdNotImplemented},
    {"convert", CmdConvert},
    {"xboard", CmdNothing},
    {"random", CmdNothing},
    {"computer", CmdComputer},
    {"perft", CmdPerft},
    {"protover", CmdIgnoreWord},
    {"accepted", CmdIgnoreWord},
    {"rejected", CmdIgnoreWord},
    {"playother", CmdPlayOther},
    {"ping", CmdPing},
    {"setboard", CmdSetboard},
    {"variant", CmdVariant},
    {"st", CmdSt},
    {"sd", CmdSd},
    {"memory", CmdMemory},
    {"cores", CmdCores},
    {"egtpath", CmdEgtPath},
    {"option", CmdOption},
    {"draw", CmdNothing},
    {"hint", CmdNothing},
    {"bk", CmdNothing},
    {"name", CmdIgnoreLine},
    {"rating", CmdIgnoreLine},
    {"ics", CmdIgnoreLine},
    {".", CmdStatus},
    {"exclude", CmdExclude},
    {"include", CmdInclude},
};

void Analyse() {
    PrintLine("Start analyzing");
    std::printf("Eval = %d\n", EvaluateBoard());
    std::fflush(stdout);
    AllocateTime();
    (void)ThinkSide(SideToMove); // analysis plays no move
}

} // namespace

void StartUp() {
    InstallSearchHost();
    const int64_t hash = ReadConfig();
    if (!AllocateHash(hash)) std::exit(1);

    // The book's random choices come from this generator.
    SeedRandomNumbers(uint32_t(std::time(nullptr)));
    (void)RandomNumber();

    StartTablebases(TbPath, TbCache);
    if (!SyzygyPath.empty()) LoadSyzygyTables(SyzygyPath);

    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // Board border and tables come before the first position: setup and the
    // check test use them.
    InitBoard();
    NewGame();
}

void ConvertStyleBook(const char *fileName) {
    if (ConvertStyleBookFile(fileName)) NewGame();
}

void NewGame() {
    if (!FritzMode) ClearSearchMemory();
    Castled[White] = Castled[Black] = 0;
    BoardHistoryCount = 0;
    SetupGame(StartPosition);
    ComputeHashKeys();
    EngineSide = Black;
}

int CommandLoop() {
    char word[WordSize];
    for (;;) {
        if (AnalyzeMode) {
            Analyse();
        } else if (EngineSide == SideToMove) {
            ThinkAndMove();
            SendDeferredPong(); // after the move, never before it
            if (!FritzMode && PonderEnabled && !InputAvailable())
                while (Ponder())
                    SendDeferredPong();
        }

        long length;
        if (PendingCommand[0]) {
            length = long(strnlen(PendingCommand, PendingCommandSize));
            size_t kept = std::min(size_t(length), size_t(WordSize - 1));
            std::memcpy(word, PendingCommand, kept);
            word[kept] = 0;
            PendingCommand[0] = 0;
        } else {
            length = ReadWord(word, sizeof word);
        }
        if (length < 0) return 0;
        if (length >= WordSize) {
            // Too long for any command or move; shown as far as it was kept,
            // and the rest of its line goes with it.
            std::printf("Error (unknown command): %s...\n", word);
            std::fflush(stdout);
            DropRestOfLine();
            continue;
        }

        const Command *command = nullptr;
        for (const Command &c : Commands)
            if (std::strcmp(word, c.word) == 0) {
                command = &c;
                break;
            }
        if (command) {
            if (!command->run()) return 0;
        } else if (!UserMove(word)) {
            if (LooksLikeCoordinateMove(word) || (CastlingOutput == CastlingLetters && LooksLikeCastling(word)))
                PrintLine("Illegal move: ", word);
            else
                UnknownCommand(word);
        }
    }
}

int XboardMain() {
    // An interrupt key at the terminal or a vanished interface must not kill
    // the engine: a closed pipe shows up as the end of input instead.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    PrintLine("Morvane");
    PrintLine("chess engine for xboard interfaces (UCI on request)");
    PrintLine("");
    PrintLine("feature done=0");

    StartUp();
    ClearSearchMemory();

    PrintLine("Reading main book...");
    LoadBookFile("Morvane.book", 0);
    PrintLine("Reading style book...");
    LoadBookFile("MVstyle.book", 1);
    if (!PolyglotBook.name.empty()) LoadPolyglotBook(PolyglotBook.name);

    PrintLine("feature myname=\"Morvane 7\"");
    PrintLine("feature ping=1 setboard=1 playother=1 analyze=1 memory=1 usermove=0 time=1 draw=1 smp=1");
    PrintLine(
        SyzygyCompiledIn
            ? "feature sigint=0 sigterm=0 reuse=1 colors=0 egt=\"nalimov,syzygy\" variants=\"normal,fischerandom\""
            : "feature sigint=0 sigterm=0 reuse=1 colors=0 egt=\"nalimov\" variants=\"normal,fischerandom\"");
    PrintLine("feature exclude=1");
    PrintOptionLines(true);
    PrintLine("feature done=1");

    return CommandLoop();
}
