#include "FakeNet.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>

namespace fakenet {

namespace {

struct State
{
    Script script;
    std::vector<Sent> sent;
    std::optional<ReceivedDatagram> queued; // taken from the script by a wait, not yet read
};

State& state()
{
    static State instance;
    return instance;
}

bool nextArrives()
{
    State& s = state();
    if (!s.queued && s.script)
        s.queued = s.script(s.sent);
    return s.queued.has_value();
}

} // namespace

void reset(Script script)
{
    state() = State{std::move(script), {}, std::nullopt};
}

const std::vector<Sent>& sent()
{
    return state().sent;
}

} // namespace fakenet

using fakenet::state;

SocketError socketError(int wsaNumber)
{
    // The texts the code under test compares with.
    return SocketError("Socket Error # " + std::to_string(wsaNumber) + "\r\n" +
                       (wsaNumber == WsaError::MessageTooLong ? "Message too long." : ""));
}

std::uint32_t resolveHost(const std::string& host)
{
    in_addr address{};
    if (!isDottedQuad(host) || inet_pton(AF_INET, host.c_str(), &address) != 1)
        throw SocketError("Socket Error # 11001\r\nHost not found.");
    return address.s_addr;
}

UdpSocket::UdpSocket() : m_handle(0) {}
UdpSocket::~UdpSocket() = default;
void UdpSocket::setBroadcast(bool) {}
void UdpSocket::setReuseAddress() {}
void UdpSocket::bind(const std::string&, std::uint16_t) {}
int UdpSocket::setReceiveBuffer(int bytes)
{
    return bytes;
}
std::optional<std::uint64_t> UdpSocket::receiveDrops() const
{
    return std::nullopt;
}
std::uint16_t UdpSocket::localPort() const
{
    return 50000;
}

void UdpSocket::sendTo(std::uint32_t address, std::uint16_t port, std::string_view data)
{
    if (data.size() > 65507)
        throw SocketError("Package Size Too Big.");
    state().sent.push_back({address, port, std::string(data)});
}

bool UdpSocket::waitReadable(int)
{
    return fakenet::nextArrives();
}

// One scripted network: what arrives, arrives at the first socket.
std::vector<std::size_t> UdpSocket::waitAnyReadable(const std::vector<const UdpSocket*>& sockets, int)
{
    if (sockets.empty() || !fakenet::nextArrives())
        return {};
    return {0};
}

// The scripted network has no cards: a search falls back to one unbound endpoint.
std::vector<std::string> broadcastInterfaces()
{
    return {};
}

ReceivedDatagram UdpSocket::receive(std::size_t bufferSize)
{
    auto& s = state();
    if (!fakenet::nextArrives())
        throw SocketError("Socket Error # 10035\r\nResource temporarily unavailable.");
    ReceivedDatagram datagram = std::move(*s.queued);
    s.queued.reset();
    // As the real socket does: a datagram longer than the buffer is taken off and raises.
    if (datagram.data.size() > bufferSize)
        throw socketError(WsaError::MessageTooLong);
    return datagram;
}

UdpEndpoint::UdpEndpoint() = default;
UdpEndpoint::~UdpEndpoint() = default;

void UdpEndpoint::Activate()
{
    if (!m_socket)
        m_socket = std::make_unique<UdpSocket>();
}

void UdpEndpoint::Broadcast(std::string_view data, std::uint16_t port)
{
    Send("255.255.255.255", port, data);
}

void UdpEndpoint::Send(const std::string& host, std::uint16_t port, std::string_view data)
{
    Activate();
    m_socket->sendTo(resolveHost(host), port, data);
}

ReceivedDatagram UdpEndpoint::ReceiveString(std::int32_t)
{
    Activate();
    if (!m_socket->waitReadable(50))
        return {};
    return m_socket->receive(static_cast<std::size_t>(std::max(BufferSize, 0)));
}
