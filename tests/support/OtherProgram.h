// A second program of the build, OtherProcess.exe, with a top-level window
// of its own: activation from and to another process. Ended with the object.
#pragma once

#include <windows.h>

class OtherProgram {
public:
    // Starts it and waits (dispatching this thread's messages) for its window.
    // Its standard output is left null, so nothing it prints mixes with ours.
    OtherProgram();
    ~OtherProgram();
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    // Its window; null when it could not be started.
    HWND Window = nullptr;

private:
    PROCESS_INFORMATION Info = {};
};
