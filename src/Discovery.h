#pragma once
// One search for modules: the system's own probe, then the vendor library's search.

#include "SwTcpFunc.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class UdpEndpoint;

// Receives each module as soon as it is found, in the order found.
using RowSink = std::function<void(const TModelParm&)>;

// A host that keeps sending to the discovery endpoint must not hold a search forever:
// phase one ends this long after the probe (1000 real modules answer within 300 ms) ...
inline constexpr std::chrono::milliseconds kProbePhaseLimit{2000};
// ... and phase two after this many library rows.
inline constexpr int kLibraryRowLimit = 4096;

// What the discovery endpoint asks the OS for as its receive buffer: room for thousands of
// replies that arrive in one burst. Linux grants at most net.core.rmem_max to a program
// without CAP_NET_ADMIN.
inline constexpr std::int32_t kDiscoveryReceiveBuffer = 4 * 1024 * 1024;

// How one search went, beyond its rows.
struct SearchStats
{
    std::size_t probeRows = 0;
    std::size_t libraryRows = 0;
    // Replies longer than the endpoint's buffer; each was dropped and the search went on.
    std::size_t oversizeReplies = 0;
    bool probePhaseCut = false;   // phase one ended at kProbePhaseLimit
    bool libraryPhaseCut = false; // phase two ended at kLibraryRowLimit
    // Datagrams the OS dropped on the discovery endpoint during the search (its receive
    // buffer was full): modules that answered but are missing from the list. Empty where the
    // platform does not count them (Windows).
    std::optional<std::uint64_t> droppedByOs;
};

// Settings of the main window's discovery endpoint: broadcast enabled, default wait 1000 ms,
// a receive buffer of kDiscoveryReceiveBuffer.
void ConfigureDiscoveryEndpoint(UdpEndpoint& endpoint);

// The discovery endpoints of a search that probes every card: one per card of the PC, bound
// to the card's address, so that the probe leaves by each card and each reply is taken by the
// card it came through. They keep their sockets from search to search, so a reply late for
// one search is there for the next.
class CardEndpoints
{
public:
    // The cards' local addresses, listed afresh for each search.
    using CardLister = std::function<std::vector<std::string>()>;

    // Lists the PC's cards with broadcastInterfaces unless given another lister (one card
    // named by the user, a test's). Each endpoint is configured as ConfigureDiscoveryEndpoint.
    explicit CardEndpoints(CardLister listCards = {});
    ~CardEndpoints();
    CardEndpoints(const CardEndpoints&) = delete;
    CardEndpoints& operator=(const CardEndpoints&) = delete;

    // Follows the cards: an endpoint for a new card, none for a card that is gone, the rest
    // kept as they are. With no card listed, one unbound endpoint (the default route).
    void refresh();
    const std::vector<std::unique_ptr<UdpEndpoint>>& endpoints() const { return m_endpoints; }

private:
    CardLister m_listCards;
    std::vector<std::unique_ptr<UdpEndpoint>> m_endpoints;
};

// Phase one: Activate, broadcast "X" to 65535 once, one row per datagram received within
// successive 50 ms waits, until a wait brings nothing (or a zero-length datagram), at most
// kProbePhaseLimit after the probe. A reply too long for the buffer is dropped.
// Phase two: 100 ms, MX_SearchAll, 100 ms, one row per MX_GetSearchDev that returns 1, at
// most kLibraryRowLimit rows.
// An error ends only the phase it happened in (an oversize reply not even that); both phases
// always run, and then the first error is raised. Rows already delivered stay. stats, when
// given, is filled in before anything is raised.
// Each row's Via is the endpoint's LocalAddress.
void RunSearch(UdpEndpoint& endpoint, const RowSink& sink, SearchStats* stats = nullptr);

// The same over every card, after cards.refresh(): the probe leaves once by each card, and
// phase one takes the replies of all of them in one loop, ending at the first 50 ms in which
// no card received anything (a zero-length datagram ends it too), at most kProbePhaseLimit
// after the probes. A module heard on several cards is listed once, with the card that heard
// it first. A card whose socket fails is left out of the rest of phase one; its error is
// raised at the end like any other. With one card, the same as the single endpoint.
void RunSearch(CardEndpoints& cards, const RowSink& sink, SearchStats* stats = nullptr);
