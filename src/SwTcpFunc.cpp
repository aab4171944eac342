#include "SwTcpFunc.h"

#include "net.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <unordered_map>
#include <vector>

void PauseMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {

// One try on its own endpoint, so that a late reply to an earlier try is dropped with that
// endpoint and can never be taken for this one's. Empty: no datagram or a zero-length one.
std::string tryOnce(const std::string& host, const std::string& command, std::uint16_t port,
                    const std::string& broadcastVia)
{
    UdpEndpoint endpoint; // released on every way out, errors included
    endpoint.LocalAddress = host.empty() ? broadcastVia : std::string();
    endpoint.Activate();
    if (host.empty())
        endpoint.Broadcast(command, port);
    else
        endpoint.Send(host, port, command);
    return endpoint.ReceiveString(50).data;
}

} // namespace

int exchangeTries(const std::string& command)
{
    // Silence after "E" is success, so a repeat could only commit twice; the reply to "O" is
    // ignored, and after a write that moved the module nobody answers it at all.
    if (command == "E" || command == "O")
        return 1;
    return kExchangeTries;
}

bool ExchangeCommand(const std::string& host, const std::string& command, std::uint16_t port,
                     std::string& value, const std::string& broadcastVia)
{
    value.clear();
    std::string reply;
    // A lost datagram costs one more try; a refusal is an answer and is never repeated.
    for (int tries = exchangeTries(command); reply.empty() && tries > 0; --tries)
        reply = tryOnce(host, command, port, broadcastVia);
    if (reply.empty())
        return command == "E";
    if (reply[0] != 'A')
        return false;
    value = reply.substr(1);
    return true;
}

bool sameMac(std::string_view a, std::string_view b)
{
    const auto fold = [](char c) {
        if (c == ':')
            return '-';
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    return !a.empty() && std::equal(a.begin(), a.end(), b.begin(), b.end(),
                                    [&](char x, char y) { return fold(x) == fold(y); });
}

void MarkSharedIps(std::span<TModelParm> entries)
{
    // Rows grouped by address first: a search of thousands is not compared pair by pair.
    std::unordered_map<std::string, std::vector<TModelParm*>> byIp;
    for (TModelParm& entry : entries) {
        entry.SharedIp = false;
        if (roadOf(entry) == ConfigRoad::Commands)
            byIp[entry.Ip].push_back(&entry);
    }
    for (auto& [ip, group] : byIp) {
        for (TModelParm* entry : group) {
            entry->SharedIp = std::any_of(group.begin(), group.end(), [&](const TModelParm* other) {
                return !sameMac(other->Mac, entry->Mac) && (!other->Mac.empty() || !entry->Mac.empty());
            });
        }
    }
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
