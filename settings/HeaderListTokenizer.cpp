#include "settings/HeaderListTokenizer.h"

namespace {

bool IsListWhiteSpace(unsigned char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20;
}

unsigned char FoldAsciiCase(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

}  // namespace

std::vector<std::string> SplitHeaderList(const std::string& text)
{
    std::vector<std::string> names;
    std::string name;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == ',' || c == 0) {
            if (!name.empty()) names.push_back(name);
            name.clear();
        } else if (IsListWhiteSpace(c)) {
            continue;
        } else if (name.size() < kMaxHeaderNameBytes) {
            name.push_back(ch);
        }
    }
    if (!name.empty()) names.push_back(name);
    return names;
}

bool SameHeaderName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCase(static_cast<unsigned char>(a[i]))
            != FoldAsciiCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool IsSettingsSectionName(const std::string& name)
{
    return SameHeaderName(name, "Quorvel");
}
