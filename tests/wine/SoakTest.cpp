// A long session of the real QUORVEL.dll in one host process: mails opened,
// folders changed, the setup confirmed with changing header lists, the host
// minimised and restored, the activation lost to another program and won
// back. After a warm-up the process's GDI and USER objects, kernel handles
// and private memory are measured, and again at the end in the same state:
// they may not grow beyond a small fixed slack. The settings file ends as the
// last setup left it.
//
// The counts: QUORVEL_SOAK=long (or --soak=long) for the long session, else
// the short one of the suite; QUORVEL_SOAK_MAILS, _FOLDERS, _SETUPS, _CYCLES
// (or --mails=N, --folders=N, --setups=N, --cycles=N) set one count each.
// The figures are printed as a table; time is printed, never checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/PluginWindows.h"
#include "settings/HeaderListTokenizer.h"
#include "support/ChildProcess.h"
#include "support/ModuleFixture.h"
#include "support/OtherProgram.h"
#include "support/WindowWatcher.h"

namespace {
using Names = std::vector<std::string>;

struct SoakCounts {
    long mails, folderChanges, setups, cycles;
};

const SoakCounts ShortSoak = {2000, 20, 20, 50};
const SoakCounts LongSoak = {20000, 200, 200, 500};

// The value of "--name=value" on the command line, or of the environment
// variable, or "".
std::string Setting(const char* option, const char* variable)
{
    const std::string commandLine = GetCommandLineA();
    const std::string prefix = std::string("--") + option + "=";
    size_t at = commandLine.find(prefix);
    if (at != std::string::npos) {
        at += prefix.size();
        return commandLine.substr(at, commandLine.find_first_of(" \t\"", at) - at);
    }
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

SoakCounts CountsAsAsked()
{
    SoakCounts counts = Setting("soak", "QUORVEL_SOAK") == "long" ? LongSoak : ShortSoak;
    struct Override {
        const char* option;
        const char* variable;
        long* count;
    };
    const Override overrides[] = {
        {"mails", "QUORVEL_SOAK_MAILS", &counts.mails},
        {"folders", "QUORVEL_SOAK_FOLDERS", &counts.folderChanges},
        {"setups", "QUORVEL_SOAK_SETUPS", &counts.setups},
        {"cycles", "QUORVEL_SOAK_CYCLES", &counts.cycles},
    };
    for (const Override& o : overrides) {
        const std::string value = Setting(o.option, o.variable);
        if (!value.empty())
            *o.count = std::max(0L, std::strtol(value.c_str(), nullptr, 10));
    }
    counts.mails = std::max(1L, counts.mails);
    counts.setups = std::max(1L, counts.setups);
    return counts;
}

// --- What the process holds ----------------------------------------------

// Wine answers GetGuiResources with 0 (not implemented), GetProcessHandleCount
// with 0 and PrivateUsage with 0. The figures then come from elsewhere: the
// GDI objects by asking the type of every GDI handle number, the USER objects
// by counting the thread's windows, the kernel handles by asking about every
// handle number, the private memory from the commit charge (on Windows the
// same figure as PrivateUsage).
DWORD ProbedGdiObjects()
{
    DWORD count = 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0)
            ++count;
    }
    return count;
}

DWORD ProbedKernelHandles()
{
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND window, LPARAM count)
{
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(window, CountChild, count);
    return TRUE;
}

DWORD ThreadWindows()
{
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindowAndChildren, reinterpret_cast<LPARAM>(&count));
    return count;
}

BOOL CALLBACK CountHeaderWindow(HWND window, LPARAM count)
{
    if (WindowClassOf(window) == "TShowForm")
        ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

DWORD HeaderWindowCount()
{
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountHeaderWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

struct Figures {
    DWORD gdiObjects = 0, userObjects = 0, handles = 0, headerWindows = 0;
    unsigned long long privateBytes = 0;
    DWORD elapsedMs = 0;
};

// Where each figure comes from, found out once.
struct Sources {
    bool gdiProbed = false, userCounted = false, handlesProbed = false, privateFromCommit = false;
};

Figures Measure(Sources& sources, DWORD startTick)
{
    Figures f;
    HANDLE self = GetCurrentProcess();
    f.gdiObjects = GetGuiResources(self, GR_GDIOBJECTS);
    f.userObjects = GetGuiResources(self, GR_USEROBJECTS);
    sources.gdiProbed = f.gdiObjects == 0;
    sources.userCounted = f.userObjects == 0;
    if (sources.gdiProbed)
        f.gdiObjects = ProbedGdiObjects();
    if (sources.userCounted)
        f.userObjects = ThreadWindows();
    if (!GetProcessHandleCount(self, &f.handles))
        f.handles = 0;
    sources.handlesProbed = f.handles == 0;
    if (sources.handlesProbed)
        f.handles = ProbedKernelHandles();
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        f.privateBytes = memory.PrivateUsage;
        sources.privateFromCommit = memory.PrivateUsage == 0;
        if (sources.privateFromCommit)
            f.privateBytes = memory.PagefileUsage;
    }
    f.headerWindows = HeaderWindowCount();
    f.elapsedMs = GetTickCount() - startTick;
    return f;
}

// --- The session ---------------------------------------------------------

// The header lists the setup is confirmed with, in turn; each phase ends
// with the first, so that the windows are the same where it is measured.
const SetupAnswer Answers[] = {
    {true, "X-Mailer, Subject", false, true},
    {true, "Subject", true, true},
    {true, "Date, From, X-Mailer", false, false},
    {true, "", false, true},
    {true, "subject, x-mailer, Message-ID", true, false},
    {true, "Quorvel, Date", false, true},
    {true, "X-Mailer", true, true},
};
constexpr size_t AnswerCount = sizeof Answers / sizeof Answers[0];

const SetupAnswer& AnswerFor(long index, long count)
{
    return index == count - 1 ? Answers[0] : Answers[1 + static_cast<size_t>(index) % (AnswerCount - 1)];
}

const char InitialSettings[] =
    "; settings of the soak\r\n[Quorvel]\r\nAlwaysOnTop=0\r\nHideIfNoHeader=1\r\nOwner=soak\r\n"
    "[X-Mailer]\r\nShow=1\r\nNote=kept through the soak\r\n";

// Mails of every kind the windows meet: all headers, some, none, a value
// longer than a window keeps, an encoded one. Each header comes and goes in
// runs of a few mails, so that windows are shown and hidden often but not on
// every mail (under Wine a window shown costs some 10 ms).
std::string MailText(int n)
{
    std::string text = "From: sender" + std::to_string(n) + "@example.org\r\n";
    if ((n / 4) % 3 != 2)
        text += "X-Mailer: Mailer/" + std::to_string(n) + ".0\r\n";
    if ((n / 6) % 4 == 3)
        text += "Subject: =?UTF-8?B?w6nDqMOg?=\r\n";
    else if ((n / 5) % 4 != 1)
        text += "Subject: Message number " + std::to_string(n) + "\r\n";
    if ((n / 3) % 4 == 0)
        text += "Date: Mon, " + std::to_string(1 + n % 28) + " Jan 2024 10:00:00 +0000\r\n";
    if ((n / 7) % 2 == 1)
        text += "Message-ID: <" + std::string(300, static_cast<char>('a' + n % 26)) + "@example.org>\r\n";
    return text + "\r\nBody of mail " + std::to_string(n) + "\r\n";
}

class Soak : public ModuleFixture {
protected:
    void SetUp() override
    {
        ModuleFixture::SetUp();
        const int sizes[] = {24, 9};
        for (int f = 0; f < 2; ++f) {
            std::string dir = Folder.File(f == 0 ? "inbox" : "archive");
            CreateDirectoryA(dir.c_str(), nullptr);
            for (int n = 0; n < sizes[f]; ++n) {
                char name[32];
                std::snprintf(name, sizeof name, "%03d.eml", n);
                WriteWholeFile(dir + "\\" + name, MailText(n + 100 * f));
            }
            MailFolders.push_back(dir);
        }
    }

    // How many of count events fall on step i of total steps spread evenly.
    static long EventsAt(long i, long total, long count)
    {
        return (i + 1) * count / total - i * count / total;
    }

    void MinimiseAndActivate(HWND other)
    {
        HWND main = Host->MainWindow();
        ShowWindow(main, SW_MINIMIZE);
        EXPECT_EQ(VisibleHeaderWindows(), 0u) << "hidden while the host is minimised";
        ShowWindow(main, SW_RESTORE);
        for (HWND from : {other, static_cast<HWND>(nullptr)}) {
            SendMessageA(main, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(from));
            EXPECT_EQ(VisibleHeaderWindows(), 0u) << "hidden while another program is active";
            SendMessageA(main, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(from));
        }
    }

    static size_t VisibleHeaderWindows()
    {
        size_t visible = 0;
        for (const HeaderWindowState& window : ListHeaderWindows())
            visible += window.visible ? 1 : 0;
        return visible;
    }

    // Every window shows its header's value in the open mail.
    void ExpectWindowsShowTheMail(const char* when)
    {
        for (const HeaderWindowState& window : ListHeaderWindows()) {
            char value[256] = {};
            Host->GetSpecifiedHeader(window.caption.c_str(), value, sizeof value);
            value[sizeof value - 1] = '\0';
            EXPECT_EQ(window.text, value) << when << ": " << window.caption;
        }
    }

    // One phase: the mails opened in turn, with the folder changes, setups
    // and cycles spread evenly among them; it ends in the inbox on its first
    // mail, with the first answer confirmed.
    void RunPhase(const SoakCounts& counts, HWND other, Names& sectionsMade)
    {
        size_t folder = 0;
        long setupsDone = 0;
        for (long i = 0; i < counts.mails; ++i) {
            ASSERT_TRUE(Host->OpenMail(static_cast<size_t>(i) % Host->MailCount())) << "mail " << i;
            for (long k = EventsAt(i, counts.mails, counts.folderChanges); k > 0; --k) {
                folder = 1 - folder;
                ASSERT_TRUE(Host->OpenFolder(MailFolders[folder]));
            }
            for (long k = EventsAt(i, counts.mails, counts.setups); k > 0; --k) {
                const SetupAnswer& answer = AnswerFor(setupsDone++, counts.setups);
                SetupDialogSeen seen;
                ASSERT_EQ(Host->PlugInSetupAnswered(answer, &seen), 1);
                ASSERT_TRUE(seen.answered && seen.error.empty()) << "setup " << setupsDone << ": " << seen.error;
                for (const std::string& name : SplitHeaderList(answer.headerList)) {
                    bool known = IsSettingsSectionName(name);
                    for (const std::string& made : sectionsMade)
                        known = known || SameHeaderName(made, name);
                    if (!known)
                        sectionsMade.push_back(name);
                }
            }
            for (long k = EventsAt(i, counts.mails, counts.cycles); k > 0; --k)
                MinimiseAndActivate(other);
            if (i % 64 == 0)
                Host->PumpMessages(0);
        }
        ASSERT_TRUE(Host->OpenFolder(MailFolders[0]));
        ASSERT_TRUE(Host->OpenMail(0));
        ExpectWindowsShowTheMail("end of a phase");
        Host->ClearHeaderRequests();
        Host->PumpMessages(20);
    }

    std::vector<std::string> MailFolders;
};

void PrintFigures(const SoakCounts& counts, const Sources& sources, const Figures& start, const Figures& warm,
                  const Figures& end)
{
    std::printf("\nSoak of QUORVEL.dll: %ld mails, %ld folder changes, %ld setups, %ld minimise/restore and "
                "activation cycles\n",
                counts.mails, counts.folderChanges, counts.setups, counts.cycles);
    std::printf("%-36s %14s %14s %14s %10s\n", "figure", "start", "after warm-up", "end", "growth");
    auto row = [](const std::string& name, unsigned long long a, unsigned long long b, unsigned long long c) {
        std::printf("%-36s %14llu %14llu %14llu %+10lld\n", name.c_str(), a, b, c,
                    static_cast<long long>(c) - static_cast<long long>(b));
    };
    row(sources.gdiProbed ? "GDI objects (handle table probed)" : "GDI objects (GetGuiResources)", start.gdiObjects,
        warm.gdiObjects, end.gdiObjects);
    row(sources.userCounted ? "USER objects (thread windows)" : "USER objects (GetGuiResources)", start.userObjects,
        warm.userObjects, end.userObjects);
    row(sources.handlesProbed ? "kernel handles (handles probed)" : "kernel handles (GetProcessHandleCount)",
        start.handles, warm.handles, end.handles);
    row(sources.privateFromCommit ? "private bytes (commit charge)" : "private bytes (PrivateUsage)",
        start.privateBytes, warm.privateBytes, end.privateBytes);
    row("header windows (TShowForm)", start.headerWindows, warm.headerWindows, end.headerWindows);
    row("wall time, ms", start.elapsedMs, warm.elapsedMs, end.elapsedMs);
    std::printf("GetGuiResources %s under this system; GetProcessHandleCount %s; PrivateUsage %s.\n\n",
                sources.gdiProbed && sources.userCounted ? "answers 0" : "answers",
                sources.handlesProbed ? "answers 0" : "answers", sources.privateFromCommit ? "is 0" : "is given");
    std::fflush(stdout);
}

TEST_F(Soak, NothingGrowsAndTheSettingsEndAsTheLastSetupLeftThem)
{
    const SoakCounts counts = CountsAsAsked();
    // Long enough for the platform's own caches to fill: Wine keeps the
    // device contexts of windows it has painted, up to some forty of them,
    // and the setup dialog's many controls take about six setups to get
    // there.
    const SoakCounts warmUp = {std::max(200L, counts.mails / 10), std::max(4L, counts.folderChanges / 10),
                               std::max(8L, counts.setups / 10), std::max(10L, counts.cycles / 10)};
    TempFolder plugin;
    const std::string dll = plugin.File("QUORVEL.dll");
    const std::string ini = plugin.File("QUORVEL.ini");
    ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\QUORVEL.dll").c_str(), dll.c_str(), FALSE));
    WriteWholeFile(ini, InitialSettings);
    OtherProgram other;
    ASSERT_NE(other.Window, nullptr) << "OtherProcess.exe did not come up";

    // The host's preview pane is hidden: under Wine, redrawing its text
    // costs some 25 ms a mail, all of it the host's, none of it the module's.
    ShowWindow(Host->PreviewPane(), SW_HIDE);

    Sources sources;
    const DWORD startTick = GetTickCount();
    ASSERT_TRUE(Host->OpenFolder(MailFolders[0]));
    const Figures start = Measure(sources, startTick);

    ASSERT_TRUE(Host->LoadPlugin(dll)) << Host->LastError();
    Names sectionsMade = {"X-Mailer"};
    RunPhase(warmUp, other.Window, sectionsMade);
    if (HasFatalFailure())
        return;
    const Figures warm = Measure(sources, startTick);
    RunPhase(counts, other.Window, sectionsMade);
    if (HasFatalFailure())
        return;
    const Figures end = Measure(sources, startTick);
    PrintFigures(counts, sources, start, warm, end);

    // A leak check, not a timing: the same state measured twice.
    EXPECT_EQ(end.headerWindows, warm.headerWindows);
    EXPECT_LE(end.gdiObjects, warm.gdiObjects + 4);
    EXPECT_LE(end.userObjects, warm.userObjects + 4);
    EXPECT_LE(end.handles, warm.handles + 8);
    EXPECT_LE(end.privateBytes, warm.privateBytes + 2 * 1024 * 1024);

    Host->UnloadPlugin();
    EXPECT_EQ(HeaderWindowCount(), 0u);

    // The file: every section ever named, in the order first named, the
    // settings section where it stood; "Show" as the last setup said; the
    // options as it set them; the lines the module does not write untouched.
    const std::string file = ReadWholeFile(ini);
    Names expectedSections = {"Quorvel"};
    for (const std::string& name : sectionsMade)
        expectedSections.push_back(name);
    EXPECT_EQ(SectionNames(file), expectedSections);
    const SetupAnswer& last = Answers[0];
    const Names lastNames = SplitHeaderList(last.headerList);
    for (const std::string& section : sectionsMade) {
        bool shown = false;
        for (const std::string& name : lastNames)
            shown = shown || SameHeaderName(name, section);
        const Names lines = SectionLines(file, section);
        EXPECT_NE(std::find(lines.begin(), lines.end(), shown ? "Show=1" : "Show=0"), lines.end()) << section;
        if (shown) {
            for (const char* geometry : {"Top=56", "Height=42", "Left=8", "Width=288"})
                EXPECT_NE(std::find(lines.begin(), lines.end(), geometry), lines.end()) << section << " " << geometry;
        }
    }
    EXPECT_EQ(SectionLines(file, "Quorvel"),
              (Names{std::string("AlwaysOnTop=") + (last.alwaysOnTop ? "1" : "0"),
                     std::string("HideIfNoHeader=") + (last.hideIfNoHeader ? "1" : "0"), "Owner=soak"}));
    EXPECT_EQ(file.rfind("; settings of the soak\r\n", 0), 0u);
    const Names xMailer = SectionLines(file, "X-Mailer");
    EXPECT_NE(std::find(xMailer.begin(), xMailer.end(), "Note=kept through the soak"), xMailer.end());
}
}
