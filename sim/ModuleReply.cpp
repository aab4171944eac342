#include "ModuleReply.h"

#include <algorithm>

namespace sim {

ModuleReply shapeReply(const Fault& fault, std::string text, int delayMs)
{
    ModuleReply reply;
    reply.delayMs = delayMs;
    switch (fault.kind) {
    case FaultKind::Silent:
    case FaultKind::Gone:
    case FaultKind::Lost:
        break;
    case FaultKind::Late:
        reply.delayMs += std::max(fault.delayMs, 0);
        reply.datagrams.push_back(std::move(text));
        break;
    case FaultKind::Twice:
        reply.datagrams = {text, text};
        break;
    case FaultKind::Empty:
        reply.datagrams.emplace_back();
        break;
    case FaultKind::Oversize:
        if (text.size() < kOversizeBytes)
            text.resize(kOversizeBytes, '#');
        reply.datagrams.push_back(std::move(text));
        break;
    case FaultKind::None:
    case FaultKind::Refuse:
        reply.datagrams.push_back(std::move(text));
        break;
    }
    return reply;
}

Fault takeFault(ModuleSpec& spec, const std::string& codeOrKey)
{
    const auto it = spec.faults.find(codeOrKey);
    if (it == spec.faults.end())
        return {};
    if (it->second.skip > 0) {
        --it->second.skip;
        return {};
    }
    const Fault fault = it->second;
    if (fault.times > 0 && --it->second.times == 0)
        spec.faults.erase(it);
    return fault;
}

std::string valueOf(const std::map<std::string, std::string>& values, const std::string& key)
{
    const auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
}

} // namespace sim
