// Colour symmetry: a position and its colour-flipped twin must score exactly
// opposite. This is what catches a black twin mirrored wrongly. The known,
// deliberate exceptions are recognised and checked on their own terms.
#include "eval/EvalTestSupport.h"

#include <cstdlib>

#include "eval/EvalTables.h"

namespace {

uint32_t RightsOf(Color c) {
    const int q = c == White ? WhiteQueenSide : BlackQueenSide, k = c == White ? WhiteKingSide : BlackKingSide;
    return (CastleSpoilers[q] == 0) + (CastleSpoilers[k] == 0);
}

struct Scored {
    int32_t score;
    int32_t verdict; // 0 when the recognizer is not asked
    PawnHashEntry pawns;
    bool noPawns;
    bool bishopKnightMate; // K+B+N against the bare king
    int32_t material;
    int32_t race; // the pawn-race term, when the driver adds it
    Square whiteKing, blackKing;
};

// Scores fen. With `shelters` given, the pawn entry's four shelter values are
// replaced by those (White king side, White queen side, Black king side, Black
// queen side) before the final evaluation.
Scored ScorePosition(const std::string &fen, bool development, const uint8_t *shelters = nullptr) {
    SetUpPosition(fen);
    if (development) {
        RootCastlingRights[White] = RightsOf(White);
        RootCastlingRights[Black] = RightsOf(Black);
    }
    Scored r{};
    r.score = FullEvaluate();
    if (shelters && PieceLists[WhitePawn][0] + PieceLists[BlackPawn][0] > 0) {
        CurrentPawnEntry->whiteShelterKingSide = shelters[0];
        CurrentPawnEntry->whiteShelterQueenSide = shelters[1];
        CurrentPawnEntry->blackShelterKingSide = shelters[2];
        CurrentPawnEntry->blackShelterQueenSide = shelters[3];
        r.score = FullEvaluate();
    }
    r.verdict = WhitePieceWeight < 9 && BlackPieceWeight < 9 ? RecognizeEnding(SideToMove == White) : 0;
    r.noPawns = PieceLists[WhitePawn][0] == 0 && PieceLists[BlackPawn][0] == 0;
    if (!r.noPawns) r.pawns = FreshPawnEntry();
    r.bishopKnightMate =
        (WhitePieceWeight == 6 && BlackPieceWeight == 0 && PieceLists[WhiteBishop][0] && PieceLists[WhiteKnight][0]) ||
        (BlackPieceWeight == 6 && WhitePieceWeight == 0 && PieceLists[BlackBishop][0] && PieceLists[BlackKnight][0]);
    r.material = Material;
    if (!r.noPawns) {
        const PawnHashEntry &e = *CurrentPawnEntry;
        if ((WhitePieceWeight == 0 && e.blackPassedFiles) || (BlackPieceWeight == 0 && e.whitePassedFiles))
            r.race = EvaluatePawnRace(SideToMove == White);
    }
    r.whiteKing = KingSquare(White);
    r.blackKing = KingSquare(Black);
    return r;
}

// Opposite-coloured bishops with the halving or quartering shifts.
bool OppositeBishopScaling() {
    return WhitePieceWeight < 12 && BlackPieceWeight < 12 && PieceLists[WhiteBishop][0] == 1 &&
           PieceLists[BlackBishop][0] == 1 &&
           ((SquareFile(PieceLists[WhiteBishop][1]) + SquareRank(PieceLists[WhiteBishop][1])) & 1) !=
               ((SquareFile(PieceLists[BlackBishop][1]) + SquareRank(PieceLists[BlackBishop][1])) & 1);
}

// The rook-pawn rules of the recognizer: one side has only rook pawns (and at
// most a minor piece), the other no pieces.
bool RookPawnEnding() {
    auto onlyRookPawns = [](PieceCode pawn) {
        if (PieceLists[pawn][0] == 0) return false;
        for (uint32_t i = 1; i <= PieceLists[pawn][0]; ++i) {
            const int f = SquareFile(PieceLists[pawn][i]);
            if (f != 1 && f != 8) return false;
        }
        return true;
    };
    return (BlackPieceWeight == 0 && WhitePieceWeight <= 3 && onlyRookPawns(WhitePawn)) ||
           (WhitePieceWeight == 0 && BlackPieceWeight <= 3 && onlyRookPawns(BlackPawn));
}

// Does file f hold pawns of one colour only?
bool OneColourOnFile(const PawnHashEntry &e, int f) {
    return ((e.whitePawnFiles ^ e.blackPawnFiles) & FileBit(f)) != 0;
}

// Returns whether the shelter values mirror exactly. They may not when the
// third file of a wing (c or f) holds pawns of one colour only: that file is
// examined for White first, and White's result already counts for Black's
// test, so the order of the two colours shows.
bool CheckPawnEntriesMirror(const PawnHashEntry &a, const PawnHashEntry &b) {
    EXPECT_EQ(a.score, -b.score);
    EXPECT_EQ(a.whitePassedFiles, b.blackPassedFiles);
    EXPECT_EQ(a.blackPassedFiles, b.whitePassedFiles);
    EXPECT_EQ(a.whitePawnFiles, b.blackPawnFiles);
    EXPECT_EQ(a.blackPawnFiles, b.whitePawnFiles);
    const bool kingSide =
        a.whiteShelterKingSide == b.blackShelterKingSide && a.blackShelterKingSide == b.whiteShelterKingSide;
    const bool queenSide =
        a.whiteShelterQueenSide == b.blackShelterQueenSide && a.blackShelterQueenSide == b.whiteShelterQueenSide;
    EXPECT_TRUE(kingSide || OneColourOnFile(a, 6));
    EXPECT_TRUE(queenSide || OneColourOnFile(a, 3));
    return kingSide && queenSide;
}

void CheckSymmetry(bool development) {
    int checked = 0, scaled = 0, rookPawn = 0, edge = 0, race = 0, shelter = 0;
    for (const std::string &fen : AllTestPositions()) {
        const std::string twin = FlipFen(fen);
        const Scored a = ScorePosition(fen, development);
        const bool scaling = OppositeBishopScaling(), rookPawns = RookPawnEnding();
        // The twin is scored with the original's shelter values mirrored, so
        // that everything else can be compared exactly.
        const uint8_t shelters[4] = {a.pawns.blackShelterKingSide, a.pawns.blackShelterQueenSide,
                                     a.pawns.whiteShelterKingSide, a.pawns.whiteShelterQueenSide};
        const Scored b = ScorePosition(twin, development, shelters);
        SCOPED_TRACE(fen + "  /  " + twin);
        ASSERT_EQ(a.noPawns, b.noPawns);
        if (!a.noPawns && !CheckPawnEntriesMirror(a.pawns, b.pawns)) ++shelter;

        // Verdicts swap colours, except that the rook-pawn rules are one
        // tempo apart between the colours.
        const int32_t swapped = a.verdict == -1 ? -2 : a.verdict == -2 ? -1 : 0;
        if (b.verdict != swapped && rookPawns) {
            ++rookPawn;
            continue;
        }
        if (a.race + b.race != 0) {
            // When both sides' passers run, only Black's count is reduced for
            // the move it has in hand, so a race Black wins on the move is
            // worth 10 more than the same race won by White on the move.
            EXPECT_EQ(std::abs(a.race + b.race), 10);
            EXPECT_EQ(a.score + b.score, a.race + b.race);
            ++race;
            continue;
        }
        if (scaling) {
            // The arithmetic shift rounds toward minus infinity: at most one
            // point apart.
            EXPECT_LE(std::abs(a.score + b.score), 1);
            ++scaled;
            continue;
        }
        if (a.noPawns && a.material != 0 && !a.bishopKnightMate) {
            // The lone-king edge table is read at the losing king's own square
            // for both colours and is not symmetric on b8/c8 versus b1/c1.
            const int32_t m = a.material > 0 ? 1 : -1;
            const Square loser = m > 0 ? a.blackKing : a.whiteKing;
            const int32_t skew = m * (EdgeTable.At<White>(loser) - EdgeTable.At<White>(MirrorSquare(loser)));
            if (skew != 0) ++edge;
            EXPECT_EQ(a.score + b.score, skew);
            continue;
        }
        EXPECT_EQ(a.score, -b.score);
        ++checked;
    }
    EXPECT_GT(checked, 380);
    std::printf("exact: %d, bishop scaling: %d, rook-pawn tempo: %d, edge table: %d, race: %d, shelter order: %d\n",
                checked, scaled, rookPawn, edge, race, shelter);
}

} // namespace

TEST(Symmetry, FlippedTwinScoresOppositeWithoutDevelopment) { CheckSymmetry(false); }

TEST(Symmetry, FlippedTwinScoresOppositeWithRootCastlingRights) { CheckSymmetry(true); }

TEST(Symmetry, FlipFenMirrorsEverything) {
    EXPECT_EQ(FlipFen("r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6"), "r3k2r/8/8/8/3Pp3/8/8/R3K2R b kQ d3");
}
