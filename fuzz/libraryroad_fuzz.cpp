// The library road over any fourteen values and any statuses from the library: a read
// stores texts exactly and numbers by the strict scan, or fails, or raises the conversion
// error naming the value; what it read writes back with its texts unchanged.
#include "FakeMivexAdv.h"
#include "FuzzCheck.h"
#include "NumText.h"
#include "SwTcpFunc.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

const char* const kKeys[] = {"NAME",    "MAC",      "IP_MODE",   "IP",         "MASK",
                             "GATEWAY", "C1_OP",    "C1_PORT",   "C1_CLI_IP1", "C1_CLI_PP1",
                             "C1_BAUD", "C1_STOPB", "C1_PARITY", "C1_DATAB"};

std::string pending(const FakeMivexAdv& library, const std::string& key)
{
    for (const auto& [name, value] : library.pendingAtModify())
        if (name == key)
            return value;
    return "(not staged)";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    FakeMivexAdv library;
    std::map<std::string, std::string> values;
    for (const char* key : kKeys) {
        values[key] = provider.ConsumeBool() ? decimalText(provider.ConsumeIntegral<std::int32_t>())
                                             : provider.ConsumeRandomLengthString(100);
        library.setValue(key, values[key]);
        if (provider.ConsumeIntegralInRange(0, 20) == 0)
            library.setConfigStatus(key, provider.ConsumeIntegral<std::int32_t>());
    }
    if (provider.ConsumeIntegralInRange(0, 5) == 0)
        library.setDevInfoStatusAt(provider.ConsumeIntegralInRange(0, 13),
                                   provider.ConsumeIntegral<std::int32_t>());
    const std::int32_t modifyStatus =
        provider.ConsumeIntegralInRange(0, 3) == 0 ? provider.ConsumeIntegral<std::int32_t>() : 1;
    library.setModifyStatus(modifyStatus);

    TModelConfig config;
    bool ok = false;
    try {
        ok = ReadConfigByLibrary("10.77.0.31", 7, config);
    } catch (const ConvertError& error) {
        const std::string message = error.what();
        bool named = false;
        for (const auto& [key, value] : values)
            named = named ||
                    message == "'" + value.substr(0, value.find('\0')) + "' is not a valid integer value";
        FUZZ_CHECK(named);
        return 0;
    }
    FUZZ_CHECK(library.count("MX_GetDevInfoUDPbyIP") <= 14);
    if (!ok)
        return 0;
    const auto text = [&](const char* key) { return values[key].substr(0, values[key].find('\0')); };
    FUZZ_CHECK(config.DeviceName == text("NAME") && config.MacAddress == text("MAC"));
    FUZZ_CHECK(config.IpAddress == text("IP") && config.NetMask == text("MASK"));
    FUZZ_CHECK(config.Gateway == text("GATEWAY") && config.TargetIp == text("C1_CLI_IP1"));
    FUZZ_CHECK(config.LocalPort == strictToInt(text("C1_PORT")));
    FUZZ_CHECK(config.TargetPort == strictToInt(text("C1_CLI_PP1")));
    FUZZ_CHECK(config.BaudIndex == static_cast<std::uint8_t>(std::int64_t{strictToInt(text("C1_BAUD"))} - 2));

    const bool written = WriteConfigByLibrary("10.77.0.31", "52417", 7, config);
    FUZZ_CHECK(library.pendingAtModify().size() == 14);
    for (const char* key : {"NAME", "MAC", "IP", "MASK", "GATEWAY", "C1_CLI_IP1"})
        FUZZ_CHECK(pending(library, key) == text(key));
    for (const char* key : {"C1_PORT", "C1_CLI_PP1"})
        FUZZ_CHECK(strictToInt(pending(library, key)) == strictToInt(text(key)));
    FUZZ_CHECK(library.count("MX_ModifyDevUDPbyIP") == 1);
    FUZZ_CHECK(written == (modifyStatus == 1));
    return 0;
}
