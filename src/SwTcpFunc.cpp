#include "SwTcpFunc.h"

#include "net.h"

#include <chrono>
#include <thread>

void PauseMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool ExchangeCommand(const std::string& host, const std::string& command, std::uint16_t port,
                     std::string& value)
{
    UdpEndpoint endpoint; // released on every way out, errors included
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
