// SPDX-License-Identifier: MIT
#include "core/CompoundText.h"

#include <gtest/gtest.h>

using navrik::compoundTextToUtf8;

// As Xlib writes Japanese: JIS X 0208 in GL, half-width katakana and Latin-1 in GR.
TEST(CompoundText, SetsAsXlibDesignatesThem)
{
    EXPECT_EQ(compoundTextToUtf8("\x1b$(BF|K\\8l\x1b(B\nabc \x1b)I\xb6\xc5 \x1b$(B4A;z\x1b(B\n"),
              "日本語\nabc ｶﾅ 漢字\n");
    EXPECT_EQ(compoundTextToUtf8("caf\xe9\t\x1b$)B\xc6\xfc\xcb\xdc\x1b-A\xe9"), "café\t日本é");
    // JIS X 0212 and JIS-Roman, KS C 5601, and a UTF-8 segment.
    EXPECT_EQ(compoundTextToUtf8("\x1b$(D\x30\x21\x1b(J\\~\x1b$)C\xc7\xd1"), "丂¥‾한");
    EXPECT_EQ(compoundTextToUtf8("a\x1b%G😀\x1b%@b"), "a😀b");
}

// An unknown set, a C1 control, a cut-off character or escape sequence stay visible as U+FFFD.
TEST(CompoundText, NothingDroppedUnseen)
{
    EXPECT_EQ(compoundTextToUtf8("\x1b(Zab\x1b(Bc"), "\uFFFD\uFFFDc");
    EXPECT_EQ(compoundTextToUtf8("a\x85" "b"), "a\uFFFDb");
    EXPECT_EQ(compoundTextToUtf8("\x1b$)B\xc6"), "\uFFFD");
    EXPECT_EQ(compoundTextToUtf8("a\x1b$"), "a\uFFFD\uFFFD");
}
