// The settings object against real profile files.
#include <gtest/gtest.h>

#include <string>

#include "settings/IniFile.h"
#include "support/TempFolder.h"

namespace {
class SettingsFile : public ::testing::Test {
protected:
    TempFolder folder;
    std::string path = folder.File("viewer.ini");
    TIniFile ini{path};

    void Store(const std::string& text) { WriteWholeFile(path, text); }
    std::string Sections()
    {
        TStringList list;
        ini.ReadSections(list);
        std::string names;
        for (int i = 0; i < list.Count(); ++i)
            names += "[" + list[i] + "]";
        return names;
    }
};

TEST_F(SettingsFile, CreatingTouchesNoFileAndReadsGiveDefaults)
{
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(ini.ReadInteger("X-Mailer", "Top", 56), 56);
    EXPECT_TRUE(ini.ReadBool("Quorvel", "HideIfNoHeader", true));
    EXPECT_FALSE(ini.ReadBool("Quorvel", "AlwaysOnTop", false));
    EXPECT_EQ(Sections(), "");
    EXPECT_FALSE(FileExists(path));

    Store("[X-Mailer]\r\nTop=1\r\n");
    EXPECT_EQ(ini.ReadInteger("Subject", "Top", 7), 7) << "missing section";
    EXPECT_EQ(ini.ReadInteger("X-Mailer", "Left", 8), 8) << "missing key";
}

TEST_F(SettingsFile, IntegerValuesReadByTheNumberRule)
{
    struct Case {
        const char* stored;
        int32_t expected;
    };
    const Case cases[] = {
        {"32", 32}, {"0x20", 32}, {"0X20", 32}, {"-5", -5}, {"0XFFFFFFFF", -1},
        {"12px", 99}, {"", 99}, {"2147483648", 99}, {"-2147483648", INT32_MIN},
        {"0x", 99}, {"-", 99}, {"+", 99}, {"-0", 0}, {"0xFFFFFFFFF", 99},
    };
    for (const Case& c : cases) {
        Store(std::string("[S]\r\nK=") + c.stored + "\r\n");
        EXPECT_EQ(ini.ReadInteger("S", "K", 99), c.expected) << "stored \"" << c.stored << "\"";
    }
}

TEST_F(SettingsFile, BooleansAreIntegersNonZeroIsTrue)
{
    struct Case {
        const char* stored;
        bool defaultValue;
        bool expected;
    };
    const Case cases[] = {
        {"1", false, true}, {"0", true, false}, {"2", false, true}, {"-1", false, true},
        {"yes", false, false}, {"yes", true, true}, {"", true, true},
    };
    for (const Case& c : cases) {
        Store(std::string("[S]\r\nShow=") + c.stored + "\r\n");
        EXPECT_EQ(ini.ReadBool("S", "Show", c.defaultValue), c.expected) << "stored \"" << c.stored << "\"";
    }
}

TEST_F(SettingsFile, OnlyTheFirst1023BytesOfAValueAreSeen)
{
    const std::string digits1023 = std::string(1022, '0') + "7";
    Store("[S]\r\nK=" + digits1023 + "\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", 99), 7);
    EXPECT_EQ(ini.ReadString("S", "K", "").size(), 1023u);

    // The 1024th byte is cut off, so a letter there goes unseen.
    Store("[S]\r\nK=" + digits1023 + "x\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", 99), 7);
    // Digits past the cut do not count either.
    Store("[S]\r\nK=" + std::string(1023, '0') + "5\r\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", 99), 0);
}

TEST_F(SettingsFile, SectionAndKeyNamesIgnoreLetterCase)
{
    Store("[X-Mailer]\r\nshow=0\r\nTOP=12\r\n");
    EXPECT_FALSE(ini.ReadBool("x-mailer", "Show", true));
    EXPECT_EQ(ini.ReadInteger("X-MAILER", "Top", 0), 12);

    ASSERT_TRUE(ini.WriteInteger("x-mailer", "Top", 30));
    EXPECT_EQ(Sections(), "[X-Mailer]") << "no second section for another letter case";
    EXPECT_EQ(ini.ReadInteger("X-Mailer", "top", 0), 30);
}

TEST_F(SettingsFile, SectionsListedInFileOrder)
{
    Store("[B]\r\nShow=1\r\n[Quorvel]\r\nAlwaysOnTop=1\r\n[A]\r\n");
    EXPECT_EQ(Sections(), "[B][Quorvel][A]");
    Store("");
    EXPECT_EQ(Sections(), "");
}

TEST_F(SettingsFile, SectionsPastTheListLimitAreNotSeen)
{
    // 1000 names of 9 bytes plus a zero each: 10000 bytes, past the 8192 of the list.
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        char name[16];
        snprintf(name, sizeof name, "Head%05d", i);
        text += std::string("[") + name + "]\r\nShow=1\r\n";
    }
    Store(text);
    TStringList list;
    ini.ReadSections(list);
    ASSERT_GT(list.Count(), 700);
    ASSERT_LT(list.Count(), 1000);
    for (int i = 0; i < list.Count(); ++i) {
        char name[16];
        snprintf(name, sizeof name, "Head%05d", i);
        EXPECT_EQ(list[i], name) << "every listed name is whole";
    }
}

TEST_F(SettingsFile, WritesReachTheFileAtOnceAndHandEditsAreSeen)
{
    ASSERT_TRUE(ini.WriteInteger("X-Mailer", "Top", -5));
    ASSERT_TRUE(ini.WriteBool("X-Mailer", "Show", true));
    EXPECT_NE(ReadWholeFile(path).find("Top=-5"), std::string::npos);
    EXPECT_NE(ReadWholeFile(path).find("Show=1"), std::string::npos);

    Store("[X-Mailer]\r\nTop=77\r\n; a comment the module does not write\r\n");
    EXPECT_EQ(ini.ReadInteger("X-Mailer", "Top", 0), 77);
    ASSERT_TRUE(ini.WriteInteger("X-Mailer", "Top", 78));
    EXPECT_NE(ReadWholeFile(path).find("; a comment the module does not write"), std::string::npos);
}

// Every way a write can fail must come back as a failure. (A read-only
// attribute is no obstacle to a root user under Wine, so the file is made
// unwritable by holding it open without sharing, as another program would.)
TEST_F(SettingsFile, FailedWritesAreReportedNotClaimed)
{
    Store("[X-Mailer]\r\nTop=1\r\n");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ini.WriteInteger("X-Mailer", "Top", 2)) << "file held open by another program";
    EXPECT_TRUE(ini.WriteFailed());
    CloseHandle(lock);
    EXPECT_EQ(ReadWholeFile(path), "[X-Mailer]\r\nTop=1\r\n");

    ini.ResetWriteFailure();
    EXPECT_TRUE(ini.WriteInteger("X-Mailer", "Top", 2));
    EXPECT_FALSE(ini.WriteFailed());

    TIniFile inMissingFolder(folder.File("no such folder\\viewer.ini"));
    EXPECT_FALSE(inMissingFolder.WriteBool("Quorvel", "AlwaysOnTop", true));
    EXPECT_TRUE(inMissingFolder.WriteFailed());

    ASSERT_TRUE(CreateDirectoryA(folder.File("folder.ini").c_str(), nullptr));
    TIniFile onAFolder(folder.File("folder.ini"));
    EXPECT_FALSE(onAFolder.WriteBool("Quorvel", "AlwaysOnTop", true)) << "a folder stands at the path";
}

TEST_F(SettingsFile, NoPathMeansDefaultsAndNoFile)
{
    TIniFile none{""};
    EXPECT_EQ(none.ReadInteger("X-Mailer", "Top", 56), 56);
    EXPECT_FALSE(none.WriteInteger("X-Mailer", "Top", 1));
    EXPECT_TRUE(none.WriteFailed());
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_FALSE(FileExists(std::string(windows) + "\\.ini"));
}
}
