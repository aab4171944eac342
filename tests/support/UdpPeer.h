#pragma once
// A small module stand-in for transport tests: a socket bound to an address and port that
// answers every datagram from a thread, and remembers what it received.

#include "net.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class UdpPeer
{
public:
    // Given a request, the replies to send back to its source (each one datagram).
    using Responder = std::function<std::vector<std::string>(const ReceivedDatagram&)>;

    UdpPeer(const std::string& ip, std::uint16_t port, Responder responder, int replyDelayMs = 0);
    ~UdpPeer();

    std::vector<ReceivedDatagram> received() const;
    std::uint16_t port() const { return m_socket.localPort(); }

private:
    void run();

    UdpSocket m_socket;
    Responder m_responder;
    int m_replyDelayMs;
    mutable std::mutex m_mutex;
    std::vector<ReceivedDatagram> m_received;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
