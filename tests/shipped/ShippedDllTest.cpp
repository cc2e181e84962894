// The shipped i686 QUORVEL.dll in the i686 stand-in host: the binary users
// install is the binary tested here. Every callback is called as the host
// calls it, with the stack pointer measured around the call.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "host/PluginWindows.h"
#include "host/StandInHost.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

// Pushes argc 32-bit arguments, calls fn, and reports how far the stack
// pointer stands from where it stood before the pushes: 0 when the callee
// removed exactly what was pushed.
extern "C" int __cdecl CallMeasuringStack(void* fn, int argc, const uint32_t* args, int* stackDelta);
asm(R"(
    .text
    .globl _CallMeasuringStack
_CallMeasuringStack:
    push %ebp
    mov %esp, %ebp
    push %esi
    push %ebx
    mov 12(%ebp), %ecx
    mov 16(%ebp), %edx
    mov %esp, %esi
1:  test %ecx, %ecx
    jz 2f
    dec %ecx
    pushl (%edx,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    mov %esp, %ecx
    sub %esi, %ecx
    mov 20(%ebp), %edx
    mov %ecx, (%edx)
    mov %esi, %esp
    pop %ebx
    pop %esi
    pop %ebp
    ret
)");

namespace {
class ShippedDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        Host = std::make_unique<StandInHost>();
        Dll = Folder.File("QUORVEL.dll");
        ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\QUORVEL.dll").c_str(), Dll.c_str(), FALSE));
        std::string mails = Folder.File("mails");
        CreateDirectoryA(mails.c_str(), nullptr);
        WriteWholeFile(mails + "\\a.eml", "X-Mailer: Mailer/3.2\r\nSubject: Hello\r\n\r\nBody\r\n");
        ASSERT_TRUE(Host->OpenFolder(mails));
    }
    std::unique_ptr<StandInHost> Host;
    TempFolder Folder;
    std::string Dll;
};

TEST_F(ShippedDll, EveryCallbackRemovesExactlyItsArguments)
{
    ASSERT_TRUE(Host->LoadPlugin(Dll)) << Host->LastError();
    HMODULE module = Host->PluginModule();
    unsigned char record[PlugInInfoSize] = {};
    const uint32_t hostWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Host->MainWindow()));
    const uint32_t recordAddress = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record));
    const uint32_t empty = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(""));
    struct Case {
        const char* name;
        int argc;
        uint32_t args[4];
        int result;
    };
    const Case cases[] = {
        {"BKC_OnStart", 0, {}, 0},
        {"BKC_OnExit", 0, {}, 0},
        {"BKC_OnMenuInit", 3, {hostWindow, 0, 1}, 0},
        {"BKC_OnOpenFolder", 1, {empty}, 0},
        {"BKC_OnOpenMail", 1, {0}, 0},
        {"BKC_OnEveryMinute", 0, {}, 0},
        {"BKC_OnOpenCompose", 2, {hostWindow, 1}, 0},
        {"BKC_OnOutgoing", 2, {hostWindow, 0}, 0},
        {"BKC_OnKeyDispatch", 3, {hostWindow, 'A', 0}, 0},
        {"BKC_OnRetrieve", 2, {empty, empty}, 0},
        {"BKC_OnSend", 1, {empty}, 0},
        {"BKC_OnFinishRetrieve", 1, {3}, 0},
        {"BKC_OnPlugInInfo", 1, {recordAddress}, 0},
        {"BKC_OnDragDrop", 4, {empty, empty, 1, 2}, 0},
    };
    for (const Case& c : cases) {
        void* fn = reinterpret_cast<void*>(GetProcAddress(module, c.name));
        ASSERT_NE(fn, nullptr) << c.name;
        int delta = -1;
        EXPECT_EQ(CallMeasuringStack(fn, c.argc, c.args, &delta), c.result) << c.name;
        EXPECT_EQ(delta, 0) << c.name << " left the stack " << delta << " bytes off";
    }
    // The measurement itself: one argument too many is seen.
    int delta = 0;
    const uint32_t extra[1] = {0};
    CallMeasuringStack(reinterpret_cast<void*>(GetProcAddress(module, "BKC_OnStart")), 1, extra, &delta);
    EXPECT_EQ(delta, -4);
}

TEST_F(ShippedDll, PlugInInfoBytes)
{
    ASSERT_TRUE(Host->LoadPlugin(Dll));
    unsigned char record[PlugInInfoSize];
    std::memset(record, 0xCC, sizeof record);
    Host->PlugInInfo(record);
    EXPECT_EQ(std::memcmp(record, "Quorvel Plug-In", 16), 0);
    EXPECT_EQ(std::memcmp(record + 80, "Ostrand", 8), 0);
    EXPECT_EQ(std::memcmp(record + 160, "0.2.3", 6), 0);
    const unsigned char description[] = {0x94, 0x43, 0x88, 0xD3, 0x82, 0xCC, 0x83, 0x77, 0x83, 0x62, 0x83, 0x5F,
                                         0x82, 0xF0, 0x95, 0xCA, 0x83, 0x45, 0x83, 0x42, 0x83, 0x93, 0x83, 0x68,
                                         0x83, 0x45, 0x82, 0xC9, 0x95, 0x5C, 0x8E, 0xA6, 0x82, 0xB7, 0x82, 0xE9, 0};
    EXPECT_EQ(std::memcmp(record + 240, description, sizeof description), 0);
    EXPECT_EQ(record[16], 0xCC);
    EXPECT_EQ(record[240 + sizeof description], 0xCC);
}

TEST_F(ShippedDll, OpenMailSetupAndUnloadRoundTrip)
{
    WriteWholeFile(Folder.File("QUORVEL.ini"), "[Quorvel]\r\nHideIfNoHeader=0\r\n[X-Mailer]\r\nShow=1\r\n");
    ASSERT_TRUE(Host->LoadPlugin(Dll));
    ASSERT_TRUE(Host->OpenMail(0));
    auto windows = ListHeaderWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].caption, "X-Mailer");
    EXPECT_EQ(windows[0].text, "Mailer/3.2");

    SetupAnswer answer;
    answer.headerList = "X-Mailer, Subject";
    answer.alwaysOnTop = false;
    answer.hideIfNoHeader = true;
    SetupDialogSeen seen;
    EXPECT_EQ(Host->PlugInSetupAnswered(answer, &seen), 1);
    EXPECT_TRUE(seen.answered) << seen.error;
    EXPECT_EQ(seen.headerListShown, "X-Mailer, ");
    windows = ListHeaderWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].caption + "=" + windows[0].text, "Subject=Hello");
    EXPECT_EQ(windows[1].caption + "=" + windows[1].text, "X-Mailer=Mailer/3.2");

    Host->UnloadPlugin();
    EXPECT_TRUE(ListHeaderWindows().empty());
    std::string file = ReadWholeFile(Folder.File("QUORVEL.ini"));
    for (const char* expected : {"[Quorvel]", "HideIfNoHeader=1", "AlwaysOnTop=0", "[X-Mailer]", "[Subject]",
                                 "Show=1", "Top=56", "Left=8", "Width=288", "Height=42"})
        EXPECT_NE(file.find(expected), std::string::npos) << expected << " in\n" << file;
}
}
