#pragma once
// The private test network that scripts/netns builds, and the guard every network test
// runs before it sends anything.

#include <functional>
#include <set>
#include <string>

namespace testnet {

inline constexpr const char* kPcIp = "10.77.0.1";
// 10.77.0.11 for n = 1, 10.77.0.12 for n = 2, ... (up to 50 modules)
std::string moduleIp(int n);

// The second LAN (TCPMOD_NETNS_SECOND_LAN=1): the PC's second card v2 at 10.78.0.1, its
// modules at 10.78.0.11 .. 10.78.0.20 (and kSecondLanForeignIp) in a namespace reached
// only through v2.
inline constexpr const char* kSecondLanPcIp = "10.78.0.1";
inline constexpr const char* kSecondLanModuleIp = "10.78.0.11";
// An address there that neither of the PC's networks holds: a factory-fresh module's.
inline constexpr const char* kSecondLanForeignIp = "192.168.0.7";
// That namespace's path, or null when the second LAN was not asked for.
const char* secondLanPath();
// Runs fn with the calling thread in the second LAN's namespace, so that sockets fn
// creates (a simulator's) live there, and comes back. False when there is no second LAN
// (always on Windows).
bool inSecondLan(const std::function<void()>& fn);

// Empty when this process runs in a private namespace (interfaces: lo, v0, v1 only; and v2
// with the second LAN);
// otherwise the message that explains why the test must not run.
std::string privateNetworkProblem();

// For a test binary's main(): true when it may go on. Outside the private network it
// prints why not and gives false; listing the tests (--gtest_list_tests) sends nothing and
// is always allowed.
bool mayRunNetworkTests(int argc, char** argv);

// The names of the network interfaces the sockets of this process use (under Wine, the
// Linux names of the namespace its wineserver runs in).
std::set<std::string> interfaceNames();

#ifdef _WIN32
// True under Wine, whose sockets differ from Windows in a few documented ways.
bool runningUnderWine();
#else
// Runs fn in a forked child process and returns the text it returned there.
std::string runInChild(const std::function<std::string()>& fn);
// Runs fn in a child process that first enters a new, empty network namespace (only a
// loopback that is down, so no route at all). Returns what fn returned as text.
std::string runWithoutNetwork(std::string (*fn)());
#endif

} // namespace testnet
