// Replaying game files for the book writers: each game is played from its
// start (or its FEN tag) up to a ply limit, and when its result is known the
// writer counts what the game did. Both book formats share this; they differ
// only in what they keep of a move and how they count a game.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "board/Board.h"
#include "book/BookBuilder.h"

enum class Outcome { Unknown, WhiteWins, BlackWins, Draw };

// A game is replayed to at most this many plies, whatever the options say.
constexpr int MaxReplayPlies = 400;

class GameReplay {
  public:
    GameReplay(const BookBuildOptions &o, BookBuildStats &s, std::FILE *m) : options(o), stats(s), messages(m) {}
    virtual ~GameReplay() = default;

    // Replays every game of the file. False, with the reason on `messages`,
    // when it cannot be read, is no game file, or a game could not be counted.
    bool ReadGames(const std::string &fileName);

  protected:
    const BookBuildOptions &options;
    BookBuildStats &stats;
    std::FILE *messages;

    // A new game begins: forget the moves of the last one.
    virtual void Restart() = 0;
    // The move is about to be made on the board (BeforeMove) or was just made (AfterMove).
    virtual void BeforeMove(Move) {}
    virtual void AfterMove(Move) {}
    // The game ended with this result (Unknown: none given); false when it
    // could not be counted and the replay must stop.
    virtual bool Count(Outcome result) = 0;

  private:
    const char *fileName = "";
    bool open = false;     // a game has begun (tags or moves)
    bool hasMoves = false; // its move text has begun
    bool failed = false;
    bool stopped = false;
    uint64_t number = 0; // game number within the file
    int ply = 0;
    Outcome tagResult = Outcome::Unknown;

    void Begin();
    void Finish(Outcome result);
    void Tag(const char *name, const char *value);
    void PlayMove(char *text);
};
