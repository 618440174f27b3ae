// The one reader of standard input (file descriptor 0). Nothing else reads fd 0.
#pragma once

#include <cstddef>
#include <cstdint>

// Skips blanks and line breaks, reads one whitespace-delimited word. Stores at
// most size - 1 characters plus NUL; returns the word's full length (which may
// exceed size - 1 when the word was longer), or -1 at end of input.
long ReadWord(char *buffer, size_t size);
// What is left of the line of the last word read is never read: the reader
// skips it, up to and including its line break, when it gets there (so this
// never blocks). Nothing is skipped when that line has ended already.
void DropRestOfLine();
// Reads a word and converts it to an integer. Returns 1 on success, 0 when
// the word is not a number (the word is consumed), -1 at end of input.
int ReadInteger(int32_t &value);
// Reads the rest of the current line (without the line break and a trailing
// carriage return). Stores at most size - 1 characters, discards the rest.
// Returns the stored length, or -1 at end of input with nothing read.
long ReadRestOfLine(char *buffer, size_t size);
// Bytes are waiting: either in our buffer or on fd 0 (poll with zero timeout).
// Blanks and line breaks already buffered are skipped first, so a line break
// left behind by the last word does not count as waiting input. End of input
// (or a broken descriptor) counts as waiting: the next read then reports it.
bool InputWaiting();
// End of input has been seen.
bool InputEnded();
// For long diagnostic runs, between their steps: the input has closed, or a
// "quit" is waiting among the words not yet read (those words stay unread).
// After "nointer" only a closed input counts. Never blocks.
bool EndRequested();

// Whole-word decimal integer with an optional sign that fits in 32 bits.
bool ParseInteger(const char *text, int32_t &value);

// Forgets buffered bytes and the end-of-input state (tests swap fd 0).
void ResetInputReader();
