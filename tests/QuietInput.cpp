// Linked into every test program: standard input becomes a pipe that never
// has anything to read, as from an interface that sends nothing. Searches run
// in-process then behave the same whether the tests were started from a
// terminal, with a closed input or with /dev/null.
#include <unistd.h>

namespace {

const bool InputIsQuiet = [] {
    int ends[2];
    if (pipe(ends) != 0) return false;
    dup2(ends[0], 0);
    close(ends[0]); // the write end stays open for the life of the program
    return true;
}();

} // namespace
