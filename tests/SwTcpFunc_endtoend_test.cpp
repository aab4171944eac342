// Both configuration roads end to end: the real stand-in library and the command exchange
// against simulated modules, including every module of the demo network.
#include "FieldCodes.h"
#include "ModuleFile.h"
#include "NumText.h"
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

const std::string kMac = "00-4D-58-00-00-41";
constexpr std::uint8_t kTag = 200;
const std::string kPassword = "52417";

std::string moduleIp()
{
    return testnet::moduleIp(1);
}

sim::ModuleSpec librarySpec()
{
    sim::ModuleSpec spec = sim::libraryModule(moduleIp(), kMac, kTag);
    spec.values["NAME"] = "\xB9\xF8\xC2\xAF\xB7\xBF"; // 8-bit code page bytes
    return spec;
}

// A configuration unlike the module's, and the texts the library keeps for it.
TModelConfig newRecord()
{
    TModelConfig c;
    c.DeviceName = "";
    c.MacAddress = kMac;
    c.IpMode = 1;
    c.IpAddress = moduleIp();
    c.NetMask = "255.255.0.0";
    c.Gateway = "10.77.0.254";
    c.WorkMode = 2;
    c.LocalPort = 4001;
    c.TargetIp = "10.77.0.2";
    c.TargetPort = -1;
    c.BaudIndex = 7;
    c.StopBitsIndex = 2;
    c.Parity = 4;
    c.DataBitsIndex = 0;
    return c;
}

std::map<std::string, std::string> newRecordValues()
{
    return {{"NAME", ""},         {"MAC", kMac},           {"IP_MODE", "0"},
            {"IP", moduleIp()},   {"MASK", "255.255.0.0"}, {"GATEWAY", "10.77.0.254"},
            {"C1_OP", "3"},       {"C1_PORT", "4001"},     {"C1_CLI_IP1", "10.77.0.2"},
            {"C1_CLI_PP1", "-1"}, {"C1_BAUD", "9"},        {"C1_STOPB", "2"},
            {"C1_PARITY", "4"},   {"C1_DATAB", "7"}};
}

// The fields the library road never carries, marked.
TModelConfig marked(TModelConfig c)
{
    c.UserName = "operator";
    c.Protocol = 1;
    c.GfcValue = 17;
    c.GdtValue = 42;
    return c;
}

std::size_t countStarting(const std::vector<sim::WireEvent>& events, const std::string& prefix)
{
    return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [&](const sim::WireEvent& e) {
        return e.data.compare(0, prefix.size(), prefix) == 0;
    }));
}

class LibraryEndToEnd : public testing::Test
{
protected:
    LibraryEndToEnd() : m_sim({librarySpec()}) {}

    sim::Simulator m_sim;
};

TEST_F(LibraryEndToEnd, ReadWriteAndReadAgainGivesWhatWasWritten)
{
    TModelConfig first = marked({});
    ASSERT_TRUE(ReadConfigByLibrary(moduleIp(), kTag, first));
    TModelConfig expected = marked({});
    expected.DeviceName = "\xB9\xF8\xC2\xAF\xB7\xBF";
    expected.MacAddress = kMac;
    expected.IpMode = 0;
    expected.IpAddress = moduleIp();
    expected.NetMask = "255.255.255.0";
    expected.Gateway = "10.77.0.1";
    expected.WorkMode = 0;
    expected.LocalPort = 8080;
    expected.TargetIp = "10.77.0.1";
    expected.TargetPort = 9000;
    expected.BaudIndex = 3;
    expected.StopBitsIndex = 1;
    expected.Parity = 0;
    expected.DataBitsIndex = 1;
    EXPECT_EQ(first, withLibraryTexts(expected, librarySpec().values));
    // Nothing cached: one fetch per key went over the wire.
    EXPECT_EQ(countStarting(m_sim.eventsFor(kMac), "MXA1G"), 14u);

    m_sim.clearEvents();
    ASSERT_TRUE(WriteConfigByLibrary(moduleIp(), kPassword, kTag, newRecord()));
    EXPECT_EQ(m_sim.values(kMac), newRecordValues());
    EXPECT_EQ(countStarting(m_sim.eventsFor(kMac), "MXA1M"), 1u);

    TModelConfig again = marked({});
    ASSERT_TRUE(ReadConfigByLibrary(moduleIp(), kTag, again));
    EXPECT_EQ(again, withLibraryTexts(marked(newRecord()), newRecordValues()));
}

TEST_F(LibraryEndToEnd, WrongPasswordOrTagLeavesTheModuleUnchanged)
{
    const auto before = m_sim.values(kMac);
    EXPECT_FALSE(WriteConfigByLibrary(moduleIp(), "52418", kTag, newRecord()));
    EXPECT_FALSE(WriteConfigByLibrary(moduleIp(), "", kTag, newRecord()));
    EXPECT_FALSE(WriteConfigByLibrary(moduleIp(), kPassword, kTag + 1, newRecord()));
    EXPECT_EQ(m_sim.values(kMac), before);
}

TEST_F(LibraryEndToEnd, RejectedModifyGivesFalse)
{
    sim::ModuleSpec spec = librarySpec();
    spec.rejectModify = true;
    m_sim.setModule(kMac, spec);
    EXPECT_FALSE(WriteConfigByLibrary(moduleIp(), kPassword, kTag, newRecord()));
    EXPECT_EQ(m_sim.values(kMac), librarySpec().values);
}

TEST_F(LibraryEndToEnd, ReadFailsForAWrongTagOrAMissingModule)
{
    TModelConfig config = marked({});
    EXPECT_FALSE(ReadConfigByLibrary(moduleIp(), kTag + 1, config));
    EXPECT_FALSE(ReadConfigByLibrary("10.77.0.99", kTag, config)); // nobody there
    EXPECT_EQ(config, marked({}));
}

TEST_F(LibraryEndToEnd, KeyTheModuleLacksStopsTheReadWithEarlierRowsStored)
{
    sim::ModuleSpec spec = librarySpec();
    spec.failKeys = {"C1_PORT"};
    m_sim.setModule(kMac, spec);
    TModelConfig config = marked({});
    EXPECT_FALSE(ReadConfigByLibrary(moduleIp(), kTag, config));
    EXPECT_EQ(config.WorkMode, 0);  // row 7 stored
    EXPECT_EQ(config.LocalPort, 0); // row 8 on untouched
    EXPECT_EQ(config.TargetIp, "");
    EXPECT_EQ(countStarting(m_sim.eventsFor(kMac), "MXA1G"), 8u);
}

TEST_F(LibraryEndToEnd, MalformedNumberFromTheModuleRaises)
{
    sim::ModuleSpec spec = librarySpec();
    spec.values["C1_PORT"] = "";
    m_sim.setModule(kMac, spec);
    TModelConfig config = marked({});
    try {
        ReadConfigByLibrary(moduleIp(), kTag, config);
        FAIL() << "nothing raised";
    } catch (const ConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'' is not a valid integer value");
    }
    EXPECT_EQ(config.Gateway, "10.77.0.1");
    EXPECT_EQ(config.LocalPort, 0);
}

TEST_F(LibraryEndToEnd, UnknownIpModeSurvivesAReadAndAWrite)
{
    sim::ModuleSpec spec = librarySpec();
    spec.values["IP_MODE"] = "5";
    m_sim.setModule(kMac, spec);
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByLibrary(moduleIp(), kTag, config));
    EXPECT_EQ(config.IpMode, 5);
    ASSERT_TRUE(WriteConfigByLibrary(moduleIp(), kPassword, kTag, config));
    EXPECT_EQ(m_sim.values(kMac), spec.values);
}

TEST_F(LibraryEndToEnd, NewAddressTravelsAsAValueAndTheModuleMoves)
{
    TModelConfig config = newRecord();
    config.IpAddress = testnet::moduleIp(2);
    ASSERT_TRUE(WriteConfigByLibrary(moduleIp(), kPassword, kTag, config));
    EXPECT_EQ(m_sim.values(kMac).at("IP"), testnet::moduleIp(2));
    // The module moves after its reply; give it a moment before asking at the new address.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (m_sim.currentIp(kMac) != testnet::moduleIp(2) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    TModelConfig again;
    EXPECT_TRUE(ReadConfigByLibrary(testnet::moduleIp(2), kTag, again));
    EXPECT_EQ(again.IpAddress, testnet::moduleIp(2));
}

// ---------------------------------------------------------------- value limits

// A value as long as each road reads back goes out and comes back whole, multi-byte
// text included; the dialog refuses anything longer.
TEST(ValueLimits, TheLongestReadableValueReadsBackOnEachRoad)
{
    const std::string commandMac = "00-4D-58-00-00-42";
    sim::Simulator simulator({sim::commandModule(testnet::moduleIp(2), commandMac), librarySpec()});
    TModelParm entry;
    entry.Mac = commandMac;
    entry.Ip = testnet::moduleIp(2);
    entry.ViaCommandProtocol = 1;
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByCommands(entry, config));
    config.UserName = std::string(maxReadableValueBytes(ConfigRoad::Commands), 'u');
    ASSERT_TRUE(WriteConfigByCommands(entry, config));
    TModelConfig again;
    ASSERT_TRUE(ReadConfigByCommands(entry, again));
    EXPECT_EQ(again.UserName, config.UserName);

    TModelConfig library;
    ASSERT_TRUE(ReadConfigByLibrary(moduleIp(), kTag, library));
    library.DeviceName.clear();
    while (library.DeviceName.size() < maxReadableValueBytes(ConfigRoad::Library))
        library.DeviceName += "张"; // three bytes each: 99 in all
    ASSERT_EQ(library.DeviceName.size(), 99u);
    ASSERT_TRUE(WriteConfigByLibrary(moduleIp(), kPassword, kTag, library));
    TModelConfig libraryAgain;
    ASSERT_TRUE(ReadConfigByLibrary(moduleIp(), kTag, libraryAgain));
    EXPECT_EQ(libraryAgain.DeviceName, library.DeviceName);
}

// ---------------------------------------------------------------- the demo network

TEST(DemoNetwork, ReadThenWriteOfEveryModuleLeavesItUnchanged)
{
    const auto modules = sim::loadModuleFile(TCPMOD_SOURCE_DIR "/sim/demo-modules.json");
    sim::Simulator simulator(modules);
    int commandModules = 0;
    int libraryModules = 0;
    for (const sim::ModuleSpec& module : modules) {
        SCOPED_TRACE(module.ip);
        const auto before = simulator.values(module.mac);
        TModelConfig config;
        if (module.kind == sim::ModuleKind::Command) {
            TModelParm entry;
            entry.Ip = module.ip;
            entry.Mac = module.mac;
            entry.ViaCommandProtocol = 1;
            ASSERT_TRUE(ReadConfigByCommands(entry, config));
            ASSERT_TRUE(WriteConfigByCommands(entry, config));
            ++commandModules;
        } else {
            ASSERT_TRUE(ReadConfigByLibrary(module.ip, module.tag, config));
            ASSERT_TRUE(WriteConfigByLibrary(module.ip, kPassword, module.tag, config));
            ++libraryModules;
        }
        EXPECT_EQ(simulator.values(module.mac), before);
        EXPECT_EQ(simulator.currentIp(module.mac), module.ip);
    }
    // The demo holds both kinds, one of them reachable only through the opening fallback.
    EXPECT_GT(commandModules, 0);
    EXPECT_GT(libraryModules, 0);
    EXPECT_TRUE(std::any_of(modules.begin(), modules.end(),
                            [](const sim::ModuleSpec& m) { return m.refuseOpenAtOwnAddress; }));
}

} // namespace
