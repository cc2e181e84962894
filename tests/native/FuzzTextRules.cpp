// A bounded random driver for the pure text rules: fixed seed, fixed number of
// inputs, so every run checks the same inputs and finishes quickly even under
// the sanitizers. Each input goes through every rule, and each result is held
// against invariants and, where one is simple to state, an independent
// reference. The files in the corpus folder are replayed first: inputs that
// exposed faults, kept as regression cases.
//
//   fuzz_text_rules [--corpus DIR] [--iterations N] [--seed S]
//
// On a failed check the input is written to fuzz-failure.bin in the current
// folder, ready to be added to the corpus.

#include "host/MailHeaders.h"
#include "settings/HeaderListTokenizer.h"
#include "settings/ProfileNumber.h"
#include "settings/SettingsPath.h"

#include "CodePages.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// --- Failure reporting ----------------------------------------------------

const std::string* g_input = nullptr;
const char* g_origin = "";

std::string Escaped(const std::string& s, size_t max = 160)
{
    std::ostringstream out;
    for (size_t i = 0; i < s.size() && i < max; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out << s[i];
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out << hex;
        }
    }
    if (s.size() > max) out << "... (" << s.size() << " bytes)";
    return out.str();
}

[[noreturn]] void Fail(const char* file, int line, const char* condition, const std::string& detail)
{
    std::cerr << file << ":" << line << ": check failed: " << condition << "\n";
    if (!detail.empty()) std::cerr << "  " << detail << "\n";
    if (g_input != nullptr) {
        std::cerr << "  input (" << g_origin << "): \"" << Escaped(*g_input) << "\"\n";
        std::ofstream("fuzz-failure.bin", std::ios::binary) << *g_input;
        std::cerr << "  written to fuzz-failure.bin\n";
    }
    std::exit(1);
}

#define CHECK(condition, detail)                                              \
    do {                                                                      \
        if (!(condition)) Fail(__FILE__, __LINE__, #condition, (detail));     \
    } while (false)

// --- References -----------------------------------------------------------

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsWhiteSpaceByte(unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20; }

std::string UpperAscii(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::optional<int32_t> ReferenceInteger(const std::string& s)
{
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        const std::string hex = s.substr(2);
        if (hex.size() > 8 || !std::all_of(hex.begin(), hex.end(), IsHexDigit)) return std::nullopt;
        const uint32_t bits = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
        int32_t value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string digits = s;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) return std::nullopt;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() > 10) return std::nullopt;
    long long value = digits.empty() ? 0 : std::stoll(digits);
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

// The path cut into characters first, then searched.
std::optional<std::string> ReferenceSettingsPath(const std::string& path, bool (*isLeadByte)(unsigned char))
{
    struct Char { size_t at; size_t size; };
    std::vector<Char> chars;
    for (size_t i = 0; i < path.size();) {
        const size_t size = isLeadByte(static_cast<unsigned char>(path[i])) ? 2 : 1;
        chars.push_back({i, std::min(size, path.size() - i)});
        i += size;
    }
    const auto isChar = [&](const Char& c, char what) { return c.size == 1 && path[c.at] == what; };
    size_t nameChar = 0;
    for (size_t k = 0; k < chars.size(); ++k) {
        if (isChar(chars[k], '\\') || isChar(chars[k], '/')) nameChar = k + 1;
    }
    if (nameChar >= chars.size()) return std::nullopt;  // empty path, or ends in a separator
    size_t keep = path.size();
    for (size_t k = nameChar; k < chars.size(); ++k) {
        if (isChar(chars[k], '.')) keep = chars[k].at;
    }
    const std::string result = path.substr(0, keep) + ".ini";
    if (result.size() > 259) return std::nullopt;
    return result;
}

std::vector<std::string> ReferenceSplit(const std::string& text)
{
    std::vector<std::string> names;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = begin;
        while (end < text.size() && text[end] != ',' && text[end] != '\0') ++end;
        std::string name;
        for (size_t i = begin; i < end; ++i) {
            if (!IsWhiteSpaceByte(static_cast<unsigned char>(text[i]))) name.push_back(text[i]);
        }
        name.resize(std::min<size_t>(name.size(), 511));
        if (!name.empty()) names.push_back(name);
        begin = end + 1;
    }
    return names;
}

std::string Base64(const std::string& bytes, bool pad)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) out.push_back(kAlphabet[(v >> shift) & 63]);
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out.push_back(kAlphabet[(v >> 18) & 63]);
        out.push_back(kAlphabet[(v >> 12) & 63]);
        if (rest == 2) out.push_back(kAlphabet[(v >> 6) & 63]);
        if (pad) out.append(3 - rest, '=');
    }
    return out;
}

std::string QEncode(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u == ' ') {
            out.push_back('_');
        } else if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')) {
            out.push_back(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "=%02X", u);
            out += hex;
        }
    }
    return out;
}

// --- Random inputs --------------------------------------------------------

class Random {
public:
    explicit Random(uint64_t seed) : engine_(seed) {}
    // Raw engine output, reduced by modulo: the same numbers on every
    // platform, unlike the standard distributions.
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(engine_() % n); }
    bool OneIn(size_t n) { return Below(n) == 0; }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(N)]; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) { return items[Below(items.size())]; }

private:
    std::mt19937_64 engine_;
};

// Bytes that matter to some rule: digits, signs, hex, separators, dots,
// commas, white space, zero, colons, encoded-word syntax, Shift-JIS lead and
// trail bytes, and the rest of the high half.
const unsigned char kInteresting[] = {
    '0', '1', '2', '7', '8', '9', '+', '-', 'x', 'X', 'a', 'F', 'f', 'g', '\\', '/', '.',
    ',', ' ', '\t', '\r', '\n', '\v', '\f', '\0', ':', '=', '?', 'B', 'b', 'Q', 'q', '_',
    '*', 0x81, 0x82, 0x95, 0x9F, 0xA0, 0xE0, 0xFC, 0x5C, 0x7F, 0x80, 0xFD, 0xFF, 0x40,
};

const std::vector<std::string>& Seeds()
{
    static const std::vector<std::string> seeds = {
        "32", "0x20", "-5", "0XFFFFFFFF", "2147483647", "-2147483648", "2147483648", "0x", "-0",
        "0x7FFFFFFF", "+12", std::string(40, '0') + "9",
        "C:\\Mail\\PlugIns\\viewer.dll", "C:\\Mail.1\\viewer", "C:\\\x95\x5C\\viewer.dll",
        "\\\\server\\share\\a.b.c", "/x/y.z/w",
        ",X-Mailer,, ,Date,", "Subject, subject, SUBJECT", "X Mailer,\x82\xA0,Quorvel",
        "From: a@example.jp\r\nSubject: hi\r\n there\r\nX-Mailer: m\r\n\r\nbody\r\n",
        "Received: x\n\ty\nDate: d\n\nX-Body: b\n",
        "=?UTF-8?B?44GT44KT44Gr44Gh44Gv?=", "=?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=",
        "=?iso-8859-1?q?caf=E9?= =?UTF-8*en?Q?a_b?=", "Re: =?x?B?QQ?=\r\n =?x?Q?=41?= end",
        "\x82\xA0\x82\xA0\x82", "\x95\x5C\x95\x5C",
    };
    return seeds;
}

std::string RandomBytes(Random& random, size_t maxSize)
{
    std::string s;
    const size_t size = random.Below(maxSize + 1);
    const bool anyByte = random.OneIn(3);
    for (size_t i = 0; i < size; ++i) {
        s.push_back(static_cast<char>(anyByte ? random.Below(256) : random.Pick(kInteresting)));
    }
    return s;
}

std::string Mutate(Random& random, std::string s)
{
    const size_t steps = 1 + random.Below(4);
    for (size_t k = 0; k < steps; ++k) {
        switch (random.Below(6)) {
        case 0:
            if (!s.empty()) s[random.Below(s.size())] = static_cast<char>(random.Pick(kInteresting));
            break;
        case 1:
            s.insert(s.begin() + static_cast<std::ptrdiff_t>(random.Below(s.size() + 1)),
                     static_cast<char>(random.Pick(kInteresting)));
            break;
        case 2:
            if (!s.empty()) s.erase(random.Below(s.size()), 1 + random.Below(4));
            break;
        case 3:
            if (!s.empty() && s.size() < 2048) {
                const size_t at = random.Below(s.size());
                s.insert(random.Below(s.size() + 1), s.substr(at, 1 + random.Below(16)));
            }
            break;
        case 4:
            s.insert(random.Below(s.size() + 1), random.Pick(Seeds()));
            break;
        default:
            if (!s.empty()) s[random.Below(s.size())] = static_cast<char>(random.Below(256));
            break;
        }
    }
    return s;
}

std::string RandomInput(Random& random)
{
    switch (random.Below(5)) {
    case 0: return RandomBytes(random, 24);
    case 1: return RandomBytes(random, random.OneIn(50) ? 4096 : 300);
    case 2: return random.Pick(Seeds());
    default: return Mutate(random, random.Pick(Seeds()));
    }
}

// --- Checks on one input --------------------------------------------------

void CheckProfileNumber(const std::string& s)
{
    const std::optional<int32_t> expected = ReferenceInteger(s);
    for (const int32_t defaultValue : {12345, -1, 0, INT32_MIN}) {
        const int32_t value = ReadProfileInteger(s, defaultValue);
        CHECK(value == expected.value_or(defaultValue),
              "got " + std::to_string(value) + ", default " + std::to_string(defaultValue));
        CHECK(ReadProfileInteger(ProfileIntegerText(value), value ^ 1) == value, ProfileIntegerText(value));
    }
    for (const bool defaultValue : {false, true}) {
        CHECK(ReadProfileBool(s, defaultValue) == (expected ? *expected != 0 : defaultValue), "");
    }
}

void CheckIntegerText(int32_t value)
{
    const std::string text = ProfileIntegerText(value);
    CHECK(text == std::to_string(value), text);
    CHECK(ReadProfileInteger(text, value ^ 1) == value, text);
}

void CheckSettingsPath(const std::string& s)
{
    for (bool (*isLeadByte)(unsigned char) : {IsShiftJisLeadByte, NeverLeadByte}) {
        std::string path = "stale";
        const bool ok = DeriveSettingsPath(s, isLeadByte, path);
        const std::optional<std::string> expected = ReferenceSettingsPath(s, isLeadByte);
        CHECK(ok == expected.has_value(), "result \"" + Escaped(path) + "\"");
        if (!ok) {
            CHECK(path.empty(), "not cleared: \"" + Escaped(path) + "\"");
            continue;
        }
        CHECK(path == *expected, "got \"" + Escaped(path) + "\", want \"" + Escaped(*expected) + "\"");
        CHECK(path.size() <= 259 && path.size() >= 4 && path.compare(path.size() - 4, 4, ".ini") == 0,
              Escaped(path));
        CHECK(s.compare(0, path.size() - 4, path, 0, path.size() - 4) == 0, "not a prefix");
    }
}

void CheckHeaderList(const std::string& s, Random& random)
{
    const std::vector<std::string> names = SplitHeaderList(s);
    for (const std::string& name : names) {
        CHECK(!name.empty() && name.size() <= 511, std::to_string(name.size()) + " bytes");
        for (const char c : name) {
            CHECK(c != ',' && c != '\0' && !IsWhiteSpaceByte(static_cast<unsigned char>(c)), Escaped(name));
        }
    }
    CHECK(names == ReferenceSplit(s), std::to_string(names.size()) + " names");

    std::vector<std::string> others = names;
    others.push_back(s);
    others.push_back("Quorvel");
    for (const std::string& a : names) {
        const std::string& b = random.Pick(others);
        const bool same = UpperAscii(a) == UpperAscii(b);
        CHECK(SameHeaderName(a, b) == same && SameHeaderName(b, a) == same, Escaped(a) + " / " + Escaped(b));
        CHECK(SameHeaderName(a, a) && SameHeaderName(a, UpperAscii(a)), Escaped(a));
        CHECK(IsSettingsSectionName(a) == (UpperAscii(a) == "QUORVEL"), Escaped(a));
    }
}

bool HasEmptyLine(const std::string& s)
{
    return s.compare(0, 1, "\n") == 0 || s.compare(0, 2, "\r\n") == 0 ||
           s.find("\n\n") != std::string::npos || s.find("\n\r\n") != std::string::npos;
}

void CheckFoundValue(const std::string& block, const std::string& mail, const std::string& name)
{
    std::string value = "stale";
    const bool found = FindHeader(block, name, value);
    if (!found) {
        CHECK(value.empty(), "not cleared");
    } else {
        CHECK(value.find('\n') == std::string::npos, "line break in \"" + Escaped(value) + "\"");
        CHECK(value.empty() || (value.front() != ' ' && value.front() != '\t'), Escaped(value));
        CHECK(value.empty() || (value.back() != ' ' && value.back() != '\t' && value.back() != '\r'),
              Escaped(value));
    }
    std::string again;
    CHECK(FindHeader(block, UpperAscii(name), again) == found && again == value, "case matters");
    CHECK(FindHeader(mail, name, again) == found && again == value, "whole mail differs from its header block");
}

void CheckMailHeaders(const std::string& s, Random& random)
{
    const std::string block = HeaderBlock(s);
    CHECK(s.compare(0, block.size(), block) == 0, "not a prefix");
    CHECK(!HasEmptyLine(block), Escaped(block));
    if (block.size() < s.size()) {
        const std::string rest = s.substr(block.size());
        CHECK(rest.compare(0, 1, "\n") == 0 || rest.compare(0, 2, "\r\n") == 0, "cut not at an empty line");
        CHECK(block.empty() || block.back() == '\n', "block ends inside a line");
    }

    // Names of fields that are in the text, and some that are not.
    std::vector<std::string> names = {"X-Mailer", "subject", "", random.Pick(Seeds()).substr(0, 8)};
    for (size_t begin = 0; begin < s.size() && names.size() < 8;) {
        size_t end = s.find('\n', begin);
        if (end == std::string::npos) end = s.size();
        const size_t colon = s.find(':', begin);
        if (colon < end) names.push_back(s.substr(begin, colon - begin));
        begin = end + 1;
    }
    for (const std::string& name : names) CheckFoundValue(block, s, name);

    const auto refuse = [](const std::string&, const std::string&, std::string& out) {
        out = "never used";
        return false;
    };
    CHECK(DecodeEncodedWords(s, refuse) == s, "refused conversion changed the text");
    const auto identity = [](const std::string&, const std::string& bytes, std::string& out) {
        out = bytes;
        return true;
    };
    const auto picky = [](const std::string& charset, const std::string& bytes, std::string& out) {
        if (charset.size() % 2 == 1 || bytes.find('\0') != std::string::npos) return false;
        out = "<" + bytes + ">";
        return true;
    };
    (void)DecodeEncodedWords(s, identity);
    (void)DecodeEncodedWords(s, picky);
}

void CheckFit(const std::string& s, size_t bufferSize)
{
    for (bool (*isLeadByte)(unsigned char) : {IsShiftJisLeadByte, NeverLeadByte}) {
        const size_t n = FitHeaderValue(s, bufferSize, isLeadByte);
        const size_t limit = bufferSize == 0 ? 0 : std::min(bufferSize - 1, s.size());
        CHECK(n <= limit, std::to_string(n) + " > " + std::to_string(limit));
        // n is a character boundary, and the next character could not be
        // added whole.
        size_t i = 0;
        while (i < n) i += isLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
        CHECK(i == n, "splits a character at " + std::to_string(n));
        for (size_t k = 0; k < n; k += isLeadByte(static_cast<unsigned char>(s[k])) ? 2 : 1) {
            CHECK(!isLeadByte(static_cast<unsigned char>(s[k])) || s[k + 1] != '\0',
                  "lead byte before a zero byte kept at " + std::to_string(k));
        }
        if (n < limit) {
            const bool lead = isLeadByte(static_cast<unsigned char>(s[n]));
            CHECK(lead && (n + 2 > limit || s[n + 1] == '\0'),
                  "stopped early at " + std::to_string(n) + " of " + std::to_string(limit));
        }
        if (isLeadByte == NeverLeadByte) CHECK(n == limit, "single-byte text cut short");
    }
}

void CheckAll(const std::string& s, Random& random)
{
    CheckProfileNumber(s);
    CheckSettingsPath(s);
    CheckHeaderList(s, random);
    CheckMailHeaders(s, random);
    CheckFit(s, random.Below(s.size() + 3));
    CheckFit(s, random.OneIn(8) ? 0 : s.size() + 1);
}

// --- Inputs built with a known answer -------------------------------------

// A mail of random fields; each value is looked up and must come back
// unfolded, first occurrence first.
void CheckBuiltMail(Random& random)
{
    static const char* const kNames[] = {"From", "To", "Subject", "X-Mailer", "Received", "Date", "X-\x82\xA0"};
    struct Field { std::string name, value; };
    std::vector<Field> fields;
    std::string mail;
    const bool lf = random.OneIn(2);
    const std::string lineBreak = lf ? "\n" : "\r\n";
    const size_t count = 1 + random.Below(6);
    for (size_t k = 0; k < count; ++k) {
        Field field{random.Pick(kNames), ""};
        // A value of printable and high bytes with inner blanks, no line breaks.
        const size_t size = random.Below(40);
        for (size_t i = 0; i < size; ++i) {
            const char c = random.OneIn(5) ? (random.OneIn(2) ? ' ' : '\t')
                                           : static_cast<char>(random.OneIn(4) ? 0x80 + random.Below(128)
                                                                               : 0x21 + random.Below(94));
            field.value.push_back(c);
        }
        while (!field.value.empty() && (field.value.front() == ' ' || field.value.front() == '\t')) field.value.erase(0, 1);
        while (!field.value.empty() && (field.value.back() == ' ' || field.value.back() == '\t')) field.value.pop_back();
        // Fold before some of the inner blanks.
        std::string written;
        for (const char c : field.value) {
            if ((c == ' ' || c == '\t') && random.OneIn(2)) written += lineBreak;
            written.push_back(c);
        }
        mail += (random.OneIn(3) ? UpperAscii(field.name) : field.name) + ":" +
                (random.OneIn(2) ? " " : "") + written + lineBreak;
        fields.push_back(field);
    }
    const std::string body = lineBreak + "From: body" + lineBreak + "Subject: body" + lineBreak;
    mail += body;
    g_input = &mail;

    CHECK(HeaderBlock(mail) == mail.substr(0, mail.size() - body.size()), "header block");
    for (const Field& field : fields) {
        const auto first = std::find_if(fields.begin(), fields.end(),
                                        [&](const Field& f) { return f.name == field.name; });
        std::string value;
        CHECK(FindHeader(mail, field.name, value), field.name);
        CHECK(value == first->value, "got \"" + Escaped(value) + "\", want \"" + Escaped(first->value) + "\"");
    }
}

// A header value of plain text and encoded words; decoded with a conversion
// that passes the bytes through, it must give the text with each word
// replaced by its bytes and the white space between adjacent words gone.
void CheckBuiltEncodedWords(Random& random)
{
    static const char* const kCharsets[] = {"UTF-8", "utf-8", "ISO-2022-JP", "iso-8859-1*en", "x"};
    static const char kPlain[] = "abc XYZ 012 .,;:!()<>\"'\t\x82\xA0\xFF";
    static const char* const kSpaces[] = {" ", "\t", "\r\n ", "\n\t", "  "};

    std::string value;
    std::string expected;
    std::string pendingSpace;
    bool afterWord = false;
    const size_t pieces = 1 + random.Below(6);
    for (size_t k = 0; k < pieces; ++k) {
        if (random.OneIn(2)) {
            std::string bytes;
            const size_t size = 1 + random.Below(12);
            for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(random.Below(256)));
            const bool b = random.OneIn(2);
            const std::string text = b ? Base64(bytes, random.OneIn(2)) : QEncode(bytes);
            value += std::string("=?") + random.Pick(kCharsets) + "?" + (b ? (random.OneIn(2) ? "B" : "b")
                                                                           : (random.OneIn(2) ? "Q" : "q")) +
                     "?" + text + "?=";
            if (!afterWord) expected += pendingSpace;
            expected += bytes;
            pendingSpace.clear();
            afterWord = true;
        } else if (random.OneIn(2)) {
            const std::string space = random.Pick(kSpaces);
            value += space;
            pendingSpace += space;
        } else {
            std::string text;
            const size_t size = 1 + random.Below(8);
            for (size_t i = 0; i < size; ++i) text.push_back(kPlain[random.Below(sizeof kPlain - 1)]);
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(random.Below(text.size() + 1)), 'p');
            value += text;
            expected += pendingSpace + text;
            pendingSpace.clear();
            afterWord = false;
        }
    }
    expected += pendingSpace;
    g_input = &value;

    const auto identity = [](const std::string&, const std::string& bytes, std::string& out) {
        out = bytes;
        return true;
    };
    const std::string decoded = DecodeEncodedWords(value, identity);
    CHECK(decoded == expected, "got \"" + Escaped(decoded) + "\", want \"" + Escaped(expected) + "\"");
}

// --- Driver ---------------------------------------------------------------

std::vector<std::string> ReadCorpus(const std::string& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> inputs;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string corpus;
    uint64_t iterations = 200000;
    uint64_t seed = 20241203;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--corpus") corpus = argv[i + 1];
        else if (option == "--iterations") iterations = std::strtoull(argv[i + 1], nullptr, 10);
        else if (option == "--seed") seed = std::strtoull(argv[i + 1], nullptr, 10);
        else {
            std::cerr << "unknown option " << option << "\n";
            return 2;
        }
    }
    const auto started = std::chrono::steady_clock::now();
    Random random(seed);

    size_t replayed = 0;
    if (!corpus.empty()) {
        g_origin = "corpus";
        for (const std::string& input : ReadCorpus(corpus)) {
            g_input = &input;
            CheckAll(input, random);
            for (size_t size = 0; size <= input.size() + 2 && size < 300; ++size) CheckFit(input, size);
            ++replayed;
        }
    }

    g_origin = "random";
    for (uint64_t k = 0; k < iterations; ++k) {
        const std::string input = RandomInput(random);
        g_input = &input;
        CheckAll(input, random);
        CheckIntegerText(static_cast<int32_t>(static_cast<uint32_t>(random.Below(UINT64_MAX))));
        if (k % 4 == 0) CheckBuiltMail(random);
        if (k % 4 == 2) CheckBuiltEncodedWords(random);
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "fuzz_text_rules: " << replayed << " corpus inputs and " << iterations
              << " random inputs checked, seed " << seed << ", " << seconds << " s\n";
    return 0;
}
