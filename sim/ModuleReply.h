#pragma once
// What a simulated module sends back for one datagram, after its fault is applied.

#include "Simulator.h"

#include <map>
#include <string>
#include <vector>

namespace sim {

struct ModuleReply
{
    std::vector<std::string> datagrams; // each one datagram, in order; none: silence
    int delayMs = 0;                    // all of them leave this much later
};

// The reply text shaped by a fault other than Refuse (Refuse is the module's own business,
// since a refused command must not act).
ModuleReply shapeReply(const Fault& fault, std::string text, int delayMs = 0);

// The fault for a request of that code or key now, counting down its skip.
Fault takeFault(ModuleSpec& spec, const std::string& codeOrKey);

// The value stored under key, empty when there is none.
std::string valueOf(const std::map<std::string, std::string>& values, const std::string& key);

} // namespace sim
