#include "settings/IniFile.h"

#include <windows.h>

#include <vector>

#include "settings/HeaderListTokenizer.h"
#include "settings/ProfileNumber.h"

namespace {
constexpr DWORD SectionListBytes = 8192;
constexpr DWORD ValueBytes = 1024;
}

TIniFile::TIniFile(const std::string& fileName) : Path(fileName) {}

void TIniFile::ReadSections(TStringList& sections) const
{
    sections.Clear();
    if (Path.empty())
        return;
    std::vector<char> names(SectionListBytes, '\0');
    DWORD length = GetPrivateProfileSectionNamesA(names.data(), SectionListBytes, Path.c_str());
    // The list is a run of zero-terminated names; a name cut off by the end of
    // the buffer is dropped rather than reported under a wrong name.
    if (length > SectionListBytes - 2)
        length = SectionListBytes - 2;
    DWORD start = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (names[i] == '\0') {
            std::string name(names.data() + start, i - start);
            // The profile functions find a section by its name, letter case
            // ignored, and reach only the first one: a repeated section is
            // that same section, listed once.
            bool listed = false;
            for (int j = 0; j < sections.Count() && !listed; ++j)
                listed = SameHeaderName(sections[j], name);
            if (!listed)
                sections.Add(name);
            start = i + 1;
        }
    }
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const
{
    if (Path.empty())
        return defaultValue;
    std::vector<char> value(ValueBytes, '\0');
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                            value.data(), ValueBytes, Path.c_str());
    if (length >= ValueBytes)
        length = ValueBytes - 1;
    return std::string(value.data(), length);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const
{
    return ReadProfileInteger(ReadString(section, key, ""), defaultValue);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    bool written = !Path.empty() &&
        WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), Path.c_str()) != FALSE;
    if (!written)
        HadWriteFailure = true;
    return written;
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value)
{
    return WriteString(section, key, ProfileIntegerText(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    return WriteString(section, key, ProfileBoolText(value));
}
