// SPDX-License-Identifier: MIT
#include "core/Cp932.h"

#include <gtest/gtest.h>

// Only what comes back is stored: an invisible character would vanish from the stored mark.
TEST(Cp932, storesOnlyWhatComesBack)
{
    EXPECT_EQ(navrik::utf8ToCp932("＞ 引ｱ"), "\x81\x84 \x88\xF8\xB1");
    for (const char* text : {"\u200B", "a\u00AD", "😀", "\xFF"})
        EXPECT_FALSE(navrik::utf8ToCp932(text)) << text;
}
