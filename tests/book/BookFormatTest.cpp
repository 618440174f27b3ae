// The book file format: keys, records, key order, loading and probing (missing and damaged books: the
// end-to-end tests); the book's random numbers.
#include "book/BookTestSupport.h"

using namespace booktest;

namespace {

class BookFile : public ScratchDir {};

// Board number n: five random pieces put over two kings, the side to move by parity.
void RandomBoard(uint32_t n) {
    std::mt19937 rng(n);
    SetupPosition("8/8/8/8/8/8/8/K6k w - -");
    for (int k = 0; k < 5; ++k)
        Board[SquareOf(1 + rng() % 8, 1 + rng() % 8)].piece = PieceCode("\0\1\2\3\4\5\10\11\12\13\14\15"[rng() % 12]);
    SideToMove = n & 1;
}

} // namespace

TEST_F(BookFile, KeysRecordsAndTheirOrder) {
    // Two squares a byte, a1 in the low nibble, rank 1 first; the side, the class, two spare bytes, the weight.
    SetupPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b - -");
    BookRecord r = KeyWith(-1, -2);
    r.reserved[0] = 0xaa;
    uint8_t bytes[BookRecordSize];
    EncodeBookRecord(r, bytes);
    char hex[2 * BookRecordSize + 1];
    for (int i = 0; i < BookRecordSize; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", bytes[i]);
    EXPECT_EQ(std::string(hex), "134225310000000066666666666666666666666666666666888888889bcaadb901ffaa00feffffff");
    const BookRecord back = DecodeBookRecord(bytes);
    EXPECT_EQ(CompareBookKeys(back, r), 0);
    EXPECT_EQ(back.bookClass, -1);
    EXPECT_EQ(back.weight, -2);
    // Keys compare as signed bytes (a black piece in a high nibble is negative), the side last.
    SetupPosition("8/8/8/8/8/8/8/K6k w - -");
    const BookRecord white = CurrentBookKey();
    SetupPosition("8/8/8/8/8/8/8/Kn5k w - -");
    EXPECT_LT(CompareBookKeys(CurrentBookKey(), white), 0);
    SetupPosition("8/8/8/8/8/8/8/K6k b - -");
    r = KeyWith(4, 99);
    EXPECT_LT(CompareBookKeys(white, r), 0);
    r.side = 0;
    EXPECT_EQ(CompareBookKeys(white, r), 0); // class and weight are no part of the key
}

TEST_F(BookFile, ProbeFindsEveryRecordAndNothingElse) {
    for (uint32_t size : {0u, 1u, 2u, 3u, 255u}) { // small books reach the edges of the search
        // Record 0 is the header, never compared: here it holds the key of board `size`.
        std::vector<BookRecord> records(size + 1);
        for (uint32_t n = 0; n <= size; ++n) {
            RandomBoard(n);
            records[(n + 1) % (size + 1)] = KeyWith(int8_t(n % 5), int32_t(1000 + n));
        }
        std::sort(records.begin() + 1, records.end(), BookKeyLess);
        Output([&] { SaveBook("m.book", records.data(), size + 1); });
        WriteFileBytes("m.book", "\xff\xff\xff\xff" + ReadFileBytes("m.book").substr(4)); // only the length counts
        EXPECT_EQ(Load("m.book", MainBookFile, MainBookSize),
                  "found " + std::to_string(size + 1) + " positions in opening book\n");
        for (uint32_t n = 0; n < size + 100; ++n) {
            RandomBoard(n);
            const BookRecord r = ProbeBook(MainBookFile, MainBookSize);
            EXPECT_EQ(r.weight, n < size ? int32_t(1000 + n) : -1) << size << " " << n;
            EXPECT_EQ(r.bookClass, n < size ? int(n % 5) : -1);
            SideToMove ^= 1; // the other side to move is another position
            EXPECT_EQ(ProbeBook(MainBookFile, MainBookSize).weight, -1);
        }
        ASSERT_EQ(truncate("m.book", 4 + 40 * 2), 0); // cut behind the engine's back: no garbage
        RandomBoard(size - 1);
        const int32_t w = ProbeBook(MainBookFile, MainBookSize).weight;
        EXPECT_TRUE(w == int32_t(999 + size) || w == -1) << w;
    }
}

TEST(BookRandom, LinearCongruentialFifteenBitNumbers) {
    SeedRandomNumbers(1);
    EXPECT_EQ(RandomNumber(), 41u);
    EXPECT_EQ(RandomNumber(), 18467u);
}
