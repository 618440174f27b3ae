// The book file format: key packing, key order, records, loading and probing,
// and damaged files.
#include <unistd.h>

#include <random>
#include <set>

#include "book/BookTestSupport.h"

using namespace booktest;

namespace {

constexpr char Initial[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";

class BookFile : public ScratchDir {};

// Distinct positions: both kings plus up to three other pieces at random.
std::vector<std::string> RandomPlacements(int count, uint32_t seed) {
    std::mt19937 rng(seed);
    std::set<std::string> seen;
    std::vector<std::string> out;
    const char pieces[] = "PNBRQpnbrq";
    while (int(out.size()) < count) {
        char squares[64];
        std::fill(squares, squares + 64, '.');
        squares[rng() % 64] = 'K';
        int s;
        do
            s = rng() % 64;
        while (squares[s] != '.');
        squares[s] = 'k';
        const int extra = rng() % 4;
        for (int i = 0; i < extra; ++i) {
            do
                s = rng() % 64;
            while (squares[s] != '.');
            squares[s] = pieces[rng() % 10];
        }
        std::string fen;
        for (int row = 0; row < 8; ++row) {
            int empty = 0;
            for (int f = 0; f < 8; ++f) {
                const char c = squares[row * 8 + f];
                if (c == '.') {
                    ++empty;
                    continue;
                }
                if (empty) fen += char('0' + empty);
                empty = 0;
                fen += c;
            }
            if (empty) fen += char('0' + empty);
            if (row < 7) fen += '/';
        }
        if (seen.insert(fen).second) out.push_back(fen);
    }
    return out;
}

} // namespace

TEST(BookKey, PacksTwoSquaresPerByteRankOneFirst) {
    PlaceBoard(Initial, Black);
    const BookRecord key = CurrentBookKey();
    EXPECT_EQ(key.board[0], WhiteRook | (WhiteKnight << 4));  // a1 low, b1 high
    EXPECT_EQ(key.board[1], WhiteBishop | (WhiteQueen << 4)); // c1, d1
    EXPECT_EQ(key.board[2], WhiteKing | (WhiteBishop << 4));  // e1, f1
    EXPECT_EQ(key.board[3], WhiteKnight | (WhiteRook << 4));  // g1, h1
    EXPECT_EQ(key.board[4], 0x00);                            // white pawns
    for (int i = 8; i < 24; ++i)
        EXPECT_EQ(key.board[i], 0x66) << i; // empty ranks
    EXPECT_EQ(key.board[24], BlackPawn | (BlackPawn << 4));
    EXPECT_EQ(key.board[28], BlackRook | (BlackKnight << 4)); // a8, b8
    EXPECT_EQ(key.board[30], BlackKing | (BlackBishop << 4)); // e8, f8
    EXPECT_EQ(key.board[31], BlackKnight | (BlackRook << 4)); // g8, h8
    EXPECT_EQ(key.side, 1);
    PlaceBoard(Initial, White);
    EXPECT_EQ(CurrentBookKey().side, 0);
}

TEST(BookKey, OrderIsBySignedBytes) {
    PlaceBoard("8/8/8/8/8/8/8/K6k", White); // a1 white king: byte 0 = 0x65
    const BookRecord whiteFirst = CurrentBookKey();
    PlaceBoard("8/8/8/8/8/8/8/Kn5k", White); // b1 black knight: byte 0 = 0x95, negative
    const BookRecord blackHigh = CurrentBookKey();
    EXPECT_LT(CompareBookKeys(blackHigh, whiteFirst), 0);
    EXPECT_GT(CompareBookKeys(whiteFirst, blackHigh), 0);
    EXPECT_EQ(CompareBookKeys(whiteFirst, whiteFirst), 0);

    // The side byte is the last key byte.
    PlaceBoard("8/8/8/8/8/8/8/K6k", Black);
    EXPECT_LT(CompareBookKeys(whiteFirst, CurrentBookKey()), 0);

    // Class and weight are not part of the key.
    BookRecord other = whiteFirst;
    other.bookClass = 4;
    other.weight = 99;
    EXPECT_EQ(CompareBookKeys(whiteFirst, other), 0);
}

TEST(BookRecordBytes, LittleEndianRoundTrip) {
    PlaceBoard(Initial, Black);
    BookRecord r = KeyWith(4, 0x01020304);
    r.reserved[0] = 0xaa;
    uint8_t bytes[BookRecordSize];
    EncodeBookRecord(r, bytes);
    EXPECT_EQ(bytes[32], 1);
    EXPECT_EQ(bytes[33], 4);
    EXPECT_EQ(bytes[34], 0xaa);
    EXPECT_EQ(bytes[36], 0x04);
    EXPECT_EQ(bytes[39], 0x01);
    const BookRecord back = DecodeBookRecord(bytes);
    EXPECT_EQ(CompareBookKeys(back, r), 0);
    EXPECT_EQ(back.bookClass, 4);
    EXPECT_EQ(back.weight, 0x01020304);

    r.weight = -2;
    r.bookClass = -1;
    EncodeBookRecord(r, bytes);
    EXPECT_EQ(bytes[33], 0xff);
    EXPECT_EQ(bytes[36], 0xfe);
    EXPECT_EQ(bytes[39], 0xff);
    EXPECT_EQ(DecodeBookRecord(bytes).weight, -2);
    EXPECT_EQ(DecodeBookRecord(bytes).bookClass, -1);
}

TEST_F(BookFile, SavedFileHasCountHeaderAndSortedRecords) {
    std::vector<BookRecord> records;
    for (const std::string &p : RandomPlacements(50, 7)) {
        PlaceBoard(p, White);
        records.push_back(KeyWith(2, 3));
    }
    WriteBook("x.book", records);
    const std::string bytes = ReadFileBytes("x.book");
    ASSERT_EQ(bytes.size(), 4u + 51u * 40u);
    EXPECT_EQ(uint8_t(bytes[0]), 51);
    EXPECT_EQ(bytes[1] | bytes[2] | bytes[3], 0);
    EXPECT_EQ(std::string(bytes.c_str() + 4), "Book for chess engine Morvane");
    for (int n = 2; n <= 50; ++n) {
        const BookRecord a = DecodeBookRecord(reinterpret_cast<const uint8_t *>(bytes.data()) + 4 + 40 * (n - 1));
        const BookRecord b = DecodeBookRecord(reinterpret_cast<const uint8_t *>(bytes.data()) + 4 + 40 * n);
        EXPECT_LT(CompareBookKeys(a, b), 0) << n;
    }
}

TEST_F(BookFile, ProbeFindsEveryRecordAndNothingElse) {
    const std::vector<std::string> all = RandomPlacements(400, 11);
    for (int size : {1, 2, 3, 255}) { // small books test the edges of the search
        std::vector<BookRecord> records;
        for (int i = 0; i < size; ++i) {
            PlaceBoard(all[i], uint32_t(i & 1));
            records.push_back(KeyWith(int8_t(i % 5), 1000 + i));
        }
        WriteBook("m.book", records);
        int file = -1;
        int64_t bytes = 0;
        EXPECT_EQ(Load("m.book", file, bytes), "found " + std::to_string(size + 1) + " positions in opening book\n");
        ASSERT_GE(file, 0);
        EXPECT_EQ(bytes, 40 * (size + 1));
        for (int i = 0; i < size; ++i) {
            PlaceBoard(all[i], uint32_t(i & 1));
            const BookRecord r = ProbeBook(file, bytes);
            EXPECT_EQ(r.weight, 1000 + i) << size << " " << i;
            EXPECT_EQ(r.bookClass, i % 5);
            PlaceBoard(all[i], uint32_t(1 - (i & 1))); // the other side to move is another position
            EXPECT_EQ(ProbeBook(file, bytes).weight, -1);
        }
        for (int i = size; i < size + 100; ++i) {
            PlaceBoard(all[i], White);
            const BookRecord r = ProbeBook(file, bytes);
            EXPECT_EQ(r.bookClass, -1);
            EXPECT_EQ(r.weight, -1);
        }
        close(file);
    }
}

TEST_F(BookFile, HeaderRecordIsNeverCompared) {
    // A book with only its header, whose bytes happen to equal the position's key.
    PlaceBoard(Initial, White);
    BookRecord header = KeyWith(2, 50);
    std::vector<BookRecord> records{header};
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(SaveBook("h.book", records.data(), 1));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Saved 1 positions\n");
    int file = -1;
    int64_t size = 0;
    EXPECT_EQ(Load("h.book", file, size), "found 1 positions in opening book\n");
    EXPECT_EQ(ProbeBook(file, size).weight, -1);

    // With more records the header still never answers, and record 1 is found.
    PlaceBoard("8/8/8/8/8/8/8/K6k", White);
    records.push_back(KeyWith(0, 9));
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(SaveBook("h.book", records.data(), 2));
    ::testing::internal::GetCapturedStdout();
    Load("h.book", file, size);
    EXPECT_EQ(ProbeBook(file, size).weight, 9);
    PlaceBoard(Initial, White);
    EXPECT_EQ(ProbeBook(file, size).weight, -1);
    close(file);
}

TEST_F(BookFile, MissingAndDamagedFilesLoadAsEmpty) {
    const std::string damaged = "ERROR: opening book was damaged\n";
    int file = -1;
    int64_t size = 123;
    // Only a file that is there and damaged is called damaged.
    EXPECT_EQ(Load("absent.book", file, size), "WARNING: absent.book missing, no opening book\n");
    EXPECT_EQ(Load("no-dir/absent.book", file, size), "WARNING: no-dir/absent.book missing, no opening book\n");
    EXPECT_EQ(file, -1);
    EXPECT_EQ(size, 0);

    WriteFileBytes("empty.book", "");
    EXPECT_EQ(Load("empty.book", file, size), damaged);
    WriteFileBytes("short.book", "\x02\x00");
    EXPECT_EQ(Load("short.book", file, size), damaged);
    EXPECT_EQ(file, -1);
    EXPECT_EQ(Load(".", file, size), "ERROR: cannot read .\n"); // a directory

    WriteFileBytes("count-only.book", std::string("\x05\x00\x00\x00", 4));
    EXPECT_EQ(Load("count-only.book", file, size), "found 0 positions in opening book\n");
    PlaceBoard(Initial, White);
    EXPECT_EQ(ProbeBook(file, size).weight, -1);

    // A length that is no multiple of 40 after the count.
    PlaceBoard(Initial, White);
    WriteBook("good.book", {KeyWith(2, 5)});
    std::string bytes = ReadFileBytes("good.book");
    WriteFileBytes("odd.book", bytes + "xyz");
    EXPECT_EQ(Load("odd.book", file, size), damaged);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(ProbeBook(file, size).weight, -1);
    WriteFileBytes("cut.book", bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(Load("cut.book", file, size), damaged);
}

TEST_F(BookFile, CountFieldIsNotTrustedOnlyTheLength) {
    std::vector<BookRecord> records;
    const std::vector<std::string> all = RandomPlacements(20, 5);
    for (const std::string &p : all) {
        PlaceBoard(p, White);
        records.push_back(KeyWith(2, 7));
    }
    WriteBook("c.book", records);
    std::string bytes = ReadFileBytes("c.book");
    for (uint32_t count : {0u, 1u, 1000000u, 0xffffffffu}) {
        for (int i = 0; i < 4; ++i)
            bytes[i] = char(count >> (8 * i));
        WriteFileBytes("c.book", bytes);
        int file = -1;
        int64_t size = 0;
        EXPECT_EQ(Load("c.book", file, size), "found 21 positions in opening book\n");
        for (const std::string &p : all) {
            PlaceBoard(p, White);
            EXPECT_EQ(ProbeBook(file, size).weight, 7);
        }
        close(file);
    }
}

TEST_F(BookFile, SilencedOrShrunkenBookAnswersAbsent) {
    std::vector<BookRecord> records;
    const std::vector<std::string> all = RandomPlacements(30, 3);
    for (const std::string &p : all) {
        PlaceBoard(p, White);
        records.push_back(KeyWith(2, 7));
    }
    WriteBook("s.book", records);
    int file = -1;
    int64_t size = 0;
    Load("s.book", file, size);
    PlaceBoard(all[0], White);
    EXPECT_EQ(ProbeBook(file, 1).weight, -1);  // the bench's way of silencing a book
    EXPECT_EQ(ProbeBook(file, 40).weight, -1); // header only
    EXPECT_EQ(ProbeBook(-1, size).weight, -1);
    ASSERT_EQ(truncate("s.book", 4 + 40 * 3), 0); // file cut behind the engine's back
    for (const std::string &p : all) {
        PlaceBoard(p, White);
        const int32_t w = ProbeBook(file, size).weight;
        EXPECT_TRUE(w == 7 || w == -1);
    }
    close(file);
}

TEST(BookRandom, LinearCongruentialFifteenBitNumbers) {
    SeedRandomNumbers(1);
    EXPECT_EQ(RandomNumber(), 41u);
    EXPECT_EQ(RandomNumber(), 18467u);
    EXPECT_EQ(RandomNumber(), 6334u);
    EXPECT_EQ(RandomNumber(), 26500u);
    SeedRandomNumbers(0);
    EXPECT_EQ(RandomNumber(), (2531011u >> 16) & 0x7fff);
    SeedRandomNumbers(12345);
    for (int i = 0; i < 10000; ++i)
        EXPECT_LE(RandomNumber(), 32767u);
}
