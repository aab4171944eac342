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
    void setSpec(ModuleSpec spec) { m_spec = std::move(spec); }
    void setFault(const std::string& key, Fault fault) { m_spec.faults[key] = fault; }

private:
    std::string modify(const std::vector<std::string>& fields);

    ModuleSpec m_spec;
    // The last modify answered, so that a resent one is answered alike and not applied twice.
    std::string m_lastModifyFrom;
    std::string m_lastModifyNonce;
    std::string m_lastModifyAnswer;
};

} // namespace sim
