#include "DeviceText.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace {

// Length of the UTF-8 sequence that starts with lead, 0 for a byte that cannot lead one.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

#ifdef _WIN32

// A code page the system cannot convert (Wine lacks 54936) keeps the bytes as they are:
// an empty text would reach the module in place of the user's.
std::string convert(std::string_view bytes, UINT from, UINT to)
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int wide = MultiByteToWideChar(from, 0, bytes.data(), size, nullptr, 0);
    if (wide <= 0)
        return std::string(bytes);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(from, 0, bytes.data(), size, utf16.data(), wide);
    const int narrow = WideCharToMultiByte(to, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0)
        return std::string(bytes);
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(to, 0, utf16.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
}

#else

// Converts with iconv; a sequence that does not convert becomes "?" and the rest goes on.
std::string convert(std::string_view bytes, const char* from, const char* to)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(bytes);
    std::string out;
    char buffer[256];
    // iconv takes a non-const input pointer but does not write through it.
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // EILSEQ or a truncated sequence at the end: skip one byte.
            out += '?';
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

#endif

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = sequenceLength(lead);
        if (length == 0 || i + static_cast<std::size_t>(length) > bytes.size())
            return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
        }
        if (length > 2) {
            // Overlong forms, surrogates and code points above U+10FFFF.
            const auto second = static_cast<unsigned char>(bytes[i + 1]);
            if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
                (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
                return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

TextEncoding platformTextEncoding()
{
#ifdef _WIN32
    return TextEncoding::SystemCodePage;
#else
    return TextEncoding::Utf8;
#endif
}

DisplayText textFromDevice(std::string_view bytes)
{
#ifdef _WIN32
    return {convert(bytes, CP_ACP, CP_UTF8), TextEncoding::SystemCodePage};
#else
    if (isValidUtf8(bytes))
        return {std::string(bytes), TextEncoding::Utf8};
    return {convert(bytes, "GB18030", "UTF-8"), TextEncoding::Gb18030};
#endif
}

bool canEncode(std::string_view utf8Text, TextEncoding encoding)
{
    const std::string bytes = textToDevice(utf8Text, encoding);
    switch (encoding) {
    case TextEncoding::Utf8:
        return true;
    case TextEncoding::Gb18030:
#ifdef _WIN32
        return convert(bytes, 54936, CP_UTF8) == utf8Text;
#else
        return convert(bytes, "GB18030", "UTF-8") == utf8Text;
#endif
    case TextEncoding::SystemCodePage:
#ifdef _WIN32
        // Also catches the code page's "best fit" stand-ins ("e" for "é").
        return convert(bytes, CP_ACP, CP_UTF8) == utf8Text;
#else
        return true;
#endif
    }
    return true;
}

std::string textToDevice(std::string_view utf8Text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return std::string(utf8Text);
    case TextEncoding::Gb18030:
#ifdef _WIN32
        return convert(utf8Text, CP_UTF8, 54936);
#else
        return convert(utf8Text, "UTF-8", "GB18030");
#endif
    case TextEncoding::SystemCodePage:
#ifdef _WIN32
        return convert(utf8Text, CP_UTF8, CP_ACP);
#else
        return std::string(utf8Text); // Linux's system code page is UTF-8
#endif
    }
    return std::string(utf8Text);
}

TextCodec platformTextCodec()
{
    return {textFromDevice, textToDevice, canEncode};
}
