#include "ChildProcess.h"

#include <windows.h>

std::string ProgramFolder()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.rfind('\\'));
}

ChildResult RunChild(const std::string& commandLine, unsigned long timeoutMs)
{
    ChildResult result;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    std::string command = commandLine;
    result.started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                    &startup, &info) != FALSE;
    CloseHandle(writeEnd);
    if (result.started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            result.output.append(buffer, got);
        if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 99);
        GetExitCodeProcess(info.hProcess, &result.exitCode);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(readEnd);
    return result;
}
