#include "UdpPeer.h"

#include <chrono>

UdpPeer::UdpPeer(const std::string& ip, std::uint16_t port, Responder responder, int replyDelayMs)
    : m_responder(std::move(responder)), m_replyDelayMs(replyDelayMs)
{
    m_socket.setReuseAddress();
    m_socket.bind(ip, port);
    m_thread = std::thread([this] { run(); });
}

UdpPeer::~UdpPeer()
{
    m_stop = true;
    m_thread.join();
}

std::vector<ReceivedDatagram> UdpPeer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

void UdpPeer::run()
{
    while (!m_stop) {
        if (!m_socket.waitReadable(10))
            continue;
        const ReceivedDatagram request = m_socket.receive(65536);
        {
            std::lock_guard lock(m_mutex);
            m_received.push_back(request);
        }
        if (m_replyDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_replyDelayMs));
        for (const auto& reply : m_responder(request))
            m_socket.sendTo(resolveHost(request.peerIp), request.peerPort, reply);
    }
}
