#include "PrivateNetwork.h"

#include <cstring>
#include <iostream>
#include <net/if.h>
#include <sched.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace testnet {

std::string moduleIp(int n)
{
    return "10.77.0." + std::to_string(10 + n);
}

std::string privateNetworkProblem()
{
    std::set<std::string> names;
    if (struct if_nameindex* list = if_nameindex()) {
        for (struct if_nameindex* entry = list; entry->if_index != 0; ++entry)
            names.insert(entry->if_name);
        if_freenameindex(list);
    }
    const std::set<std::string> expected{"lo", "v0", "v1"};
    if (names == expected)
        return {};
    std::string seen;
    for (const auto& name : names)
        seen += (seen.empty() ? "" : ", ") + name;
    return "REFUSED: this network test sends broadcasts and must run inside the private test network.\n"
           "Run it as: scripts/netns <test binary>   (interfaces seen here: " +
           seen + "; expected exactly lo, v0, v1)";
}

bool mayRunNetworkTests(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0)
            return true;
    }
    const std::string problem = privateNetworkProblem();
    if (problem.empty())
        return true;
    std::cerr << problem << std::endl;
    return false;
}

std::string runWithoutNetwork(std::string (*fn)())
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::string result = unshare(CLONE_NEWNET) == 0 ? fn() : "unshare(CLONE_NEWNET) failed";
        const auto written = write(pipeEnds[1], result.data(), result.size());
        _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string result;
    char buffer[512];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return result;
}

} // namespace testnet
