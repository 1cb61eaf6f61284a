#include "settings/SpinValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using navrik::SpinValue;

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct ReadCase {
    const char* text;
    std::int32_t expected;
};

class SpinValueRead : public testing::TestWithParam<ReadCase> {};

// Range 20..120: a text that is not a number reads 20, and a read never clamps.
TEST_P(SpinValueRead, ReadsDecimalOrHexElseMinValue)
{
    const SpinValue rules{20, 120, 1};
    EXPECT_EQ(rules.read(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpinValueRead,
    testing::Values(ReadCase{"abc", 20}, ReadCase{"", 20}, ReadCase{" ", 20},
                    ReadCase{" 70", 70}, ReadCase{"70 ", 20}, ReadCase{"+70", 70},
                    ReadCase{"$46", 70}, ReadCase{"  $4a", 74}, ReadCase{"$FFFFFFFF", -1},
                    ReadCase{"$0000000ffffffff", -1}, ReadCase{"$100000000", 20},
                    ReadCase{"99999999999", 20}, ReadCase{"-5", -5}, ReadCase{"5", 5},
                    ReadCase{"$", 20}, ReadCase{"-$20", 20}, ReadCase{"+", 20},
                    ReadCase{"0x20", 20}, ReadCase{"+-5", 20}, ReadCase{"5-3", 20},
                    ReadCase{"1.5", 20}, ReadCase{"\t7", 20}, ReadCase{"-2147483648", kMin},
                    ReadCase{"2147483647", kMax}, ReadCase{"2147483648", 20},
                    ReadCase{"-2147483649", 20}));

TEST(SpinValue, WriteClampsToTheRangeAndWritesPlainDecimal)
{
    const SpinValue rules{300, 600, 50};
    EXPECT_EQ(rules.write(1000), "600");
    EXPECT_EQ(rules.write(-5), "300");
    EXPECT_EQ(rules.write(450), "450");
    EXPECT_TRUE(rules.needsClamp("1000"));
    EXPECT_TRUE(rules.needsClamp("-5"));
    EXPECT_FALSE(rules.needsClamp("450"));
    EXPECT_FALSE(rules.needsClamp("abc"));
}

TEST(SpinValue, EqualEndsMeanNoRange)
{
    const SpinValue rules{0, 0, 1};
    EXPECT_EQ(rules.write(-7), "-7");
    EXPECT_EQ(rules.write(123456), "123456");
    EXPECT_FALSE(rules.needsClamp("-7"));
    EXPECT_EQ(rules.stepUp("abc"), "1");
}

TEST(SpinValue, StepsStopAtTheEnds)
{
    EXPECT_EQ((SpinValue{20, 120, 1}.stepUp("abc")), "21");
    EXPECT_EQ((SpinValue{20, 120, 50}.stepUp("abc")), "70");
    EXPECT_EQ((SpinValue{20, 120, 1}.stepUp("120")), "120");
    EXPECT_EQ((SpinValue{20, 120, 1}.stepDown("20")), "20");
    EXPECT_EQ((SpinValue{300, 600, 50}.stepUp("580")), "600");
    // The read does not clamp, so a step from far outside still lands on the end.
    EXPECT_EQ((SpinValue{300, 600, 50}.stepDown("1000")), "600");
}

// With no range a step past the 32-bit limits stops there instead of wrapping.
TEST(SpinValue, StepsDoNotOverflow)
{
    EXPECT_EQ((SpinValue{0, 0, 1}.stepUp("2147483647")), "2147483647");
    EXPECT_EQ((SpinValue{0, 0, 1}.stepDown("-2147483648")), "-2147483648");
    EXPECT_EQ((SpinValue{0, 0, kMin}.stepDown("0")), "2147483647");
    EXPECT_EQ((SpinValue{0, 0, kMax}.stepUp("$FFFFFFFF")), "2147483646");
}

} // namespace
