#pragma once
// One simulated module reached through the stand-in MivexAdv library: the far side of its
// search, fetch and modify messages (mivexadv/PROTOCOL.md). No sockets here.

#include "ModuleReply.h"
#include "Simulator.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

class LibraryModule
{
public:
    explicit LibraryModule(ModuleSpec spec);

    // One datagram from fromIp:fromPort. Search is answered however it arrived; fetch and
    // modify only at the module's own address (atOwnAddress).
    ModuleReply receive(std::string_view data, bool atOwnAddress, const std::string& fromIp,
                        std::uint16_t fromPort);

    const ModuleSpec& spec() const { return m_spec; }
    // A vanished module is back.
    void setSpec(ModuleSpec spec)
    {
        m_spec = std::move(spec);
        m_gone = false;
    }
    bool gone() const { return m_gone; }
    void setFault(const std::string& key, Fault fault) { m_spec.faults[key] = fault; }

private:
    std::string modify(const std::vector<std::string>& fields);

    ModuleSpec m_spec;
    bool m_gone = false;
    // The last modify answered, so that a resent one is answered alike and not applied twice.
    std::string m_lastModifyFrom;
    std::string m_lastModifyNonce;
    std::string m_lastModifyAnswer;
};

// The configuration message a fetch is answered with (failKeys left out).
std::string configReply(const ModuleSpec& spec, const std::string& nonce);
// Whether every value fits one configuration message, with the longest nonce: a module
// refuses a modify that would break this, as the wire format cannot carry it.
bool configFits(const std::map<std::string, std::string>& values);
bool configFits(const ModuleSpec& spec);

} // namespace sim
