#include "core/SpinValue.h"

#include <gtest/gtest.h>

using navrik::SpinValue;

namespace {

struct ReadCase {
    const char* text;
    std::int32_t expected;
};

class SpinValueRead : public testing::TestWithParam<ReadCase> {};

// Range 20..120: what is not a number reads 20, and a read never clamps.
TEST_P(SpinValueRead, DecimalOrHexElseMinValue)
{
    EXPECT_EQ((SpinValue{20, 120, 1}.read(GetParam().text)), GetParam().expected)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpinValueRead,
    testing::Values(ReadCase{"abc", 20}, ReadCase{"", 20}, ReadCase{" ", 20}, ReadCase{" 70", 70},
                    ReadCase{"70 ", 20}, ReadCase{"+70", 70}, ReadCase{"-5", -5},
                    ReadCase{"$46", 70}, ReadCase{"  $4a", 74}, ReadCase{"$FFFFFFFF", -1},
                    ReadCase{"$000000000ffffffff", -1}, ReadCase{"$100000000", 20},
                    ReadCase{"99999999999", 20}, ReadCase{"$", 20}, ReadCase{"-$20", 20},
                    ReadCase{"+", 20}, ReadCase{"0x20", 20}, ReadCase{"+-5", 20},
                    ReadCase{"5-3", 20}, ReadCase{"1.5", 20}, ReadCase{"\t7", 20},
                    ReadCase{"-2147483648", INT32_MIN}, ReadCase{"2147483647", INT32_MAX},
                    ReadCase{"2147483648", 20}, ReadCase{"-2147483649", 20}));

// A write and a step clamp (a step from far outside lands on the end, as the read does not
// clamp); equal ends mean no range, and there a step stops at the 32-bit limits.
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

} // namespace
