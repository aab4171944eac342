// The Win32 front-end's edge: UTF-8 texts to the W functions and back, form pixels at a DPI.
#include "FormLook.h"

#include <gtest/gtest.h>

namespace {

struct TextCase
{
    const char* utf8;
    std::wstring_view utf16;
};

class FormLookText : public testing::TestWithParam<TextCase>
{
};

TEST_P(FormLookText, ConvertsBothWaysWhateverTheSystemCodePage)
{
    EXPECT_EQ(wide(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(utf8(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormLookText,
                         testing::Values(TextCase{"", L""}, TextCase{"10.77.0.1", L"10.77.0.1"},
                                         TextCase{"确定(&O)", L"\x786E\x5B9A(&O)"},
                                         TextCase{"提示", L"\x63D0\x793A"},
                                         // Outside the Basic Multilingual Plane: a surrogate pair.
                                         TextCase{"\xF0\x9F\x98\x80", L"\xD83D\xDE00"}));

TEST(FormLookScale, FormPixelsGrowWithTheDpiRoundedToNearest)
{
    const struct
    {
        int pixels;
        UINT dpi;
        int expected;
    } cases[] = {{11, 96, 11}, {11, 120, 14}, {11, 144, 17}, {21, 144, 32}, {506, 192, 1012}, {0, 144, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(scaled(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
}

} // namespace
