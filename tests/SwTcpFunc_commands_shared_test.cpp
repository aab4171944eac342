// The command road for modules that share one address: each is read and written by its MAC
// alone, and a read that reached another module at the address is done again by MAC.
#include "CommandRoadScenario.h"
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"

#include <gtest/gtest.h>

using namespace commandroad;

namespace {

// Both at one address; a unicast there reaches the first (kMac), as ARP picks one host.
const std::string kShared = testnet::moduleIp(40);

sim::ModuleSpec sharedSpec(const std::string& mac, const std::string& name)
{
    sim::ModuleSpec spec = sim::commandModule(kShared, mac);
    spec.values["GDN"] = name;
    return spec;
}

class SharedAddress : public testing::Test
{
protected:
    SharedAddress() : m_sim({sharedSpec(kMac, "first"), sharedSpec(kOtherMac, "second")}) {}

    static TModelParm entry(const std::string& mac, bool shared)
    {
        TModelParm e = entryFor(kShared, mac);
        e.SharedIp = shared;
        return e;
    }

    sim::Simulator m_sim;
};

// A shared row's whole run goes by broadcast behind "W" + its MAC; only that module answers.
TEST_F(SharedAddress, EachModuleIsReadAndWrittenByItsMac)
{
    for (const auto& [mac, name] : {std::pair{kMac, "first"}, std::pair{kOtherMac, "second"}}) {
        SCOPED_TRACE(mac);
        m_sim.clearEvents();
        TModelConfig config;
        ASSERT_TRUE(ReadConfigByCommands(entry(mac, true), config));
        EXPECT_EQ(config.DeviceName, name);
        EXPECT_EQ(config.MacAddress, mac);
        const auto events = settledEvents(m_sim, mac, 20);
        EXPECT_EQ(sentData(events), concat({"W" + mac}, fullRead()));
        EXPECT_EQ(broadcastFlags(events), std::vector<bool>(20, true));

        config.DeviceName = std::string("renamed ") + name;
        ASSERT_TRUE(WriteConfigByCommands(entry(mac, true), config));
        EXPECT_EQ(m_sim.values(mac).at("GDN"), std::string("renamed ") + name);
    }
    EXPECT_EQ(m_sim.values(kMac).at("GDN"), "renamed first");
    EXPECT_EQ(m_sim.values(kOtherMac).at("GDN"), "renamed second");
}

// The search did not mark the row: the unicast reaches the first module, whose "GFE" gives
// it away; the second is read again by MAC, and the write follows that way.
TEST_F(SharedAddress, AReadThatReachedAnotherModuleIsDoneAgainByMacAndSoIsTheWrite)
{
    const TModelParm unmarked = entry(kOtherMac, false);
    TModelConfig config = markedRecord();
    ASSERT_TRUE(ReadConfigByCommands(unmarked, config));
    EXPECT_EQ(config.DeviceName, "second");
    EXPECT_TRUE(config.ReachedByMac);
    EXPECT_EQ(sentData(settledEvents(m_sim, kOtherMac, 20)), concat({"W" + kOtherMac}, fullRead()));

    m_sim.clearEvents();
    config.DeviceName = "mine";
    ASSERT_TRUE(WriteConfigByCommands(unmarked, config));
    EXPECT_EQ(m_sim.values(kOtherMac).at("GDN"), "mine");
    EXPECT_EQ(m_sim.values(kMac).at("GDN"), "first");
    EXPECT_EQ(broadcastFlags(m_sim.eventsFor(kMac)), std::vector<bool>(m_sim.eventsFor(kMac).size(), true))
        << "nothing went to the address";
}

TEST_F(SharedAddress, WhenTheReadByMacFailsTheOtherModulesValuesAreNotGiven)
{
    m_sim.setFault(kOtherMac, "W", {sim::FaultKind::Refuse});
    TModelConfig config = markedRecord();
    EXPECT_FALSE(ReadConfigByCommands(entry(kOtherMac, false), config));
    EXPECT_EQ(config.DeviceName, markedRecord().DeviceName);
    EXPECT_EQ(config.MacAddress, markedRecord().MacAddress);
}

// A module whose "GFE" matches its row (letter case and separator aside) is read once, at its address, as
// always.
TEST_F(CommandRoad, AMatchingMacKeepsTheReadAtTheAddress)
{
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByCommands(entryFor(testnet::moduleIp(1), "00:1a:2b:00:00:11"), config));
    EXPECT_FALSE(config.ReachedByMac);
    const auto events = settledEvents(m_sim, kMac, 19);
    EXPECT_EQ(sentData(events), fullRead());
    EXPECT_EQ(broadcastFlags(events), std::vector<bool>(19, false));
}

} // namespace
