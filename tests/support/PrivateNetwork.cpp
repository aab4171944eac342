#include "PrivateNetwork.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace testnet {

std::string moduleIp(int n)
{
    return "10.77.0." + std::to_string(10 + n);
}

std::string privateNetworkProblem()
{
    const std::set<std::string> names = interfaceNames();
    // The opt-in second LAN leaves only its near end, v2, in this namespace.
    const bool secondLan = secondLanPath() != nullptr;
    std::set<std::string> expected =
        secondLan ? std::set<std::string>{"lo", "v0", "v1", "v2"} : std::set<std::string>{"lo", "v0", "v1"};
    // The opt-in extra cards c2 .. cN and their peers (TCPMOD_NETNS_CARDS=N).
    const char* cards = std::getenv("TCPMOD_NETNS_CARDS");
    for (int n = 2; cards && n <= std::atoi(cards); ++n) {
        expected.insert("c" + std::to_string(n));
        expected.insert("c" + std::to_string(n) + "p");
    }
    if (names == expected)
        return {};
    std::string seen;
    for (const auto& name : names)
        seen += (seen.empty() ? "" : ", ") + name;
#ifdef _WIN32
    const char* howToRun = "scripts/netns scripts/wine-run <test .exe>";
#else
    const char* howToRun = "scripts/netns <test binary>";
#endif
    return std::string(
               "REFUSED: this network test sends broadcasts and must run inside the private test network.\n"
               "Run it as: ") +
           howToRun + "   (interfaces seen here: " + seen +
           (secondLan ? "; expected exactly lo, v0, v1, v2" : "; expected exactly lo, v0, v1") +
           (cards ? std::string(" and the extra cards)") : std::string(")"));
}

const char* secondLanPath()
{
    const char* optIn = std::getenv("TCPMOD_NETNS_SECOND_LAN");
    const char* path = std::getenv("TCPMOD_SECOND_LAN");
    return optIn && std::strcmp(optIn, "1") == 0 && path && *path ? path : nullptr;
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

} // namespace testnet
