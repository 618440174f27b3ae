// Win/draw/loss chances from a score and the material on the board.
#include <climits>
#include <random>

#include "board/BoardTestSupport.h"
#include "search/SearchState.h"
#include "search/WinChances.h"

namespace {

// Materials from bare kings to beyond the start (promotions), and out of range on both sides.
const int32_t Materials[] = {-5, 0, 4, 10, 20, 35, 50, 64, 78, 90, 200};

void ExpectWhole(const WinChances &c, int32_t score, int32_t material) {
    EXPECT_EQ(c.win + c.draw + c.loss, 1000) << score << " at " << material;
    EXPECT_GE(std::min({c.win, c.draw, c.loss}), 0) << score << " at " << material;
}

} // namespace

TEST(WinChances, ShapeOverScoresAndMaterials) {
    for (int32_t material : Materials) {
        SCOPED_TRACE(material);
        const WinChances even = ChancesFromScore(0, material);
        EXPECT_EQ(even.win, even.loss) << "an even score favours no side";
        WinChances previous = ChancesFromScore(-5000, material);
        for (int32_t score = -5000; score <= 5000; score += 10) {
            const WinChances c = ChancesFromScore(score, material);
            ExpectWhole(c, score, material);
            EXPECT_GE(c.win, previous.win) << score;
            EXPECT_LE(c.loss, previous.loss) << score;
            EXPECT_LE(c.draw, even.draw) << score << ": the draw is likeliest at an even score";
            // The other side's view of the same position.
            const WinChances mirror = ChancesFromScore(-score, material);
            EXPECT_EQ(std::pair(c.win, c.draw), std::pair(mirror.loss, mirror.draw)) << score;
            previous = c;
        }
        // A queen up wins; a pawn up is no won game yet; a mate is sure.
        EXPECT_GT(ChancesFromScore(900, material).win, 900);
        EXPECT_LT(ChancesFromScore(100, material).win, 750);
        for (int32_t plies : {1, 9, 500}) {
            EXPECT_EQ(ChancesFromScore(MateValue - plies, material).win, 1000) << plies;
            EXPECT_EQ(ChancesFromScore(plies - MateValue, material).loss, 1000) << plies;
        }
    }
    // An even middlegame ends in a draw a fair share of the time.
    EXPECT_GT(ChancesFromScore(0, 60).draw, 200);
}

TEST(WinChancesFuzz, AnyScoreAndMaterial) {
    std::mt19937 random(28);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX), near(-40000, 40000);
    for (int i = 0; i < 20000; ++i) {
        const int32_t score = i % 2 ? any(random) : near(random);
        const int32_t material = i % 3 ? near(random) / 300 : any(random);
        ExpectWhole(ChancesFromScore(score, material), score, material);
    }
    for (int32_t score : {INT32_MIN, INT32_MIN + 1, -MateBound, MateBound, INT32_MAX})
        ExpectWhole(ChancesFromScore(score, INT32_MIN), score, INT32_MIN);
}

TEST(WinChances, MaterialLeftCountsBothSides) {
    // Pawns 1, knights and bishops 3, rooks 5, queens 9; kings nothing.
    const std::pair<const char *, int32_t> cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 78},
        {"3r2k1/5ppp/8/8/8/8/5PPP/6K1 w - - 0 1", 11},
        {"4k3/8/8/8/8/8/8/QQQQK3 b - - 0 1", 36},
    };
    for (const auto &[fen, material] : cases) {
        ASSERT_TRUE(SetUpBoard(fen)) << fen;
        EXPECT_EQ(MaterialLeft(), material) << fen;
    }
}
