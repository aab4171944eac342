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

TEST(FormLookEdit, ARefusedChangeIsTheSpanBetweenTheCommonStartAndEnd)
{
    const struct
    {
        std::wstring_view before;
        std::wstring_view after;
        DWORD at;
        std::wstring_view removed;
        DWORD insertedLength;
    } cases[] = {
        {L"abc", L"abXYc", 2, L"", 2},     // typed or pasted at the caret
        {L"abcd", L"aXYZd", 1, L"bc", 3},  // pasted over a selection
        {L"aaa", L"aaaa", 3, L"", 1},      // the same character again: at the end
        {L"", L"\x5F20\x4E09", 0, L"", 2}, // into an empty field
    };
    for (const auto& c : cases) {
        const TextChange change = changeBetween(c.before, c.after);
        EXPECT_EQ(change.at, c.at);
        EXPECT_EQ(change.removed, c.removed);
        EXPECT_EQ(change.insertedLength, c.insertedLength);
    }
}
