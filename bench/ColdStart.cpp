#include "ColdStart.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> programEnvironment()
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry)
        variables.emplace_back(*entry);
    variables.emplace_back("TCPMOD_BENCH_REPORT=1");
    if (std::getenv("DISPLAY") == nullptr)
        variables.emplace_back("QT_QPA_PLATFORM=offscreen");
    return variables;
}

} // namespace

ColdStart runColdStart(const std::string& program)
{
    ColdStart result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        result.problem = "pipe failed";
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    std::vector<std::string> variables = programEnvironment();
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};

    pid_t child = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        result.problem = "cannot start " + program + ": " + std::strerror(spawned);
        return result;
    }

    // The program writes its report line, then ends; everything else on stderr is kept for
    // the message when the line never comes.
    // A program that hangs (a display that never answers) is ended after a minute.
    std::string output;
    char buffer[4096];
    pollfd entry{pipeEnds[0], POLLIN, 0};
    while (true) {
        if (poll(&entry, 1, 60000) <= 0) {
            kill(child, SIGKILL);
            output += "(no end within 60 s; killed)";
            break;
        }
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);

    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    result.peakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux

    const std::size_t line = output.find("shown ");
    long long shownNs = 0;
    if (line == std::string::npos ||
        std::sscanf(output.c_str() + line, "shown %lld creation_ms %lf search_ms %lf rows %d rows_again %d",
                    &shownNs, &result.creationMs, &result.searchMs, &result.rows, &result.rowsAgain) != 5) {
        result.problem = "no report from " + program + " (status " + std::to_string(status) + "): " + output;
        return result;
    }
    const long long startNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    result.shownMs = static_cast<double>(shownNs - startNs) / 1e6;
    return result;
}
