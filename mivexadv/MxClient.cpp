#include "MxClient.h"

#include "net.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <random>

namespace mx {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReceiveBufferSize = 65536;
constexpr int kMaxLateReplies = 256;

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left, 0));
}

std::optional<std::int32_t> parseInt32(const std::string& text)
{
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<SearchResult> searchResultOf(const Message& reply)
{
    const auto tag = parseUnsigned(reply.fields[4], 255);
    const auto version = parseUnsigned(reply.fields[5], 255);
    const auto port = parseInt32(reply.fields[6]);
    if (!tag || !version || !port)
        return std::nullopt;
    return SearchResult{reply.fields[1],
                        reply.fields[2],
                        reply.fields[3],
                        static_cast<std::uint8_t>(*tag),
                        static_cast<std::uint8_t>(*version),
                        *port};
}

} // namespace

void copyText(const std::string& text, char* buffer, std::size_t size)
{
    if (buffer == nullptr || size == 0)
        return;
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

MxClient::MxClient() : m_nonce(std::random_device{}()) {}

MxClient::~MxClient() = default;

UdpSocket& MxClient::socket()
{
    if (!m_socket) {
        auto created = std::make_unique<UdpSocket>();
        created->setBroadcast(true);
        m_socket = std::move(created);
    }
    return *m_socket;
}

std::string MxClient::nextNonce()
{
    return std::to_string(++m_nonce);
}

void MxClient::dropQueued()
{
    UdpSocket& s = socket();
    while (s.waitReadable(0)) {
        try {
            s.receive(kReceiveBufferSize);
        } catch (const SocketError&) {
            // A failed read still takes the datagram off the queue.
        }
    }
}

void MxClient::searchAll()
{
    m_found.clear();
    m_handedOut = 0;
    m_collecting = false;
    dropQueued();
    m_searchNonce = nextNonce();
    const std::string request = encode({MessageType::Search, {m_searchNonce}});
    const std::uint32_t everyone = resolveHost("255.255.255.255");
    // Out of every card, each from a socket bound to it (a broadcast leaves only by the card
    // of its source address); by the default route when no card is listed.
    m_searchSockets.clear();
    for (const std::string& card : broadcastInterfaces()) {
        try {
            auto bound = std::make_unique<UdpSocket>();
            bound->setBroadcast(true);
            bound->bind(card, 0);
            bound->sendTo(everyone, kLibraryPort, request);
            m_searchSockets.push_back(std::move(bound));
        } catch (const SocketError&) {
            // A card that fails leaves the others to search.
        }
    }
    if (m_searchSockets.empty())
        socket().sendTo(everyone, kLibraryPort, request);
    m_searchStarted = Clock::now();
    m_collecting = true;
}

std::optional<SearchResult> MxClient::nextSearchResult()
{
    if (m_collecting) {
        m_collecting = false;
        const auto deadline = m_searchStarted + kSearchWindow;
        std::vector<UdpSocket*> sockets;
        for (const auto& bound : m_searchSockets)
            sockets.push_back(bound.get());
        if (sockets.empty())
            sockets.push_back(&socket());
        const std::vector<const UdpSocket*> listening(sockets.begin(), sockets.end());
        // Past the window, what is already queued is still taken, up to a bound.
        int lateReads = 0;
        for (;;) {
            const int waitMs = remainingMs(deadline);
            const std::vector<std::size_t> ready = UdpSocket::waitAnyReadable(listening, waitMs);
            if (ready.empty() || (waitMs == 0 && ++lateReads > kMaxLateReplies))
                break;
            // One datagram per wait, from the first card that has one: the others keep theirs.
            std::optional<Message> reply;
            try {
                reply = decode(sockets[ready.front()]->receive(kReceiveBufferSize).data);
            } catch (const SocketError&) {
                continue;
            }
            if (!reply || reply->type != MessageType::SearchReply || reply->fields[0] != m_searchNonce)
                continue;
            const auto found = searchResultOf(*reply);
            const bool known =
                found && std::any_of(m_found.begin(), m_found.end(), [&](const SearchResult& r) {
                    return r.mac == found->mac && r.ip == found->ip;
                });
            if (found && !known)
                m_found.push_back(*found);
        }
    }
    if (m_handedOut >= m_found.size())
        return std::nullopt;
    return m_found[m_handedOut++];
}

std::optional<Message> MxClient::exchange(const std::string& ip, const Message& request, MessageType accepted,
                                          bool byMac)
{
    if (!isDottedQuad(ip))
        return std::nullopt;
    const std::string bytes = encode(request);
    if (bytes.size() > kMaxMessageSize)
        return std::nullopt;
    const std::uint32_t address = resolveHost(byMac ? "255.255.255.255" : ip);
    UdpSocket& s = socket();
    dropQueued();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        s.sendTo(address, kLibraryPort, bytes);
        const auto deadline = Clock::now() + kReplyWait;
        while (s.waitReadable(remainingMs(deadline))) {
            std::optional<Message> reply;
            try {
                reply = decode(s.receive(kReceiveBufferSize).data);
            } catch (const SocketError&) {
                continue;
            }
            if (reply && reply->fields[0] == request.fields[0] &&
                (reply->type == accepted || reply->type == MessageType::Refused))
                return reply;
            if (remainingMs(deadline) == 0)
                break;
        }
    }
    return std::nullopt;
}

std::optional<std::string> MxClient::sharedAddressMac(const std::string& ip, std::uint32_t tag) const
{
    const auto atIp = [&](const SearchResult& r) { return r.ip == ip; };
    if (std::count_if(m_found.begin(), m_found.end(), atIp) < 2)
        return std::nullopt;
    const auto it = std::find_if(m_found.begin(), m_found.end(),
                                 [&](const SearchResult& r) { return atIp(r) && r.tag == tag; });
    if (it == m_found.end())
        return std::nullopt;
    return it->mac;
}

std::optional<Message> MxClient::fetchConfig(const std::string& ip, std::uint32_t tag)
{
    if (const auto mac = sharedAddressMac(ip, tag))
        return exchange(ip, {MessageType::FetchByMac, {nextNonce(), *mac, std::to_string(tag)}},
                        MessageType::Config, true);
    return exchange(ip, {MessageType::Fetch, {nextNonce(), std::to_string(tag)}}, MessageType::Config);
}

bool MxClient::fetch(const std::string& ip, std::uint32_t tag)
{
    m_config.reset();
    const auto reply = fetchConfig(ip, tag);
    if (!reply || reply->type != MessageType::Config)
        return false;
    std::map<std::string, std::string> config;
    for (std::size_t i = 1; i + 1 < reply->fields.size(); i += 2)
        config[reply->fields[i]] = reply->fields[i + 1];
    m_config = std::move(config);
    return true;
}

std::optional<std::string> MxClient::configValue(const std::string& key) const
{
    if (!m_config)
        return std::nullopt;
    const auto it = m_config->find(key);
    if (it == m_config->end())
        return std::nullopt;
    return it->second;
}

void MxClient::addChange(const std::string& key, const std::string& value)
{
    const auto it =
        std::find_if(m_changes.begin(), m_changes.end(), [&](const auto& c) { return c.first == key; });
    if (it != m_changes.end())
        it->second = value;
    else
        m_changes.emplace_back(key, value);
}

bool MxClient::modify(const std::string& ip, const std::string& password, std::uint32_t tag)
{
    // Modules that share an address are told apart by the MAC the search gave the tag.
    const std::optional<std::string> mac = sharedAddressMac(ip, tag);
    Message request =
        mac ? Message{MessageType::ModifyByMac, {nextNonce(), *mac, std::to_string(tag), password}}
            : Message{MessageType::Modify, {nextNonce(), std::to_string(tag), password}};
    for (const auto& [key, value] : m_changes) {
        request.fields.push_back(key);
        request.fields.push_back(value);
    }
    const auto reply = exchange(ip, request, MessageType::Accepted, mac.has_value());
    if (reply)
        return reply->type == MessageType::Accepted;
    // No answer at all: the request or only its reply was lost. The module's configuration
    // tells which, so that a modify is reported done exactly when it took effect.
    return changesApplied(ip, tag);
}

bool MxClient::changesApplied(const std::string& ip, std::uint32_t tag)
{
    std::string at = ip; // a module that took a new address answers only there
    for (const auto& [key, value] : m_changes) {
        if (key == "IP" && isDottedQuad(value))
            at = value;
    }
    const auto reply = fetchConfig(at, tag);
    if (!reply || reply->type != MessageType::Config)
        return false;
    std::map<std::string, std::string> config;
    for (std::size_t i = 1; i + 1 < reply->fields.size(); i += 2)
        config[reply->fields[i]] = reply->fields[i + 1];
    return std::all_of(m_changes.begin(), m_changes.end(), [&](const auto& change) {
        const auto it = config.find(change.first);
        return it != config.end() && it->second == change.second;
    });
}

} // namespace mx
