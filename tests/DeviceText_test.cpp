#include "DeviceText.h"

#include <gtest/gtest.h>

namespace {

struct TextCase
{
    const char* name;
    std::string bytes;
    std::string shown;
    TextEncoding readAs;
    bool roundTrips = true; // an untouched text goes back as read anyway
};

#ifdef _WIN32
// Windows reads every text in the system code page; these cases need a Chinese Windows
// (code page 936), as the Windows tests run.
TEST(DeviceText, EveryTextInTheSystemCodePage)
{
    const TextCase cases[] = {
        {"empty", "", "", TextEncoding::SystemCodePage},
        {"ASCII", "Module-A", "Module-A", TextEncoding::SystemCodePage},
        {"GBK", "\xB2\xD9\xD7\xF7\xD4\xB1", "操作员", TextEncoding::SystemCodePage},
        {"GBK with ASCII", "A\xC9\xE8\xB1\xB8", "A设备", TextEncoding::SystemCodePage},
    };
#else
TEST(DeviceText, ValidUtf8AsIsAnyOtherTextAsGb18030)
{
    const TextCase cases[] = {
        {"empty", "", "", TextEncoding::Utf8},
        {"ASCII", "Module-A", "Module-A", TextEncoding::Utf8},
        {"UTF-8", "新模块", "新模块", TextEncoding::Utf8},
        {"GBK", "\xB2\xD9\xD7\xF7\xD4\xB1", "操作员", TextEncoding::Gb18030},
        {"GBK with ASCII", "A\xC9\xE8\xB1\xB8", "A设备", TextEncoding::Gb18030},
        {"four-byte GB18030", "\x81\x30\x81\x30", "\u0080", TextEncoding::Gb18030},
        {"neither", "a\xFF", "a?", TextEncoding::Gb18030, false},
    };
#endif
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DisplayText text = textFromDevice(c.bytes);
        EXPECT_EQ(text.readAs, c.readAs);
        EXPECT_EQ(text.text, c.shown);
        if (c.roundTrips) {
            EXPECT_EQ(textToDevice(text.text, text.readAs), c.bytes);
        }
    }
}

TEST(DeviceText, Utf8Validation)
{
    const std::pair<std::string, bool> cases[] = {
        {"abc", true},           {"\xE5\xBC\xA0", true},  {"\xF0\x9F\x98\x80", true},
        {"\xE5\xBC", false},     {"\x80", false},         {"\xC1\xBF", false},
        {"\xE0\x80\xAF", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false},
    };
    for (const auto& [bytes, valid] : cases)
        EXPECT_EQ(isValidUtf8(bytes), valid) << testing::PrintToString(bytes);
}

TEST(DeviceText, EditedTextsGoOutInTheirEncoding)
{
#ifdef _WIN32
    EXPECT_EQ(textToDevice("张三", TextEncoding::SystemCodePage), "\xD5\xC5\xC8\xFD");
    // Windows converts 54936 to the GBK bytes; where it cannot (Wine), the text stays whole.
    const std::string gb = textToDevice("张三", TextEncoding::Gb18030);
    EXPECT_TRUE(gb == "\xD5\xC5\xC8\xFD" || gb == "张三") << testing::PrintToString(gb);
#else
    EXPECT_EQ(textToDevice("张三", TextEncoding::Gb18030), "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(textToDevice("ab", TextEncoding::Gb18030), "ab");
#endif
    EXPECT_EQ(textToDevice("张三", TextEncoding::Utf8), "张三");
}

TEST(DeviceText, SaysWhetherAnEncodingCarriesAText)
{
    const char* const smiley = "\xF0\x9F\x98\x80";
    const struct
    {
        const char* text;
        TextEncoding encoding;
        bool carried;
    } cases[] = {
        {"新模块", TextEncoding::Utf8, true},
#ifndef _WIN32
        // (Windows has GB18030 as code page 54936; the Wine here lacks it.)
        {"新模块", TextEncoding::Gb18030, true},
        {smiley, TextEncoding::Gb18030, true},
#endif
        {"Module-A", TextEncoding::SystemCodePage, true},
        // No Windows code page but UTF-8 has it; Linux's system code page is UTF-8.
        {smiley, TextEncoding::SystemCodePage, platformTextEncoding() != TextEncoding::SystemCodePage},
    };
    for (const auto& c : cases)
        EXPECT_EQ(canEncode(c.text, c.encoding), c.carried) << c.text << " " << static_cast<int>(c.encoding);
}

} // namespace
