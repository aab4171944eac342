#include "MxWire.h"

#include <algorithm>

namespace mx {

namespace {

bool knownType(char letter)
{
    constexpr std::string_view kLetters = "SRGCMKNFP";
    return kLetters.find(letter) != std::string_view::npos;
}

bool pairsFollow(MessageType type)
{
    return type == MessageType::Config || type == MessageType::Modify || type == MessageType::ModifyByMac;
}

} // namespace

std::size_t minimumFields(MessageType type)
{
    switch (type) {
    case MessageType::Search:
    case MessageType::Accepted:
    case MessageType::Config:
        return 1;
    case MessageType::Fetch:
    case MessageType::Refused:
        return 2;
    case MessageType::Modify:
    case MessageType::FetchByMac:
        return 3;
    case MessageType::ModifyByMac:
        return 4;
    case MessageType::SearchReply:
        return 7;
    }
    return 1;
}

std::optional<std::uint32_t> parseUnsigned(std::string_view text, std::uint32_t max)
{
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > max)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string encode(const Message& message)
{
    std::string bytes(kMagic);
    bytes += static_cast<char>(message.type);
    for (const auto& field : message.fields) {
        bytes += std::to_string(field.size());
        bytes += ':';
        bytes += field;
        bytes += ',';
    }
    return bytes;
}

std::optional<Message> decode(std::string_view bytes)
{
    if (bytes.size() > kMaxMessageSize || bytes.size() < kMagic.size() + 1 ||
        bytes.substr(0, kMagic.size()) != kMagic || !knownType(bytes[kMagic.size()]))
        return std::nullopt;
    Message message;
    message.type = static_cast<MessageType>(bytes[kMagic.size()]);
    std::size_t at = kMagic.size() + 1;
    while (at < bytes.size()) {
        const std::size_t colon = bytes.find(':', at);
        if (colon == std::string_view::npos)
            return std::nullopt;
        const auto length =
            parseUnsigned(bytes.substr(at, colon - at), static_cast<std::uint32_t>(kMaxMessageSize));
        if (!length || *length > bytes.size() - colon - 1 || bytes.size() - colon - 1 - *length < 1 ||
            bytes[colon + 1 + *length] != ',')
            return std::nullopt;
        message.fields.emplace_back(bytes.substr(colon + 1, *length));
        at = colon + 1 + *length + 1;
    }
    const std::size_t minimum = minimumFields(message.type);
    if (message.fields.size() < minimum)
        return std::nullopt;
    if (pairsFollow(message.type) ? (message.fields.size() - minimum) % 2 != 0
                                  : message.fields.size() != minimum)
        return std::nullopt;
    return message;
}

} // namespace mx
