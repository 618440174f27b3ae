// The root book lookup and the "book" listing: style classes, compulsory
// moves, main-book weights, halving, shares, repeats, misses and the choice.
#include "book/BookTestSupport.h"

using namespace booktest;

namespace {

// Writes both books for the position of fen and loads them. Each holds "move value" pairs (main: weights,
// style: classes) for the position after the move (coordinate text); "pin" names the position after the
// pinned knight's move of the last row, as if legal.
void Books(const char *fen, const std::string &main, const std::string &style) {
    for (uint32_t book = 0; book < 2; ++book) {
        const char *name = book ? "MVstyle.book" : "Morvane.book";
        std::vector<BookRecord> records;
        std::istringstream in(book ? style : main);
        std::string move;
        for (int value; in >> move >> value;) {
            SetupPosition(fen);
            for (const MoveEntry &e : LegalList())
                if (Text(e.move) == move) MakeMove(SideToMove, RootInCheck, 0, e.move);
            if (move == "pin") {
                Board[C3].piece = std::exchange(Board[E2].piece, EmptySquare);
                SyncOccupied();
            }
            SideToMove ^= 1;
            records.push_back(book ? KeyWith(int8_t(value), 2) : KeyWith(2, value));
        }
        WriteBook(name, records);
        Output([&] { LoadBookFile(name, book); });
    }
    SetupPosition(fen);
}

const char *Start = StartPosition;

class BookLookupTest : public ScratchDir {};

} // namespace

TEST_F(BookLookupTest, ChoosesAndListsByBothBooks) {
    struct Row {
        const char *fen, *main, *style;
        const char *printed; // share lines; none when the books have no move
        const char *chosen;  // move and score, with the generator seeded 1, whose first number is 41
        const char *repeat = "";
    };
    const Row rows[] = {
        // Class 0 is good for White, 1 good for Black, 2 neutral, 4 compulsory.
        {Start, "e2e4 5 d2d4 5 c2c4 3", "e2e4 1 d2d4 2", "d2d4\t 62.5 %\nc2c4\t 37.5 %\n", "d2d4 5"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", "", "e7e5 1 c7c5 0 e7e6 2", "e7e5\t  100 %\n",
         "e7e5 7"},
        // Main-book weights multiply; a score of 1 is no book move, weights of 0 or less change nothing.
        {Start, "e2e4 5 d2d4 1 g1f3 3 c2c4 -8", "g1f3 0", "g1f3\t 80.7 %\ne2e4\t 19.2 %\n", "g1f3 21"},
        {Start, "d2d4 1", "", "", ""},
        {Start, "d2d4 30000 b2b3 2", "d2d4 0 b2b3 4", "b2b3\t  100 %\n", "b2b3 20"},
        // Totals above 32000 are halved; the pick is the first with r < running sum (r = 41 % 9 = 5 below).
        {Start, "e2e4 16100 d2d4 16200", "", "d2d4\t 50.1 %\ne2e4\t 49.8 %\n", "d2d4 8100"},
        {Start, "e2e4 4 d2d4 5", "", "d2d4\t 55.5 %\ne2e4\t 44.4 %\n", "e2e4 4"},
        {Start, "e2e4 50 d2d4 3", "", "d2d4\t  100 %\n", "d2d4 3", "e2e4"},
        {"4k3/4r3/8/8/8/8/4N3/4K3 w - -", "pin 40 e1d1 4", "", "e1d1\t  100 %\n", "e1d1 4"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.fen) + " " + row.printed);
        Books(row.fen, row.main, row.style);
        std::vector<MoveEntry> list = LegalList(row.repeat);
        const std::vector<MoveEntry> before = list;
        const uint64_t key = HashKey;
        BookMisses = 0;
        SeedRandomNumbers(1);
        bool found = false;
        EXPECT_EQ(Lookup(list, found), row.printed);
        EXPECT_EQ(found ? Text(list[0].move) + " " + std::to_string(list[0].score) : "", row.chosen);
        EXPECT_EQ(BookMisses, found ? 0u : 1u);
        EXPECT_TRUE(found || std::memcmp(list.data(), before.data(), list.size() * sizeof(MoveEntry)) == 0);
        if (!*row.repeat) { // the listing knows no game history
            BookMisses = 3; // and shows the books when the root no longer asks them
            EXPECT_EQ(Output(ListBookMoves), "List of book moves\n" + std::string(row.printed) + "end of list\n");
            EXPECT_EQ(BookMisses, 3u);
        }
        EXPECT_EQ(HashKey, key); // the moves tried were taken back
    }
}

TEST_F(BookLookupTest, ThreeMissesInARowStopTheQuestions) {
    Books(Start, "", "");
    std::vector<MoveEntry> list = LegalList();
    bool found = true;
    for (uint32_t miss = 1; miss <= 3; ++miss) {
        EXPECT_EQ(Lookup(list, found), "");
        EXPECT_EQ(BookMisses, miss);
    }
    Books(Start, "e2e4 50", "");
    EXPECT_EQ(Lookup(list, found), "");
    EXPECT_EQ(BookMisses, 3u);
    BookMisses = 0;
    EXPECT_EQ(Lookup(list, found), "e2e4\t  100 %\n");
    EXPECT_TRUE(found);
}
