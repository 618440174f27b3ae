// Endgame table generator: retrograde analysis with depth to mate, written
// in the engine's own table layout (one signed byte per index of the table
// list's index functions, ".nbw" for white to move, ".nbb" for black).
//
// Byte meaning, from the point of view of the side to move:
//   0           draw (and indices of positions that cannot occur)
//   127 - n     wins, mate in n moves (n = 1..126); -128 mate in 127 moves
//   n - 126     loses, mated in n moves (n = 0..125); -127 mated in 126 moves
// which is what the probe turns into the engine's mate scores.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Scores the generator works with, from the side to move's point of view:
// a win in p plies is TbGenWin - p, a loss in p plies -TbGenWin + p, a draw 0.
constexpr int32_t TbGenWin = 30000;
constexpr int32_t TbGenUnknown = -32000; // no value (byte 127, or no move of a kind)

// Table byte to score (TbGenUnknown for 127), and back (false when the
// distance does not fit in a byte).
int32_t TbGenScoreOfByte(int8_t byte);
bool TbGenByteOfScore(int32_t score, int8_t &byte);

// The score of a parent that reaches a position of this score by one move.
constexpr int32_t TbGenBackUp(int32_t childScore) {
    return childScore > 0 ? -childScore + 1 : childScore < 0 ? -childScore - 1 : 0;
}

// What one table side holds, counted over the file's indices of legal positions.
struct TbGenSideReport {
    uint64_t positions = 0, wins = 0, draws = 0, losses = 0;
    uint32_t longestWin = 0;  // moves
    uint32_t longestLoss = 0; // moves
};

struct TbGenReport {
    int id = 0;
    TbGenSideReport side[2];
    double seconds = 0;
};

// Table id of a name such as "kqkr" (-1 when there is none).
int TbGenTableId(const std::string &name);

// The tables that captures and promotions of a table lead into (ids, each once).
std::vector<int> TbGenSubtables(int id);

// Path of a table side's file in a directory.
std::string TbGenFilePath(const std::string &directory, int id, int side);

// Are both files of a table in the directory, with their expected lengths?
bool TbGenTablePresent(const std::string &directory, int id);

// Generates one table into directory; every subtable must already be there.
// progress prints a line per stage and per few depths to standard output.
// On failure returns false with a message in error.
bool TbGenerateTable(int id, const std::string &directory, bool progress, TbGenReport &report, std::string &error);

// How much TbGenerateTables prints.
enum TbGenOutput { TbGenSilent, TbGenReports, TbGenProgress };

// Generates the tables of ids (in order), generating first every subtable
// that is missing from directory. Tables named in ids are generated even
// when present unless keepExisting is set.
bool TbGenerateTables(const std::vector<int> &ids, const std::string &directory, bool keepExisting, TbGenOutput output,
                      std::string &error);

// Prints the report of one table in the form the tool shows it.
void TbGenPrintReport(const TbGenReport &report);
