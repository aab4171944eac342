#pragma once
// Module texts are 8-bit bytes; the windows work in UTF-8 display text. On Linux a text
// that is valid UTF-8 is shown as is and any other as GB18030 (a superset of GBK, which
// Chinese Windows PCs write); on Windows the bytes are in the system code page (CP_ACP).
// An edited text goes back in the encoding it was read in.

#include <functional>
#include <string>
#include <string_view>

enum class TextEncoding : unsigned char
{
    Utf8,           // valid UTF-8 (empty and pure ASCII texts included)
    Gb18030,        // Linux, a text that is not valid UTF-8
    SystemCodePage, // Windows: CP_ACP
};

struct DisplayText
{
    std::string text;    // UTF-8
    TextEncoding readAs; // write an edited text back in this encoding
};

bool isValidUtf8(std::string_view bytes);

// The bytes as display text, and the encoding they were read in.
DisplayText textFromDevice(std::string_view bytes);

// Display text as the bytes a module gets, in encoding. Characters the encoding lacks
// become "?" (only possible for the Windows code page).
std::string textToDevice(std::string_view utf8Text, TextEncoding encoding);

// Whether encoding carries every character of the display text, so that textToDevice
// loses nothing (a Windows code page lacks most characters outside its script).
bool canEncode(std::string_view utf8Text, TextEncoding encoding);

// The encoding a new text (none read) is written in on this platform.
TextEncoding platformTextEncoding();

// The conversions a dialog works with, so that a test can give it any code page: the
// platform's (textFromDevice, textToDevice, canEncode) unless one is given.
struct TextCodec
{
    std::function<DisplayText(std::string_view bytes)> fromDevice;
    std::function<std::string(std::string_view utf8Text, TextEncoding encoding)> toDevice;
    std::function<bool(std::string_view utf8Text, TextEncoding encoding)> canEncode;
};

TextCodec platformTextCodec();
