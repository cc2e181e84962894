#include "settings/SettingsPath.h"

bool DeriveSettingsPath(const std::string& modulePath, bool (*isLeadByte)(unsigned char),
                        std::string& settingsPath)
{
    settingsPath.clear();
    if (modulePath.empty()) return false;

    // One walk, a character at a time: remember where the file name
    // starts and the last "." inside it.
    size_t nameStart = 0;
    size_t lastDot = std::string::npos;
    size_t i = 0;
    while (i < modulePath.size()) {
        const unsigned char c = static_cast<unsigned char>(modulePath[i]);
        if (isLeadByte != nullptr && isLeadByte(c)) {
            // A two-byte character; a lead byte with nothing after it (a
            // broken path) simply ends the walk.
            i += 2;
            continue;
        }
        if (c == '\\' || c == '/') {
            nameStart = i + 1;
            lastDot = std::string::npos;
        } else if (c == '.') {
            lastDot = i;
        }
        ++i;
    }

    if (nameStart >= modulePath.size()) return false;  // ends in a separator

    static const char kExtension[] = ".ini";
    const size_t keep = lastDot != std::string::npos ? lastDot : modulePath.size();
    if (keep + (sizeof kExtension - 1) > kMaxSettingsPathBytes) return false;

    settingsPath.assign(modulePath, 0, keep);
    settingsPath += kExtension;
    return true;
}
