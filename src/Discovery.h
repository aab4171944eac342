#pragma once
// One search for modules: the system's own probe, then the vendor library's search.

#include "SwTcpFunc.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
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

// Phase one: Activate, broadcast "X" to 65535 once, one row per datagram received within
// successive 50 ms waits, until a wait brings nothing (or a zero-length datagram), at most
// kProbePhaseLimit after the probe. A reply too long for the buffer is dropped.
// Phase two: 100 ms, MX_SearchAll, 100 ms, one row per MX_GetSearchDev that returns 1, at
// most kLibraryRowLimit rows.
// An error ends only the phase it happened in (an oversize reply not even that); both phases
// always run, and then the first error is raised. Rows already delivered stay. stats, when
// given, is filled in before anything is raised.
void RunSearch(UdpEndpoint& endpoint, const RowSink& sink, SearchStats* stats = nullptr);

// Sets SharedIp on every entry of one search: true for a command-protocol entry whose Ip is
// also the Ip of another command-protocol entry with a different Mac (sameMac), false for
// every other. A module listed twice, or once per road, does not share. Call it again over
// the whole list whenever an Ip changes (a write that moved a module).
void MarkSharedIps(std::span<TModelParm> entries);
// The same for a list whose entries live elsewhere (in a window's rows).
void MarkSharedIps(const std::vector<TModelParm*>& entries);
