// Generation speed: builds a few tables (with what they need) into a
// temporary directory and prints the time of each.
//
//   bench_tbgen [TABLE...]      default: kqk krk kpk kqkr kbnk kpkp
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tablebase/Generator.h"
#include "tablebase/TableList.h"

int main(int argc, char **argv) {
    std::vector<std::string> names;
    for (int i = 1; i < argc; i++)
        names.push_back(argv[i]);
    if (names.empty()) names = {"kqk", "krk", "kpk", "kqkr", "kbnk", "kpkp"};
    char pattern[] = "/tmp/morvane-bench-tb-XXXXXX";
    const char *dir = mkdtemp(pattern);
    if (dir == nullptr) return 1;
    InitIndexTables();
    double total = 0;
    for (const std::string &name : names) {
        const int id = TbGenTableId(name);
        if (id <= 0) {
            std::fprintf(stderr, "unknown table %s\n", name.c_str());
            continue;
        }
        // Subtables first (not timed), then the table itself.
        std::string error;
        const std::vector<int> subs = TbGenSubtables(id);
        if (!TbGenerateTables(subs, dir, true, TbGenSilent, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        TbGenReport report;
        if (!TbGenerateTable(id, dir, false, report, error)) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
            return 1;
        }
        std::printf("%-6s %8.2f s  %10llu + %10llu positions\n", name.c_str(), report.seconds,
                    static_cast<unsigned long long>(report.side[0].positions),
                    static_cast<unsigned long long>(report.side[1].positions));
        total += report.seconds;
    }
    std::printf("total  %8.2f s\n", total);
    const std::string command = std::string("rm -rf '") + dir + "'";
    return std::system(command.c_str()) == 0 ? 0 : 1;
}
