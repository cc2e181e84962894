#include "settings/SettingsPath.h"

#include "CodePages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A result of "" means DeriveSettingsPath must refuse the path.
struct PathCase {
    const char* what;
    std::string modulePath;
    std::string shiftJis;      // expected with Shift-JIS lead bytes
    std::string singleByte;    // expected with a single-byte code page
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.what;
}

class DeriveSettingsPathCases : public testing::TestWithParam<PathCase> {};

void ExpectDerived(const std::string& modulePath, bool (*isLeadByte)(unsigned char),
                   const std::string& expected)
{
    std::string settingsPath = "left over from before";
    const bool ok = DeriveSettingsPath(modulePath, isLeadByte, settingsPath);
    EXPECT_EQ(ok, !expected.empty());
    EXPECT_EQ(settingsPath, expected);
}

TEST_P(DeriveSettingsPathCases, WithShiftJisLeadBytes)
{
    ExpectDerived(GetParam().modulePath, IsShiftJisLeadByte, GetParam().shiftJis);
}

TEST_P(DeriveSettingsPathCases, WithSingleByteCodePage)
{
    ExpectDerived(GetParam().modulePath, NeverLeadByte, GetParam().singleByte);
    ExpectDerived(GetParam().modulePath, nullptr, GetParam().singleByte);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DeriveSettingsPathCases,
    testing::Values(
        PathCase{"extension replaced", "C:\\Mail\\PlugIns\\viewer.dll",
                 "C:\\Mail\\PlugIns\\viewer.ini", "C:\\Mail\\PlugIns\\viewer.ini"},
        PathCase{"dot in a folder name is not an extension", "C:\\Mail.1\\viewer",
                 "C:\\Mail.1\\viewer.ini", "C:\\Mail.1\\viewer.ini"},
        PathCase{"only the last dot of the name", "C:\\a\\b.c.dll", "C:\\a\\b.c.ini", "C:\\a\\b.c.ini"},
        PathCase{"upper-case extension", "C:\\A\\VIEWER.DLL", "C:\\A\\VIEWER.ini", "C:\\A\\VIEWER.ini"},
        PathCase{"name ending in a dot", "C:\\a\\viewer.", "C:\\a\\viewer.ini", "C:\\a\\viewer.ini"},
        PathCase{"name that is only an extension", "C:\\a\\.dll", "C:\\a\\.ini", "C:\\a\\.ini"},
        PathCase{"slash separators", "/opt/mail/viewer.dll", "/opt/mail/viewer.ini", "/opt/mail/viewer.ini"},
        PathCase{"mixed separators", "C:\\x.y/z.w\\viewer", "C:\\x.y/z.w\\viewer.ini",
                 "C:\\x.y/z.w\\viewer.ini"},
        PathCase{"UNC path", "\\\\server\\share.1\\viewer.dll", "\\\\server\\share.1\\viewer.ini",
                 "\\\\server\\share.1\\viewer.ini"},
        PathCase{"no folder", "viewer.dll", "viewer.ini", "viewer.ini"},
        PathCase{"no folder, no extension", "viewer", "viewer.ini", "viewer.ini"},
        PathCase{"empty path", "", "", ""},
        PathCase{"path naming a folder", "C:\\Mail\\", "", ""},
        PathCase{"folder named with a trail byte 0x5C",
                 "C:\\\x95\x5C\\viewer.dll", "C:\\\x95\x5C\\viewer.ini", "C:\\\x95\x5C\\viewer.ini"},
        // In Shift-JIS the 0x5C after 0x95 belongs to a character, so the
        // dot before it is in the file name; read single-byte it separates.
        PathCase{"trail byte 0x5C is not a separator",
                 "C:\\Mail\\a.b\x95\x5Cviewer", "C:\\Mail\\a.ini", "C:\\Mail\\a.b\x95\x5Cviewer.ini"},
        PathCase{"module named with a trailing 0x5C trail byte",
                 "C:\\Mail\\viewer\x95\x5C", "C:\\Mail\\viewer\x95\x5C.ini", ""},
        PathCase{"dot after a lead byte belongs to the character",
                 "C:\\a\\b\x81.dll", "C:\\a\\b\x81.dll.ini", "C:\\a\\b\x81.ini"},
        PathCase{"lead byte as the last byte", "C:\\a\\viewer\x81", "C:\\a\\viewer\x81.ini",
                 "C:\\a\\viewer\x81.ini"},
        PathCase{"lone lead byte", "\x95", "\x95.ini", "\x95.ini"}));

// The platform's path buffers hold 259 bytes and the zero.
TEST(DeriveSettingsPath, KeepsWithinThePlatformPathLength)
{
    const auto modulePathOf = [](size_t resultBytes, const std::string& extension) {
        const std::string folder = "C:\\" + std::string(resultBytes - 3 - 1 - 6 - 4, 'd') + "\\";
        return folder + "viewer" + extension;
    };
    struct { size_t resultBytes; const char* extension; } cases[] = {
        {259, ".dll"}, {260, ".dll"}, {259, ""}, {260, ""}, {259, ".x"}, {260, ".x"},
    };
    for (const auto& c : cases) {
        const std::string modulePath = modulePathOf(c.resultBytes, c.extension);
        std::string settingsPath = "stale";
        const bool ok = DeriveSettingsPath(modulePath, IsShiftJisLeadByte, settingsPath);
        SCOPED_TRACE(testing::Message() << c.resultBytes << " bytes, extension '" << c.extension << "'");
        if (c.resultBytes <= kMaxSettingsPathBytes) {
            ASSERT_TRUE(ok);
            EXPECT_EQ(settingsPath.size(), c.resultBytes);
            EXPECT_EQ(settingsPath.substr(settingsPath.size() - 10), "viewer.ini");
        } else {
            EXPECT_FALSE(ok);
            EXPECT_TRUE(settingsPath.empty());
        }
    }
}

TEST(DeriveSettingsPath, LongModulePathWithShortResultIsAccepted)
{
    // 262 bytes in, 259 out: the extension is longer than ".ini".
    const std::string modulePath = "C:\\" + std::string(250, 'd') + "\\v.module";
    ASSERT_EQ(modulePath.size(), 262u);
    std::string settingsPath;
    ASSERT_TRUE(DeriveSettingsPath(modulePath, NeverLeadByte, settingsPath));
    EXPECT_EQ(settingsPath.size(), 259u);
}

TEST(DeriveSettingsPath, DoubleByteFolderNamesAllTheWay)
{
    // A folder of 表 characters, every trail byte a 0x5C.
    std::string folder;
    for (int i = 0; i < 40; ++i) folder += "\x95\x5C";
    std::string settingsPath;
    ASSERT_TRUE(DeriveSettingsPath("C:\\" + folder + "\\v.b.dll", IsShiftJisLeadByte, settingsPath));
    EXPECT_EQ(settingsPath, "C:\\" + folder + "\\v.b.ini");
    ASSERT_TRUE(DeriveSettingsPath("C:\\" + folder + ".d", IsShiftJisLeadByte, settingsPath));
    EXPECT_EQ(settingsPath, "C:\\" + folder + ".ini");
}

}  // namespace
