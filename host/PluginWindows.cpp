#include "host/PluginWindows.h"

#include <algorithm>
#include <cstdio>

namespace {

BOOL CALLBACK FindEdit(HWND child, LPARAM found)
{
    if (lstrcmpiA(WindowClassOf(child).c_str(), "Edit") == 0) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectHeaderWindow(HWND window, LPARAM list)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || WindowClassOf(window) != "TShowForm") return TRUE;
    HeaderWindowState state;
    state.window = window;
    state.caption = WindowTextOf(window);
    state.visible = IsWindowVisible(window) != FALSE;
    HWND edit = nullptr;
    EnumChildWindows(window, FindEdit, reinterpret_cast<LPARAM>(&edit));
    if (edit != nullptr) state.text = WindowTextOf(edit);
    GetWindowRect(window, &state.rect);
    reinterpret_cast<std::vector<HeaderWindowState>*>(list)->push_back(state);
    return TRUE;
}

}  // namespace

std::string WindowClassOf(HWND window)
{
    char name[256] = {};
    if (window != nullptr) GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WindowTextOf(HWND window)
{
    if (window == nullptr) return std::string();
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::vector<HeaderWindowState> ListHeaderWindows()
{
    std::vector<HeaderWindowState> windows;
    EnumWindows(CollectHeaderWindow, reinterpret_cast<LPARAM>(&windows));
    std::stable_sort(windows.begin(), windows.end(), [](const HeaderWindowState& a, const HeaderWindowState& b) {
        if (a.caption != b.caption) return a.caption < b.caption;
        if (a.rect.top != b.rect.top) return a.rect.top < b.rect.top;
        return a.rect.left < b.rect.left;
    });
    return windows;
}

std::string EscapedText(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '"') {
            escaped += "\\\"";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (b < 0x20 || b >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            escaped += hex;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string DescribeHeaderWindows(const std::vector<HeaderWindowState>& windows)
{
    std::string text;
    for (const HeaderWindowState& w : windows) {
        char rect[96];
        std::snprintf(rect, sizeof rect, " rect=%ld,%ld,%ld,%ld", static_cast<long>(w.rect.left),
                      static_cast<long>(w.rect.top), static_cast<long>(w.rect.right),
                      static_cast<long>(w.rect.bottom));
        text += "TShowForm caption=\"" + EscapedText(w.caption) + "\" visible=" + (w.visible ? "1" : "0") +
                " text=\"" + EscapedText(w.text) + "\"" + rect + "\n";
    }
    return text;
}
