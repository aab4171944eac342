#include "LibraryModule.h"

#include "MxWire.h"

#include <algorithm>
#include <cstdint>

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

bool sameMacText(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

const char* faultKeyOf(mx::MessageType type)
{
    switch (type) {
    case mx::MessageType::Search:
        return kSearchFault;
    case mx::MessageType::Fetch:
        return kFetchFault;
    case mx::MessageType::Modify:
        return kModifyFault;
    default:
        return "";
    }
}

} // namespace

std::string configReply(const ModuleSpec& spec, const std::string& nonce)
{
    mx::Message config{mx::MessageType::Config, {nonce}};
    for (const auto& [key, value] : spec.values) {
        if (spec.failKeys.count(key) == 0) {
            config.fields.push_back(key);
            config.fields.push_back(value);
        }
    }
    return mx::encode(config);
}

bool configFits(const std::map<std::string, std::string>& values)
{
    ModuleSpec probe;
    probe.values = values;
    return configReply(probe, std::to_string(UINT32_MAX)).size() <= mx::kMaxMessageSize;
}

bool configFits(const ModuleSpec& spec)
{
    return configFits(spec.values);
}

LibraryModule::LibraryModule(ModuleSpec spec) : m_spec(std::move(spec)) {}

ModuleReply LibraryModule::receive(std::string_view data, bool atOwnAddress, const std::string& fromIp,
                                   std::uint16_t fromPort)
{
    auto message = mx::decode(data);
    if (m_gone || !message)
        return {};
    // A request by MAC is this module's only when the MAC is its own; it is then served as
    // if sent to its address.
    if (message->type == mx::MessageType::FetchByMac || message->type == mx::MessageType::ModifyByMac) {
        if (!sameMacText(message->fields[1], m_spec.mac))
            return {};
        message->type =
            message->type == mx::MessageType::FetchByMac ? mx::MessageType::Fetch : mx::MessageType::Modify;
        message->fields.erase(message->fields.begin() + 1);
        atOwnAddress = true;
    }
    const Fault fault = takeFault(m_spec, faultKeyOf(message->type));
    if (fault.kind == FaultKind::Lost)
        return {};
    if (fault.kind == FaultKind::Gone) {
        m_gone = true;
        return {};
    }
    const std::string& nonce = message->fields[0];
    const std::string tagText = std::to_string(m_spec.tag);

    if (message->type == mx::MessageType::Search) {
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
        if (fault.kind == FaultKind::Refuse || m_spec.failFetch)
            return shapeReply(Fault{}, refused(nonce, "refused"));
        if (message->fields[1] != tagText)
            return shapeReply(fault, refused(nonce, "tag"));
        return shapeReply(fault, configReply(m_spec, nonce));
    }
    if (message->type == mx::MessageType::Modify) {
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
    auto values = m_spec.values;
    for (std::size_t i = 3; i + 1 < fields.size(); i += 2)
        values[fields[i]] = fields[i + 1];
    // A configuration the next fetch could not carry is refused whole.
    if (!configFits(values))
        return refused(nonce, "size");
    m_spec.values = std::move(values);
    return mx::encode({mx::MessageType::Accepted, {nonce}});
}

} // namespace sim
