// A search over any probe replies and any library search results: one row per reply that
// fits the receive buffer, in order, until an empty one or silence; one row per result the
// library reports, its texts cut at the first NUL or after 20 bytes.
#include "Discovery.h"
#include "FakeMivexAdv.h"
#include "FakeNet.h"
#include "FuzzCheck.h"
#include "net.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>

void PauseMs(int) {} // the protocol's pauses add nothing here but time

namespace {

std::string textOf(const std::array<char, 20>& buffer)
{
    return std::string(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
}

std::string expectedMac(const std::string& reply)
{
    const auto slash = reply.find('/');
    return slash == std::string::npos || slash < 2 ? std::string() : reply.substr(1, slash - 1);
}

std::array<char, 20> buffer(FuzzedDataProvider& provider)
{
    std::array<char, 20> bytes{};
    const std::string text = provider.ConsumeBytesAsString(20);
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    std::vector<ReceivedDatagram> delivered;
    fakenet::reset([&](const std::vector<fakenet::Sent>&) -> std::optional<ReceivedDatagram> {
        if (provider.remaining_bytes() == 0 || !provider.ConsumeBool())
            return std::nullopt;
        ReceivedDatagram reply{provider.ConsumeBool()
                                   ? std::string(provider.ConsumeIntegralInRange(8100, 9000), '/')
                                   : provider.ConsumeRandomLengthString(100),
                               "10.77.0." + std::to_string(provider.ConsumeIntegral<std::uint8_t>()),
                               provider.ConsumeIntegral<std::uint16_t>()};
        delivered.push_back(reply);
        return reply;
    });
    FakeMivexAdv library;
    std::vector<FakeMivexAdv::SearchResult> results(provider.ConsumeIntegralInRange(0, 30));
    for (auto& result : results) {
        result.ipText = buffer(provider);
        result.secondText = buffer(provider);
        result.macText = buffer(provider);
        result.tag = provider.ConsumeIntegral<std::uint8_t>();
        result.secondByte = provider.ConsumeIntegral<std::uint8_t>();
        result.port = provider.ConsumeIntegral<std::int32_t>();
        result.status =
            provider.ConsumeIntegralInRange(0, 9) == 0 ? provider.ConsumeIntegral<std::int32_t>() : 1;
    }
    library.setSearchResults(results);

    std::vector<TModelParm> rows;
    UdpEndpoint endpoint;
    ConfigureDiscoveryEndpoint(endpoint);
    bool raised = false;
    try {
        RunSearch(endpoint, [&](const TModelParm& entry) { rows.push_back(entry); });
    } catch (const SocketError&) {
        raised = true; // a datagram past the buffer is raised, at once or after the search
    }

    std::size_t row = 0;
    for (const auto& reply : delivered) {
        if (reply.data.size() > static_cast<std::size_t>(endpoint.BufferSize))
            continue;
        if (reply.data.empty())
            break;
        FUZZ_CHECK(row < rows.size());
        FUZZ_CHECK(rows[row].ViaCommandProtocol == 1);
        FUZZ_CHECK(rows[row].Ip == reply.peerIp && rows[row].Port == reply.peerPort);
        FUZZ_CHECK(rows[row].Mac == expectedMac(reply.data));
        ++row;
    }
    if (raised && rows.size() == row)
        return 0; // the error ended the search in its first phase
    FUZZ_CHECK(fakenet::sent().size() == 1 && fakenet::sent()[0].data == "X");
    for (const auto& result : results) {
        if (result.status != 1 || row == rows.size())
            break;
        FUZZ_CHECK(rows[row].ViaCommandProtocol == 0);
        FUZZ_CHECK(rows[row].Ip == textOf(result.ipText) && rows[row].Mac == textOf(result.macText));
        FUZZ_CHECK(rows[row].LibraryTag == result.tag && rows[row].Port == result.port);
        ++row;
    }
    FUZZ_CHECK(row == rows.size());
    return 0;
}
