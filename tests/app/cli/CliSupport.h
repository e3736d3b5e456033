// Runs plotyra-cli of the same build (app_tests depends on it) as scripts call it.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

struct RunResult {
    int ExitCode = -1;
    std::string Out;
};

inline std::string CliPath() {
    return PLOTYRA_CLI;
}

// Runs plotyra-cli with Args through the shell; Stderr "2>&1" keeps the messages in Out.
inline RunResult RunCli(const std::string& args, const char* Stderr = "2>/dev/null") {
    RunResult r;
    FILE* pipe = popen((CliPath() + " " + args + " " + Stderr).c_str(), "r");
    if (pipe == nullptr)
        return r;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        r.Out.append(buffer.data(), n);
    const int status = pclose(pipe);
    r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
