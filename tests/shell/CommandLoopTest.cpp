// The command loop in-process on words through fd 0, in a temporary directory; the configuration text.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "search/SearchState.h"
#include "search/Strength.h"
#include "search/Threads.h"
#include "shell/Config.h"
#include "shell/ShellTestSupport.h"
#include "shell/Xboard.h"

namespace {

// Runs the loop over the input to its end; its output, each board display shown as "[board]".
std::string RunLoop(const std::string &input) {
    StdinPipe in;
    in.Write(input);
    in.Close();
    const std::string out = Output([] { EXPECT_EQ(CommandLoop(), 0); });
    std::string shown;
    for (size_t at = 0, end = 0; at < out.size(); at = end) {
        end = out.find('\n', at) + 1;
        if (out.compare(at, 2, "\t\t") != 0)
            shown += out.substr(at, end - at);
        else if (!shown.ends_with("[board]\n"))
            shown += "[board]\n";
    }
    return shown;
}

// What a position is, as far as setting it up goes.
std::vector<uint64_t> Position() {
    return {HashKey,           PawnHashKey,       SideToMove,        EpSquare,         RootInCheck,
            CastleSpoilers[0], CastleSpoilers[1], CastleSpoilers[2], CastleSpoilers[3]};
}

class CommandLoop_ : public testing::Test {
  protected:
    void SetUp() override {
        SetUpGame(StartPosition); // the tables and the hash table, as the engine's start-up builds them
        std::filesystem::create_directories(dir_);
        std::filesystem::current_path(dir_);
        BookLearn = 0;
    }
    void TearDown() override {
        std::filesystem::current_path(home_);
        std::filesystem::remove_all(dir_);
        GameResult = 3;
    }
    static void WriteFile(const char *name, const std::string &text) { std::ofstream(name, std::ios::binary) << text; }
    const std::filesystem::path home_ = std::filesystem::current_path(),
                                dir_ = std::filesystem::temp_directory_path() / ("morvane-" + std::to_string(getpid()));
};

const char AfterE4[] = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";
const char AfterE4E5[] = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6";
const char Ep[] = "4k3/8/8/8/3pP3/8/8/4K3 b - e3";

} // namespace

TEST_F(CommandLoop_, BoardCommands) {
    WriteFile("p.epd", "4k3/8/8/8/8/8/8/R3K2R w KQ -\r\nrnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - c0 \"" +
                           std::string(400, 'x') + "\";\r\n" + Ep);
    WriteFile("bad.epd", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq -\n");
    const std::string bad = "ERROR: edit: not a piece letter and a square: ", noFile = "Error file reading\n[board]\n";
    // Position before, input, output, position after (nullptr: the same), plies, engine's side, result.
    const std::tuple<const char *, const char *, std::string, const char *, uint32_t, uint32_t, uint32_t> cases[] = {
        // setup FILE N: CRLF line ends, a long line, no line break at the end.
        {Ep, "setup p.epd 2\n", "[board]\n", StartPosition, 0, 2, 3},
        {StartPosition, "setup p.epd 3\n", "[board]\n", Ep, 0, 2, 3},
        {Ep, "setup p.epd 4\nsetup none.epd 1\nsetup p.epd 0\n", noFile + noFile + noFile, nullptr, 0, 2, 3},
        {Ep, "setup bad.epd 1\n", "ERROR: 'X' is not a piece letter or square count\n[board]\n", nullptr, 0, 2, 3},
        // Edit mode: castling rights follow from kings and rooks at home; "x" empties a square.
        {Ep, "edit\n#\nKe1\nRh1\nRa1\nc\nKe8\n.\n", "[board]\n", "4k3/8/8/8/8/8/8/R3K2R b KQ -", 0, 2, 3},
        {Ep, "edit\n#\nKe1\nRh2\nRa1\nc\nKe8\n.\n", "[board]\n", "4k3/8/8/8/8/8/7R/R3K3 b Q -", 0, 2, 3},
        // Placing on a piece replaces it; a second king moves the first; "c" changes the colour.
        {StartPosition, "edit\nQe2\nKe3\n.\n", "[board]\n", "rnbqkbnr/pppppppp/8/8/8/4K3/PPPPQPPP/RNBQ1BNR w kq -", 0,
         2, 3},
        {StartPosition, "edit\n#\nc\nKe8\nc\nKe1\nc\nPe2\n.\n", "[board]\n", "4k3/8/8/8/8/8/4p3/4K3 w - -", 0, 2, 3},
        {StartPosition, "edit\nKa9\nPe22\nK\nke4\nxz1\n.\n",
         bad + "Ka9\n" + bad + "Pe22\n" + bad + "K\n" + bad + "ke4\n" + bad + "xz1\n[board]\n", nullptr, 0, 2, 3},
        {StartPosition, "edit\n#\nKe1\nQd1\n.\n", "ERROR: black has no king\n[board]\n", nullptr, 0, 2, 3},
        // A game in progress: editing clears the record, the result stays.
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6",
         "g1f3\ng8f6\nresult 1-0\nedit\n#\nKe1\nPd2\nc\nKe8\nRe7\n.\n", "[board]\n", "4k3/4r3/8/8/8/8/3P4/4K3 w - -", 0,
         2, 0},
        // The side commands: a change of side clears the en-passant square and the record.
        {Ep, "white\n", "", "4k3/8/8/8/3pP3/8/8/4K3 w - -", 0, 1, 3},
        {Ep, "e8d8\ne1d1\nwhite\n", "", "3k4/8/8/8/3pP3/8/8/3K4 w - -", 0, 1, 3},
        {"4k3/8/8/8/8/8/4R3/4K3 b - -", "white\n", "ERROR: the side not to move would be in check\n", nullptr, 0, 2, 3},
        // undo and remove; remove takes back two moves and keeps the engine's side.
        {StartPosition, "e2e4\ne7e5\ng1f3\nundo\n", "", AfterE4E5, 2, 2, 3},
        {StartPosition, "e2e4\ne7e5\ng1f3\nundo\nremove\n", "", StartPosition, 0, 2, 3},
        {StartPosition, "undo\nremove\n", "Error undo: no moves\nError undo: no moves\n", nullptr, 0, 2, 3},
        {StartPosition, "e2e4\nremove\n", "Error undo: no moves\n", AfterE4, 1, 2, 3},
        {StartPosition, "e2e4\ne7e5\nd2d4\nd7d5\nwhite\nremove\n", "", AfterE4E5, 2, 1, 3},
        // A result freezes the game until "new" or "setup".
        {StartPosition, "result 1-0 {White mates}\ne2e4\nedit\n.\ne2e4\n",
         "Illegal move: e2e4\n[board]\nIllegal move: e2e4\n", nullptr, 0, 2, 0},
        {StartPosition, "result 1/2-1/2\nnew\nforce\ne2e4\n", "", AfterE4, 1, 2, 3},
        {StartPosition, "result 0-1\nsetup p.epd 2\ne2e4\n", "[board]\n", AfterE4, 1, 2, 3},
        // Listings: ten moves a line, captures with their exchange values, the board.
        {StartPosition, "list\n",
         "\n  h2h3  h2h4  g2g3  g2g4  f2f3  f2f4  e2e3  e2e4  d2d3  d2d4\n  c2c3  c2c4  b2b3  b2b4  a2a3  a2a4  g1f3  "
         "g1h3  b1a3  b1c3\n",
         nullptr, 0, 2, 3},
        {"4k3/8/3p4/4p3/3P4/8/8/4K3 w - -", "swap\n", "List of captures\nd4e5 0\nend of list\n", nullptr, 0, 2, 3},
        {StartPosition, "display\n", "[board]\n", nullptr, 0, 2, 3}};
    for (const auto &[fen, input, output, after, plies, engine, result] : cases) {
        SCOPED_TRACE(input);
        SetUpGame(after ? after : fen);
        const std::vector<uint64_t> expected = Position();
        SetUpGame(fen);
        EXPECT_EQ(RunLoop(input), output);
        EXPECT_TRUE(Position() == expected);
        EXPECT_EQ(std::tuple(GamePly, EngineSide, GameResult), std::tuple(plies, engine, result));
        EXPECT_EQ(PositionHistory[GamePly].keyLow, KeyLow(HashKey));
        EXPECT_EQ(PositionHistory[GamePly].keyHigh, KeyHigh(HashKey));
        EXPECT_TRUE(plies > 0 || (BoardHistoryCount == 0 && PositionHistory[0].irreversible == 1)) << "a new record";
    }
}

TEST_F(CommandLoop_, ScoreAndEvalLineUseTheCastlingRightsOfTheBoard) {
    WriteFile("p.epd", "r3k2r/pppq1ppp/8/8/8/8/PPP2PPP/R3K2R w - -\n4k3/8/8/8/8/8/8/3QK3 w - -\n"
                       "r3k2r/pppq1ppp/8/8/8/8/PPP2PPP/R3K2R w KQ -\n");
    WriteFile("suite.epd", "r3k2r/pppq1ppp/8/8/8/8/PPP2PPP/R3K2R w KQ - bm O-O;\n"); // only White may castle
    auto score = [](int line) { return RunLoop("setup p.epd " + std::to_string(line) + "\nscore\n").substr(8); };
    const std::string without = score(1);
    EXPECT_NE(without, score(3)) << "the rights count";
    EXPECT_GT(std::stoi(score(2)), 500) << "a queen up";
    RunLoop("time 5\nnopost\ntest suite.epd\n");
    EngineClock = 300000;
    PostThinking = 1;
    EXPECT_EQ(score(1), without) << "the suite's searches left the rights as they found them";
    EXPECT_TRUE(RunLoop("setup p.epd 1\nanalyze\n").starts_with("[board]\nStart analyzing\nEval = " + without));
    AnalyzeMode = 0;
}

// The settings of Morvane.ini before a text is read (a seed of 77 to tell it from one read), and those that
// differ from them.
void ResetSettings() {
    BookLearn = -1;
    ExtraPlySearch = 3;
    std::strcpy(TbPath, "D:\\tablebases");
    TbCache = 1.0;
    ResignEnabled = 1;
    LimitStrength = 0;
    StrengthElo = DefaultStrengthElo;
    StrengthSeed = 77;
}
std::string ChangedSettings() {
    std::ostringstream changed;
    if (BookLearn != -1) changed << "BookLearn " << BookLearn << " ";
    if (ExtraPlySearch != 3) changed << "ExtraPlySearch " << ExtraPlySearch << " ";
    if (TbCache != 1.0) changed << "TbCache " << TbCache << " ";
    if (ResignEnabled != 1) changed << "Resign " << int(ResignEnabled) << " ";
    if (std::strcmp(TbPath, "D:\\tablebases") != 0) changed << "TbPath " << TbPath << " ";
    if (LimitStrength != 0) changed << "LimitStrength " << LimitStrength << " ";
    if (StrengthElo != DefaultStrengthElo) changed << "Elo " << StrengthElo << " ";
    if (StrengthSeed != 77) changed << "StrengthSeed " << StrengthSeed << " ";
    return changed.str();
}

TEST(ConfigText, SettingsWarningsAndWhereReadingStops) {
    const std::string filler(5000, 'x'), path(256, 'p'), unknown = "WARNING: unknown ";
    const std::string notSeed = " is not a whole number from 0 to 18446744073709551615, ignored\n";
    // The text; the hash size read; the settings changed; the warnings.
    const std::tuple<std::string, int64_t, std::string, std::string> cases[] = {
        {"BookLearn TRUE\nExtraPlySearch 5\nTbPath /tb/a;/tb/b\nTbCache 0.5\nHash 64\nResign FALSE\n", 64,
         "BookLearn 1 ExtraPlySearch 5 TbCache 0.5 Resign 0 TbPath /tb/a;/tb/b ", ""},
        {"LimitStrength TRUE Elo 1650 StrengthSeed 12345 Hash 8", 8, "LimitStrength 1 Elo 1650 StrengthSeed 12345 ",
         ""},
        {"StrengthSeed 18446744073709551615", HashNotGiven, "StrengthSeed 18446744073709551615 ", ""},
        // Layout, CRLF, unknown words and repetition do not matter; a later key wins; keys are case-sensitive.
        {"; x\r\nBookLearn TRUE\r\nfoo bar\r\nHash 8\r\nHash 4\r\nBookLearn FALSE\r\n", 4, "BookLearn 0 ", ""},
        {"Elo 1400 LimitStrength FALSE Elo 1700", HashNotGiven, "Elo 1700 ", ""},
        {filler + " BookLearn FALSE " + filler + " Hash 2\n", 2, "BookLearn 0 ", ""},
        {"booklearn TRUE\nHash 16\n", 16, "", ""},
        // Unknown values warn and leave the setting; BookLearn's value is looked at as a key too.
        {"BookLearn yes\nHash 16\n", 16, "", unknown + "BookLearn value\n"},
        {"BookLearn FALSE BookLearn Hash 8\n", 8, "BookLearn 0 ", unknown + "BookLearn value\n"},
        {"Resign maybe\nHash 8\n", 8, "", unknown + "Resign value\n"},
        {"LimitStrength yes Hash 8", 8, "", unknown + "LimitStrength value\n"},
        {"Elo 1700 Elo strong Hash 8", 8, "Elo 1700 ", "WARNING: Elo strong is not a number, 1700 kept\n"},
        {"StrengthSeed -1 Hash 8", 8, "", "WARNING: StrengthSeed -1" + notSeed},
        {"StrengthSeed 18446744073709551616 Hash 8", 8, "", "WARNING: StrengthSeed 18446744073709551616" + notSeed},
        // An Elo out of range: the nearest level, said so.
        {"Elo 900 Hash 8", 8, "Elo 1400 ", "WARNING: Elo 900 out of range (1400 to 1800), 1400 used\n"},
        {"Elo 123456789012345678901234 Hash 8", 8, "",
         "WARNING: Elo 12345678901234567890... out of range (1400 to 1800), 1800 used\n"},
        // A value that does not read as its type ends the reading; a sign alone is no number.
        {"Hash 8 ExtraPlySearch 2.5 Hash 9 BookLearn TRUE", 8, "", ""},
        {"TbCache nan Hash 9", HashNotGiven, "", ""},
        {"Hash - Hash 3", HashNotGiven, "", ""},
        {"Hash 8 Elo", 8, "", ""},
        // Sizes come back as written, out of range or not; the caller reports them.
        {"Hash -2147483648", INT32_MIN, "", ""},
        {"Hash 2147483647", INT32_MAX, "", ""},
        {"Hash 99999999999999999999", HugeHash, "", ""},
        {"Hash -2147483649", HugeNegativeHash, "", ""},
        // A path that does not fit its buffer is not taken.
        {"TbPath " + path + " Hash 1", 1, "", "WARNING: TbPath longer than 255 characters, ignored\n"},
        {"TbPath " + path.substr(1), HashNotGiven, "TbPath " + path.substr(1) + " ", ""}};
    for (const auto &[text, hash, changed, warnings] : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        ResetSettings();
        int64_t read = 0;
        EXPECT_EQ(Output([&] { read = ParseConfigText(text.data(), text.size()); }), warnings);
        EXPECT_EQ(read, hash);
        EXPECT_EQ(ChangedSettings(), changed);
    }
    ResetSettings();
    EXPECT_EQ(ParseConfigText("Threads 2 Hash 8", 16), 8);
    EXPECT_EQ(SearchThreads(), 2);
    SetSearchThreads(1);
}

// Any words under the strength keys: no crash, the level always one offered.
TEST(ConfigTextFuzz, AnyStrengthValueLeavesALevelInRange) {
    const std::vector<std::string> words = {
        "LimitStrength", "Elo", "StrengthSeed",       "TRUE", "FALSE", "1400", "2400",     "-0",        "+", "-",
        "0x10",          "1e3", std::string(23, '9'), "\t",   "Hash",  "8",    "\xff\xfe", "Elo\n1500", "",  "1800.5"};
    std::mt19937 rng(28);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int n = int(rng() % 8); n > 0; --n)
            text += words[rng() % words.size()] + (rng() % 3 ? " " : "\n");
        // Random bytes now and then, cut anywhere.
        if (round % 4 == 0)
            for (int n = int(rng() % 12); n > 0; --n)
                text += char(rng() % 256);
        ResetSettings();
        Output([&] { ParseConfigText(text.data(), rng() % (text.size() + 1)); });
        EXPECT_TRUE(LimitStrength == 0 || LimitStrength == 1) << text;
        EXPECT_GE(StrengthElo, MinStrengthElo) << text;
        EXPECT_LE(StrengthElo, MaxStrengthElo) << text;
    }
    ResetSettings();
}
