#pragma once
// One search for modules: the system's own probe, then the vendor library's search.

#include "SwTcpFunc.h"

#include <functional>

class UdpEndpoint;

// Receives each module as soon as it is found, in the order found.
using RowSink = std::function<void(const TModelParm&)>;

// Settings of the main window's discovery endpoint: broadcast enabled, default wait 1000 ms.
void ConfigureDiscoveryEndpoint(UdpEndpoint& endpoint);

// Phase one: Activate, broadcast "X" to 65535 once, one row per datagram received within
// successive 50 ms waits, until a wait brings nothing (or a zero-length datagram).
// Phase two: 100 ms, MX_SearchAll, 100 ms, one row per MX_GetSearchDev that returns 1.
// An endpoint error ends the search at once and is raised; rows already delivered stay.
void RunSearch(UdpEndpoint& endpoint, const RowSink& sink);
