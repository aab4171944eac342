#include "Discovery.h"

#include "MivexAdv.h"
#include "net.h"

#include <algorithm>
#include <cstring>
#include <exception>

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

std::optional<std::uint64_t> dropsSoFar(const UdpEndpoint& endpoint)
{
    return endpoint.Active() ? endpoint.socket()->receiveDrops() : std::nullopt;
}

// One row per datagram, until a 50 ms wait brings nothing or the phase's time is up. A
// datagram too long for the buffer has been consumed by the failed receive: it is dropped
// and remembered, and the next one is read. Any other error ends the phase.
void probePhase(UdpEndpoint& endpoint, const RowSink& sink, SearchStats& stats, FirstError& firstError)
{
    endpoint.Activate();
    endpoint.Broadcast("X", kCommandPort);
    const Clock::time_point end = Clock::now() + kProbePhaseLimit;
    while (true) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) {
            stats.probePhaseCut = true;
            return;
        }
        ReceivedDatagram reply;
        try {
            reply = endpoint.ReceiveString(static_cast<std::int32_t>(std::min<std::int64_t>(50, left)));
        } catch (const SocketError& error) {
            firstError.keep(std::current_exception());
            // Only an oversize reply leaves the socket fit to read on.
            if (!isOversize(error))
                return;
            ++stats.oversizeReplies;
            continue;
        }
        if (reply.data.empty()) {
            // A wait that the bound shortened and that ran out was cut, not silence.
            stats.probePhaseCut = Clock::now() >= end;
            return;
        }
        TModelParm entry;
        entry.Ip = std::move(reply.peerIp);
        entry.Mac = macFromProbeReply(reply.data);
        entry.Port = reply.peerPort;
        entry.ViaCommandProtocol = 1;
        sink(entry);
        ++stats.probeRows;
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

void RunSearch(UdpEndpoint& endpoint, const RowSink& sink, SearchStats* stats)
{
    SearchStats local;
    SearchStats& counts = stats ? *stats : local;
    counts = SearchStats{};
    FirstError firstError;

    const std::optional<std::uint64_t> dropsBefore = dropsSoFar(endpoint);
    try {
        probePhase(endpoint, sink, counts, firstError);
    } catch (...) {
        firstError.keep(std::current_exception());
    }
    try {
        libraryPhase(sink, counts);
    } catch (...) {
        firstError.keep(std::current_exception());
    }
    // Late replies the OS dropped during phase two are counted too: they were lost to this search.
    if (const auto dropsAfter = dropsSoFar(endpoint))
        counts.droppedByOs = static_cast<std::uint32_t>(
            *dropsAfter - dropsBefore.value_or(0)); // the kernel's counter wraps at 32 bits
    firstError.raise();
}

void MarkSharedIps(const std::vector<TModelParm*>& entries)
{
    for (TModelParm* entry : entries) {
        entry->SharedIp = false;
        if (roadOf(*entry) != ConfigRoad::Commands)
            continue;
        entry->SharedIp = std::any_of(entries.begin(), entries.end(), [&](const TModelParm* other) {
            return roadOf(*other) == ConfigRoad::Commands && other->Ip == entry->Ip &&
                   !sameMac(other->Mac, entry->Mac) && (!other->Mac.empty() || !entry->Mac.empty());
        });
    }
}

void MarkSharedIps(std::span<TModelParm> entries)
{
    std::vector<TModelParm*> pointers;
    pointers.reserve(entries.size());
    for (TModelParm& entry : entries)
        pointers.push_back(&entry);
    MarkSharedIps(pointers);
}
