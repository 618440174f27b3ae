// The game record, undo, repetitions and game ends; the engine's own move (input by pipe).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "search/SearchState.h"
#include "shell/GameEnd.h"
#include "shell/InputPoll.h"
#include "shell/ShellTestSupport.h"

namespace {

// What a game move changes and undo must bring back: the position and the game record.
std::vector<uint64_t> GameState() {
    std::vector<uint64_t> g = State();
    g.insert(g.end(), {MoveStack[0], MoveStack[1], BoardHistoryCount});
    for (uint32_t i = 0; i < BoardHistoryCount; ++i)
        g.insert(g.end(), std::begin(BoardHistory[i]), std::end(BoardHistory[i]));
    for (uint32_t i = 0; i <= GamePly; ++i)
        g.insert(g.end(), {PositionHistory[i].keyLow, PositionHistory[i].keyHigh});
    return g;
}

// The engine's move over an open standard input that holds nothing.
std::string Think() {
    StdinPipe pipe;
    return Output(ThinkAndMove);
}

const char Threefold[] = "1/2-1/2 {Draw by threefold repetition}\n";
const char Insufficient[] = "1/2-1/2 {Draw by insufficient material}\n";

} // namespace

TEST(GameRecord, UndoTakesEveryMoveBackExactlyWithTheBoardsBeforeIt) {
    SetUpGame("r3k2r/1P4p1/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1");
    const char *moves[] = {"e5d6", "g7g5", "e1c1", "e8g8", "b7a8Q", "f8a8", "h1h8", "g8h8"};
    std::vector<std::vector<uint64_t>> before;
    for (const char *m : moves) {
        before.push_back(GameState());
        PlayMoves({m});
        EXPECT_EQ(EpSquare, strcmp(m, "g7g5") ? 0u : uint32_t(G6));
    }
    for (int i = 7; i >= 0; --i) {
        EngineSide = 0;
        EXPECT_EQ(Output(UndoMove), "");
        EXPECT_EQ(EngineSide, 2u) << "undo leaves the engine in force mode";
        EXPECT_TRUE(GameState() == before[i]) << "after undoing " << moves[i];
    }
    EXPECT_EQ(Output(UndoMove), "Error undo: no moves\n");
    // The boards before the taken-back a2a3 count for the third occurrence.
    SetUpGame(StartPosition);
    EXPECT_EQ(PlayMoves({"e2e4", "e7e5", "g1f3", "g8f6", "f3g1", "f6g8", "a2a3"}), "");
    Output(UndoMove);
    EXPECT_EQ(PlayMoves({"g1f3", "g8f6", "f3g1", "f6g8"}), Threefold);
    // Past the fifty-move announcement the record slides; undo slides it back.
    SetUpGame(StartPosition);
    const char *const shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < BoardHistorySize; ++i)
        Output([&, i] { ASSERT_EQ(UserMove(shuffle[i % 4]), 1u); });
    const std::vector<uint64_t> full = GameState();
    Output([] { UserMove("g1f3"); });
    Output(UndoMove);
    EXPECT_TRUE(GameState() == full);
}

TEST(GameRecord, PawnMovesAndPromotionsStartTheHistoryAndRepetitionsAreOfTheSameSideToMove) {
    SetUpGame("k7/4P3/8/8/8/8/8/4K1N1 w - -");
    PlayMoves({"g1f3", "a8b7"});
    EXPECT_EQ(BoardHistoryCount, 2u);
    PlayMoves({"e7e8Q"});
    EXPECT_EQ(BoardHistoryCount, 1u) << "a promotion starts the record again";
    // After Nf3 Nf6 Ng1 Ng8, Nf3 made on the board alone (as the search makes it) repeats the board after
    // the first Nf3.
    SetUpGame("4k1n1/8/8/8/8/8/8/4K1N1 w - -");
    PlayMoves({"g1f3", "g8f6", "f3g1", "f6g8"});
    Board[F3] = Board[G1];
    Board[G1] = {0, EmptySquare};
    EXPECT_EQ(BoardRepeats(), 1u);
}

TEST(GameEnd, Announcements) {
    const std::tuple<const char *, std::vector<const char *>, const char *> cases[] = {
        {StartPosition, {"f2f3", "e7e5", "g2g4", "d8h4"}, "0-1 {Black mates}\n"},
        {"8/8/8/8/8/3q4/2k5/K7 b - - 0 1", {"d3b3"}, "1/2-1/2 {Stalemate}\n"},
        {StartPosition, {"e2e4", "e7e5", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"}, Threefold},
        // The set-up position is not in the record: the ninth move repeats.
        {StartPosition, {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3"}, Threefold},
        {"k7/8/8/8/8/8/1r6/K7 w - - 0 1", {"a1b2"}, Insufficient},
        {"k7/8/8/8/8/8/1r6/K2N1N2 w - - 0 1", {"d1b2"}, ""}, // two knights go on
        {"k7/8/8/8/8/8/1n6/K1B5 w - - 0 1", {"c1b2"}, Insufficient},
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", {"a1a8"}, "1-0 {White mates}\n"}};
    for (const auto &[fen, moves, announced] : cases) {
        SetUpGame(fen);
        EngineSide = 0;
        std::string out;
        for (size_t i = 0; i + 1 < moves.size(); ++i)
            ASSERT_EQ(PlayMoves({moves[i]}), "") << fen << " move " << i + 1;
        ASSERT_EQ(TryMove(moves.back(), out), 1u);
        // The engine stops playing once the game has ended; the interface sends the result.
        EXPECT_EQ(std::tuple(out, EngineSide, GameResult), std::tuple(announced, *announced ? 2u : 0u, 3u)) << fen;
    }
    std::string out;
    EXPECT_EQ(TryMove("g8h8", out), 0u) << "no move after a mate";
    SetUpGame("k7/8/8/8/8/8/1n6/K1B5 w - - 0 1");
    EXPECT_EQ(PlayMoves({"c1b2", "a8b7"}), std::string(Insufficient) + Insufficient) << "a user may go on after a draw";
    // The hundredth reversible move: boards no real position matches stand for the first 99.
    SetUpGame(StartPosition);
    for (uint32_t i = 0; i < 99; ++i)
        BoardHistory[i][0] = 1000 + i;
    BoardHistoryCount = 99;
    EXPECT_EQ(PlayMoves({"g1f3", "g8f6"}), "1/2-1/2 {Draw by 50 moves rule}\n");
    EXPECT_EQ(BoardHistoryCount, 101u);
    // Not while pondering: a move that ends the game is taken back and refused.
    SetUpGame("8/8/8/8/8/3q4/2k5/K7 b - - 0 1");
    EngineSide = 0;
    Pondering = 1;
    EXPECT_EQ(TryMove("d3b3", out), 0u);
    Pondering = 0;
    EXPECT_EQ(out, "");
    EXPECT_EQ(std::make_tuple(SideToMove, GamePly, EngineSide, GameResult), std::make_tuple(1u, 0u, 0u, 3u))
        << "the engine plays the side not to move again";
}

TEST(EngineMove, NoMoveInAFinishedPositionOrGameOrOverAGameChangingCommand) {
    for (auto [fen, result] : {std::pair{"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", 3u},
                               {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 3u},
                               {StartPosition, 2u}}) {
        SetUpGame(fen);
        EngineSide = SideToMove;
        GameResult = result;
        EXPECT_EQ(Think(), "") << fen;
        EXPECT_EQ(std::tuple(GamePly, EngineSide), std::tuple(0u, result == 3 ? 2u : SideToMove))
            << "without a move the loop must not ask again";
    }
    EngineClock = 600;
    MovesPerControl = MovesToGo = Increment = 0;
    for (const char *word : {"force", "setboard", "?"}) {
        SetUpGame(StartPosition);
        EngineSide = White;
        strcpy(PendingCommand, word); // as the input check parks it
        const std::string out = Think();
        EXPECT_EQ(GamePly, word[0] == '?' ? 1u : 0u) << word;
        EXPECT_STREQ(PendingCommand, word) << "left for the loop";
        // Other words still let it play, announced after an empty line, with the summary line.
        const size_t at = out.find("\n\nmove " + Text(GameMoves[0]) + "\n");
        EXPECT_TRUE(word[0] != '?' || (at != std::string::npos && out.find("Eval = ") < at &&
                                       out.find("\ntellics whisper ", at) < out.find("\nTime elapsed: ", at)))
            << out;
    }
}

TEST(EngineMove, SummaryLineAndResignRule) {
    EXPECT_EQ(KnpsOf(5009999, 2000), 250u) << "truncated";
    EXPECT_EQ(KnpsOf(123456, 0), 0u) << "no time yet";
    char line[512];
    for (auto [score, depth, computer, expected] :
         {std::tuple{35, 9u, 0, "tellics whisper 0.35/9 250 Knps pv = e7e5 g1f3"},
          {-150, 12u, 0, "tellics whisper -1.5/12 250 Knps pv = e7e5 g1f3"},
          {32760, 3u, 1, "tellics kibitz 327.6/3 250 Knps pv = e7e5 g1f3"}}) {
        OpponentIsComputer = uint8_t(computer);
        FormatMoveSummary(line, sizeof(line), score, depth, 250, "e7e5 g1f3");
        EXPECT_STREQ(line, expected);
    }
    OpponentIsComputer = 0;
    // Resign on three scores below -800, each lower than the one before.
    const std::tuple<std::vector<int32_t>, uint8_t, bool> cases[] = {
        {{-801, -850, -900}, 1, true},  {{-900, -850, -801}, 1, false},      {{-801, -850, -850}, 1, false},
        {{-800, -850, -900}, 1, false}, {{-800, -850, -900, -950}, 1, true}, {{-801, -850, -900}, 0, false}};
    for (const auto &[scores, enabled, resigns] : cases) {
        ResignEnabled = enabled;
        std::fill_n(RecentScores, 3, 0);
        std::string out;
        for (int32_t score : scores) {
            EXPECT_EQ(out, "") << "too early";
            BestScore = score;
            out = Output(CheckResign);
        }
        EXPECT_EQ(out, resigns ? "resign\n" : "") << scores[0] << " " << scores.back();
        EXPECT_EQ(RecentScores[2], enabled ? scores.back() : 0) << "switched off, the scores are not even kept";
    }
    ResignEnabled = 1;
}
