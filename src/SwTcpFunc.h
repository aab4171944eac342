#pragma once
// Device records, the command transaction and both configuration roads.

#include "ConfigField.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// One found module. Text fields hold the wire's 8-bit bytes, never re-encoded here.
struct TModelParm
{
    std::string Mac;
    std::string Ip;
    std::int32_t Port = 0;
    std::uint8_t ViaCommandProtocol = 0;
    std::uint8_t LibraryTag = 0;
    // Another command module of the same search answers at this Ip: the command road reaches
    // this one by its Mac alone ("W" by broadcast). Set by MarkSharedIps.
    bool SharedIp = false;
    // The local address of the card the module was heard through; its command road's
    // broadcasts leave by that card. Empty when not known (library rows).
    std::string Via{};
};

// Whether two MAC texts name one module: ASCII letter case and ":" or "-" alike. An empty
// text names none.
bool sameMac(std::string_view a, std::string_view b);

// Sets SharedIp on every entry of one search: true for a command-protocol entry whose Ip is
// also the Ip of another command-protocol entry with a different Mac (sameMac), false for
// every other. A module listed twice, or once per road, does not share. Call it again over
// the whole list whenever an Ip changes (a write that moved a module).
void MarkSharedIps(std::span<TModelParm> entries);

// "No value" for a one-byte code: the position of an empty list selection, low 8 bits.
constexpr std::uint8_t kNoCode = 255;
// "No value" for IpMode: the position of an empty list selection.
constexpr std::int32_t kNoIpMode = -1;

// Each field's text as the module reported it, by fieldIndex(); empty for a field never read.
using AsReadTexts = std::array<std::optional<std::string>, kConfigFieldCount>;

// One module's configuration. Texts start empty. Codes start at "no value" so that a
// field the chosen road does not carry (Protocol on the library road, StopBitsIndex on
// the command road) shows no list selection; ports start at 0.
//
// A reader also keeps, in AsRead, the text behind every field it stores. A writer sends
// that text back byte for byte while the field still holds the value the road reads from
// it, and encodes the value otherwise: a copy of a read record with one field changed puts
// exactly one changed value on the wire, and a module keeps texts the fields cannot hold
// ("300" for a one-byte code, "502\r\n" for a port).
struct TModelConfig
{
    std::string UserName;
    std::string DeviceName;
    std::string MacAddress;
    std::string IpAddress;
    std::int32_t IpMode = kNoIpMode;
    std::int32_t LocalPort = 0;
    std::uint8_t Protocol = kNoCode;
    std::uint8_t WorkMode = kNoCode;
    std::string TargetIp;
    std::int32_t TargetPort = 0;
    std::string Gateway;
    std::string NetMask;
    std::uint8_t BaudIndex = kNoCode;
    std::uint8_t Parity = kNoCode;
    std::uint8_t DataBitsIndex = kNoCode;
    std::uint8_t StopBitsIndex = kNoCode;
    std::uint8_t GfcValue = kNoCode;
    std::uint8_t GdtValue = kNoCode;
    AsReadTexts AsRead{};
    // The command reader found another module at the entry's address and read this one by
    // its MAC: the writer reaches it the same way, never by the address.
    bool ReachedByMac = false;

    // Values and texts as read: two records are equal when a writer sends the same for both.
    bool operator==(const TModelConfig&) const = default;
};

// The record's member that holds a field: a text, a 32-bit number or a one-byte code.
using ConfigMember =
    std::variant<std::string TModelConfig::*, std::int32_t TModelConfig::*, std::uint8_t TModelConfig::*>;
ConfigMember memberOf(ConfigField field);

constexpr std::uint16_t kCommandPort = 65535;

// Blocks the calling thread for ms milliseconds (the protocol's fixed pauses).
void PauseMs(int ms);

// Tries of one command transaction while no reply comes: a link may lose a datagram.
inline constexpr int kExchangeTries = 3;
// How many tries command gets: 1 for "E" (silence is success) and "O" (reply ignored),
// kExchangeTries for every other.
int exchangeTries(const std::string& command);

// One command transaction: send to host (empty: broadcast) from a fresh endpoint and read
// one reply within 50 ms; with no reply (or a zero-length one), again from a fresh endpoint,
// up to exchangeTries(command) in all. True when the reply starts with "A" (value: the
// rest); a refusal is never repeated; no reply at all is a failure except for the command
// "E". Socket errors are raised at once. Lossless, it is one send and one wait.
// broadcastVia, when not empty, is the local address of the card a broadcast leaves by; a
// send to a host follows the routing table whatever it says.
bool ExchangeCommand(const std::string& host, const std::string& command, std::uint16_t port,
                     std::string& value, const std::string& broadcastVia = {});

// Command road. Read: "L" (fallback "W"+entry.Mac by broadcast out of entry.Via's card,
// "L"), seventeen reads, "O". Fields of commands not reached keep their values. Socket
// errors are raised.
// A SharedIp entry is read by its Mac from the start: "W"+Mac, "L", the reads and "O", all
// by broadcast. When a read at the address gives a "GFE" that is not the entry's Mac, another
// module answered there: the read is run again by the Mac, the other module's values are
// dropped, and config.ReachedByMac is set; a failed second read is a failed read.
bool ReadConfigByCommands(const TModelParm& entry, TModelConfig& config);
// Write: "L" (fallback "W"+config.MacAddress), fourteen writes, "E", 500 ms, "O".
// A SharedIp entry, or a record read by its MAC, is written by broadcast after "W"+entry.Mac.
// A value longer than kCommandRoadMaxValueBytes sends nothing and gives false, the reason
// in refusal.
bool WriteConfigByCommands(const TModelParm& entry, const TModelConfig& config,
                           std::string* refusal = nullptr);

// The module write password the program gives the library road.
inline constexpr const char* kLibraryWritePassword = "52417";

// Library road. One value: MX_GetDevInfoUDPbyIP then MX_GetDevConfigUDP.
bool ReadLibraryValue(const std::string& ip, std::uint8_t tag, const std::string& key, std::string& value);
// Fourteen keys in order; a malformed number raises ConvertError, earlier fields stored.
bool ReadConfigByLibrary(const std::string& ip, std::uint8_t tag, TModelConfig& config);
// Stages fourteen values and modifies the module; false on any failure, raises nothing. A
// value longer than kLibraryRoadMaxValueBytes (the text as read: than the read buffer), or
// holding a NUL, stages nothing.
bool WriteConfigByLibrary(const std::string& ip, const std::string& password, std::uint8_t tag,
                          const TModelConfig& config);

// The road that reaches a module, by how it was found.
enum class ConfigRoad : std::uint8_t
{
    Commands, // ViaCommandProtocol 1: the text command protocol
    Library,  // ViaCommandProtocol 0: the vendor library
};
ConfigRoad roadOf(const TModelParm& entry);

// The longest value text, in bytes as sent, that the road can read back: the command road's
// reply ("A" and the value) must fit one 8192-byte datagram, the library hands values over
// in a 100-byte buffer with a NUL. A longer value is refused before anything is sent.
inline constexpr std::size_t kCommandRoadMaxValueBytes = 8191;
inline constexpr std::size_t kLibraryRoadMaxValueBytes = 99;
std::size_t maxReadableValueBytes(ConfigRoad road);

// Whether the road reads the field: a field it does not read has nothing to show.
bool roadCarries(ConfigRoad road, ConfigField field);
