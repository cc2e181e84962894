// Runs another program of the build to its end and collects what it printed.
#pragma once

#include <string>

struct ChildResult {
    bool started = false;
    unsigned long exitCode = 0;
    std::string output;
};

// The folder of this test program (where the build puts every program).
std::string ProgramFolder();
ChildResult RunChild(const std::string& commandLine, unsigned long timeoutMs = 60000);
