// Read and write cycles over both roads against simulated modules that fail at random:
// every write reported done was committed and every failed one changed nothing, reads
// report what the module holds, no descriptor is left open, and each cycle ends within a
// bound. Under the asan preset LeakSanitizer checks for leaks at exit.
// TCPMOD_SOAK_CYCLES sets the number of cycles (scripts/soak runs thousands).
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;
using sim::FaultKind;

const std::string kCommandMac = "00-1A-2B-00-00-11";
const std::string kLibraryMac = "00-4D-58-00-00-12";
constexpr std::uint8_t kTag = 3;

enum Outcome
{
    Done,
    Failed,
    Raised
};

int soakCycles()
{
    const char* text = std::getenv("TCPMOD_SOAK_CYCLES");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : 40;
}

std::size_t openDescriptors()
{
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

template <class Operation> Outcome outcomeOf(Operation operation)
{
    try {
        return operation() ? Done : Failed;
    } catch (const SocketError&) {
        return Raised; // an oversize reply is a transport error
    }
}

// The fields a write carries, by road; a read of a committed write gives them back.
bool sameWritten(const TModelConfig& a, const TModelConfig& b, bool library)
{
    const bool shared = a.DeviceName == b.DeviceName && a.IpAddress == b.IpAddress && a.IpMode == b.IpMode &&
                        a.LocalPort == b.LocalPort && a.WorkMode == b.WorkMode && a.TargetIp == b.TargetIp &&
                        a.TargetPort == b.TargetPort && a.Gateway == b.Gateway && a.NetMask == b.NetMask &&
                        a.BaudIndex == b.BaudIndex && a.Parity == b.Parity &&
                        a.DataBitsIndex == b.DataBitsIndex;
    return shared && (library ? a.MacAddress == b.MacAddress && a.StopBitsIndex == b.StopBitsIndex
                              : a.UserName == b.UserName && a.Protocol == b.Protocol);
}

class Soak : public testing::Test
{
protected:
    Soak()
        : m_sim({sim::commandModule(testnet::moduleIp(1), kCommandMac),
                 sim::libraryModule(testnet::moduleIp(2), kLibraryMac, kTag)})
    {
    }

    std::string text(std::size_t most)
    {
        std::string t(m_rng() % (most + 1), ' ');
        for (auto& c : t)
            c = static_cast<char>(0x20 + m_rng() % 0xDF); // printable ASCII and 8-bit code page bytes
        return t;
    }

    TModelConfig randomRecord(bool library)
    {
        TModelConfig c;
        c.UserName = library ? "" : text(20);
        c.DeviceName = text(30);
        c.MacAddress = library ? kLibraryMac : kCommandMac;
        c.IpAddress = testnet::moduleIp(library ? 2 : 1); // the module stays where it is
        c.IpMode = static_cast<std::int32_t>(m_rng() % 2);
        c.LocalPort = static_cast<std::int32_t>(m_rng() % 65536);
        c.Protocol = static_cast<std::uint8_t>(m_rng() % 2);
        c.WorkMode = static_cast<std::uint8_t>(m_rng() % 3);
        c.TargetIp = text(15);
        c.TargetPort = static_cast<std::int32_t>(m_rng());
        c.Gateway = text(15);
        c.NetMask = text(15);
        c.BaudIndex = static_cast<std::uint8_t>(m_rng() % 8);
        c.Parity = static_cast<std::uint8_t>(m_rng() % 5);
        c.DataBitsIndex = static_cast<std::uint8_t>(m_rng() % 2);
        c.StopBitsIndex = static_cast<std::uint8_t>(m_rng() % 3);
        return c;
    }

    // One fault on the module of a road, at a request its next run sends (or none); the
    // simulator's log then shows that request arrive more than skip times.
    struct Injected
    {
        std::string prefix; // of the datagram the fault meets
        int skip = 0;
    };
    std::optional<Injected> injectFault(bool library, bool writing)
    {
        const FaultKind kind = static_cast<FaultKind>(m_rng() % 8);
        if (kind == FaultKind::None)
            return std::nullopt;
        ++m_faults;
        m_sim.clearEvents();
        const int delays[] = {80, 200, 400};
        sim::Fault fault{kind, delays[m_rng() % 3], 0};
        if (library) {
            // A read fetches once for each of its fourteen keys; a write modifies once.
            fault.skip = writing ? 0 : static_cast<int>(m_rng() % 14);
            m_sim.setFault(kLibraryMac, writing ? sim::kModifyFault : sim::kFetchFault, fault);
            return Injected{writing ? "MXA1M" : "MXA1G", fault.skip};
        }
        std::vector<std::string> codes{"L", "O"};
        const auto& fields = writing ? sim::writeCodes() : sim::readCodes();
        codes.insert(codes.end(), fields.begin(), fields.end());
        if (writing)
            codes.push_back("E");
        const std::string& code = codes[m_rng() % codes.size()];
        m_sim.setFault(kCommandMac, code, fault);
        return Injected{code, 0};
    }

    void expectMet(const std::string& mac, const std::optional<Injected>& injected)
    {
        if (!injected)
            return;
        int arrived = 0;
        for (const sim::WireEvent& event : m_sim.eventsFor(mac))
            arrived += event.data.rfind(injected->prefix, 0) == 0 ? 1 : 0;
        EXPECT_GT(arrived, injected->skip) << "a fault at " << injected->prefix << " the run never sent";
    }

    // Back to a module without faults, present again, its values kept.
    void heal(bool library)
    {
        const std::string& mac = library ? kLibraryMac : kCommandMac;
        sim::ModuleSpec spec = library ? sim::libraryModule(testnet::moduleIp(2), mac, kTag)
                                       : sim::commandModule(testnet::moduleIp(1), mac);
        spec.values = m_sim.values(mac);
        m_sim.setModule(mac, spec);
    }

    bool read(bool library, TModelConfig& config)
    {
        return library
                   ? ReadConfigByLibrary(testnet::moduleIp(2), kTag, config)
                   : ReadConfigByCommands(TModelParm{kCommandMac, testnet::moduleIp(1), 65535, 1, 0}, config);
    }

    bool write(bool library, const TModelConfig& config)
    {
        return library ? WriteConfigByLibrary(testnet::moduleIp(2), kLibraryWritePassword, kTag, config)
                       : WriteConfigByCommands(TModelParm{kCommandMac, testnet::moduleIp(1), 65535, 1, 0},
                                               config);
    }

    void cycle()
    {
        const bool library = m_rng() % 2 == 0;
        const std::string& mac = library ? kLibraryMac : kCommandMac;

        const auto before = m_sim.values(mac);
        const TModelConfig record = randomRecord(library);
        const auto writeFault = injectFault(library, true);
        const Outcome written = outcomeOf([&] { return write(library, record); });
        expectMet(mac, writeFault);
        const bool vanished = m_sim.gone(mac);
        heal(library);
        TModelConfig clean;
        ASSERT_TRUE(read(library, clean)) << "a healed module answers";
        const bool committed = sameWritten(clean, record, library);
        const bool unchanged = m_sim.values(mac) == before;
        ++m_writes[written];
        if (written == Done && vanished && !library && unchanged) {
            ++m_lostCommits; // gone at "E": no reply counts as done, and none can come
        } else if (written == Done) {
            EXPECT_TRUE(committed) << "a write reported done was committed";
        } else if (written == Failed) {
            EXPECT_TRUE(unchanged) << "a failed write changed nothing";
        } else {
            EXPECT_TRUE(unchanged || committed);
        }

        const auto held = m_sim.values(mac);
        const auto readFault = injectFault(library, false);
        TModelConfig config = clean;
        const Outcome readOutcome = outcomeOf([&] { return read(library, config); });
        expectMet(mac, readFault);
        heal(library);
        ++m_reads[readOutcome];
        if (readOutcome == Done) {
            EXPECT_EQ(config, clean);
        }
        EXPECT_EQ(m_sim.values(mac), held) << "a read changes nothing";
    }

    sim::Simulator m_sim;
    std::mt19937 m_rng{17};
    int m_faults = 0;
    int m_lostCommits = 0;
    int m_writes[3] = {};
    int m_reads[3] = {};
};

TEST_F(Soak, CyclesWithRandomFaultsKeepStateResultsAndDescriptorsTrue)
{
    TModelConfig warmUp;
    ASSERT_TRUE(read(true, warmUp)); // the library opens its one socket for good here
    const std::size_t descriptors = openDescriptors();
    auto longest = Clock::duration::zero();
    const int cycles = soakCycles();
    for (int i = 0; i < cycles && !HasFatalFailure(); ++i) {
        const auto start = Clock::now();
        cycle();
        longest = std::max(longest, Clock::now() - start);
    }
    EXPECT_EQ(openDescriptors(), descriptors) << "every endpoint closed";
    // Every wait is bounded: a write is at most about two seconds, a read less.
    EXPECT_LT(longest, std::chrono::seconds(10));
    // Most writes meet a fault, and an oversize reply on the command road raises: each
    // outcome shows in any run of some length.
    EXPECT_GE(m_writes[Failed], cycles / 10);
    EXPECT_GE(m_writes[Raised], cycles / 40);
    std::cout << "soak: " << cycles << " cycles, " << m_faults
              << " faults injected; writes done/failed/raised " << m_writes[Done] << "/" << m_writes[Failed]
              << "/" << m_writes[Raised] << " (" << m_lostCommits << " gone at E), reads " << m_reads[Done]
              << "/" << m_reads[Failed] << "/" << m_reads[Raised] << "; descriptors " << descriptors
              << " before, " << openDescriptors() << " after; longest cycle "
              << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count() << " ms\n";
}

} // namespace
