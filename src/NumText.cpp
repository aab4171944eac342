#include "NumText.h"

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> scanInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;

    // A hexadecimal number is a 32-bit pattern of at most eight digits, leading zeros
    // included: "$000000001" is not one.
    if (hex && text.size() - i > 8)
        return std::nullopt;

    std::uint64_t value = 0;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    for (; i < text.size(); ++i) {
        const int digit = hex ? hexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16u : 10u) + static_cast<std::uint64_t>(digit);
        if (value > limit)
            return std::nullopt;
    }

    // Hex digits are a bit pattern; the sign then negates the 32-bit value with wrap-around.
    const auto pattern = static_cast<std::uint32_t>(value);
    const std::uint32_t result = negative ? (0u - pattern) : pattern;
    return static_cast<std::int32_t>(result);
}

std::int32_t lenientToInt(std::string_view text)
{
    return scanInteger(text).value_or(0);
}

std::int32_t strictToInt(std::string_view text)
{
    if (const auto value = scanInteger(text))
        return *value;
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

std::string decimalText(std::int64_t value)
{
    return std::to_string(value);
}

bool isDottedQuad(std::string_view text)
{
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        ++parts;
        if (i == text.size())
            return parts == 4;
        if (text[i] != '.' || parts == 4)
            return false;
        ++i;
    }
}
