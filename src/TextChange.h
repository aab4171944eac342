#pragma once
// How an edit changed a text: the span between the longest common start and end of the text
// before and after. For any code unit (UTF-8 bytes in the dialog model, UTF-16 on Windows).

#include <cstddef>
#include <string_view>

struct TextChange
{
    std::size_t at = 0;       // where the change begins, in code units
    std::size_t removed = 0;  // units of the old text replaced ...
    std::size_t inserted = 0; // ... by this many of the new
};

template <typename Char>
TextChange changeBetween(std::basic_string_view<Char> before, std::basic_string_view<Char> after)
{
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {prefix, before.size() - prefix - suffix, after.size() - prefix - suffix};
}
