// The stand-in MivexAdv library against simulated library modules, through its seven
// exported functions, as the program calls them.
#include "MivexAdv.h"
#include "PrivateNetwork.h"
#include "Simulator.h"
#include "SwTcpFunc.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

using testing::IsEmpty;

namespace {

const std::string kMacA = "00-4D-58-00-00-31";
const std::string kMacB = "00-4D-58-00-00-32";

struct Found
{
    std::string ip, second, mac;
    int tag = 0, secondByte = 0;
    std::int32_t port = 0;

    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f)
{
    return out << f.ip << " " << f.second << " " << f.mac << " tag " << f.tag << " " << f.secondByte
               << " port " << f.port;
}

// Discovery's order: MX_SearchAll, 100 ms, MX_GetSearchDev until it returns anything but 1.
std::vector<Found> search()
{
    MX_SearchAll();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::vector<Found> found;
    char ip[kMxSearchTextSize], second[kMxSearchTextSize], mac[kMxSearchTextSize];
    std::uint8_t tag = 0, secondByte = 0;
    std::int32_t port = 0;
    while (MX_GetSearchDev(ip, second, mac, &tag, &secondByte, &port) == 1 && found.size() < 100)
        found.push_back({ip, second, mac, tag, secondByte, port});
    return found;
}

// One key as ReadLibraryValue asks for it: a fetch, then the key.
std::pair<std::int32_t, std::string> readKey(const std::string& ip, std::uint8_t tag, const std::string& key)
{
    if (MX_GetDevInfoUDPbyIP(ip.c_str(), tag) != 1)
        return {0, "(fetch failed)"};
    char value[kMxValueSize];
    const std::int32_t status = MX_GetDevConfigUDP(key.c_str(), value);
    return {status, status == 1 ? std::string(value) : std::string()};
}

std::int32_t modify(const std::string& ip, const std::string& password, std::uint8_t tag,
                    const std::vector<std::pair<std::string, std::string>>& changes)
{
    MX_ResetModifyConfigUDP();
    for (const auto& [key, value] : changes)
        MX_SetModifyConfigUDP(key.c_str(), value.c_str());
    return MX_ModifyDevUDPbyIP(ip.c_str(), password.c_str(), tag);
}

class MivexAdvTest : public testing::Test
{
protected:
    static std::vector<sim::ModuleSpec> modules()
    {
        auto a = sim::libraryModule(testnet::moduleIp(21), kMacA, 1);
        a.searchPort = 502;
        a.values["NAME"] = "锅炉房计量";
        auto b = sim::libraryModule(testnet::moduleIp(22), kMacB, 2);
        b.searchPort = 6000;
        b.model = "MX-E410";
        b.version = 3;
        b.values["C1_BAUD"] = "9";
        b.values["C1_OP"] = "3";
        return {a, b, sim::commandModule(testnet::moduleIp(1), "00-1A-2B-3C-00-11")};
    }

    sim::Simulator simulator{modules()};
    const std::string ipA = testnet::moduleIp(21);
    const std::string ipB = testnet::moduleIp(22);
};

TEST_F(MivexAdvTest, SearchFindsTheLibraryModulesWithTagsAndPorts)
{
    auto found = search();
    std::sort(found.begin(), found.end(), [](const Found& x, const Found& y) { return x.ip < y.ip; });
    EXPECT_EQ(found,
              (std::vector<Found>{{ipA, "MX-E210", kMacA, 1, 1, 502}, {ipB, "MX-E410", kMacB, 2, 3, 6000}}));
    char ip[kMxSearchTextSize], second[kMxSearchTextSize], mac[kMxSearchTextSize];
    std::uint8_t tag = 0, secondByte = 0;
    std::int32_t port = 0;
    EXPECT_NE(MX_GetSearchDev(ip, second, mac, &tag, &secondByte, &port), 1) << "stays exhausted";

    const auto events = simulator.eventsFor(kMacA);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].broadcast);
    EXPECT_EQ(events[0].toPort, sim::kLibraryPort);
    EXPECT_EQ(events[0].fromIp, testnet::kPcIp);
    EXPECT_THAT(simulator.eventsFor("00-1A-2B-3C-00-11"), IsEmpty());
}

TEST_F(MivexAdvTest, EverySearchStartsAfresh)
{
    EXPECT_EQ(search().size(), 2u);
    EXPECT_EQ(search().size(), 2u);
    simulator.setFault(kMacB, sim::kSearchFault, {sim::FaultKind::Silent, 0});
    const auto found = search();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].mac, kMacA);
}

TEST_F(MivexAdvTest, DuplicatedSearchRepliesGiveOneModule)
{
    simulator.setFault(kMacA, sim::kSearchFault, {sim::FaultKind::Twice, 0});
    EXPECT_EQ(search().size(), 2u);
}

TEST_F(MivexAdvTest, SearchWithLongTextsStaysInsideTheBuffers)
{
    auto spec = sim::libraryModule(ipA, kMacA, 1);
    spec.model = std::string(40, 'm');
    simulator.setModule(kMacA, spec);
    MX_SearchAll();
    std::array<char, 3 * kMxSearchTextSize + 8> buffers;
    buffers.fill('~');
    char* ip = buffers.data();
    char* second = ip + kMxSearchTextSize + 1; // one guard byte between the buffers
    char* mac = second + kMxSearchTextSize + 1;
    std::uint8_t tag = 0, secondByte = 0;
    std::int32_t port = 0;
    bool sawA = false;
    while (MX_GetSearchDev(ip, second, mac, &tag, &secondByte, &port) == 1) {
        EXPECT_EQ(ip[kMxSearchTextSize], '~');
        EXPECT_EQ(second[kMxSearchTextSize], '~');
        EXPECT_EQ(mac[kMxSearchTextSize], '~');
        if (std::string(mac) == kMacA) {
            sawA = true;
            EXPECT_EQ(std::string(second), std::string(kMxSearchTextSize - 1, 'm'));
        }
    }
    EXPECT_TRUE(sawA);
}

TEST_F(MivexAdvTest, FetchAndFourteenKeysGiveTheStoredValues)
{
    const auto stored = simulator.values(kMacB);
    ASSERT_EQ(stored.size(), 14u);
    for (const auto& key : sim::libraryKeys()) {
        const auto [status, value] = readKey(ipB, 2, key);
        EXPECT_EQ(status, 1) << key;
        EXPECT_EQ(value, stored.at(key)) << key;
    }
    EXPECT_EQ(simulator.eventsFor(kMacB).size(), 14u) << "one fetch per key, as the program reads";
    char value[kMxValueSize];
    EXPECT_NE(MX_GetDevConfigUDP("C2_BAUD", value), 1) << "a key the module does not have";
    EXPECT_NE(MX_GetDevConfigUDP("name", value), 1) << "keys are exact";
}

TEST_F(MivexAdvTest, ProgramsReaderFillsTheRecordFromTheModule)
{
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByLibrary(ipB, 2, config));
    EXPECT_EQ(config.DeviceName, "MX-32");
    EXPECT_EQ(config.MacAddress, kMacB);
    EXPECT_EQ(config.IpAddress, ipB);
    EXPECT_EQ(config.IpMode, 0);
    EXPECT_EQ(config.WorkMode, 2);
    EXPECT_EQ(config.BaudIndex, 7);
    EXPECT_EQ(config.DataBitsIndex, 1);
    EXPECT_EQ(config.LocalPort, 8080);
}

TEST_F(MivexAdvTest, LongValueIsCutInsideTheBuffer)
{
    auto spec = sim::libraryModule(ipA, kMacA, 1);
    spec.values["NAME"] = std::string(150, 'n');
    simulator.setModule(kMacA, spec);
    ASSERT_EQ(MX_GetDevInfoUDPbyIP(ipA.c_str(), 1), 1);
    std::array<char, kMxValueSize + 20> buffer;
    buffer.fill('~');
    ASSERT_EQ(MX_GetDevConfigUDP("NAME", buffer.data()), 1);
    EXPECT_EQ(std::string(buffer.data()), std::string(kMxValueSize - 1, 'n'));
    for (std::size_t i = kMxValueSize; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '~') << i;
}

TEST_F(MivexAdvTest, FailuresOfTheModuleAreStatusesOtherThanOne)
{
    auto spec = sim::libraryModule(ipA, kMacA, 1);
    spec.failKeys = {"C1_PORT"};
    simulator.setModule(kMacA, spec);
    EXPECT_EQ(readKey(ipA, 1, "C1_PORT").first, 0);
    EXPECT_EQ(readKey(ipA, 1, "C1_BAUD"), std::make_pair(1, std::string("5")));

    EXPECT_NE(MX_GetDevInfoUDPbyIP(ipA.c_str(), 7), 1) << "another tag";
    char value[kMxValueSize];
    EXPECT_NE(MX_GetDevConfigUDP("C1_BAUD", value), 1) << "a failed fetch leaves nothing to answer from";

    spec.failFetch = true;
    simulator.setModule(kMacA, spec);
    EXPECT_NE(MX_GetDevInfoUDPbyIP(ipA.c_str(), 1), 1);
    EXPECT_NE(MX_GetDevInfoUDPbyIP("not an address", 1), 1);
    EXPECT_NE(MX_GetDevInfoUDPbyIP("", 1), 1);
}

TEST_F(MivexAdvTest, SilentModuleCostsABoundedWait)
{
    simulator.setFault(kMacA, sim::kFetchFault, {sim::FaultKind::Silent, 0});
    for (const std::string& ip : {ipA, testnet::moduleIp(49)}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_NE(MX_GetDevInfoUDPbyIP(ip.c_str(), 1), 1) << ip;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << ip;
    }
    const auto events = simulator.eventsFor(kMacA);
    EXPECT_EQ(
        std::count_if(events.begin(), events.end(), [](const sim::WireEvent& e) { return !e.broadcast; }), 2)
        << "sent, and sent once more";
    simulator.setFault(kMacA, sim::kFetchFault, {});
    simulator.setFault(kMacA, sim::kModifyFault, {sim::FaultKind::Silent, 0});
    EXPECT_EQ(modify(ipA, "52417", 1, {{"NAME", "x"}}), 1) << "taken, only the reply was lost";
    simulator.setFault(kMacA, sim::kModifyFault, {sim::FaultKind::Gone, 0});
    EXPECT_NE(modify(ipA, "52417", 1, {{"NAME", "y"}}), 1);
    EXPECT_EQ(simulator.values(kMacA).at("NAME"), "x");
}

TEST_F(MivexAdvTest, ModifyWithTheWritePasswordChangesTheModule)
{
    const std::vector<std::pair<std::string, std::string>> changes{{"NAME", "二号仓"},
                                                                   {"C1_BAUD", "9"},
                                                                   {"C1_PARITY", "2"},
                                                                   {"C1_PORT", "4001"},
                                                                   {"MASK", "255.255.0.0"}};
    auto expected = simulator.values(kMacA);
    EXPECT_NE(modify(ipA, "52418", 1, changes), 1);
    EXPECT_NE(modify(ipA, "", 1, changes), 1);
    EXPECT_NE(modify(ipA, "52417", 2, changes), 1) << "another tag";
    EXPECT_EQ(simulator.values(kMacA), expected) << "nothing changes without the password";

    EXPECT_EQ(modify(ipA, "52417", 1, changes), 1);
    for (const auto& [key, value] : changes)
        expected[key] = value;
    EXPECT_EQ(simulator.values(kMacA), expected);
    EXPECT_EQ(readKey(ipA, 1, "NAME").second, "二号仓");
}

TEST_F(MivexAdvTest, ModifiedAddressTakesEffect)
{
    const std::string newIp = testnet::moduleIp(40);
    ASSERT_EQ(modify(ipA, "52417", 1, {{"IP", newIp}}), 1);
    EXPECT_EQ(simulator.currentIp(kMacA), newIp);
    EXPECT_EQ(readKey(newIp, 1, "IP").second, newIp);
    EXPECT_NE(MX_GetDevInfoUDPbyIP(ipA.c_str(), 1), 1);
    bool listed = false;
    for (const auto& f : search())
        listed = listed || (f.mac == kMacA && f.ip == newIp);
    EXPECT_TRUE(listed);
}

TEST_F(MivexAdvTest, RejectedModifyAndResetChanges)
{
    auto spec = sim::libraryModule(ipA, kMacA, 1);
    spec.rejectModify = true;
    simulator.setModule(kMacA, spec);
    EXPECT_NE(modify(ipA, "52417", 1, {{"NAME", "x"}}), 1);
    EXPECT_EQ(simulator.values(kMacA).at("NAME"), "MX-31");

    spec.rejectModify = false;
    simulator.setModule(kMacA, spec);
    MX_ResetModifyConfigUDP();
    MX_SetModifyConfigUDP("NAME", "dropped");
    MX_ResetModifyConfigUDP();
    MX_SetModifyConfigUDP("C1_OP", "2");
    MX_SetModifyConfigUDP("C1_OP", "3"); // a key given again replaces its value
    EXPECT_EQ(MX_ModifyDevUDPbyIP(ipA.c_str(), "52417", 1), 1);
    EXPECT_EQ(simulator.values(kMacA).at("NAME"), "MX-31");
    EXPECT_EQ(simulator.values(kMacA).at("C1_OP"), "3");
    EXPECT_NE(modify(ipA, "52417", 1, {{"C2_BAUD", "3"}}), 1) << "a key the module does not have";
}

TEST_F(MivexAdvTest, ProgramsWriterChangesTheModule)
{
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByLibrary(ipA, 1, config));
    config.DeviceName = "一号仓";
    config.BaudIndex = 7;
    config.WorkMode = 2;
    EXPECT_TRUE(WriteConfigByLibrary(ipA, "52417", 1, config));
    EXPECT_EQ(simulator.values(kMacA).at("NAME"), "一号仓");
    EXPECT_EQ(simulator.values(kMacA).at("C1_BAUD"), "9");
    EXPECT_EQ(simulator.values(kMacA).at("C1_OP"), "3");
    EXPECT_FALSE(WriteConfigByLibrary(ipA, "00000", 1, config));
}

// Two modules at one address: the program hands over the address and the tag, and the
// library reaches the module its search gave that tag.
TEST(MivexAdvSharedAddress, TheTagReachesTheModuleTheSearchGaveIt)
{
    const std::string shared = testnet::moduleIp(45);
    auto first = sim::libraryModule(shared, kMacA, 1);
    first.values["NAME"] = "first";
    auto second = sim::libraryModule(shared, kMacB, 2);
    second.values["NAME"] = "second";
    sim::Simulator simulator({first, second});
    ASSERT_EQ(search().size(), 2u);

    EXPECT_EQ(readKey(shared, 2, "NAME"), std::make_pair(1, std::string("second")));
    EXPECT_EQ(readKey(shared, 1, "NAME"), std::make_pair(1, std::string("first")));
    EXPECT_EQ(modify(shared, "52417", 2, {{"NAME", "renamed"}}), 1);
    EXPECT_EQ(simulator.values(kMacB).at("NAME"), "renamed");
    EXPECT_EQ(simulator.values(kMacA).at("NAME"), "first");
}

TEST(MivexAdvContract, NullArgumentsAreFailures)
{
    char text[kMxValueSize];
    std::uint8_t byte = 0;
    std::int32_t number = 0;
    EXPECT_NE(MX_GetSearchDev(nullptr, text, text, &byte, &byte, &number), 1);
    EXPECT_NE(MX_GetDevInfoUDPbyIP(nullptr, 1), 1);
    EXPECT_NE(MX_GetDevConfigUDP(nullptr, text), 1);
    EXPECT_NE(MX_GetDevConfigUDP("NAME", nullptr), 1);
    EXPECT_NE(MX_SetModifyConfigUDP(nullptr, "x"), 1);
    EXPECT_NE(MX_ModifyDevUDPbyIP(nullptr, "52417", 1), 1);
    EXPECT_NE(MX_ModifyDevUDPbyIP("10.77.0.21", nullptr, 1), 1);
}

} // namespace
