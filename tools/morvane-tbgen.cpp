// morvane-tbgen: writes endgame tables in the engine's table layout.
//
//   morvane-tbgen [-o DIR] [-k] [-q] TABLE...
//
// TABLE is a table name such as kqkr, or all3, all4, all5 for every table
// of that many pieces or fewer. Tables that captures and promotions lead
// into are generated first when DIR does not hold them yet. -k keeps the
// named tables that are already in DIR, -q leaves out the progress lines.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tablebase/Generator.h"
#include "tablebase/TableList.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: morvane-tbgen [-o DIR] [-k] [-q] TABLE...\n"
                         "  TABLE: a table name such as kqkr, or all3, all4, all5\n"
                         "  -o DIR  directory for the table files (default: the current one)\n"
                         "  -k      keep named tables that are already there\n"
                         "  -q      no progress lines\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    std::string directory = ".";
    bool keep = false, progress = true;
    std::vector<int> ids;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "-o") {
            if (++i == argc) return Usage();
            directory = argv[i];
        } else if (arg == "-k") {
            keep = true;
        } else if (arg == "-q") {
            progress = false;
        } else if (arg == "-h" || arg == "--help") {
            Usage();
            return 0;
        } else if (arg == "all3" || arg == "all4" || arg == "all5") {
            const int last = arg == "all3" ? 5 : arg == "all4" ? 35 : TbTableCount - 1;
            for (int id = 1; id <= last; id++)
                ids.push_back(id);
        } else if (const int id = TbGenTableId(arg); id > 0) {
            ids.push_back(id);
        } else {
            std::fprintf(stderr, "morvane-tbgen: unknown table \"%s\"\n", arg.c_str());
            return Usage();
        }
    }
    if (ids.empty()) return Usage();
    struct stat info;
    if (::stat(directory.c_str(), &info) != 0 && ::mkdir(directory.c_str(), 0777) != 0) {
        std::fprintf(stderr, "morvane-tbgen: cannot create directory %s\n", directory.c_str());
        return 1;
    }
    std::string error;
    if (!TbGenerateTables(ids, directory, keep, progress ? TbGenProgress : TbGenReports, error)) {
        std::fprintf(stderr, "morvane-tbgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
