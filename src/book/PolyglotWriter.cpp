// The polyglot book writer. Games are replayed one at a time; each move of
// their first plies is appended to a table of tallies (key, move, games,
// points), which is sorted and merged whenever it fills, so memory follows
// the number of distinct moves. When the table may grow no further, the
// moves seen least so far make room.
#include "book/PolyglotWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "board/Setup.h"
#include "book/BookFormat.h"
#include "book/GameReplay.h"
#include "book/PolyglotBook.h"

namespace {

struct Tally {
    uint64_t key;
    uint32_t count; // games that played the move
    uint32_t points;
    uint16_t move; // polyglot move word
};

bool TallyLess(const Tally &a, const Tally &b) { return a.key != b.key ? a.key < b.key : a.move < b.move; }

uint32_t SaturatingAdd(uint32_t a, uint32_t b) { return a > UINT32_MAX - b ? UINT32_MAX : a + b; }

// Tallies in the table before the first merge; it doubles while under the limit.
constexpr size_t InitialTallies = size_t(1) << 20;

struct TallyTable {
    std::vector<Tally> tallies;
    size_t capacity = InitialTallies;
    size_t limit = 0;
    uint32_t prunedBelow = 0;
    std::FILE *messages = nullptr;

    // Sorts by key and move and merges equal pairs.
    void Merge() {
        std::sort(tallies.begin(), tallies.end(), TallyLess);
        size_t out = 0;
        for (size_t i = 0; i < tallies.size(); ++i) {
            if (out > 0 && tallies[out - 1].key == tallies[i].key && tallies[out - 1].move == tallies[i].move) {
                tallies[out - 1].count = SaturatingAdd(tallies[out - 1].count, tallies[i].count);
                tallies[out - 1].points = SaturatingAdd(tallies[out - 1].points, tallies[i].points);
            } else {
                tallies[out++] = tallies[i];
            }
        }
        tallies.resize(out);
    }

    // When full: merge; if that leaves it more than half full, double it
    // while under the limit, else drop the moves seen least so far.
    void MakeRoom() {
        if (tallies.size() < capacity) return;
        Merge();
        if (tallies.size() * 2 <= capacity) return;
        if (capacity * 2 <= limit) {
            capacity *= 2;
            tallies.reserve(capacity);
            return;
        }
        const size_t before = tallies.size();
        uint32_t keep = std::max<uint32_t>(prunedBelow, 2);
        for (;; ++keep) {
            size_t survivors = 0;
            for (const Tally &t : tallies)
                if (t.count >= keep) ++survivors;
            if (survivors * 20 <= capacity * 7 || keep == UINT32_MAX) break;
        }
        std::erase_if(tallies, [keep](const Tally &t) { return t.count < keep; });
        prunedBelow = keep;
        std::fprintf(messages,
                     "morvane-book: move table full: dropped %llu moves played in fewer than %u games so far\n",
                     static_cast<unsigned long long>(before - tallies.size()), keep);
    }

    void Add(uint64_t key, uint16_t move, uint32_t points) {
        MakeRoom();
        tallies.push_back({key, 1, points, move});
    }
};

struct PlayedMove {
    uint64_t key;
    uint16_t move;
    uint8_t mover;
};

// Each move of a game is kept with the key of the position it was played
// from until the game's result is known.
class PolyglotReplay : public GameReplay {
  public:
    PolyglotReplay(const BookBuildOptions &o, TallyTable &t, BookBuildStats &s, std::FILE *m)
        : GameReplay(o, s, m), table(t) {}

  private:
    TallyTable &table;
    PlayedMove played[MaxReplayPlies];
    int playedCount = 0;

    uint32_t PointsFor(uint8_t mover, Outcome result) const {
        if (!options.useResults || result == Outcome::Unknown || result == Outcome::Draw) return PolyglotDrawPoints;
        return (result == Outcome::WhiteWins) == (mover == White) ? PolyglotWinPoints : 0;
    }

    void Restart() override { playedCount = 0; }

    void BeforeMove(Move move) override {
        const PlayedMove entry{PolyglotKey(), PolyglotMoveOf(move), uint8_t(SideToMove)};
        // A move played twice from one position in one game counts once.
        for (int i = 0; i < playedCount; ++i)
            if (played[i].key == entry.key && played[i].move == entry.move) return;
        played[playedCount++] = entry;
    }

    bool Count(Outcome result) override {
        for (int i = 0; i < playedCount; ++i)
            table.Add(played[i].key, played[i].move, PointsFor(played[i].mover, result));
        if (options.progressEvery > 0 && stats.games % options.progressEvery == 0)
            std::fprintf(messages, "morvane-book: %llu games\n", static_cast<unsigned long long>(stats.games));
        return true;
    }
};

// The qualifying moves of the merged table as entries: per key, weights
// scaled into 16 bits where needed, highest first.
std::vector<PolyglotEntry> EntriesOf(const std::vector<Tally> &tallies, const BookBuildOptions &options) {
    std::vector<PolyglotEntry> entries;
    for (size_t first = 0; first < tallies.size();) {
        size_t end = first;
        uint32_t most = 0;
        for (; end < tallies.size() && tallies[end].key == tallies[first].key; ++end)
            if (tallies[end].count >= options.minCount) most = std::max(most, tallies[end].points);
        const size_t start = entries.size();
        for (size_t i = first; i < end; ++i) {
            const Tally &t = tallies[i];
            if (t.count < options.minCount || t.points == 0) continue;
            uint64_t weight = t.points;
            if (most > PolyglotMaxWeight) // in proportion, rounded, and never down to 0
                weight = std::max<uint64_t>(1, (weight * PolyglotMaxWeight + most / 2) / most);
            entries.push_back({t.key, t.move, uint16_t(weight), 0});
        }
        std::stable_sort(entries.begin() + std::ptrdiff_t(start), entries.end(),
                         [](const PolyglotEntry &a, const PolyglotEntry &b) { return a.weight > b.weight; });
        first = end;
    }
    return entries;
}

bool WriteEntries(const char *fileName, const std::vector<PolyglotEntry> &entries) {
    return ReplaceFile(fileName, [&](std::FILE *out) {
        bool ok = true;
        uint8_t bytes[PolyglotEntrySize];
        for (size_t i = 0; ok && i < entries.size(); ++i) {
            EncodePolyglotEntry(entries[i], bytes);
            ok = std::fwrite(bytes, 1, PolyglotEntrySize, out) == size_t(PolyglotEntrySize);
        }
        return ok;
    });
}

} // namespace

bool BuildPolyglotBook(const std::vector<std::string> &gameFiles, const char *bookFile, const BookBuildOptions &options,
                       BookBuildStats &stats, std::FILE *messages) {
    stats = BookBuildStats{};
    TallyTable table;
    table.messages = messages;
    table.limit = std::max<size_t>(size_t(options.maxSlots), 1024);
    table.capacity = std::min(table.limit, InitialTallies);
    table.tallies.reserve(table.capacity);
    GameReplay *replay = new PolyglotReplay(options, table, stats, messages);
    bool ok = true;
    for (const std::string &file : gameFiles)
        if (!(ok = replay->ReadGames(file))) break;
    delete replay;
    SetupPosition(StartPosition);
    table.Merge();
    stats.positions = table.tallies.size();
    stats.prunedBelow = table.prunedBelow;
    if (!ok) {
        std::fprintf(messages, "morvane-book: %s not written\n", bookFile);
        return false;
    }
    const std::vector<PolyglotEntry> entries = EntriesOf(table.tallies, options);
    stats.written = entries.size();
    if (entries.empty()) {
        std::fprintf(messages, "morvane-book: no move qualifies, %s not written\n", bookFile);
        return false;
    }
    if (!WriteEntries(bookFile, entries)) {
        std::fprintf(messages, "morvane-book: cannot write %s: %s\n", bookFile, std::strerror(errno));
        return false;
    }
    return true;
}
