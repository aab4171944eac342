#include "PrivateNetwork.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
    // The opt-in second LAN leaves only its near end, v2, in this namespace.
    const bool secondLan = secondLanPath() != nullptr;
    const std::set<std::string> expected =
        secondLan ? std::set<std::string>{"lo", "v0", "v1", "v2"} : std::set<std::string>{"lo", "v0", "v1"};
    if (names == expected)
        return {};
    std::string seen;
    for (const auto& name : names)
        seen += (seen.empty() ? "" : ", ") + name;
    return "REFUSED: this network test sends broadcasts and must run inside the private test network.\n"
           "Run it as: scripts/netns <test binary>   (interfaces seen here: " +
           seen + (secondLan ? "; expected exactly lo, v0, v1, v2)" : "; expected exactly lo, v0, v1)");
}

const char* secondLanPath()
{
    const char* optIn = std::getenv("TCPMOD_NETNS_SECOND_LAN");
    const char* path = std::getenv("TCPMOD_SECOND_LAN");
    return optIn && std::strcmp(optIn, "1") == 0 && path && *path ? path : nullptr;
}

bool inSecondLan(const std::function<void()>& fn)
{
    const char* path = secondLanPath();
    if (!path)
        return false;
    const int here = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int there = open(path, O_RDONLY | O_CLOEXEC);
    bool entered = here >= 0 && there >= 0 && setns(there, CLONE_NEWNET) == 0;
    if (entered) {
        try {
            fn();
        } catch (...) {
            setns(here, CLONE_NEWNET);
            close(here);
            close(there);
            throw;
        }
        entered = setns(here, CLONE_NEWNET) == 0;
    }
    if (here >= 0)
        close(here);
    if (there >= 0)
        close(there);
    return entered;
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
