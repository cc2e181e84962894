#include "settings/ProfileNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

constexpr int32_t kDefault = 77;

struct IntegerCase {
    std::string stored;
    int32_t expected;
};

void PrintTo(const IntegerCase& c, std::ostream* os)
{
    *os << '"' << c.stored.substr(0, 40) << (c.stored.size() > 40 ? "...\"" : "\"");
}

class ReadProfileIntegerCases : public testing::TestWithParam<IntegerCase> {};

TEST_P(ReadProfileIntegerCases, ReadsOrFallsBackToDefault)
{
    EXPECT_EQ(ReadProfileInteger(GetParam().stored, kDefault), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, ReadProfileIntegerCases,
    testing::Values(
        IntegerCase{"32", 32}, IntegerCase{"0", 0}, IntegerCase{"-5", -5}, IntegerCase{"+7", 7},
        IntegerCase{"-0", 0}, IntegerCase{"+0", 0}, IntegerCase{"007", 7},
        IntegerCase{"2147483647", INT32_MAX}, IntegerCase{"-2147483648", INT32_MIN},
        IntegerCase{"+2147483647", INT32_MAX},
        IntegerCase{"2147483648", kDefault}, IntegerCase{"-2147483649", kDefault},
        IntegerCase{"99999999999999999999", kDefault},
        IntegerCase{std::string(999, '0') + "1", 1},
        IntegerCase{"-" + std::string(1020, '0') + "2147483648", INT32_MIN},
        IntegerCase{std::string(1022, '9'), kDefault}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ReadProfileIntegerCases,
    testing::Values(
        IntegerCase{"0x20", 32}, IntegerCase{"0X20", 32}, IntegerCase{"0xa", 10},
        IntegerCase{"0xAbCdEf", 0xABCDEF}, IntegerCase{"0x0", 0},
        IntegerCase{"0x7FFFFFFF", INT32_MAX}, IntegerCase{"0x80000000", INT32_MIN},
        IntegerCase{"0xFFFFFFFF", -1}, IntegerCase{"0XFFFFFFFF", -1}, IntegerCase{"0xfffffffe", -2},
        IntegerCase{"0x00000001", 1},
        IntegerCase{"0xFFFFFFFFF", kDefault}, IntegerCase{"0x000000001", kDefault},
        IntegerCase{"0x-1", kDefault}, IntegerCase{"0x+1", kDefault}, IntegerCase{"0xG", kDefault},
        IntegerCase{"0x1 ", kDefault}, IntegerCase{"0x 1", kDefault}, IntegerCase{"0x0x1", kDefault},
        IntegerCase{"-0x1", kDefault}, IntegerCase{"00x1", kDefault}, IntegerCase{"x1", kDefault}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, ReadProfileIntegerCases,
    testing::Values(
        IntegerCase{"", kDefault}, IntegerCase{"-", kDefault}, IntegerCase{"+", kDefault},
        IntegerCase{"0x", kDefault}, IntegerCase{"0X", kDefault}, IntegerCase{"12px", kDefault},
        IntegerCase{" 1", kDefault}, IntegerCase{"1 ", kDefault}, IntegerCase{"1\t", kDefault},
        IntegerCase{"1\r", kDefault}, IntegerCase{"--1", kDefault}, IntegerCase{"+-1", kDefault},
        IntegerCase{"1-", kDefault}, IntegerCase{"1.0", kDefault}, IntegerCase{"1e3", kDefault},
        IntegerCase{std::string("1\0", 2), kDefault}, IntegerCase{std::string("\0" "1", 2), kDefault},
        IntegerCase{"\xEF\xBC\x91", kDefault} /* full-width digit one */,
        IntegerCase{"\x82\x50", kDefault} /* Shift-JIS full-width one */));

TEST(ReadProfileInteger, ReturnsTheCallersDefaultUnchanged)
{
    EXPECT_EQ(ReadProfileInteger("junk", INT32_MIN), INT32_MIN);
    EXPECT_EQ(ReadProfileInteger("junk", INT32_MAX), INT32_MAX);
    EXPECT_EQ(ReadProfileInteger("", -1), -1);
}

TEST(ReadProfileBool, NonZeroIsTrueAndJunkGivesTheDefault)
{
    struct { const char* stored; bool defaultValue; bool expected; } cases[] = {
        {"1", false, true},   {"0", true, false},   {"2", false, true},
        {"-1", false, true},  {"0x0", true, false}, {"0xFFFFFFFF", false, true},
        {"", true, true},     {"", false, false},   {"yes", false, false},
        {"true", true, true}, {"00", true, false},  {"0x100000000", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadProfileBool(c.stored, c.defaultValue), c.expected)
            << '"' << c.stored << "\" default " << c.defaultValue;
    }
}

TEST(ProfileIntegerText, WritesDecimalThatReadsBackTheSame)
{
    struct { int32_t value; const char* text; } cases[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {10, "10"}, {-100, "-100"},
        {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}, {INT32_MIN + 1, "-2147483647"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileIntegerText(c.value), c.text);
        EXPECT_EQ(ReadProfileInteger(ProfileIntegerText(c.value), c.value == 1 ? 2 : 1), c.value);
    }
}

TEST(ProfileBoolText, WritesOneOrZero)
{
    EXPECT_STREQ(ProfileBoolText(true), "1");
    EXPECT_STREQ(ProfileBoolText(false), "0");
    EXPECT_TRUE(ReadProfileBool(ProfileBoolText(true), false));
    EXPECT_FALSE(ReadProfileBool(ProfileBoolText(false), true));
}

}  // namespace
