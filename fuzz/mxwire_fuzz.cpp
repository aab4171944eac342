// The stand-in library's wire format: any bytes decode or not, and what decodes is exactly
// what encodes back; any message within the size limit survives a round trip.
#include "FuzzCheck.h"
#include "MxWire.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto message = mx::decode(bytes)) {
        FUZZ_CHECK(mx::encode(*message) == bytes);
        FUZZ_CHECK(message->fields.size() >= mx::minimumFields(message->type));
    }

    FuzzedDataProvider provider(data, size);
    mx::Message built{
        static_cast<mx::MessageType>(provider.PickValueInArray({'S', 'R', 'G', 'C', 'M', 'K', 'N'})), {}};
    while (provider.remaining_bytes() > 0)
        built.fields.push_back(provider.ConsumeRandomLengthString(400));
    const std::string encoded = mx::encode(built);
    const auto decoded = mx::decode(encoded);
    if (decoded)
        FUZZ_CHECK(*decoded == built);
    else
        FUZZ_CHECK(encoded.size() > mx::kMaxMessageSize ||
                   built.fields.size() < mx::minimumFields(built.type) ||
                   built.type == mx::MessageType::Config || built.type == mx::MessageType::Modify ||
                   built.fields.size() != mx::minimumFields(built.type));

    // Numbers on the wire: plain decimal only.
    const auto number = mx::parseUnsigned(bytes.substr(0, 12), 4294967295u);
    if (number)
        FUZZ_CHECK(std::to_string(*number) == bytes.substr(0, 12));
    return 0;
}
