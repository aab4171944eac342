#pragma once
// Numbers as text, the way modules and the vendor library write them.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by the strict scan; the message names the offending text.
class ConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The one scan: leading blanks, an optional sign, then decimal digits that fit a signed
// 32-bit number, or at most eight hexadecimal digits behind "$", "x" or "0x" (either case) taken as a
// 32-bit pattern. Nothing may follow the digits. Empty when the text is not such a number.
std::optional<std::int32_t> scanInteger(std::string_view text);

// Lenient form: 0 for anything the scan does not accept.
std::int32_t lenientToInt(std::string_view text);

// Strict form: raises ConvertError "'<text>' is not a valid integer value".
std::int32_t strictToInt(std::string_view text);

// Value of one hexadecimal digit in either case; -1 for any other character.
int hexDigit(char c);

// Plain signed decimal: no leading zeros or blanks, "-" only for negative values.
std::string decimalText(std::int64_t value);

// Four dot-separated decimal parts, each 0..255, nothing else.
bool isDottedQuad(std::string_view text);
