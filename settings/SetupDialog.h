// The setup: shows the dialog and, on OK, writes the choice into the settings
// file and rebuilds the header windows from it.
#pragma once

#include <string>

class TShowFormList;

// Every shown header name followed by ", ", in file order.
std::string BuildHeaderListText(TShowFormList& set);

// Rebuilds the windows for a new header list and options. Tells the user,
// naming the file, when any write did not reach the settings file.
void SaveSetup(TShowFormList& set, const std::string& headerListText, bool alwaysOnTop, bool hideIfNoHeader);

// Runs the dialog for the set; 0 without a set (no dialog), else 1.
int PlugInSetup(TShowFormList* set);
