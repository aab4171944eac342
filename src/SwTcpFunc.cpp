#include "SwTcpFunc.h"

#include "net.h"

#include <chrono>
#include <thread>

void PauseMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool ExchangeCommand(const std::string& host, const std::string& command, std::uint16_t port,
                     std::string& value, const std::string& broadcastVia)
{
    UdpEndpoint endpoint; // released on every way out, errors included
    endpoint.LocalAddress = host.empty() ? broadcastVia : std::string();
    endpoint.Activate();
    value.clear();
    if (host.empty())
        endpoint.Broadcast(command, port);
    else
        endpoint.Send(host, port, command);

    const ReceivedDatagram reply = endpoint.ReceiveString(50);
    if (reply.data.empty())
        return command == "E";
    if (reply.data[0] != 'A')
        return false;
    value = reply.data.substr(1);
    return true;
}

ConfigMember memberOf(ConfigField field)
{
    using F = ConfigField;
    switch (field) {
    case F::UserName:
        return &TModelConfig::UserName;
    case F::DeviceName:
        return &TModelConfig::DeviceName;
    case F::MacAddress:
        return &TModelConfig::MacAddress;
    case F::IpAddress:
        return &TModelConfig::IpAddress;
    case F::IpMode:
        return &TModelConfig::IpMode;
    case F::LocalPort:
        return &TModelConfig::LocalPort;
    case F::Protocol:
        return &TModelConfig::Protocol;
    case F::WorkMode:
        return &TModelConfig::WorkMode;
    case F::TargetIp:
        return &TModelConfig::TargetIp;
    case F::TargetPort:
        return &TModelConfig::TargetPort;
    case F::Gateway:
        return &TModelConfig::Gateway;
    case F::NetMask:
        return &TModelConfig::NetMask;
    case F::BaudIndex:
        return &TModelConfig::BaudIndex;
    case F::Parity:
        return &TModelConfig::Parity;
    case F::DataBitsIndex:
        return &TModelConfig::DataBitsIndex;
    case F::StopBitsIndex:
        return &TModelConfig::StopBitsIndex;
    case F::GfcValue:
        return &TModelConfig::GfcValue;
    case F::GdtValue:
        return &TModelConfig::GdtValue;
    }
    return &TModelConfig::GdtValue;
}

ConfigRoad roadOf(const TModelParm& entry)
{
    return entry.ViaCommandProtocol != 0 ? ConfigRoad::Commands : ConfigRoad::Library;
}

std::size_t maxReadableValueBytes(ConfigRoad road)
{
    return road == ConfigRoad::Commands ? kCommandRoadMaxValueBytes : kLibraryRoadMaxValueBytes;
}

bool roadCarries(ConfigRoad road, ConfigField field)
{
    switch (field) {
    case ConfigField::StopBitsIndex:
        return road == ConfigRoad::Library;
    case ConfigField::UserName:
    case ConfigField::Protocol:
    case ConfigField::GfcValue:
    case ConfigField::GdtValue:
        return road == ConfigRoad::Commands;
    default:
        return true;
    }
}
