// SPDX-License-Identifier: MIT
#include "core/SpinValue.h"

#include <gtest/gtest.h>

using navrik::SpinValue;

// Range 20..120: what is not a number reads 20, and a read never clamps.
TEST(SpinValue, ReadsDecimalOrHexElseMinValue)
{
    const std::pair<const char*, std::int32_t> cases[] = {
        {"abc", 20}, {"", 20}, {" ", 20}, {" 70", 70}, {"70 ", 20}, {"+70", 70}, {"-5", -5}, {"$46", 70},
        {"  $4a", 74}, {"$FFFFFFFF", -1}, {"$000000000ffffffff", -1}, {"$100000000", 20}, {"99999999999", 20},
        {"$", 20}, {"-$20", 20}, {"+", 20}, {"0x20", 20}, {"+-5", 20}, {"5-3", 20}, {"1.5", 20}, {"\t7", 20},
        {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX}, {"2147483648", 20}, {"-2147483649", 20},
        // an input method's full-width forms read as ASCII
        {"２５０", 250}, {"　＋７", 7}, {"－５", -5}, {"\u22125", -5}, {"＄４６", 70}, {"７o", 20}, {"\xEF\xBC", 20},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ((SpinValue{20, 120, 1}.read(text)), expected) << '"' << text << '"';
}

// A write and a step clamp; equal ends mean no range, and there a step stops at the 32-bit limits.
TEST(SpinValue, WritesAndStepsClamp)
{
    const SpinValue form{300, 600, 50};
    EXPECT_EQ(form.write(-5), "300");
    EXPECT_EQ(form.stepDown("1000"), "600");
    EXPECT_EQ((SpinValue{20, 120, 50}.stepUp("abc")), "70");
    EXPECT_TRUE(form.needsClamp("1000"));
    EXPECT_FALSE(form.needsClamp("abc"));
    EXPECT_EQ((SpinValue{0, 0, 1}.write(-7)), "-7");
    EXPECT_EQ((SpinValue{0, 0, 1}.stepUp("2147483647")), "2147483647");
    EXPECT_EQ((SpinValue{0, 0, INT32_MIN}.stepDown("0")), "2147483647");
    EXPECT_EQ((SpinValue{0, 0, INT32_MAX}.stepUp("$FFFFFFFF")), "2147483646");
}
