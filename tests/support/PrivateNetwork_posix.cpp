// The private network as Linux shows it: interface names, and namespaces for a child.
#include "PrivateNetwork.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace testnet {

std::set<std::string> interfaceNames()
{
    std::set<std::string> names;
    if (struct if_nameindex* list = if_nameindex()) {
        for (struct if_nameindex* entry = list; entry->if_index != 0; ++entry)
            names.insert(entry->if_name);
        if_freenameindex(list);
    }
    return names;
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

std::string runInChild(const std::function<std::string()>& fn)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const std::string result = fn();
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
    waitpid(child, nullptr, 0);
    return result;
}

std::string runWithoutNetwork(std::string (*fn)())
{
    return runInChild([fn] { return unshare(CLONE_NEWNET) == 0 ? fn() : "unshare(CLONE_NEWNET) failed"; });
}

} // namespace testnet
