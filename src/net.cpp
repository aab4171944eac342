#include "net.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h.
#include <iphlpapi.h>
#else
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#ifdef __linux__
#include <linux/sock_diag.h>
#endif
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
const NativeSocket kInvalidSocket = INVALID_SOCKET;
using SockLen = int;

// Windows Sockets counts its users: every socket and every look-up holds one use while it
// lives. No global does it, because the stand-in DLL links this file too, and a DLL must
// not start or end Windows Sockets while it is being loaded or unloaded.
class WinsockUse
{
public:
    WinsockUse()
    {
        WSADATA data;
        m_error = WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUse()
    {
        if (m_error == 0)
            WSACleanup();
    }
    WinsockUse(const WinsockUse&) = delete;
    WinsockUse& operator=(const WinsockUse&) = delete;
    int error() const { return m_error; }
    void handOver() { m_error = -1; } // the socket's destructor ends this use

private:
    int m_error;
};
#else
using NativeSocket = int;
const NativeSocket kInvalidSocket = -1;
using SockLen = socklen_t;
#endif

NativeSocket native(std::intptr_t handle)
{
    return static_cast<NativeSocket>(handle);
}

struct ErrorText
{
    int number;
    const char* text;
};

constexpr std::array<ErrorText, 39> kErrorTexts{{
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
    {11001, "Host not found."},
}};

#ifndef _WIN32
struct ErrnoPair
{
    int errnoValue;
    int wsa;
};

// Linux errno to the BSD errno's Windows Sockets number (10000 + BSD value).
constexpr ErrnoPair kErrnoMap[] = {
    {EINTR, 10004},         {EBADF, 10009},        {EACCES, 10013},          {EFAULT, 10014},
    {EINVAL, 10022},        {EMFILE, 10024},       {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},
    {EALREADY, 10037},      {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},    {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},     {ENETUNREACH, 10051},     {ENETRESET, 10052},
    {ECONNABORTED, 10053},  {ECONNRESET, 10054},   {ENOBUFS, 10055},         {EISCONN, 10056},
    {ENOTCONN, 10057},      {ESHUTDOWN, 10058},    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},  {ELOOP, 10062},        {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},  {ENOTEMPTY, 10066},
};
#endif

// getaddrinfo's failures as the Windows Sockets look-up numbers.
int wsaFromLookup(int code)
{
#ifdef _WIN32
    return code;
#else
    switch (code) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return WsaError::HostNotFound;
    case EAI_AGAIN:
        return WsaError::TryAgain;
    case EAI_SYSTEM:
        return wsaFromErrno(errno);
    default:
        return WsaError::NoRecovery;
    }
#endif
}

} // namespace

std::string socketErrorText(int wsaNumber)
{
    const auto it = std::find_if(kErrorTexts.begin(), kErrorTexts.end(),
                                 [wsaNumber](const ErrorText& e) { return e.number == wsaNumber; });
    return it == kErrorTexts.end() ? std::string() : std::string(it->text);
}

SocketError socketError(int wsaNumber)
{
    return SocketError("Socket Error # " + std::to_string(wsaNumber) + "\r\n" + socketErrorText(wsaNumber));
}

int wsaFromErrno(int errnoValue)
{
#ifdef _WIN32
    return errnoValue;
#else
    for (const auto& pair : kErrnoMap) {
        if (pair.errnoValue == errnoValue)
            return pair.wsa;
    }
    return errnoValue;
#endif
}

int lastSocketError()
{
#ifdef _WIN32
    return WSAGetLastError();
#else
    return wsaFromErrno(errno);
#endif
}

std::uint32_t resolveHost(const std::string& host)
{
    std::string text = host;
    std::string upper = host;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
    if (upper == "LOCALHOST")
        text = "127.0.0.1";

    if (isDottedQuad(text)) {
        std::uint32_t hostOrder = 0;
        std::size_t start = 0;
        for (int part = 0; part < 4; ++part) {
            const std::size_t end = text.find('.', start);
            hostOrder =
                (hostOrder << 8) | static_cast<std::uint32_t>(std::stoi(text.substr(start, end - start)));
            start = end + 1;
        }
        return htonl(hostOrder);
    }

#ifdef _WIN32
    const WinsockUse use;
    if (use.error() != 0)
        throw socketError(use.error());
#endif
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(text.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr)
        throw socketError(rc != 0 ? wsaFromLookup(rc) : WsaError::HostNotFound);
    const auto address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return address;
}

std::vector<std::string> broadcastInterfaces()
{
    std::vector<std::string> addresses;
#ifdef _WIN32
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    // The list may grow between the two calls; a few tries settle it.
    for (int attempt = 0; attempt < 3 && rc == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        rc = GetAdaptersAddresses(AF_INET,
                                  GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
                                  nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (rc != NO_ERROR)
        return addresses;
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
         adapter = adapter->Next) {
        // A tunnel (a VPN's, 6to4) carries no broadcast.
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK ||
            adapter->IfType == IF_TYPE_TUNNEL)
            continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET)
                continue;
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
            addresses.push_back(text);
            break;
        }
    }
#else
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return addresses;
    std::vector<std::string> cards; // names seen, an alias ("eth0:1") as its card
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        const unsigned flags = entry->ifa_flags;
        if (!(flags & IFF_UP) || !(flags & IFF_RUNNING) || (flags & IFF_LOOPBACK) || !(flags & IFF_BROADCAST))
            continue;
        std::string card = entry->ifa_name;
        card = card.substr(0, card.find(':'));
        // One probe per card: a second address of it would send the same broadcast again.
        if (std::find(cards.begin(), cards.end(), card) != cards.end())
            continue;
        cards.push_back(card);
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, text,
                    sizeof text);
        addresses.push_back(text);
    }
    ::freeifaddrs(list);
#endif
    return addresses;
}

// ---- UdpSocket ----

UdpSocket::UdpSocket()
{
#ifdef _WIN32
    WinsockUse use;
    if (use.error() != 0)
        throw SocketError("Cannot allocate socket.");
#endif
    const NativeSocket s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s == kInvalidSocket)
        throw SocketError("Cannot allocate socket.");
    m_handle = static_cast<std::intptr_t>(s);
#ifdef _WIN32
    use.handOver();
#endif
}

UdpSocket::~UdpSocket()
{
#ifdef _WIN32
    ::shutdown(native(m_handle), SD_SEND);
    ::closesocket(native(m_handle));
    WSACleanup(); // the use its constructor began
#else
    ::shutdown(native(m_handle), SHUT_WR);
    ::close(native(m_handle));
#endif
}

void UdpSocket::setBroadcast(bool on)
{
    const std::int32_t value = on ? -1 : 0;
    if (::setsockopt(native(m_handle), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&value),
                     sizeof value) != 0)
        throw socketError(lastSocketError());
}

bool UdpSocket::broadcast() const
{
    std::int32_t value = 0;
    SockLen size = sizeof value;
    if (::getsockopt(native(m_handle), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&value), &size) != 0)
        throw socketError(lastSocketError());
    return value != 0;
}

void UdpSocket::setReuseAddress()
{
    const std::int32_t value = 1;
    if (::setsockopt(native(m_handle), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&value),
                     sizeof value) != 0)
        throw socketError(lastSocketError());
}

int UdpSocket::setReceiveBuffer(int bytes)
{
    const char* value = reinterpret_cast<const char*>(&bytes);
#ifdef SO_RCVBUFFORCE
    // Beyond net.core.rmem_max, where the process has CAP_NET_ADMIN.
    if (::setsockopt(native(m_handle), SOL_SOCKET, SO_RCVBUFFORCE, value, sizeof bytes) != 0)
#endif
        ::setsockopt(native(m_handle), SOL_SOCKET, SO_RCVBUF, value, sizeof bytes);
    int granted = 0;
    SockLen size = sizeof granted;
    if (::getsockopt(native(m_handle), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&granted), &size) != 0)
        return 0;
    return granted;
}

std::optional<std::uint64_t> UdpSocket::receiveDrops() const
{
#if defined(__linux__) && defined(SO_MEMINFO)
    std::array<std::uint32_t, SK_MEMINFO_VARS> info{};
    SockLen size = sizeof info;
    if (::getsockopt(native(m_handle), SOL_SOCKET, SO_MEMINFO, info.data(), &size) == 0 &&
        size > SK_MEMINFO_DROPS * sizeof(std::uint32_t))
        return info[SK_MEMINFO_DROPS];
#endif
    return std::nullopt;
}

void UdpSocket::bind(const std::string& ip, std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = ip.empty() ? htonl(INADDR_ANY) : resolveHost(ip);
    if (::bind(native(m_handle), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw socketError(lastSocketError());
}

std::uint16_t UdpSocket::localPort() const
{
    sockaddr_in address{};
    SockLen size = sizeof address;
    if (::getsockname(native(m_handle), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

void UdpSocket::sendTo(std::uint32_t address, std::uint16_t port, std::string_view data)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
#ifdef _WIN32
    const int sent = ::sendto(native(m_handle), data.data(), static_cast<int>(data.size()), 0,
                              reinterpret_cast<const sockaddr*>(&target), sizeof target);
#else
    const ssize_t sent = ::sendto(native(m_handle), data.data(), data.size(), 0,
                                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
#endif
    if (sent < 0) {
        const int error = lastSocketError();
        if (error == WsaError::MessageTooLong)
            throw SocketError("Package Size Too Big.");
        throw socketError(error);
    }
    if (static_cast<std::size_t>(sent) != data.size())
        throw SocketError("Not all bytes sent.");
}

bool UdpSocket::waitReadable(int timeoutMs)
{
#ifdef _WIN32
    // select, not WSAPoll: it also wakes for a pending error such as 10054, so that the
    // receive that follows reports it.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(native(m_handle), &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return ::select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit) > 0;
#else
    pollfd entry{native(m_handle), POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs) > 0;
#endif
}

std::vector<std::size_t> UdpSocket::waitAnyReadable(const std::vector<const UdpSocket*>& sockets,
                                                    int timeoutMs)
{
#ifdef _WIN32
    std::vector<WSAPOLLFD> entries;
    for (const UdpSocket* socket : sockets)
        entries.push_back({native(socket->m_handle), POLLRDNORM, 0});
    const int ready =
        ::WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), timeoutMs < 0 ? -1 : timeoutMs);
#else
    std::vector<pollfd> entries;
    for (const UdpSocket* socket : sockets)
        entries.push_back({native(socket->m_handle), POLLIN, 0});
    const int ready = ::poll(entries.data(), entries.size(), timeoutMs < 0 ? -1 : timeoutMs);
#endif
    std::vector<std::size_t> readable;
    if (ready <= 0)
        return readable;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].revents != 0)
            readable.push_back(i);
    }
    return readable;
}

ReceivedDatagram UdpSocket::receive(std::size_t bufferSize)
{
    std::string buffer(bufferSize, '\0');
    sockaddr_in peer{};
    SockLen peerSize = sizeof peer;
#ifdef _WIN32
    const int received = ::recvfrom(native(m_handle), buffer.data(), static_cast<int>(buffer.size()), 0,
                                    reinterpret_cast<sockaddr*>(&peer), &peerSize);
    if (received < 0)
        throw socketError(lastSocketError()); // a longer datagram fails with WSAEMSGSIZE
#else
    // MSG_TRUNC makes Linux report the datagram's real length, so a longer one is seen.
    const ssize_t received = ::recvfrom(native(m_handle), buffer.data(), buffer.size(), MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&peer), &peerSize);
    if (received < 0)
        throw socketError(lastSocketError());
    if (static_cast<std::size_t>(received) > bufferSize)
        throw socketError(WsaError::MessageTooLong);
#endif
    buffer.resize(static_cast<std::size_t>(received));
    char ipText[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, ipText, sizeof ipText);
    return {std::move(buffer), ipText, ntohs(peer.sin_port)};
}

// ---- UdpEndpoint ----

UdpEndpoint::UdpEndpoint() = default;
UdpEndpoint::~UdpEndpoint() = default;

void UdpEndpoint::Activate()
{
    if (m_socket)
        return;
    auto created = std::make_unique<UdpSocket>();
    if (!LocalAddress.empty())
        created->bind(LocalAddress, 0);
    created->setBroadcast(BroadcastEnabled);
    if (SocketReceiveBuffer > 0)
        created->setReceiveBuffer(SocketReceiveBuffer);
    m_socket = std::move(created);
}

void UdpEndpoint::Broadcast(std::string_view data, std::uint16_t port)
{
    Activate();
    m_socket->setBroadcast(true);
    try {
        Send("255.255.255.255", port, data);
    } catch (...) {
        try {
            m_socket->setBroadcast(BroadcastEnabled);
        } catch (const SocketError&) {
            // The send's error is the one worth reporting.
        }
        throw;
    }
    m_socket->setBroadcast(BroadcastEnabled);
}

void UdpEndpoint::Send(const std::string& host, std::uint16_t port, std::string_view data)
{
    Activate();
    m_socket->sendTo(resolveHost(host), port, data);
}

ReceivedDatagram UdpEndpoint::ReceiveString(std::int32_t timeout)
{
    Activate();
    if (timeout == -1)
        timeout = ReceiveTimeout;
    if (!m_socket->waitReadable(timeout == -2 ? -1 : timeout))
        return {};
    return m_socket->receive(static_cast<std::size_t>(std::max(BufferSize, 0)));
}
