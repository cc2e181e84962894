#include "host/MailHeaders.h"

#include "CodePages.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// こんにちは in UTF-8 and in ISO-2022-JP.
const std::string kHelloUtf8 = "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF";
const std::string kHelloJis = "\x1B$B$3$s$K$A$O\x1B(B";

const std::string kCrlfMail =
    "Return-Path: <taro@example.jp>\r\n"
    "Received: from mx.example.jp (mx.example.jp [192.0.2.1])\r\n"
    "\tby mail.example.com; Tue, 3 Dec 2024 10:00:00 +0900\r\n"
    "Received: from localhost by mx.example.jp\r\n"
    "From: Taro <taro@example.jp>\r\n"
    "To: hanako@example.com\r\n"
    "Subject: =?UTF-8?B?44GT44KT44Gr44Gh44Gv?=\r\n"
    "Date: Tue, 3 Dec 2024 10:00:00 +0900\r\n"
    "X-Mailer: Quorvel Test Mailer 1.0\r\n"
    " (build 42)\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=UTF-8\r\n"
    "\r\n"
    "Hello.\r\n"
    "X-Mailer: this line is body text\r\n"
    "X-Body: a field-like line of the body\r\n"
    "\r\n"
    "Bye.\r\n";

// A string literal with its embedded zero bytes, without the terminating one.
template <size_t N>
std::string Bytes(const char (&literal)[N])
{
    return std::string(literal, N - 1);
}

std::string ToLf(std::string text)
{
    std::string out;
    for (char c : text) {
        if (c != '\r') out.push_back(c);
    }
    return out;
}

TEST(HeaderBlock, EndsBeforeTheFirstEmptyLine)
{
    struct { const char* what; std::string mail; std::string block; } cases[] = {
        {"CRLF mail", kCrlfMail, kCrlfMail.substr(0, kCrlfMail.find("\r\n\r\n") + 2)},
        {"LF mail", ToLf(kCrlfMail), ToLf(kCrlfMail).substr(0, ToLf(kCrlfMail).find("\n\n") + 1)},
        {"CRLF then LF", "A: 1\r\n\nbody\r\n\r\n", "A: 1\r\n"},
        {"LF then CRLF", "A: 1\n\r\nbody\n\n", "A: 1\n"},
        {"no header end", "A: 1\r\nB: 2\r\n", "A: 1\r\nB: 2\r\n"},
        {"no header end, no final line break", "A: 1\r\nB: 2", "A: 1\r\nB: 2"},
        {"empty mail", "", ""},
        {"starts with an empty line", "\r\nA: 1\r\n", ""},
        {"starts with an empty LF line", "\nA: 1\n", ""},
        {"a blank line is not empty", "A: 1\r\n \r\nB: 2\r\n\r\nbody", "A: 1\r\n \r\nB: 2\r\n"},
        {"lone CR is not a line break", "A: 1\r\r\nB: 2\r\n\r\n", "A: 1\r\r\nB: 2\r\n"},
        {"CR at the very end", "A: 1\r\n\r", "A: 1\r\n\r"},
        {"NUL bytes", Bytes("A: \0\0\r\n\r\n\0"), Bytes("A: \0\0\r\n")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HeaderBlock(c.mail), c.block) << c.what;
    }
}

struct Lookup {
    std::string name;
    bool found;
    std::string value;
};

void ExpectLookups(const std::string& block, const std::vector<Lookup>& lookups)
{
    for (const auto& l : lookups) {
        std::string value = "stale";
        EXPECT_EQ(FindHeader(block, l.name, value), l.found) << l.name;
        EXPECT_EQ(value, l.value) << l.name;
    }
}

TEST(FindHeader, FindsFieldsOfCrlfAndLfMails)
{
    const std::vector<Lookup> lookups = {
        {"x-mailer", true, "Quorvel Test Mailer 1.0 (build 42)"},
        {"X-MAILER", true, "Quorvel Test Mailer 1.0 (build 42)"},
        {"Received", true,
         "from mx.example.jp (mx.example.jp [192.0.2.1])\tby mail.example.com; Tue, 3 Dec 2024 10:00:00 +0900"},
        {"subject", true, "=?UTF-8?B?44GT44KT44Gr44Gh44Gv?="},
        {"Return-Path", true, "<taro@example.jp>"},
        {"Content-Type", true, "text/plain; charset=UTF-8"},
        {"X-Mail", false, ""},
        {"Mailer", false, ""},
        {"X-Mailer ", false, ""},
        {"Cc", false, ""},
        {"X-Body", false, ""},
        {"", false, ""},
    };
    ExpectLookups(HeaderBlock(kCrlfMail), lookups);
    ExpectLookups(HeaderBlock(ToLf(kCrlfMail)), lookups);
    // Passed a whole mail, the search still ends with the header block.
    ExpectLookups(kCrlfMail, lookups);
}

TEST(FindHeader, ReadsValuesLikeAMailReader)
{
    const std::string block =
        "  orphan continuation: not a field\r\n"
        "no colon on this line\r\n"
        "Subject:\r\n"
        "Comments:\r\n"
        "   only on the next line  \r\n"
        "Keywords: one,\r\n"
        "\ttwo,\n"
        " three\r\n"
        "Date : old style\r\n"
        "X-Trailing:  value \t \r\r\n"
        "X-Colons:a: b :c\r\n"
        "X-Empty-Fold: a\r\n"
        " \r\n"
        "X-Cut: first\r\n"
        "not a field\r\n"
        " continuation of nothing\r\n"
        "subject: second subject\r\n"
        "Last: no line break";
    ExpectLookups(block, {
        {"Subject", true, ""},
        {"Comments", true, "only on the next line"},
        {"Keywords", true, "one,\ttwo, three"},
        {"Date", true, "old style"},
        {"X-Trailing", true, "value"},
        {"X-Colons", true, "a: b :c"},
        {"X-Empty-Fold", true, "a"},
        {"X-Cut", true, "first"},
        {"Last", true, "no line break"},
        {"orphan continuation", false, ""},
        {"  orphan continuation", false, ""},
        {"no colon on this line", false, ""},
    });
}

TEST(FindHeader, CopesWithBinaryAndHugeInput)
{
    const std::string binary = Bytes("X-Bin: a\0b\xFF\x80:\r\n\0\0:\x01\r\nX-After: ok\r\n");
    ExpectLookups(binary, {
        {"X-Bin", true, Bytes("a\0b\xFF\x80:")},
        {"X-After", true, "ok"},
        {Bytes("\0\0"), true, "\x01"},
    });

    const std::string longValue(100 * 1024, 'a');
    const std::string longMail = "X-Long: " + longValue + "\r\nDate: d\r\nX-Long2:" +
                                 std::string(100 * 1024, ' ') + "\r\n";
    std::string value;
    ASSERT_TRUE(FindHeader(longMail, "X-Long", value));
    EXPECT_EQ(value, longValue);
    ASSERT_TRUE(FindHeader(longMail, "Date", value));
    EXPECT_EQ(value, "d");
    ASSERT_TRUE(FindHeader(longMail, "X-Long2", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(FindHeader(std::string(100 * 1024, ':'), "X", value));
    EXPECT_FALSE(FindHeader(std::string(100 * 1024, '\n'), "X", value));
}

// A stand-in for the Windows side's conversion: records every call and shows
// each conversion's result in braces.
struct RecordingConverter {
    std::vector<std::pair<std::string, std::string>> calls;
    HeaderCharsetConverter Function()
    {
        return [this](const std::string& charset, const std::string& bytes, std::string& out) {
            calls.emplace_back(charset, bytes);
            if (charset == "x-unknown" || bytes.find('!') != std::string::npos) return false;
            out = "{" + charset + "|" + bytes + "}";
            return true;
        };
    }
};

using Calls = std::vector<std::pair<std::string, std::string>>;

struct DecodeCase {
    const char* what;
    std::string value;
    std::string decoded;
    Calls calls;
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.what;
}

class DecodeEncodedWordsCases : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeEncodedWordsCases, DecodesAndConverts)
{
    RecordingConverter converter;
    EXPECT_EQ(DecodeEncodedWords(GetParam().value, converter.Function()), GetParam().decoded);
    EXPECT_EQ(converter.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed, DecodeEncodedWordsCases,
    testing::Values(
        DecodeCase{"UTF-8 base64", "=?UTF-8?B?44GT44KT44Gr44Gh44Gv?=", "{UTF-8|" + kHelloUtf8 + "}",
                   {{"UTF-8", kHelloUtf8}}},
        DecodeCase{"ISO-2022-JP base64 with text around", "Re: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?= (2)",
                   "Re: {ISO-2022-JP|" + kHelloJis + "} (2)", {{"ISO-2022-JP", kHelloJis}}},
        DecodeCase{"Q with hex escape, lower-case letter", "=?iso-8859-1?q?caf=E9?=", "{iso-8859-1|caf\xE9}",
                   {{"iso-8859-1", "caf\xE9"}}},
        DecodeCase{"Q underscore is a space, escapes in either case", "=?US-ASCII?Q?Keith_Moore=3d=3D?=",
                   "{US-ASCII|Keith Moore==}", {{"US-ASCII", "Keith Moore=="}}},
        DecodeCase{"language suffix dropped", "=?US-ASCII*EN?Q?Keith_Moore?=", "{US-ASCII|Keith Moore}",
                   {{"US-ASCII", "Keith Moore"}}},
        DecodeCase{"lower-case b, unpadded base64", "=?utf-8?b?5Lu25ZCN?= =?utf-8?b?QQ?=",
                   "{utf-8|\xE4\xBB\xB6\xE5\x90\x8D" "A}", {{"utf-8", "\xE4\xBB\xB6\xE5\x90\x8D" "A"}}},
        DecodeCase{"adjacent words of one charset converted together", "=?UTF-8?B?44GT?= =?UTF-8?B?44KT?=",
                   "{UTF-8|\xE3\x81\x93\xE3\x82\x93}", {{"UTF-8", "\xE3\x81\x93\xE3\x82\x93"}}},
        DecodeCase{"character split across two words comes out whole", "=?UTF-8?B?44E=?=\r\n =?utf-8?B?kw==?=",
                   "{UTF-8|\xE3\x81\x93}", {{"UTF-8", "\xE3\x81\x93"}}},
        DecodeCase{"adjacent words of two charsets, folding space dropped",
                   "(=?UTF-8?Q?a?=\r\n\t=?ISO-8859-1?Q?b?=)", "({UTF-8|a}{ISO-8859-1|b})",
                   {{"UTF-8", "a"}, {"ISO-8859-1", "b"}}},
        DecodeCase{"words with no space between them", "=?A?Q?1?==?B?Q?2?=", "{A|1}{B|2}", {{"A", "1"}, {"B", "2"}}},
        DecodeCase{"space to ordinary text kept", "(=?ISO-8859-1?Q?a?= b)", "({ISO-8859-1|a} b)",
                   {{"ISO-8859-1", "a"}}},
        DecodeCase{"words apart stay apart", "=?UTF-8?Q?a?= and =?UTF-8?Q?b?=", "{UTF-8|a} and {UTF-8|b}",
                   {{"UTF-8", "a"}, {"UTF-8", "b"}}},
        DecodeCase{"no encoded word", "plain text =? ?= = ?", "plain text =? ?= = ?", {}},
        DecodeCase{"start inside junk", "=?=?UTF-8?Q?a?=", "=?{UTF-8|a}", {{"UTF-8", "a"}}},
        DecodeCase{"empty value", "", "", {}}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, DecodeEncodedWordsCases,
    testing::Values(
        DecodeCase{"bad base64 character", "x =?UTF-8?B?#abc?= y", "x =?UTF-8?B?#abc?= y", {}},
        DecodeCase{"bad base64 padding", "=?UTF-8?B?QQ=?=", "=?UTF-8?B?QQ=?=", {}},
        DecodeCase{"too much base64 padding", "=?UTF-8?B?Q===?=", "=?UTF-8?B?Q===?=", {}},
        DecodeCase{"one base64 character", "=?UTF-8?B?Q?=", "=?UTF-8?B?Q?=", {}},
        DecodeCase{"padding in the middle", "=?UTF-8?B?QQ==QQ==?=", "=?UTF-8?B?QQ==QQ==?=", {}},
        DecodeCase{"unknown encoding letter", "=?UTF-8?X?abc?=", "=?UTF-8?X?abc?=", {}},
        DecodeCase{"unterminated", "=?UTF-8?B?QUJD", "=?UTF-8?B?QUJD", {}},
        DecodeCase{"unterminated after the question mark", "=?UTF-8?B?QUJD?", "=?UTF-8?B?QUJD?", {}},
        DecodeCase{"Q escape cut short", "=?UTF-8?Q?a=4?=", "=?UTF-8?Q?a=4?=", {}},
        DecodeCase{"Q escape not hex", "=?UTF-8?Q?a=G0?=", "=?UTF-8?Q?a=G0?=", {}},
        DecodeCase{"empty charset", "=?" "?Q?a?=", "=?" "?Q?a?=", {}},
        DecodeCase{"only a language", "=?*en?Q?a?=", "=?*en?Q?a?=", {}},
        DecodeCase{"empty encoded text", "=?UTF-8?Q?" "?=", "=?UTF-8?Q?" "?=", {}},
        DecodeCase{"space inside a word", "=?UTF-8?Q?a b?=", "=?UTF-8?Q?a b?=", {}},
        DecodeCase{"space inside a charset", "=?UTF 8?Q?a?=", "=?UTF 8?Q?a?=", {}},
        DecodeCase{"conversion refused", "=?x-unknown?Q?a?=", "=?x-unknown?Q?a?=", {{"x-unknown", "a"}}},
        DecodeCase{"space next to a refused word kept", "=?x-unknown?Q?a?= =?UTF-8?Q?b?=",
                   "=?x-unknown?Q?a?= {UTF-8|b}", {{"x-unknown", "a"}, {"UTF-8", "b"}}},
        DecodeCase{"refused joint conversion retried word by word", "=?UTF-8?Q?ok?= =?UTF-8?Q?bad!?= =?UTF-8?Q?c?=",
                   "{UTF-8|ok} =?UTF-8?Q?bad!?= {UTF-8|c}",
                   {{"UTF-8", "okbad!c"}, {"UTF-8", "ok"}, {"UTF-8", "bad!"}, {"UTF-8", "c"}}},
        DecodeCase{"undecodable word keeps its neighbours apart", "=?UTF-8?Q?a?= =?UTF-8?B?!!?= =?UTF-8?Q?b?=",
                   "{UTF-8|a} =?UTF-8?B?!!?= {UTF-8|b}", {{"UTF-8", "a"}, {"UTF-8", "b"}}},
        DecodeCase{"binary bytes around a word", Bytes("\0\xFF=?A?Q?z?=\x80\0"),
                   Bytes("\0\xFF{A|z}\x80\0"), {{"A", "z"}}}));

TEST(FitHeaderValue, NeverSplitsADoubleByteCharacter)
{
    struct { const char* what; std::string value; size_t bufferSize; size_t shiftJis; size_t singleByte; } cases[] = {
        {"no buffer", "abc", 0, 0, 0},
        {"room for the zero only", "abc", 1, 0, 0},
        {"cut", "abc", 3, 2, 2},
        {"exact fit", "abc", 4, 3, 3},
        {"large buffer", "abc", 100, 3, 3},
        {"empty value", "", 10, 0, 0},
        {"character at the cut left out", "a\x82\xA0", 3, 1, 2},
        {"character fits", "a\x82\xA0", 4, 3, 3},
        {"two characters, room for one and a half", "\x82\xA0\x82\xA0", 4, 2, 3},
        {"two characters fit", "\x82\xA0\x82\xA0", 5, 4, 4},
        {"trail byte 0x5C", "\x95\x5C" "a", 3, 2, 2},
        {"trail byte in the lead range", "\x81\x81\x81", 3, 2, 2},
        {"lead byte only, no room", "\x81\x81", 2, 0, 1},
        {"dangling lead byte at the end", "ab\x82", 10, 2, 3},
        {"lead byte before a zero byte", Bytes("a\x82\0b"), 10, 1, 4},
        {"huge buffer size", "abc", static_cast<size_t>(-1), 3, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitHeaderValue(c.value, c.bufferSize, IsShiftJisLeadByte), c.shiftJis) << c.what;
        EXPECT_EQ(FitHeaderValue(c.value, c.bufferSize, NeverLeadByte), c.singleByte) << c.what;
        EXPECT_EQ(FitHeaderValue(c.value, c.bufferSize, nullptr), c.singleByte) << c.what;
    }
}

TEST(MailHeaders, SubjectFromMailToFixedBuffer)
{
    // The reader's whole path: header block, field, decoding, and the copy
    // into a fixed buffer of the host's interface.
    std::string raw;
    ASSERT_TRUE(FindHeader(HeaderBlock(kCrlfMail), "Subject", raw));
    // Converts UTF-8 to Shift-JIS for the one text this mail carries.
    const auto toShiftJis = [](const std::string& charset, const std::string& bytes, std::string& out) {
        if (charset != "UTF-8" || bytes != kHelloUtf8) return false;
        out = "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD";
        return true;
    };
    const std::string subject = DecodeEncodedWords(raw, toShiftJis);
    ASSERT_EQ(subject.size(), 10u);
    EXPECT_EQ(FitHeaderValue(subject, 6, IsShiftJisLeadByte), 4u);
    EXPECT_EQ(FitHeaderValue(subject, 11, IsShiftJisLeadByte), 10u);
}

}  // namespace
