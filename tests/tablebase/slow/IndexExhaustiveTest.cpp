// Every legal 4-piece position of every table side with all its images, and
// all placements of every 300th king pair of the 5-piece table sides.
#include "tablebase/TablebaseTestSupport.h"

TEST(IndexExhaustive, FourAndFivePieceTables) {
    InitIndexTables();
    for (int id = 6; id < TbTableCount; id++)
        for (uint32_t stm = 0; stm < 2; stm++)
            tbtest::CheckSide(TbDescriptors[id].name, stm, id <= 35 ? 1 : 300, id <= 35 ? 0 : uint32_t(id % 300), 1,
                              id <= 35 ? 1 : 1u << 30);
}
