// Generated tables in the engine: its own search agrees with their mate
// distances, and with them under "TbPath" it mates within the stated number
// of moves in a game against the tables' best defence.
#include <algorithm>
#include <filesystem>

#include "e2e/EngineProcess.h"
#include "search/SearchTestSupport.h"
#include "tablebase/GeneratorTestSupport.h"

using namespace gentest;

namespace {

struct WonPosition {
    std::string fen;
    uint32_t side;
    int32_t moves; // mate in
};

int LegalMoveCount() {
    MoveEntry list[MoveListSize];
    const uint32_t side = SideToMove, inCheck = SideInCheck(side);
    MoveEntry *end = GenerateSideMoves(side, list, inCheck, 0);
    int n = 0;
    for (MoveEntry *e = list; e < end; e++) {
        if (!MakeMove(side, inCheck, 1, e->move)) continue;
        UnmakeMove(side, e->move);
        n++;
    }
    return n;
}

// Won positions for the side to move, spread over the table, up to `count`
// of them with a mate in at most maxMoves.
std::vector<WonPosition> WonPositions(const std::string &name, int32_t maxMoves, size_t count, uint64_t spread) {
    std::vector<WonPosition> found;
    // About `spread` placements are tried, wherever the table's size puts them.
    const uint64_t placements = uint64_t(1) << (6 * LettersOf(name).size());
    const uint64_t stride = std::max<uint64_t>(1, placements / spread) | 1;
    const std::vector<char> letters = LettersOf(name);
    bool enough = false;
    ForEachPosition(
        name, true, stride,
        [&](const uint32_t *squares, uint32_t stm) {
            const int32_t v = ProbeValue(stm);
            // A single legal move is played without a search, so without a score.
            if (v <= 0 || 1000 - v > maxMoves || LegalMoveCount() < 2) return;
            found.push_back({Fen(letters, squares, stm), stm, 1000 - v});
            enough = found.size() >= count;
        },
        &enough);
    return found;
}

// Plays a move given as UCI text on the test's own board; false if it is not legal.
bool PlayText(const std::string &text) {
    MoveEntry list[MoveListSize];
    const uint32_t side = SideToMove, inCheck = SideInCheck(side);
    MoveEntry *end = GenerateSideMoves(side, list, inCheck, 0);
    for (MoveEntry *e = list; e < end; e++) {
        if (MoveText(e->move) != text) continue;
        if (!MakeMove(side, inCheck, 1, e->move)) return false;
        SideToMove = 1 - side;
        return true;
    }
    return false;
}

// The defence the tables call best: the move after which the attacker's
// win is longest (or gone).
std::string BestDefence(bool &mated) {
    MoveEntry list[MoveListSize];
    const uint32_t side = SideToMove, inCheck = SideInCheck(side);
    MoveEntry *end = GenerateSideMoves(side, list, inCheck, 0);
    std::string best;
    int32_t bestValue = 0;
    mated = false;
    for (MoveEntry *e = list; e < end; e++) {
        if (!MakeMove(side, inCheck, 1, e->move)) continue;
        const int32_t value = BackUp(ProbeValue(1 - side));
        UnmakeMove(side, e->move);
        if (best.empty() || value > bestValue) {
            best = MoveText(e->move);
            bestValue = value;
        }
    }
    mated = best.empty() && inCheck;
    return best;
}

// The engine plays the side to move of fen with the generated table `name`
// (and the tables it leads into) under "TbPath"; the test answers with the tables' best defence. Returns the
// number of the engine's moves until mate (-1 when no mate came).
int32_t PlayOut(const std::string &name, const std::string &fen, int32_t stated, int32_t &announced) {
    EngineProcess engine(false);
    const std::string tb = engine.PathOf("tb");
    std::filesystem::create_directory(tb);
    std::vector<int> ids = TbGenSubtables(TbGenTableId(name));
    ids.push_back(TbGenTableId(name));
    for (int id : ids)
        for (int side = 0; side < 2; side++)
            std::filesystem::copy_file(TbGenFilePath(TableDirectory(), id, side), TbGenFilePath(tb, id, side));
    engine.WriteFile("Morvane.ini", "BookLearn FALSE\nTbPath " + tb + "\nTbCache 4\nHash 8\n");
    if (!engine.Start()) return -1;
    engine.Send("uci");
    EXPECT_TRUE(SetupPosition(fen.c_str()));
    SelectMoveFunctions();
    std::string moves;
    announced = -1;
    for (int32_t played = 0; played <= stated; played++) {
        engine.Send("position fen " + fen + (moves.empty() ? "" : " moves" + moves));
        engine.Send("go infinite");
        bool found = false;
        const std::vector<std::string> info = engine.ReadUntilPrefix("info depth 3 score", &found);
        if (!found) return -1;
        if (played == 0) {
            const std::string &line = info.back();
            const size_t mate = line.find(" score mate ");
            announced = mate == std::string::npos ? 0 : std::max(0, std::stoi(line.substr(mate + 12)));
        }
        engine.Send("stop");
        const std::vector<std::string> end = engine.ReadUntilPrefix("bestmove ", &found);
        if (!found) return -1;
        std::string move = end.back().substr(9);
        move = move.substr(0, move.find(' ')); // without the expected reply
        EXPECT_TRUE(PlayText(move)) << move << " after" << moves;
        moves += " " + move;
        bool mated = false;
        const std::string reply = BestDefence(mated);
        if (mated) {
            engine.Send("quit");
            return played + 1;
        }
        if (reply.empty() || ProbeValue(SideToMove) == 0) return -1; // stalemate or the win is gone
        EXPECT_TRUE(PlayText(reply));
        moves += " " + reply;
    }
    engine.Send("quit");
    return -1;
}

} // namespace

// Without tables the search finds short mates by itself: exactly as long as
// the tables say (shorter would prove a table wrong, longer the search).
// With the tables it reports every won position's distance exactly.
TEST(GeneratorSearchTest, SearchFindsTheTablesMates) {
    EnsureSearchReady();
    const std::vector<std::string> names =
        Sanitized ? std::vector<std::string>{"kqk", "krk"} : std::vector<std::string>{"kqk", "kqkr", "krkn", "kbnk"};
    EnsureTables(names);
    for (const std::string &name : names) {
        StartTablebases(TableDirectory().c_str(), 16.0);
        const std::vector<WonPosition> shortMates = WonPositions(name, 3, Sanitized ? 3 : 12, 200000);
        const std::vector<WonPosition> anyMates = WonPositions(name, 200, Sanitized ? 3 : 12, 20000);
        ASSERT_FALSE(shortMates.empty()) << name;
        ASSERT_FALSE(anyMates.empty()) << name;
        for (const WonPosition &p : anyMates) {
            SetUpSearch(p.fen.c_str());
            ThinkQuietly();
            EXPECT_EQ(BestScore, MateValue - (2 * p.moves - 1)) << p.fen << " with tables";
        }
        StartTablebases("", 1.0);
        for (const WonPosition &p : shortMates) {
            SetUpSearch(p.fen.c_str());
            ThinkQuietly();
            EXPECT_EQ(BestScore, MateValue - (2 * p.moves - 1)) << p.fen << " without tables";
        }
    }
}

// Real games: the engine, with the generated tables, mates K+R vs K and
// K+B+N vs K from their longest wins against the best defence.
TEST(GeneratorEngineTest, MatesWithinTheStatedMoves) {
    const std::vector<std::string> names =
        Sanitized ? std::vector<std::string>{"krk"} : std::vector<std::string>{"krk", "kbnk"};
    EnsureTables(names);
    for (const std::string &name : names) {
        // The longest win with white to move that the sample meets.
        const std::vector<WonPosition> wins = WonPositions(name, 200, 400, Sanitized ? 20000 : 100000);
        ASSERT_FALSE(wins.empty());
        WonPosition longest = wins[0];
        for (const WonPosition &p : wins)
            if (p.side == White && p.moves > longest.moves) longest = p;
        int32_t announced = -1;
        const int32_t taken = PlayOut(name, longest.fen, longest.moves, announced);
        EXPECT_GT(taken, 0) << longest.fen;
        EXPECT_LE(taken, longest.moves) << longest.fen;
        EXPECT_EQ(announced, longest.moves) << longest.fen;
        EXPECT_GE(longest.moves, name == "krk" ? 10 : 20);
        std::printf("%s: %s mate in %d, announced %d, mated after %d\n", name.c_str(), longest.fen.c_str(),
                    longest.moves, announced, taken);
    }
}
