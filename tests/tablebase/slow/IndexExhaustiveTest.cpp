// Every legal 4-piece position of every table side, with all its images.
#include "tablebase/IndexChecks.h"

TEST(IndexExhaustive, FourPieceTables) {
    InitIndexTables();
    for (int id = 6; id <= 35; id++)
        for (int stm = 0; stm < 2; stm++)
            tbtest::CheckTableSide(id, stm, 1, 1);
}
