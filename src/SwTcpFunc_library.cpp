// The vendor-library road: fourteen named text values mapped onto TModelConfig and back.
#include "MivexAdv.h"
#include "NumText.h"
#include "Overloaded.h"
#include "SwTcpFunc.h"

#include <algorithm>
#include <array>
#include <variant>

namespace {

// The library counts IP_MODE the other way round: its 1 is our static mode 0, its 0 our
// dynamic mode 1. The table is its own inverse, so it serves both directions.
constexpr std::array<std::uint8_t, 2> kIpModeTable{1, 0};

// A mode outside the table is passed through unchanged, so that a value we do not know
// survives a read and a write exactly instead of being indexed out of range.
std::int32_t translateIpMode(std::int32_t mode)
{
    if (mode == 0 || mode == 1)
        return kIpModeTable[static_cast<std::size_t>(mode)];
    return mode;
}

struct IpModeField
{
};

// A key's field: a text, a 32-bit number, a one-byte code, or IpMode through its table.
using Field = std::variant<std::string TModelConfig::*, std::int32_t TModelConfig::*,
                           std::uint8_t TModelConfig::*, IpModeField>;

struct KeyRow
{
    const char* key;
    ConfigField id;
    Field field;
    int offset = 0; // library number = field + offset (one-byte fields only)
};

// Order matters: it is the order of reading and of staging.
constexpr std::array<KeyRow, 14> kKeyTable{{
    {"NAME", ConfigField::DeviceName, &TModelConfig::DeviceName},
    {"MAC", ConfigField::MacAddress, &TModelConfig::MacAddress},
    {"IP_MODE", ConfigField::IpMode, IpModeField{}},
    {"IP", ConfigField::IpAddress, &TModelConfig::IpAddress},
    {"MASK", ConfigField::NetMask, &TModelConfig::NetMask},
    {"GATEWAY", ConfigField::Gateway, &TModelConfig::Gateway},
    {"C1_OP", ConfigField::WorkMode, &TModelConfig::WorkMode, 1},
    {"C1_PORT", ConfigField::LocalPort, &TModelConfig::LocalPort},
    {"C1_CLI_IP1", ConfigField::TargetIp, &TModelConfig::TargetIp},
    {"C1_CLI_PP1", ConfigField::TargetPort, &TModelConfig::TargetPort},
    {"C1_BAUD", ConfigField::BaudIndex, &TModelConfig::BaudIndex, 2},
    {"C1_STOPB", ConfigField::StopBitsIndex, &TModelConfig::StopBitsIndex},
    {"C1_PARITY", ConfigField::Parity, &TModelConfig::Parity},
    {"C1_DATAB", ConfigField::DataBitsIndex, &TModelConfig::DataBitsIndex, 7},
}};

// Raises ConvertError for a malformed number; nothing is stored then. The text is kept
// beside the value, so that an unchanged field goes back exactly as the library gave it.
void storeValue(const KeyRow& row, const std::string& text, TModelConfig& config)
{
    std::visit(Overloaded{
                   [&](std::string TModelConfig::*field) { config.*field = text; },
                   [&](std::int32_t TModelConfig::*field) { config.*field = strictToInt(text); },
                   [&](std::uint8_t TModelConfig::*field) {
                       // Wide arithmetic, then the low 8 bits: "0" for C1_OP gives 255.
                       config.*field =
                           static_cast<std::uint8_t>(std::int64_t{strictToInt(text)} - row.offset);
                   },
                   [&](IpModeField) { config.IpMode = translateIpMode(strictToInt(text)); },
               },
               row.field);
    config.AsRead[fieldIndex(row.id)] = text;
}

// True when the field still holds what its as-read text reads as: nobody changed it.
bool holdsAsRead(const KeyRow& row, const TModelConfig& config)
{
    const std::optional<std::string>& asRead = config.AsRead[fieldIndex(row.id)];
    if (!asRead)
        return false;
    TModelConfig reread;
    try {
        storeValue(row, *asRead, reread);
    } catch (const ConvertError&) {
        return false; // not a text this road reads; the value decides
    }
    return std::visit(Overloaded{
                          [&](IpModeField) { return reread.IpMode == config.IpMode; },
                          [&](auto member) { return reread.*member == config.*member; },
                      },
                      row.field);
}

// An unchanged field goes back as read; a changed one (or one never read) is encoded.
std::string valueText(const KeyRow& row, const TModelConfig& config)
{
    if (holdsAsRead(row, config))
        return *config.AsRead[fieldIndex(row.id)];
    return std::visit(Overloaded{
                          [&](std::string TModelConfig::*field) { return config.*field; },
                          [&](std::int32_t TModelConfig::*field) { return decimalText(config.*field); },
                          [&](std::uint8_t TModelConfig::*field) {
                              // Full width, no wrap: WorkMode 255 goes out as "256".
                              return decimalText(std::int64_t{config.*field} + row.offset);
                          },
                          [&](IpModeField) { return decimalText(translateIpMode(config.IpMode)); },
                      },
                      row.field);
}

} // namespace

bool ReadLibraryValue(const std::string& ip, std::uint8_t tag, const std::string& key, std::string& value)
{
    value.clear();
    if (MX_GetDevInfoUDPbyIP(ip.c_str(), std::int32_t{tag}) != 1)
        return false;
    // Cleared so that a library that reports success without writing cannot hand us
    // whatever the stack held.
    std::array<char, kMxValueSize> buffer{};
    if (MX_GetDevConfigUDP(key.c_str(), buffer.data()) != 1)
        return false;
    // A value that fills the whole buffer has no NUL and is taken whole.
    value.assign(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
    return true;
}

bool ReadConfigByLibrary(const std::string& ip, std::uint8_t tag, TModelConfig& config)
{
    std::string value;
    for (const KeyRow& row : kKeyTable) {
        if (!ReadLibraryValue(ip, tag, row.key, value))
            return false;
        storeValue(row, value, config);
    }
    return true;
}

bool WriteConfigByLibrary(const std::string& ip, const std::string& password, std::uint8_t tag,
                          const TModelConfig& config)
{
    try {
        // The library may keep the pointers it is given until the modify call, so every
        // text lives here until that call has returned.
        std::array<std::string, kKeyTable.size()> values;
        for (std::size_t i = 0; i < kKeyTable.size(); ++i) {
            values[i] = valueText(kKeyTable[i], config);
            // A value no fetch could hand back whole would be lost, or lock the module's
            // configuration out of every fetch; a NUL would end the text early. Only the
            // module's own text may fill the whole buffer: it came that way once.
            const std::size_t limit =
                holdsAsRead(kKeyTable[i], config) ? std::size_t{kMxValueSize} : kLibraryRoadMaxValueBytes;
            if (values[i].size() > limit || values[i].find('\0') != std::string::npos)
                return false;
        }

        MX_ResetModifyConfigUDP();
        for (std::size_t i = 0; i < kKeyTable.size(); ++i)
            MX_SetModifyConfigUDP(kKeyTable[i].key, values[i].c_str());
        return MX_ModifyDevUDPbyIP(ip.c_str(), password.c_str(), std::int32_t{tag}) == 1;
    } catch (...) {
        // The dialog reports a failed write by this result alone.
        return false;
    }
}
