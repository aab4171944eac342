#include "CommandRoadScenario.h"

#include "PrivateNetwork.h"

#include <functional>
#include <thread>

namespace commandroad {

std::map<std::string, std::string> moduleValues()
{
    const std::string ip = testnet::moduleIp(1);
    return {{"GON", "operator"},  {"GDN", "Pump-7"}, {"GFE", kMac},        {"GDH", "0"},
            {"GIP", ip},          {"GPN", "502"},    {"GTP", "1"},         {"GRM", "2"},
            {"GDI", "10.77.0.1"}, {"GDP", "8080"},   {"GGI", "10.77.0.1"}, {"GNM", "255.255.255.0"},
            {"GBR", "3"},         {"GPR", "2"},      {"GBB", "1"},         {"GFC", "7"},
            {"GDT", "9"}};
}

sim::ModuleSpec moduleSpec()
{
    sim::ModuleSpec spec = sim::commandModule(testnet::moduleIp(1), kMac);
    spec.values = moduleValues();
    return spec;
}

TModelConfig markedRecord()
{
    TModelConfig config;
    config.UserName = "old user";
    config.DeviceName = "old name";
    config.MacAddress = "old mac";
    config.IpAddress = "old ip";
    config.IpMode = 77;
    config.LocalPort = 77;
    config.Protocol = 77;
    config.WorkMode = 77;
    config.TargetIp = "old target";
    config.TargetPort = 77;
    config.Gateway = "old gateway";
    config.NetMask = "old mask";
    config.BaudIndex = 77;
    config.Parity = 77;
    config.DataBitsIndex = 77;
    config.StopBitsIndex = 3;
    config.GfcValue = 77;
    config.GdtValue = 77;
    return config;
}

TModelConfig recordAfterReads(std::size_t rows)
{
    TModelConfig c = markedRecord();
    const std::vector<std::function<void()>> read = {
        [&] { c.UserName = "operator"; },
        [&] { c.DeviceName = "Pump-7"; },
        [&] { c.MacAddress = kMac; },
        [&] { c.IpMode = 0; },
        [&] { c.IpAddress = testnet::moduleIp(1); },
        [&] { c.LocalPort = 502; },
        [&] { c.Protocol = 1; },
        [&] { c.WorkMode = 2; },
        [&] { c.TargetIp = "10.77.0.1"; },
        [&] { c.TargetPort = 8080; },
        [&] { c.Gateway = "10.77.0.1"; },
        [&] { c.NetMask = "255.255.255.0"; },
        [&] { c.BaudIndex = 3; },
        [&] { c.Parity = 2; },
        [&] { c.DataBitsIndex = 1; },
        [&] { c.GfcValue = 7; },
        [&] { c.GdtValue = 9; },
    };
    const auto values = moduleValues();
    for (std::size_t i = 0; i < rows; ++i) {
        read[i]();
        c.AsRead[fieldIndex(fieldOfReadCode(sim::readCodes()[i]))] = values.at(sim::readCodes()[i]);
    }
    return c;
}

const Strings& fullRead()
{
    static const Strings commands = {"L",   "GON", "GDN", "GFE", "GDH", "GIP", "GPN", "GTP", "GRM", "GDI",
                                     "GDP", "GGI", "GNM", "GBR", "GPR", "GBB", "GFC", "GDT", "O"};
    return commands;
}

TModelConfig newRecord()
{
    TModelConfig c;
    c.UserName = "";
    c.DeviceName = "\xC9\xE8\xB1\xB8"; // 8-bit code page bytes go out as they are
    c.MacAddress = kMac;
    c.IpAddress = testnet::moduleIp(1);
    c.IpMode = 1;
    c.LocalPort = 4001;
    c.Protocol = 0;
    c.WorkMode = 1;
    c.TargetIp = "10.77.0.2";
    c.TargetPort = 9000;
    c.Gateway = "10.77.0.254";
    c.NetMask = "255.255.0.0";
    c.BaudIndex = 7;
    c.Parity = 0;
    c.DataBitsIndex = 0;
    c.StopBitsIndex = 2;
    c.GfcValue = 1;
    c.GdtValue = 2;
    return c;
}

Strings newRecordWrites()
{
    return {"SON",
            "SDN\xC9\xE8\xB1\xB8",
            "SDH1",
            "SPN4001",
            "STP0",
            "SRM1",
            "SDI10.77.0.2",
            "SDP9000",
            "SGI10.77.0.254",
            "SNM255.255.0.0",
            "SBR7",
            "SPR0",
            "SBB0",
            "SIP" + testnet::moduleIp(1)};
}

Strings fullWrite()
{
    Strings sent{"L"};
    for (const std::string& command : newRecordWrites())
        sent.push_back(command);
    sent.push_back("E");
    sent.push_back("O");
    return sent;
}

std::map<std::string, std::string> valuesAfterWrite()
{
    std::map<std::string, std::string> values = moduleValues();
    for (const std::string& command : newRecordWrites())
        values[sim::readCodeOf(command.substr(0, 3))] = command.substr(3);
    return values;
}

Strings concat(Strings first, const Strings& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::vector<sim::WireEvent> settledEvents(const sim::Simulator& simulator, const std::string& mac,
                                          std::size_t expected)
{
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (simulator.eventsFor(mac).size() < expected && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    return simulator.eventsFor(mac);
}

Strings sentData(const std::vector<sim::WireEvent>& events)
{
    Strings data;
    for (const sim::WireEvent& event : events)
        data.push_back(event.data);
    return data;
}

std::vector<bool> broadcastFlags(const std::vector<sim::WireEvent>& events)
{
    std::vector<bool> flags;
    for (const sim::WireEvent& event : events)
        flags.push_back(event.broadcast);
    return flags;
}

TModelParm entryFor(const std::string& ip, const std::string& mac)
{
    TModelParm entry;
    entry.Ip = ip;
    entry.Mac = mac;
    entry.Port = 65535;
    entry.ViaCommandProtocol = 1;
    return entry;
}

CommandRoad::CommandRoad() : m_sim({moduleSpec()}), m_entry(entryFor(testnet::moduleIp(1), kMac)) {}

} // namespace commandroad
