// Move text out (coordinates, thinking lines, the board) and in (coordinate words, SAN, best moves).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <random>

#include "board/MoveGenerator.h"
#include "search/SearchState.h"
#include "shell/MoveText.h"
#include "shell/ShellTestSupport.h"
#include "shell/TestSuite.h"

TEST(MoveTextOut, CoordinateAndThinkingLines) {
    // Castling as the king's move, upper-case promotions for both colours, "####" for a square off the board.
    for (auto [move, text] : {std::pair{MakeMoveWord(E8, C8, EmptySquare, CastlingFlag), "e8c8"},
                              {MakeMoveWord(E5, D6, BlackPawn, EnPassantFlag), "e5d6"},
                              {MakePromotionWord(B7, A8, BlackRook, WhiteKnight), "b7a8N"},
                              {MakePromotionWord(G2, H1, WhiteRook, BlackBishop), "g2h1B"}})
        EXPECT_EQ(Text(move), text);
    for (Move move : {Move(0), MakeMoveWord(0, E4), MakeMoveWord(E2, 0), MakeMoveWord(10, E4), MakeMoveWord(E2, 250)})
        EXPECT_EQ(Text(move), "####");
    // A thinking line's numbers; the selective depth and the table use are the same throughout.
    auto info = [](uint32_t depth, int32_t score, int64_t ms, uint64_t nodes, const char *pv, int bound = 0) {
        ThinkingInfo i;
        i.depth = depth, i.score = score, i.milliseconds = ms, i.nodes = nodes, i.pv = pv, i.bound = bound;
        i.selectiveDepth = 11, i.hashfull = 7;
        return i;
    };
    auto text = [](auto format, const ThinkingInfo &i) {
        char line[256];
        format(line, sizeof line, i);
        return std::string(line);
    };
    // xboard: the four numbers in their columns, then selective depth, speed and table hits, a tab, the line.
    EXPECT_EQ(text(FormatThinkingLine, info(7, 35, 1205, 45678, "e2e4 e7e5 ")),
              " 7  35    120     45678 11 37907 0\te2e4 e7e5 ");
    EXPECT_EQ(text(FormatThinkingLine, info(123, -32000, 123456789, 12345678901234ull, "a2a3 ")),
              "123 -32000 12345678 12345678901234 11 100000000 0\ta2a3 ")
        << "wider numbers in full";
    // A fail high or low marks the line; a node in the first millisecond counts as one.
    EXPECT_EQ(text(FormatThinkingLine, info(3, 40, 0, 10, "d2d4 ", 1)), " 3  40      0        10 11 10000 0\td2d4 !");
    EXPECT_EQ(text(FormatThinkingLine, info(3, 40, 0, 10, "d2d4 ", -1)), " 3  40      0        10 11 10000 0\td2d4 ?");
    // UCI: mate scores in whole moves (mating at ply 1 and 3, mated at ply 2 and 4), bounds, no blank at the end.
    const std::tuple<int32_t, int64_t, int, const char *> infos[] = {
        {20, 0, 0, "cp 20 nodes 1000 nps 1000000 hashfull 7 time 0 pv e2e4"},
        {-15, 100000, 1, "cp -15 lowerbound nodes 1000 nps 10 hashfull 7 time 100000 pv e2e4"},
        {32766, 10, -1, "mate 1 upperbound nodes 1000 nps 100000 hashfull 7 time 10 pv e2e4"},
        {32764, 1, 0, "mate 2 nodes 1000 nps 1000000 hashfull 7 time 1 pv e2e4"},
        {-32765, 1, 0, "mate -1 nodes 1000 nps 1000000 hashfull 7 time 1 pv e2e4"},
        {-32763, 1, 0, "mate -2 nodes 1000 nps 1000000 hashfull 7 time 1 pv e2e4"},
        {16383, 1, 0, "cp 16383 nodes 1000 nps 1000000 hashfull 7 time 1 pv e2e4"}};
    for (auto [score, ms, bound, expected] : infos) {
        ThinkingInfo i = info(5, score, ms, 1000, "e2e4 ", bound);
        i.line = 2;
        EXPECT_EQ(text(FormatUciInfoLine, i), "info depth 5 seldepth 11 multipv 2 score " + std::string(expected));
    }
    // The chances, when asked for, come right after the score and its bound.
    const std::tuple<int32_t, int, const char *> chances[] = {{32766, -1, "mate 1 upperbound wdl 1000 0 0 nodes 1000 "},
                                                              {-32763, 0, "mate -2 wdl 0 0 1000 nodes 1000 "},
                                                              {12, 1, "cp 12 lowerbound wdl "},
                                                              {-3000, 0, "cp -3000 wdl "}};
    for (auto [score, bound, expected] : chances) {
        ThinkingInfo i = info(5, score, 10, 1000, "e2e4 ", bound);
        i.wdl = true, i.material = 40;
        const std::string line = text(FormatUciInfoLine, i);
        EXPECT_TRUE(line.starts_with("info depth 5 seldepth 11 multipv 1 score " + std::string(expected))) << line;
        EXPECT_TRUE(line.ends_with(" time 10 pv e2e4")) << line;
    }
    ThinkingInfo tables = info(1, 0, 1, 1, "");
    tables.tbhits = 12;
    EXPECT_EQ(text(FormatUciInfoLine, tables),
              "info depth 1 seldepth 11 multipv 1 score cp 0 nodes 1 nps 1000 hashfull 7 tbhits 12 time 1")
        << "table hits once there are tables; no pv word without moves";
}

TEST(MoveTextOut, DisplayShowsRanksFromEightDownAndMarksStrayPieces) {
    SetUpGame("4k1n1/8/8/8/8/8/4P3/4K1N1 w - -");
    // A piece its list puts elsewhere, a king off its list square, a slot its list does not hold.
    Board[A1] = {1, WhiteRook};
    PieceLists[WhiteRook][1] = H8;
    Board[H8] = {0, BlackKing};
    Board[H1] = {7, WhiteBishop};
    PieceLists[WhiteBishop][7] = 0;
    EXPECT_EQ(Output(DisplayBoard), "\t\t. . . . k . n +k \n\t\t. . . . . . . . \n\t\t. . . . . . . . \n"
                                    "\t\t. . . . . . . . \n\t\t. . . . . . . . \n\t\t. . . . . . . . \n"
                                    "\t\t. . . . P . . . \n\t\t+R . . . K . N +B \n");
}

TEST(MoveTextIn, CoordinateWords) {
    const char promotion[] = "8/4P3/7k/8/8/8/3p2K1/8 w - - 0 1", rook[] = "4k3/8/8/8/8/8/3r4/4K3 w - - 0 1";
    const char castling[] = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    // Words taken (or refused) and the piece on the square afterwards; e1e2 walks into check.
    const std::tuple<const char *, std::vector<const char *>, bool, Square, PieceCode> cases[] = {
        {promotion, {"e7e8q", "e7e8Q", "e7e8=q", "e7e8=Q"}, true, E8, WhiteQueen},
        {"8/4P3/7k/8/8/8/3p2K1/8 b - -", {"d2d1=r"}, true, D1, BlackRook},
        {promotion, {"e7e8", "e7e8x", "e7e8=", "e7e8==q"}, false, E7, WhitePawn},
        {castling, {"e1g1"}, true, F1, WhiteRook},
        {castling, {"O-O", "0-0"}, false, E1, WhiteKing},
        {rook, {"e1e2", "draw", "e1e2x", "", "e1f1eeeeeeeeeeeeeeeeeeeeeeeeee"}, false, E1, WhiteKing}};
    for (const auto &[fen, words, accepted, square, piece] : cases)
        for (const char *word : words) {
            SetUpGame(fen);
            std::string out;
            EXPECT_EQ(TryMove(word, out), accepted ? 1u : 0u) << word;
            EXPECT_EQ(out, "") << word;
            EXPECT_EQ(GamePly, accepted ? 1u : 0u) << word;
            EXPECT_EQ(Board[square].piece, piece) << word;
        }
    // No moves while the game is frozen, and none beyond the record's capacity.
    std::string out;
    SetUpGame(StartPosition);
    GameResult = 0;
    EXPECT_EQ(TryMove("e2e4", out), 0u);
    GameResult = 3;
    GamePly = MaxGamePly - 1;
    EXPECT_EQ(TryMove("e2e4", out), 1u) << "the last ply the record holds";
    EXPECT_EQ(TryMove("e7e5", out), 0u);
    EXPECT_EQ(out.rfind("ERROR: ", 0), 0u) << out;
    EXPECT_EQ(std::tuple(GamePly, SideToMove), std::tuple(uint32_t(MaxGamePly), uint32_t(Black))) << "nothing was made";
    EXPECT_EQ(TryMove("draw", out), 0u);
    EXPECT_EQ(out, "") << "only real moves are reported";
    EngineSide = Black; // the engine's own move is refused the same way and it stops asking
    out = Output(ThinkAndMove);
    EXPECT_EQ(out.rfind("ERROR: ", 0), 0u) << out;
    EXPECT_EQ(EngineSide, 2u);
    Output(UndoMove);
    EXPECT_EQ(TryMove("e2e4", out), 1u) << "undo makes room again";
}

// SAN as typed (exact) and as game files write it (loose): the move read, "" for none.
TEST(MoveTextIn, AlgebraicText) {
    const char knights[] = "4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", stacked[] = "4k3/8/8/8/8/1N6/8/1N2K3 w - - 0 1";
    const char open[] = "rnbqkbnr/pppp1ppp/8/4p3/3PP3/8/PPP2PPP/RNBQKBNR w KQkq - 0 1";
    const char ep[] = "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 1";
    const char promo[] = "r3k2r/1P6/8/8/8/8/8/R3K2R w KQkq - 0 1", black[] = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
    const char pinned[] = "4k3/8/8/b7/8/8/3N4/4K3 w - - 0 1"; // pseudo-legal when no legal move has the text
    const char twin[] = "4k3/8/8/b7/8/8/3N4/4K1N1 w - - 0 1";
    const char *start = StartPosition;
    // Knights b1 and f3 both reach d2, e5 may take d6 en passant, g7 promotes
    // on g8 or by taking on h8 or f8, castling both ways but b1 is taken.
    const char *busy = "r3kn1r/ppp3P1/8/3pP3/8/5N2/PPP3PP/RN2K2R w KQq d6";
    const char *bishop = "4k3/8/8/8/1b6/2N5/8/4K1N1 w - -"; // "Ne2" needs no file
    using Rows = std::vector<std::array<const char *, 3>>;
    const Rows exact = {
        {knights, "Nfd2", "f3d2"}, {knights, "Nd2", ""},    {knights, "Nfe5", ""},      {stacked, "N1d2", "b1d2"},
        {stacked, "Nbd2", ""},     {open, "Qh5+", "d1h5"},  {open, "Qh5#", "d1h5"},     {open, "Qh5+#", ""},
        {open, "dxe5", "d4e5"},    {open, "xe5", ""},       {open, "de5", ""},          {open, "nf3", ""},
        {ep, "exd6ep", "e5d6"},    {ep, "e6ep", ""},        {promo, "O-O-O", "e1c1"},   {promo, "0-0", ""},
        {promo, "b8=N", "b7b8N"},  {promo, "b8Q", ""},      {promo, "bxa8=R", "b7a8R"}, {promo, "b8=q", ""},
        {black, "O-O", "e8g8"},    {pinned, "Nf3", "d2f3"}, {twin, "Nf3", "g1f3"}}; // a legal twin is preferred
    const Rows loose = {
        {start, "e4", "e2e4"},      {start, "e2-e4", "e2e4"}, {start, "Ng1-f3", "g1f3"}, {start, "N1f3", "g1f3"},
        {start, "e5", ""},          {start, "Ke2", ""},       {start, "", ""},           {start, "Zf3", ""},
        {start, "exd3", ""},        {start, "O-O", ""},       {busy, "Nd2", ""},         {busy, "N3d2", "f3d2"},
        {busy, "exd6e.p.", "e5d6"}, {busy, "d6", ""},         {busy, "gxh8Q", "g7h8Q"},  {busy, "gxf8=N", "g7f8N"},
        {busy, "g8q", "g7g8Q"},     {busy, "g8", ""},         {busy, "g8=K", ""},        {busy, "0-0", "e1g1"},
        {busy, "O-O-O", ""},        {bishop, "Ne2", "g1e2"},  {bishop, "Nce2", ""},      {busy, "Nbd2+", "b1d2"}};
    for (const SanReading reading : {SanReading::Exact, SanReading::Loose})
        for (const auto &[fen, san, expected] : reading == SanReading::Exact ? exact : loose) {
            SetUpGame(fen);
            char buffer[80];
            strcpy(buffer, san);
            Move m = 0;
            const std::string out = Output([&] { m = ParseSanMove(buffer, 1, reading); });
            EXPECT_EQ(m ? Text(m) : "", expected) << fen << " " << san;
            // Only typed text that is no move is answered, with the board after it.
            EXPECT_TRUE(m || reading == SanReading::Loose
                            ? out.empty()
                            : out.starts_with("Error recognizing move - ") && out.find("\n\t\t") != std::string::npos)
                << san << ": " << out;
        }
}

// Any text, in either reading: no crash, the position as it was, and the
// answer 0 or a generated move (a legal one when read loosely).
TEST(MoveTextFuzz, AlgebraicReadersTakeAnyText) {
    const char *positions[] = {StartPosition, "r3kn1r/ppp3P1/8/3pP3/8/5N2/PPP3PP/RN2K2R w KQq d6",
                               "r3k2r/8/8/b7/8/8/3N4/R3K2R b KQkq - 0 1"};
    const char *seeds[] = {"Nbd2", "exd6e.p.", "O-O-O", "gxh8=Q+", "0-0-0#", "e2-e4", "N1d2", "Kxe1", "a8=N"};
    const std::string alphabet = "NBRQKPabcdefgh012345678xX=+#-:Oo.ep!? ";
    std::mt19937 rng(5);
    for (const char *fen : positions) {
        SetUpGame(fen);
        const uint64_t key = HashKey;
        SelectMoveFunctions();
        MoveEntry list[MoveListSize];
        MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
        for (int i = 0; i < 1000; ++i) {
            std::string text = seeds[rng() % std::size(seeds)];
            if (i % 3 == 0) text.clear();
            for (int edits = int(rng() % 4); edits >= 0; --edits) {
                const size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
                const char c = alphabet[rng() % alphabet.size()];
                const uint32_t edit = rng() % 3; // insert, replace or cut
                if (edit == 0) text.insert(at, 1, c);
                if (edit == 1 && at < text.size()) text[at] = c;
                if (edit == 2) text.resize(at);
            }
            SCOPED_TRACE(std::string(fen) + " '" + text + "'");
            for (const SanReading reading : {SanReading::Exact, SanReading::Loose}) {
                char buffer[80];
                snprintf(buffer, sizeof buffer, "%s", text.c_str());
                Move m = 0;
                Output([&] { m = ParseSanMove(buffer, 1, reading); });
                ASSERT_EQ(HashKey, key);
                ASSERT_TRUE(m == 0 || std::any_of(list, end, [m](const MoveEntry &e) { return e.move == m; }));
                if (reading == SanReading::Loose && m != 0) {
                    ASSERT_TRUE(MakeMove(SideToMove, RootInCheck, 0, m));
                    UnmakeMove(SideToMove, m);
                }
            }
        }
    }
}

TEST(MoveTextIn, BestMoveOperations) {
    SetUpGame(StartPosition);
    MovesPerControl = 40;
    // Read at setup; a test position starts a time control and is checked for the game's end.
    const std::tuple<const char *, const char *, const char *, bool> cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Nf3+ e4; id \"x\";", "g1f3 e2e4 ", "", true},
        {"r3k2r/8/8/8/8/8/8/4K3 b kq - bm O-O-O;", "e8c8 ", "", true},
        {StartPosition, "", "", false},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - bm Kh7; id \"stalemate\";", "h8h7 ", "1/2-1/2 {Stalemate}\n", true},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - id \"no bm\";", "", "", false},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm Zz9 e4;", "#### e2e4 ",
         "Error recognizing move - Zz9\n", true}};
    for (auto [epd, moves, output, newControl] : cases) {
        MovesToGo = 3;
        const std::string out = Output([epd] { ASSERT_TRUE(SetupGame(epd)); });
        std::string read;
        for (uint32_t i = 0; i < BestMoveCount; ++i)
            read += Text(BestMoves[i]) + " ";
        EXPECT_EQ(read, moves) << epd;
        EXPECT_EQ(out.substr(0, out.find('\n') + 1), output) << epd;
        EXPECT_EQ(MovesToGo, newControl ? 40u : 3u) << epd;
    }
    MovesPerControl = MovesToGo = 0;
}
