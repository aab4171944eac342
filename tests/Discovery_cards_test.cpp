// A search over every card of the PC, and the command road through the card a module was
// heard by: the private network with a second LAN behind card 2 (10.78.0.1).
#include "Discovery.h"
#include "FakeMivexAdv.h"
#include "PrivateNetwork.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

const std::string kNearMac = "00-1A-2B-00-00-11";
const std::string kFarMac = "00-1A-2B-00-01-11";
const std::string kFreshMac = "00-1A-2B-00-01-07";

class EveryCard : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(testnet::secondLanPath(), nullptr) << "run with TCPMOD_NETNS_SECOND_LAN=1 scripts/netns";
        ASSERT_TRUE(testnet::inSecondLan([&] {
            m_far = std::make_unique<sim::Simulator>(
                std::vector<sim::ModuleSpec>{sim::commandModule(testnet::kSecondLanModuleIp, kFarMac),
                                             sim::commandModule(testnet::kSecondLanForeignIp, kFreshMac)});
        }));
    }

    std::vector<TModelParm> search()
    {
        std::vector<TModelParm> rows;
        RunSearch(m_cards, [&rows](const TModelParm& entry) { rows.push_back(entry); });
        return rows;
    }

    static std::vector<TModelParm> rowsOf(const std::vector<TModelParm>& rows, const std::string& mac)
    {
        std::vector<TModelParm> found;
        std::copy_if(rows.begin(), rows.end(), std::back_inserter(found),
                     [&](const TModelParm& row) { return row.Mac == mac; });
        return found;
    }

    // The near module shares the PC's namespace, so it hears the probe of both cards, as a
    // module on a LAN that both cards lead to would.
    sim::Simulator m_near{{sim::commandModule(testnet::moduleIp(1), kNearMac)}};
    std::unique_ptr<sim::Simulator> m_far;
    FakeMivexAdv m_library;
    CardEndpoints m_cards;
};

TEST_F(EveryCard, ListsTheModulesBehindEachCardOnceWithTheCardThatHeardThem)
{
    EXPECT_EQ(broadcastInterfaces(), (std::vector<std::string>{testnet::kPcIp, testnet::kSecondLanPcIp}));
    const auto rows = search();
    EXPECT_EQ(rows.size(), 3u);
    ASSERT_EQ(rowsOf(rows, kNearMac).size(), 1u);
    const auto far = rowsOf(rows, kFarMac);
    ASSERT_EQ(far.size(), 1u);
    EXPECT_EQ(far[0].Ip, testnet::kSecondLanModuleIp);
    EXPECT_EQ(far[0].Via, testnet::kSecondLanPcIp);
    const auto fresh = rowsOf(rows, kFreshMac);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].Ip, testnet::kSecondLanForeignIp);
    EXPECT_EQ(fresh[0].Via, testnet::kSecondLanPcIp);

    // One probe out of each card, and both answered.
    ASSERT_TRUE(m_near.waitForEvents(2));
    std::vector<std::string> probesFrom;
    for (const sim::WireEvent& event : m_near.eventsFor(kNearMac))
        probesFrom.push_back(event.data + " " + event.fromIp);
    std::sort(probesFrom.begin(), probesFrom.end());
    EXPECT_EQ(probesFrom, (std::vector<std::string>{"X 10.77.0.1", "X 10.78.0.1"}));
    // The same endpoints serve the next search.
    const UdpEndpoint* first = m_cards.endpoints().front().get();
    EXPECT_EQ(search().size(), 3u);
    EXPECT_EQ(m_cards.endpoints().front().get(), first);
}

TEST_F(EveryCard, AFactoryFreshModuleIsReadAndWrittenByItsMacOutOfItsCard)
{
    const auto fresh = rowsOf(search(), kFreshMac);
    ASSERT_EQ(fresh.size(), 1u);
    m_far->clearEvents();

    TModelConfig config;
    ASSERT_TRUE(ReadConfigByCommands(fresh[0], config));
    EXPECT_EQ(config.MacAddress, kFreshMac);
    config.DeviceName = "line 7";
    ASSERT_TRUE(WriteConfigByCommands(fresh[0], config));
    EXPECT_EQ(m_far->values(kFreshMac).at("GDN"), "line 7");
    // Its address is not reached: everything it heard was the fallback by its MAC, out of card 2.
    const auto events = m_far->eventsFor(kFreshMac);
    ASSERT_EQ(events.size(), 20u + 18u); // "W" + "L" + 17 reads + "O"; "W" + "L" + 14 writes + "E" + "O"
    for (const sim::WireEvent& event : events) {
        EXPECT_TRUE(event.broadcast) << event.data;
        EXPECT_EQ(event.fromIp, testnet::kSecondLanPcIp) << event.data;
    }

    // By the default route, the fallback never reaches it.
    TModelParm unknownCard = fresh[0];
    unknownCard.Via.clear();
    EXPECT_FALSE(ReadConfigByCommands(unknownCard, config));
}

} // namespace
