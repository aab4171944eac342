#pragma once
// The eighteen fields of a module's configuration, in the record's order. Shared by the
// roads (which keep each field's text as read), the dialog model and the command line.

#include <cstddef>
#include <cstdint>

enum class ConfigField : std::uint8_t
{
    UserName,
    DeviceName,
    MacAddress,
    IpAddress,
    IpMode,
    LocalPort,
    Protocol,
    WorkMode,
    TargetIp,
    TargetPort,
    Gateway,
    NetMask,
    BaudIndex,
    Parity,
    DataBitsIndex,
    StopBitsIndex,
    GfcValue,
    GdtValue,
};

inline constexpr std::size_t kConfigFieldCount = 18;

constexpr std::size_t fieldIndex(ConfigField field)
{
    return static_cast<std::size_t>(field);
}
