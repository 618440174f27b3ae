// The main-book builder. Games are replayed one at a time; only the positions
// are kept, counted in an open-addressing table of compact entries, so the
// memory depends on the number of distinct positions and is capped: when the
// table is full, the positions seen least so far make room.
#include "book/BookBuilder.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "board/Setup.h"
#include "book/BookFormat.h"
#include "book/GameReplay.h"

namespace {

// ---------------------------------------------------------------------------
// The position table

struct PositionEntry {
    uint8_t board[32];
    uint8_t side;
    uint8_t pad[3];
    uint32_t count; // games that reached the position; 0 marks a free slot
    uint32_t points;
};
static_assert(sizeof(PositionEntry) == 44, "position entries are compact");

uint64_t KeyHash(const uint8_t *board, uint8_t side) {
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 32; ++i)
        h = (h ^ board[i]) * 1099511628211ull;
    h = (h ^ side) * 1099511628211ull;
    return h ^ (h >> 29);
}

uint32_t SaturatingAdd(uint32_t a, uint32_t b) { return a > UINT32_MAX - b ? UINT32_MAX : a + b; }

struct PositionTable {
    PositionEntry *slots = nullptr;
    uint64_t size = 0; // a power of two
    uint64_t used = 0;
    uint64_t maxSlots = 0;
    uint32_t prunedBelow = 0;
    std::FILE *messages = nullptr;

    ~PositionTable() { std::free(slots); }

    static PositionEntry *Allocate(uint64_t n) {
        return static_cast<PositionEntry *>(std::calloc(size_t(n), sizeof(PositionEntry)));
    }

    bool Init(uint64_t limit, std::FILE *out) {
        maxSlots = 1024;
        while (maxSlots * 2 <= limit)
            maxSlots *= 2;
        size = std::min<uint64_t>(maxSlots, 1u << 16);
        slots = Allocate(size);
        messages = out;
        return slots != nullptr;
    }

    PositionEntry *Slot(PositionEntry *table, uint64_t mask, const uint8_t *board, uint8_t side) {
        uint64_t i = KeyHash(board, side) & mask;
        while (table[i].count != 0 && (table[i].side != side || std::memcmp(table[i].board, board, 32) != 0))
            i = (i + 1) & mask;
        return &table[i];
    }

    // Moves the entries with at least `keep` games into a new table of n slots.
    bool Rehash(uint64_t n, uint32_t keep) {
        PositionEntry *table = Allocate(n);
        if (!table) return false;
        uint64_t kept = 0;
        for (uint64_t i = 0; i < size; ++i) {
            if (slots[i].count == 0 || slots[i].count < keep) continue;
            *Slot(table, n - 1, slots[i].board, slots[i].side) = slots[i];
            ++kept;
        }
        std::free(slots);
        slots = table;
        size = n;
        used = kept;
        return true;
    }

    // Makes room when the table is 70% full: doubles it while under the
    // limit, else drops the positions seen least, so that at most half of
    // the room is in use afterwards.
    bool MakeRoom() {
        if (used * 10 < size * 7) return true;
        if (size < maxSlots) return Rehash(size * 2, 1);
        uint32_t keep = std::max<uint32_t>(prunedBelow, 2);
        for (;; ++keep) {
            uint64_t survivors = 0;
            for (uint64_t i = 0; i < size; ++i)
                if (slots[i].count >= keep) ++survivors;
            if (survivors * 20 <= size * 7 || keep == UINT32_MAX) break;
        }
        const uint64_t before = used;
        if (!Rehash(size, keep)) return false;
        prunedBelow = keep;
        std::fprintf(messages,
                     "morvane-book: position table full: dropped %llu positions seen in fewer than %u games so far\n",
                     static_cast<unsigned long long>(before - used), keep);
        return true;
    }

    bool Add(const BookRecord &key, uint32_t points) {
        if (!MakeRoom()) return false;
        PositionEntry *e = Slot(slots, size - 1, key.board, key.side);
        if (e->count == 0) {
            std::memcpy(e->board, key.board, 32);
            e->side = key.side;
            ++used;
        }
        e->count = SaturatingAdd(e->count, 1);
        e->points = SaturatingAdd(e->points, points);
        return true;
    }
};

// ---------------------------------------------------------------------------
// Games

// Each position a game reaches is kept until the game's result is known.
class PositionReplay : public GameReplay {
  public:
    PositionReplay(const BookBuildOptions &o, PositionTable &t, BookBuildStats &s, std::FILE *m)
        : GameReplay(o, s, m), table(t) {}

  private:
    PositionTable &table;
    BookRecord reached[MaxReplayPlies];
    int reachedCount = 0;

    void Restart() override { reachedCount = 0; }

    void AfterMove(Move) override {
        // A position reached twice in one game counts once.
        const BookRecord key = CurrentBookKey();
        for (int i = 0; i < reachedCount; ++i)
            if (reached[i].side == key.side && std::memcmp(reached[i].board, key.board, 32) == 0) return;
        reached[reachedCount++] = key;
    }

    bool Count(Outcome result) override {
        for (int i = 0; i < reachedCount; ++i) {
            // The side that moved into the position is the one not to move.
            const bool whiteMoved = reached[i].side == Black;
            uint32_t points = DrawPoints;
            if (options.useResults && (result == Outcome::WhiteWins || result == Outcome::BlackWins))
                points = (result == Outcome::WhiteWins) == whiteMoved ? WinPoints : LossPoints;
            if (!table.Add(reached[i], points)) return false;
        }
        if (options.progressEvery > 0 && stats.games % options.progressEvery == 0)
            std::fprintf(messages, "morvane-book: %llu games, %llu positions\n",
                         static_cast<unsigned long long>(stats.games), static_cast<unsigned long long>(table.used));
        return true;
    }
};

} // namespace

bool BuildBook(const std::vector<std::string> &gameFiles, const char *bookFile, const BookBuildOptions &options,
               BookBuildStats &stats, std::FILE *messages) {
    stats = BookBuildStats{};
    PositionTable table;
    if (!table.Init(options.maxSlots, messages)) {
        std::fprintf(messages, "morvane-book: out of memory\n");
        return false;
    }
    GameReplay *replay = new PositionReplay(options, table, stats, messages);
    bool ok = true;
    for (const std::string &file : gameFiles)
        if (!(ok = replay->ReadGames(file))) break;
    delete replay;
    SetupPosition(StartPosition);
    stats.positions = table.used;
    stats.prunedBelow = table.prunedBelow;
    if (!ok) {
        std::fprintf(messages, "morvane-book: %s not written\n", bookFile);
        return false;
    }

    std::vector<BookRecord> records;
    records.push_back(BookHeaderRecord());
    for (uint64_t i = 0; i < table.size; ++i) {
        const PositionEntry &e = table.slots[i];
        const uint32_t weight = e.points;
        if (e.count == 0 || e.count < options.minCount || weight < 2) continue;
        BookRecord r{};
        std::memcpy(r.board, e.board, 32);
        r.side = e.side;
        r.bookClass = NeutralClass; // read by the style book only
        r.weight = int32_t(std::min<uint32_t>(weight, INT32_MAX));
        records.push_back(r);
    }
    std::sort(records.begin() + 1, records.end(), BookKeyLess);
    stats.written = records.size() - 1;
    if (stats.written == 0) {
        std::fprintf(messages, "morvane-book: no position qualifies, %s not written\n", bookFile);
        return false;
    }
    if (!WriteBookFile(bookFile, records.data(), int64_t(records.size()))) {
        std::fprintf(messages, "morvane-book: cannot write %s: %s\n", bookFile, std::strerror(errno));
        return false;
    }
    return true;
}
