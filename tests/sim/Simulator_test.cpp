// Simulated command modules over real UDP in the private test network: what a module
// answers, from which address, and what its event log shows.
#include "PrivateNetwork.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

const std::string kMac1 = "00-1A-2B-3C-00-11";
const std::string kMac2 = "00-1A-2B-3C-00-12";
const std::string kMac3 = "00-1A-2B-3C-00-13";
constexpr int kGenerousMs = 3000;

std::vector<sim::ModuleSpec> threeModules(bool refuseOpen = false)
{
    std::vector<sim::ModuleSpec> specs{sim::commandModule(testnet::moduleIp(1), kMac1),
                                       sim::commandModule(testnet::moduleIp(2), kMac2),
                                       sim::commandModule(testnet::moduleIp(3), kMac3)};
    for (auto& spec : specs)
        spec.refuseOpenAtOwnAddress = refuseOpen;
    return specs;
}

// An endpoint like the program's, with a receive buffer that takes any datagram.
class Client
{
public:
    Client()
    {
        m_endpoint.BroadcastEnabled = true;
        m_endpoint.BufferSize = 65536;
        m_endpoint.Activate();
    }

    void send(const std::string& host, const std::string& command)
    {
        if (host.empty())
            m_endpoint.Broadcast(command, sim::kCommandPort);
        else
            m_endpoint.Send(host, sim::kCommandPort, command);
    }

    // Datagrams until one satisfies stop (included) or kGenerousMs pass.
    std::vector<ReceivedDatagram> receiveUntil(const std::function<bool(const ReceivedDatagram&)>& stop)
    {
        std::vector<ReceivedDatagram> got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousMs);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            auto datagram =
                m_endpoint.ReceiveString(static_cast<std::int32_t>(std::max<long long>(left.count(), 1)));
            if (datagram.peerIp.empty())
                continue;
            got.push_back(datagram);
            if (stop(got.back()))
                break;
        }
        return got;
    }

    std::vector<ReceivedDatagram> receiveCount(std::size_t count)
    {
        std::size_t seen = 0;
        return receiveUntil([&](const ReceivedDatagram&) { return ++seen >= count; });
    }

    // One request and its one reply (empty peer when none came in a generous wait).
    ReceivedDatagram ask(const std::string& host, const std::string& command)
    {
        send(host, command);
        const auto got = receiveCount(1);
        return got.empty() ? ReceivedDatagram{} : got.front();
    }

    // What the request brings, proved complete: modules answer in order, so everything the
    // request caused arrives before the reply to a probe sent right behind it.
    std::vector<std::string> repliesTo(const std::string& host, const std::string& command,
                                       std::size_t probeRepliesExpected = 1)
    {
        send(host, command);
        send(host, "X");
        std::size_t probes = 0;
        const auto got = receiveUntil([&](const ReceivedDatagram& d) {
            return !d.data.empty() && d.data[0] == 'M' && ++probes >= probeRepliesExpected;
        });
        std::vector<std::string> replies;
        for (const auto& d : got) {
            if (d.data.empty() || d.data[0] != 'M')
                replies.push_back(d.data);
        }
        EXPECT_EQ(probes, probeRepliesExpected) << "the probe behind '" << command << "' was not answered";
        return replies;
    }

    std::uint16_t localPort() const { return m_endpoint.socket()->localPort(); }
    UdpEndpoint& endpoint() { return m_endpoint; }

private:
    UdpEndpoint m_endpoint;
};

std::vector<std::string> dataOf(const std::vector<sim::WireEvent>& events)
{
    std::vector<std::string> data;
    for (const auto& event : events)
        data.push_back(event.data);
    return data;
}

TEST(SimulatorProbe, ThreeModulesGiveThreeRepliesFromThreeAddresses)
{
    auto specs = threeModules();
    specs.push_back(sim::libraryModule(testnet::moduleIp(21), "00-4D-58-00-00-31", 1));
    sim::Simulator simulator(specs);
    Client client;
    client.send("", "X");
    const auto replies = client.receiveCount(3);
    ASSERT_EQ(replies.size(), 3u);

    std::map<std::string, std::string> byAddress;
    for (const auto& reply : replies) {
        EXPECT_EQ(reply.peerPort, sim::kCommandPort);
        byAddress[reply.peerIp] = reply.data;
    }
    EXPECT_EQ(byAddress,
              (std::map<std::string, std::string>{{testnet::moduleIp(1), "M" + kMac1 + "/TCP-11"},
                                                  {testnet::moduleIp(2), "M" + kMac2 + "/TCP-12"},
                                                  {testnet::moduleIp(3), "M" + kMac3 + "/TCP-13"}}));
    for (const auto& mac : {kMac1, kMac2, kMac3}) {
        const auto events = simulator.eventsFor(mac);
        ASSERT_EQ(events.size(), 1u) << mac;
        EXPECT_EQ(events[0].data, "X");
        EXPECT_TRUE(events[0].broadcast);
        EXPECT_EQ(events[0].toPort, sim::kCommandPort);
        EXPECT_EQ(events[0].fromIp, testnet::kPcIp);
        EXPECT_EQ(events[0].fromPort, client.localPort());
    }
    EXPECT_THAT(simulator.eventsFor("00-4D-58-00-00-31"), IsEmpty()) << "library modules do not hear 65535";
}

TEST(SimulatorProbe, JitteredRepliesStillAllArrive)
{
    std::vector<sim::ModuleSpec> specs;
    for (int n = 1; n <= 5; ++n) {
        specs.push_back(sim::commandModule(testnet::moduleIp(n), "00-1A-2B-3C-00-0" + std::to_string(n)));
        specs.back().probeJitterMs = 150;
    }
    sim::Simulator simulator(specs);
    Client client;
    client.send("", "X");
    std::set<std::string> addresses;
    for (const auto& reply : client.receiveCount(5))
        addresses.insert(reply.peerIp);
    EXPECT_EQ(addresses.size(), 5u);
}

TEST(SimulatorSession, FullSessionChangesTheConfigurationAndItsNewAddressAnswers)
{
    sim::Simulator simulator(threeModules());
    const auto before = simulator.values(kMac1);
    const std::string ip = testnet::moduleIp(1);
    const std::string newIp = testnet::moduleIp(21);
    Client client;
    std::vector<std::string> sent;
    const auto ask = [&](const std::string& host, const std::string& command) {
        sent.push_back(command);
        return client.ask(host, command);
    };

    const auto opened = ask(ip, "L");
    EXPECT_EQ(opened.data, "A");
    EXPECT_EQ(opened.peerIp, ip);
    EXPECT_EQ(opened.peerPort, sim::kCommandPort);
    for (const auto& code : sim::readCodes())
        EXPECT_EQ(ask(ip, code).data, "A" + before.at(code)) << code;

    const std::map<std::string, std::string> written{{"SON", "王芳"},        {"SDN", "仓库温湿度采集"},
                                                     {"SDH", "1"},           {"SPN", "4001"},
                                                     {"STP", "0"},           {"SRM", "2"},
                                                     {"SDI", "10.77.0.5"},   {"SDP", "5000"},
                                                     {"SGI", "10.77.0.254"}, {"SNM", "255.255.0.0"},
                                                     {"SBR", "7"},           {"SPR", "1"},
                                                     {"SBB", "0"},           {"SIP", newIp}};
    for (const auto& code : sim::writeCodes())
        EXPECT_EQ(ask(ip, code + written.at(code)).data, "A") << code;
    EXPECT_EQ(simulator.values(kMac1), before) << "nothing is committed before E";
    EXPECT_EQ(simulator.currentIp(kMac1), ip);

    EXPECT_EQ(ask(ip, "E").data, "A");
    auto expected = before;
    for (const auto& [code, value] : written)
        expected[sim::readCodeOf(code)] = value;
    EXPECT_EQ(simulator.values(kMac1), expected);
    EXPECT_EQ(simulator.currentIp(kMac1), newIp);
    EXPECT_EQ(simulator.values(kMac2), sim::commandModule(testnet::moduleIp(2), kMac2).values);

    const auto reopened = ask(newIp, "L");
    EXPECT_EQ(reopened.data, "A");
    EXPECT_EQ(reopened.peerIp, newIp);
    EXPECT_EQ(ask(newIp, "GDN").data, "A仓库温湿度采集");
    EXPECT_EQ(ask(newIp, "O").data, "A");
    EXPECT_FALSE(simulator.inSession(kMac1));
    sent.push_back("L");
    EXPECT_THAT(client.repliesTo(ip, "L", 3), IsEmpty()) << "nobody answers at the old address";

    const auto events = simulator.eventsFor(kMac1);
    sent.push_back("X");
    EXPECT_EQ(dataOf(events), sent) << "the log holds every request, in order";
    ASSERT_EQ(events.size(), sent.size());
    EXPECT_FALSE(events[events.size() - 3].broadcast) << "O at the new address";
    EXPECT_TRUE(events[events.size() - 2].broadcast) << "the old address has no module: wildcard socket";
}

TEST(SimulatorSession, CommandsOutsideASessionAreRefused)
{
    sim::Simulator simulator(threeModules());
    Client client;
    for (const char* command : {"GON", "SON x", "E", "O", "Q"})
        EXPECT_EQ(client.ask(testnet::moduleIp(1), command).data, "N") << command;
    EXPECT_EQ(simulator.values(kMac1).at("GON"), "user");
}

TEST(SimulatorSession, SelectionByBroadcastPicksExactlyOneModule)
{
    sim::Simulator simulator(threeModules(true));
    Client client;
    EXPECT_EQ(client.ask(testnet::moduleIp(2), "L").data, "N") << "refused at its own address";

    client.send("", "W" + kMac2);
    client.send("", "X");
    std::vector<ReceivedDatagram> selections;
    std::size_t probes = 0;
    for (const auto& d : client.receiveUntil([&](const ReceivedDatagram& r) {
             return !r.data.empty() && r.data[0] == 'M' && ++probes == 3;
         })) {
        if (d.data.empty() || d.data[0] != 'M')
            selections.push_back(d);
    }
    ASSERT_EQ(selections.size(), 1u);
    EXPECT_EQ(selections[0].data, "A");
    EXPECT_EQ(selections[0].peerIp, testnet::moduleIp(2));
    EXPECT_FALSE(simulator.selected(kMac1));
    EXPECT_TRUE(simulator.selected(kMac2));
    EXPECT_FALSE(simulator.selected(kMac3));

    EXPECT_THAT(client.repliesTo("", "L", 3), ElementsAre("A"));
    EXPECT_THAT(client.repliesTo("", "GDN", 3), ElementsAre("ATCP-12"));
    EXPECT_THAT(client.repliesTo("", "SDNrenamed", 3), ElementsAre("A"));
    EXPECT_THAT(client.repliesTo("", "E", 3), ElementsAre("A"));
    EXPECT_THAT(client.repliesTo("", "O", 3), ElementsAre("A"));
    EXPECT_FALSE(simulator.selected(kMac2));
    EXPECT_EQ(simulator.values(kMac2).at("GDN"), "renamed");
    EXPECT_EQ(simulator.values(kMac1).at("GDN"), "TCP-11");
    EXPECT_THAT(client.repliesTo("", "L", 3), IsEmpty()) << "after O nobody is selected";
    EXPECT_THAT(dataOf(simulator.eventsFor(kMac1)), testing::Contains("W" + kMac2))
        << "all modules heard the W";
}

TEST(SimulatorSession, ModuleMovedToAnAddressNobodyOwnsIsStillSelectable)
{
    sim::Simulator simulator(threeModules());
    Client client;
    const std::string ip = testnet::moduleIp(1);
    client.ask(ip, "L");
    client.ask(ip, "SIP10.77.0.200");
    EXPECT_EQ(client.ask(ip, "E").data, "A");
    EXPECT_EQ(simulator.currentIp(kMac1), "10.77.0.200");
    EXPECT_THAT(client.repliesTo("", "W" + kMac1, 3), ElementsAre("A"));
    EXPECT_THAT(client.repliesTo("", "L", 3), ElementsAre("A"));
    EXPECT_THAT(client.repliesTo("", "GIP", 3), ElementsAre("A10.77.0.200"));
}

struct WireFaultCase
{
    const char* name;
    sim::Fault fault;
    std::vector<std::string> replies; // to "GDN", before the reply to the probe behind it
};

class SimulatorFault : public testing::TestWithParam<WireFaultCase>
{
};

const WireFaultCase kWireFaults[] = {
    {"Refuse", {sim::FaultKind::Refuse, 0}, {"N"}},
    {"Silent", {sim::FaultKind::Silent, 0}, {}},
    {"Twice", {sim::FaultKind::Twice, 0}, {"ATCP-11", "ATCP-11"}},
    {"Empty", {sim::FaultKind::Empty, 0}, {""}},
    {"Oversize", {sim::FaultKind::Oversize, 0}, {"ATCP-11" + std::string(sim::kOversizeBytes - 7, '#')}},
};

TEST_P(SimulatorFault, ReplyOnTheWireIsShapedAsSet)
{
    sim::Simulator simulator(threeModules());
    simulator.setFault(kMac1, "GDN", GetParam().fault);
    Client client;
    ASSERT_EQ(client.ask(testnet::moduleIp(1), "L").data, "A");
    EXPECT_EQ(client.repliesTo(testnet::moduleIp(1), "GDN"), GetParam().replies);
    EXPECT_THAT(client.repliesTo(testnet::moduleIp(1), "GON"), ElementsAre("Auser"))
        << "other commands are unharmed";
}

INSTANTIATE_TEST_SUITE_P(Kinds, SimulatorFault, testing::ValuesIn(kWireFaults),
                         [](const testing::TestParamInfo<WireFaultCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(SimulatorFaults, LateReplyArrivesAfterLaterOnes)
{
    sim::Simulator simulator(threeModules());
    simulator.setFault(kMac1, "GDN", {sim::FaultKind::Late, 300});
    Client client;
    client.ask(testnet::moduleIp(1), "L");
    client.send(testnet::moduleIp(1), "GDN");
    client.send(testnet::moduleIp(1), "GON");
    const auto got = client.receiveCount(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].data, "Auser");
    EXPECT_EQ(got[1].data, "ATCP-11");
    EXPECT_EQ(got[1].peerIp, testnet::moduleIp(1));
}

TEST(SimulatorFaults, LateReplyMissesTheProgramsWait)
{
    sim::Simulator simulator(threeModules());
    simulator.setFault(kMac1, "L", {sim::FaultKind::Late, 400});
    std::string value;
    EXPECT_FALSE(ExchangeCommand(testnet::moduleIp(1), "L", sim::kCommandPort, value));
    ASSERT_TRUE(simulator.waitForEvents(1));
    EXPECT_TRUE(simulator.inSession(kMac1)) << "a late reply still acts";
}

TEST(SimulatorFaults, LossDropsDatagramsBothWaysAndRepeatsByItsSeed)
{
    // Lost on the way in: not logged, not answered; on the way out: logged, not answered.
    const auto run = [](std::uint32_t seed) {
        sim::ModuleSpec spec = sim::commandModule(testnet::moduleIp(1), kMac1);
        spec.loss = {0.3, seed};
        sim::Simulator simulator({spec});
        std::size_t answered = 0;
        for (int i = 0; i < 100; ++i) {
            UdpEndpoint client; // a reply later than the wait cannot count for the next probe
            client.Send(testnet::moduleIp(1), sim::kCommandPort, "X");
            answered += client.ReceiveString(20).data.empty() ? 0 : 1;
        }
        return std::pair{simulator.events().size(), answered};
    };
    const auto [logged, answered] = run(7);
    EXPECT_GT(logged, 55u);
    EXPECT_LT(logged, 85u);
    EXPECT_LT(answered, logged);
    EXPECT_GT(answered, 35u);
    EXPECT_EQ(run(7).first, logged) << "the same datagrams lost again";
}

TEST(SimulatorFaults, OversizeReplyFailsTheProgramsReceive)
{
    sim::Simulator simulator(threeModules());
    simulator.setFault(kMac1, "L", {sim::FaultKind::Oversize, 0});
    UdpEndpoint endpoint; // the program's 8192-byte buffer
    endpoint.Send(testnet::moduleIp(1), sim::kCommandPort, "L");
    try {
        for (int i = 0; i < 30; ++i)
            endpoint.ReceiveString(100);
        FAIL() << "no oversized reply arrived";
    } catch (const SocketError& error) {
        EXPECT_THAT(error.what(), HasSubstr("10040"));
    }
}

TEST(SimulatorFaults, EmptyReplyIsAZeroLengthDatagramFromTheModule)
{
    sim::Simulator simulator(threeModules());
    simulator.setFault(kMac2, "X", {sim::FaultKind::Empty, 0});
    Client client;
    const auto reply = client.ask(testnet::moduleIp(2), "X");
    EXPECT_EQ(reply.peerIp, testnet::moduleIp(2));
    EXPECT_EQ(reply.data, "");
}

TEST(SimulatorFaults, FaultsCanBeSetAndClearedWhileServing)
{
    sim::Simulator simulator(threeModules());
    Client client;
    simulator.setFault(kMac1, "L", {sim::FaultKind::Silent, 0});
    EXPECT_THAT(client.repliesTo(testnet::moduleIp(1), "L"), IsEmpty());
    EXPECT_TRUE(simulator.inSession(kMac1)) << "a silent module still acts";
    simulator.setFault(kMac1, "L", {});
    EXPECT_THAT(client.repliesTo(testnet::moduleIp(1), "L"), ElementsAre("A"));
}

TEST(SimulatorFaults, RefusedOpeningAtOwnAddressCanBeSwitchedOn)
{
    sim::Simulator simulator(threeModules());
    Client client;
    auto spec = sim::commandModule(testnet::moduleIp(1), kMac1);
    spec.refuseOpenAtOwnAddress = true;
    simulator.setModule(kMac1, spec);
    EXPECT_EQ(client.ask(testnet::moduleIp(1), "L").data, "N");
    EXPECT_FALSE(simulator.inSession(kMac1));
}

TEST(SimulatorModules, SetModuleMovesItsAddress)
{
    sim::Simulator simulator(threeModules());
    auto spec = sim::commandModule(testnet::moduleIp(31), kMac3);
    simulator.setModule(kMac3, spec);
    EXPECT_EQ(simulator.currentIp(kMac3), testnet::moduleIp(31));
    Client client;
    const auto reply = client.ask(testnet::moduleIp(31), "L");
    EXPECT_EQ(reply.data, "A");
    EXPECT_EQ(reply.peerIp, testnet::moduleIp(31));
}

TEST(SimulatorModules, SharedAddressUnicastReachesTheFirstDeclaredBroadcastReachesAll)
{
    const std::string shared = testnet::moduleIp(40);
    sim::Simulator simulator({sim::commandModule(shared, kMac1), sim::commandModule(shared, kMac2)});
    Client client;
    EXPECT_THAT(client.repliesTo(shared, "L"), ElementsAre("A"));
    EXPECT_TRUE(simulator.inSession(kMac1));
    EXPECT_FALSE(simulator.inSession(kMac2));
    EXPECT_THAT(simulator.eventsFor(kMac2), IsEmpty()) << "a unicast reaches one module";

    // Both answer the probe from the one address; "W" selects the second alone.
    client.send("", "X");
    const auto probes = client.receiveCount(2);
    ASSERT_EQ(probes.size(), 2u);
    EXPECT_EQ(probes[0].peerIp, shared);
    EXPECT_EQ(probes[1].peerIp, shared);
    EXPECT_EQ(client.ask("", "W" + kMac2).data, "A");
    EXPECT_TRUE(simulator.selected(kMac2));
    EXPECT_FALSE(simulator.selected(kMac1));

    // Once the first moves away, the address is the second's alone.
    simulator.setModule(kMac1, sim::commandModule(testnet::moduleIp(41), kMac1));
    EXPECT_EQ(client.ask(shared, "L").data, "A");
    EXPECT_TRUE(simulator.inSession(kMac2));
}

TEST(SimulatorModules, BadSetsOfModulesAreRefused)
{
    EXPECT_THROW(sim::Simulator({sim::commandModule(testnet::moduleIp(1), kMac1),
                                 sim::commandModule(testnet::moduleIp(2), kMac1)}),
                 std::invalid_argument);
    EXPECT_THROW(sim::Simulator({sim::commandModule("module-1", kMac1)}), std::invalid_argument);
    EXPECT_THROW(sim::Simulator({sim::commandModule(testnet::moduleIp(1), "")}), std::invalid_argument);
    EXPECT_THROW(sim::Simulator({sim::commandModule("10.77.0.200", kMac1)}), SocketError)
        << "not an owned address";
    sim::Simulator simulator(threeModules());
    EXPECT_THROW(simulator.values("00-00"), std::invalid_argument);
    EXPECT_THROW(simulator.setFault("00-00", "L", {}), std::invalid_argument);
    EXPECT_THROW(simulator.setModule(kMac1, sim::commandModule(testnet::moduleIp(1), kMac2)),
                 std::invalid_argument);
    EXPECT_EQ(simulator.macs(), (std::vector<std::string>{kMac1, kMac2, kMac3}));
}

TEST(SimulatorEvents, LogCanBeWaitedForAndCleared)
{
    sim::Simulator simulator(threeModules());
    Client client;
    client.send("", "X");
    EXPECT_TRUE(simulator.waitForEvents(3));
    EXPECT_EQ(simulator.events().size(), 3u);
    simulator.clearEvents();
    EXPECT_THAT(simulator.events(), IsEmpty());
    EXPECT_FALSE(simulator.waitForEvents(1, std::chrono::milliseconds(50)));
    client.send(testnet::moduleIp(3), "GON");
    ASSERT_TRUE(simulator.waitForEvents(1));
    const auto events = simulator.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].moduleMac, kMac3);
    EXPECT_FALSE(events[0].broadcast);
    EXPECT_EQ(events[0].data, "GON");
}

TEST(SimulatorEvents, OversizedRequestsAreLoggedWhole)
{
    sim::Simulator simulator(threeModules());
    Client client;
    const std::string big = "SDN" + std::string(20000, 'x');
    EXPECT_EQ(client.ask(testnet::moduleIp(1), big).data, "N");
    const auto events = simulator.eventsFor(kMac1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].data, big);
}

} // namespace
