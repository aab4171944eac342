#pragma once
// Messages of the stand-in MivexAdv library's own UDP protocol (PROTOCOL.md), shared by the
// library and the simulated modules that answer it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mx {

// The port library modules listen on.
inline constexpr std::uint16_t kLibraryPort = 41799;
inline constexpr std::string_view kMagic = "MXA1";
// Longest message either side expects; anything longer is not a message.
inline constexpr std::size_t kMaxMessageSize = 16384;

enum class MessageType : char
{
    Search = 'S',      // nonce
    SearchReply = 'R', // nonce, ip, mac, model, tag, version, port
    Fetch = 'G',       // nonce, tag
    Config = 'C',      // nonce, then key and value pairs
    Modify = 'M',      // nonce, tag, password, then key and value pairs
    Accepted = 'K',    // nonce
    Refused = 'N',     // nonce, reason
    // By broadcast, for a module that shares its address: only the module with the MAC acts.
    FetchByMac = 'F',  // nonce, mac, tag
    ModifyByMac = 'P', // nonce, mac, tag, password, then key and value pairs
};

struct Message
{
    MessageType type = MessageType::Search;
    std::vector<std::string> fields;

    bool operator==(const Message&) const = default;
};

// Magic, type letter, then each field as "<length>:<bytes>,".
std::string encode(const Message& message);
// The message, or nothing for bytes that are not exactly one well-formed message of a
// known type with at least the fields its type needs.
std::optional<Message> decode(std::string_view bytes);

// Fields a message of the type needs at least; pairs follow for Config and Modify.
std::size_t minimumFields(MessageType type);

// Plain decimal of an unsigned number; nothing for any other text (no sign, no blanks,
// no leading zeros, at most max).
std::optional<std::uint32_t> parseUnsigned(std::string_view text, std::uint32_t max);

} // namespace mx
