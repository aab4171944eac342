#pragma once
// The socket layer: the only place that talks to the platform's sockets.
// Errors are numbered as Windows Sockets numbers them, on every platform.

#include "NumText.h" // isDottedQuad

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Every failure of the socket layer; what() is the text the user sees.
class SocketError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Windows Sockets numbers (10004 ... 10066, 11001 ... 11004).
namespace WsaError {
constexpr int Interrupted = 10004;
constexpr int MessageTooLong = 10040;
constexpr int NetworkUnreachable = 10051;
constexpr int HostNotFound = 11001;
constexpr int TryAgain = 11002;
constexpr int NoRecovery = 11003;
} // namespace WsaError

// Text of a Windows Sockets number; empty for a number the table does not know.
std::string socketErrorText(int wsaNumber);
// "Socket Error # <n>\r\n<text>".
SocketError socketError(int wsaNumber);
// The platform's last socket error as a Windows Sockets number (identity on Windows).
int lastSocketError();
// A POSIX errno as a Windows Sockets number. Windows numbers its socket errors as 10000
// plus the BSD errno, so each Linux errno maps through its BSD name (ENETUNREACH, 101 on
// Linux and 51 on BSD, gives 10051); an errno with no counterpart is returned as is.
int wsaFromErrno(int errnoValue);

struct ReceivedDatagram
{
    std::string data;
    std::string peerIp;
    std::uint16_t peerPort = 0;
};

// Host text to an IPv4 address in network byte order: "LOCALHOST" in any case is
// 127.0.0.1, a dotted quad of 0..255 parts is taken as it is, anything else is looked up
// (first IPv4 address). A failed look-up raises the socket error, 11001 for an unknown name.
std::uint32_t resolveHost(const std::string& host);

// The local IPv4 address of each of the PC's cards that is up (and, on Linux, running), is
// not a loopback and can broadcast: the first address of each card, in the platform's
// order. Empty when there is none or the platform could not list them.
std::vector<std::string> broadcastInterfaces();

// One IPv4 datagram socket, owned. Used by UdpEndpoint, the simulator and the stand-in
// library; every failure raises SocketError with the texts users see.
class UdpSocket
{
public:
    UdpSocket();  // raises "Cannot allocate socket."
    ~UdpSocket(); // shuts down for sending, closes
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    void setBroadcast(bool on); // the 4-byte option: all bits set or 0
    bool broadcast() const;     // read back from the socket
    void setReuseAddress();
    // Asks for a receive buffer of bytes (beyond the usual cap where the process may) and
    // gives what the OS granted, 0 when it could not be read back. Never raises: a smaller
    // buffer only risks losing datagrams, which receiveDrops() reports.
    int setReceiveBuffer(int bytes);
    // Datagrams the OS dropped on this socket so far, mostly for a full receive buffer;
    // empty where the platform does not count them.
    std::optional<std::uint64_t> receiveDrops() const;
    void bind(const std::string& ip, std::uint16_t port);
    std::uint16_t localPort() const; // 0 while unbound

    // Exactly the bytes of data, no flags. "Package Size Too Big." for 10040,
    // "Not all bytes sent." for a short send.
    void sendTo(std::uint32_t address, std::uint16_t port, std::string_view data);
    // Readability within timeoutMs (negative: no limit). A failed wait counts as false.
    bool waitReadable(int timeoutMs);
    // One datagram into a buffer of bufferSize bytes; a longer one fails with 10040.
    ReceivedDatagram receive(std::size_t bufferSize);

    // Positions of the sockets readable within timeoutMs (negative: no limit); empty when
    // none became readable or the wait failed. For a server that serves several sockets.
    static std::vector<std::size_t> waitAnyReadable(const std::vector<const UdpSocket*>& sockets,
                                                    int timeoutMs);

private:
    std::intptr_t m_handle;
};

// The system's datagram endpoint (created inactive; activated on first use).
class UdpEndpoint
{
public:
    bool BroadcastEnabled = false;
    std::int32_t ReceiveTimeout = -2; // ms; -2 waits without limit
    std::int32_t BufferSize = 8192;
    std::int32_t SocketReceiveBuffer = 0; // bytes asked of the OS on Activate; 0: its default
    // Local IPv4 address the socket is bound to (port 0) on Activate, so that a broadcast
    // leaves by the interface that owns it and replies come back there; empty: unbound.
    std::string LocalAddress;

    UdpEndpoint();
    ~UdpEndpoint();

    // Creates the socket, binds it to LocalAddress when set, and sets its broadcast
    // permission; nothing when already active.
    void Activate();
    // Permission on, Send to 255.255.255.255, permission back to BroadcastEnabled.
    void Broadcast(std::string_view data, std::uint16_t port);
    void Send(const std::string& host, std::uint16_t port, std::string_view data);
    // timeout in ms: -1 uses ReceiveTimeout, -2 waits without limit. Empty data, empty
    // peer and port 0 when nothing became readable (or the wait itself failed).
    ReceivedDatagram ReceiveString(std::int32_t timeout);

    bool Active() const { return m_socket != nullptr; }
    UdpSocket* socket() const { return m_socket.get(); }

private:
    std::unique_ptr<UdpSocket> m_socket;
};
