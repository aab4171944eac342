// The command road: fixed runs of ExchangeCommand to port 65535, one command per field.
#include "NumText.h"
#include "Overloaded.h"
#include "SwTcpFunc.h"

#include <array>
#include <variant>

namespace {

// A field of TModelConfig: a text, a 32-bit number or a one-byte code.
using Field =
    std::variant<std::string TModelConfig::*, std::int32_t TModelConfig::*, std::uint8_t TModelConfig::*>;

struct CommandRow
{
    const char* code;
    ConfigField id;
    Field field;
};

// Sent in this order. StopBitsIndex has no command.
constexpr std::array<CommandRow, 17> kReadTable{{
    {"GON", ConfigField::UserName, &TModelConfig::UserName},
    {"GDN", ConfigField::DeviceName, &TModelConfig::DeviceName},
    {"GFE", ConfigField::MacAddress, &TModelConfig::MacAddress},
    {"GDH", ConfigField::IpMode, &TModelConfig::IpMode},
    {"GIP", ConfigField::IpAddress, &TModelConfig::IpAddress},
    {"GPN", ConfigField::LocalPort, &TModelConfig::LocalPort},
    {"GTP", ConfigField::Protocol, &TModelConfig::Protocol},
    {"GRM", ConfigField::WorkMode, &TModelConfig::WorkMode},
    {"GDI", ConfigField::TargetIp, &TModelConfig::TargetIp},
    {"GDP", ConfigField::TargetPort, &TModelConfig::TargetPort},
    {"GGI", ConfigField::Gateway, &TModelConfig::Gateway},
    {"GNM", ConfigField::NetMask, &TModelConfig::NetMask},
    {"GBR", ConfigField::BaudIndex, &TModelConfig::BaudIndex},
    {"GPR", ConfigField::Parity, &TModelConfig::Parity},
    {"GBB", ConfigField::DataBitsIndex, &TModelConfig::DataBitsIndex},
    {"GFC", ConfigField::GfcValue, &TModelConfig::GfcValue},
    {"GDT", ConfigField::GdtValue, &TModelConfig::GdtValue},
}};

// Sent in this order; the module's own address goes last, after every other setting.
// MacAddress only reaches the module through "W"; the last three codes are never sent.
constexpr std::array<CommandRow, 14> kWriteTable{{
    {"SON", ConfigField::UserName, &TModelConfig::UserName},
    {"SDN", ConfigField::DeviceName, &TModelConfig::DeviceName},
    {"SDH", ConfigField::IpMode, &TModelConfig::IpMode},
    {"SPN", ConfigField::LocalPort, &TModelConfig::LocalPort},
    {"STP", ConfigField::Protocol, &TModelConfig::Protocol},
    {"SRM", ConfigField::WorkMode, &TModelConfig::WorkMode},
    {"SDI", ConfigField::TargetIp, &TModelConfig::TargetIp},
    {"SDP", ConfigField::TargetPort, &TModelConfig::TargetPort},
    {"SGI", ConfigField::Gateway, &TModelConfig::Gateway},
    {"SNM", ConfigField::NetMask, &TModelConfig::NetMask},
    {"SBR", ConfigField::BaudIndex, &TModelConfig::BaudIndex},
    {"SPR", ConfigField::Parity, &TModelConfig::Parity},
    {"SBB", ConfigField::DataBitsIndex, &TModelConfig::DataBitsIndex},
    {"SIP", ConfigField::IpAddress, &TModelConfig::IpAddress},
}};

// Modules are trusted to send numbers but not relied upon: anything else reads as 0. The
// text itself is kept, so that an unchanged field goes back exactly as the module sent it.
void storeValue(const CommandRow& row, const std::string& value, TModelConfig& config)
{
    std::visit(Overloaded{
                   [&](std::string TModelConfig::*text) { config.*text = value; },
                   [&](std::int32_t TModelConfig::*number) { config.*number = lenientToInt(value); },
                   // The low 8 bits: "300" gives 44, "-1" gives 255.
                   [&](std::uint8_t TModelConfig::*code) {
                       config.*code = static_cast<std::uint8_t>(lenientToInt(value));
                   },
               },
               row.field);
    config.AsRead[fieldIndex(row.id)] = value;
}

// True when the field still holds what its as-read text reads as: nobody changed it.
bool holdsAsRead(const CommandRow& row, const TModelConfig& config)
{
    const std::optional<std::string>& asRead = config.AsRead[fieldIndex(row.id)];
    if (!asRead)
        return false;
    TModelConfig reread;
    storeValue(row, *asRead, reread);
    return std::visit([&](auto member) { return reread.*member == config.*member; }, row.field);
}

// An unchanged field goes back as read; a changed one (or one never read) is encoded.
std::string valueText(const CommandRow& row, const TModelConfig& config)
{
    if (holdsAsRead(row, config))
        return *config.AsRead[fieldIndex(row.id)];
    return std::visit(Overloaded{
                          [&](std::string TModelConfig::*text) { return config.*text; },
                          [&](std::int32_t TModelConfig::*number) { return decimalText(config.*number); },
                          [&](std::uint8_t TModelConfig::*code) { return decimalText(config.*code); },
                      },
                      row.field);
}

// via: the card the module was heard through; the run's broadcasts leave by it.
bool exchange(const std::string& target, const std::string& command, const std::string& via)
{
    std::string ignored;
    return ExchangeCommand(target, command, kCommandPort, ignored, via);
}

// Selects the module by its physical address and opens it by broadcast; target becomes
// empty so the rest of the run (the closing "O" included) follows by broadcast too. Only the
// module that took "W" answers.
bool openByMac(std::string& target, const std::string& mac, const std::string& via)
{
    target.clear();
    if (!exchange(target, "W" + mac, via))
        return false;
    return exchange(target, "L", via);
}

// "L" at the module's address; when that fails, the module is selected by its physical
// address and opened by broadcast, and target becomes empty so the rest of the run (the
// closing "O" included) follows by broadcast too.
bool openRun(std::string& target, const std::string& mac, const std::string& via)
{
    if (exchange(target, "L", via))
        return true;
    return openByMac(target, mac, via);
}

// Closes every run that reached it; the module's answer changes nothing.
void closeRun(const std::string& target, const std::string& via)
{
    exchange(target, "O", via);
}

// One read run: the opening (by the address, or by the MAC when target is empty), the read
// table, "O". Fields are stored as they come.
bool readRun(std::string target, const TModelParm& entry, TModelConfig& config)
{
    bool result =
        target.empty() ? openByMac(target, entry.Mac, entry.Via) : openRun(target, entry.Mac, entry.Via);
    if (result) {
        std::string value;
        for (const CommandRow& row : kReadTable) {
            if (!ExchangeCommand(target, row.code, kCommandPort, value, entry.Via)) {
                result = false;
                break;
            }
            // Stored at once: a later refusal leaves the fields read so far in place.
            storeValue(row, value, config);
        }
    }
    closeRun(target, entry.Via);
    return result;
}

} // namespace

bool ReadConfigByCommands(const TModelParm& entry, TModelConfig& config)
{
    if (entry.SharedIp)
        return readRun({}, entry, config);
    TModelConfig before = config;
    const bool result = readRun(entry.Ip, entry, config);
    // Whoever answered at the address reports its own MAC. Another module's values must
    // never reach the caller, who would write them back to this one or show them as its own.
    if (result && !entry.Mac.empty() && !sameMac(config.MacAddress, entry.Mac)) {
        config = std::move(before);
        config.ReachedByMac = true;
        return readRun({}, entry, config);
    }
    return result;
}

bool WriteConfigByCommands(const TModelParm& entry, const TModelConfig& config, std::string* refusal)
{
    std::array<std::string, kWriteTable.size()> values;
    for (std::size_t i = 0; i < kWriteTable.size(); ++i) {
        values[i] = valueText(kWriteTable[i], config);
        // A value the module could not send back in one reply would lock every later read
        // out of it, so the run does not start at all.
        if (values[i].size() > kCommandRoadMaxValueBytes) {
            if (refusal)
                *refusal = std::string(kWriteTable[i].code) + ": the value is " +
                           std::to_string(values[i].size()) + " bytes, longer than a reply can carry back (" +
                           std::to_string(kCommandRoadMaxValueBytes) + " bytes)";
            return false;
        }
    }
    std::string target = entry.Ip;
    // A module that shares its address is reached by the MAC its row was found with: a write
    // at the address would land on whichever module answers there.
    const bool byMac = entry.SharedIp || config.ReachedByMac;
    const bool opened = byMac
                            ? openByMac(target, entry.Mac.empty() ? config.MacAddress : entry.Mac, entry.Via)
                            : openRun(target, config.MacAddress, entry.Via);
    bool result = opened;
    if (opened) {
        for (std::size_t i = 0; i < kWriteTable.size(); ++i) {
            if (!exchange(target, kWriteTable[i].code + values[i], entry.Via)) {
                result = false;
                break;
            }
        }
        // "E" commits; a module that stays silent on it has still taken the settings.
        if (result)
            result = exchange(target, "E", entry.Via);
        // Give the module time to apply what it took before the run is closed.
        PauseMs(500);
    }
    closeRun(target, entry.Via);
    return result;
}
