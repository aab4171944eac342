// The number scan in both forms against a plain reference, and the decimal writer's round trip.
#include "FuzzCheck.h"
#include "NumText.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>

namespace {

// Written for clarity, not speed: the digits as a number of any length, then the range.
std::optional<std::int32_t> reference(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return std::nullopt;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    int base = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0)
        base = 16, i += 2;
    else if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X'))
        base = 16, i += 1;
    std::string digits = text.substr(i);
    if (digits.empty())
        return std::nullopt;
    for (const char c : digits) {
        const bool ok = base == 10 ? (c >= '0' && c <= '9') : std::strchr("0123456789abcdefABCDEF", c) && c;
        if (!ok)
            return std::nullopt;
    }
    // Hexadecimal: at most eight digits, leading zeros included; decimal: any number of
    // leading zeros.
    if (base == 16 && digits.size() > 8)
        return std::nullopt;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    if (digits.size() > 10)
        return std::nullopt;
    const unsigned long long magnitude = std::stoull(digits, nullptr, base);
    if (base == 16) // a 32-bit pattern; the sign negates it with wrap-around
        return static_cast<std::int32_t>(negative ? 0u - static_cast<std::uint32_t>(magnitude)
                                                  : static_cast<std::uint32_t>(magnitude));
    const long long value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto expected = reference(text);

    FUZZ_CHECK(scanInteger(text) == expected);
    FUZZ_CHECK(lenientToInt(text) == expected.value_or(0));
    bool raised = false;
    try {
        FUZZ_CHECK(strictToInt(text) == *expected);
    } catch (const ConvertError& error) {
        raised = true;
        // what() ends at a NUL inside the text, as any C text would.
        const std::string message = "'" + text + "' is not a valid integer value";
        FUZZ_CHECK(std::strcmp(error.what(), message.c_str()) == 0);
    }
    FUZZ_CHECK(raised == !expected.has_value());

    // Any 64-bit value: plain decimal, and a 32-bit one reads back as itself.
    FuzzedDataProvider provider(data, size);
    const auto value = provider.ConsumeIntegral<std::int64_t>();
    const std::string written = decimalText(value);
    char plain[32];
    std::snprintf(plain, sizeof plain, "%lld", static_cast<long long>(value));
    FUZZ_CHECK(written == plain);
    FUZZ_CHECK(written.find_first_of("+ ") == std::string::npos);
    if (value >= INT32_MIN && value <= INT32_MAX)
        FUZZ_CHECK(scanInteger(written) == static_cast<std::int32_t>(value));
    return 0;
}
