#pragma once
// One simulated module of the command protocol: its session, selection and staged values.
// No sockets here: the simulator hands it each datagram and sends what it answers.

#include "ModuleReply.h"
#include "Simulator.h"

#include <map>
#include <random>
#include <string>
#include <string_view>

namespace sim {

class CommandModule
{
public:
    explicit CommandModule(ModuleSpec spec);

    // One datagram. atOwnAddress: it arrived at the module's own address; otherwise by
    // broadcast (at the wildcard socket). rng draws the probe's jitter.
    ModuleReply receive(std::string_view data, bool atOwnAddress, std::mt19937& rng);

    const ModuleSpec& spec() const { return m_spec; }
    // Keeps session, selection and staged values; a vanished module is back.
    void setSpec(ModuleSpec spec)
    {
        m_spec = std::move(spec);
        m_gone = false;
    }
    void setFault(const std::string& code, Fault fault) { m_spec.faults[code] = fault; }

    bool inSession() const { return m_session; }
    bool selected() const { return m_selected; }
    bool gone() const { return m_gone; }
    const std::map<std::string, std::string>& staged() const { return m_staged; }

private:
    ModuleReply probe(const Fault& fault, std::mt19937& rng) const;
    ModuleReply select(std::string_view mac, const Fault& fault);
    void commit();
    void endSession();

    ModuleSpec m_spec;
    bool m_session = false;
    bool m_selected = false;
    bool m_gone = false;
    std::map<std::string, std::string> m_staged; // by read code
};

// The code a request's fault is looked up by: "X", "L", "E", "O", "W", a read code, a
// write code; the whole request for anything else.
std::string commandCode(std::string_view data);

} // namespace sim
