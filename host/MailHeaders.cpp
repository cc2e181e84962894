#include "host/MailHeaders.h"

#include <cstdint>
#include <vector>

namespace {

// One line of a header block: [begin, contentEnd) without its line break
// (LF or CRLF); next is where the following line starts.
struct Line {
    size_t begin;
    size_t contentEnd;
    size_t next;
    bool terminated;  // ends in LF
};

Line LineAt(const std::string& text, size_t begin)
{
    Line line{begin, text.size(), text.size(), false};
    const size_t lf = text.find('\n', begin);
    if (lf != std::string::npos) {
        line.contentEnd = lf;
        line.next = lf + 1;
        line.terminated = true;
    }
    if (line.contentEnd > begin && text[line.contentEnd - 1] == '\r') --line.contentEnd;
    return line;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLinearWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringAsciiCase(const std::string& text, size_t begin, size_t end, const std::string& name)
{
    if (end - begin != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (UpperAscii(text[begin + i]) != UpperAscii(name[i])) return false;
    }
    return true;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    return EqualIgnoringAsciiCase(a, 0, a.size(), b);
}

// --- Encoded words -------------------------------------------------------

int Base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Base64 with or without its "=" padding. Padding, if present, must make the
// length a multiple of four; a single leftover character is never valid.
bool DecodeBase64(const std::string& text, std::string& bytes)
{
    size_t dataEnd = text.size();
    while (dataEnd > 0 && text[dataEnd - 1] == '=') --dataEnd;
    const size_t padding = text.size() - dataEnd;
    if (padding > 2) return false;
    if (padding > 0 && text.size() % 4 != 0) return false;
    if (dataEnd % 4 == 1) return false;

    bytes.clear();
    uint32_t bits = 0;
    int bitCount = 0;
    for (size_t i = 0; i < dataEnd; ++i) {
        const int v = Base64Value(static_cast<unsigned char>(text[i]));
        if (v < 0) return false;
        bits = ((bits << 6) | static_cast<uint32_t>(v)) & 0xFFFFFF;
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.push_back(static_cast<char>((bits >> bitCount) & 0xFF));
        }
    }
    return true;
}

bool DecodeQ(const std::string& text, std::string& bytes)
{
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            bytes.push_back(' ');
        } else if (c == '=') {
            if (i + 2 >= text.size()) return false;  // "=" needs two hex digits
            const int hi = HexValue(static_cast<unsigned char>(text[i + 1]));
            const int lo = HexValue(static_cast<unsigned char>(text[i + 2]));
            if (hi < 0 || lo < 0) return false;
            bytes.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
        } else {
            bytes.push_back(c);
        }
    }
    return true;
}

// A charset may not hold white space, controls, non-ASCII bytes or the
// special characters of MIME tokens.
bool IsCharsetByte(unsigned char c)
{
    if (c <= 0x20 || c >= 0x7F) return false;
    switch (c) {
    case '(': case ')': case '<': case '>': case '@': case ',': case ';': case ':':
    case '"': case '/': case '[': case ']': case '?': case '.': case '=':
        return false;
    default:
        return true;
    }
}

// The encoded text: printable ASCII without "?" and without spaces.
bool IsEncodedTextByte(unsigned char c)
{
    return c > 0x20 && c < 0x7F && c != '?';
}

struct EncodedWord {
    size_t begin = 0;  // the "=" of "=?"
    size_t end = 0;    // just past the closing "?="
    std::string charset;
    std::string bytes;
};

enum class WordParse { NotAWord, Undecodable, Decoded };

// Reads the encoded word that starts at pos. NotAWord means the text there
// does not have the shape of an encoded word; Undecodable means it has, but
// its charset is only a language, or its encoding letter or encoded text is
// bad (word.end is then valid).
WordParse ParseEncodedWord(const std::string& s, size_t pos, EncodedWord& word)
{
    const size_t n = s.size();
    if (pos + 1 >= n || s[pos] != '=' || s[pos + 1] != '?') return WordParse::NotAWord;

    size_t i = pos + 2;
    const size_t charsetBegin = i;
    while (i < n && IsCharsetByte(static_cast<unsigned char>(s[i]))) ++i;
    if (i == charsetBegin || i >= n || s[i] != '?') return WordParse::NotAWord;
    const size_t charsetEnd = i;

    // "?X?" with the encoding letter X.
    if (i + 2 >= n || s[i + 2] != '?') return WordParse::NotAWord;
    const char encoding = s[i + 1];
    if (!IsEncodedTextByte(static_cast<unsigned char>(encoding))) return WordParse::NotAWord;

    i += 3;
    const size_t textBegin = i;
    while (i < n && IsEncodedTextByte(static_cast<unsigned char>(s[i]))) ++i;
    if (i == textBegin || i + 1 >= n || s[i] != '?' || s[i + 1] != '=') return WordParse::NotAWord;
    const size_t textEnd = i;

    word.begin = pos;
    word.end = textEnd + 2;

    // "charset*language": only the charset is wanted.
    size_t nameEnd = charsetBegin;
    while (nameEnd < charsetEnd && s[nameEnd] != '*') ++nameEnd;
    if (nameEnd == charsetBegin) return WordParse::Undecodable;
    word.charset.assign(s, charsetBegin, nameEnd - charsetBegin);

    const std::string text(s, textBegin, textEnd - textBegin);
    bool decoded = false;
    if (encoding == 'B' || encoding == 'b') {
        decoded = DecodeBase64(text, word.bytes);
    } else if (encoding == 'Q' || encoding == 'q') {
        decoded = DecodeQ(text, word.bytes);
    }
    return decoded ? WordParse::Decoded : WordParse::Undecodable;
}

bool OnlyLinearWhiteSpace(const std::string& s, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i) {
        if (!IsLinearWhiteSpace(s[i])) return false;
    }
    return true;
}

// Converts a chain of encoded words that stand next to each other (only white
// space between them) and writes it to out.
void EmitChain(const std::string& value, const std::vector<EncodedWord>& chain,
               const HeaderCharsetConverter& convert, std::string& out)
{
    const size_t count = chain.size();
    // converted[i]: the text of word i, or of the run of same-charset words
    // that starts at i; ok[i]: word i is shown converted (alone or as part of
    // a run); covered[i]: word i's text is already in its run's converted text.
    std::vector<std::string> converted(count);
    std::vector<bool> ok(count, false);
    std::vector<bool> covered(count, false);

    size_t runBegin = 0;
    while (runBegin < count) {
        size_t runEnd = runBegin + 1;
        while (runEnd < count && EqualIgnoringAsciiCase(chain[runEnd].charset, chain[runBegin].charset)) {
            ++runEnd;
        }
        bool runConverted = false;
        if (runEnd - runBegin > 1) {
            std::string bytes;
            for (size_t k = runBegin; k < runEnd; ++k) bytes += chain[k].bytes;
            std::string text;
            if (convert(chain[runBegin].charset, bytes, text)) {
                converted[runBegin] = std::move(text);
                for (size_t k = runBegin; k < runEnd; ++k) {
                    ok[k] = true;
                    covered[k] = k != runBegin;
                }
                runConverted = true;
            }
        }
        if (!runConverted) {
            for (size_t k = runBegin; k < runEnd; ++k) {
                std::string text;
                if (convert(chain[k].charset, chain[k].bytes, text)) {
                    converted[k] = std::move(text);
                    ok[k] = true;
                }
            }
        }
        runBegin = runEnd;
    }

    for (size_t k = 0; k < count; ++k) {
        if (k > 0 && !(ok[k - 1] && ok[k])) {
            // White space next to a word left raw is ordinary text.
            out.append(value, chain[k - 1].end, chain[k].begin - chain[k - 1].end);
        }
        if (!ok[k]) {
            out.append(value, chain[k].begin, chain[k].end - chain[k].begin);
        } else if (!covered[k]) {
            out += converted[k];
        }
    }
}

}  // namespace

std::string HeaderBlock(const std::string& mail)
{
    size_t begin = 0;
    while (begin < mail.size()) {
        const Line line = LineAt(mail, begin);
        if (!line.terminated) break;
        if (line.contentEnd == line.begin) return mail.substr(0, begin);
        begin = line.next;
    }
    return mail;
}

bool FindHeader(const std::string& headerBlock, const std::string& name, std::string& rawValue)
{
    rawValue.clear();
    if (name.empty()) return false;

    bool found = false;
    size_t begin = 0;
    while (begin < headerBlock.size()) {
        const Line line = LineAt(headerBlock, begin);
        if (line.contentEnd == line.begin && line.terminated) break;  // end of the header block
        const bool continuation = IsBlank(headerBlock[line.begin]);
        if (found) {
            if (!continuation) break;
            // Unfolding: the line break goes, the white space stays.
            rawValue.append(headerBlock, line.begin, line.contentEnd - line.begin);
        } else if (!continuation) {
            const size_t colon = headerBlock.find(':', line.begin);
            if (colon < line.contentEnd) {
                // Old mailers may put blanks between the name and the colon.
                size_t nameEnd = colon;
                while (nameEnd > line.begin && IsBlank(headerBlock[nameEnd - 1])) --nameEnd;
                if (EqualIgnoringAsciiCase(headerBlock, line.begin, nameEnd, name)) {
                    found = true;
                    rawValue.assign(headerBlock, colon + 1, line.contentEnd - colon - 1);
                }
            }
        }
        begin = line.next;
    }
    if (!found) return false;

    size_t first = 0;
    while (first < rawValue.size() && IsBlank(rawValue[first])) ++first;
    size_t last = rawValue.size();
    while (last > first && (IsBlank(rawValue[last - 1]) || rawValue[last - 1] == '\r')) --last;
    rawValue = rawValue.substr(first, last - first);
    return true;
}

std::string DecodeEncodedWords(const std::string& value, const HeaderCharsetConverter& convert)
{
    std::string out;
    out.reserve(value.size());
    std::vector<EncodedWord> chain;

    size_t pos = 0;     // where the text not yet written starts
    size_t scan = 0;    // where to look for the next "=?"
    while (true) {
        const size_t start = value.find("=?", scan);
        if (start == std::string::npos) break;
        EncodedWord word;
        const WordParse parse = ParseEncodedWord(value, start, word);
        if (parse == WordParse::NotAWord) {
            scan = start + 1;
            continue;
        }
        if (parse == WordParse::Undecodable) {
            // Stays raw, like the text around it.
            scan = word.end;
            continue;
        }
        const bool adjacent = !chain.empty() && OnlyLinearWhiteSpace(value, pos, start);
        if (!adjacent) {
            if (!chain.empty()) {
                EmitChain(value, chain, convert, out);
                chain.clear();
            }
            out.append(value, pos, start - pos);
        }
        pos = word.end;
        scan = word.end;
        chain.push_back(std::move(word));
    }
    if (!chain.empty()) EmitChain(value, chain, convert, out);
    out.append(value, pos, std::string::npos);
    return out;
}

size_t FitHeaderValue(const std::string& value, size_t bufferSize, bool (*isLeadByte)(unsigned char))
{
    if (bufferSize == 0) return 0;
    const size_t limit = value.size() < bufferSize - 1 ? value.size() : bufferSize - 1;
    size_t i = 0;
    while (i < limit) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (isLeadByte != nullptr && isLeadByte(c)) {
            // Left out when its trail byte is cut off or missing (limit never
            // passes the end of value), or is a zero byte, which would end the
            // copied text right after a lone lead byte.
            if (i + 2 > limit || value[i + 1] == '\0') break;
            i += 2;
        } else {
            ++i;
        }
    }
    return i;
}
