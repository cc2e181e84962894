#include "OtherProgram.h"

#include <string>

#include "ChildProcess.h"
#include "WindowWatcher.h"

OtherProgram::OtherProgram()
{
    const std::string path = ProgramFolder() + "\\OtherProcess.exe";
    std::string command = "\"" + path + "\" --seconds 3600";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    if (!CreateProcessA(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &Info))
        return;
    for (int i = 0; i < 500 && Window == nullptr; ++i) {
        PumpFor(10);
        Window = FindWindowA(nullptr, "Quorvel other process");
    }
}

OtherProgram::~OtherProgram()
{
    if (Info.hProcess != nullptr) {
        TerminateProcess(Info.hProcess, 0);
        WaitForSingleObject(Info.hProcess, 5000);
        CloseHandle(Info.hProcess);
        CloseHandle(Info.hThread);
    }
}
