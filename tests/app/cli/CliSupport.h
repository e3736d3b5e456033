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

// Runs Command through the shell: its exit code and standard output.
inline RunResult RunShell(const std::string& Command) {
    RunResult r;
    FILE* pipe = popen(Command.c_str(), "r");
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

// Runs plotyra-cli with Args; Stderr "2>&1" keeps the messages in Out.
inline RunResult RunCli(const std::string& args, const char* Stderr = "2>/dev/null") {
    return RunShell(CliPath() + " " + args + " " + Stderr);
}
