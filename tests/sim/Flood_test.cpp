// A bounded flood of junk at tcpmodsim's ports and at the stand-in library's own socket:
// empty, one byte, 65507 bytes, binary, NULs, and commands and messages that look valid
// with huge values, and stale configuration replies. Both stay up, answer correctly amid it
// and afterwards, keep their memory flat and lose no module's configuration.
// TCPMOD_FLOOD_SECONDS sets the flood's length.
#include "LibraryModule.h"
#include "MivexAdv.h"
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const std::string kCommandMac = "00-1A-2B-00-00-11";
const std::string kLibraryMac = "00-4D-58-00-00-12";
constexpr std::uint8_t kTag = 5;

std::string commandIp()
{
    return testnet::moduleIp(1);
}

std::string libraryIp()
{
    return testnet::moduleIp(2);
}

int floodSeconds()
{
    const char* text = std::getenv("TCPMOD_FLOOD_SECONDS");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 15;
}

// Resident memory of a process in kB, from /proc.
long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// Local ports of the IPv4 UDP sockets bound to all addresses in this network namespace.
std::vector<std::uint16_t> wildcardUdpPorts()
{
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);
    std::vector<std::uint16_t> ports;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local;
        fields >> slot >> local;
        if (local.rfind("00000000:", 0) == 0)
            ports.push_back(static_cast<std::uint16_t>(std::stoul(local.substr(9), nullptr, 16)));
    }
    return ports;
}

class SimulatorProcess
{
public:
    SimulatorProcess()
    {
        m_pid = fork();
        if (m_pid == 0) {
            // Under AddressSanitizer freed memory waits in a quarantine of 256 MB by default,
            // which would hide the program's own memory: keep it small.
            const char* asan = std::getenv("ASAN_OPTIONS");
            setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":quarantine_size_mb=8").c_str(), 1);
            const std::string command = commandIp() + "," + kCommandMac;
            const std::string library = libraryIp() + "," + kLibraryMac + "," + std::to_string(kTag);
            execl(TCPMODSIM_PATH, TCPMODSIM_PATH, "--command", command.c_str(), "--library", library.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~SimulatorProcess()
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    bool running() const { return waitpid(m_pid, nullptr, WNOHANG) == 0; }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

std::string libraryMessage(char type, const std::vector<std::string>& fields)
{
    std::string bytes = std::string("MXA1") + type;
    for (const auto& field : fields)
        bytes += std::to_string(field.size()) + ":" + field + ",";
    return bytes;
}

// A configuration reply with another request's nonce, as a late one would come: the
// library module's, renamed.
std::string staleConfig()
{
    sim::ModuleSpec spec = sim::libraryModule(libraryIp(), kLibraryMac, kTag);
    spec.values["NAME"] = "stale";
    return sim::configReply(spec, "0");
}

// One junk datagram; never a commit ("E") nor a modify with the password, which a peer
// on the LAN may send as well as we do.
std::string junk(std::mt19937& rng)
{
    static const std::string stale = staleConfig();
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto bytes = [&](std::size_t n) {
        std::string text(n, '\0');
        for (auto& c : text)
            c = static_cast<char>(rng());
        return text;
    };
    switch (pick(13)) {
    case 0:
        return {};
    case 1:
        return std::string(1, "LOXWGSAN\xff"[pick(9)]);
    case 2:
        return pick(20) == 0 ? bytes(65507) : bytes(2 + static_cast<std::size_t>(pick(1400)));
    case 3:
        return std::string(1 + static_cast<std::size_t>(pick(1400)), '\0');
    case 4:
        return "SDN" + std::string(static_cast<std::size_t>(pick(60000)), 'x');
    case 5:
        return "SIP999999999999999999999";
    case 6:
        return "W" + std::string(static_cast<std::size_t>(pick(9000)), 'W');
    case 7:
        return std::string(1, "LXO"[pick(3)]);
    case 8:
        return libraryMessage('M', {"1", std::to_string(kTag), "00000", "NAME", std::string(20000, 'n')});
    case 9:
        return libraryMessage('G', {std::to_string(rng()), std::to_string(kTag)});
    case 10:
        return "MXA1G99999999999999:" + bytes(16);
    case 11:
        return stale;
    default:
        return libraryMessage(static_cast<char>("SRCKN"[pick(5)]),
                              {bytes(8), bytes(static_cast<std::size_t>(pick(300)))});
    }
}

TEST(Flood, SimulatorAndLibraryStayUpAnswerAndKeepMemoryFlat)
{
    SimulatorProcess simulator;
    const TModelParm entry{kCommandMac, commandIp(), 65535, 1, 0};
    TModelConfig commandBefore, libraryBefore;
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ready = ReadConfigByCommands(entry, commandBefore);
    }
    ASSERT_TRUE(ready) << "tcpmodsim did not start";
    ASSERT_TRUE(ReadConfigByLibrary(libraryIp(), kTag, libraryBefore));
    const long startKb = residentKb(simulator.pid());

    UdpSocket sender;
    sender.setBroadcast(true);
    sender.sendTo(resolveHost("127.0.0.1"), 9, "x"); // binds it
    std::vector<std::pair<std::uint32_t, std::uint16_t>> targets{{resolveHost(commandIp()), 65535},
                                                                 {resolveHost(libraryIp()), 41799},
                                                                 {resolveHost("255.255.255.255"), 65535},
                                                                 {resolveHost("255.255.255.255"), 41799}};
    for (const std::uint16_t port : wildcardUdpPorts()) {
        if (port != 65535 && port != 41799 && port != sender.localPort())
            targets.emplace_back(resolveHost(testnet::kPcIp), port); // the library's own socket
    }
    ASSERT_EQ(targets.size(), 5u) << "the library's socket is found";

    std::atomic<bool> stop{false};
    std::atomic<long> sent{0};
    std::thread flood([&] {
        std::mt19937 rng(16);
        const auto start = Clock::now();
        while (!stop) {
            for (const auto& [address, port] : targets) {
                try {
                    sender.sendTo(address, port, junk(rng));
                    ++sent;
                } catch (const SocketError&) {
                    // A full send buffer loses a datagram, as a LAN would.
                }
            }
            // About 5000 datagrams a second.
            const auto due = start + std::chrono::microseconds(sent.load() * 200);
            std::this_thread::sleep_until(due);
        }
    });
    const auto end = Clock::now() + std::chrono::seconds(floodSeconds());
    long midKb = -1;
    int libraryReads = 0, wrongReads = 0;
    while (Clock::now() < end) {
        TModelConfig amid;
        if (ReadConfigByLibrary(libraryIp(), kTag, amid)) {
            ++libraryReads;
            wrongReads += amid == libraryBefore ? 0 : 1;
        }
        if (midKb < 0 && Clock::now() > end - std::chrono::seconds(floodSeconds()) / 2)
            midKb = residentKb(simulator.pid());
    }
    stop = true;
    flood.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const long endKb = residentKb(simulator.pid());

    ASSERT_TRUE(simulator.running());
    EXPECT_GT(sent.load(), 2000L * floodSeconds());
    EXPECT_GT(libraryReads, 0);
    EXPECT_EQ(wrongReads, 0) << "reads amid the junk that gave another configuration";
    RecordProperty("datagrams", std::to_string(sent.load()));
    std::cout << "flood: " << sent.load() << " datagrams in " << floodSeconds() << " s; simulator RSS "
              << startKb << " kB before, " << midKb << " kB halfway, " << endKb << " kB after; "
              << libraryReads << " library reads amid it\n";
    EXPECT_LT(endKb, startKb + 64 * 1024) << "bounded";
    EXPECT_LT(endKb, midKb + 16 * 1024) << "flat in the second half";

    TModelConfig commandAfter, libraryAfter;
    EXPECT_TRUE(ReadConfigByCommands(entry, commandAfter));
    EXPECT_EQ(commandAfter, commandBefore);
    EXPECT_TRUE(ReadConfigByLibrary(libraryIp(), kTag, libraryAfter));
    EXPECT_EQ(libraryAfter, libraryBefore);
}

} // namespace
