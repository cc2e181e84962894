#include "host/Charsets.h"

#include <cstddef>

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

struct CharsetCodePage {
    const char* name;  // lower case
    unsigned codePage;
};

// The charsets seen in mail headers, with their common aliases.
constexpr CharsetCodePage KnownCharsets[] = {
    {"us-ascii", 20127},      {"ascii", 20127},         {"ansi_x3.4-1968", 20127},
    {"utf-8", 65001},         {"utf8", 65001},          {"utf-7", 65000},
    {"iso-2022-jp", CodePageIso2022Jp},                 {"csiso2022jp", CodePageIso2022Jp},
    {"shift_jis", 932},       {"shift-jis", 932},       {"sjis", 932},
    {"x-sjis", 932},          {"ms_kanji", 932},        {"csshiftjis", 932},
    {"windows-31j", 932},     {"cp932", 932},
    {"euc-jp", CodePageEucJp},                          {"x-euc-jp", CodePageEucJp},
    {"cseucpkdfmtjapanese", CodePageEucJp},
    {"iso-8859-1", 28591},    {"iso8859-1", 28591},     {"iso_8859-1", 28591},
    {"latin1", 28591},        {"l1", 28591},
    {"iso-8859-2", 28592},    {"iso-8859-5", 28595},    {"iso-8859-7", 28597},
    {"iso-8859-9", 28599},    {"iso-8859-15", 28605},
    {"windows-1250", 1250},   {"windows-1251", 1251},   {"windows-1252", 1252},
    {"cp1252", 1252},         {"windows-1253", 1253},   {"windows-1254", 1254},
    {"koi8-r", 20866},        {"koi8-u", 21866},
    {"gb2312", 936},          {"gbk", 936},             {"gb18030", 54936},
    {"big5", 950},            {"euc-kr", 949},          {"ks_c_5601-1987", 949},
    {"iso-2022-kr", 50225},
};

enum class JisMode { Ascii, Katakana, Jis0208, Jis0212 };

}  // namespace

unsigned CodePageForCharset(const std::string& charset)
{
    std::string lower;
    lower.reserve(charset.size());
    for (char c : charset) lower.push_back(LowerAscii(c));
    for (const CharsetCodePage& known : KnownCharsets) {
        if (lower == known.name) return known.codePage;
    }
    return 0;
}

bool Iso2022JpToEucJp(const std::string& in, std::string& out)
{
    out.clear();
    JisMode mode = JisMode::Ascii;
    bool shiftedOut = false;  // SO: Katakana until SI
    const size_t n = in.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        if (c >= 0x80) return false;
        if (c == 0x1B) {
            const std::string rest = in.substr(i + 1, 3);
            if (rest.compare(0, 2, "(B") == 0 || rest.compare(0, 2, "(J") == 0) {
                mode = JisMode::Ascii;
                i += 3;
            } else if (rest.compare(0, 2, "(I") == 0) {
                mode = JisMode::Katakana;
                i += 3;
            } else if (rest.compare(0, 2, "$@") == 0 || rest.compare(0, 2, "$B") == 0) {
                mode = JisMode::Jis0208;
                i += 3;
            } else if (rest == "$(D") {
                mode = JisMode::Jis0212;
                i += 4;
            } else {
                return false;
            }
            continue;
        }
        if (c == 0x0E) {
            shiftedOut = true;
            ++i;
            continue;
        }
        if (c == 0x0F) {
            shiftedOut = false;
            ++i;
            continue;
        }
        // Controls and the space stand for themselves in every mode.
        if (c <= 0x20 || c == 0x7F) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (shiftedOut || mode == JisMode::Katakana) {
            if (c > 0x5F) return false;
            out.push_back(static_cast<char>(0x8E));
            out.push_back(static_cast<char>(c | 0x80));
            ++i;
        } else if (mode == JisMode::Ascii) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else {
            if (i + 1 >= n) return false;
            const unsigned char trail = static_cast<unsigned char>(in[i + 1]);
            if (trail < 0x21 || trail > 0x7E) return false;
            if (mode == JisMode::Jis0212) out.push_back(static_cast<char>(0x8F));
            out.push_back(static_cast<char>(c | 0x80));
            out.push_back(static_cast<char>(trail | 0x80));
            i += 2;
        }
    }
    return true;
}
