// The plug-in's header windows as the host sees them: every top-level window
// of class "TShowForm" in this process, shown or hidden; and what the host
// reads of any window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct HeaderWindowState {
    HWND window = nullptr;
    std::string caption;   // the header name
    bool visible = false;
    std::string text;      // the text of its child EDIT
    RECT rect = {};        // screen coordinates
};

// Sorted by caption, then by position, so that a listing reads the same from
// run to run.
std::vector<HeaderWindowState> ListHeaderWindows();

// One line per window: caption, visible flag, text (bytes outside printable
// ASCII escaped as \xNN, line breaks as \r and \n) and rect.
std::string DescribeHeaderWindows(const std::vector<HeaderWindowState>& windows);

// Text with bytes outside printable ASCII escaped, for printing.
std::string EscapedText(const std::string& text);

// The text and the class name of any window, "" for none.
std::string WindowTextOf(HWND window);
std::string WindowClassOf(HWND window);
