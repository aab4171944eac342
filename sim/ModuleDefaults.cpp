// The command codes, library keys and the defaults of a freshly made module.
#include "Simulator.h"

#include <algorithm>

namespace sim {

namespace {

// Write code and the read code whose value it stages, in the program's write order.
const std::vector<std::pair<std::string, std::string>>& writeTable()
{
    static const std::vector<std::pair<std::string, std::string>> table{
        {"SON", "GON"}, {"SDN", "GDN"}, {"SDH", "GDH"}, {"SPN", "GPN"}, {"STP", "GTP"},
        {"SRM", "GRM"}, {"SDI", "GDI"}, {"SDP", "GDP"}, {"SGI", "GGI"}, {"SNM", "GNM"},
        {"SBR", "GBR"}, {"SPR", "GPR"}, {"SBB", "GBB"}, {"SIP", "GIP"},
    };
    return table;
}

// "00-1A-2B-00-00-11" gives "11": a short suffix that tells default names apart.
std::string lastOctet(const std::string& mac)
{
    return mac.size() >= 2 ? mac.substr(mac.size() - 2) : mac;
}

} // namespace

const std::vector<std::string>& readCodes()
{
    static const std::vector<std::string> codes{"GON", "GDN", "GFE", "GDH", "GIP", "GPN", "GTP", "GRM", "GDI",
                                                "GDP", "GGI", "GNM", "GBR", "GPR", "GBB", "GFC", "GDT"};
    return codes;
}

const std::vector<std::string>& writeCodes()
{
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> list;
        for (const auto& entry : writeTable())
            list.push_back(entry.first);
        return list;
    }();
    return codes;
}

std::string readCodeOf(const std::string& writeCode)
{
    const auto& table = writeTable();
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const auto& entry) { return entry.first == writeCode; });
    return it == table.end() ? std::string() : it->second;
}

const std::vector<std::string>& libraryKeys()
{
    static const std::vector<std::string> keys{"NAME",    "MAC",      "IP_MODE",   "IP",         "MASK",
                                               "GATEWAY", "C1_OP",    "C1_PORT",   "C1_CLI_IP1", "C1_CLI_PP1",
                                               "C1_BAUD", "C1_STOPB", "C1_PARITY", "C1_DATAB"};
    return keys;
}

ModuleSpec commandModule(const std::string& ip, const std::string& mac)
{
    ModuleSpec spec;
    spec.kind = ModuleKind::Command;
    spec.ip = ip;
    spec.mac = mac;
    spec.values = {
        {"GON", "user"},                  // user name
        {"GDN", "TCP-" + lastOctet(mac)}, // device name
        {"GFE", mac},
        {"GDH", "0"}, // static address
        {"GIP", ip},
        {"GPN", "8080"},          // local port
        {"GTP", "1"},             // TCP
        {"GRM", "0"},             // server
        {"GDI", "10.77.0.1"},     // target IP
        {"GDP", "9000"},          // target port
        {"GGI", "10.77.0.1"},     // gateway
        {"GNM", "255.255.255.0"}, // net mask
        {"GBR", "3"},             // 9600
        {"GPR", "0"},             // no parity
        {"GBB", "1"},             // 8 data bits
        {"GFC", "0"},
        {"GDT", "0"},
    };
    return spec;
}

ModuleSpec libraryModule(const std::string& ip, const std::string& mac, std::uint8_t tag)
{
    ModuleSpec spec;
    spec.kind = ModuleKind::Library;
    spec.ip = ip;
    spec.mac = mac;
    spec.tag = tag;
    spec.searchPort = 8080;
    spec.values = {
        {"NAME", "MX-" + lastOctet(mac)},
        {"MAC", mac},
        {"IP_MODE", "1"}, // static
        {"IP", ip},
        {"MASK", "255.255.255.0"},
        {"GATEWAY", "10.77.0.1"},
        {"C1_OP", "1"}, // server
        {"C1_PORT", "8080"},
        {"C1_CLI_IP1", "10.77.0.1"},
        {"C1_CLI_PP1", "9000"},
        {"C1_BAUD", "5"}, // 9600
        {"C1_STOPB", "1"},
        {"C1_PARITY", "0"}, // none
        {"C1_DATAB", "8"},
    };
    return spec;
}

} // namespace sim
