#include "LibraryModule.h"

#include "MxWire.h"

#include <algorithm>

namespace sim {

namespace {

std::string refused(const std::string& nonce, const std::string& reason)
{
    return mx::encode({mx::MessageType::Refused, {nonce, reason}});
}

bool isLibraryKey(const std::string& key)
{
    const auto& keys = libraryKeys();
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

} // namespace

LibraryModule::LibraryModule(ModuleSpec spec) : m_spec(std::move(spec)) {}

ModuleReply LibraryModule::receive(std::string_view data, bool atOwnAddress, const std::string& fromIp,
                                   std::uint16_t fromPort)
{
    const auto message = mx::decode(data);
    if (!message)
        return {};
    const std::string& nonce = message->fields[0];
    const std::string tagText = std::to_string(m_spec.tag);

    if (message->type == mx::MessageType::Search) {
        const Fault fault = faultFor(m_spec, kSearchFault);
        if (fault.kind == FaultKind::Refuse)
            return shapeReply(Fault{}, refused(nonce, "refused"));
        return shapeReply(fault,
                          mx::encode({mx::MessageType::SearchReply,
                                      {nonce, m_spec.ip, m_spec.mac, m_spec.model, tagText,
                                       std::to_string(m_spec.version), std::to_string(m_spec.searchPort)}}));
    }
    if (!atOwnAddress)
        return {};

    if (message->type == mx::MessageType::Fetch) {
        const Fault fault = faultFor(m_spec, kFetchFault);
        if (fault.kind == FaultKind::Refuse || m_spec.failFetch)
            return shapeReply(Fault{}, refused(nonce, "refused"));
        if (message->fields[1] != tagText)
            return shapeReply(fault, refused(nonce, "tag"));
        mx::Message config{mx::MessageType::Config, {nonce}};
        for (const auto& [key, value] : m_spec.values) {
            if (m_spec.failKeys.count(key) == 0) {
                config.fields.push_back(key);
                config.fields.push_back(value);
            }
        }
        return shapeReply(fault, mx::encode(config));
    }
    if (message->type == mx::MessageType::Modify) {
        const Fault fault = faultFor(m_spec, kModifyFault);
        if (fault.kind == FaultKind::Refuse)
            return shapeReply(Fault{}, refused(nonce, "refused"));
        const std::string from = fromIp + ":" + std::to_string(fromPort);
        if (from == m_lastModifyFrom && nonce == m_lastModifyNonce)
            return shapeReply(fault, m_lastModifyAnswer);
        const std::string oldIp = valueOf(m_spec.values, "IP");
        m_lastModifyFrom = from;
        m_lastModifyNonce = nonce;
        m_lastModifyAnswer = modify(message->fields);
        ModuleReply reply = shapeReply(fault, m_lastModifyAnswer);
        const std::string newIp = valueOf(m_spec.values, "IP");
        if (newIp != oldIp)
            m_spec.ip = newIp; // the module restarts its network at the new address
        return reply;
    }
    return {};
}

std::string LibraryModule::modify(const std::vector<std::string>& fields)
{
    const std::string& nonce = fields[0];
    if (fields[1] != std::to_string(m_spec.tag))
        return refused(nonce, "tag");
    if (fields[2] != kWritePassword)
        return refused(nonce, "password");
    if (m_spec.rejectModify)
        return refused(nonce, "rejected");
    for (std::size_t i = 3; i + 1 < fields.size(); i += 2) {
        if (!isLibraryKey(fields[i]))
            return refused(nonce, "key " + fields[i]);
    }
    for (std::size_t i = 3; i + 1 < fields.size(); i += 2)
        m_spec.values[fields[i]] = fields[i + 1];
    return mx::encode({mx::MessageType::Accepted, {nonce}});
}

} // namespace sim
