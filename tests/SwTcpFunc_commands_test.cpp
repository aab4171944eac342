// The command road against simulated modules; the wire traffic is proven from the
// simulator's event log.
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <chrono>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

const std::string kMac = "00-1A-2B-00-00-11";
const std::string kOtherMac = "00-1A-2B-00-00-12";
constexpr auto kPause = std::chrono::milliseconds(500);

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

// Marks in every field, so a field the road must not touch shows when it does.
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

// markedRecord() after the first `rows` read commands were answered with moduleValues().
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
    for (std::size_t i = 0; i < rows; ++i)
        read[i]();
    return c;
}

const Strings kFullRead = {"L",   "GON", "GDN", "GFE", "GDH", "GIP", "GPN", "GTP", "GRM", "GDI",
                           "GDP", "GGI", "GNM", "GBR", "GPR", "GBB", "GFC", "GDT", "O"};

// A configuration unlike the module's, and the bytes that write it.
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

Strings concat(Strings first, const Strings& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The module's log once the run's datagrams have arrived: waits for `expected` of them,
// then a little longer so that any datagram sent beyond them shows too.
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

class CommandRoad : public testing::Test
{
protected:
    CommandRoad() : m_sim({moduleSpec()}), m_entry(entryFor(testnet::moduleIp(1), kMac)) {}

    Strings sent(std::size_t expected) { return sentData(settledEvents(m_sim, kMac, expected)); }

    sim::Simulator m_sim;
    TModelParm m_entry;
};

// ---------------------------------------------------------------- read

TEST_F(CommandRoad, FullReadIsNineteenTransactionsToTheModule)
{
    TModelConfig config = markedRecord();
    EXPECT_TRUE(ReadConfigByCommands(m_entry, config));
    EXPECT_EQ(config, recordAfterReads(17)); // StopBitsIndex keeps its mark
    const auto events = settledEvents(m_sim, kMac, 19);
    EXPECT_EQ(sentData(events), kFullRead);
    EXPECT_EQ(broadcastFlags(events), std::vector<bool>(19, false));
    EXPECT_FALSE(m_sim.inSession(kMac));
}

struct StopCase
{
    std::size_t row; // 0-based position in the table
    sim::FaultKind fault;
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << "row " << c.row + 1 << (c.fault == sim::FaultKind::Refuse ? " refused" : " silent");
}

std::string stopCaseName(const testing::TestParamInfo<StopCase>& param)
{
    return "row" + std::to_string(param.param.row + 1) +
           (param.param.fault == sim::FaultKind::Refuse ? "Refused" : "Silent");
}

std::vector<StopCase> everyRow(std::size_t rows)
{
    std::vector<StopCase> cases;
    for (std::size_t row = 0; row < rows; ++row) {
        cases.push_back({row, sim::FaultKind::Refuse});
        cases.push_back({row, sim::FaultKind::Silent});
    }
    return cases;
}

class ReadStops : public CommandRoad, public testing::WithParamInterface<StopCase>
{
};

TEST_P(ReadStops, AtTheFirstCommandNotAccepted)
{
    const StopCase& c = GetParam();
    m_sim.setFault(kMac, sim::readCodes()[c.row], sim::Fault{c.fault});
    TModelConfig config = markedRecord();
    EXPECT_FALSE(ReadConfigByCommands(m_entry, config));
    // The failing command's field and those after it keep what they held.
    EXPECT_EQ(config, recordAfterReads(c.row));
    Strings expected(kFullRead.begin(), kFullRead.begin() + static_cast<std::ptrdiff_t>(c.row) + 2);
    expected.push_back("O");
    EXPECT_EQ(sent(expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(EveryReadCommand, ReadStops, testing::ValuesIn(everyRow(17)), stopCaseName);

struct ConversionCase
{
    const char* code;
    std::string text;
    std::function<void(TModelConfig&)> expect; // applied to the full read's record
};

void PrintTo(const ConversionCase& c, std::ostream* os)
{
    *os << c.code << " answers \"" << c.text << "\"";
}

class ReadConversion : public CommandRoad, public testing::WithParamInterface<ConversionCase>
{
};

TEST_P(ReadConversion, StoresTheValueAndGoesOn)
{
    const ConversionCase& c = GetParam();
    sim::ModuleSpec spec = moduleSpec();
    spec.values[c.code] = c.text;
    m_sim.setModule(kMac, spec);
    TModelConfig config = markedRecord();
    EXPECT_TRUE(ReadConfigByCommands(m_entry, config));
    TModelConfig expected = recordAfterReads(17);
    c.expect(expected);
    EXPECT_EQ(config, expected);
    EXPECT_EQ(sent(19), kFullRead);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadConversion,
    testing::Values(
        // "A" alone: a text becomes empty, a number 0.
        ConversionCase{"GDN", "", [](TModelConfig& c) { c.DeviceName = ""; }},
        ConversionCase{"GPN", "", [](TModelConfig& c) { c.LocalPort = 0; }},
        ConversionCase{"GBR", "", [](TModelConfig& c) { c.BaudIndex = 0; }},
        ConversionCase{"GBR", "300", [](TModelConfig& c) { c.BaudIndex = 44; }},
        ConversionCase{"GBR", "abc", [](TModelConfig& c) { c.BaudIndex = 0; }},
        ConversionCase{"GPR", "-1", [](TModelConfig& c) { c.Parity = 255; }},
        ConversionCase{"GTP", "0x101", [](TModelConfig& c) { c.Protocol = 1; }},
        ConversionCase{"GFC", "$ff", [](TModelConfig& c) { c.GfcValue = 255; }},
        ConversionCase{"GDH", " -1", [](TModelConfig& c) { c.IpMode = -1; }},
        ConversionCase{"GDH", "1 ", [](TModelConfig& c) { c.IpMode = 0; }},
        ConversionCase{"GPN", "x1F", [](TModelConfig& c) { c.LocalPort = 31; }},
        ConversionCase{"GDP", "2147483648", [](TModelConfig& c) { c.TargetPort = 0; }},
        ConversionCase{"GDP", "-2147483648", [](TModelConfig& c) { c.TargetPort = INT_MIN; }},
        ConversionCase{"GON", " spaced ", [](TModelConfig& c) { c.UserName = " spaced "; }},
        ConversionCase{"GGI", "\xB1\xBE\xBB\xFA", [](TModelConfig& c) { c.Gateway = "\xB1\xBE\xBB\xFA"; }}),
    [](const testing::TestParamInfo<ConversionCase>& param) { return "case" + std::to_string(param.index); });

// ---------------------------------------------------------------- write

TEST_F(CommandRoad, FullWriteIsSeventeenTransactionsAndAPause)
{
    const auto start = Clock::now();
    EXPECT_TRUE(WriteConfigByCommands(m_entry, newRecord()));
    EXPECT_GE(Clock::now() - start, kPause);
    const auto events = settledEvents(m_sim, kMac, 17);
    EXPECT_EQ(sentData(events), fullWrite());
    EXPECT_EQ(broadcastFlags(events), std::vector<bool>(17, false));

    std::map<std::string, std::string> expected = moduleValues();
    expected["GON"] = "";
    expected["GDN"] = "\xC9\xE8\xB1\xB8";
    expected["GDH"] = "1";
    expected["GPN"] = "4001";
    expected["GTP"] = "0";
    expected["GRM"] = "1";
    expected["GDI"] = "10.77.0.2";
    expected["GDP"] = "9000";
    expected["GGI"] = "10.77.0.254";
    expected["GNM"] = "255.255.0.0";
    expected["GBR"] = "7";
    expected["GPR"] = "0";
    expected["GBB"] = "0";
    EXPECT_EQ(m_sim.values(kMac), expected);
}

TEST_F(CommandRoad, NumbersGoOutAsPlainDecimal)
{
    TModelConfig config = newRecord();
    config.IpMode = kNoIpMode;
    config.LocalPort = INT_MIN;
    config.TargetPort = 0;
    config.WorkMode = kNoCode;
    EXPECT_TRUE(WriteConfigByCommands(m_entry, config));
    Strings expected = fullWrite();
    expected[3] = "SDH-1";
    expected[4] = "SPN-2147483648";
    expected[6] = "SRM255";
    expected[8] = "SDP0";
    EXPECT_EQ(sent(17), expected);
}

class WriteStops : public CommandRoad, public testing::WithParamInterface<StopCase>
{
};

TEST_P(WriteStops, AtTheFirstCommandNotAcceptedThenPausesAndCloses)
{
    const StopCase& c = GetParam();
    m_sim.setFault(kMac, sim::writeCodes()[c.row], sim::Fault{c.fault});
    const auto start = Clock::now();
    EXPECT_FALSE(WriteConfigByCommands(m_entry, newRecord()));
    EXPECT_GE(Clock::now() - start, kPause);
    Strings expected{"L"};
    for (std::size_t i = 0; i <= c.row; ++i)
        expected.push_back(newRecordWrites()[i]);
    expected.push_back("O"); // no "E"
    EXPECT_EQ(sent(expected.size()), expected);
    EXPECT_EQ(m_sim.values(kMac), moduleValues()); // nothing committed
}

INSTANTIATE_TEST_SUITE_P(EveryWriteCommand, WriteStops, testing::ValuesIn(everyRow(14)), stopCaseName);

TEST_F(CommandRoad, SipRefusedLeavesThirteenSettingsSentAndNoCommit)
{
    m_sim.setFault(kMac, "SIP", sim::Fault{sim::FaultKind::Refuse});
    const auto start = Clock::now();
    EXPECT_FALSE(WriteConfigByCommands(m_entry, newRecord()));
    EXPECT_GE(Clock::now() - start, kPause);
    Strings expected = fullWrite();
    expected.erase(expected.end() - 2); // "E"
    EXPECT_EQ(sent(16), expected);
    EXPECT_EQ(m_sim.values(kMac), moduleValues()); // nothing committed
}

struct CommitCase
{
    sim::FaultKind fault;
    bool result;
};

void PrintTo(const CommitCase& c, std::ostream* os)
{
    *os << "E " << (c.fault == sim::FaultKind::Refuse ? "refused" : "unanswered");
}

class WriteCommit : public CommandRoad, public testing::WithParamInterface<CommitCase>
{
};

TEST_P(WriteCommit, SilenceOnCommitIsSuccessAndRefusalFailure)
{
    m_sim.setFault(kMac, "E", sim::Fault{GetParam().fault});
    const auto start = Clock::now();
    EXPECT_EQ(WriteConfigByCommands(m_entry, newRecord()), GetParam().result);
    EXPECT_GE(Clock::now() - start, kPause);
    EXPECT_EQ(sent(17), fullWrite()); // every field was sent either way
}

INSTANTIATE_TEST_SUITE_P(Replies, WriteCommit,
                         testing::Values(CommitCase{sim::FaultKind::Silent, true},
                                         CommitCase{sim::FaultKind::Empty, true},
                                         CommitCase{sim::FaultKind::Refuse, false}),
                         [](const testing::TestParamInfo<CommitCase>& param) {
                             return "case" + std::to_string(param.index);
                         });

TEST_F(CommandRoad, FieldsTheWriterDoesNotCarryChangeNoByte)
{
    ASSERT_TRUE(WriteConfigByCommands(m_entry, newRecord()));
    const Strings first = sent(17);
    m_sim.clearEvents();

    TModelConfig config = newRecord();
    config.StopBitsIndex = 0;
    config.GfcValue = 200;
    config.GdtValue = 201;
    config.MacAddress = "AA-BB-CC-DD-EE-FF"; // only ever used for "W"
    TModelParm entry = m_entry;
    entry.Mac = "ignored";
    entry.LibraryTag = 99;
    entry.Port = 1;
    ASSERT_TRUE(WriteConfigByCommands(entry, config));
    EXPECT_EQ(sent(17), first);
}

TEST_F(CommandRoad, ReadThenWriteOfTheSameRecordLeavesTheModuleUnchanged)
{
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByCommands(m_entry, config));
    ASSERT_TRUE(WriteConfigByCommands(m_entry, config));
    EXPECT_EQ(m_sim.values(kMac), moduleValues());
    EXPECT_EQ(m_sim.currentIp(kMac), testnet::moduleIp(1));
}

// ---------------------------------------------------------------- opening fallback

// Two modules on one LAN: the first refuses "L" at its own address, so each run has to
// select it by its physical address and go on by broadcast.
class OpeningFallback : public testing::Test
{
protected:
    static sim::ModuleSpec refusingSpec()
    {
        sim::ModuleSpec spec = moduleSpec();
        spec.refuseOpenAtOwnAddress = true;
        return spec;
    }
    static sim::ModuleSpec otherSpec()
    {
        sim::ModuleSpec spec = sim::commandModule(testnet::moduleIp(2), kOtherMac);
        spec.values = moduleValues();
        spec.values["GON"] = "someone else";
        spec.values["GDN"] = "other module";
        return spec;
    }

    OpeningFallback() : m_sim({refusingSpec(), otherSpec()}), m_entry(entryFor(testnet::moduleIp(1), kMac)) {}

    sim::Simulator m_sim;
    TModelParm m_entry;
};

TEST_F(OpeningFallback, ReadSelectsTheModuleByTheEntrysMacAndBroadcastsTheRest)
{
    TModelConfig config = markedRecord();
    config.MacAddress = kOtherMac; // the reader selects by the entry, not the record
    EXPECT_TRUE(ReadConfigByCommands(m_entry, config));
    EXPECT_EQ(config, recordAfterReads(17));

    Strings expected = concat({"L", "W" + kMac}, kFullRead);
    const auto events = settledEvents(m_sim, kMac, 21);
    EXPECT_EQ(sentData(events), expected);
    std::vector<bool> broadcast(21, true);
    broadcast[0] = false; // only the first "L" went to the module's address
    EXPECT_EQ(broadcastFlags(events), broadcast);
    EXPECT_FALSE(m_sim.selected(kMac));
    // The other module heard every broadcast and answered none of them.
    EXPECT_EQ(sentData(settledEvents(m_sim, kOtherMac, 20)), Strings(expected.begin() + 1, expected.end()));
    EXPECT_FALSE(m_sim.selected(kOtherMac));
}

TEST_F(OpeningFallback, SilenceAtTheEntrysAddressAlsoFallsBack)
{
    // An address no host on the LAN has: the datagram goes nowhere.
    const TModelParm moved = entryFor("10.77.0.99", kMac);
    TModelConfig config = markedRecord();
    EXPECT_TRUE(ReadConfigByCommands(moved, config));
    EXPECT_EQ(config, recordAfterReads(17));
    const auto events = settledEvents(m_sim, kMac, 20);
    EXPECT_EQ(sentData(events), concat({"W" + kMac}, kFullRead));
    EXPECT_EQ(broadcastFlags(events), std::vector<bool>(20, true));
}

TEST_F(OpeningFallback, WriteSelectsTheModuleByTheRecordsMac)
{
    TModelParm entry = m_entry;
    entry.Mac = kOtherMac; // the writer selects by the record, not the entry
    const auto start = Clock::now();
    EXPECT_TRUE(WriteConfigByCommands(entry, newRecord()));
    EXPECT_GE(Clock::now() - start, kPause);

    const Strings expected = concat({"L", "W" + kMac}, fullWrite());
    const auto events = settledEvents(m_sim, kMac, 19);
    EXPECT_EQ(sentData(events), expected);
    std::vector<bool> broadcast(19, true);
    broadcast[0] = false;
    EXPECT_EQ(broadcastFlags(events), broadcast);
    EXPECT_EQ(m_sim.values(kMac).at("GDN"), "\xC9\xE8\xB1\xB8");
    EXPECT_EQ(m_sim.values(kOtherMac), otherSpec().values);
}

struct SelectCase
{
    bool write;
    std::string mac;       // what the run selects by
    sim::FaultKind wFault; // on "W"
    sim::FaultKind lFault; // on "L", both times
    Strings expected;      // what the module hears after the first "L"
};

void PrintTo(const SelectCase& c, std::ostream* os)
{
    *os << (c.write ? "write" : "read") << " selecting \"" << c.mac << "\"";
}

class FallbackFails : public OpeningFallback, public testing::WithParamInterface<SelectCase>
{
};

TEST_P(FallbackFails, GivesFalseWithNoFieldCommandAndClosesByBroadcast)
{
    const SelectCase& c = GetParam();
    if (c.wFault != sim::FaultKind::None)
        m_sim.setFault(kMac, "W", sim::Fault{c.wFault});
    if (c.lFault != sim::FaultKind::None)
        m_sim.setFault(kMac, "L", sim::Fault{c.lFault});
    TModelParm entry = m_entry;
    entry.Mac = c.mac;
    TModelConfig config = markedRecord();
    config.MacAddress = c.mac;
    const TModelConfig before = config;

    const auto start = Clock::now();
    if (c.write)
        EXPECT_FALSE(WriteConfigByCommands(entry, config));
    else
        EXPECT_FALSE(ReadConfigByCommands(entry, config));
    // No pause without an opening: the run is three or four short transactions.
    EXPECT_LT(Clock::now() - start, kPause);
    EXPECT_EQ(config, before);

    const Strings expected = concat({"L"}, c.expected);
    const auto events = settledEvents(m_sim, kMac, expected.size());
    EXPECT_EQ(sentData(events), expected);
    EXPECT_TRUE(events.back().broadcast);
    EXPECT_FALSE(m_sim.inSession(kMac));
}

std::vector<SelectCase> failedSelections()
{
    using sim::FaultKind;
    std::vector<SelectCase> cases;
    for (const bool write : {false, true}) {
        cases.push_back({write, kMac, FaultKind::Refuse, FaultKind::None, {"W" + kMac, "O"}});
        cases.push_back({write, kMac, FaultKind::Silent, FaultKind::None, {"W" + kMac, "O"}});
        cases.push_back(
            {write, "00-00-00-00-00-00", FaultKind::None, FaultKind::None, {"W00-00-00-00-00-00", "O"}});
        cases.push_back({write, "", FaultKind::None, FaultKind::None, {"W", "O"}});
        cases.push_back({write, kMac, FaultKind::None, FaultKind::Refuse, {"W" + kMac, "L", "O"}});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Openings, FallbackFails, testing::ValuesIn(failedSelections()),
                         [](const testing::TestParamInfo<SelectCase>& param) {
                             return std::string(param.param.write ? "write" : "read") +
                                    std::to_string(param.index);
                         });

// ---------------------------------------------------------------- transport errors

struct TransportCase
{
    bool write;
    std::size_t failingTransaction; // index into the run's commands
};

void PrintTo(const TransportCase& c, std::ostream* os)
{
    *os << (c.write ? "write" : "read") << " failing at transaction " << c.failingTransaction + 1;
}

class TransportError : public CommandRoad, public testing::WithParamInterface<TransportCase>
{
};

TEST_P(TransportError, EndsTheRunAtOnceAndPassesOn)
{
    const TransportCase& c = GetParam();
    const Strings run = c.write ? fullWrite() : kFullRead;
    const std::string code = run[c.failingTransaction].substr(0, run[c.failingTransaction] == "L" ? 1 : 3);
    m_sim.setFault(kMac, code, sim::Fault{sim::FaultKind::Oversize});

    TModelConfig config = c.write ? newRecord() : markedRecord();
    try {
        if (c.write)
            WriteConfigByCommands(m_entry, config);
        else
            ReadConfigByCommands(m_entry, config);
        FAIL() << "nothing raised";
    } catch (const SocketError& error) {
        EXPECT_EQ(std::string(error.what()), "Socket Error # 10040\r\nMessage too long.");
    }
    const Strings expected(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(c.failingTransaction) + 1);
    EXPECT_EQ(sent(expected.size()), expected); // not even "O"
    if (!c.write && c.failingTransaction > 0) {
        EXPECT_EQ(config, recordAfterReads(c.failingTransaction - 1));
    }
}

INSTANTIATE_TEST_SUITE_P(MidRun, TransportError,
                         testing::Values(TransportCase{false, 0}, TransportCase{false, 6},
                                         TransportCase{false, 17}, TransportCase{true, 0},
                                         TransportCase{true, 8}, TransportCase{true, 15}),
                         [](const testing::TestParamInfo<TransportCase>& param) {
                             return std::string(param.param.write ? "write" : "read") +
                                    std::to_string(param.param.failingTransaction);
                         });

} // namespace
