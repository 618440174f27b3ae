// Polyglot books: the key, the entry and move encodings, opening a book with
// its checks, and probing by binary search with positioned reads.
#include "book/PolyglotBook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "board/MoveGenerator.h"
#include "book/Book.h"

PolyglotBookFile PolyglotBook;

namespace {

constexpr int CastleKeyBase = 768; // white short, white long, black short, black long
constexpr int EnPassantKeyBase = 772;
constexpr int WhiteToMoveKey = 780;

// Kinds of the key: black pawn 0, white pawn 1, black knight 2, ... white king 11.
int PolyglotKind(PieceCode piece) { return int(2 * KindOf(piece) + (IsWhitePiece(piece) ? 1 : 0)); }

// Is the en-passant file part of the key? Only when a pawn of the side to
// move stands beside the pawn that has just made its double step.
bool EnPassantCounts() {
    if (EpSquare == 0) return false;
    const bool white = SideToMove == White;
    const Square stepped = white ? EpSquare + 10 : EpSquare - 10; // the pawn that made the step
    if (stepped >= 120 || Board[stepped].piece != (white ? BlackPawn : WhitePawn)) return false;
    const PieceCode ours = white ? WhitePawn : BlackPawn;
    return Board[stepped - 1].piece == ours || Board[stepped + 1].piece == ours;
}

uint16_t EncodeSquares(uint32_t fromFile, uint32_t fromRank, uint32_t toFile, uint32_t toRank, uint32_t promotion) {
    return uint16_t((toFile - 1) | (toRank - 1) << 3 | (fromFile - 1) << 6 | (fromRank - 1) << 9 | promotion << 12);
}

// The move word with the king's own destination for castling: the form in
// which engine moves and book moves are compared.
uint16_t PlainMoveWord(Move m) {
    const Square from = MoveFrom(m), to = MoveTo(m);
    const uint32_t promotion = IsPromotion(m) ? KindOf(MovePromoted(m)) : 0;
    return EncodeSquares(FileOf[from], RankOf[from], FileOf[to], RankOf[to], promotion);
}

// A book move word in that form: the king onto its own rook becomes the
// castling move when the king of the side to move stands on its home square.
// 0 for a word that names no move (promotion codes 5..7, no move at all).
uint16_t PlainFromPolyglot(uint16_t move) {
    if (move == 0 || (move >> 12) > Queen) return 0;
    const uint32_t toFile = (move & 7) + 1, toRank = (move >> 3 & 7) + 1;
    const uint32_t fromFile = (move >> 6 & 7) + 1, fromRank = (move >> 9 & 7) + 1;
    const uint32_t homeRank = SideToMove == White ? 1 : 8;
    const PieceCode king = SideToMove == White ? WhiteKing : BlackKing;
    if (fromFile == 5 && fromRank == homeRank && toRank == homeRank && (toFile == 8 || toFile == 1) &&
        Board[SquareOf(5, int(homeRank))].piece == king)
        return EncodeSquares(5, homeRank, toFile == 8 ? 7 : 3, homeRank, 0);
    return move & 0x7fff;
}

bool ReadAt(int file, int64_t first, int64_t count, uint8_t *bytes) {
    const size_t want = size_t(count * PolyglotEntrySize);
    size_t done = 0;
    while (done < want) {
        const ssize_t got = pread(file, bytes + done, want - done, off_t(first * PolyglotEntrySize) + off_t(done));
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) errno = EIO; // the file shrank
        if (got <= 0) return false;
        done += size_t(got);
    }
    return true;
}

uint64_t KeyOf(const uint8_t *bytes) {
    uint64_t key = 0;
    for (int i = 0; i < 8; ++i)
        key = key << 8 | bytes[i];
    return key;
}

// Why a file could not be opened, in words that never read like "not found":
// xboard takes an engine that prints those for one that failed to start.
std::string OpenErrorText(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "missing";
    case EACCES:
    case EPERM:
        return "access refused";
    case EISDIR:
        return "a directory";
    default:
        return std::strerror(error);
    }
}

// Entries read at a time when the order is checked and at the end of a search.
constexpr int64_t ChunkEntries = 4096;
// Larger books are checked in evenly spaced chunks rather than whole, so that
// opening one stays quick.
constexpr int64_t FullCheckEntries = int64_t(256) << 20 >> 4;
constexpr int64_t SampledChunks = 4096;

// Checks that the keys never go down: every entry of a book up to
// FullCheckEntries, else evenly spaced chunks. Empty when in order.
std::string CheckKeyOrder(int file, int64_t entries) {
    std::vector<uint8_t> chunk(size_t(ChunkEntries * PolyglotEntrySize));
    const int64_t stride =
        entries <= FullCheckEntries ? ChunkEntries : std::max(ChunkEntries, entries / SampledChunks + 1);
    uint64_t previous = 0;
    for (int64_t start = 0; start < entries; start += stride) {
        const int64_t n = std::min(ChunkEntries, entries - start);
        if (!ReadAt(file, start, n, chunk.data())) return std::string("cannot be read (") + std::strerror(errno) + ")";
        for (int64_t i = 0; i < n; ++i) {
            const uint64_t key = KeyOf(&chunk[size_t(i * PolyglotEntrySize)]);
            if (key < previous) return "entries out of key order (entry " + std::to_string(start + i + 1) + ")";
            previous = key;
        }
    }
    return "";
}

} // namespace

uint64_t PolyglotKey() {
    uint64_t key = 0;
    for (uint64_t occupied = Occupied; occupied != 0; occupied &= occupied - 1) {
        const Square s = BitSquare[__builtin_ctzll(occupied)];
        key ^= PolyglotRandom[64 * PolyglotKind(Board[s].piece) + 8 * (RankOf[s] - 1) + (FileOf[s] - 1)];
    }
    const int rights[4] = {WhiteKingSide, WhiteQueenSide, BlackKingSide, BlackQueenSide};
    for (int i = 0; i < 4; ++i)
        if (CastleSpoilers[rights[i]] == 0) key ^= PolyglotRandom[CastleKeyBase + i];
    if (EnPassantCounts()) key ^= PolyglotRandom[EnPassantKeyBase + FileOf[EpSquare] - 1];
    if (SideToMove == White) key ^= PolyglotRandom[WhiteToMoveKey];
    return key;
}

void EncodePolyglotEntry(const PolyglotEntry &entry, uint8_t bytes[PolyglotEntrySize]) {
    for (int i = 0; i < 8; ++i)
        bytes[i] = uint8_t(entry.key >> (56 - 8 * i));
    bytes[8] = uint8_t(entry.move >> 8);
    bytes[9] = uint8_t(entry.move);
    bytes[10] = uint8_t(entry.weight >> 8);
    bytes[11] = uint8_t(entry.weight);
    for (int i = 0; i < 4; ++i)
        bytes[12 + i] = uint8_t(entry.learn >> (24 - 8 * i));
}

PolyglotEntry DecodePolyglotEntry(const uint8_t bytes[PolyglotEntrySize]) {
    PolyglotEntry entry;
    entry.key = KeyOf(bytes);
    entry.move = uint16_t(bytes[8] << 8 | bytes[9]);
    entry.weight = uint16_t(bytes[10] << 8 | bytes[11]);
    for (int i = 12; i < 16; ++i)
        entry.learn = entry.learn << 8 | bytes[i];
    return entry;
}

uint16_t PolyglotMoveOf(Move m) {
    const uint16_t plain = PlainMoveWord(m);
    if (!IsCastling(m)) return plain;
    // The king goes onto its own rook: g-file castling to h, c-file to a.
    const Square from = MoveFrom(m), to = MoveTo(m);
    return EncodeSquares(FileOf[from], RankOf[from], FileOf[to] == 7 ? 8 : 1, RankOf[to], 0);
}

Move LegalMoveFromPolyglot(uint16_t move) {
    const uint16_t plain = PlainFromPolyglot(move);
    if (plain == 0) return 0;
    SelectMoveFunctions();
    MoveEntry list[MoveListSize];
    MoveEntry *end = GenerateSideMoves(SideToMove, list, RootInCheck, EpSquare);
    for (const MoveEntry *e = list; e != end; ++e) {
        if (PlainMoveWord(e->move) != plain) continue;
        if (!MakeMove(SideToMove, RootInCheck, 0, e->move)) return 0;
        UnmakeMove(SideToMove, e->move);
        return e->move;
    }
    return 0;
}

bool OpenPolyglotBook(const char *path, PolyglotBookFile &book, std::string &problem) {
    ClosePolyglotBook(book);
    const int file = open(path, O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        problem = OpenErrorText(errno);
        return false;
    }
    struct stat info {};
    if (fstat(file, &info) != 0)
        problem = std::string("cannot be read (") + std::strerror(errno) + ")";
    else if (S_ISDIR(info.st_mode))
        problem = "a directory";
    else if (!S_ISREG(info.st_mode))
        problem = "not a regular file";
    else if (info.st_size == 0)
        problem = "empty";
    else if (info.st_size % PolyglotEntrySize != 0)
        problem = "size " + std::to_string(info.st_size) + " is not a multiple of 16";
    else
        problem = CheckKeyOrder(file, int64_t(info.st_size) / PolyglotEntrySize);
    if (!problem.empty()) {
        close(file);
        return false;
    }
    book.file = file;
    book.entries = int64_t(info.st_size) / PolyglotEntrySize;
    return true;
}

void ClosePolyglotBook(PolyglotBookFile &book) {
    if (book.file >= 0) close(book.file);
    book.file = -1;
    book.entries = 0;
}

bool LoadPolyglotBook(const std::string &name) {
    ClosePolyglotBook(PolyglotBook);
    PolyglotBook.name = name;
    if (name.empty()) return false;
    // A bare name may be a book that came with the engine.
    const std::string path = name.find('/') == std::string::npos ? InstalledFilePath(name.c_str(), "morvane") : name;
    std::string problem;
    if (OpenPolyglotBook(path.c_str(), PolyglotBook, problem))
        PrintNotice(("found " + std::to_string(PolyglotBook.entries) + " entries in polyglot book " + name).c_str());
    else
        PrintNotice(("WARNING: polyglot book " + name + " not used: " + problem).c_str());
    return PolyglotBookOpen();
}

int ProbePolyglotBook(const PolyglotBookFile &book, uint64_t key, PolyglotEntry *out, int max) {
    if (book.file < 0 || max <= 0) return 0;
    // The first entry whose key is not below `key`: halve the range by single
    // reads until it is small, then read the rest in one go.
    int64_t low = 0, high = book.entries;
    uint8_t bytes[ChunkEntries * PolyglotEntrySize];
    constexpr int64_t Tail = 64;
    while (high - low > Tail) {
        const int64_t mid = low + (high - low) / 2;
        if (!ReadAt(book.file, mid, 1, bytes)) return 0;
        if (KeyOf(bytes) < key)
            low = mid + 1;
        else
            high = mid;
    }
    // The entries of the key start in [low, high] and run on from there.
    int found = 0;
    for (int64_t start = low; start < book.entries && found < max;) {
        const int64_t n = std::min<int64_t>(start == low ? Tail + 16 : ChunkEntries, book.entries - start);
        if (!ReadAt(book.file, start, n, bytes)) return found;
        for (int64_t i = 0; i < n; ++i) {
            const PolyglotEntry entry = DecodePolyglotEntry(&bytes[i * PolyglotEntrySize]);
            if (entry.key < key) continue;
            if (entry.key > key || found == max) return found;
            out[found++] = entry;
        }
        start += n;
    }
    return found;
}

int PolyglotBookMoves(const PolyglotBookFile &book, PolyglotMove *out, int max) {
    PolyglotEntry entries[MaxMoves];
    const int n = ProbePolyglotBook(book, PolyglotKey(), entries, MaxMoves);
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const Move m = LegalMoveFromPolyglot(entries[i].move);
        if (m == 0) continue; // illegal here: a damaged entry or a key collision
        int k = 0;
        while (k < count && out[k].move != m)
            ++k;
        if (k == count) {
            if (count == max) continue;
            out[count++] = {m, 0};
        }
        out[k].weight += entries[i].weight;
    }
    return count;
}

void PolyglotRootEntries::Read() {
    PolyglotEntry entries[Max];
    count = ProbePolyglotBook(PolyglotBook, PolyglotKey(), entries, Max);
    for (int i = 0; i < count; ++i) {
        plain[i] = PlainFromPolyglot(entries[i].move);
        weight[i] = entries[i].weight;
    }
}

uint32_t PolyglotRootEntries::WeightOf(Move m) const {
    const uint16_t word = PlainMoveWord(m);
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i)
        if (plain[i] != 0 && plain[i] == word) sum += weight[i];
    return sum;
}
