// A fresh folder under the system's temporary folder, removed with its files
// when the test ends; and whole-file reads and writes for checking settings
// files byte for byte.
#pragma once

#include <windows.h>

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return Folder; }
    std::string File(const std::string& name) const { return Folder + "\\" + name; }

private:
    std::string Folder;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);
