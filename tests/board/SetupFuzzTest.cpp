#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <random>

#include "board/BoardTestSupport.h"
#include "board/Perft.h"

namespace {

// Sends standard output to /dev/null while alive (setup prints a line per refusal).
class SilenceStdout {
  public:
    SilenceStdout() {
        std::fflush(stdout);
        saved_ = dup(1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~SilenceStdout() {
        std::fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
    }

  private:
    int saved_;
};

#ifdef MORVANE_SANITIZED
constexpr int Rounds = 3000;
#else
constexpr int Rounds = 20000;
#endif

const char *const Seeds[] = {
    StartPosition,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "rnbqkb1r/pp1p1ppp/5n2/2pPp3/8/8/PPP1PPPP/RNBQKBNR w KQkq e6 0 4",
    "4k3/8/8/8/8/8/8/4K2R w K - bm O-O; id \"x\";",
    "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - acd 5; bm Qg6; id \"WAC.001\";\r",
};

// Checks one setup attempt: refused leaves the root untouched, accepted gives
// a consistent position that the generators and make/unmake can walk.
bool Try(const std::string &text) {
    const RootSnapshot before = RootSnapshot::Take();
    const uint32_t bestMoves = BestMoveCount;
    bool accepted;
    {
        SilenceStdout quiet;
        accepted = SetupPosition(text.c_str());
    }
    if (!accepted) {
        EXPECT_TRUE(RootSnapshot::Take() == before) << "refused but changed: " << text;
        EXPECT_EQ(BestMoveCount, bestMoves);
        return false;
    }
    EXPECT_EQ(PositionInconsistency(), "") << text;
    EXPECT_LE(BestMoveCount, uint32_t(MaxBestMoves));
    const PositionSnapshot root = PositionSnapshot::Take();
    PerftRoot(2);
    EXPECT_TRUE(PositionSnapshot::Take() == root) << "perft did not restore: " << text;
    return true;
}

} // namespace

TEST(SetupFuzz, TruncatedStrings) {
    EnsureBoardReady();
    for (const char *seed : Seeds) {
        std::string s(seed);
        for (size_t n = 0; n <= s.size(); n++) {
            Try(s.substr(0, n));
            if (HasFailure()) return;
        }
    }
}

TEST(SetupFuzz, MutatedAndRandomStrings) {
    EnsureBoardReady();
    std::mt19937 rng(12345);
    const std::string alphabet = "pnbrqkPNBRQK12345678/ -wWbBxKQkqe3e6a9;\"\r\t.?0#+=!";
    auto pick = [&](int n) { return int(rng() % uint32_t(n)); };
    int accepted = 0;
    for (int round = 0; round < Rounds; round++) {
        std::string s;
        if (round % 4 == 0) {
            int length = pick(80);
            for (int i = 0; i < length; i++) {
                // Mostly the characters of the notation, sometimes any byte at all.
                s += pick(10) == 0 ? char(1 + pick(255)) : alphabet[size_t(pick(int(alphabet.size())))];
            }
        } else {
            s = Seeds[pick(int(std::size(Seeds)))];
            int edits = 1 + pick(4);
            for (int e = 0; e < edits && !s.empty(); e++) {
                size_t at = size_t(pick(int(s.size())));
                char c = alphabet[size_t(pick(int(alphabet.size())))];
                switch (pick(4)) {
                case 0:
                    s[at] = c;
                    break;
                case 1:
                    s.insert(at, 1, c);
                    break;
                case 2:
                    s.erase(at, 1);
                    break;
                default:
                    s = s.substr(0, at);
                    break;
                }
            }
        }
        ASSERT_TRUE(SetupPosition(Seeds[pick(int(std::size(Seeds)))]));
        if (Try(s)) accepted++;
        if (HasFailure()) return;
    }
    // Both outcomes must be well exercised.
    EXPECT_GT(accepted, Rounds / 50);
    EXPECT_LT(accepted, Rounds - Rounds / 10);
}
