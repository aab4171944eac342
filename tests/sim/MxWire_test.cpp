// The stand-in library's message format: what goes out is read back alike, and anything
// that is not exactly one message is rejected.
#include "MxWire.h"

#include <gtest/gtest.h>

namespace {

using mx::Message;
using mx::MessageType;

TEST(MxWire, MessagesSurviveEncodingUnchanged)
{
    const Message cases[] = {
        {MessageType::Search, {"1"}},
        {MessageType::SearchReply, {"7", "10.77.0.31", "00-4D-58-00-00-31", "MX-E210", "1", "1", "-5"}},
        {MessageType::Fetch, {"4294967295", "255"}},
        {MessageType::Config, {"9"}},
        {MessageType::Config, {"9", "NAME", "锅炉房", "C1_PORT", "", "MAC", std::string("a,b:c\0d", 7)}},
        {MessageType::Modify, {"3", "1", "52417", "IP", "10.77.0.40"}},
        {MessageType::Accepted, {"3"}},
        {MessageType::Refused, {"3", "password"}},
    };
    for (const auto& message : cases) {
        const auto decoded = mx::decode(mx::encode(message));
        ASSERT_TRUE(decoded.has_value()) << mx::encode(message);
        EXPECT_EQ(*decoded, message) << mx::encode(message);
    }
}

TEST(MxWire, EncodingIsMagicTypeAndLengthPrefixedFields)
{
    EXPECT_EQ(mx::encode({MessageType::Fetch, {"12", "3"}}), "MXA1G2:12,1:3,");
    EXPECT_EQ(mx::encode({MessageType::Config, {"1", "IP", ""}}), "MXA1C1:1,2:IP,0:,");
}

TEST(MxWire, AnythingButOneWholeMessageIsRejected)
{
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"magic only", "MXA1"},
        {"wrong magic", "MXA2G1:1,1:3,"},
        {"unknown type", "MXA1Z1:1,"},
        {"too few fields", "MXA1G1:1,"},
        {"too many fields", "MXA1S1:1,1:2,"},
        {"odd pairs", "MXA1C1:1,2:IP,"},
        {"missing comma", "MXA1S1:1"},
        {"wrong terminator", "MXA1S1:1;"},
        {"length beyond the end", "MXA1S9:1,"},
        {"length without colon", "MXA1S1"},
        {"negative length", "MXA1S-1:1,"},
        {"leading zero length", "MXA1S01:1,"},
        {"blank in length", "MXA1S 1:1,"},
        {"huge length", "MXA1S99999999999:1,"},
        {"trailing bytes", "MXA1S1:1,x"},
        {"modify without password", "MXA1M1:1,1:1,"},
        {"search reply short", "MXA1R1:1,1:2,"},
        {"over the size limit", "MXA1S1:1," + std::string(mx::kMaxMessageSize, 'x')},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_FALSE(mx::decode(bytes).has_value()) << name;
}

TEST(MxWire, UnsignedNumbersArePlainDecimal)
{
    const std::tuple<const char*, std::uint32_t, std::optional<std::uint32_t>> cases[] = {
        {"0", 255, 0u},
        {"255", 255, 255u},
        {"256", 255, std::nullopt},
        {"007", 255, std::nullopt},
        {"", 255, std::nullopt},
        {"-1", 255, std::nullopt},
        {"+1", 255, std::nullopt},
        {" 1", 255, std::nullopt},
        {"4294967295", 0xFFFFFFFFu, 0xFFFFFFFFu},
        {"4294967296", 0xFFFFFFFFu, std::nullopt},
        {"99999999999", 0xFFFFFFFFu, std::nullopt},
        {"1a", 255, std::nullopt},
    };
    for (const auto& [text, max, expected] : cases)
        EXPECT_EQ(mx::parseUnsigned(text, max), expected) << text;
}

} // namespace
