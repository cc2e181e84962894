#include "settings/ProfileNumber.h"

#include <cstddef>

namespace {

int HexDigitValue(unsigned char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0x" plus 1..8 hex digits; the caller has checked the prefix and that
// the text is longer than the prefix.
bool ParseHex(const std::string& text, int32_t& value)
{
    const size_t digits = text.size() - 2;
    if (digits > 8) return false;
    uint32_t pattern = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const int d = HexDigitValue(static_cast<unsigned char>(text[i]));
        if (d < 0) return false;
        pattern = (pattern << 4) | static_cast<uint32_t>(d);
    }
    // Two's complement reinterpretation, done arithmetically so that it is
    // well defined for every pattern.
    value = pattern <= 0x7FFFFFFFu
        ? static_cast<int32_t>(pattern)
        : static_cast<int32_t>(static_cast<int64_t>(pattern) - 0x100000000LL);
    return true;
}

bool ParseDecimal(const std::string& text, int32_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return false;  // empty or a lone sign

    // The magnitude is capped just above the largest one allowed, so any
    // number of digits (leading zeros included) cannot overflow.
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

int32_t ReadProfileInteger(const std::string& stored, int32_t defaultValue)
{
    int32_t value = 0;
    const bool hexForm = stored.size() > 2 && stored[0] == '0'
        && (stored[1] == 'x' || stored[1] == 'X');
    const bool ok = hexForm ? ParseHex(stored, value) : ParseDecimal(stored, value);
    return ok ? value : defaultValue;
}

bool ReadProfileBool(const std::string& stored, bool defaultValue)
{
    return ReadProfileInteger(stored, defaultValue ? 1 : 0) != 0;
}

std::string ProfileIntegerText(int32_t value)
{
    // Work on the magnitude in 64 bits so that INT32_MIN needs no special case.
    int64_t magnitude = value;
    const bool negative = magnitude < 0;
    if (negative) magnitude = -magnitude;
    char digits[12];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::string text;
    text.reserve(n + 1);
    if (negative) text.push_back('-');
    while (n > 0) text.push_back(digits[--n]);
    return text;
}

const char* ProfileBoolText(bool value)
{
    return value ? "1" : "0";
}
