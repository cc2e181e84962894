#include "host/HostScript.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/PluginWindows.h"
#include "host/ScreenCapture.h"
#include "host/StandInHost.h"

namespace {

// Time given to the messages an action causes (posted commands, hook work).
constexpr DWORD SettleTime = 50;

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ParseNumber(const std::string& text, unsigned long& number)
{
    if (text.empty() || text.size() > 9) return false;
    number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<unsigned long>(c - '0');
    }
    return true;
}

bool ParseFlag(const std::string& text, bool& flag)
{
    const std::string t = Trimmed(text);
    if (t != "0" && t != "1") return false;
    flag = t == "1";
    return true;
}

std::vector<std::string> SplitAt(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t begin = 0;
    while (true) {
        const size_t end = text.find(separator, begin);
        parts.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos) return parts;
        begin = end + 1;
    }
}

std::string RecordField(const unsigned char* record, size_t offset, size_t size)
{
    const char* text = reinterpret_cast<const char*>(record + offset);
    return std::string(text, strnlen(text, size));
}

// Sends a mouse double click to the middle of a window, as the system
// delivers one: down, up, double-click, up.
void DoubleClick(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
}

BOOL CALLBACK FirstChild(HWND child, LPARAM found)
{
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

}  // namespace

HostScript::HostScript(StandInHost& host, std::ostream& out, std::string defaultPlugin)
    : Host(host), Out(out), DefaultPlugin(std::move(defaultPlugin))
{
}

bool HostScript::Fail(const std::string& message)
{
    Out << "  error: " << message << "\n";
    Out.flush();
    return false;
}

bool HostScript::RunFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return Fail("cannot read the script " + path);
    std::string line;
    while (std::getline(file, line)) {
        if (!RunLine(line)) return false;
        if (Quit) break;
    }
    return true;
}

bool HostScript::RunLine(const std::string& line)
{
    const std::string text = Trimmed(line);
    if (text.empty() || text[0] == '#') return true;
    const size_t space = text.find_first_of(" \t");
    const std::string command = text.substr(0, space);
    const std::string argument = space == std::string::npos ? std::string() : Trimmed(text.substr(space));
    Out << "> " << text << "\n";
    Out.flush();
    const bool ok = Run(command, argument);
    if (ok && !Quit) Host.PumpMessages(SettleTime);
    Out.flush();
    return ok;
}

bool HostScript::Run(const std::string& command, const std::string& argument)
{
    if (command == "folder") {
        if (argument.empty()) return Fail("folder needs a folder");
        if (!Host.OpenFolder(argument)) return Fail(Host.LastError());
        Out << "  folder " << Host.CurrentFolder() << ": " << Host.MailCount() << " mail(s)\n";
        return true;
    }
    if (command == "open") {
        unsigned long index = 0;
        const bool opened = ParseNumber(argument, index) ? Host.OpenMail(index) : Host.OpenMailByName(argument);
        if (!opened) return Fail(Host.LastError());
        Out << "  current mail " << Host.CurrentMailId() << "\n";
        return true;
    }
    if (command == "open-none") {
        Host.CloseMail();
        Out << "  no current mail\n";
        return true;
    }
    if (command == "setup") {
        if (!Host.PluginLoaded()) return Fail("no plug-in is loaded");
        Out << "  BKC_OnPlugInSetup returned " << Host.PlugInSetup() << "\n";
        return true;
    }
    if (command == "setup-ok" || command == "setup-cancel") {
        SetupAnswer answer;
        answer.confirm = command == "setup-ok";
        if (answer.confirm) {
            const std::vector<std::string> parts = SplitAt(argument, '|');
            if (parts.size() != 3 || !ParseFlag(parts[1], answer.alwaysOnTop) ||
                !ParseFlag(parts[2], answer.hideIfNoHeader)) {
                return Fail("setup-ok needs <header list>|<0 or 1>|<0 or 1>");
            }
            answer.headerList = Trimmed(parts[0]);
        }
        SetupDialogSeen seen;
        const int result = Host.PlugInSetupAnswered(answer, &seen);
        if (seen.appeared) {
            Out << "  dialog \"" << EscapedText(seen.caption) << "\" showed header list \""
                << EscapedText(seen.headerListShown) << "\" always on top " << seen.alwaysOnTopShown
                << " hide if no header " << seen.hideIfNoHeaderShown << "\n";
        }
        Out << "  BKC_OnPlugInSetup returned " << result << "\n";
        if (!seen.error.empty()) return Fail(seen.error);
        return true;
    }
    if (command == "minimize" || command == "restore" || command == "maximize") {
        const int show = command == "minimize" ? SW_MINIMIZE : command == "restore" ? SW_RESTORE : SW_MAXIMIZE;
        ShowWindow(Host.MainWindow(), show);
        return true;
    }
    if (command == "activate") {
        SetForegroundWindow(Host.MainWindow());
        SetActiveWindow(Host.MainWindow());
        return true;
    }
    if (command == "dump") {
        const std::vector<HeaderWindowState> windows = ListHeaderWindows();
        Out << "  dump: " << windows.size() << " header window(s)\n";
        std::istringstream lines(DescribeHeaderWindows(windows));
        std::string described;
        while (std::getline(lines, described)) Out << "  " << described << "\n";
        return true;
    }
    if (command == "dblclick") {
        for (const HeaderWindowState& w : ListHeaderWindows()) {
            if (w.caption != argument) continue;
            HWND target = nullptr;
            EnumChildWindows(w.window, FirstChild, reinterpret_cast<LPARAM>(&target));
            DoubleClick(target != nullptr ? target : w.window);
            return true;
        }
        return Fail("no header window called \"" + argument + "\"");
    }
    if (command == "answer") {
        Out << "  commands received:";
        for (WPARAM c : Host.CommandsReceived()) Out << " " << c;
        Out << "\n  answer pane: \"" << EscapedText(Host.AnswerPaneText()) << "\"\n";
        return true;
    }
    if (command == "info") {
        if (!Host.PluginLoaded()) return Fail("no plug-in is loaded");
        unsigned char record[PlugInInfoSize] = {};
        Host.PlugInInfo(record);
        Out << "  name \"" << EscapedText(RecordField(record, PlugInInfoNameOffset, 80)) << "\" vendor \""
            << EscapedText(RecordField(record, PlugInInfoVendorOffset, 80)) << "\" version \""
            << EscapedText(RecordField(record, PlugInInfoVersionOffset, 80)) << "\" description \""
            << EscapedText(RecordField(record, PlugInInfoDescriptionOffset,
                                       PlugInInfoSize - PlugInInfoDescriptionOffset))
            << "\"\n";
        return true;
    }
    if (command == "wait") {
        unsigned long ms = 0;
        if (!ParseNumber(argument, ms)) return Fail("wait needs milliseconds");
        Host.PumpMessages(ms);
        return true;
    }
    if (command == "screenshot") {
        if (argument.empty()) return Fail("screenshot needs a file name");
        std::string error;
        if (!SaveScreenBitmap(argument, error)) return Fail(error);
        Out << "  wrote " << argument << "\n";
        return true;
    }
    if (command == "load") {
        const std::string path = argument.empty() ? DefaultPlugin : argument;
        if (!Host.LoadPlugin(path)) return Fail(Host.LastError());
        Out << "  plug-in loaded: " << path << "\n";
        return true;
    }
    if (command == "unload") {
        Host.UnloadPlugin();
        if (Host.PluginLoaded()) return Fail(Host.LastError());
        Out << "  plug-in unloaded\n";
        return true;
    }
    if (command == "quit") {
        Quit = true;
        return true;
    }
    return Fail("unknown action \"" + command + "\"");
}
