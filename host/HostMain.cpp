// QuorvelHost.exe: the stand-in mail program.
//
//   QuorvelHost.exe [--plugin path\to\QUORVEL.dll | --no-plugin] [--folder dir] [--script file]
//
// Creates the main window, loads the plug-in (QUORVEL.dll beside the program
// unless told otherwise) and opens the folder (samples\inbox beside the
// program unless told otherwise). With a script it runs its lines and exits,
// 0 when every line succeeded; without one it waits for a person.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "host/HostScript.h"
#include "host/StandInHost.h"

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

int Usage()
{
    std::cerr << "usage: QuorvelHost.exe [--plugin path\\to\\QUORVEL.dll | --no-plugin] [--folder dir]"
                 " [--script file]\n";
    return 2;
}

int Run(int argc, char** argv)
{
    const std::string programFolder = ProgramFolder();
    std::string plugin = programFolder + "\\QUORVEL.dll";
    bool loadPlugin = true;
    std::string folder;
    std::string script;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--plugin" && hasValue) {
            plugin = argv[++i];
        } else if (option == "--no-plugin") {
            loadPlugin = false;
        } else if (option == "--folder" && hasValue) {
            folder = argv[++i];
        } else if (option == "--script" && hasValue) {
            script = argv[++i];
        } else {
            return Usage();
        }
    }
    if (folder.empty()) {
        const std::string samples = programFolder + "\\samples\\inbox";
        if (GetFileAttributesA(samples.c_str()) != INVALID_FILE_ATTRIBUTES) folder = samples;
    }

    StandInHost host;
    if (!loadPlugin) {
        std::cout << "plugin: none\n";
    } else if (host.LoadPlugin(plugin)) {
        std::cout << "plugin: loaded " << plugin << "\n";
    } else {
        // A refused plug-in leaves a working mail program without it.
        std::cout << "plugin: refused " << plugin << ": " << host.LastError() << "\n";
    }
    if (!folder.empty()) {
        if (host.OpenFolder(folder)) {
            std::cout << "folder: " << host.CurrentFolder() << " (" << host.MailCount() << " mails)\n";
        } else {
            std::cout << "folder: " << host.LastError() << "\n";
            if (!script.empty()) return 1;
        }
    }
    std::cout.flush();

    if (script.empty()) return host.RunMessageLoop();

    HostScript runner(host, std::cout, plugin);
    const bool ok = runner.RunFile(script);
    std::cout << (ok ? "script: done\n" : "script: failed\n");
    std::cout.flush();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "QuorvelHost: " << e.what() << "\n";
        return 2;
    }
}
