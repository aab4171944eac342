#include "Discovery.h"
#include "FakeMivexAdv.h"
#include "PrivateNetwork.h"
#include "UdpPeer.h"
#include "net.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

UdpPeer::Responder replyWith(std::vector<std::string> replies)
{
    return [replies](const ReceivedDatagram&) { return replies; };
}

class DiscoveryTest : public testing::Test
{
protected:
    DiscoveryTest() { ConfigureDiscoveryEndpoint(m_endpoint); }

    std::vector<TModelParm> search()
    {
        std::vector<TModelParm> rows;
        RunSearch(m_endpoint, [&rows](const TModelParm& entry) { rows.push_back(entry); });
        return rows;
    }

    UdpEndpoint m_endpoint;
    FakeMivexAdv m_library;
};

TEST_F(DiscoveryTest, SilenceGivesNoRowsAndStillAsksTheLibrary)
{
    EXPECT_TRUE(search().empty());
    EXPECT_EQ(m_library.functionNames(), (std::vector<std::string>{"MX_SearchAll", "MX_GetSearchDev"}));
}

TEST_F(DiscoveryTest, OnlyLibraryModulesWhenNoneAnswersTheProbe)
{
    m_library.setSearchResults({FakeMivexAdv::SearchResult::of("10.77.0.21", "00-1A-2B-00-00-21", 7, 8080),
                                FakeMivexAdv::SearchResult::of("10.77.0.22", "00-1A-2B-00-00-22", 200, -5)});
    const auto rows = search();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Ip, "10.77.0.21");
    EXPECT_EQ(rows[0].Mac, "00-1A-2B-00-00-21");
    EXPECT_EQ(rows[0].LibraryTag, 7);
    EXPECT_EQ(rows[0].Port, 8080);
    EXPECT_EQ(rows[0].ViaCommandProtocol, 0);
    EXPECT_EQ(rows[1].LibraryTag, 200);
    EXPECT_EQ(rows[1].Port, -5);
    EXPECT_EQ(m_library.count("MX_GetSearchDev"), 3);
}

TEST_F(DiscoveryTest, ProbeIsOneByteXBroadcastOnceTo65535)
{
    UdpPeer module("0.0.0.0", kCommandPort, replyWith({}));
    search();
    const auto received = module.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].data, "X");
    EXPECT_EQ(received[0].peerIp, testnet::kPcIp);
}

TEST_F(DiscoveryTest, PhaseOneRowsComeFirstAndTheLibraryWaitsAroundItsSearch)
{
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({"M00-1A-2B-00-00-11/dev"}));
    m_library.setSearchResults({FakeMivexAdv::SearchResult::of("10.77.0.11", "00-1A-2B-00-00-11", 3, 9000)});

    std::vector<std::size_t> libraryCallsSeenBySink;
    std::vector<TModelParm> rows;
    const auto start = Clock::now();
    RunSearch(m_endpoint, [&](const TModelParm& entry) {
        libraryCallsSeenBySink.push_back(m_library.calls().size());
        rows.push_back(entry);
    });

    // One module found by both phases is listed twice, the probe's row first.
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ViaCommandProtocol, 1);
    EXPECT_EQ(rows[0].Ip, testnet::kPcIp); // the wildcard peer answers from the PC's address
    EXPECT_EQ(rows[0].Mac, "00-1A-2B-00-00-11");
    EXPECT_EQ(rows[0].Port, kCommandPort);
    EXPECT_EQ(rows[1].ViaCommandProtocol, 0);
    EXPECT_EQ(rows[1].Ip, "10.77.0.11");
    // Rows reach the sink as they are found, not at the end.
    EXPECT_EQ(libraryCallsSeenBySink, (std::vector<std::size_t>{0, 2}));

    const auto calls = m_library.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].function, "MX_SearchAll");
    EXPECT_GE(calls[0].at - start, std::chrono::milliseconds(150)); // a 50 ms wait, then 100 ms
    EXPECT_GE(calls[1].at - calls[0].at, std::chrono::milliseconds(100));
}

struct MacCase
{
    std::string reply;
    std::string mac;
};

class ProbeReplyMac : public testing::TestWithParam<MacCase>
{
};

TEST_P(ProbeReplyMac, IsTheTextBetweenTheFirstCharacterAndTheFirstSlash)
{
    FakeMivexAdv library;
    UdpEndpoint endpoint;
    ConfigureDiscoveryEndpoint(endpoint);
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({GetParam().reply}));
    std::vector<TModelParm> rows;
    RunSearch(endpoint, [&rows](const TModelParm& entry) { rows.push_back(entry); });
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Mac, GetParam().mac);
    EXPECT_EQ(rows[0].ViaCommandProtocol, 1);
}

INSTANTIATE_TEST_SUITE_P(Replies, ProbeReplyMac,
                         testing::Values(MacCase{"M00-1A-2B-00-00-11/name", "00-1A-2B-00-00-11"},
                                         MacCase{"Mno slash at all", ""}, MacCase{"/slash first", ""},
                                         MacCase{"M/slash second", ""}, MacCase{"MA/third", "A"},
                                         MacCase{"Mmac/with/several/", "mac"}, MacCase{"M", ""},
                                         MacCase{std::string("M\xC9\xE8/x", 5), "\xC9\xE8"}));

TEST_F(DiscoveryTest, ZeroLengthDatagramEndsPhaseOneAndTheRestWaitsForTheNextSearch)
{
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({"Mfirst/", "", "Mbehind/"}));
    const auto first = search();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].Mac, "first");
    // The next search reads what was queued behind the empty datagram before its own replies.
    const auto second = search();
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].Mac, "behind");
    EXPECT_EQ(second[1].Mac, "first");
}

TEST_F(DiscoveryTest, LateReplyIsListedByTheNextSearchOnTheSameSocket)
{
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({"Mslow/"}), 150);
    EXPECT_TRUE(search().empty());
    const std::uint16_t port = m_endpoint.socket()->localPort();
    const auto second = search();
    ASSERT_GE(second.size(), 1u);
    EXPECT_EQ(second[0].Mac, "slow");
    EXPECT_EQ(m_endpoint.socket()->localPort(), port);
}

TEST_F(DiscoveryTest, AnyDatagramInPhaseOneIsListedLikeAModule)
{
    search(); // gives the endpoint its port
    UdpSocket stranger;
    stranger.bind("10.77.0.30", 5000);
    stranger.sendTo(resolveHost(testnet::kPcIp), m_endpoint.socket()->localPort(), "hello");
    const auto rows = search();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Ip, "10.77.0.30");
    EXPECT_EQ(rows[0].Port, 5000);
    EXPECT_EQ(rows[0].Mac, "");
    EXPECT_EQ(rows[0].ViaCommandProtocol, 1);
}

TEST_F(DiscoveryTest, DuplicateRepliesAreAllListed)
{
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({"Mtwice/", "Mtwice/"}));
    const auto rows = search();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Mac, rows[1].Mac);
}

TEST_F(DiscoveryTest, LibraryBuffersWithoutNulGiveExactlyTwentyCharacters)
{
    FakeMivexAdv::SearchResult full;
    full.ipText.fill('1');
    full.macText.fill('m');
    full.secondText.fill('s');
    full.tag = 9;
    m_library.setSearchResults({full});
    const auto rows = search();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Ip, std::string(20, '1'));
    EXPECT_EQ(rows[0].Mac, std::string(20, 'm'));
}

// Runs a search that must raise; gives the rows and the error's text.
std::pair<std::vector<std::string>, std::string> searchExpectingError(UdpEndpoint& endpoint,
                                                                      SearchStats& stats)
{
    std::vector<std::string> macs;
    try {
        RunSearch(
            endpoint, [&macs](const TModelParm& entry) { macs.push_back(entry.Mac); }, &stats);
    } catch (const std::exception& error) {
        return {macs, error.what()};
    }
    ADD_FAILURE() << "nothing raised";
    return {macs, ""};
}

TEST_F(DiscoveryTest, OversizeReplyIsDroppedAndRaisedOnlyAfterBothPhases)
{
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({"Mbefore/", std::string(9000, 'M'), "Mafter/"}));
    m_library.setSearchResults({FakeMivexAdv::SearchResult::of("10.77.0.21", "lib", 1, 1)});
    SearchStats stats;
    const auto [macs, error] = searchExpectingError(m_endpoint, stats);
    EXPECT_EQ(macs, (std::vector<std::string>{"before", "after", "lib"}));
    EXPECT_EQ(error, "Socket Error # 10040\r\nMessage too long.");
    EXPECT_EQ(stats.oversizeReplies, 1u);
    EXPECT_EQ(stats.probeRows, 2u);
    EXPECT_EQ(stats.libraryRows, 1u);
}

TEST_F(DiscoveryTest, FailureInPhaseTwoEndsOnlyItAndTheFirstErrorIsRaised)
{
    m_library.setSearchResults({FakeMivexAdv::SearchResult::of("10.77.0.21", "lib1", 1, 1),
                                FakeMivexAdv::SearchResult::of("10.77.0.22", "lib2", 2, 2)});
    m_library.setHook([this](const FakeMivexAdv::Call& call) {
        if (call.function == "MX_GetSearchDev" && m_library.count("MX_GetSearchDev") == 2)
            throw std::runtime_error("library failed");
    });
    SearchStats stats;
    {
        UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({std::string(9000, 'M'), "Mprobe/"}));
        const auto [macs, error] = searchExpectingError(m_endpoint, stats);
        EXPECT_EQ(macs, (std::vector<std::string>{"probe", "lib1"}));
        EXPECT_EQ(error, "Socket Error # 10040\r\nMessage too long.");
    }
    // Alone, the library's failure is the one raised.
    m_library.clearCalls();
    const auto [macs, error] = searchExpectingError(m_endpoint, stats);
    EXPECT_EQ(macs, (std::vector<std::string>{"lib1"}));
    EXPECT_EQ(error, "library failed");
}

TEST_F(DiscoveryTest, SenderThatNeverStopsCannotHoldPhaseOne)
{
    search(); // gives the endpoint its port
    const std::uint16_t port = m_endpoint.socket()->localPort();
    std::atomic<bool> stop{false};
    std::thread flood([&stop, port] {
        UdpSocket sender;
        sender.bind("10.77.0.30", 0);
        // Far longer than the phase's bound, so phase two starts while it still sends.
        const auto until = Clock::now() + kProbePhaseLimit * 3;
        while (!stop && Clock::now() < until) {
            sender.sendTo(resolveHost(testnet::kPcIp), port, "Mflood/");
            // Far inside the phase's 50 ms wait, so that this thread, woken late on a loaded
            // machine, still leaves it no silence.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    bool floodingAtPhaseTwo = false;
    m_library.setHook([&](const FakeMivexAdv::Call& call) {
        if (call.function == "MX_SearchAll")
            floodingAtPhaseTwo = !stop;
    });
    SearchStats stats;
    RunSearch(
        m_endpoint, [&stop](const TModelParm&) {}, &stats);
    stop = true;
    flood.join();
    EXPECT_TRUE(floodingAtPhaseTwo);
    EXPECT_TRUE(stats.probePhaseCut);
    EXPECT_GT(stats.probeRows, 0u);
}

TEST_F(DiscoveryTest, LibraryThatNeverEndsIsCutAtTheRowLimit)
{
    m_library.setSearchResults(std::vector<FakeMivexAdv::SearchResult>(
        kLibraryRowLimit + 10, FakeMivexAdv::SearchResult::of("10.77.0.21", "lib", 1, 1)));
    SearchStats stats;
    std::size_t rows = 0;
    RunSearch(
        m_endpoint, [&rows](const TModelParm&) { ++rows; }, &stats);
    EXPECT_EQ(rows, static_cast<std::size_t>(kLibraryRowLimit));
    EXPECT_TRUE(stats.libraryPhaseCut);
    EXPECT_FALSE(stats.probePhaseCut);
}

// Leaves garbage where the next call's locals will live.
[[gnu::noinline]] void dirtyTheStack()
{
    volatile char junk[16384];
    for (std::size_t i = 0; i < sizeof junk; ++i)
        junk[i] = 'Z';
}

TEST_F(DiscoveryTest, LibraryReportingAModuleWithoutWritingGivesAnEmptyRow)
{
    // Success with every out-argument untouched, once; the second call ends the search.
    m_library.setSearchEndStatus(1);
    m_library.setHook([this](const FakeMivexAdv::Call& call) {
        if (call.function == "MX_GetSearchDev" && m_library.count("MX_GetSearchDev") == 2)
            m_library.setSearchEndStatus(0);
    });
    dirtyTheStack();
    const auto rows = search();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Ip, "");
    EXPECT_EQ(rows[0].Mac, "");
    EXPECT_EQ(rows[0].Port, 0);
    EXPECT_EQ(rows[0].LibraryTag, 0);
}

TEST_F(DiscoveryTest, RepliesTheBufferCouldNotHoldAreCountedNotLostSilently)
{
    m_endpoint.SocketReceiveBuffer = 1; // the OS's least, so a burst overflows it
    constexpr std::size_t kReplies = 300;
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith(std::vector<std::string>(kReplies, "Mburst/")));
    SearchStats stats;
    RunSearch(
        m_endpoint, [](const TModelParm&) {}, &stats);
    ASSERT_TRUE(stats.droppedByOs.has_value());
    EXPECT_EQ(stats.probeRows + *stats.droppedByOs, kReplies);
    EXPECT_GT(*stats.droppedByOs, 0u);
}

TEST_F(DiscoveryTest, LibraryEndStatusOtherThanOneEndsTheSearch)
{
    auto first = FakeMivexAdv::SearchResult::of("10.77.0.21", "a", 1, 1);
    auto second = FakeMivexAdv::SearchResult::of("10.77.0.22", "b", 2, 2);
    second.status = 2; // anything but 1 ends the loop, whatever the buffers hold
    m_library.setSearchResults({first, second});
    const auto rows = search();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Ip, "10.77.0.21");
}

// Which rows of a search share an address: command rows only, told apart by MAC.
TEST(MarkSharedIps, MarksCommandRowsWhoseAddressAnotherModuleAnswersAt)
{
    const auto row = [](const char* ip, const char* mac, std::uint8_t viaCommands) {
        return TModelParm{mac, ip, 65535, viaCommands, 0};
    };
    std::vector<TModelParm> rows{
        row("10.77.0.50", "00-1A-2B-3C-00-AA", 1), // shares with the next
        row("10.77.0.50", "00-1A-2B-3C-00-BB", 1),
        row("10.77.0.50", "00-1A-2B-3C-00-CC", 0), // the library's rows never share
        row("10.77.0.11", "00-1A-2B-3C-00-11", 1), // listed twice: one module
        row("10.77.0.11", "00:1a:2b:3c:00:11", 1),
        row("10.77.0.11", "00-1A-2B-3C-00-11", 0), // and once more by the library
        row("10.77.0.12", "", 1),                  // no MAC twice: maybe one module
        row("10.77.0.12", "", 1),
    };
    rows[3].SharedIp = true; // a stale mark goes
    MarkSharedIps(rows);
    std::vector<bool> marks;
    for (const TModelParm& entry : rows)
        marks.push_back(entry.SharedIp);
    EXPECT_EQ(marks, (std::vector<bool>{true, true, false, false, false, false, false, false}));

    // A write moved the first module to its own address: both marks go.
    rows[0].Ip = "10.77.0.51";
    MarkSharedIps(std::span(rows).first(2));
    EXPECT_FALSE(rows[0].SharedIp);
    EXPECT_FALSE(rows[1].SharedIp);
}

// ---- every card

TEST(CardEndpointsTest, FollowTheCardsKeepingTheEndpointsOfThoseThatStay)
{
    std::vector<std::string> cards{"10.77.0.1"};
    CardEndpoints endpoints([&cards] { return cards; });
    const auto addresses = [&endpoints] {
        std::vector<std::string> result;
        for (const auto& endpoint : endpoints.endpoints())
            result.push_back(endpoint->LocalAddress);
        return result;
    };
    endpoints.refresh();
    ASSERT_EQ(addresses(), cards);
    const UdpEndpoint* first = endpoints.endpoints().front().get();
    EXPECT_TRUE(first->BroadcastEnabled);
    EXPECT_EQ(first->ReceiveTimeout, 1000);
    EXPECT_EQ(first->SocketReceiveBuffer, kDiscoveryReceiveBuffer);

    cards = {"10.78.0.1", "10.77.0.1"}; // a card came
    endpoints.refresh();
    EXPECT_EQ(addresses(), cards);
    EXPECT_EQ(endpoints.endpoints()[1].get(), first);
    cards = {"10.77.0.1"}; // and went
    endpoints.refresh();
    EXPECT_EQ(addresses(), cards);
    EXPECT_EQ(endpoints.endpoints()[0].get(), first);
    cards.clear(); // none listed: one unbound endpoint, by the default route
    endpoints.refresh();
    EXPECT_EQ(addresses(), std::vector<std::string>{""});
}

TEST_F(DiscoveryTest, ACardWhoseSocketFailsIsLeftOutAndItsErrorRaisedAtTheEnd)
{
#ifdef _WIN32
    // Windows refuses an address no card holds (10049); Wine binds it.
    if (testnet::runningUnderWine())
        GTEST_SKIP() << "Wine binds a local address that no interface holds";
#endif
    UdpPeer wildcard("0.0.0.0", kCommandPort, replyWith({"M00-1A-2B-00-00-11/dev"}));
    m_library.setSearchResults({FakeMivexAdv::SearchResult::of("10.77.0.21", "lib", 1, 1)});
    // An address no card holds (any more): its endpoint cannot bind.
    CardEndpoints cards([] { return std::vector<std::string>{"10.99.0.1", testnet::kPcIp}; });
    std::vector<TModelParm> rows;
    try {
        RunSearch(cards, [&rows](const TModelParm& entry) { rows.push_back(entry); });
        ADD_FAILURE() << "nothing raised";
    } catch (const SocketError& error) {
        EXPECT_STREQ(error.what(), "Socket Error # 10049\r\nCannot assign requested address.");
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Mac, "00-1A-2B-00-00-11");
    EXPECT_EQ(rows[0].Via, testnet::kPcIp);
    EXPECT_EQ(rows[1].Mac, "lib");
    EXPECT_EQ(rows[1].Via, "");
}

} // namespace
