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
