#pragma once
// Stop-gap until the settings dialog's form table and the per-road limits are in the core:
// the few of their names the command line uses, with the same meaning. Delete this file
// and include TcpSetForm.h, TcpSetModel.h and SwTcpFunc.h instead once they are.

#include "ConfigField.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

enum class FieldForm : std::uint8_t
{
    Free,
    DottedIpv4,
    Port,
};

struct ControlSpec
{
    std::string_view label;
    std::span<const std::string_view> items;
    FieldForm form;
    ConfigField field;
};

inline constexpr std::array<std::string_view, 2> kShimIpModes{"静态", "动态"};
inline constexpr std::array<std::string_view, 2> kShimProtocols{"UDP", "TCP"};
inline constexpr std::array<std::string_view, 3> kShimWorkModes{"服务器", "自动", "客户端"};
inline constexpr std::array<std::string_view, 9> kShimBauds{"1200",  "2400",  "4800",   "9600", "19200",
                                                            "38400", "57600", "115200", ""};
inline constexpr std::array<std::string_view, 5> kShimParities{"None", "Even", "Odd", "Mark", "Space"};
inline constexpr std::array<std::string_view, 2> kShimDataBits{"7", "8"};
inline constexpr std::array<std::string_view, 4> kShimStopBits{"0", "1", "2", "3"};

inline const std::array<ControlSpec, 16>& controlTable()
{
    using enum FieldForm;
    using F = ConfigField;
    static const std::array<ControlSpec, 16> table{{
        {"使用者：", {}, Free, F::UserName},
        {"设备名：", {}, Free, F::DeviceName},
        {"MAC地址：", {}, Free, F::MacAddress},
        {"IP获取方式：", kShimIpModes, Free, F::IpMode},
        {"IP地址：", {}, DottedIpv4, F::IpAddress},
        {"端口号：", {}, Port, F::LocalPort},
        {"传输协议：", kShimProtocols, Free, F::Protocol},
        {"工作模式：", kShimWorkModes, Free, F::WorkMode},
        {"目标IP：", {}, DottedIpv4, F::TargetIp},
        {"目标端口：", {}, Port, F::TargetPort},
        {"网关：", {}, DottedIpv4, F::Gateway},
        {"网络掩码：", {}, DottedIpv4, F::NetMask},
        {"波特率：", kShimBauds, Free, F::BaudIndex},
        {"校验：", kShimParities, Free, F::Parity},
        {"比特位：", kShimDataBits, Free, F::DataBitsIndex},
        {"停止位：", kShimStopBits, Free, F::StopBitsIndex},
    }};
    return table;
}

inline bool hasForm(FieldForm form, std::string_view text)
{
    switch (form) {
    case FieldForm::DottedIpv4:
        return isDottedQuad(text);
    case FieldForm::Port: {
        if (text.empty() || text.size() > 5)
            return false;
        int value = 0;
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + (c - '0');
        }
        return value <= 65535;
    }
    case FieldForm::Free:
        break;
    }
    return true;
}

enum class ConfigRoad : std::uint8_t
{
    Commands,
    Library,
};

inline ConfigRoad roadOf(const TModelParm& entry)
{
    return entry.ViaCommandProtocol ? ConfigRoad::Commands : ConfigRoad::Library;
}

inline std::size_t maxReadableValueBytes(ConfigRoad road)
{
    return road == ConfigRoad::Commands ? 8191 : 99;
}

inline bool roadCarries(ConfigRoad road, ConfigField field)
{
    using F = ConfigField;
    if (road == ConfigRoad::Commands)
        return field != F::StopBitsIndex;
    return field != F::UserName && field != F::Protocol && field != F::GfcValue && field != F::GdtValue;
}
