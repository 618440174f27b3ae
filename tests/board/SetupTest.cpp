#include <random>
#include <sstream>

#include "board/BoardTestSupport.h"
#include "board/Perft.h"
#include "search/SearchState.h"
#include "shell/GameSetup.h"
#include "shell/ShellState.h"
#include "shell/TestSuite.h"

namespace {

constexpr int Rounds = SanitizedBuild ? 3000 : 20000;

const std::string SampleTexts[] = {
    StartPosition,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "4k3/8/8/8/8/8/8/4K2R w K - bm O-O; id \"x\";",
    "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
    "1r2k1rr/8/8/8/8/8/8/RR2K2R w KBgq -",
    "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - acd 5; bm Qg6; id \"WAC.001\";\r",
};

// One attempt: refused leaves the root untouched, accepted gives a consistent
// position that generation and make/unmake can walk.
bool Try(const char *text) {
    const auto before = std::pair(State(), BestMoveCount);
    if (!SetupGame(text)) {
        EXPECT_EQ(std::pair(State(), BestMoveCount), before) << "refused but changed: " << text;
        return false;
    }
    EXPECT_EQ(PositionInconsistency(), "") << text;
    EXPECT_LE(BestMoveCount, uint32_t(MaxBestMoves));
    const auto root = State();
    PerftRoot(2);
    EXPECT_EQ(State(), root) << "perft did not restore: " << text;
    return true;
}

// A setup that must be refused: what it printed.
std::string Refused(const char *text) {
    return Output([text] { EXPECT_FALSE(Try(text)) << text; });
}

} // namespace

TEST(Setup, ReadsTheFields) {
    const std::pair<const char *, const char *> cases[] = {
        {StartPosition, "w KQkq -"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w Kq -", "w Kq -"},
        {"4k3/8/8/8/4P3/8/8/4K3 b - e3", "b - e3"},
        {"4k3/8/8/8/3p4/8/8/4K3 W - -", "w - -"},
        {"  4k3/8/8/8/8/8/8/4K2R  w   K\r", "w K -"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\r", "w KQkq -"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6", "w - d6"}, // en passant only where a capture can be
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d3", "w - -"},
        {"4k3/3p4/8/3pP3/8/8/8/4K3 w - d6", "w - -"},
        {"4k3/8/8/3pP3/8/8/8/4K3 b - d6", "b - -"},
        {"4k3/8/8/8/7b/8/8/4K3 w - -", "w - - +"},
        // Rook files and X-FEN letters in; X-FEN out, with a file only where K or Q would name another rook.
        {"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf -", "w KQkq -"},
        {"1r2k1rr/8/8/8/8/8/8/RR2K2R w BHbg -", "w KBgq -"},
        {"1r2k1rr/8/8/8/8/8/8/RR2K2R w KQkq -", "w KQkq -"},
    };
    for (auto [text, summary] : cases) {
        ASSERT_TRUE(SetUpBoard(text)) << text;
        std::string board;
        std::istringstream(text) >> board;
        EXPECT_EQ(PositionFen() + (RootInCheck ? " +" : ""), board + " " + summary);
        EXPECT_EQ(PositionInconsistency(), "") << text;
        const auto [fen, state] = std::pair(PositionFen(), State()); // and what is written reads back the same
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        EXPECT_EQ(std::pair(PositionFen(), State()), std::pair(fen, state)) << text;
    }
}

TEST(Setup, RefusesMalformedText) {
    ASSERT_TRUE(SetupGame("r3k2r/p6p/8/3pP3/8/8/P6P/R3K2R w KQkq d6 bm O-O;"));
    const std::pair<const char *, const char *> cases[] = {
        {"", "empty position"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq -", "'X' is not a piece letter or square count"},
        {"4k3/8/8/9/8/8/8/4K3 w - -", "'9' is not a piece letter or square count"},
        {"4k3/8/8/8/8/8/8/4K4 w - -", "rank 1 of the board is too long"},
        {"4k3/8/8/8/8/8/8/4K2 w - -", "rank 1 of the board is too short"},
        {"4k3/8/8/8/8/8/4K3 w - -", "the board has fewer than eight rows"},
        {"4k3/8/8/8/8/8/8/4K3/8 w - -", "the board has more than eight rows"},
        {"8/8/8/8/8/8/8/4K3 w - -", "black has no king"},
        {"4k3/8/8/8/8/8/8/K3K3 w - -", "white has more than one king"},
        {"4k3/8/8/8/8/NNNNNNNN/N7/4K3 w - -", "white has more than eight pieces of one kind"},
        {"4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - -", "white has more pieces than pawns could promote to"},
        {"4k2P/8/8/8/8/8/8/4K3 w - -", "a pawn stands on the first or eighth rank"},
        {"4k3/8/8/8/8/8/8/4K3", "missing side to move"},
        {"4k3/8/8/8/8/8/8/4K3 white - -", "missing side to move"},
        {"4k3/8/8/8/8/8/8/4K3 w  \r", "missing castling field"},
        {"4k3/8/8/8/8/8/8/4K2R w KX -", "bad castling field"},
        // A right needs its king on the first rank and its rook beside it.
        {"4k3/8/8/8/8/8/8/R3K3 w KQ -", "castling right 'K' without its king and rook"},
        {"r3k2r/8/8/8/8/8/4K3/R6R w Q -", "castling right 'Q' without its king and rook"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w E -", "castling right 'E' without its king and rook"},
        {"r3k2r/8/8/8/8/8/8/R3KR1R w HF -", "the king is not between its castling rooks"},
        {"4k3/8/8/8/8/8/8/4K3 w -K -", "bad castling field"},
        {"4k3/8/8/8/8/8/8/4K3 w - e9", "the en-passant field is not a square"},
        {"4k3/8/8/8/8/8/8/4K3 w - e33", "the en-passant field is not a square"},
        {"8/8/8/3kK3/8/8/8/8 w - -", "the side not to move is in check"},
        {"4k3/8/\x01/8/8/8/8/4K3 w - -", "character 1 is not a piece letter or square count"},
        {nullptr, "empty position"},
    };
    for (auto [text, message] : cases)
        EXPECT_EQ(Refused(text), "ERROR: " + std::string(message) + "\n") << (text ? text : "null");
    EXPECT_EQ(std::string(BestMoveTexts[0]) + std::to_string(BestMoveCount), "O-O1") << "refusals keep the best moves";
}

TEST(Setup, GameSetupResetsTheGame) {
    ASSERT_TRUE(SetUpBoard(StartPosition));
    Castled[White] = Castled[Black] = 1;
    MoveStack[0] = MoveStack[1] = 1234;
    RecentScores[0] = RecentScores[1] = RecentScores[2] = 55;
    GamePly = 7;
    BoardHistoryCount = 9;
    EngineSide = White;
    GameResult = BlackWon;
    ASSERT_TRUE(SetupGame(StartPosition));
    EXPECT_EQ(Castled[White] + Castled[Black] + MoveStack[0] + MoveStack[1] + GamePly + BoardHistoryCount, 0u);
    EXPECT_EQ(RecentScores[0] | RecentScores[1] | RecentScores[2], 0);
    EXPECT_EQ(std::pair(EngineSide, GameResult), std::pair(NoEngineSide, GameInProgress));
}

// Every beginning of each sample text, then the samples with random edits, then random strings.
TEST(SetupFuzz, TruncatedMutatedAndRandomStrings) {
    ASSERT_TRUE(SetUpBoard(StartPosition));
    testing::internal::CaptureStdout(); // a line per refusal
    for (const std::string &sample : SampleTexts)
        for (size_t n = 0; n <= sample.size() && !HasFailure(); n++)
            Try(sample.substr(0, n).c_str());
    std::mt19937 rng(12345);
    const std::string alphabet = "pnbrqkPNBRQK12345678/ -wWbBxKQkqe3e6a9;\"\r\t.?0#+=!HAhaFGcd";
    auto pick = [&](size_t n) { return size_t(rng() % uint32_t(n)); };
    int accepted = 0;
    for (int round = 0; round < Rounds && !HasFailure(); round++) {
        std::string s = round % 4 ? SampleTexts[pick(std::size(SampleTexts))] : "";
        for (size_t i = 0, length = round % 4 ? 0 : pick(80); i < length; i++) // mostly notation, some any byte
            s += pick(10) == 0 ? char(1 + pick(255)) : alphabet[pick(alphabet.size())];
        for (size_t e = 0, edits = round % 4 ? 1 + pick(4) : 0; e < edits && !s.empty(); e++) {
            const size_t at = pick(s.size()), how = pick(4); // overwrite, insert, delete, cut off the rest
            const size_t removed[] = {1, 0, 1, std::string::npos};
            s.replace(at, removed[how], how < 2 ? 1 : 0, alphabet[pick(alphabet.size())]);
        }
        EXPECT_TRUE(SetupPosition(SampleTexts[pick(std::size(SampleTexts))].c_str()));
        accepted += Try(s.c_str());
    }
    const std::string out = testing::internal::GetCapturedStdout();
    if (HasFailure()) std::fputs(out.c_str(), stdout);
    EXPECT_GT(accepted, Rounds / 50) << "both outcomes must be well exercised";
    EXPECT_LT(accepted, Rounds - Rounds / 10);
}
