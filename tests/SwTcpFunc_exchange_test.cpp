#include "PrivateNetwork.h"
#include "SwTcpFunc.h"
#include "UdpPeer.h"
#include "net.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

UdpPeer::Responder replyWith(std::vector<std::string> replies)
{
    return [replies](const ReceivedDatagram&) { return replies; };
}

struct ReplyCase
{
    const char* command;
    std::vector<std::string> replies; // none: silence
    bool ok;
    std::string value;
    std::size_t sends = 1; // silence is tried again, except after "E" and "O"
};

class ExchangeReplies : public testing::TestWithParam<ReplyCase>
{
};

TEST_P(ExchangeReplies, AreJudgedByTheirFirstByte)
{
    const ReplyCase& c = GetParam();
    UdpPeer module(testnet::moduleIp(1), kCommandPort, replyWith(c.replies));
    std::string value = "stale";
    EXPECT_EQ(ExchangeCommand(testnet::moduleIp(1), c.command, kCommandPort, value), c.ok);
    EXPECT_EQ(value, c.value);
    const auto received = module.received();
    ASSERT_EQ(received.size(), c.sends);
    for (std::size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i].data, c.command); // the command's bytes and nothing else
        if (i > 0) {                            // each try from a fresh endpoint
            EXPECT_NE(received[i].peerPort, received[i - 1].peerPort);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ExchangeReplies,
    testing::Values(
        ReplyCase{"GON", {"Aadmin"}, true, "admin"}, ReplyCase{"GON", {"A"}, true, ""},
        ReplyCase{"SBR3", {"A"}, true, ""}, ReplyCase{"GON", {"aadmin"}, false, ""},
        ReplyCase{"GON", {"Nadmin"}, false, ""}, ReplyCase{"GON", {"N"}, false, ""},
        ReplyCase{"GON", {""}, false, "", 3}, ReplyCase{"GON", {}, false, "", 3},
        ReplyCase{"E", {}, true, ""}, ReplyCase{"E", {""}, true, ""}, ReplyCase{"E", {"N"}, false, ""},
        ReplyCase{"E", {"A"}, true, ""}, ReplyCase{"L", {}, false, "", 3},
        ReplyCase{"W00-1A", {}, false, "", 3}, ReplyCase{"O", {}, false, ""},
        ReplyCase{
            "GDN", {std::string("A\xC9\xE8\xB1\xB8\0x", 7)}, true, std::string("\xC9\xE8\xB1\xB8\0x", 6)}),
    [](const testing::TestParamInfo<ReplyCase>& param) { return "case" + std::to_string(param.index); });

TEST(ExchangeCommand, EveryCommandLeavesFromAFreshSocket)
{
    UdpPeer module(testnet::moduleIp(1), kCommandPort, replyWith({"A"}));
    std::string value;
    ASSERT_TRUE(ExchangeCommand(testnet::moduleIp(1), "L", kCommandPort, value));
    ASSERT_TRUE(ExchangeCommand(testnet::moduleIp(1), "O", kCommandPort, value));
    const auto received = module.received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_NE(received[0].peerPort, received[1].peerPort);
}

TEST(ExchangeCommand, ReplyAfterTheFiftyMillisecondWaitIsAFailure)
{
    // Each try's reply arrives during the next try, which must not take it.
    UdpPeer module(testnet::moduleIp(1), kCommandPort, replyWith({"Alate"}), 70);
    std::string value;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ExchangeCommand(testnet::moduleIp(1), "GON", kCommandPort, value));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(190));
    EXPECT_EQ(value, "");
    EXPECT_EQ(module.received().size(), 3u);
}

TEST(ExchangeCommand, ALostDatagramCostsOneMoreTry)
{
    // The first request is lost; the second is answered.
    auto seen = std::make_shared<int>(0);
    UdpPeer module(testnet::moduleIp(1), kCommandPort, [seen](const ReceivedDatagram&) {
        return ++*seen == 1 ? std::vector<std::string>{} : std::vector<std::string>{"Aadmin"};
    });
    std::string value;
    EXPECT_TRUE(ExchangeCommand(testnet::moduleIp(1), "GON", kCommandPort, value));
    EXPECT_EQ(value, "admin");
    EXPECT_EQ(module.received().size(), 2u);
}

TEST(ExchangeCommand, BroadcastTakesTheFirstReplyAndDropsTheRest)
{
    // Two modules on the wildcard address hear the broadcast; the slower one's reply
    // must not reach the next transaction.
    UdpPeer fast("0.0.0.0", kCommandPort, replyWith({"Afast"}));
    UdpPeer slow("0.0.0.0", kCommandPort, replyWith({"Aslow"}), 20);
    std::string value;
    EXPECT_TRUE(ExchangeCommand("", "GON", kCommandPort, value));
    EXPECT_EQ(value, "fast");
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let the slow one answer too
    EXPECT_EQ(fast.received().size(), 1u);
    EXPECT_EQ(slow.received().size(), 1u);

    UdpPeer other(testnet::moduleIp(2), kCommandPort, replyWith({"Aother"}), 30);
    EXPECT_TRUE(ExchangeCommand(testnet::moduleIp(2), "GDN", kCommandPort, value));
    EXPECT_EQ(value, "other");
}

TEST(ExchangeCommand, ReceiveFailureIsRaisedNotTakenForSilence)
{
    UdpPeer module(testnet::moduleIp(1), kCommandPort, replyWith({"A" + std::string(9000, 'x')}));
    std::string value;
    try {
        ExchangeCommand(testnet::moduleIp(1), "GON", kCommandPort, value);
        FAIL() << "nothing raised";
    } catch (const SocketError& error) {
        EXPECT_EQ(std::string(error.what()), "Socket Error # 10040\r\nMessage too long.");
    }
}

TEST(ExchangeCommand, PortUnreachableIsSilenceOnLinux)
{
    // Nothing listens at the module's port: the ICMP refusal reaches no unconnected Linux
    // socket, so the exchange fails quietly (Windows raises 10054 here).
    std::string value = "stale";
    EXPECT_FALSE(ExchangeCommand(testnet::moduleIp(1), "L", kCommandPort, value));
    EXPECT_FALSE(ExchangeCommand("127.0.0.1", "L", kCommandPort, value));
    EXPECT_EQ(value, "");
}

TEST(ExchangeCommand, SendFailureIsRaised)
{
    std::string value;
    EXPECT_THROW(ExchangeCommand("no-such-module.tcpmod.test", "L", kCommandPort, value), SocketError);
}

} // namespace
