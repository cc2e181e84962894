#include "settings/HeaderListTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

struct SplitCase {
    const char* what;
    std::string text;
    Names expected;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.what;
}

class SplitHeaderListCases : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitHeaderListCases, Splits)
{
    EXPECT_EQ(SplitHeaderList(GetParam().text), GetParam().expected);
}

const std::string k600 = std::string(300, 'A') + std::string(300, 'b');

INSTANTIATE_TEST_SUITE_P(
    Lists, SplitHeaderListCases,
    testing::Values(
        SplitCase{"empty and blank names dropped", ",X-Mailer,, ,Date,", {"X-Mailer", "Date"}},
        SplitCase{"blanks inside a name dropped", "X Mailer", {"XMailer"}},
        SplitCase{"case kept, no duplicates removed", "Subject, subject, SUBJECT",
                  {"Subject", "subject", "SUBJECT"}},
        SplitCase{"empty text", "", {}},
        SplitCase{"only blanks and commas", " \t\r\n\v\f, ,,\r\n", {}},
        SplitCase{"every white-space byte dropped", "\tX-\rMa\nil\ver\f ,\x0B" "Date\r\n",
                  {"X-Mailer", "Date"}},
        SplitCase{"zero byte ends a name", std::string("a\0b", 3), {"a", "b"}},
        SplitCase{"zero bytes alone", std::string("\0\0,\0", 4), {}},
        SplitCase{"high bytes kept", "\x80\xFF,X-\x95\x5C\x82\xA0", {"\x80\xFF", "X-\x95\x5C\x82\xA0"}},
        SplitCase{"other control bytes kept", "\x01\x1F\x7F", {"\x01\x1F\x7F"}},
        SplitCase{"one name, no comma", "Received", {"Received"}},
        SplitCase{"long name cut, next name whole", k600 + ",Date",
                  {k600.substr(0, 511), "Date"}},
        SplitCase{"blanks do not count towards the limit", std::string(600, ' ') + std::string(511, 'x'),
                  {std::string(511, 'x')}},
        SplitCase{"exactly the limit", std::string(511, 'y'), {std::string(511, 'y')}},
        SplitCase{"one over the limit at the end", std::string(512, 'y'), {std::string(511, 'y')}}));

TEST(SameHeaderName, FoldsOnlyAsciiLetters)
{
    struct { std::string a, b; bool same; } cases[] = {
        {"X-Mailer", "x-mailer", true},
        {"SUBJECT", "subject", true},
        {"", "", true},
        {"Date", "Dates", false},
        {"Date", "Date ", false},
        {"a", "b", false},
        // Only a-z/A-Z fold: '@' (0x40) and '`' (0x60), '[' and '{' differ.
        {"@", "`", false},
        {"[", "{", false},
        {"^", "~", false},
        // High bytes are compared as they are (no Latin-1 folding); the rule
        // works on bytes, so an ASCII letter after a lead byte folds too.
        {"\xE9", "\xC9", false},
        {"\x82\x61", "\x82\x41", true},
        {"\x80\xFF", "\x80\xFF", true},
        {std::string("a\0b", 3), std::string("A\0B", 3), true},
        {std::string("a\0b", 3), "a", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameHeaderName(c.a, c.b), c.same) << '"' << c.a << "\" vs \"" << c.b << '"';
        EXPECT_EQ(SameHeaderName(c.b, c.a), c.same) << "not symmetric";
    }
}

TEST(IsSettingsSectionName, MatchesOwnSectionInAnyAsciiCase)
{
    for (const char* name : {"Quorvel", "QUORVEL", "quorvel", "qUoRvEl"}) {
        EXPECT_TRUE(IsSettingsSectionName(name)) << name;
    }
    for (const char* name : {"", "Quorve", "Quorvel ", " Quorvel", "Quorvel1", "X-Quorvel"}) {
        EXPECT_FALSE(IsSettingsSectionName(name)) << name;
    }
}

TEST(SplitHeaderList, OwnSectionNameIsNotFilteredHere)
{
    EXPECT_EQ(SplitHeaderList("Quorvel, Date"), (Names{"Quorvel", "Date"}));
}

}  // namespace
