// ExchangeCommand's judgement of any reply, and a whole read over the command road when
// every reply is the fuzzer's: what is accepted, what each field takes from its reply,
// and that the run ends with "O" (unless a transport error ended it). A command met by
// silence is sent again, up to three times in all.
#include "FakeNet.h"
#include "FuzzCheck.h"
#include "NumText.h"
#include "SwTcpFunc.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>

namespace {

struct Script
{
    FuzzedDataProvider& provider;
    std::map<std::string, std::string> replyTo; // the last reply given to each request

    std::optional<ReceivedDatagram> operator()(const std::vector<fakenet::Sent>& sent)
    {
        if (provider.ConsumeIntegralInRange(0, 9) == 0) {
            // A request sent again (the read run once more by MAC) must not keep its old reply.
            replyTo.erase(sent.back().data);
            return std::nullopt;
        }
        std::string data;
        switch (provider.ConsumeIntegralInRange(0, 3)) {
        case 0:
            data = provider.ConsumeRandomLengthString(60);
            break;
        case 1:
            data = std::string(provider.ConsumeIntegralInRange(8000, 9000), 'A');
            break;
        default:
            data = "A" + provider.ConsumeRandomLengthString(60);
            break;
        }
        replyTo[sent.back().data] = data;
        return ReceivedDatagram{data, "10.77.0.11", 65535};
    }
};

bool accepted(const std::string& reply)
{
    return !reply.empty() && reply[0] == 'A';
}

// The run's commands with each one's tries counted once; false when a command went more
// often than it may.
bool collapse(const std::vector<fakenet::Sent>& sent, std::vector<std::string>& commands)
{
    std::size_t repeats = 0;
    for (const fakenet::Sent& s : sent) {
        if (!commands.empty() && commands.back() == s.data) {
            if (++repeats >= static_cast<std::size_t>(exchangeTries(s.data)))
                return false;
            continue;
        }
        repeats = 0;
        commands.push_back(s.data);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    Script script{provider, {}};
    fakenet::reset(std::ref(script));

    const std::string command = provider.PickValueInArray({"E", "L", "GON", "SIP10.77.0.11"});
    std::string value = "stale";
    try {
        const bool ok = ExchangeCommand(provider.ConsumeBool() ? "10.77.0.11" : "", command, 65535, value);
        const auto reply = script.replyTo.find(command);
        const std::string got = reply == script.replyTo.end() ? std::string() : reply->second;
        FUZZ_CHECK(ok == (got.empty() ? command == "E" : got[0] == 'A'));
        FUZZ_CHECK(value == (ok && !got.empty() ? got.substr(1) : std::string()));
    } catch (const SocketError&) {
        FUZZ_CHECK(script.replyTo.at(command).size() > 8192);
    }

    script.replyTo.clear();
    fakenet::reset(std::ref(script));
    TModelParm entry;
    entry.Ip = "10.77.0.11";
    entry.Mac = provider.ConsumeRandomLengthString(20);
    TModelConfig config;
    bool ok = false;
    try {
        ok = ReadConfigByCommands(entry, config);
    } catch (const SocketError&) {
        FUZZ_CHECK(script.replyTo.at(fakenet::sent().back().data).size() > 8192);
        return 0;
    }
    const auto& sent = fakenet::sent();
    FUZZ_CHECK(!sent.empty() && sent.front().data == "L" && sent.back().data == "O");
    std::vector<std::string> commands;
    FUZZ_CHECK(collapse(sent, commands));
    // A read that got another module's MAC is run once more by the entry's MAC: "W", "L",
    // seventeen reads, "O".
    const std::size_t again = config.ReachedByMac ? 20 : 0;
    FUZZ_CHECK(commands.size() <= 21 + again);
    if (config.ReachedByMac)
        FUZZ_CHECK(commands.back() == "O" &&
                   std::count(commands.begin(), commands.end(), "W" + entry.Mac) >= 1);
    const auto valueOf = [&](const char* code) { return script.replyTo.at(code).substr(1); };
    if (ok) {
        FUZZ_CHECK(commands.size() == 19 + again || commands.size() == 21 + again);
        // Read at the address, a module is read only when it is the entry's.
        if (!config.ReachedByMac && !entry.Mac.empty())
            FUZZ_CHECK(sameMac(config.MacAddress, entry.Mac));
        for (const char* code : {"GON", "GDN", "GFE", "GDH", "GIP", "GPN", "GTP", "GRM", "GDI", "GDP", "GGI",
                                 "GNM", "GBR", "GPR", "GBB", "GFC", "GDT"})
            FUZZ_CHECK(accepted(script.replyTo.at(code)));
        FUZZ_CHECK(config.UserName == valueOf("GON") && config.DeviceName == valueOf("GDN"));
        FUZZ_CHECK(config.MacAddress == valueOf("GFE") && config.IpAddress == valueOf("GIP"));
        FUZZ_CHECK(config.TargetIp == valueOf("GDI") && config.Gateway == valueOf("GGI"));
        FUZZ_CHECK(config.NetMask == valueOf("GNM"));
        FUZZ_CHECK(config.LocalPort == lenientToInt(valueOf("GPN")));
        FUZZ_CHECK(config.BaudIndex == static_cast<std::uint8_t>(lenientToInt(valueOf("GBR"))));
        FUZZ_CHECK(config.StopBitsIndex == TModelConfig{}.StopBitsIndex);
    } else {
        // The command before "O" is the one that was not accepted.
        const auto failed = script.replyTo.find(sent[sent.size() - 2].data);
        FUZZ_CHECK(failed == script.replyTo.end() || !accepted(failed->second));
    }
    return 0;
}
