// QuorvelBench: what the plug-in costs its host.
//
// The program is itself the stand-in host. It copies the QUORVEL.dll of its
// own build into a scratch folder, loads it as the host does and prints one
// table: each row a cost with the plug-in beside the bare platform cost of
// the same work measured in the same run, and their ratio. Every figure is
// the median of a few rounds. Nothing here passes or fails; it only prints.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "headers/ShowFormList.h"
#include "host/PluginWindows.h"
#include "host/StandInHost.h"
#include "plugin/HostApi.h"
#include "settings/SetupDialog.h"
#include "support/TempFolder.h"

namespace {

// --- Timing -------------------------------------------------------------------

class Stopwatch {
public:
    Stopwatch() { Restart(); }
    void Restart() { QueryPerformanceCounter(&Start); }
    double Microseconds() const
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - Start.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER Start;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// --- Text and files -------------------------------------------------------------

std::string Format(const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

// --- Settings files and mails ---------------------------------------------------

// Short header names, so that even a thousand of them fit the 8192-byte
// section list the module reads.
std::string SectionName(int index)
{
    return Format("H%04d", index + 1);
}

struct Geometry {
    int top, height, left, width;
};
// Where the layout puts a header window, so what unloading writes back; and
// elsewhere, so that each value unloading writes is a change.
constexpr Geometry LayoutGeometry = {56, 42, 8, 288};
constexpr Geometry MovedGeometry = {60, 50, 12, 300};

// [Quorvel] with both options off (no show/hide churn), then one section per
// header with its geometry.
std::string SettingsText(int sections, const Geometry& at = LayoutGeometry)
{
    std::string text = "[Quorvel]\r\nAlwaysOnTop=0\r\nHideIfNoHeader=0\r\n";
    const std::string keys =
        Format("]\r\nShow=1\r\nTop=%d\r\nLeft=%d\r\nWidth=%d\r\nHeight=%d\r\n", at.top, at.left, at.width, at.height);
    for (int i = 0; i < sections; ++i)
        text += "[" + SectionName(i) + keys;
    return text;
}

enum class FileAge { Old, New };

// Writes the settings file; an old one gets a last-write time an hour back,
// as a file left by an earlier session has.
void StoreSettings(const std::string& path, const std::string& text, FileAge age)
{
    WriteWholeFile(path, text);
    if (age != FileAge::Old)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time;
    time.LowPart = now.dwLowDateTime;
    time.HighPart = now.dwHighDateTime;
    time.QuadPart -= 3600ULL * 10000000ULL;
    FILETIME earlier = {time.LowPart, time.HighPart};
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    SetFileTime(file, nullptr, nullptr, &earlier);
    CloseHandle(file);
}

// A mail that has every one of the headers.
std::string MailText(int headers)
{
    std::string text = "From: bench@example.org\r\nSubject: Quorvel bench\r\n";
    for (int i = 0; i < headers; ++i)
        text += SectionName(i) + ": value of header " + std::to_string(i + 1) + "\r\n";
    return text + "\r\nBody\r\n";
}

// The header list the setup dialog shows for the first n sections.
std::string HeaderListText(int sections)
{
    std::string text;
    for (int i = 0; i < sections; ++i)
        text += SectionName(i) + ", ";
    return text;
}

// --- What the module asks of the platform, without the module -----------------

constexpr DWORD SectionListBytes = 8192;
constexpr DWORD ValueBytes = 1024;

class BareProfile {
public:
    explicit BareProfile(std::string path) : Path(std::move(path)) {}

    void SectionNames() { GetPrivateProfileSectionNamesA(Names.data(), SectionListBytes, Path.c_str()); }
    void Read(const std::string& section, const char* key)
    {
        GetPrivateProfileStringA(section.c_str(), key, "", Value.data(), ValueBytes, Path.c_str());
    }
    void Write(const std::string& section, const char* key, const char* value)
    {
        WritePrivateProfileStringA(section.c_str(), key, value, Path.c_str());
    }

    // Loading: the section list, both options, Show of every section, the
    // four geometry values of every window.
    void LoadReads(int sections)
    {
        SectionNames();
        OptionReads();
        for (int i = 0; i < sections; ++i) {
            const std::string name = SectionName(i);
            Read(name, "Show");
            GeometryReads(name);
        }
    }
    // Unloading: each window writes its geometry and Show.
    void UnloadWrites(int sections)
    {
        for (int i = 0; i < sections; ++i)
            GeometryWrites(SectionName(i));
    }
    // Confirming the setup with its list unchanged: the dialog reads the list;
    // saving destroys the windows (each writes back), reads the sections,
    // writes both options and every Show, then loads the windows again.
    void SetupWork(int sections)
    {
        SectionNames();
        for (int i = 0; i < sections; ++i)
            Read(SectionName(i), "Show");
        UnloadWrites(sections);
        SectionNames();
        Write(SettingsSection, "AlwaysOnTop", "0");
        Write(SettingsSection, "HideIfNoHeader", "0");
        for (int i = 0; i < sections; ++i)
            Write(SectionName(i), "Show", "1");
        LoadReads(sections);
    }

    static int LoadReadCount(int sections) { return 1 + 2 + 5 * sections; }
    static int SetupCallCount(int sections) { return 3 + (6 * sections + 2) * 2; }

private:
    void OptionReads()
    {
        Read(SettingsSection, "AlwaysOnTop");
        Read(SettingsSection, "HideIfNoHeader");
    }
    void GeometryReads(const std::string& name)
    {
        Read(name, "Top");
        Read(name, "Height");
        Read(name, "Left");
        Read(name, "Width");
    }
    // What a window at the layout's geometry writes, in its order.
    void GeometryWrites(const std::string& name)
    {
        Write(name, "Top", std::to_string(LayoutGeometry.top).c_str());
        Write(name, "Height", std::to_string(LayoutGeometry.height).c_str());
        Write(name, "Left", std::to_string(LayoutGeometry.left).c_str());
        Write(name, "Width", std::to_string(LayoutGeometry.width).c_str());
        Write(name, "Show", "1");
    }

    std::string Path;
    std::vector<char> Names = std::vector<char>(SectionListBytes);
    std::vector<char> Value = std::vector<char>(ValueBytes);
};

// --- The table -------------------------------------------------------------------

std::string Micro(double us) { return Format("%11.2f us", us); }
std::string Milli(double us) { return Format("%11.3f ms", us / 1000.0); }
std::string Rate(double perSecond) { return Format("%10.0f msg/s", perSecond); }

void PrintRule()
{
    std::printf("%s\n", std::string(130, '-').c_str());
}

void PrintRow(const std::string& what, const std::string& withPlugin, const std::string& bare, double ratio,
              const std::string& note)
{
    std::printf("%-42s %15s %15s %8.2f  %s\n", what.c_str(), withPlugin.c_str(), bare.c_str(), ratio, note.c_str());
    std::fflush(stdout);
}

void PrintNote(const std::string& note)
{
    std::printf("  ! %s\n", note.c_str());
    std::fflush(stdout);
}

std::string WineVersion()
{
    using Proc = const char*(CDECL*)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto version = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
    return version != nullptr ? std::string("Wine ") + version() : std::string("Windows");
}

// --- The measurements -------------------------------------------------------------

constexpr int Rounds = 5;

// One settings size measured: with the plug-in and bare, each in two states
// of the file (see Bench::LoadAndUnload).
struct LoadFigures {
    int sections = 0;
    std::string windows;
    double oldLoad = 0, newLoad = 0, sameUnload = 0, movedUnload = 0;
    double bareOldLoad = 0, bareNewLoad = 0, bareSameUnload = 0, bareMovedUnload = 0;
};


class Bench {
public:
    Bench() : Host(std::make_unique<StandInHost>()) {}

    bool Prepare()
    {
        Dll = Scratch.File("QUORVEL.dll");
        Ini = Scratch.File("QUORVEL.ini");
        const std::string built = ProgramFolder() + "\\QUORVEL.dll";
        if (!CopyFileA(built.c_str(), Dll.c_str(), FALSE)) {
            std::printf("QuorvelBench: cannot copy %s (error %lu)\n", built.c_str(), GetLastError());
            return false;
        }
        return true;
    }

    void HookOverhead();
    void OpenMail(int headers);
    void LoadAndUnload(int sections, LoadFigures& figures);
    void Setup(int sections);

private:
    bool LoadDll()
    {
        if (Host->LoadPlugin(Dll))
            return true;
        PrintNote("the host could not load the plug-in: " + Host->LastError());
        return false;
    }
    bool OpenMailFolder(int headers);
    std::string HeaderWindowCheck(size_t expected);

    TempFolder Scratch;
    std::unique_ptr<StandInHost> Host;
    std::string Dll;
    std::string Ini;
};

// A hook that does nothing but pass the message on: what the platform's hook
// dispatch alone costs, whatever the hook procedure does.
HHOOK EmptyHookHandle = nullptr;

LRESULT CALLBACK EmptyHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(EmptyHookHandle, code, wParam, lParam);
}

// Messages of the host's thread sent to a window of the same thread: with
// the plug-in loaded, its WH_CALLWNDPROC hook runs for each one. Each round
// measures without the plug-in, with an empty hook of this program's own,
// and with the plug-in loaded.
void Bench::HookOverhead()
{
    constexpr int Messages = 20000;
    auto rate = [](HWND window) {
        Stopwatch watch;
        for (int i = 0; i < Messages; ++i)
            SendMessageA(window, WM_NULL, 0, 0);
        return Messages * 1e6 / watch.Microseconds();
    };
    StoreSettings(Ini, SettingsText(1), FileAge::Old);
    struct Target {
        const char* what;
        HWND window;
        std::vector<double> loaded, bare, emptyHook;
    } targets[] = {
        {"SendMessageA WM_NULL, mail list", Host->MailList(), {}, {}, {}},
        {"SendMessageA WM_NULL, main window", Host->MainWindow(), {}, {}, {}},
    };
    for (Target& target : targets)
        rate(target.window);  // warms the caches

    for (int round = 0; round < Rounds; ++round) {
        Host->UnloadPlugin();
        for (Target& target : targets)
            target.bare.push_back(rate(target.window));
        EmptyHookHandle = SetWindowsHookExA(WH_CALLWNDPROC, EmptyHook, nullptr, GetCurrentThreadId());
        for (Target& target : targets)
            target.emptyHook.push_back(rate(target.window));
        UnhookWindowsHookEx(EmptyHookHandle);
        EmptyHookHandle = nullptr;
        if (!LoadDll())
            return;
        for (Target& target : targets)
            target.loaded.push_back(rate(target.window));
    }
    Host->UnloadPlugin();
    for (const Target& target : targets) {
        const double loaded = Median(target.loaded), bare = Median(target.bare);
        const double empty = Median(target.emptyHook);
        PrintRow(target.what, Rate(loaded), Rate(bare), loaded / bare,
                 Format("%.2f us vs %.2f us a message; an empty hook of our own: %.2f us", 1e6 / loaded,
                        1e6 / bare, 1e6 / empty));
    }
}

bool Bench::OpenMailFolder(int headers)
{
    const std::string folder = Scratch.File(Format("mails-%d", headers));
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!WriteWholeFile(folder + "\\a.eml", MailText(headers)) || !Host->OpenFolder(folder) || !Host->OpenMail(0)) {
        PrintNote("cannot open the bench mail in " + folder + ": " + Host->LastError());
        return false;
    }
    return true;
}

std::string Bench::HeaderWindowCheck(size_t expected)
{
    const size_t found = ListHeaderWindows().size();
    if (found == expected)
        return Format("%zu windows", found);
    return Format("%zu windows, %zu expected!", found, expected);
}

// BKC_OnOpenMail with every header window fed, beside the same number of
// header lookups through the host's export and texts set on hidden EDITs.
void Bench::OpenMail(int headers)
{
    // Some thousands of lookups a round. The host keeps a log of requests,
    // emptied between batches so that its trimming never enters the figures.
    const int calls = std::max(40, 2000 / headers);
    const int batch = std::max(1, 4000 / headers);

    StoreSettings(Ini, SettingsText(headers), FileAge::Old);
    if (!OpenMailFolder(headers) || !LoadDll())
        return;
    const std::string windows = HeaderWindowCheck(static_cast<size_t>(headers));
    const char* mail = Host->CurrentMailId();
    std::string id = mail != nullptr ? mail : "";
    std::vector<double> loaded;
    for (int round = 0; round <= Rounds; ++round) {
        double spent = 0;
        for (int done = 0; done < calls; done += batch) {
            Host->ClearHeaderRequests();
            Stopwatch watch;
            for (int i = done; i < std::min(calls, done + batch); ++i)
                Host->OpenMailId(id.c_str());
            spent += watch.Microseconds();
        }
        if (round > 0)  // the first round warms up
            loaded.push_back(spent / calls);
    }
    std::string shown;
    for (const HeaderWindowState& window : ListHeaderWindows()) {
        if (window.caption == SectionName(0))
            shown = window.text;
    }
    Host->UnloadPlugin();

    using GetSpecifiedHeaderProc = int(WINAPI*)(LPCSTR, LPSTR, int);
    auto lookUp = reinterpret_cast<GetSpecifiedHeaderProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "BKA_GetSpecifiedHeader")));
    HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_POPUP, 0, 0, 300, 40, nullptr, nullptr, nullptr, nullptr);
    std::vector<HWND> edits;
    std::vector<std::string> names;
    for (int i = 0; i < headers; ++i) {
        edits.push_back(CreateWindowExA(0, "EDIT", "",
                                        WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                                            ES_AUTOVSCROLL | ES_LEFT,
                                        0, 0, 281, 15, parent, nullptr, nullptr, nullptr));
        names.push_back(SectionName(i));
    }
    std::vector<double> bare;
    for (int round = 0; round <= Rounds; ++round) {
        double spent = 0;
        for (int done = 0; done < calls; done += batch) {
            Host->ClearHeaderRequests();
            Stopwatch watch;
            for (int i = done; i < std::min(calls, done + batch); ++i) {
                for (int h = 0; h < headers; ++h) {
                    char value[256] = {};
                    lookUp(names[static_cast<size_t>(h)].c_str(), value, sizeof value);
                    value[sizeof value - 1] = '\0';
                    SetWindowTextA(edits[static_cast<size_t>(h)], value);
                }
            }
            spent += watch.Microseconds();
        }
        if (round > 0)
            bare.push_back(spent / calls);
    }
    DestroyWindow(parent);
    Host->ClearHeaderRequests();

    const double withPlugin = Median(loaded), without = Median(bare);
    PrintRow(Format("BKC_OnOpenMail, %d header window%s", headers, headers == 1 ? "" : "s"), Micro(withPlugin),
             Micro(without), withPlugin / without,
             Format("bare: %d x (BKA_GetSpecifiedHeader + SetWindowTextA on an EDIT); %s", headers, windows.c_str()));
    if (shown != "value of header 1")
        PrintNote("the first header window shows \"" + shown + "\", not the mail's value");
}

// LoadLibrary until the windows stand, and FreeLibrary with its write-back,
// beside the profile reads and writes the module makes on the same file.
//
// Wine keeps a parsed copy of a profile file but trusts it only while the
// file's last write is more than about two seconds old (timestamps of some
// file systems are that coarse); before that, every profile call parses the
// whole file again. And a write that changes a value rewrites the whole file,
// which makes it new again. So each figure comes in two states of the file:
// loading one written long ago (a host starting) and one just written (a
// reload after saving); unloading with nothing changed, and after every
// window moved, when each geometry value written is a change.

void Bench::LoadAndUnload(int sections, LoadFigures& figures)
{
    const int rounds = sections >= 1000 ? 3 : Rounds;
    const std::string stored = SettingsText(sections, LayoutGeometry);
    const std::string moved = SettingsText(sections, MovedGeometry);
    std::vector<double> oldLoad, newLoad, sameUnload, movedUnload;
    for (int round = 0; round < rounds; ++round) {
        StoreSettings(Ini, stored, FileAge::Old);
        Stopwatch watch;
        if (!LoadDll())
            return;
        oldLoad.push_back(watch.Microseconds());
        if (round == 0)
            figures.windows = HeaderWindowCheck(static_cast<size_t>(sections));
        StoreSettings(Ini, stored, FileAge::Old);
        watch.Restart();
        Host->UnloadPlugin();
        sameUnload.push_back(watch.Microseconds());

        StoreSettings(Ini, stored, FileAge::New);
        watch.Restart();
        if (!LoadDll())
            return;
        newLoad.push_back(watch.Microseconds());
        StoreSettings(Ini, moved, FileAge::Old);
        watch.Restart();
        Host->UnloadPlugin();
        movedUnload.push_back(watch.Microseconds());
    }
    std::vector<double> bareOldLoad, bareNewLoad, bareSameUnload, bareMovedUnload;
    BareProfile profile(Ini);
    for (int round = 0; round < rounds; ++round) {
        StoreSettings(Ini, stored, FileAge::Old);
        Stopwatch watch;
        profile.LoadReads(sections);
        bareOldLoad.push_back(watch.Microseconds());
        StoreSettings(Ini, stored, FileAge::Old);
        watch.Restart();
        profile.UnloadWrites(sections);
        bareSameUnload.push_back(watch.Microseconds());

        StoreSettings(Ini, stored, FileAge::New);
        watch.Restart();
        profile.LoadReads(sections);
        bareNewLoad.push_back(watch.Microseconds());
        StoreSettings(Ini, moved, FileAge::Old);
        watch.Restart();
        profile.UnloadWrites(sections);
        bareMovedUnload.push_back(watch.Microseconds());
    }
    figures.sections = sections;
    figures.oldLoad = Median(oldLoad);
    figures.newLoad = Median(newLoad);
    figures.sameUnload = Median(sameUnload);
    figures.movedUnload = Median(movedUnload);
    figures.bareOldLoad = Median(bareOldLoad);
    figures.bareNewLoad = Median(bareNewLoad);
    figures.bareSameUnload = Median(bareSameUnload);
    figures.bareMovedUnload = Median(bareMovedUnload);
}

void PrintLoadFigures(const std::vector<LoadFigures>& all)
{
    struct Kind {
        const char* what;
        double LoadFigures::*withPlugin;
        double LoadFigures::*bare;
        bool reads;
    } kinds[] = {
        {"load, old file", &LoadFigures::oldLoad, &LoadFigures::bareOldLoad, true},
        {"load, new file", &LoadFigures::newLoad, &LoadFigures::bareNewLoad, true},
        {"unload, nothing changed", &LoadFigures::sameUnload, &LoadFigures::bareSameUnload, false},
        {"unload, every window moved", &LoadFigures::movedUnload, &LoadFigures::bareMovedUnload, false},
    };
    for (const Kind& kind : kinds) {
        for (const LoadFigures& f : all) {
            if (f.sections == 0)
                continue;  // not measured: the plug-in did not load
            const double with = f.*kind.withPlugin, bare = f.*kind.bare;
            const int n = f.sections;
            std::string note = Format("per section %8.1f us vs %8.1f us; bare: %d profile %s", with / n, bare / n,
                                      kind.reads ? BareProfile::LoadReadCount(n) : 5 * n,
                                      kind.reads ? "reads" : "writes");
            if (kind.reads)
                note += "; " + f.windows;
            PrintRow(Format("%s, %d section%s", kind.what, n, n == 1 ? "" : "s"), Milli(with), Milli(bare), with / bare, note);
        }
    }
}

// Confirming the setup dialog with its list unchanged, beside the profile
// reads and writes that confirming makes; then the module's saving alone,
// in-process and without the dialog.
void Bench::Setup(int sections)
{
    const std::string text = SettingsText(sections);
    StoreSettings(Ini, text, FileAge::Old);
    if (!OpenMailFolder(sections) || !LoadDll())
        return;
    SetupAnswer answer;
    answer.confirm = true;
    answer.headerList = HeaderListText(sections);
    answer.alwaysOnTop = false;
    answer.hideIfNoHeader = false;
    std::vector<double> setup;
    std::string trouble;
    for (int round = 0; round < Rounds; ++round) {
        StoreSettings(Ini, text, FileAge::Old);
        SetupDialogSeen seen;
        Stopwatch watch;
        const int result = Host->PlugInSetupAnswered(answer, &seen);
        setup.push_back(watch.Microseconds());
        if (trouble.empty() && (result != 1 || !seen.error.empty() || seen.headerListShown != answer.headerList))
            trouble = Format("setup round %d: result %d, error \"%s\", list shown \"%s\"", round, result,
                             seen.error.c_str(), seen.headerListShown.c_str());
    }
    const std::string windows = HeaderWindowCheck(static_cast<size_t>(sections));
    Host->UnloadPlugin();

    BareProfile profile(Ini);
    std::vector<double> bare;
    for (int round = 0; round < Rounds; ++round) {
        StoreSettings(Ini, text, FileAge::Old);
        Stopwatch watch;
        profile.SetupWork(sections);
        bare.push_back(watch.Microseconds());
    }

    // The module's saving alone: a window set built in this program, bound to
    // the host functions this program exports, as the DLL binds them.
    std::vector<double> save;
    const std::string ownIni = Scratch.File("in-process.ini");
    if (HostApi.BindHostApi()) {
        StoreSettings(ownIni, text, FileAge::Old);
        auto set = std::make_unique<TShowFormList>(ownIni);
        for (int round = 0; round <= Rounds; ++round) {
            StoreSettings(ownIni, text, FileAge::Old);
            Stopwatch watch;
            SaveSetup(*set, BuildHeaderListText(*set), false, false);
            if (round > 0)
                save.push_back(watch.Microseconds());
        }
        set.reset();
    } else {
        trouble += " the host table did not bind in-process";
    }

    const double s = Median(setup), b = Median(bare), own = Median(save);
    PrintRow(Format("setup confirmed, %d headers unchanged", sections), Milli(s), Milli(b), s / b,
             Format("bare: %d profile calls; includes the dialog and the host's 25 ms polling for it; %s",
                    BareProfile::SetupCallCount(sections), windows.c_str()));
    PrintRow(Format("  of which saving (in-process, %d)", sections), Milli(own), Milli(b), own / b,
             "list read + SaveSetup, no dialog: the module's own share");
    if (!trouble.empty())
        PrintNote(trouble);
}

}  // namespace

int main()
{
    try {
        std::printf("Quorvel bench: %s build of QUORVEL.dll in the stand-in host under %s; median of %d rounds"
                    " (3 for 1000 sections)\n",
                    sizeof(void*) == 8 ? "x86_64" : "i686", WineVersion().c_str(), Rounds);
        std::printf("ratio = with plug-in / bare; for msg/s rows a ratio below 1 is the slow-down\n");
        PrintRule();
        std::printf("%-42s %15s %15s %8s  %s\n", "what", "with plug-in", "bare", "ratio", "notes");
        PrintRule();
        Bench bench;
        if (!bench.Prepare())
            return 1;
        bench.HookOverhead();
        for (int headers : {1, 10, 50})
            bench.OpenMail(headers);
        std::vector<LoadFigures> loads;
        for (int sections : {1, 10, 100, 1000}) {
            loads.emplace_back();
            bench.LoadAndUnload(sections, loads.back());
        }
        PrintLoadFigures(loads);
        bench.Setup(10);
        PrintRule();
        std::printf("old file: settings file last written an hour before; new file: written just before. Wine\n"
                    "trusts its parsed copy of a profile file only once the file's last write is about 2 s old;\n"
                    "until then every profile call parses the whole file again, and every write that changes a\n"
                    "value rewrites the whole file and makes it new again.\n");
        return 0;
    } catch (const std::exception& error) {
        std::printf("QuorvelBench: %s\n", error.what());
        return 1;
    }
}
