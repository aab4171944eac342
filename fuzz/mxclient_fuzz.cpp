// The stand-in library's seven functions and its client, over a scripted network that hands
// them any reply: raw bytes, or well-formed messages with any fields, carrying the request's
// nonce or now and then another, which must be ignored. Out-buffers are exactly as large as
// the caller's, so AddressSanitizer sees any write past them; every status is 0 or 1; a
// value read back is what the reply carried.
#include "FakeNet.h"
#include "FuzzCheck.h"
#include "MivexAdv.h"
#include "MxWire.h"

#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <memory>

namespace {

// The last datagram the script handed out: an accepted fetch returns on it.
std::string g_lastReply;

std::optional<ReceivedDatagram> reply(FuzzedDataProvider& provider, const std::vector<fakenet::Sent>& sent)
{
    if (provider.remaining_bytes() == 0 || provider.ConsumeIntegralInRange(0, 7) == 0)
        return std::nullopt;
    ReceivedDatagram datagram{{}, "10.77.0.31", 41799};
    const auto request = sent.empty() ? std::nullopt : mx::decode(sent.back().data);
    if (!request || provider.ConsumeIntegralInRange(0, 3) == 0) {
        datagram.data = provider.ConsumeRandomLengthString(70000);
        g_lastReply = datagram.data;
        return datagram;
    }
    // As a late answer to another request would.
    const std::string nonce =
        provider.ConsumeIntegralInRange(0, 3) == 0 ? request->fields[0] + "1" : request->fields[0];
    mx::Message message{static_cast<mx::MessageType>(provider.PickValueInArray({'R', 'C', 'K', 'N', 'S'})),
                        {nonce}};
    for (int fields = provider.ConsumeIntegralInRange(0, 20); fields > 0; --fields) {
        const auto length = provider.ConsumeIntegralInRange<std::size_t>(0, 300);
        message.fields.push_back(provider.ConsumeBool()
                                     ? provider.ConsumeRandomLengthString(length)
                                     : std::string(length, provider.ConsumeIntegral<char>()));
    }
    datagram.data = mx::encode(message);
    g_lastReply = datagram.data;
    return datagram;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    fakenet::reset([&](const std::vector<fakenet::Sent>& sent) { return reply(provider, sent); });

    FUZZ_CHECK(MX_SearchAll() == 1);
    for (int found = 0;; ++found) {
        auto ip = std::make_unique<char[]>(kMxSearchTextSize);
        auto second = std::make_unique<char[]>(kMxSearchTextSize);
        auto mac = std::make_unique<char[]>(kMxSearchTextSize);
        std::uint8_t tag = 0, version = 0;
        std::int32_t port = 0;
        const auto status = MX_GetSearchDev(ip.get(), second.get(), mac.get(), &tag, &version, &port);
        FUZZ_CHECK(status == 0 || status == 1);
        if (status != 1)
            break;
        FUZZ_CHECK(found < 256 + 1000);
        FUZZ_CHECK(std::memchr(ip.get(), 0, kMxSearchTextSize) &&
                   std::memchr(mac.get(), 0, kMxSearchTextSize));
    }

    const char* keys[] = {"NAME", "IP", "C1_PORT", "", "K"};
    for (int round = 0; round < 3 && provider.remaining_bytes() > 0; ++round) {
        const auto fetched = MX_GetDevInfoUDPbyIP("10.77.0.31", provider.ConsumeIntegral<std::int32_t>());
        FUZZ_CHECK(fetched == 0 || fetched == 1);
        std::map<std::string, std::string> carried;
        if (fetched == 1) {
            const auto config = mx::decode(g_lastReply);
            FUZZ_CHECK(config && config->type == mx::MessageType::Config);
            FUZZ_CHECK(config->fields[0] == mx::decode(fakenet::sent().back().data)->fields[0]);
            for (std::size_t i = 1; i + 1 < config->fields.size(); i += 2)
                carried[config->fields[i]] = config->fields[i + 1];
        }
        for (const char* key : keys) {
            auto value = std::make_unique<char[]>(kMxValueSize);
            const auto got = MX_GetDevConfigUDP(key, value.get());
            FUZZ_CHECK(got == 0 || got == 1);
            FUZZ_CHECK(got == static_cast<int>(carried.count(key)));
            FUZZ_CHECK(std::memchr(value.get(), 0, kMxValueSize) != nullptr);
            if (got == 1)
                FUZZ_CHECK(
                    std::string(value.get()) ==
                    carried[key].substr(0, std::min(carried[key].find('\0'), std::size_t{kMxValueSize - 1})));
        }
    }

    MX_ResetModifyConfigUDP();
    std::vector<std::string> texts;
    for (int pairs = provider.ConsumeIntegralInRange(0, 20); pairs > 0; --pairs) {
        texts.push_back(provider.ConsumeRandomLengthString(30));
        texts.push_back(provider.ConsumeRandomLengthString(3000));
    }
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2)
        MX_SetModifyConfigUDP(texts[i].c_str(), texts[i + 1].c_str());
    const auto sentBefore = fakenet::sent().size();
    const auto modified =
        MX_ModifyDevUDPbyIP(provider.ConsumeBool() ? "10.77.0.31" : "no.such.host", "52417", 7);
    FUZZ_CHECK(modified == 0 || modified == 1);
    // At most two sends for one modify and two for the fetch that settles a lost answer;
    // nothing sent means nothing could be accepted.
    FUZZ_CHECK(fakenet::sent().size() - sentBefore <= 4);
    FUZZ_CHECK(modified == 0 || fakenet::sent().size() > sentBefore);
    FUZZ_CHECK(MX_GetSearchDev(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) == 0);
    fakenet::reset(nullptr);
    return 0;
}
