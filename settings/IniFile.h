// The settings object: one profile (INI) file, read and written through the
// platform's profile functions. It keeps no copy of the file: every read
// consults the file and every write is in the file when the call returns.
#pragma once

#include <cstdint>
#include <string>

#include "settings/StringList.h"

class TIniFile {
public:
    // Keeps the path and touches no file. An empty path stands for "no
    // usable settings file": reads give their defaults, writes fail.
    explicit TIniFile(const std::string& fileName);

    const std::string& FileName() const { return Path; }

    // Clears the list, then appends every section name in file order, each
    // once: a later section whose name differs from an earlier one only in
    // ASCII letter case is the same section to the profile functions, which
    // reach only the first. Names past the 8192-byte section list of the
    // platform call are not seen.
    void ReadSections(TStringList& sections) const;
    // At most the first 1023 bytes of a value are seen.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Each write reports whether it reached the file.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int32_t value);
    bool WriteBool(const std::string& section, const std::string& key, bool value);

    // Whether any write failed since the last ResetWriteFailure: lets an
    // operation made of many writes (some from window destructors) learn
    // that not everything reached the file.
    bool WriteFailed() const { return HadWriteFailure; }
    void ResetWriteFailure() { HadWriteFailure = false; }

private:
    std::string Path;
    bool HadWriteFailure = false;
};
