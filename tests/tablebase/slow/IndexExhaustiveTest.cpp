// Every legal 3- and 4-piece position of every table side with all its
// images, and all placements of every 300th king pair of the 5-piece table
// sides with the images of every 64th.
#include "tablebase/TablebaseTestSupport.h"

TEST(IndexExhaustive, ThreeAndFourPieceTables) {
    InitIndexTables();
    for (int id = 1; id <= 35; id++)
        for (uint32_t stm = 0; stm < 2; stm++)
            tbtest::CheckSide(TbDescriptors[id].name, stm, 1, 0);
}

TEST(IndexExhaustive, FivePieceSlices) {
    InitIndexTables();
    for (int id = 36; id < TbTableCount; id++)
        for (uint32_t stm = 0; stm < 2; stm++)
            tbtest::CheckSide(TbDescriptors[id].name, stm, 300, uint32_t(id % 300), 1, 64);
}
