#include "CommandModule.h"

#include <algorithm>

namespace sim {

namespace {

bool sameMac(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool isReadCode(std::string_view data)
{
    const auto& codes = readCodes();
    return std::find(codes.begin(), codes.end(), data) != codes.end();
}

ModuleReply refusal()
{
    return shapeReply(Fault{}, "N");
}

} // namespace

std::string commandCode(std::string_view data)
{
    if (data == "X" || data == "L" || data == "E" || data == "O")
        return std::string(data);
    if (!data.empty() && data[0] == 'W')
        return "W";
    if (isReadCode(data))
        return std::string(data);
    if (data.size() >= 3 && !readCodeOf(std::string(data.substr(0, 3))).empty())
        return std::string(data.substr(0, 3));
    return std::string(data);
}

CommandModule::CommandModule(ModuleSpec spec) : m_spec(std::move(spec)) {}

ModuleReply CommandModule::receive(std::string_view data, bool atOwnAddress, std::mt19937& rng)
{
    const std::string code = commandCode(data);
    if (m_gone)
        return {};
    const Fault fault = takeFault(m_spec, code);
    if (fault.kind == FaultKind::Lost)
        return {};
    if (fault.kind == FaultKind::Gone) {
        m_gone = true;
        return {};
    }
    if (code == "X")
        return probe(fault, rng);
    if (code == "W")
        return select(data.substr(1), fault);

    // Broadcast commands are for the selected module only.
    if (!atOwnAddress && !m_selected)
        return {};
    if (fault.kind == FaultKind::Refuse)
        return refusal();

    if (code == "L") {
        if (atOwnAddress && m_spec.refuseOpenAtOwnAddress)
            return refusal();
        m_session = true;
        return shapeReply(fault, "A");
    }
    if (code == "O") {
        const bool hadSession = m_session;
        endSession();
        return shapeReply(fault, hadSession ? "A" : "N");
    }
    if (!m_session)
        return shapeReply(fault, "N");
    if (code == "E") {
        ModuleReply reply = shapeReply(fault, "A");
        commit();
        return reply;
    }
    if (isReadCode(code) && code.size() == data.size()) {
        const auto it = m_spec.values.find(code);
        return shapeReply(fault, "A" + (it == m_spec.values.end() ? std::string() : it->second));
    }
    const std::string target = readCodeOf(code);
    if (!target.empty()) {
        m_staged[target] = std::string(data.substr(code.size()));
        return shapeReply(fault, "A");
    }
    return shapeReply(fault, "N");
}

ModuleReply CommandModule::probe(const Fault& fault, std::mt19937& rng) const
{
    if (fault.kind == FaultKind::Refuse)
        return refusal();
    int jitter = 0;
    if (m_spec.probeJitterMs > 0)
        jitter = std::uniform_int_distribution<int>(0, m_spec.probeJitterMs)(rng);
    const auto name = m_spec.values.find("GDN");
    return shapeReply(
        fault, "M" + m_spec.mac + "/" + (name == m_spec.values.end() ? std::string() : name->second), jitter);
}

ModuleReply CommandModule::select(std::string_view mac, const Fault& fault)
{
    if (!sameMac(mac, m_spec.mac)) {
        // A selection of another module ends this one's.
        m_selected = false;
        return {};
    }
    if (fault.kind == FaultKind::Refuse)
        return refusal();
    m_selected = true;
    return shapeReply(fault, "A");
}

void CommandModule::commit()
{
    const std::string oldIp = valueOf(m_spec.values, "GIP");
    for (const auto& [code, value] : m_staged)
        m_spec.values[code] = value;
    m_staged.clear();
    const std::string newIp = valueOf(m_spec.values, "GIP");
    if (newIp != oldIp) {
        // The module restarts its network at the new address.
        m_spec.ip = newIp;
        endSession();
    }
}

void CommandModule::endSession()
{
    m_session = false;
    m_selected = false;
    m_staged.clear();
}

} // namespace sim
