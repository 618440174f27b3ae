// The root book lookup: style classes, compulsory moves, main-book weights,
// the halving, the share lines, misses, repeated positions and the random
// choice; and the "book" listing.
#include <cstring>
#include <set>

#include "board/MoveGenerator.h"
#include "board/Setup.h"
#include "book/BookTestSupport.h"
#include "shell/MoveText.h"

using namespace booktest;

namespace {

constexpr int32_t RepeatScore = 2000000111;

class BookLookupTest : public ScratchDir {
  protected:
    static void SetUpTestSuite() { PrepareBoard(); }
    void SetUp() override {
        ScratchDir::SetUp();
        SetUp(StartPosition);
    }
    void SetUp(const char *fen) {
        ASSERT_TRUE(SetupPosition(fen));
        SelectMoveFunctions();
    }

    // Legal moves of the side to move, as the root hands them over, with
    // distinct scores so that order and scores can be checked.
    std::vector<MoveEntry> RootList() {
        MoveEntry list[MoveListSize];
        MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
        std::vector<MoveEntry> out;
        for (MoveEntry *e = list; e < end; ++e) {
            if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) continue;
            UnmakeMove(SideToMove, e->move);
            out.push_back({e->move, int32_t(1000 - out.size())});
        }
        return out;
    }
    static Move Find(const std::vector<MoveEntry> &list, const std::string &text) {
        for (const MoveEntry &e : list) {
            const std::string coordinates = SquareText(MoveFrom(e.move)) + SquareText(MoveTo(e.move));
            if (coordinates == text) return e.move;
        }
        ADD_FAILURE() << "no move " << text;
        return 0;
    }
    static std::string Text(Move m) {
        char buffer[16];
        MoveToText(buffer, m);
        return buffer;
    }
    // The record of the position after the move (key with the side to move after it).
    BookRecord After(Move m, int8_t bookClass, int32_t weight) {
        const uint32_t side = SideToMove;
        EXPECT_TRUE(MakeMove(side, RootInCheck, 0, m));
        SideToMove = side ^ 1;
        const BookRecord r = KeyWith(bookClass, weight);
        SideToMove = side;
        UnmakeMove(side, m);
        return r;
    }
    void Books(const std::vector<BookRecord> &mainRecords, const std::vector<BookRecord> &styleRecords) {
        WriteBook("Morvane.book", mainRecords);
        WriteBook("MVstyle.book", styleRecords);
        ::testing::internal::CaptureStdout();
        LoadBookFile("Morvane.book", 0);
        LoadBookFile("MVstyle.book", 1);
        ::testing::internal::GetCapturedStdout();
    }
    // Runs the lookup for the side to move; returns the printed lines.
    std::string Lookup(std::vector<MoveEntry> &list, size_t &left) {
        ::testing::internal::CaptureStdout();
        MoveEntry *b = list.data(), *e = b + list.size();
        MoveEntry *r = SideToMove == White ? BookLookupWhite(b, e) : BookLookupBlack(b, e);
        left = size_t(r - b);
        return ::testing::internal::GetCapturedStdout();
    }
};

// Lines of equal share come in list order; compare them as a set.
std::multiset<std::string> Lines(const std::string &out) {
    std::multiset<std::string> lines;
    size_t start = 0, end;
    while ((end = out.find('\n', start)) != std::string::npos) {
        lines.insert(out.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool SameList(const std::vector<MoveEntry> &a, const std::vector<MoveEntry> &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].move != b[i].move || a[i].score != b[i].score) return false;
    return true;
}

} // namespace

TEST_F(BookLookupTest, EmptyBooksCountMissesAndStopAskingAtThree) {
    Books({}, {});
    for (uint32_t miss = 1; miss <= 3; ++miss) {
        std::vector<MoveEntry> list = RootList(), before = list;
        size_t left = 0;
        EXPECT_EQ(Lookup(list, left), "");
        EXPECT_EQ(left, list.size());
        EXPECT_TRUE(SameList(list, before));
        EXPECT_EQ(BookMisses, miss);
    }
    // From the third miss on the books are not asked, even with a book move.
    std::vector<MoveEntry> list = RootList();
    Books({After(Find(list, "e2e4"), 0, 50)}, {});
    size_t left = 0;
    EXPECT_EQ(Lookup(list, left), "");
    EXPECT_EQ(left, list.size());
    EXPECT_EQ(BookMisses, 3u);
    BookMisses = 0;
    Lookup(list, left);
    EXPECT_EQ(left, 1u);
}

TEST_F(BookLookupTest, StyleClassesForWhite) {
    std::vector<MoveEntry> list = RootList();
    const Move e4 = Find(list, "e2e4");
    // Good for White (class 0), absent from the main book: score 7, the only choice.
    Books({}, {After(e4, 0, 7)});
    size_t left = 0;
    EXPECT_EQ(Lookup(list, left), Text(e4) + "\t  100 %\n");
    ASSERT_EQ(left, 1u);
    EXPECT_EQ(list[0].move, e4);
    EXPECT_EQ(list[0].score, 7);

    // Class 1 (good for Black) removes the move for White; class 2 is neutral.
    list = RootList();
    const Move d4 = Find(list, "d2d4"), c4 = Find(list, "c2c4");
    Books({After(e4, 0, 5), After(d4, 0, 5), After(c4, 0, 5)}, {After(e4, 1, 0), After(d4, 2, 2)});
    const std::string out = Lookup(list, left);
    EXPECT_EQ(Lines(out), Lines(Text(d4) + "\t   50 %\n" + Text(c4) + "\t   50 %\n"));
    ASSERT_EQ(left, 1u);
    EXPECT_TRUE(list[0].move == d4 || list[0].move == c4);
}

TEST_F(BookLookupTest, StyleClassesForBlackReadTheOtherWay) {
    SetUp("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
    std::vector<MoveEntry> list = RootList();
    const Move e5 = Find(list, "e7e5"), c5 = Find(list, "c7c5"), e6 = Find(list, "e7e6");
    Books({}, {After(e5, 1, 7), After(c5, 0, 7), After(e6, 2, 2)});
    size_t left = 0;
    EXPECT_EQ(Lookup(list, left), Text(e5) + "\t  100 %\n");
    ASSERT_EQ(left, 1u);
    EXPECT_EQ(list[0].move, e5);
}

TEST_F(BookLookupTest, MainBookWeightsMultiply) {
    std::vector<MoveEntry> list = RootList();
    const Move e4 = Find(list, "e2e4"), d4 = Find(list, "d2d4"), nf3 = Find(list, "g1f3");
    // Weight 5 absent from the style book scores 5; weight 1 scores 1 and is
    // dropped; a good style move (7) with weight 3 scores 21; weights of 0
    // or below leave the score alone.
    Books({After(e4, 0, 5), After(d4, 0, 1), After(nf3, 0, 3), After(Find(list, "c2c4"), 0, -8)}, {After(nf3, 0, 7)});
    size_t left = 0;
    EXPECT_EQ(Lookup(list, left), Text(nf3) + "\t 80.7 %\n" + Text(e4) + "\t 19.2 %\n");
    EXPECT_EQ(left, 1u);

    // Only weight 1: no book move, the list comes back as it went in.
    list = RootList();
    std::vector<MoveEntry> before = list;
    Books({After(d4, 0, 1)}, {});
    EXPECT_EQ(Lookup(list, left), "");
    EXPECT_EQ(left, list.size());
    EXPECT_TRUE(SameList(list, before));
    EXPECT_EQ(BookMisses, 1u);
}

TEST_F(BookLookupTest, CompulsoryMoveExcludesAllOthers) {
    std::vector<MoveEntry> list = RootList();
    const Move e4 = Find(list, "e2e4"), d4 = Find(list, "d2d4"), b3 = Find(list, "b2b3");
    Books({After(d4, 0, 30000), After(b3, 0, 2)}, {After(d4, 0, 7), After(b3, 4, 0)});
    size_t left = 0;
    EXPECT_EQ(Lookup(list, left), Text(b3) + "\t  100 %\n");
    ASSERT_EQ(left, 1u);
    EXPECT_EQ(list[0].move, b3);
    EXPECT_EQ(list[0].score, 20);
    (void)e4;
}

TEST_F(BookLookupTest, LargeTotalsAreHalvedAndSharesPrinted) {
    std::vector<MoveEntry> list = RootList();
    const Move e4 = Find(list, "e2e4"), d4 = Find(list, "d2d4"), c4 = Find(list, "c2c4");
    Books({After(e4, 0, 20000), After(d4, 0, 20000)}, {});
    size_t left = 0;
    EXPECT_EQ(Lines(Lookup(list, left)), Lines(Text(e4) + "\t   50 %\n" + Text(d4) + "\t   50 %\n"));
    ASSERT_EQ(left, 1u);
    EXPECT_EQ(list[0].score, 10000);

    // Scores sorted descending; one share of a third.
    list = RootList();
    Books({After(e4, 0, 2), After(d4, 0, 4)}, {});
    EXPECT_EQ(Lookup(list, left), Text(d4) + "\t 66.6 %\n" + Text(e4) + "\t 33.3 %\n");

    // Weights near the 32-bit limit: products and sums do not overflow.
    list = RootList();
    Books({After(e4, 0, INT32_MAX), After(d4, 0, INT32_MAX), After(c4, 0, INT32_MAX)},
          {After(e4, 0, 7), After(d4, 4, 0), After(c4, 4, 0)});
    EXPECT_EQ(Lines(Lookup(list, left)), Lines(Text(d4) + "\t   50 %\n" + Text(c4) + "\t   50 %\n"));
    EXPECT_EQ(left, 1u);
}

TEST_F(BookLookupTest, RepeatingMovesAreNeverChosen) {
    std::vector<MoveEntry> list = RootList();
    const Move e4 = Find(list, "e2e4"), d4 = Find(list, "d2d4");
    for (MoveEntry &e : list)
        if (e.move == e4) e.score = RepeatScore;
    std::vector<MoveEntry> before = list;
    // The only book move repeats a position: no book move, list unchanged.
    Books({After(e4, 0, 50)}, {After(e4, 4, 0)});
    size_t left = 0;
    EXPECT_EQ(Lookup(list, left), "");
    EXPECT_EQ(left, list.size());
    EXPECT_TRUE(SameList(list, before));

    Books({After(e4, 0, 50), After(d4, 0, 3)}, {});
    EXPECT_EQ(Lookup(list, left), Text(d4) + "\t  100 %\n");
    ASSERT_EQ(left, 1u);
    EXPECT_EQ(list[0].move, d4);
}

TEST_F(BookLookupTest, ListComesBackWhenStylePassRemovedEverything) {
    std::vector<MoveEntry> list = RootList();
    std::vector<MoveEntry> before = list, style;
    std::vector<BookRecord> bad;
    for (const MoveEntry &e : list)
        bad.push_back(After(e.move, 1, 0)); // all good for Black
    Books({}, bad);
    size_t left = 0;
    EXPECT_EQ(Lookup(list, left), "");
    EXPECT_EQ(left, list.size());
    EXPECT_TRUE(SameList(list, before));
}

TEST_F(BookLookupTest, RandomChoiceFollowsTheGenerator) {
    std::vector<MoveEntry> list = RootList();
    const Move e4 = Find(list, "e2e4"), d4 = Find(list, "d2d4");
    Books({After(e4, 0, 2), After(d4, 0, 6)}, {});
    int seen[2] = {0, 0};
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SeedRandomNumbers(seed);
        const uint32_t r = RandomNumber() % 8;
        SeedRandomNumbers(seed);
        list = RootList();
        size_t left = 0;
        Lookup(list, left);
        ASSERT_EQ(left, 1u);
        // Sorted d4 (6) then e4 (2): r < 6 picks d4.
        EXPECT_EQ(list[0].move, r < 6 ? d4 : e4) << seed;
        ++seen[list[0].move == d4 ? 0 : 1];
    }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}

TEST_F(BookLookupTest, PositionIsRestored) {
    std::vector<MoveEntry> list = RootList();
    Books({After(Find(list, "e2e4"), 0, 5)}, {After(Find(list, "d2d4"), 2, 2)});
    BoardEntry board[120];
    std::memcpy(board, Board, sizeof board);
    const uint64_t key = HashKey, pawnKey = PawnHashKey;
    const uint32_t side = SideToMove;
    size_t left = 0;
    Lookup(list, left);
    EXPECT_EQ(std::memcmp(board, Board, sizeof board), 0);
    EXPECT_EQ(HashKey, key);
    EXPECT_EQ(PawnHashKey, pawnKey);
    EXPECT_EQ(SideToMove, side);
}

TEST_F(BookLookupTest, ListingShowsBookMovesWithoutTouchingMisses) {
    std::vector<MoveEntry> list = RootList();
    const Move e4 = Find(list, "e2e4"), d4 = Find(list, "d2d4");
    Books({After(e4, 0, 30), After(d4, 0, 10)}, {});
    BookMisses = 3; // the listing shows the book even when the root stopped asking
    ::testing::internal::CaptureStdout();
    ListBookMoves();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "List of book moves\n" + Text(e4) + "\t   75 %\n" + Text(d4) + "\t   25 %\nend of list\n");
    EXPECT_EQ(BookMisses, 3u);

    BookMisses = 0;
    Books({}, {});
    ::testing::internal::CaptureStdout();
    ListBookMoves();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "List of book moves\nend of list\n");
    EXPECT_EQ(BookMisses, 0u);
}

TEST_F(BookLookupTest, ListingSkipsIllegalMovesAndRestoresTheBoard) {
    // The knight on e2 is pinned; a book entry for the position after Nc3
    // (as if it were legal) must not make the listing play or list it.
    PlaceBoard("4k3/4r3/8/8/8/2N5/8/4K3", Black); // setup refuses it: White is in check
    const BookRecord illegal = KeyWith(0, 40);
    SetUp("4k3/4r3/8/8/8/8/4N3/4K3 w - -");
    PieceCode board[120];
    for (int i = 0; i < 120; ++i)
        board[i] = Board[i].piece;
    const uint64_t key = HashKey;
    std::vector<MoveEntry> list = RootList();
    const Move kd1 = Find(list, "e1d1");
    Books({illegal, After(kd1, 0, 4)}, {});
    ::testing::internal::CaptureStdout();
    ListBookMoves();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "List of book moves\n" + Text(kd1) + "\t  100 %\nend of list\n");
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(board[i], Board[i].piece) << i;
    EXPECT_EQ(HashKey, key);
}
