#include "Discovery.h"

#include "MivexAdv.h"
#include "net.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

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

// The first error of a search; later ones are consequences or repeats of it.
class FirstError
{
public:
    void keep(std::exception_ptr error)
    {
        if (!m_error)
            m_error = std::move(error);
    }
    void raise() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    std::exception_ptr m_error;
};

bool isOversize(const SocketError& error)
{
    static const std::string oversize = socketError(WsaError::MessageTooLong).what();
    return oversize == error.what();
}

// The OS's drop counter of each endpoint, where it keeps one.
std::vector<std::optional<std::uint64_t>> dropsSoFar(const std::vector<UdpEndpoint*>& endpoints)
{
    std::vector<std::optional<std::uint64_t>> drops;
    for (const UdpEndpoint* endpoint : endpoints)
        drops.push_back(endpoint->Active() ? endpoint->socket()->receiveDrops() : std::nullopt);
    return drops;
}

// Positions in live of the endpoints with a datagram waiting within waitMs; none on silence.
// One card waits as a lone endpoint always has.
std::vector<std::size_t> readyWithin(const std::vector<UdpEndpoint*>& live, int waitMs)
{
    if (live.size() == 1)
        return live.front()->socket()->waitReadable(waitMs) ? std::vector<std::size_t>{0}
                                                            : std::vector<std::size_t>{};
    std::vector<const UdpSocket*> sockets;
    for (const UdpEndpoint* endpoint : live)
        sockets.push_back(endpoint->socket());
    return UdpSocket::waitAnyReadable(sockets, waitMs);
}

// The probe out of every card, then one row per datagram received on any of them until 50 ms
// pass with nothing on any card or the phase's time is up. A datagram too long for the
// buffer has been consumed by the failed receive: it is dropped and remembered, and the next
// one is read. Any other error leaves its card out of the rest of the phase.
void probePhase(const std::vector<UdpEndpoint*>& endpoints, const RowSink& sink, SearchStats& stats,
                FirstError& firstError)
{
    std::vector<UdpEndpoint*> live;
    for (UdpEndpoint* endpoint : endpoints) {
        try {
            endpoint->Activate();
            endpoint->Broadcast("X", kCommandPort);
            live.push_back(endpoint);
        } catch (const SocketError&) {
            firstError.keep(std::current_exception());
        }
    }
    // The card each module was first heard through: both cards of a PC on one LAN hear it.
    std::map<std::pair<std::string, std::string>, std::string> heardVia;
    const Clock::time_point end = Clock::now() + kProbePhaseLimit;
    while (!live.empty()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) {
            stats.probePhaseCut = true;
            return;
        }
        const std::vector<std::size_t> ready =
            readyWithin(live, static_cast<int>(std::min<std::int64_t>(50, left)));
        std::vector<UdpEndpoint*> failed;
        bool silence = ready.empty();
        for (const std::size_t at : ready) {
            UdpEndpoint& endpoint = *live[at];
            ReceivedDatagram reply;
            try {
                reply = endpoint.ReceiveString(0);
            } catch (const SocketError& error) {
                firstError.keep(std::current_exception());
                // Only an oversize reply leaves the socket fit to read on.
                if (isOversize(error))
                    ++stats.oversizeReplies;
                else
                    failed.push_back(&endpoint);
                continue;
            }
            if (reply.data.empty()) {
                silence = true; // a zero-length datagram ends the phase as silence does
                break;
            }
            TModelParm entry;
            entry.Ip = std::move(reply.peerIp);
            entry.Mac = macFromProbeReply(reply.data);
            entry.Port = reply.peerPort;
            entry.ViaCommandProtocol = 1;
            entry.Via = endpoint.LocalAddress;
            const auto [heard, first] = heardVia.try_emplace({entry.Ip, entry.Mac}, entry.Via);
            if (!first && heard->second != entry.Via)
                continue;
            sink(entry);
            ++stats.probeRows;
        }
        if (silence) {
            // A wait that the bound shortened and that ran out was cut, not silence.
            stats.probePhaseCut = Clock::now() >= end;
            return;
        }
        for (UdpEndpoint* gone : failed)
            live.erase(std::find(live.begin(), live.end(), gone));
    }
}

void libraryPhase(const RowSink& sink, SearchStats& stats)
{
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
        if (++stats.libraryRows >= static_cast<std::size_t>(kLibraryRowLimit)) {
            stats.libraryPhaseCut = true;
            return;
        }
    }
}

} // namespace

void ConfigureDiscoveryEndpoint(UdpEndpoint& endpoint)
{
    endpoint.BroadcastEnabled = true;
    endpoint.ReceiveTimeout = 1000;
    endpoint.SocketReceiveBuffer = kDiscoveryReceiveBuffer;
}

namespace {

void searchOver(const std::vector<UdpEndpoint*>& endpoints, const RowSink& sink, SearchStats* stats)
{
    SearchStats local;
    SearchStats& counts = stats ? *stats : local;
    counts = SearchStats{};
    FirstError firstError;

    const auto dropsBefore = dropsSoFar(endpoints);
    try {
        probePhase(endpoints, sink, counts, firstError);
    } catch (...) {
        firstError.keep(std::current_exception());
    }
    try {
        libraryPhase(sink, counts);
    } catch (...) {
        firstError.keep(std::current_exception());
    }
    // Late replies the OS dropped during phase two are counted too: they were lost to this search.
    const auto dropsAfter = dropsSoFar(endpoints);
    for (std::size_t i = 0; i < endpoints.size(); ++i) {
        if (dropsAfter[i])
            counts.droppedByOs = counts.droppedByOs.value_or(0) +
                                 static_cast<std::uint32_t>( // the kernel's counter wraps at 32 bits
                                     *dropsAfter[i] - dropsBefore[i].value_or(0));
    }
    firstError.raise();
}

} // namespace

CardEndpoints::CardEndpoints(CardLister listCards) : m_listCards(std::move(listCards))
{
    if (!m_listCards)
        m_listCards = broadcastInterfaces;
}

CardEndpoints::~CardEndpoints() = default;

void CardEndpoints::refresh()
{
    std::vector<std::string> cards = m_listCards();
    if (cards.empty())
        cards.emplace_back(); // unbound: the probe leaves by the default route
    std::vector<std::unique_ptr<UdpEndpoint>> kept;
    for (const std::string& address : cards) {
        const auto same = std::find_if(m_endpoints.begin(), m_endpoints.end(), [&](const auto& endpoint) {
            return endpoint && endpoint->LocalAddress == address;
        });
        if (same != m_endpoints.end()) {
            kept.push_back(std::move(*same));
            continue;
        }
        auto endpoint = std::make_unique<UdpEndpoint>();
        ConfigureDiscoveryEndpoint(*endpoint);
        endpoint->LocalAddress = address;
        kept.push_back(std::move(endpoint));
    }
    m_endpoints = std::move(kept);
}

void RunSearch(UdpEndpoint& endpoint, const RowSink& sink, SearchStats* stats)
{
    searchOver({&endpoint}, sink, stats);
}

void RunSearch(CardEndpoints& cards, const RowSink& sink, SearchStats* stats)
{
    cards.refresh();
    std::vector<UdpEndpoint*> endpoints;
    for (const auto& endpoint : cards.endpoints())
        endpoints.push_back(endpoint.get());
    searchOver(endpoints, sink, stats);
}
