// Scripted use of the stand-in host: one action per line, each printed with
// its outcome, for demos and for tests that drive the whole program.
//
//   folder <dir>            open a folder of .eml files
//   open <index|file name>  open a mail of the folder
//   open-none               make no mail current
//   setup                   the plug-in's setup; a person closes the dialog
//   setup-ok <header list>|<always on top 0/1>|<hide if no header 0/1>
//   setup-cancel            the setup, answered by the host itself
//   minimize, restore, maximize, activate   the main window
//   dump                    every TShowForm window of the process
//   dblclick <caption>      double-click the header window with that caption
//   answer                  the commands received and the answer pane
//   info                    the plug-in information record
//   wait <ms>               dispatch messages for a while
//   screenshot <file.bmp>   the whole screen as a 24-bit BMP
//   load [dll], unload      load (again) or unload the plug-in
//   quit                    end the script here
// Empty lines and lines starting with '#' are skipped.
#pragma once

#include <ostream>
#include <string>

class StandInHost;

class HostScript {
public:
    HostScript(StandInHost& host, std::ostream& out, std::string defaultPlugin);

    // Runs one line and prints it and its outcome. False when it failed.
    bool RunLine(const std::string& line);
    // Runs the lines of a file until one fails or says quit. False when a
    // line failed or the file cannot be read.
    bool RunFile(const std::string& path);
    bool QuitRequested() const { return Quit; }

private:
    bool Run(const std::string& command, const std::string& argument);
    bool Fail(const std::string& message);

    StandInHost& Host;
    std::ostream& Out;
    std::string DefaultPlugin;
    bool Quit = false;
};
