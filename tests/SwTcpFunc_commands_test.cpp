// The command road against a simulated module: reads and writes, whole and stopped at each
// command; the wire traffic is proven from the simulator's event log.
#include "CommandRoadScenario.h"
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"

#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

using namespace commandroad;

namespace {

// ---------------------------------------------------------------- read

TEST_F(CommandRoad, FullReadIsNineteenTransactionsToTheModule)
{
    TModelConfig config = markedRecord();
    EXPECT_TRUE(ReadConfigByCommands(m_entry, config));
    EXPECT_EQ(config, recordAfterReads(17)); // StopBitsIndex keeps its mark
    const auto events = settledEvents(m_sim, kMac, 19);
    EXPECT_EQ(sentData(events), fullRead());
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

// A refusal is an answer; silence is tried again.
std::size_t triesOf(const StopCase& c)
{
    return c.fault == sim::FaultKind::Silent ? kExchangeTries : 1;
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
    Strings expected(fullRead().begin(), fullRead().begin() + static_cast<std::ptrdiff_t>(c.row) + 1);
    expected.insert(expected.end(), triesOf(c), fullRead()[c.row + 1]);
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
    expected.AsRead[fieldIndex(fieldOfReadCode(c.code))] = c.text;
    EXPECT_EQ(config, expected);
    EXPECT_EQ(sent(19), fullRead());
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
    for (std::size_t i = 0; i < c.row; ++i)
        expected.push_back(newRecordWrites()[i]);
    expected.insert(expected.end(), triesOf(c), newRecordWrites()[c.row]);
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
    EXPECT_EQ(sent(17), fullWrite()); // every field was sent either way, "E" once
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

TEST_F(CommandRoad, ValueTooLongForAReplySendsNothing)
{
    // Reads as 0, so it would go out as the module's own text.
    TModelConfig config = newRecord();
    config.LocalPort = 0;
    config.AsRead[fieldIndex(ConfigField::LocalPort)] = std::string(kCommandRoadMaxValueBytes + 1, '9');
    std::string refusal;
    EXPECT_FALSE(WriteConfigByCommands(m_entry, config, &refusal));
    EXPECT_EQ(refusal, "SPN: the value is 8192 bytes, longer than a reply can carry back (8191 bytes)");
    EXPECT_EQ(sent(0), Strings{});
}

TEST_F(CommandRoad, ReadThenWriteOfTheSameRecordLeavesTheModuleUnchanged)
{
    // Texts the conversions cannot give back: a line end, out of range, a leading zero.
    sim::ModuleSpec spec = moduleSpec();
    spec.values["GPN"] = "502\r\n";
    spec.values["GPR"] = "300";
    spec.values["GBB"] = "300";
    spec.values["GBR"] = "-1";
    spec.values["GDP"] = "09000";
    m_sim.setModule(kMac, spec);
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByCommands(m_entry, config));
    ASSERT_TRUE(WriteConfigByCommands(m_entry, config));
    EXPECT_EQ(m_sim.values(kMac), spec.values);
    EXPECT_EQ(m_sim.currentIp(kMac), testnet::moduleIp(1));
}

} // namespace
