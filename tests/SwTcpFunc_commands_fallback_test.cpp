// The command road's opening fallback (a module selected by its physical address and
// reached by broadcast) and transport errors that end a run, against simulated modules.
#include "CommandRoadScenario.h"
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "net.h"

#include <gtest/gtest.h>
#include <ostream>

using namespace commandroad;

namespace {

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

    Strings expected = concat({"L", "W" + kMac}, fullRead());
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
    EXPECT_EQ(sentData(events), concat({"W" + kMac}, fullRead()));
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
        // Nobody answering a selection: it is tried again.
        const auto unanswered = [](const std::string& select) {
            return concat(Strings(kExchangeTries, select), {"O"});
        };
        cases.push_back({write, kMac, FaultKind::Silent, FaultKind::None, unanswered("W" + kMac)});
        cases.push_back(
            {write, "00-00-00-00-00-00", FaultKind::None, FaultKind::None, unanswered("W00-00-00-00-00-00")});
        cases.push_back({write, "", FaultKind::None, FaultKind::None, unanswered("W")});
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
    const Strings run = c.write ? fullWrite() : fullRead();
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
