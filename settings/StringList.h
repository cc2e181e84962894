// A list of 8-bit texts in insertion order.
#pragma once

#include <string>
#include <vector>

class TStringList {
public:
    void Clear() { Strings.clear(); }
    void Add(const std::string& text) { Strings.push_back(text); }
    int Count() const { return static_cast<int>(Strings.size()); }
    const std::string& operator[](int index) const { return Strings[static_cast<size_t>(index)]; }

private:
    std::vector<std::string> Strings;
};
