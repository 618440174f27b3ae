#include "book/GameReplay.h"

#include <cstring>

#include "board/Attack.h"
#include "board/MoveGenerator.h"
#include "board/MoveText.h"
#include "board/Setup.h"
#include "book/PgnReader.h"

namespace {

Outcome OutcomeOf(const char *result) {
    if (std::strcmp(result, "1-0") == 0) return Outcome::WhiteWins;
    if (std::strcmp(result, "0-1") == 0) return Outcome::BlackWins;
    if (std::strcmp(result, "1/2-1/2") == 0) return Outcome::Draw;
    return Outcome::Unknown;
}

} // namespace

void GameReplay::Begin() {
    ++number;
    ++stats.games;
    open = true;
    hasMoves = failed = false;
    ply = 0;
    tagResult = Outcome::Unknown;
    Restart();
    SetupPosition(StartPosition);
}

void GameReplay::Finish(Outcome result) {
    if (!open) return;
    open = false;
    if (failed) {
        ++stats.skipped;
        return;
    }
    if (result == Outcome::Unknown) result = tagResult;
    stopped = !Count(result);
}

void GameReplay::Tag(const char *name, const char *value) {
    if (open && hasMoves) Finish(Outcome::Unknown);
    if (!open) Begin();
    if (std::strcmp(name, "Result") == 0) tagResult = OutcomeOf(value);
    if (std::strcmp(name, "FEN") == 0 && !failed && !SetupPosition(value)) {
        std::fprintf(messages, "morvane-book: %s: game %llu: bad FEN tag, game skipped\n", fileName,
                     static_cast<unsigned long long>(number));
        failed = true;
    }
}

void GameReplay::PlayMove(char *text) {
    if (!open) Begin();
    hasMoves = true;
    if (failed || ply >= options.plies || ply >= MaxReplayPlies) return;
    char marks[4]; // marks do not count here
    StripMoveMarks(text, marks, true);
    const Move move = ParseSanMove(text, 1, SanReading::Loose);
    if (move == 0) {
        std::fprintf(messages, "morvane-book: %s: game %llu: cannot play move %d%s %s, game skipped\n", fileName,
                     static_cast<unsigned long long>(number), ply / 2 + 1, SideToMove == White ? "." : "...", text);
        failed = true;
        return;
    }
    BeforeMove(move);
    const uint32_t mover = SideToMove;
    SelectMoveFunctions();
    MakeMove(mover, RootInCheck, 0, move);
    SideToMove = mover ^ 1;
    EpSquare = EpSquareAfter(move);
    RootInCheck = SideInCheck(SideToMove);
    ++ply;
    AfterMove(move);
}

bool GameReplay::ReadGames(const std::string &name) {
    PgnReader in;
    if (!in.Open(name.c_str())) {
        std::fprintf(messages, "morvane-book: cannot read %s\n", name.c_str());
        return false;
    }
    fileName = name.c_str();
    number = 0;
    open = false;
    while (!stopped) {
        switch (in.Next()) {
        case PgnToken::Tag:
            Tag(in.tagName, in.tagValue);
            break;
        case PgnToken::Move:
            PlayMove(in.text);
            break;
        case PgnToken::Result:
            if (!open) Begin(); // a game of no moves
            Finish(OutcomeOf(in.text));
            break;
        case PgnToken::End:
            Finish(Outcome::Unknown); // a game cut short still counts
            return !stopped;
        case PgnToken::ReadError:
            std::fprintf(messages, "morvane-book: cannot read %s: %s\n", name.c_str(), std::strerror(in.readErrno));
            return false;
        case PgnToken::Binary:
            std::fprintf(messages, "morvane-book: %s is no game file (binary data)\n", name.c_str());
            return false;
        case PgnToken::TooLarge:
            return false; // no limit is set here
        }
    }
    std::fprintf(messages, "morvane-book: out of memory\n");
    return false;
}
