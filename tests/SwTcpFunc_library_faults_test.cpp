// The library road through the stand-in library against every fault a module can make, at
// every fetch of a read and at the modify of a write: the result, and what the module holds.
#include "FieldCodes.h"
#include "LibraryModule.h"
#include "MxWire.h"
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"
#include "UdpPeer.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using sim::FaultKind;

const std::string kMac = "00-4D-58-00-00-51";
constexpr std::uint8_t kTag = 9;

const char* kindName(FaultKind kind)
{
    static const char* const names[] = {"None",  "Refuse", "Silent",   "Late",
                                        "Twice", "Empty",  "Oversize", "Gone"};
    return names[static_cast<int>(kind)];
}

const FaultKind kKinds[] = {FaultKind::Refuse, FaultKind::Silent,   FaultKind::Late, FaultKind::Twice,
                            FaultKind::Empty,  FaultKind::Oversize, FaultKind::Gone};

// Late replies come after the library's first wait (150 ms) and within its second: the
// reply to the first request still counts, since the resend carries the same nonce.
sim::Fault faultOf(FaultKind kind, int skip = 0)
{
    return {kind, 200, skip};
}

// What a read stores from the first `rows` keys of libraryModule(moduleIp(1), kMac, kTag):
// the values in our codes and the texts as read.
TModelConfig recordAfterRows(std::size_t rows)
{
    TModelConfig c;
    // Each key's text, and what storing it does.
    const std::pair<std::string, std::function<void()>> read[] = {
        {"MX-51", [&] { c.DeviceName = "MX-51"; }},
        {kMac, [&] { c.MacAddress = kMac; }},
        {"1", [&] { c.IpMode = 0; }}, // static
        {testnet::moduleIp(1), [&] { c.IpAddress = testnet::moduleIp(1); }},
        {"255.255.255.0", [&] { c.NetMask = "255.255.255.0"; }},
        {"10.77.0.1", [&] { c.Gateway = "10.77.0.1"; }},
        {"1", [&] { c.WorkMode = 0; }}, // server
        {"8080", [&] { c.LocalPort = 8080; }},
        {"10.77.0.1", [&] { c.TargetIp = "10.77.0.1"; }},
        {"9000", [&] { c.TargetPort = 9000; }},
        {"5", [&] { c.BaudIndex = 3; }}, // 9600
        {"1", [&] { c.StopBitsIndex = 1; }},
        {"0", [&] { c.Parity = 0; }},
        {"8", [&] { c.DataBitsIndex = 1; }},
    };
    for (std::size_t i = 0; i < rows; ++i) {
        read[i].second();
        c.AsRead[fieldIndex(fieldOfLibraryKey(sim::libraryKeys()[i]))] = read[i].first;
    }
    return c;
}

class LibraryFaults : public testing::Test
{
protected:
    LibraryFaults() : m_sim({sim::libraryModule(testnet::moduleIp(1), kMac, kTag)}) {}

    std::string ip() const { return testnet::moduleIp(1); }

    sim::Simulator m_sim;
};

struct ReadCase
{
    std::size_t row; // the fetch of this row (0-based) meets the fault
    FaultKind kind;
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << "row " << c.row + 1 << " " << kindName(c.kind);
}

class ReadFaults : public LibraryFaults, public testing::WithParamInterface<ReadCase>
{
};

TEST_P(ReadFaults, StopTheReadAtTheirRowOrPassUnharmed)
{
    const auto [row, kind] = GetParam();
    const auto before = m_sim.values(kMac);
    m_sim.setFault(kMac, sim::kFetchFault, faultOf(kind, static_cast<int>(row)));
    TModelConfig config;
    const bool ok = ReadConfigByLibrary(ip(), kTag, config);
    // A duplicated reply, or one late into the resend's wait, leaves the read whole.
    EXPECT_EQ(ok, kind == FaultKind::Twice || kind == FaultKind::Late);
    EXPECT_EQ(config, recordAfterRows(ok ? 14 : row));
    EXPECT_EQ(m_sim.values(kMac), before) << "a read changes nothing";
}

std::vector<ReadCase> everyRow()
{
    std::vector<ReadCase> cases;
    for (std::size_t row = 0; row < 14; ++row)
        for (const FaultKind kind : kKinds)
            cases.push_back({row, kind});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryFetch, ReadFaults, testing::ValuesIn(everyRow()),
                         [](const testing::TestParamInfo<ReadCase>& param) {
                             return "row" + std::to_string(param.param.row + 1) + kindName(param.param.kind);
                         });

class WriteFaults : public LibraryFaults, public testing::WithParamInterface<FaultKind>
{
};

TEST_P(WriteFaults, ReportDoneExactlyWhenTheModuleTookTheWrite)
{
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByLibrary(ip(), kTag, config));
    const auto before = m_sim.values(kMac);
    config.DeviceName = "renamed";
    config.LocalPort = 4001;
    config.IpAddress = testnet::moduleIp(2); // from its reply on, the module answers only there

    m_sim.setFault(kMac, sim::kModifyFault, faultOf(GetParam()));
    const bool ok = WriteConfigByLibrary(ip(), kLibraryWritePassword, kTag, config);
    // A refused or vanished module took nothing; any other took the write, whatever
    // became of its reply.
    const bool taken = GetParam() != FaultKind::Refuse && GetParam() != FaultKind::Gone;
    EXPECT_EQ(ok, taken);
    auto expected = before;
    if (taken) {
        expected["NAME"] = "renamed";
        expected["C1_PORT"] = "4001";
        expected["IP"] = testnet::moduleIp(2);
    }
    EXPECT_EQ(m_sim.values(kMac), expected);
    EXPECT_EQ(m_sim.currentIp(kMac), taken ? testnet::moduleIp(2) : ip());
}

INSTANTIATE_TEST_SUITE_P(Modify, WriteFaults, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<FaultKind>& param) {
                             return kindName(param.param);
                         });

// A reply that carries another request's nonce (a late answer to an earlier one) is not
// the answer, even when it comes first.
TEST(LibraryNonce, ReplyWithAForeignNonceIsIgnored)
{
    sim::ModuleSpec module = sim::libraryModule(testnet::moduleIp(1), kMac, kTag);
    sim::ModuleSpec stale = module;
    stale.values["NAME"] = "stale";
    UdpPeer peer(testnet::moduleIp(3), sim::kLibraryPort, [&](const ReceivedDatagram& request) {
        const auto fetch = mx::decode(request.data);
        if (!fetch)
            return std::vector<std::string>{};
        const std::string& nonce = fetch->fields[0];
        return std::vector<std::string>{sim::configReply(stale, nonce + "0"),
                                        sim::configReply(module, nonce)};
    });
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByLibrary(testnet::moduleIp(3), kTag, config));
    EXPECT_EQ(config, recordAfterRows(14));
}

} // namespace
