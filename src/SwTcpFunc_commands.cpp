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
    Field field;
};

// Sent in this order. StopBitsIndex has no command.
constexpr std::array<CommandRow, 17> kReadTable{{
    {"GON", &TModelConfig::UserName},
    {"GDN", &TModelConfig::DeviceName},
    {"GFE", &TModelConfig::MacAddress},
    {"GDH", &TModelConfig::IpMode},
    {"GIP", &TModelConfig::IpAddress},
    {"GPN", &TModelConfig::LocalPort},
    {"GTP", &TModelConfig::Protocol},
    {"GRM", &TModelConfig::WorkMode},
    {"GDI", &TModelConfig::TargetIp},
    {"GDP", &TModelConfig::TargetPort},
    {"GGI", &TModelConfig::Gateway},
    {"GNM", &TModelConfig::NetMask},
    {"GBR", &TModelConfig::BaudIndex},
    {"GPR", &TModelConfig::Parity},
    {"GBB", &TModelConfig::DataBitsIndex},
    {"GFC", &TModelConfig::GfcValue},
    {"GDT", &TModelConfig::GdtValue},
}};

// Sent in this order; the module's own address goes last, after every other setting.
// MacAddress only reaches the module through "W"; the last three codes are never sent.
constexpr std::array<CommandRow, 14> kWriteTable{{
    {"SON", &TModelConfig::UserName},
    {"SDN", &TModelConfig::DeviceName},
    {"SDH", &TModelConfig::IpMode},
    {"SPN", &TModelConfig::LocalPort},
    {"STP", &TModelConfig::Protocol},
    {"SRM", &TModelConfig::WorkMode},
    {"SDI", &TModelConfig::TargetIp},
    {"SDP", &TModelConfig::TargetPort},
    {"SGI", &TModelConfig::Gateway},
    {"SNM", &TModelConfig::NetMask},
    {"SBR", &TModelConfig::BaudIndex},
    {"SPR", &TModelConfig::Parity},
    {"SBB", &TModelConfig::DataBitsIndex},
    {"SIP", &TModelConfig::IpAddress},
}};

// Modules are trusted to send numbers but not relied upon: anything else reads as 0.
void storeValue(Field field, const std::string& value, TModelConfig& config)
{
    std::visit(Overloaded{
                   [&](std::string TModelConfig::*text) { config.*text = value; },
                   [&](std::int32_t TModelConfig::*number) { config.*number = lenientToInt(value); },
                   // The low 8 bits: "300" gives 44, "-1" gives 255.
                   [&](std::uint8_t TModelConfig::*code) {
                       config.*code = static_cast<std::uint8_t>(lenientToInt(value));
                   },
               },
               field);
}

std::string valueText(Field field, const TModelConfig& config)
{
    return std::visit(Overloaded{
                          [&](std::string TModelConfig::*text) { return config.*text; },
                          [&](std::int32_t TModelConfig::*number) { return decimalText(config.*number); },
                          [&](std::uint8_t TModelConfig::*code) { return decimalText(config.*code); },
                      },
                      field);
}

bool exchange(const std::string& target, const std::string& command)
{
    std::string ignored;
    return ExchangeCommand(target, command, kCommandPort, ignored);
}

// "L" at the module's address; when that fails, the module is selected by its physical
// address and opened by broadcast, and target becomes empty so the rest of the run (the
// closing "O" included) follows by broadcast too.
bool openRun(std::string& target, const std::string& mac)
{
    if (exchange(target, "L"))
        return true;
    target.clear();
    if (!exchange(target, "W" + mac))
        return false;
    return exchange(target, "L");
}

// Closes every run that reached it; the module's answer changes nothing.
void closeRun(const std::string& target)
{
    exchange(target, "O");
}

} // namespace

bool ReadConfigByCommands(const TModelParm& entry, TModelConfig& config)
{
    std::string target = entry.Ip;
    bool result = openRun(target, entry.Mac);
    if (result) {
        std::string value;
        for (const CommandRow& row : kReadTable) {
            if (!ExchangeCommand(target, row.code, kCommandPort, value)) {
                result = false;
                break;
            }
            // Stored at once: a later refusal leaves the fields read so far in place.
            storeValue(row.field, value, config);
        }
    }
    closeRun(target);
    return result;
}

bool WriteConfigByCommands(const TModelParm& entry, const TModelConfig& config)
{
    std::string target = entry.Ip;
    const bool opened = openRun(target, config.MacAddress);
    bool result = opened;
    if (opened) {
        for (const CommandRow& row : kWriteTable) {
            if (!exchange(target, row.code + valueText(row.field, config))) {
                result = false;
                break;
            }
        }
        // "E" commits; a module that stays silent on it has still taken the settings.
        if (result)
            result = exchange(target, "E");
        // Give the module time to apply what it took before the run is closed.
        PauseMs(500);
    }
    closeRun(target);
    return result;
}
