// Chess960 through the binary in both protocols: the castling texts each one
// expects and the FEN styles (whole games are refereed in GamesTest).
#include <gtest/gtest.h>

#include <utility>

#include "e2e/EngineProcess.h"

using namespace e2e;

namespace {

// White mates at once only by castling long: the rook lands on d1 and checks
// along the open d-file a king walled in by its own rooks and pawns.
const char MateByCastling960[] = "2rkr3/2p1p3/8/8/8/8/8/RK6 w A - 0 1";
const char MateByCastlingStandard[] = "2rkr3/2p1p3/8/8/8/8/8/R3K3 w Q - 0 1";

std::string BestMove(UciEngine &engine, const std::string &position) {
    return BestMoveOf(engine.Go(position, "go depth 3"));
}

} // namespace

TEST(Chess960Uci, CastlingTextsInBothModes) {
    UciEngine engine;
    const std::string beforeCastling = "startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 ";
    const std::string castled = "r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq -";
    // Chess960 mode (switched on, then off again): always king takes rook; standard mode: e1c1 in the standard
    // layout, king takes rook in any other (X-FEN rights too). Either text is taken as castling in both modes.
    for (const bool chess960 : {true, false}) {
        engine.Send(std::string("setoption name UCI_Chess960 value ") + (chess960 ? "true" : "false"));
        EXPECT_EQ(BestMove(engine, std::string("fen ") + MateByCastlingStandard), chess960 ? "e1a1" : "e1c1");
        EXPECT_EQ(BestMove(engine, std::string("fen ") + MateByCastling960), "b1a1");
        EXPECT_EQ(BestMove(engine, "fen 2rkr3/2p1p3/8/8/8/8/8/RK6 w Q - 0 1"), "b1a1") << "X-FEN";
        for (const char *castling : {"e1g1", "e1h1"})
            EXPECT_TRUE(referee::IsLegalIn(castled, BestMove(engine, beforeCastling + castling))) << castling;
    }
    // The mate is reported as one, with the castling in the variation.
    const std::string lines = Joined(engine.Go(std::string("fen ") + MateByCastling960, "go depth 2"));
    EXPECT_NE(lines.find("score mate 1 "), std::string::npos) << lines;
    EXPECT_NE(lines.find(" pv b1a1"), std::string::npos) << lines;
}

TEST(Chess960Xboard, VariantCastlingAndPerft) {
    XboardEngine engine;
    EXPECT_NE(Joined(engine.intro).find(" variants=\"normal,fischerandom\""), std::string::npos)
        << Joined(engine.intro);
    engine.Send("xboard\nprotover 2");
    EXPECT_EQ(engine.Run({"variant crazyhouse"}), Lines{"Error (unsupported variant): crazyhouse"});
    // The engine finds the mate and sends it as O-O-O.
    engine.Send(std::string("new\nvariant fischerandom\nforce\nsetboard ") + MateByCastling960 + "\nsd 3\ngo");
    Lines lines = engine.ReadUntilPrefix("move ");
    EXPECT_EQ(lines.empty() ? "" : lines.back(), "move O-O-O");
    EXPECT_EQ(Count(engine.Sync(), "1-0 {White mates}"), 1);
    EXPECT_EQ(engine.Run({"force", "undo", "O-O", "O-O-O"}), (Lines{"Illegal move: O-O", "1-0 {White mates}"}));
    // "list" shows castling as the interface writes it; perft counts it.
    const Lines list = engine.Run({"setboard 1r3kr1/8/8/8/8/8/8/1R3KR1 w GBgb - 0 1", "list", "perft 1"});
    ASSERT_GE(list.size(), 4u);
    EXPECT_TRUE(list[1].starts_with("   O-O O-O-O ")) << Joined(list);
    // Counted by hand: 11 + 8 rook moves, 3 king steps and O-O-O (O-O would leave the king on g1
    // facing the rook on g8).
    EXPECT_TRUE(Count(list, "Total nodes: 23\t") == 1) << Joined(list);
    // Edit mode grants the outermost rooks' rights of a king on its first rank, in Chess960 only.
    const Lines edited = engine.Run({"edit", "#", "Ra1", "Kb1", "Rh1", "c", "Ke8", ".", "list"});
    EXPECT_TRUE(Count(edited, "   O-O O-O-O ") == 1) << Joined(edited);
    const Lines standard = engine.Run({"variant normal", "edit", "#", "Ra1", "Kb1", "Rh1", "c", "Ke8", ".", "list"});
    EXPECT_TRUE(Count(standard, "   O-O") == 0 && Count(standard, "  b1h1") == 0) << Joined(standard);
    // Back to standard chess: the king's two-square move again.
    EXPECT_TRUE(
        engine.Run({"variant normal", "setboard r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1h1", "e8c8"}).empty());
    const Lines after = engine.Run({"list"});
    EXPECT_EQ(Count(after, "  e1g1"), 0) << "white has castled" << Joined(after);
}
