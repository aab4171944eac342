#include "NumText.h"

#include <gtest/gtest.h>

namespace {

struct ScanCase
{
    const char* text;
    bool valid;
    std::int32_t value;
};

const ScanCase kScanCases[] = {
    {"0", true, 0},
    {"42", true, 42},
    {"007", true, 7},
    {"+7", true, 7},
    {"-5", true, -5},
    {" -5", true, -5},
    {"   12", true, 12},
    {"2147483647", true, 2147483647},
    {"-2147483648", true, INT32_MIN},
    {"2147483648", false, 0},
    {"-2147483649", false, 0},
    {"99999999999999999999", false, 0},
    {"", false, 0},
    {" ", false, 0},
    {"-", false, 0},
    {"+", false, 0},
    {"5 ", false, 0},
    {"12 ", false, 0},
    {"1.5", false, 0},
    {"80.1", false, 0},
    {"abc", false, 0},
    {"- 5", false, 0},
    {"\t5", false, 0},
    {"$FF", true, 255},
    {"$ff", true, 255},
    {"x1F", true, 31},
    {"X1f", true, 31},
    {"0x10", true, 16},
    {"0X10", true, 16},
    {"-$10", true, -16},
    {"$FFFFFFFF", true, -1},
    {"$80000000", true, INT32_MIN},
    {"$7FFFFFFF", true, INT32_MAX},
    {"$100000000", false, 0},
    {"$00000001", true, 1},
    {"$000000001", false, 0},
    {"0x00000000FFFFFFFF", false, 0},
    {"-x000000010", false, 0},
    {"0x", false, 0},
    {"$", false, 0},
    {"x", false, 0},
    {"$G", false, 0},
    {"0x1G", false, 0},
    {"$-1", false, 0},
    {"1x", false, 0},
};

class ScanTest : public testing::TestWithParam<ScanCase>
{
};

TEST_P(ScanTest, LenientAndStrictAgreeWithTheScan)
{
    const ScanCase& c = GetParam();
    const auto scanned = scanInteger(c.text);
    ASSERT_EQ(scanned.has_value(), c.valid) << "text '" << c.text << "'";
    EXPECT_EQ(lenientToInt(c.text), c.valid ? c.value : 0);
    if (c.valid) {
        EXPECT_EQ(*scanned, c.value);
        EXPECT_EQ(strictToInt(c.text), c.value);
    } else {
        try {
            strictToInt(c.text);
            FAIL() << "strict scan accepted '" << c.text << "'";
        } catch (const ConvertError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "'" + std::string(c.text) + "' is not a valid integer value");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ScanTest, testing::ValuesIn(kScanCases));

TEST(NumText, DecimalTextIsPlainSignedDecimal)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"}, {7, "7"}, {-1, "-1"}, {256, "256"}, {INT32_MIN, "-2147483648"}, {INT32_MAX, "2147483647"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(decimalText(value), text);
}

TEST(NumText, DecimalTextReadsBackThroughTheScan)
{
    for (std::int32_t value : {INT32_MIN, -65536, -1, 0, 1, 65535, INT32_MAX})
        EXPECT_EQ(strictToInt(decimalText(value)), value);
}

} // namespace
