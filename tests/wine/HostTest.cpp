// The stand-in host, checked from where a plug-in stands: this program is a
// host itself (built with quorvel_host_executable), so the host functions are
// reached by name among its own exports, as a plug-in reaches them. The host's
// callbacks are watched through HostProbePlugin.dll, and the whole programs
// (QuorvelHost.exe, its variants, OtherProcess.exe) are started as a person
// or a test script would start them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/HostExportNames.h"
#include "host/PluginWindows.h"
#include "host/StandInHost.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

namespace {

// --- Where things are ---------------------------------------------------------------

std::string ProgramPath(const std::string& name)
{
    return ProgramFolder() + "\\" + name;
}

std::string SampleFolder(const std::string& name)
{
    return ProgramFolder() + "\\samples\\" + name;
}

const std::string ProbePlugin = "HostProbePlugin.dll";

// --- The host functions, found as a plug-in finds them ----------------------------------

template <typename Proc>
Proc HostFunction(const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), name)));
}

using GetWindowHandlesProc = int(WINAPI*)(HWND*, HWND*, HWND*, HWND*);
using GetCurrentMailProc = LPCSTR(WINAPI*)();
using GetSpecifiedHeaderProc = int(WINAPI*)(LPCSTR, LPSTR, int);

int CallGetWindowHandles(HWND* main, HWND* tree, HWND* list, HWND* view)
{
    return HostFunction<GetWindowHandlesProc>("BKA_GetWindowHandles")(main, tree, list, view);
}

LPCSTR CallGetCurrentMail()
{
    return HostFunction<GetCurrentMailProc>("BKA_GetCurrentMail")();
}

int CallGetSpecifiedHeader(LPCSTR name, LPSTR buffer, int size)
{
    return HostFunction<GetSpecifiedHeaderProc>("BKA_GetSpecifiedHeader")(name, buffer, size);
}

constexpr char Guard = '\xCC';
constexpr size_t GuardBytes = 32;

// One call of BKA_GetSpecifiedHeader with a buffer of size bytes followed by
// guard bytes; fails the test when the host writes past size bytes or
// leaves no terminating zero.
struct HeaderAnswer {
    int result = 0;
    std::string value;
};

HeaderAnswer AskHeader(const char* name, int size = 256)
{
    std::vector<char> buffer(static_cast<size_t>(size) + GuardBytes, Guard);
    HeaderAnswer answer;
    answer.result = CallGetSpecifiedHeader(name, buffer.data(), size);
    for (size_t i = static_cast<size_t>(size); i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], Guard) << "byte " << i << " written beyond the buffer of " << size;
    }
    const auto zero = std::find(buffer.begin(), buffer.begin() + size, '\0');
    EXPECT_NE(zero, buffer.begin() + size) << "no terminating zero within " << size << " bytes";
    answer.value.assign(buffer.begin(), zero);
    return answer;
}

std::string HeaderValue(const char* name, int size = 256)
{
    return AskHeader(name, size).value;
}

// --- Text -------------------------------------------------------------------------

// UTF-8 text as the system's 8-bit code page shows it.
std::string Acp(const std::string& utf8)
{
    if (utf8.empty()) return std::string();
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], wideLength);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &text[0], length, nullptr, nullptr);
    return text;
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// --- Export tables, read from the program files ---------------------------------------

// The names a PE file exports, from its export directory; empty when the file
// cannot be read or exports nothing.
std::vector<std::string> ExportedNames(const std::string& path)
{
    const std::string image = ReadWholeFile(path);
    std::vector<std::string> names;
    auto at = [&](size_t offset, size_t size) { return offset + size <= image.size() ? image.data() + offset : nullptr; };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return names;
    const size_t ntOffset = static_cast<size_t>(dos->e_lfanew);
    const auto* signature = reinterpret_cast<const DWORD*>(at(ntOffset, sizeof(DWORD)));
    if (signature == nullptr || *signature != IMAGE_NT_SIGNATURE) return names;
    const auto* file = reinterpret_cast<const IMAGE_FILE_HEADER*>(at(ntOffset + 4, sizeof(IMAGE_FILE_HEADER)));
    const size_t optionalOffset = ntOffset + 4 + sizeof(IMAGE_FILE_HEADER);
    const auto* magic = reinterpret_cast<const WORD*>(at(optionalOffset, sizeof(WORD)));
    if (file == nullptr || magic == nullptr) return names;

    IMAGE_DATA_DIRECTORY exports = {};
    if (*magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        const auto* optional =
            reinterpret_cast<const IMAGE_OPTIONAL_HEADER64*>(at(optionalOffset, sizeof(IMAGE_OPTIONAL_HEADER64)));
        if (optional == nullptr) return names;
        exports = optional->DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    } else {
        const auto* optional =
            reinterpret_cast<const IMAGE_OPTIONAL_HEADER32*>(at(optionalOffset, sizeof(IMAGE_OPTIONAL_HEADER32)));
        if (optional == nullptr) return names;
        exports = optional->DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    }
    if (exports.VirtualAddress == 0) return names;

    const size_t sectionsOffset = optionalOffset + file->SizeOfOptionalHeader;
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < file->NumberOfSections; ++i) {
            const auto* section = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
                at(sectionsOffset + i * sizeof(IMAGE_SECTION_HEADER), sizeof(IMAGE_SECTION_HEADER)));
            if (section == nullptr) return SIZE_MAX;
            const DWORD size = std::max(section->SizeOfRawData, section->Misc.VirtualSize);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
                return rva - section->VirtualAddress + section->PointerToRawData;
            }
        }
        return SIZE_MAX;
    };
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
        at(fileOffset(exports.VirtualAddress), sizeof(IMAGE_EXPORT_DIRECTORY)));
    if (directory == nullptr) return names;
    for (DWORD i = 0; i < directory->NumberOfNames; ++i) {
        const auto* nameRva = reinterpret_cast<const DWORD*>(at(fileOffset(directory->AddressOfNames) + i * 4, 4));
        if (nameRva == nullptr) break;
        const size_t nameOffset = fileOffset(*nameRva);
        if (nameOffset >= image.size()) break;
        names.emplace_back(image.c_str() + nameOffset);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> HostNamesWithout(const std::string& omitted)
{
    std::vector<std::string> names;
    for (const char* name : HostExportNames) {
        if (name != omitted) names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// --- Other programs -------------------------------------------------------------------

// Runs a program of the build folder; its output with plain LF line ends.
ChildResult RunProgram(const std::string& program, const std::string& arguments)
{
    ChildResult run = RunChild("\"" + ProgramPath(program) + "\" " + arguments);
    run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
    return run;
}

// --- Fixture: one host per test --------------------------------------------------------

class StandInHostTest : public testing::Test {
protected:
    void SetUp() override { Host = std::make_unique<StandInHost>(); }
    void TearDown() override { Host.reset(); }

    void OpenSample(const std::string& folder, const std::string& file)
    {
        ASSERT_TRUE(Host->OpenFolder(SampleFolder(folder))) << Host->LastError();
        ASSERT_TRUE(Host->OpenMailByName(file)) << Host->LastError();
    }

    // Writes one mail into a fresh folder and makes it current.
    void OpenWrittenMail(const std::string& bytes)
    {
        Mails = std::make_unique<TempFolder>();
        WriteWholeFile(Mails->File("mail.eml"), bytes);
        ASSERT_TRUE(Host->OpenFolder(Mails->Path())) << Host->LastError();
        ASSERT_TRUE(Host->OpenMail(0)) << Host->LastError();
    }

    void LoadProbe()
    {
        ASSERT_TRUE(Host->LoadPlugin(ProgramPath(ProbePlugin))) << Host->LastError();
    }

    // The probe's recorded callbacks, one a line.
    std::vector<std::string> ProbeEvents()
    {
        using EventsProc = LPCSTR(WINAPI*)();
        auto events = reinterpret_cast<EventsProc>(
            reinterpret_cast<void*>(GetProcAddress(Host->PluginModule(), "ProbeEvents")));
        std::vector<std::string> lines;
        if (events == nullptr) return lines;
        std::string text = events();
        size_t begin = 0;
        while (begin < text.size()) {
            const size_t end = text.find('\n', begin);
            lines.push_back(text.substr(begin, end - begin));
            begin = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }

    void ProbeCall(const char* name)
    {
        using Proc = void(WINAPI*)();
        auto call = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(Host->PluginModule(), name)));
        ASSERT_NE(call, nullptr) << name;
        call();
    }

    std::unique_ptr<StandInHost> Host;
    std::unique_ptr<TempFolder> Mails;
};

// =====================================================================================
// Exports
// =====================================================================================

TEST(HostExports, ThisProgramExportsEveryHostFunctionByPlainName)
{
    HMODULE self = GetModuleHandleA(nullptr);
    for (const char* name : HostExportNames) {
        EXPECT_NE(GetProcAddress(self, name), nullptr) << name;
    }
    EXPECT_EQ(ExportedNames(ProgramPath("HostTest.exe")), HostNamesWithout(""));
}

TEST(HostExports, EachProgramExportsExactlyItsNames)
{
    const struct {
        const char* program;
        const char* omitted;
    } cases[] = {
        {"QuorvelHost.exe", ""},
        {"QuorvelHost_noBKA_Connect.exe", "BKA_Connect"},
        {"QuorvelHost_noBKA_GetVersion.exe", "BKA_GetVersion"},
        {"QuorvelHost_noBKA_SerializeRcpts.exe", "BKA_SerializeRcpts"},
        {"QuorvelHost_noBKA_GetSpecifiedHeader.exe", "BKA_GetSpecifiedHeader"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> names = ExportedNames(ProgramPath(c.program));
        EXPECT_EQ(names, HostNamesWithout(c.omitted)) << c.program;
        EXPECT_EQ(names.size(), HostExportCount - (c.omitted[0] ? 1 : 0)) << c.program;
    }
}

TEST(HostExports, FunctionsThePluginNeverCallsAnswerZero)
{
    using NoArguments = INT_PTR(WINAPI*)();
    for (const char* name : {"BKA_GetVersion", "BKA_GetDataFolder", "BKA_GetTempFolder", "BKA_GetCurrentMailBox",
                             "BKA_GetCurrentFolder"}) {
        EXPECT_EQ(HostFunction<NoArguments>(name)(), 0) << name;
    }
}

TEST(HostExports, WithoutAHostTheCalledFunctionsFailSafely)
{
    ASSERT_EQ(StandInHost::Current(), nullptr);
    HWND main = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(CallGetWindowHandles(&main, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(CallGetCurrentMail(), nullptr);
    EXPECT_EQ(AskHeader("X-Mailer").value, "");
}

// =====================================================================================
// BKA_GetWindowHandles
// =====================================================================================

TEST_F(StandInHostTest, WindowHandlesAreTheMainWindowAndThreeOfItsChildrenOnThisThread)
{
    HWND handles[4] = {};
    ASSERT_NE(CallGetWindowHandles(&handles[0], &handles[1], &handles[2], &handles[3]), 0);
    EXPECT_EQ(handles[0], Host->MainWindow());
    EXPECT_EQ(WindowClassOf(handles[0]), "QuorvelHostMain");
    EXPECT_TRUE(IsWindowVisible(handles[0]));
    EXPECT_EQ(GetAncestor(handles[0], GA_ROOT), handles[0]);
    for (HWND window : handles) {
        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    }
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(GetParent(handles[i]), handles[0]) << "handle " << i;
        for (int j = 0; j < i; ++j) EXPECT_NE(handles[i], handles[j]);
    }
    EXPECT_EQ(handles[1], Host->FolderList());
    EXPECT_EQ(handles[2], Host->MailList());
    EXPECT_EQ(handles[3], Host->PreviewPane());
}

TEST_F(StandInHostTest, WindowHandlesSkipNullVariables)
{
    EXPECT_NE(CallGetWindowHandles(nullptr, nullptr, nullptr, nullptr), 0);
    HWND main = nullptr;
    EXPECT_NE(CallGetWindowHandles(&main, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(main, Host->MainWindow());
}

TEST_F(StandInHostTest, FailingWindowHandlesReturnZeroAndLeaveTheVariables)
{
    Host->SetWindowHandlesFail(true);
    HWND sentinel = reinterpret_cast<HWND>(0x5A5A);
    HWND handles[4] = {sentinel, sentinel, sentinel, sentinel};
    EXPECT_EQ(CallGetWindowHandles(&handles[0], &handles[1], &handles[2], &handles[3]), 0);
    for (HWND window : handles) EXPECT_EQ(window, sentinel);
    Host->SetWindowHandlesFail(false);
    EXPECT_NE(CallGetWindowHandles(&handles[0], &handles[1], &handles[2], &handles[3]), 0);
    EXPECT_EQ(handles[0], Host->MainWindow());
}

// =====================================================================================
// BKA_GetCurrentMail
// =====================================================================================

TEST_F(StandInHostTest, FolderMailsAreSortedByName)
{
    ASSERT_TRUE(Host->OpenFolder(SampleFolder("inbox")));
    const std::vector<std::string> expected = {"01-weekly-report.eml", "02-meeting-jis.eml", "03-release-utf8.eml",
                                               "04-thunderbird.eml"};
    std::vector<std::string> names;
    for (size_t i = 0; i < Host->MailCount(); ++i) names.push_back(Host->MailFileName(i));
    EXPECT_EQ(names, expected);
    EXPECT_EQ(SendMessageA(Host->MailList(), LB_GETCOUNT, 0, 0), 4);
}

TEST_F(StandInHostTest, CurrentMailFollowsWhatTheHostOpened)
{
    const std::string inbox = SampleFolder("inbox");
    const std::string archive = SampleFolder("archive");
    enum Action { Nothing, Folder, Mail, BadMail, Close };
    const struct {
        Action action;
        std::string argument;
        const char* expectedFile;  // null: no current mail
    } steps[] = {
        {Nothing, "", nullptr},
        {Folder, inbox, nullptr},
        {Mail, "1", "02-meeting-jis.eml"},
        {Mail, "0", "01-weekly-report.eml"},
        {BadMail, "4", "01-weekly-report.eml"},
        {Close, "", nullptr},
        {Mail, "3", "04-thunderbird.eml"},
        {Folder, archive, nullptr},
        {Mail, "2", "03-euc-jp-long-subject.eml"},
    };
    std::string folder;
    for (const auto& step : steps) {
        switch (step.action) {
        case Nothing:
            break;
        case Folder:
            ASSERT_TRUE(Host->OpenFolder(step.argument));
            folder = step.argument;
            break;
        case Mail:
            ASSERT_TRUE(Host->OpenMail(std::stoul(step.argument)));
            break;
        case BadMail:
            EXPECT_FALSE(Host->OpenMail(std::stoul(step.argument)));
            break;
        case Close:
            Host->CloseMail();
            break;
        }
        const char* current = CallGetCurrentMail();
        if (step.expectedFile == nullptr) {
            EXPECT_EQ(current, nullptr) << "after step " << step.action << " " << step.argument;
        } else {
            ASSERT_NE(current, nullptr) << "after step " << step.action << " " << step.argument;
            EXPECT_EQ(std::string(current), folder + "\\" + step.expectedFile);
            EXPECT_TRUE(FileExists(current));
        }
    }
}

TEST_F(StandInHostTest, AFolderThatCannotBeReadChangesNothing)
{
    OpenSample("inbox", "02-meeting-jis.eml");
    const std::string before = CallGetCurrentMail();
    EXPECT_FALSE(Host->OpenFolder(SampleFolder("no-such-folder")));
    EXPECT_EQ(std::string(CallGetCurrentMail()), before);
    EXPECT_EQ(Host->MailCount(), 4u);
}

// =====================================================================================
// BKA_GetSpecifiedHeader: values
// =====================================================================================

TEST_F(StandInHostTest, SampleHeadersAreUnfoldedAndDecodedIntoTheSystemCodePage)
{
    const struct {
        const char* folder;
        const char* file;
        const char* name;
        const char* utf8;  // the expected value, in UTF-8
    } cases[] = {
        {"inbox", "01-weekly-report.eml", "X-Mailer", "Microsoft Outlook 16.0"},
        {"inbox", "01-weekly-report.eml", "x-MAILER", "Microsoft Outlook 16.0"},
        {"inbox", "01-weekly-report.eml", "Comments", "forwarded from the build list"},
        {"inbox", "02-meeting-jis.eml", "Subject", u8"会議の議事録について"},
        {"inbox", "02-meeting-jis.eml", "From", u8"山田 太郎 <t.yamada@example.jp>"},
        {"inbox", "02-meeting-jis.eml", "X-Mailer", "Sylpheed 3.7.0 (GTK+ 2.24.33; i686-pc-mingw32)"},
        {"inbox", "03-release-utf8.eml", "Subject", u8"リリース候補 v0.2.3 の確認"},
        {"inbox", "03-release-utf8.eml", "X-Mailer", "Claws Mail 4.1.1 (GTK 3.24.38; x86_64-pc-linux-gnu)"},
        {"inbox", "04-thunderbird.eml", "X-Mailer", ""},
        {"inbox", "04-thunderbird.eml", "User-Agent", "Mozilla Thunderbird"},
        {"inbox", "04-thunderbird.eml", "Subject", u8"Re: Café menu for Friday"},
        {"archive", "01-sjis-newsletter.eml", "Subject", u8"【お知らせ】メンテナンスのご案内"},
        {"archive", "01-sjis-newsletter.eml", "From", u8"サポート窓口 <info@example.co.jp>"},
        {"archive", "01-sjis-newsletter.eml", "X-Mailer", "Microsoft Outlook Express 6.00.2900.5512"},
        {"archive", "02-latin1.eml", "Subject", u8"Réunion d'équipe"},
        {"archive", "02-latin1.eml", "From", u8"René Lefèvre <rene@example.fr>"},
        {"archive", "02-latin1.eml", "Comments", u8"“quoted” text"},
        {"archive", "02-latin1.eml", "X-Mailer", "Apple Mail (2.3774.500.171.1.1)"},
        {"archive", "03-euc-jp-long-subject.eml", "X-Mailer", "Mew version 6.8 on Emacs 28.2"},
    };
    for (const auto& c : cases) {
        OpenSample(c.folder, c.file);
        const HeaderAnswer answer = AskHeader(c.name);
        EXPECT_EQ(answer.value, Acp(c.utf8)) << c.file << " " << c.name;
        EXPECT_EQ(answer.result, static_cast<int>(answer.value.size())) << c.file << " " << c.name;
    }
}

TEST_F(StandInHostTest, DecodedTextIsInTheSystemCodePageByteForByte)
{
    const UINT acp = GetACP();
    if (acp != 1252 && acp != 932) GTEST_SKIP() << "no expectations for code page " << acp;
    const struct {
        UINT codePage;
        const char* folder;
        const char* file;
        const char* name;
        const char* bytes;
    } cases[] = {
        {1252, "archive", "02-latin1.eml", "Subject", "R\xE9union d'\xE9quipe"},
        {1252, "archive", "02-latin1.eml", "Comments", "\x93quoted\x94 text"},
        {1252, "inbox", "04-thunderbird.eml", "Subject", "Re: Caf\xE9 menu for Friday"},
        {932, "inbox", "02-meeting-jis.eml", "Subject",
         "\x89\xEF\x8B\x63\x82\xCC\x8B\x63\x8E\x96\x98\x5E\x82\xC9\x82\xC2\x82\xA2\x82\xC4"},
        {932, "archive", "01-sjis-newsletter.eml", "From",
         "\x83\x54\x83\x7C\x81\x5B\x83\x67\x91\x8B\x8C\xFB <info@example.co.jp>"},
    };
    for (const auto& c : cases) {
        if (c.codePage != acp) continue;
        OpenSample(c.folder, c.file);
        EXPECT_EQ(HeaderValue(c.name), c.bytes) << c.file << " " << c.name;
    }
}

TEST_F(StandInHostTest, FieldRulesOfWrittenMails)
{
    const struct {
        const char* what;
        std::string mail;
        const char* name;
        std::string expected;
    } cases[] = {
        {"first of two fields", "X-Mailer: First\r\nx-mailer: Second\r\n\r\nbody\r\n", "X-Mailer", "First"},
        {"folded with a tab", "X-Mailer: Foo\r\n\tBar 2.0\r\n\r\n", "X-Mailer", "Foo Bar 2.0"},
        {"folded with LF only", "X-Mailer: Foo\n Bar\nSubject: s\n\nbody\n", "X-Mailer", "Foo Bar"},
        {"blank before the colon", "X-Mailer : Spaced 1.0\r\n\r\n", "X-Mailer", "Spaced 1.0"},
        {"trailing blanks", "X-Mailer:   Padded 1.0   \r\n\r\n", "X-Mailer", "Padded 1.0"},
        {"empty value", "X-Mailer:\r\nSubject: s\r\n\r\n", "X-Mailer", ""},
        {"only in the body", "Subject: s\r\n\r\nX-Mailer: Body 1.0\r\n", "X-Mailer", ""},
        {"longer name only", "X-Mailer-Version: 2\r\n\r\n", "X-Mailer", ""},
        {"shorter name only", "X-Maile: 2\r\n\r\n", "X-Mailer", ""},
        {"empty name", "X-Mailer: Named\r\n\r\n", "", ""},
        {"adjacent words joined", "Subject: =?UTF-8?B?5pel?=\r\n =?UTF-8?B?5pys?=\r\n\r\n", "Subject", Acp(u8"日本")},
        {"character split across words", "Subject: =?UTF-8?B?5pe=?= =?UTF-8?B?pQ==?=\r\n\r\n", "Subject",
         Acp(u8"日")},
        {"word between text", "Subject: Re: =?ISO-8859-1?Q?caf=E9?= again\r\n\r\n", "Subject", Acp(u8"Re: café again")},
        {"ISO-2022-JP katakana", "Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=\r\n\r\n", "Subject", Acp(u8"テスト")},
        {"EUC-JP", "Subject: =?EUC-JP?B?pcaluaXI?=\r\n\r\n", "Subject", Acp(u8"テスト")},
        {"US-ASCII Q", "Subject: =?us-ascii?q?plain_text?=\r\n\r\n", "Subject", "plain text"},
        {"tab and controls shown", "Subject: a\tb\x01" "c\r\n\r\n", "Subject", "a b?c"},
    };
    for (const auto& c : cases) {
        OpenWrittenMail(c.mail);
        EXPECT_EQ(HeaderValue(c.name), c.expected) << c.what;
    }
}

// =====================================================================================
// BKA_GetSpecifiedHeader: sizes, double-byte characters, absent values
// =====================================================================================

TEST_F(StandInHostTest, ValuesAreCutToTheBufferAndAlwaysTerminated)
{
    OpenSample("inbox", "01-weekly-report.eml");
    const std::string references = HeaderValue("References", 4096);
    ASSERT_EQ(references.size(), 308u);
    ASSERT_EQ(references.substr(0, 46), "<20240429071102.GA11234@build01.example.org> <");
    const std::string mailer = "Microsoft Outlook 16.0";
    const struct {
        const char* name;
        const std::string& full;
        int size;
        size_t expectedLength;
    } cases[] = {
        {"X-Mailer", mailer, 1, 0},    {"X-Mailer", mailer, 2, 1},    {"X-Mailer", mailer, 3, 2},
        {"X-Mailer", mailer, 22, 21},  {"X-Mailer", mailer, 23, 22},  {"X-Mailer", mailer, 24, 22},
        {"X-Mailer", mailer, 256, 22}, {"References", references, 1, 0}, {"References", references, 2, 1},
        {"References", references, 255, 254}, {"References", references, 256, 255},
        {"References", references, 308, 307}, {"References", references, 309, 308},
    };
    for (const auto& c : cases) {
        const HeaderAnswer answer = AskHeader(c.name, c.size);
        EXPECT_EQ(answer.value, c.full.substr(0, c.expectedLength)) << c.name << " size " << c.size;
        EXPECT_EQ(answer.result, static_cast<int>(c.expectedLength)) << c.name << " size " << c.size;
    }
}

TEST_F(StandInHostTest, DoubleByteCharactersAreNeverSplit)
{
    if (GetACP() != 932) GTEST_SKIP() << "the system code page " << GetACP() << " has no double-byte characters";

    // "[dev] " and 127 double-byte characters: 260 bytes.
    OpenSample("archive", "03-euc-jp-long-subject.eml");
    const std::string subject = HeaderValue("Subject", 1024);
    ASSERT_EQ(subject.size(), 260u);
    ASSERT_EQ(subject.substr(0, 6), "[dev] ");
    for (int size = 1; size <= 262; ++size) {
        size_t expected = std::min<size_t>(260, static_cast<size_t>(size) - 1);
        if (expected > 6 && (expected - 6) % 2 == 1) --expected;
        const HeaderAnswer answer = AskHeader("Subject", size);
        EXPECT_EQ(answer.value, subject.substr(0, expected)) << "size " << size;
    }
    EXPECT_EQ(AskHeader("Subject", 256).value.size(), 254u);

    // Ten double-byte characters, no single-byte one.
    OpenSample("inbox", "02-meeting-jis.eml");
    const std::string meeting = HeaderValue("Subject");
    ASSERT_EQ(meeting.size(), 20u);
    const struct {
        int size;
        size_t length;
    } cases[] = {{1, 0}, {2, 0}, {3, 2}, {4, 2}, {5, 4}, {20, 18}, {21, 20}, {22, 20}};
    for (const auto& c : cases) {
        EXPECT_EQ(AskHeader("Subject", c.size).value, meeting.substr(0, c.length)) << "size " << c.size;
    }

    // A lead byte whose trail byte is missing is left out.
    Host->SetHeaderValueOverride("X-Test", "ab\x82\xA0\x82");
    EXPECT_EQ(HeaderValue("X-Test"), "ab\x82\xA0");
    EXPECT_EQ(HeaderValue("X-Test", 4), "ab");
}

TEST_F(StandInHostTest, AbsentHeadersAndNoMailGiveTheEmptyText)
{
    const std::string inbox = SampleFolder("inbox");
    const struct {
        const char* situation;
        const char* name;
    } cases[] = {
        {"no folder", "X-Mailer"},
        {"folder, no mail", "X-Mailer"},
        {"mail without the header", "X-No-Such-Header"},
        {"mail without the header", "Mailer"},
        {"mail without the header", "X-Mailer "},
        {"mail without the header", ""},
        {"mail closed", "Subject"},
    };
    for (const auto& c : cases) {
        const std::string situation = c.situation;
        if (situation == "folder, no mail") {
            ASSERT_TRUE(Host->OpenFolder(inbox));
        }
        if (situation == "mail without the header") OpenSample("inbox", "04-thunderbird.eml");
        if (situation == "mail closed") Host->CloseMail();
        std::vector<char> buffer(256, '#');
        EXPECT_EQ(CallGetSpecifiedHeader(c.name, buffer.data(), 256), 0) << c.situation << " " << c.name;
        EXPECT_EQ(buffer[0], '\0') << c.situation << " " << c.name;
    }
}

TEST_F(StandInHostTest, NullArgumentsAndSizesBelowOneAreSafe)
{
    OpenSample("inbox", "01-weekly-report.eml");
    char buffer[16];
    const struct {
        const char* name;
        bool withBuffer;
        int size;
        bool terminated;  // a zero is written at the start of the buffer
    } cases[] = {
        {nullptr, true, 16, true}, {"X-Mailer", false, 16, false}, {"X-Mailer", true, 0, false},
        {"X-Mailer", true, -1, false}, {"X-Mailer", true, INT_MIN, false}, {nullptr, false, 0, false},
    };
    for (const auto& c : cases) {
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(CallGetSpecifiedHeader(c.name, c.withBuffer ? buffer : nullptr, c.size), 0)
            << (c.name ? c.name : "(null)") << " size " << c.size;
        EXPECT_EQ(buffer[0], c.terminated ? '\0' : '#') << (c.name ? c.name : "(null)") << " size " << c.size;
        for (size_t i = 1; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#');
    }
}

TEST_F(StandInHostTest, MalformedMailsGiveAClearValueOrNone)
{
    const std::string nihon = Acp(u8"日本");
    const struct {
        const char* file;
        const char* name;
        std::string expected;
    } cases[] = {
        {"01-no-header-end.eml", "Subject", "No empty line anywhere"},
        {"01-no-header-end.eml", "X-Mailer", "Truncated Mailer 1.0"},
        {"02-binary-header.eml", "Subject", "Binary?bytes?in?the?header"},
        {"02-binary-header.eml", "X-Mailer", "Bin?ary?Mailer \xFF\xFE\x80 2.0"},
        {"03-broken-encoded-word.eml", "Subject", "=?UTF-8?B?not*base64?="},
        {"03-broken-encoded-word.eml", "X-Mailer", nihon + " Mailer =?NO-SUCH-CHARSET?Q?abc?="},
        {"03-broken-encoded-word.eml", "Comments", "=?ISO-2022-JP?B?GyRYJDMbKEI=?="},
        {"03-broken-encoded-word.eml", "Keywords", "=?UTF-8?Q?unterminated"},
        {"03-broken-encoded-word.eml", "X-Bad-Padding", Acp(u8"日") + "?"},
        {"04-long-header-line.eml", "Subject", "One header line of 100 KB"},
        {"05-empty.eml", "Subject", ""},
        {"05-empty.eml", "X-Mailer", ""},
    };
    for (const auto& c : cases) {
        OpenSample("malformed", c.file);
        const HeaderAnswer answer = AskHeader(c.name);
        EXPECT_EQ(answer.value, c.expected) << c.file << " " << c.name;
        EXPECT_EQ(answer.result, static_cast<int>(answer.value.size())) << c.file << " " << c.name;
    }

    // The 100 KB line: its first 255 bytes.
    OpenSample("malformed", "04-long-header-line.eml");
    std::string digits;
    while (digits.size() < 255) digits += "0123456789";
    EXPECT_EQ(HeaderValue("X-Mailer"), digits.substr(0, 255));
    EXPECT_EQ(AskHeader("X-Mailer", 256).result, 255);
}

TEST_F(StandInHostTest, MisbehavingHostModesDoExactlyTheirFault)
{
    OpenSample("inbox", "01-weekly-report.eml");
    std::vector<char> buffer(64 + GuardBytes, '#');

    Host->SetHeaderMode(HeaderMode::WritesNothing);
    EXPECT_EQ(CallGetSpecifiedHeader("X-Mailer", buffer.data(), 64), 0);
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), '#'), static_cast<std::ptrdiff_t>(buffer.size()));

    Host->SetHeaderMode(HeaderMode::FillsBuffer);
    EXPECT_EQ(CallGetSpecifiedHeader("X-Mailer", buffer.data(), 64), 64);
    EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + 64, 'A'), 64);
    EXPECT_EQ(std::count(buffer.begin() + 64, buffer.end(), '#'), static_cast<std::ptrdiff_t>(GuardBytes));

    Host->SetHeaderMode(HeaderMode::Normal);
    EXPECT_EQ(HeaderValue("X-Mailer"), "Microsoft Outlook 16.0");
}

TEST_F(StandInHostTest, OverriddenValuesCountOnlyWhileAMailIsCurrent)
{
    Host->SetHeaderValueOverride("x-mailer", "Overridden 9.9");
    EXPECT_EQ(HeaderValue("X-Mailer"), "");
    OpenSample("inbox", "01-weekly-report.eml");
    EXPECT_EQ(HeaderValue("X-Mailer"), "Overridden 9.9");
    EXPECT_EQ(HeaderValue("X-Mailer", 5), "Over");
    EXPECT_EQ(HeaderValue("Subject"), "Weekly report: build farm status");
    Host->ClearHeaderValueOverrides();
    EXPECT_EQ(HeaderValue("X-Mailer"), "Microsoft Outlook 16.0");
}

TEST_F(StandInHostTest, HeaderRequestsAreRecordedAsReceived)
{
    OpenSample("inbox", "01-weekly-report.eml");
    Host->ClearHeaderRequests();
    char buffer[8];
    CallGetSpecifiedHeader("X-Mailer", buffer, 8);
    CallGetSpecifiedHeader(nullptr, buffer, 8);
    CallGetSpecifiedHeader("Subject", nullptr, 0);
    const std::vector<HeaderRequest> requests = Host->HeaderRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].name, "X-Mailer");
    EXPECT_EQ(requests[0].size, 8);
    EXPECT_EQ(requests[1].name, "(null)");
    EXPECT_EQ(requests[2].name, "Subject");
    EXPECT_EQ(requests[2].size, 0);
}

// =====================================================================================
// The plug-in: loading and callbacks, seen by the probe
// =====================================================================================

TEST_F(StandInHostTest, ModulesThatAreNoPluginAreRefused)
{
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {ProgramPath("no-such-plugin.dll"), "refused"},
        {"kernel32.dll", "lacks BKC_OnStart"},
        {ProgramPath("QuorvelHost.exe"), "lacks BKC_OnStart"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Host->LoadPlugin(c.path)) << c.path;
        EXPECT_FALSE(Host->PluginLoaded()) << c.path;
        EXPECT_TRUE(Contains(Host->LastError(), c.reason)) << Host->LastError();
    }
}

TEST_F(StandInHostTest, CallbacksArriveInOrderWithTheHostAlreadyAnswering)
{
    LoadProbe();
    const std::string inbox = SampleFolder("inbox");
    ASSERT_TRUE(Host->OpenFolder(inbox));
    ASSERT_TRUE(Host->OpenMail(1));
    const std::string meeting = Host->MailIdentifier(1);
    Host->CloseMail();
    ASSERT_TRUE(Host->OpenMail(0));
    const std::string report = Host->MailIdentifier(0);
    EXPECT_EQ(Host->OpenMailId(""), 0);
    EXPECT_EQ(Host->OpenMailId(nullptr), 0);

    const std::vector<std::string> expected = {
        "attach main=ok",
        "OnStart",
        "OnOpenFolder " + inbox + " current=(null)",
        "OnOpenMail id=" + meeting + " current=" + meeting + " ui-thread=1 Subject=" + Acp(u8"会議の議事録について"),
        "OnOpenMail id=(null) current=(null) ui-thread=1 Subject=",
        "OnOpenMail id=" + report + " current=" + report + " ui-thread=1 Subject=Weekly report: build farm status",
        "OnOpenMail id= current=" + report + " ui-thread=1 Subject=",
        "OnOpenMail id=(null) current=" + report + " ui-thread=1 Subject=",
    };
    EXPECT_EQ(ProbeEvents(), expected);
}

TEST_F(StandInHostTest, UnloadingFreesThePluginAndItsWindows)
{
    LoadProbe();
    OpenSample("inbox", "01-weekly-report.eml");
    ASSERT_EQ(ListHeaderWindows().size(), 1u);
    EXPECT_EQ(ListHeaderWindows()[0].text, "Weekly report: build farm status");
    Host->UnloadPlugin();
    EXPECT_FALSE(Host->PluginLoaded());
    EXPECT_EQ(GetModuleHandleA(ProbePlugin.c_str()), nullptr);
    EXPECT_TRUE(ListHeaderWindows().empty());
    // Loaded again, it starts afresh.
    LoadProbe();
    EXPECT_EQ(ProbeEvents(), (std::vector<std::string>{"attach main=ok", "OnStart"}));
}

TEST_F(StandInHostTest, HeaderCommandIsRecordedAndAnsweredWithTheWholeHeader)
{
    LoadProbe();
    OpenSample("inbox", "01-weekly-report.eml");
    EXPECT_TRUE(Host->CommandsReceived().empty());
    ProbeCall("ProbePostCommand");
    Host->PumpMessages(100);
    EXPECT_EQ(Host->CommandsReceived(), std::vector<WPARAM>{32972});
    const std::string mail = ReadWholeFile(SampleFolder("inbox") + "\\01-weekly-report.eml");
    const std::string header = mail.substr(0, mail.find("\r\n\r\n") + 2);
    EXPECT_EQ(Host->AnswerPaneText(), "Header of 01-weekly-report.eml:\r\n" + header);

    // An LF mail is shown with CRLF line ends.
    OpenSample("inbox", "03-release-utf8.eml");
    ProbeCall("ProbePostCommand");
    Host->PumpMessages(100);
    const std::string lfMail = ReadWholeFile(SampleFolder("inbox") + "\\03-release-utf8.eml");
    EXPECT_EQ(Host->AnswerPaneText(),
              "Header of 03-release-utf8.eml:\r\n" + WithCrLf(lfMail.substr(0, lfMail.find("\n\n") + 1)));

    Host->CloseMail();
    PostMessageA(Host->MainWindow(), WM_COMMAND, 32972, 0);
    Host->PumpMessages(100);
    EXPECT_EQ(Host->AnswerPaneText(), "No mail is open.");
    EXPECT_EQ(Host->CommandsReceived(), (std::vector<WPARAM>{32972, 32972, 32972}));

    // The pane is a read-only child of the main window, on screen.
    EXPECT_EQ(GetParent(Host->AnswerPane()), Host->MainWindow());
    EXPECT_TRUE(IsWindowVisible(Host->AnswerPane()));
    EXPECT_NE(GetWindowLongPtrA(Host->AnswerPane(), GWL_STYLE) & ES_READONLY, 0);
}

TEST_F(StandInHostTest, DoubleClickOnTheProbesHeaderWindowReachesTheHost)
{
    LoadProbe();
    OpenSample("inbox", "02-meeting-jis.eml");
    const std::vector<HeaderWindowState> windows = ListHeaderWindows();
    ASSERT_EQ(windows.size(), 1u);
    HWND edit = FindWindowExA(windows[0].window, nullptr, "EDIT", nullptr);
    ASSERT_NE(edit, nullptr);
    PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(edit, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Host->PumpMessages(150);
    EXPECT_EQ(Host->CommandsReceived(), std::vector<WPARAM>{32972});
    EXPECT_TRUE(Contains(Host->AnswerPaneText(), "X-Mailer: Sylpheed 3.7.0"));
}

TEST_F(StandInHostTest, MenuCommandsAreTheHostsOwn)
{
    LoadProbe();
    HMENU plugInMenu = GetSubMenu(GetMenu(Host->MainWindow()), 1);
    ASSERT_NE(plugInMenu, nullptr);
    std::vector<std::string> items;
    UINT infoId = 0;
    for (int i = 0; i < GetMenuItemCount(plugInMenu); ++i) {
        char text[64] = {};
        GetMenuStringA(plugInMenu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        items.push_back(text);
        if (items.back() == "Plug-in &information") infoId = GetMenuItemID(plugInMenu, i);
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Plug-in &setup...", "Plug-in &information"}));
    SendMessageA(Host->MainWindow(), WM_COMMAND, infoId, 0);
    EXPECT_TRUE(Contains(Host->AnswerPaneText(), "Plug-in: Host probe")) << Host->AnswerPaneText();
    EXPECT_TRUE(Host->CommandsReceived().empty());
}

TEST_F(StandInHostTest, SetupDialogIsFilledInAndAnsweredByTheHost)
{
    LoadProbe();
    ProbeCall("ProbeClearEvents");
    const struct {
        SetupAnswer answer;
        const char* listShown;
        bool topShown;
        bool hideShown;
        const char* event;
    } cases[] = {
        {{true, "Subject, X-Mailer", true, false}, "Subject, ", false, true,
         "OnPlugInSetup window=main OK list=Subject, X-Mailer top=1 hide=0"},
        {{false, "ignored", false, true}, "Subject, X-Mailer", true, false, "OnPlugInSetup window=main Cancel"},
        {{true, "", false, true}, "Subject, X-Mailer", true, false,
         "OnPlugInSetup window=main OK list= top=0 hide=1"},
    };
    for (const auto& c : cases) {
        ProbeCall("ProbeClearEvents");
        SetupDialogSeen seen;
        EXPECT_EQ(Host->PlugInSetupAnswered(c.answer, &seen), 1);
        EXPECT_TRUE(seen.appeared);
        EXPECT_TRUE(seen.answered);
        EXPECT_EQ(seen.error, "");
        EXPECT_EQ(seen.caption, "About");
        EXPECT_EQ(seen.headerListShown, c.listShown);
        EXPECT_EQ(seen.alwaysOnTopShown, c.topShown);
        EXPECT_EQ(seen.hideIfNoHeaderShown, c.hideShown);
        EXPECT_EQ(ProbeEvents(), std::vector<std::string>{c.event});
        EXPECT_TRUE(IsWindowEnabled(Host->MainWindow()));
    }
}

TEST_F(StandInHostTest, PluginInformationRecordIsHandedOverWritable)
{
    LoadProbe();
    unsigned char record[PlugInInfoSize];
    std::memset(record, 0xEE, sizeof record);
    Host->PlugInInfo(record);
    EXPECT_STREQ(reinterpret_cast<char*>(record + PlugInInfoNameOffset), "Host probe");
    EXPECT_STREQ(reinterpret_cast<char*>(record + PlugInInfoVendorOffset), "Quorvel tests");
    EXPECT_STREQ(reinterpret_cast<char*>(record + PlugInInfoVersionOffset), "1.0");
    EXPECT_STREQ(reinterpret_cast<char*>(record + PlugInInfoDescriptionOffset), "Watches the stand-in host");
    EXPECT_EQ(record[PlugInInfoNameOffset + 11], 0xEE);
    EXPECT_EQ(record[PlugInInfoSize - 1], 0xEE);
}

// =====================================================================================
// The programs
// =====================================================================================

TEST(HostPrograms, ScriptDrivesTheWholeProgram)
{
    TempFolder work;
    const std::string shot = work.File("shot.bmp");
    const std::string script = work.File("script.txt");
    WriteWholeFile(script,
                   "# a comment, then every kind of line\n"
                   "folder " + SampleFolder("inbox") + "\n"
                   "open 02-meeting-jis.eml\n"
                   "dump\n"
                   "dblclick Subject\n"
                   "wait 200\n"
                   "answer\n"
                   "setup-ok Subject, X-Mailer|1|0\n"
                   "setup-cancel\n"
                   "info\n"
                   "minimize\n"
                   "restore\n"
                   "open 0\n"
                   "open-none\n"
                   "dump\n"
                   "screenshot " + shot + "\n"
                   "unload\n"
                   "dump\n"
                   "quit\n"
                   "open 1\n");
    const ChildResult run = RunProgram("QuorvelHost.exe", "--plugin " + ProbePlugin + " --folder " +
                                                             SampleFolder("archive") + " --script " + script);
    ASSERT_TRUE(run.started) << run.output;
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const std::string& out = run.output;
    const std::string expectedParts[] = {
        "plugin: loaded HostProbePlugin.dll",
        "folder: " + SampleFolder("archive") + " (3 mails)",
        "> open 02-meeting-jis.eml\n  current mail " + SampleFolder("inbox") + "\\02-meeting-jis.eml",
        "  dump: 1 header window(s)\n  TShowForm caption=\"Subject\" visible=1 text=\"",
        "  commands received: 32972\n  answer pane: \"Header of 02-meeting-jis.eml:\\r\\n",
        "  dialog \"About\" showed header list \"Subject, \" always on top 0 hide if no header 1",
        "  dialog \"About\" showed header list \"Subject, X-Mailer\" always on top 1 hide if no header 0",
        "  name \"Host probe\" vendor \"Quorvel tests\" version \"1.0\" description \"Watches the stand-in host\"",
        "> open-none\n  no current mail\n> dump\n  dump: 1 header window(s)\n"
        "  TShowForm caption=\"Subject\" visible=0 text=\"\"",
        "  wrote " + shot,
        "> unload\n  plug-in unloaded\n> dump\n  dump: 0 header window(s)\n> quit\nscript: done",
    };
    for (const std::string& part : expectedParts) EXPECT_TRUE(Contains(out, part)) << part << "\n---\n" << out;
    EXPECT_FALSE(Contains(out, "> open 1")) << "a line after quit ran";

    // The screenshot: a 24-bit BMP of the whole screen.
    const std::string bmp = ReadWholeFile(shot);
    ASSERT_GT(bmp.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    std::memcpy(&file, bmp.data(), sizeof file);
    std::memcpy(&info, bmp.data() + sizeof file, sizeof info);
    EXPECT_EQ(file.bfType, 0x4D42);
    EXPECT_EQ(file.bfSize, bmp.size());
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biWidth, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(info.biHeight, GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TEST(HostPrograms, FailingScriptLinesEndTheProgramWithAnError)
{
    TempFolder work;
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"open 9", "error: no mail number 9 in the folder"},
        {"folder no-such-folder", "error: no such folder: no-such-folder"},
        {"setup-ok missing parts", "error: setup-ok needs <header list>|<0 or 1>|<0 or 1>"},
        {"fly away", "error: unknown action \"fly\""},
    };
    for (const auto& c : cases) {
        const std::string script = work.File("fail.txt");
        WriteWholeFile(script, std::string(c.line) + "\ndump\n");
        const ChildResult run = RunProgram("QuorvelHost.exe", "--no-plugin --script " + script);
        ASSERT_TRUE(run.started) << run.output;
        EXPECT_EQ(run.exitCode, 1u) << c.line << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, c.message)) << run.output;
        EXPECT_TRUE(Contains(run.output, "script: failed")) << run.output;
        EXPECT_FALSE(Contains(run.output, "> dump")) << run.output;
    }
}

TEST(HostPrograms, EachVariantLacksItsOneNameForThePlugin)
{
    TempFolder work;
    const std::string script = work.File("quit.txt");
    WriteWholeFile(script, "quit\n");
    const struct {
        const char* program;
        const char* verdict;
    } cases[] = {
        {"QuorvelHost.exe", "plugin: loaded"},
        {"QuorvelHost_noBKA_Connect.exe", "plugin: refused"},
        {"QuorvelHost_noBKA_GetVersion.exe", "plugin: refused"},
        {"QuorvelHost_noBKA_SerializeRcpts.exe", "plugin: refused"},
        {"QuorvelHost_noBKA_GetSpecifiedHeader.exe", "plugin: refused"},
    };
    for (const auto& c : cases) {
        const ChildResult run = RunProgram(c.program, "--plugin " + ProbePlugin + " --script " + script);
        ASSERT_TRUE(run.started) << c.program;
        EXPECT_EQ(run.exitCode, 0u) << c.program << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, c.verdict)) << c.program << "\n" << run.output;
    }
}

TEST(HostPrograms, OtherProcessTakesTheActivationAndEndsOnTime)
{
    StandInHost host;
    SetForegroundWindow(host.MainWindow());
    host.PumpMessages(100);

    HWND other = nullptr;
    // Started by hand rather than through RunProgram: the window is looked at
    // while the program runs.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + ProgramPath("OtherProcess.exe") + "\" --activate --seconds 3";
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    const DWORD start = GetTickCount();
    while (other == nullptr && GetTickCount() - start < 15000) {
        host.PumpMessages(50);
        other = FindWindowA(nullptr, "Quorvel other process");
    }
    ASSERT_NE(other, nullptr);
    DWORD otherProcess = 0;
    GetWindowThreadProcessId(other, &otherProcess);
    EXPECT_EQ(otherProcess, process.dwProcessId);
    host.PumpMessages(300);
    EXPECT_TRUE(IsWindowVisible(other));
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_NE(GetActiveWindow(), host.MainWindow());

    const DWORD waited = WaitForSingleObject(process.hProcess, 15000);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "OtherProcess.exe did not end after --seconds 3";
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace
