// A streaming reader of game files in portable game notation. It reads the
// file in fixed-size chunks, so memory stays bounded whatever the file size,
// and hands out tag pairs, move texts and results one at a time. Comments,
// variations, numeric glyphs, move numbers and escaped lines are skipped.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

enum class PgnToken : uint8_t {
    Tag,       // a tag pair: tagName, tagValue
    Move,      // a move text, marks such as "+", "!" or "?" still attached
    Result,    // "1-0", "0-1", "1/2-1/2" or "*"
    End,       // end of the file
    ReadError, // the file could not be read on (readErrno tells why)
    Binary,    // a zero byte: the file is no text
    TooLarge,  // more bytes than the limit set in maxBytes
};

struct PgnReader {
    static constexpr size_t ChunkSize = 65536;
    static constexpr size_t TextMax = 63;   // longer move texts are cut (they name no move)
    static constexpr size_t ValueMax = 255; // longer tag values are cut

    // Set before Open: the input is refused once more bytes than this were
    // read (0: no limit). The read function can be replaced for tests.
    uint64_t maxBytes = 0;
    ssize_t (*readFunction)(int, void *, size_t) = nullptr;

    char text[TextMax + 1] = {};      // Move and Result
    char tagName[ValueMax + 1] = {};  // Tag
    char tagValue[ValueMax + 1] = {}; // Tag
    uint64_t bytesRead = 0;
    uint64_t line = 1; // line of the last token returned
    int readErrno = 0;

    PgnReader() = default;
    PgnReader(const PgnReader &) = delete;
    PgnReader &operator=(const PgnReader &) = delete;
    ~PgnReader() { Close(); }

    // Opens the file and reads its first chunk. False when the file cannot be
    // opened or its first read fails (a directory, for one): nothing was read.
    bool Open(const char *fileName);
    void Close();
    PgnToken Next();

  private:
    int file_ = -1;
    char buffer_[ChunkSize];
    size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    bool lineStart_ = true;
    PgnToken failure_ = PgnToken::End; // sticky once the input failed

    // The byte at the read position, refilling as needed; -1 at the end of
    // the input or after a failure.
    int Peek();
    void Advance();
    bool Fill();
    void SkipToLineEnd();
    void SkipComment();
    void SkipVariation();
    void ReadTag();
    size_t ReadWord(char *out, size_t max);
};

// Cuts the annotation marks off a move text: the trailing run of "!" and
// "?", returned in marks (at most 3 characters kept). With checkSigns the
// run may hold check and mate signs too, in any order ("Nf3+!", "Nf3!+"),
// and they go as well.
void StripMoveMarks(char *text, char marks[4], bool checkSigns);
