// Every legal 4-piece position of every table side, with all its images.
#include "tablebase/IndexTestSupport.h"

TEST(IndexExhaustive, FourPieceTables) {
    InitIndexTables();
    for (int id = 6; id <= 35; id++)
        for (int stm = 0; stm < 2; stm++)
            tbtest::CheckTableSide(id, stm, 1, 1);
}

// Five pieces: every 300th king pair of every table side, all placements.
TEST(IndexExhaustive, FivePieceSlices) {
    InitIndexTables();
    for (int id = 36; id < TbTableCount; id++)
        for (int stm = 0; stm < 2; stm++)
            tbtest::CheckSlice(id, stm, 300, uint32_t(id % 300));
}
