// A simulated module of each kind receiving any datagrams, in any order, by any arrival:
// it never crashes, answers within bounds, and keeps only values it can hold.
#include "CommandModule.h"
#include "FuzzCheck.h"
#include "LibraryModule.h"
#include "MxWire.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

// Requests that reach deep: well-formed library messages with the module's tag and password.
std::string libraryRequest(FuzzedDataProvider& provider)
{
    mx::Message message{static_cast<mx::MessageType>(provider.PickValueInArray({'S', 'G', 'M', 'C', 'K'})),
                        {provider.ConsumeRandomLengthString(12)}};
    if (message.type == mx::MessageType::Fetch || message.type == mx::MessageType::Modify)
        message.fields.push_back(provider.ConsumeBool() ? "7" : provider.ConsumeRandomLengthString(4));
    if (message.type == mx::MessageType::Modify) {
        message.fields.push_back(provider.ConsumeBool() ? sim::kWritePassword : "x");
        const auto& keys = sim::libraryKeys();
        for (int pairs = provider.ConsumeIntegralInRange(0, 16); pairs > 0; --pairs) {
            message.fields.push_back(
                provider.ConsumeBool()
                    ? keys[provider.ConsumeIntegralInRange<std::size_t>(0, keys.size() - 1)]
                    : provider.ConsumeRandomLengthString(12));
            const auto length = provider.ConsumeIntegralInRange<std::size_t>(0, 9000);
            message.fields.push_back(
                std::string(length, static_cast<char>(provider.ConsumeIntegral<char>())));
        }
    }
    return mx::encode(message);
}

std::string commandRequest(FuzzedDataProvider& provider)
{
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> all{"X", "L", "E", "O", "W00-1A-2B-00-00-11", "W"};
        all.insert(all.end(), sim::readCodes().begin(), sim::readCodes().end());
        all.insert(all.end(), sim::writeCodes().begin(), sim::writeCodes().end());
        return all;
    }();
    return provider.ConsumeBool() ? codes[provider.ConsumeIntegralInRange<std::size_t>(0, codes.size() - 1)] +
                                        provider.ConsumeRandomLengthString(40)
                                  : provider.ConsumeRandomLengthString(200);
}

void checkReply(const sim::ModuleReply& reply)
{
    FUZZ_CHECK(reply.datagrams.size() <= 2);
    FUZZ_CHECK(reply.delayMs >= 0);
    for (const auto& datagram : reply.datagrams)
        FUZZ_CHECK(datagram.size() <= std::max(sim::kOversizeBytes, mx::kMaxMessageSize));
}

sim::Fault fault(FuzzedDataProvider& provider)
{
    return {static_cast<sim::FaultKind>(provider.ConsumeIntegralInRange(0, 7)),
            provider.ConsumeIntegralInRange(0, 100)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    sim::CommandModule command(sim::commandModule("10.77.0.11", "00-1A-2B-00-00-11"));
    sim::LibraryModule library(sim::libraryModule("10.77.0.31", "00-4D-58-00-00-31", 7));
    std::mt19937 rng(1);
    while (provider.remaining_bytes() > 0) {
        const bool own = provider.ConsumeBool();
        switch (provider.ConsumeIntegralInRange(0, 4)) {
        case 0:
            checkReply(command.receive(commandRequest(provider), own, rng));
            break;
        case 1:
            checkReply(library.receive(libraryRequest(provider), own, "10.77.0.1", 40000));
            break;
        case 2:
            checkReply(library.receive(provider.ConsumeRandomLengthString(300), own, "10.77.0.1", 40001));
            break;
        case 3:
            command.setFault(commandRequest(provider).substr(0, 3), fault(provider));
            break;
        default:
            library.setFault(
                provider.PickValueInArray({sim::kSearchFault, sim::kFetchFault, sim::kModifyFault}),
                fault(provider));
            break;
        }
    }
    // Only the codes and keys a module has; a library module's configuration always fits a fetch.
    const auto& codes = sim::readCodes();
    for (const auto& [code, value] : command.spec().values)
        FUZZ_CHECK(std::find(codes.begin(), codes.end(), code) != codes.end());
    for (const auto& [code, value] : command.staged())
        FUZZ_CHECK(std::find(codes.begin(), codes.end(), code) != codes.end());
    const auto& keys = sim::libraryKeys();
    for (const auto& [key, value] : library.spec().values)
        FUZZ_CHECK(std::find(keys.begin(), keys.end(), key) != keys.end());
    FUZZ_CHECK(sim::configFits(library.spec()));
    return 0;
}
