// Hostile settings files, read and written by the real QUORVEL.dll inside the
// real stand-in host: garbage, huge lines, more sections than the section
// list holds, duplicates, a double-byte name whose second byte is a
// backslash, unreadable numbers, and a file that is taken away while the host
// runs. In every case the host keeps running, the windows are the ones the
// settings rules give, mails open, and after the unload every line the module
// does not write is still in the file as it was. (Wine's profile writer
// rewrites the whole file on every write: it drops blank lines and cuts a
// line at a zero byte. Where a file holds such lines, they are compared with
// what that writer alone makes of the file.)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>

#include "host/PluginWindows.h"
#include "settings/HeaderListTokenizer.h"
#include "support/ChildProcess.h"
#include "support/ModuleFixture.h"
#include "support/WindowWatcher.h"

namespace {
using Names = std::vector<std::string>;

// The mails every case opens: one with every header a case shows, one with
// a subject only, one with neither.
const std::vector<std::pair<std::string, std::string>> Mails = {
    {"a.eml", "From: a@example.org\r\nX-Mailer: Mailer/1.0\r\nSubject: First\r\n"
              "Date: Mon, 1 Jan 2024 10:00:00 +0000\r\n\r\nBody\r\n"},
    {"b.eml", "From: b@example.org\r\nSubject: Second\r\n\r\nBody\r\n"},
    {"c.eml", "From: c@example.org\r\n\r\nNo header to show\r\n"},
};

// The geometry a header window takes when its section stores none.
constexpr int DefaultTop = 56, DefaultHeight = 42, DefaultLeft = 8, DefaultWidth = 288;

struct Geometry {
    std::string header;
    int left, top, width, height;  // a negative width or height is not checked
};

// What a settings file gives, as the rules say.
struct Expected {
    Names windows;  // header window captions, sorted as ListHeaderWindows lists them
    bool alwaysOnTop = false;
    bool hideIfNoHeader = true;
    std::vector<Geometry> geometry;
};

// The text of a file cut into lines at "\n" (one "\r" before it dropped).
// Lines that are empty or white space only are left out: the platform's
// profile writer may drop them when it writes the file back.
Names TextLines(const std::string& text)
{
    Names lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t\r") != std::string::npos)
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool IsSectionLine(const std::string& line)
{
    return !line.empty() && line[0] == '[' && line.find(']') != std::string::npos;
}

std::string SectionNameOf(const std::string& line)
{
    return line.substr(1, line.rfind(']') - 1);
}

std::string KeyNameOf(const std::string& line)
{
    std::string key = line.substr(0, line.find('='));
    const size_t last = key.find_last_not_of(" \t");
    return last == std::string::npos ? std::string() : key.substr(0, last + 1);
}

bool Contains(const Names& names, const std::string& name)
{
    for (const std::string& n : names) {
        if (SameHeaderName(n, name))
            return true;
    }
    return false;
}

// The keys the module writes into a section of the file.
bool IsModuleKey(const std::string& section, const std::string& key)
{
    static const Names settingsKeys = {"AlwaysOnTop", "HideIfNoHeader"};
    static const Names headerKeys = {"Top", "Height", "Left", "Width", "Show"};
    return Contains(IsSettingsSectionName(section) ? settingsKeys : headerKeys, key);
}

// The lines of a settings file that the module did not write, in file order.
// The module writes through the profile functions, which reach only the first
// section of a name and the first key of a name in it; so it writes nothing
// but the first line of each of its keys in the first section of each name
// it touched, and the heading of a section it created. Every other line,
// comments, foreign keys, repeated keys and repeated sections, is someone
// else's.
Names LinesNotWrittenByTheModule(const std::string& text, const Names& originalSections, const Names& touched)
{
    Names kept;
    Names sectionsSeen;
    Names moduleKeysSeen;
    std::string section;
    bool writable = false;  // the first section of a touched name
    for (const std::string& line : TextLines(text)) {
        if (IsSectionLine(line)) {
            section = SectionNameOf(line);
            writable = Contains(touched, section) && !Contains(sectionsSeen, section);
            sectionsSeen.push_back(section);
            moduleKeysSeen.clear();
            if (Contains(originalSections, section))
                kept.push_back(line);
            continue;
        }
        const bool keyLine = line.find('=') != std::string::npos;
        if (writable && keyLine && IsModuleKey(section, KeyNameOf(line)) && !Contains(moduleKeysSeen, KeyNameOf(line))) {
            moduleKeysSeen.push_back(KeyNameOf(line));
            continue;
        }
        kept.push_back(line);
    }
    return kept;
}

// Section names of a file as the lines read, repeats included.
Names SectionsOf(const std::string& text)
{
    Names names;
    for (const std::string& line : TextLines(text)) {
        if (IsSectionLine(line))
            names.push_back(SectionNameOf(line));
    }
    return names;
}

// The "key=value" lines of the first section of the name.
Names FirstSectionLines(const std::string& text, const std::string& section)
{
    Names lines;
    int state = 0;  // 0 before, 1 inside, 2 after
    for (const std::string& line : TextLines(text)) {
        if (IsSectionLine(line)) {
            if (state == 1)
                state = 2;
            else if (state == 0 && SameHeaderName(SectionNameOf(line), section))
                state = 1;
            continue;
        }
        if (state == 1)
            lines.push_back(line);
    }
    return lines;
}

// The value of the first line of the key in the lines, "" when none.
std::string ValueIn(const Names& lines, const std::string& key)
{
    for (const std::string& line : lines) {
        if (line.find('=') != std::string::npos && SameHeaderName(KeyNameOf(line), key))
            return line.substr(line.find('=') + 1);
    }
    return std::string();
}

// Random bytes, every value from 0 to 255, the same on every run.
std::string Garbage(size_t bytes, uint32_t seed)
{
    std::mt19937 generator(seed);
    std::string text(bytes, '\0');
    for (char& c : text)
        c = static_cast<char>(generator() & 0xFF);
    return text;
}

// For printing: a long text by its length and ends.
std::string Shortened(const std::string& text)
{
    if (text.size() <= 120)
        return EscapedText(text);
    return EscapedText(text.substr(0, 50)) + "...(" + std::to_string(text.size()) + " bytes)..." +
           EscapedText(text.substr(text.size() - 50));
}

class HostileSettings : public ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        MailFolder = Folder.File("mails");
        CreateDirectoryA(MailFolder.c_str(), nullptr);
        for (const auto& mail : Mails)
            WriteWholeFile(MailFolder + "\\" + mail.first, mail.second);
    }

    // A fresh folder with the built DLL and the settings file beside it.
    struct Installed {
        std::unique_ptr<TempFolder> folder = std::make_unique<TempFolder>();
        std::string dll = folder->File("QUORVEL.dll");
        std::string ini = folder->File("QUORVEL.ini");
    };
    static Installed Install(const std::string& settings)
    {
        Installed installed;
        EXPECT_TRUE(CopyFileA((ProgramFolder() + "\\QUORVEL.dll").c_str(), installed.dll.c_str(), FALSE))
            << "error " << GetLastError();
        WriteWholeFile(installed.ini, settings);
        return installed;
    }

    // The file as the platform's profile writer leaves it after any write that
    // changes nothing: what the module's own writes may not add to.
    static std::string AfterOnePlatformWrite(const Installed& installed, const std::string& settings)
    {
        const std::string control = installed.folder->File("control.ini");
        WriteWholeFile(control, settings);
        WritePrivateProfileStringA("QuorvelControl", "Key", "1", control.c_str());
        WritePrivateProfileStringA("QuorvelControl", nullptr, nullptr, control.c_str());
        std::string text = ReadWholeFile(control);
        DeleteFileA(control.c_str());
        return text;
    }

    // What the host's BKA_GetSpecifiedHeader answers for the open mail.
    std::string HostValue(const std::string& header)
    {
        char value[256] = {};
        Host->GetSpecifiedHeader(header.c_str(), value, sizeof value);
        value[sizeof value - 1] = '\0';
        return value;
    }

    // Opens every mail of the folder: each window shows its header's value
    // in that mail and, under the hide option, is shown exactly when there
    // is one.
    void ExpectMailsOpen(bool hideIfNoHeader, const std::string& what)
    {
        ASSERT_TRUE(Host->OpenFolder(MailFolder)) << what;
        for (size_t i = 0; i < Host->MailCount(); ++i) {
            ASSERT_TRUE(Host->OpenMail(i)) << what;
            for (const HeaderWindowState& window : ListHeaderWindows()) {
                const std::string value = HostValue(window.caption);
                EXPECT_EQ(window.text, value) << what << ": " << Shortened(window.caption) << " in mail " << i;
                if (hideIfNoHeader) {
                    EXPECT_EQ(window.visible, !value.empty())
                        << what << ": " << Shortened(window.caption) << " in mail " << i;
                }
            }
        }
    }

    void ExpectWindows(const Expected& expected, const std::string& what)
    {
        const std::vector<HeaderWindowState> windows = ListHeaderWindows();
        Names captions;
        for (const HeaderWindowState& window : windows)
            captions.push_back(window.caption);
        ASSERT_EQ(captions, expected.windows) << what;
        for (const HeaderWindowState& window : windows) {
            const bool topmost = (GetWindowLongA(window.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            EXPECT_EQ(topmost, expected.alwaysOnTop) << what << ": " << Shortened(window.caption);
        }
        for (const Geometry& g : expected.geometry) {
            for (const HeaderWindowState& window : windows) {
                if (window.caption != g.header)
                    continue;
                EXPECT_EQ(window.rect.left, g.left) << what << ": " << g.header << " left";
                EXPECT_EQ(window.rect.top, g.top) << what << ": " << g.header << " top";
                if (g.width >= 0) {
                    EXPECT_EQ(window.rect.right - window.rect.left, g.width) << what << ": " << g.header << " width";
                }
                if (g.height >= 0) {
                    EXPECT_EQ(window.rect.bottom - window.rect.top, g.height) << what << ": " << g.header << " height";
                }
            }
        }
    }

    // What each window wrote into its section when it went: its place and
    // size as they were, and Show=1.
    static void ExpectGeometryWrittenBack(const std::string& file, const std::vector<HeaderWindowState>& windows,
                                          const std::string& what)
    {
        for (const HeaderWindowState& window : windows) {
            const Names lines = FirstSectionLines(file, window.caption);
            const RECT& r = window.rect;
            EXPECT_EQ(ValueIn(lines, "Left"), std::to_string(r.left)) << what << ": " << Shortened(window.caption);
            EXPECT_EQ(ValueIn(lines, "Top"), std::to_string(r.top)) << what << ": " << Shortened(window.caption);
            EXPECT_EQ(ValueIn(lines, "Width"), std::to_string(r.right - r.left)) << what;
            EXPECT_EQ(ValueIn(lines, "Height"), std::to_string(r.bottom - r.top)) << what;
            EXPECT_EQ(ValueIn(lines, "Show"), "1") << what << ": " << Shortened(window.caption);
        }
    }

    // Compares the lines the module did not write with the file before, and
    // with the same file after one write by the platform alone.
    static void ExpectForeignLinesKept(const std::string& before, const std::string& platformOnly,
                                       const std::string& after, const Names& touched, bool normalForm,
                                       const std::string& what)
    {
        const Names sections = SectionsOf(before);
        const Names kept = LinesNotWrittenByTheModule(after, sections, touched);
        EXPECT_EQ(kept, LinesNotWrittenByTheModule(platformOnly, sections, touched))
            << what << ": the module changed lines it does not write";
        if (normalForm) {
            const Names original = LinesNotWrittenByTheModule(before, sections, touched);
            ASSERT_EQ(kept.size(), original.size()) << what << ": lines lost or added";
            for (size_t i = 0; i < kept.size(); ++i)
                EXPECT_EQ(kept[i], original[i]) << what << ": line " << i << " (" << Shortened(original[i]) << ")";
        }
    }

    // One settings file from load to unload, with an optional setup between.
    struct Row {
        std::string what;
        std::string file;
        Expected expected;
        bool normalForm = true;  // lines the platform's profile writer keeps as they are
        const SetupAnswer* setup = nullptr;
        Expected afterSetup = {};
    };

    void RunRow(const Row& row)
    {
        SCOPED_TRACE(row.what);
        Installed installed = Install(row.file);
        const std::string platformOnly = AfterOnePlatformWrite(installed, row.file);

        ASSERT_TRUE(Host->LoadPlugin(installed.dll)) << row.what << ": " << Host->LastError();
        Names touched = HeaderWindowCaptions();
        ExpectWindows(row.expected, row.what);
        ExpectMailsOpen(row.expected.hideIfNoHeader, row.what);

        if (row.setup != nullptr) {
            SetupDialogSeen seen;
            EXPECT_EQ(Host->PlugInSetupAnswered(*row.setup, &seen), 1) << row.what;
            EXPECT_TRUE(seen.answered) << row.what << ": " << seen.error;
            EXPECT_EQ(seen.error, "") << row.what;
            // The setup writes "Show" into every section and the options.
            touched = SectionsOf(ReadWholeFile(installed.ini));
            touched.push_back("Quorvel");
            ExpectWindows(row.afterSetup, row.what + ", after the setup");
            ExpectMailsOpen(row.afterSetup.hideIfNoHeader, row.what + ", after the setup");
        }
        for (const std::string& caption : HeaderWindowCaptions())
            touched.push_back(caption);

        const std::vector<HeaderWindowState> lastWindows = ListHeaderWindows();
        Host->UnloadPlugin();
        EXPECT_TRUE(ListHeaderWindows().empty()) << row.what;
        const std::string after = ReadWholeFile(installed.ini);
        ExpectGeometryWrittenBack(after, lastWindows, row.what);
        ExpectForeignLinesKept(row.file, platformOnly, after, touched, row.normalForm, row.what);
    }

    std::string MailFolder;
};

TEST_F(HostileSettings, GarbageHugeLinesManySectionsAndRepeats)
{
    const std::string mega(1 << 20, 'M');
    const std::string garbage = Garbage(4096, 20240611u);
    std::string manySections;
    // 10,000 sections of 9-byte names: about 800 fit the section list. Two
    // at the start are shown; one past the list asks to be, unseen; the
    // settings section stands past it too, and its options still count.
    for (int i = 0; i < 10000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Head%05d", i);
        manySections += std::string("[") + name + "]\r\nShow=" + (i < 2 || i == 9999 ? "1" : "0") + "\r\n";
    }
    manySections += "[Quorvel]\r\nAlwaysOnTop=1\r\nHideIfNoHeader=0\r\n; the end\r\n";

    SetupAnswer bothHeaders;
    bothHeaders.headerList = "X-Mailer, Subject";

    const Row rows[] = {
        {"binary garbage between the sections",
         "; written by hand\r\n[Foreign]\r\nShow=0\r\nOwner=someone else\r\n" + garbage +
             "\r\n[X-Mailer]\r\nTop=120\r\nColor=keep\r\n[Subject]\r\nLeft=300\r\nNote=keep too\r\n",
         {{"Subject", "X-Mailer"}, false, true,
          {{"X-Mailer", DefaultLeft, 120, DefaultWidth, DefaultHeight},
           {"Subject", 300, DefaultTop, DefaultWidth, DefaultHeight}}},
         false},
        {"a 1 MB value: only its first 1023 bytes are read",
         "[X-Mailer]\r\nTop=" + std::string(1 << 20, '1') + "\r\nLeft=" + std::string(1022, '0') + "9" + mega +
             "\r\nNote=" + mega + "\r\n" + mega + "=a key of 1 MB\r\n",
         {{"X-Mailer"}, false, true, {{"X-Mailer", 9, DefaultTop, DefaultWidth, DefaultHeight}}}},
        {"a 1 MB section name first: nothing else fits the list, so the default window",
         "[" + mega + "]\r\nShow=1\r\nNote=keep\r\n[Subject]\r\nShow=1\r\n",
         {{"X-Mailer"}, false, true, {{"X-Mailer", DefaultLeft, DefaultTop, DefaultWidth, DefaultHeight}}}},
        {"a 1 MB section name after another: the ones after it go unseen",
         "[Subject]\r\nTop=200\r\n[" + mega + "]\r\nTop=5\r\n[Date]\r\nShow=1\r\n",
         {{"Subject"}, false, true, {{"Subject", DefaultLeft, 200, DefaultWidth, DefaultHeight}}}},
        {"the longest section name the list holds", "[" + std::string(8189, 'L') + "]\r\nLeft=40\r\n",
         {{std::string(8189, 'L')}, false, true, {{std::string(8189, 'L'), 40, DefaultTop, DefaultWidth, DefaultHeight}}}},
        {"one byte longer goes unseen", "[" + std::string(8190, 'L') + "]\r\nLeft=40\r\n",
         {{"X-Mailer"}, false, true, {}}},
        {"10,000 sections", manySections, {{"Head00000", "Head00001"}, true, false, {}}},
        // The profile functions reach only the first section of a name and
        // the first key of a name in it: a repeated section is the same
        // header, and the setup confirming it keeps its window.
        {"repeated sections and keys",
         "[X-Mailer]\r\nTop=100\r\nTop=999\r\nNote=first\r\n[Subject]\r\nShow=1\r\nShow=0\r\n"
         "[x-mailer]\r\nTop=300\r\nShow=0\r\nNote=second\r\n[Quorvel]\r\nAlwaysOnTop=0\r\nAlwaysOnTop=1\r\n"
         "[QUORVEL]\r\nHideIfNoHeader=0\r\n[Subject]\r\nLeft=1\r\n",
         {{"Subject", "X-Mailer"}, false, true, {{"X-Mailer", DefaultLeft, 100, DefaultWidth, DefaultHeight}}},
         true,
         &bothHeaders,
         {{"Subject", "X-Mailer"}, false, true, {{"X-Mailer", DefaultLeft, 100, DefaultWidth, DefaultHeight}}}},
    };
    for (const Row& row : rows)
        RunRow(row);
}

// Numbers the rules cannot read give the defaults; "-0" is a zero. The
// settings section's options and a header's Show and geometry all go through
// the same rule.
TEST_F(HostileSettings, UnreadableNumbersGiveTheDefaults)
{
    struct Case {
        const char* stored;
        bool readsAsZero;
    };
    const Case cases[] = {{"0x", false}, {"-", false}, {"+", false}, {"-0", true}, {"0xFFFFFFFFF", false}};
    for (const Case& c : cases) {
        const std::string v = c.stored;
        Row row;
        row.what = "stored \"" + v + "\"";
        row.file = "[Quorvel]\r\nAlwaysOnTop=" + v + "\r\nHideIfNoHeader=" + v + "\r\nTheme=keep\r\n[X-Mailer]\r\nShow=" +
                   v + "\r\nNote=keep\r\n[Subject]\r\nTop=" + v + "\r\nLeft=" + v + "\r\nWidth=" + v +
                   "\r\nHeight=" + v + "\r\n";
        // A window cannot be made 0 by 0: its size is then whatever the
        // platform allows and is not checked.
        row.expected.windows = c.readsAsZero ? Names{"Subject"} : Names{"Subject", "X-Mailer"};
        row.expected.alwaysOnTop = false;
        row.expected.hideIfNoHeader = !c.readsAsZero;
        row.expected.geometry = {c.readsAsZero ? Geometry{"Subject", 0, 0, -1, -1}
                                               : Geometry{"Subject", DefaultLeft, DefaultTop, DefaultWidth, DefaultHeight}};
        RunRow(row);
    }

    // Geometry at the ends of the 32-bit range: the window goes where the
    // platform lets it, and what it writes back is where it stood.
    for (const char* extreme : {"2147483647", "-2147483648", "0x80000000", "0xFFFFFFFF"}) {
        const std::string v = extreme;
        Row row;
        row.what = "geometry \"" + v + "\"";
        row.file = "[X-Mailer]\r\nTop=" + v + "\r\nLeft=" + v + "\r\nWidth=" + v + "\r\nHeight=" + v + "\r\nNote=keep\r\n";
        row.expected.windows = {"X-Mailer"};
        RunRow(row);
    }
}

// A name made of one Shift-JIS character whose second byte is 0x5C, the
// backslash's value: in the Western code page two characters, in the
// Japanese one a single one. Either way it is one header, read, shown,
// confirmed in the setup and written back under its own name.
TEST_F(HostileSettings, ShiftJisNameWithABackslashSecondByte)
{
    const std::string name = "\x95\x5C";  // "表" in Shift-JIS
    Host->SetHeaderValueOverride(name, "value of " + name);
    SetupAnswer confirm;
    confirm.headerList = name + ", Subject";
    confirm.alwaysOnTop = true;
    Row row;
    row.what = "code page " + std::to_string(GetACP());
    row.file = "[" + name + "]\r\nShow=1\r\nTop=200\r\nLeft=50\r\nNote=" + name + "\\" + name + "\r\n[X-Mailer]\r\nShow=0\r\n"
               "[" + name + "\\]\r\nShow=0\r\n";
    row.expected = {{name}, false, true, {{name, 50, 200, DefaultWidth, DefaultHeight}}};
    row.setup = &confirm;
    row.afterSetup = {{"Subject", name}, true, true, {{name, 50, 200, DefaultWidth, DefaultHeight}}};
    RunRow(row);
}

// The settings file is taken away after the load: held open by another
// program, deleted, or replaced by a folder. Mails still open; the setup's
// OK tells the user when the choice could not be saved and builds the windows
// from the file as it then stands; the unload writes what it can and tells
// nothing; the file is never half-written.
TEST_F(HostileSettings, SettingsFileTakenAwayWhileTheHostRuns)
{
    enum class Change { HeldOpen, HeldOpenUntilBeforeUnload, Deleted, ReplacedByAFolder };
    struct Case {
        const char* what;
        Change change;
        bool saveFails;
        Expected afterSetup;
    };
    const std::string original =
        "; kept by hand\r\n[Quorvel]\r\nAlwaysOnTop=0\r\nHideIfNoHeader=1\r\nTheme=dark\r\n"
        "[X-Mailer]\r\nShow=1\r\nTop=120\r\nNote=keep\r\n[Subject]\r\nShow=0\r\nColor=blue\r\n";
    const Expected unchanged = {{"X-Mailer"}, false, true, {{"X-Mailer", DefaultLeft, 120, DefaultWidth, DefaultHeight}}};
    const Case cases[] = {
        {"held open by another program", Change::HeldOpen, true, unchanged},
        {"held open, let go before the unload", Change::HeldOpenUntilBeforeUnload, true, unchanged},
        // Whatever the platform keeps of a deleted file, the setup's choice is
        // what the new file holds.
        {"deleted", Change::Deleted, false, {{"Date", "Subject"}, true, false, {}}},
        // Nothing readable: the default window on the default options.
        {"replaced by a folder", Change::ReplacedByAFolder, true,
         {{"X-Mailer"}, false, true, {{"X-Mailer", DefaultLeft, DefaultTop, DefaultWidth, DefaultHeight}}}},
    };
    SetupAnswer answer;
    answer.headerList = "Subject, Date";
    answer.alwaysOnTop = true;
    answer.hideIfNoHeader = false;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Installed installed = Install(original);
        const std::string platformOnly = AfterOnePlatformWrite(installed, original);
        ASSERT_TRUE(Host->LoadPlugin(installed.dll)) << Host->LastError();
        ExpectWindows(unchanged, c.what);

        HANDLE holder = INVALID_HANDLE_VALUE;
        switch (c.change) {
        case Change::HeldOpen:
        case Change::HeldOpenUntilBeforeUnload:
            holder = CreateFileA(installed.ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
            break;
        case Change::Deleted:
            ASSERT_TRUE(DeleteFileA(installed.ini.c_str()));
            break;
        case Change::ReplacedByAFolder:
            ASSERT_TRUE(DeleteFileA(installed.ini.c_str()));
            ASSERT_TRUE(CreateDirectoryA(installed.ini.c_str(), nullptr));
            break;
        }
        ExpectMailsOpen(true, c.what);

        std::vector<std::string> told;
        {
            WindowWatcher box("#32770", "Quorvel Plug-In", [&](HWND window) {
                told.push_back(StaticTexts(window));
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            });
            SetupDialogSeen seen;
            EXPECT_EQ(Host->PlugInSetupAnswered(answer, &seen), 1);
            EXPECT_EQ(seen.error, "");
            PumpFor(50);
        }
        ASSERT_EQ(told.size(), c.saveFails ? 1u : 0u);
        if (c.saveFails) {
            EXPECT_NE(told[0].find(installed.ini), std::string::npos) << told[0];
        }
        ExpectWindows(c.afterSetup, std::string(c.what) + ", after the setup");
        ExpectMailsOpen(c.afterSetup.hideIfNoHeader, std::string(c.what) + ", after the setup");

        if (c.change == Change::HeldOpenUntilBeforeUnload) {
            CloseHandle(holder);
            holder = INVALID_HANDLE_VALUE;
        }
        const std::vector<HeaderWindowState> lastWindows = ListHeaderWindows();
        bool toldAtUnload = false;
        {
            WindowWatcher box("#32770", "", [&](HWND window) {
                toldAtUnload = true;
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            });
            Host->UnloadPlugin();
            PumpFor(20);
        }
        EXPECT_FALSE(toldAtUnload) << "nothing is shown while the module unloads";
        EXPECT_TRUE(ListHeaderWindows().empty());
        if (holder != INVALID_HANDLE_VALUE)
            CloseHandle(holder);

        const std::string after = ReadWholeFile(installed.ini);
        switch (c.change) {
        case Change::HeldOpen:
            EXPECT_EQ(after, original) << "nothing written, nothing half-written";
            break;
        case Change::HeldOpenUntilBeforeUnload: {
            ExpectGeometryWrittenBack(after, lastWindows, c.what);
            Names touched;
            for (const HeaderWindowState& window : lastWindows)
                touched.push_back(window.caption);
            ExpectForeignLinesKept(original, platformOnly, after, touched, true, c.what);
            break;
        }
        case Change::Deleted: {
            ExpectGeometryWrittenBack(after, lastWindows, c.what);
            struct Shown {
                const char* section;
                const char* show;
            };
            for (const Shown& s : {Shown{"X-Mailer", "0"}, Shown{"Subject", "1"}, Shown{"Date", "1"}})
                EXPECT_EQ(ValueIn(FirstSectionLines(after, s.section), "Show"), s.show) << s.section;
            EXPECT_EQ(ValueIn(FirstSectionLines(after, "Quorvel"), "AlwaysOnTop"), "1");
            EXPECT_EQ(ValueIn(FirstSectionLines(after, "Quorvel"), "HideIfNoHeader"), "0");
            // The user's lines went with the file: the new one holds only
            // what the module wrote.
            Names foreign;
            for (const std::string& line : LinesNotWrittenByTheModule(after, SectionsOf(original), SectionsOf(after))) {
                if (!IsSectionLine(line))
                    foreign.push_back(line);
            }
            EXPECT_EQ(foreign, Names{});
            break;
        }
        case Change::ReplacedByAFolder:
            EXPECT_TRUE(GetFileAttributesA(installed.ini.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
            RemoveDirectoryA(installed.ini.c_str());
            break;
        }
    }
    // The host is still the same, working host.
    EXPECT_TRUE(IsWindow(Host->MainWindow()));
}
}
