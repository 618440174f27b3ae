// Reading the settings from the configuration text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/Config.h"
#include "shell/ShellState.h"

namespace {

int64_t Parse(const std::string &text) {
    BookLearn = -1;
    ExtraPlySearch = 3;
    std::strcpy(TbPath, "D:\\tablebases");
    TbCache = 1.0;
    ResignEnabled = 1;
    return ParseConfigText(text.data(), text.size());
}

} // namespace

TEST(ConfigText, EveryKeyIsRead) {
    EXPECT_EQ(Parse("BookLearn TRUE\nExtraPlySearch 5\nTbPath /tb/a;/tb/b\nTbCache 0.5\nHash 64\nResign FALSE\n"), 64);
    EXPECT_EQ(BookLearn, 1);
    EXPECT_EQ(ExtraPlySearch, 5);
    EXPECT_STREQ(TbPath, "/tb/a;/tb/b");
    EXPECT_DOUBLE_EQ(TbCache, 0.5);
    EXPECT_EQ(ResignEnabled, 0);
}

TEST(ConfigText, DefaultsStayWhenKeysAreAbsent) {
    EXPECT_EQ(Parse("BookLearn FALSE"), HashNotGiven);
    EXPECT_EQ(BookLearn, 0);
    EXPECT_EQ(ExtraPlySearch, 3);
    EXPECT_STREQ(TbPath, "D:\\tablebases");
    EXPECT_DOUBLE_EQ(TbCache, 1.0);
    EXPECT_EQ(ResignEnabled, 1);
}

TEST(ConfigText, ReadingStopsAtTheFirstUnreadableValue) {
    EXPECT_EQ(Parse("Hash 8 ExtraPlySearch 2.5 Hash 9 BookLearn TRUE"), 8);
    EXPECT_EQ(BookLearn, -1);
    EXPECT_EQ(ExtraPlySearch, 3);
    EXPECT_EQ(Parse("TbCache nan Hash 9"), HashNotGiven);
    EXPECT_EQ(Parse("Hash"), HashNotGiven) << "a key without a value at the end";
}

TEST(ConfigText, HashValuesComeBackAsWritten) {
    // Out-of-range values are the caller's to report; none is mistaken for
    // a missing setting.
    for (int64_t v : {int64_t(-1), int64_t(0), int64_t(INT32_MIN), int64_t(INT32_MAX), int64_t(16)})
        EXPECT_EQ(Parse("Hash " + std::to_string(v)), v);
    EXPECT_EQ(Parse("Hash 99999999999999999999"), HugeHash);
    EXPECT_EQ(Parse("Hash -2147483649"), HugeNegativeHash);
    EXPECT_EQ(Parse("Hash - Hash 3"), HashNotGiven) << "a sign alone is no number";
}

TEST(ConfigText, TablebasePathFitsItsBuffer) {
    std::string path(256, 'p');
    EXPECT_EQ(Parse("TbPath " + path + " Hash 1"), 1);
    EXPECT_STREQ(TbPath, "D:\\tablebases") << "a path that does not fit is not taken";
    path.pop_back();
    Parse("TbPath " + path);
    EXPECT_EQ(std::string(TbPath), path);
}
