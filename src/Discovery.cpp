#include "Discovery.h"

#include "MivexAdv.h"
#include "net.h"

#include <cstring>

namespace {

// The physical address sits between the reply's first character and its first "/".
std::string macFromProbeReply(const std::string& reply)
{
    const std::size_t slash = reply.find('/');
    if (slash == std::string::npos || slash < 2)
        return {};
    return reply.substr(1, slash - 1);
}

// A library buffer's text: up to the first NUL, all of it when there is none.
std::string bufferText(const char* buffer, std::size_t size)
{
    return std::string(buffer, strnlen(buffer, size));
}

} // namespace

void ConfigureDiscoveryEndpoint(UdpEndpoint& endpoint)
{
    endpoint.BroadcastEnabled = true;
    endpoint.ReceiveTimeout = 1000;
}

void RunSearch(UdpEndpoint& endpoint, const RowSink& sink)
{
    endpoint.Activate();
    endpoint.Broadcast("X", kCommandPort);
    for (ReceivedDatagram reply = endpoint.ReceiveString(50); !reply.data.empty();
         reply = endpoint.ReceiveString(50)) {
        TModelParm entry;
        entry.Ip = reply.peerIp;
        entry.Mac = macFromProbeReply(reply.data);
        entry.Port = reply.peerPort;
        entry.ViaCommandProtocol = 1;
        sink(entry);
    }

    PauseMs(100);
    MX_SearchAll();
    PauseMs(100);

    // One set of out-arguments serves every call; the library overwrites what it reports.
    char ipText[kMxSearchTextSize] = {};
    char secondText[kMxSearchTextSize] = {};
    char macText[kMxSearchTextSize] = {};
    std::uint8_t tag = 0;
    std::uint8_t secondByte = 0;
    std::int32_t port = 0;
    while (MX_GetSearchDev(ipText, secondText, macText, &tag, &secondByte, &port) == 1) {
        TModelParm entry;
        entry.Ip = bufferText(ipText, sizeof ipText);
        entry.Mac = bufferText(macText, sizeof macText);
        entry.Port = port;
        entry.ViaCommandProtocol = 0;
        entry.LibraryTag = tag;
        sink(entry);
    }
}
