// The real QUORVEL.dll in the real stand-in host: loading and refusing,
// the plug-in information record, every callback, and where the settings
// file goes. Each case copies the DLL into a fresh folder of its own.
#include <gtest/gtest.h>

#include <cstring>

#include "host/PluginWindows.h"
#include "support/ChildProcess.h"
#include "support/ModuleFixture.h"
#include "support/WindowWatcher.h"

namespace {
using Names = std::vector<std::string>;

class PluginFrame : public ModuleFixture {
protected:
    // Copies the built DLL to the folder under the given relative path.
    std::string Install(const std::string& relativePath)
    {
        std::string target = Folder.File(relativePath);
        // Walked by characters: in a double-byte code page a second byte
        // may have the backslash's value without being one.
        for (const char* at = target.c_str() + Folder.Path().size() + 1; *at != '\0'; at = CharNextA(at)) {
            if (*at == '\\')
                CreateDirectoryA(target.substr(0, static_cast<size_t>(at - target.c_str())).c_str(), nullptr);
        }
        EXPECT_TRUE(CopyFileA((ProgramFolder() + "\\QUORVEL.dll").c_str(), target.c_str(), FALSE))
            << target << " error " << GetLastError();
        return target;
    }
};

TEST_F(PluginFrame, LoadBuildsTheWindowsAndUnloadWritesThemBack)
{
    std::string dll = Install("QUORVEL.dll");
    std::string ini = Folder.File("QUORVEL.ini");
    WriteWholeFile(ini, "[Quorvel]\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\n[Subject]\r\nShow=1\r\n");
    OpenMails({{"a.eml", "X-Mailer: Mailer/2.0\r\nSubject: Hi\r\n\r\nBody\r\n"}});

    ASSERT_TRUE(Host->LoadPlugin(dll)) << Host->LastError();
    EXPECT_EQ(HeaderWindowCaptions(), (Names{"Subject", "X-Mailer"}));
    ASSERT_TRUE(Host->OpenMail(0));
    auto windows = ListHeaderWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].text, "Hi");
    EXPECT_EQ(windows[1].text, "Mailer/2.0");

    Host->UnloadPlugin();
    EXPECT_TRUE(ListHeaderWindows().empty());
    EXPECT_EQ(SectionLines(ReadWholeFile(ini), "X-Mailer"),
              (Names{"Top=56", "Height=42", "Left=8", "Width=288", "Show=1"}));

    // Its window class left with it: a second load in the same process works.
    ASSERT_TRUE(Host->LoadPlugin(dll)) << Host->LastError();
    EXPECT_EQ(HeaderWindowCaptions(), (Names{"Subject", "X-Mailer"}));
    Host->UnloadPlugin();
}

TEST_F(PluginFrame, NoHookIsLeftAfterUnload)
{
    ASSERT_TRUE(Host->LoadPlugin(Install("QUORVEL.dll")));
    Host->UnloadPlugin();
    // Had a hook stayed, these would run code that is no longer mapped.
    ShowWindow(Host->MainWindow(), SW_MINIMIZE);
    ShowWindow(Host->MainWindow(), SW_RESTORE);
    SendMessageA(Host->MainWindow(), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(Host->MainWindow(), WM_ACTIVATE, WA_ACTIVE, 0);
    PumpFor(20);
    SUCCEED();
}

TEST_F(PluginFrame, PlugInInfoWritesTheFourTextsAndNothingElse)
{
    ASSERT_TRUE(Host->LoadPlugin(Install("QUORVEL.dll")));
    unsigned char record[PlugInInfoSize];
    std::memset(record, 0xCC, sizeof record);
    Host->PlugInInfo(record);

    const unsigned char description[] = {0x94, 0x43, 0x88, 0xD3, 0x82, 0xCC, 0x83, 0x77, 0x83, 0x62, 0x83, 0x5F,
                                         0x82, 0xF0, 0x95, 0xCA, 0x83, 0x45, 0x83, 0x42, 0x83, 0x93, 0x83, 0x68,
                                         0x83, 0x45, 0x82, 0xC9, 0x95, 0x5C, 0x8E, 0xA6, 0x82, 0xB7, 0x82, 0xE9, 0};
    struct Field {
        size_t offset;
        std::string bytes;  // with its zero
        size_t fieldSize;
    };
    const Field fields[] = {
        {0, std::string("Quorvel Plug-In", 16), 80},
        {80, std::string("Ostrand", 8), 80},
        {160, std::string("0.2.3", 6), 80},
        {240, std::string(reinterpret_cast<const char*>(description), sizeof description), PlugInInfoSize - 240},
    };
    for (const Field& field : fields) {
        EXPECT_EQ(std::string(reinterpret_cast<char*>(record + field.offset), field.bytes.size()), field.bytes)
            << "field at " << field.offset;
        for (size_t i = field.offset + field.bytes.size(); i < field.offset + field.fieldSize; ++i)
            ASSERT_EQ(record[i], 0xCC) << "byte " << i << " is the host's";
    }
}

TEST_F(PluginFrame, EveryCallbackAnswersAsAgreed)
{
    OpenMails({{"a.eml", "X-Mailer: M\r\n\r\n"}});
    ASSERT_TRUE(Host->LoadPlugin(Install("QUORVEL.dll")));
    const PluginCallbacks& call = Host->Callbacks();
    HWND main = Host->MainWindow();
    unsigned char record[PlugInInfoSize] = {};
    WindowWatcher cancel("TAboutForm", "About",
                         [](HWND dialog) { SendDlgItemMessageA(dialog, 105, BM_CLICK, 0, 0); });
    struct Case {
        const char* name;
        int result;
        int expected;
    };
    const Case cases[] = {
        {"BKC_OnStart", call.OnStart(), 0},
        {"BKC_OnExit", call.OnExit(), 0},
        {"BKC_OnMenuInit", call.OnMenuInit(main, GetMenu(main), 1), 0},
        {"BKC_OnOpenFolder", call.OnOpenFolder("inbox"), 0},
        {"BKC_OnOpenMail", call.OnOpenMail(Host->CurrentMailId()), 0},
        {"BKC_OnOpenMail null", call.OnOpenMail(nullptr), 0},
        {"BKC_OnOpenMail empty", call.OnOpenMail(""), 0},
        {"BKC_OnEveryMinute", call.OnEveryMinute(), 0},
        {"BKC_OnOpenCompose", call.OnOpenCompose(main, 1), 0},
        {"BKC_OnOutgoing", call.OnOutgoing(main, 0), 0},
        {"BKC_OnKeyDispatch", call.OnKeyDispatch(main, 'A', 0), 0},
        {"BKC_OnRetrieve", call.OnRetrieve("x", "y"), 0},
        {"BKC_OnSend", call.OnSend("x"), 0},
        {"BKC_OnFinishRetrieve", call.OnFinishRetrieve(3), 0},
        {"BKC_OnPlugInSetup", call.OnPlugInSetup(main), 1},
        {"BKC_OnPlugInInfo", call.OnPlugInInfo(record), 0},
        {"BKC_OnDragDrop", call.OnDragDrop("a", "b", 1, 2), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.name;
    EXPECT_TRUE(cancel.Fired());
}

TEST_F(PluginFrame, OpenMailWithNoOrEmptyIdentifierEmptiesTheWindows)
{
    WriteWholeFile(Folder.File("QUORVEL.ini"), "[Quorvel]\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\n");
    OpenMails({{"a.eml", "X-Mailer: M\r\n\r\n"}});
    ASSERT_TRUE(Host->LoadPlugin(Install("QUORVEL.dll")));
    for (const char* id : {static_cast<const char*>(nullptr), ""}) {
        Host->OpenMail(0);
        ASSERT_EQ(ListHeaderWindows().at(0).text, "M");
        EXPECT_EQ(Host->OpenMailId(id), 0);
        EXPECT_EQ(ListHeaderWindows().at(0).text, "");
    }
    Host->OpenMail(0);
    Host->OpenFolder(Host->CurrentFolder());
    EXPECT_EQ(ListHeaderWindows().at(0).text, "") << "opening a folder empties them too";
}

// Where the settings file goes, seen from the file the module writes when it
// is unloaded. A module without an extension in a folder with a dot keeps
// its file beside it; a path that cannot hold the settings path leaves the
// module on its defaults, writing nothing anywhere.
TEST_F(PluginFrame, SettingsFileBesideTheModule)
{
    const std::string deep = std::string(100, 'd') + "\\" + std::string(100, 'e') + "\\";
    struct Case {
        std::string install;   // where the DLL goes
        std::string load;      // the path handed to LoadLibrary
        std::string expected;  // the settings file, or "" for none
    };
    std::vector<Case> cases = {
        {"QUORVEL.dll", "QUORVEL.dll", "QUORVEL.ini"},
        {"Mail.1\\viewer", "Mail.1\\viewer.", "Mail.1\\viewer.ini"},
        {"plug.in\\Quorvel.plugin.dll", "plug.in\\Quorvel.plugin.dll", "plug.in\\Quorvel.plugin.ini"},
    };
    // A module path of 258 bytes fits, but its settings path would need 260.
    std::string base = Folder.Path() + "\\" + deep;
    std::string name = std::string(258 - base.size() - 2, 'q') + ".d";
    cases.push_back({deep + name, deep + name, ""});
    for (const Case& c : cases) {
        Install(c.install);
        ASSERT_TRUE(Host->LoadPlugin(Folder.File(c.load))) << c.load << ": " << Host->LastError();
        EXPECT_EQ(HeaderWindowCaptions(), (Names{"X-Mailer"})) << c.load;
        Host->UnloadPlugin();
        if (!c.expected.empty()) {
            EXPECT_TRUE(FileExists(Folder.File(c.expected))) << c.load;
            DeleteFileA(Folder.File(c.expected).c_str());
        }
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((Folder.Path() + "\\*.ini").c_str(), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << c.load << " also wrote " << found.cFileName;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        EXPECT_FALSE(FileExists(Folder.File("Mail.ini")));
    }
}

// In a Japanese code page a folder named with a double-byte character whose
// second byte is 0x5C (the backslash's value) is still one folder.
TEST_F(PluginFrame, DoubleByteFolderNamesInTheJapaneseCodePage)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "runs in its own process with the Japanese code page";
    const std::string folder = "\x95\x5C.1";  // "表.1"
    Install(folder + "\\viewer");
    ASSERT_TRUE(Host->LoadPlugin(Folder.File(folder + "\\viewer.")));
    Host->UnloadPlugin();
    EXPECT_TRUE(FileExists(Folder.File(folder + "\\viewer.ini")));
    EXPECT_FALSE(FileExists(Folder.File("\x95.ini")));
    EXPECT_FALSE(FileExists(Folder.File("\x95\x5C.ini")));
}

// Hosts that lack one function, each a program of its own: the module
// refuses to load, and nothing else happens: no window, no file.
TEST_F(PluginFrame, HostsLackingOneFunctionAreRefused)
{
    std::string dll = Install("QUORVEL.dll");
    std::string script = Folder.File("script.txt");
    WriteWholeFile(script, "dump\r\n");
    for (const char* missing : {"BKA_Connect", "BKA_GetVersion", "BKA_SerializeRcpts", "BKA_GetSpecifiedHeader"}) {
        std::string program = ProgramFolder() + "\\QuorvelHost_no" + missing + ".exe";
        ChildResult run = RunChild("\"" + program + "\" --plugin \"" + dll + "\" --folder \"" + Folder.Path() +
                                   "\" --script \"" + script + "\"");
        ASSERT_TRUE(run.started) << program;
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_NE(run.output.find("plugin: refused"), std::string::npos) << missing << "\n" << run.output;
        EXPECT_NE(run.output.find("dump: 0 header window(s)"), std::string::npos) << missing << "\n" << run.output;
        EXPECT_FALSE(FileExists(Folder.File("QUORVEL.ini"))) << missing;
    }
    // The full host, for contrast, loads it.
    ChildResult full = RunChild("\"" + ProgramFolder() + "\\QuorvelHost.exe\" --plugin \"" + dll + "\" --folder \"" +
                                Folder.Path() + "\" --script \"" + script + "\"");
    EXPECT_NE(full.output.find("plugin: loaded"), std::string::npos) << full.output;
    EXPECT_NE(full.output.find("dump: 1 header window(s)"), std::string::npos) << full.output;
}
}
