// The library road through the stand-in library against every fault a module can make, at
// every fetch of a read and at the modify of a write: the result, and what the module holds.
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"

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
    // What a read that stops at this row stores: the module lacks the row's key.
    const auto before = m_sim.values(kMac);
    auto lacking = sim::libraryModule(ip(), kMac, kTag);
    lacking.failKeys = {sim::libraryKeys()[row]};
    m_sim.setModule(kMac, lacking);
    TModelConfig stopped, full;
    ASSERT_FALSE(ReadConfigByLibrary(ip(), kTag, stopped));
    m_sim.setModule(kMac, sim::libraryModule(ip(), kMac, kTag));
    ASSERT_TRUE(ReadConfigByLibrary(ip(), kTag, full));

    m_sim.setFault(kMac, sim::kFetchFault, faultOf(kind, static_cast<int>(row)));
    TModelConfig config;
    const bool ok = ReadConfigByLibrary(ip(), kTag, config);
    // A duplicated reply, or one late into the resend's wait, leaves the read whole.
    EXPECT_EQ(ok, kind == FaultKind::Twice || kind == FaultKind::Late);
    EXPECT_EQ(config, ok ? full : stopped);
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

    m_sim.setFault(kMac, sim::kModifyFault, faultOf(GetParam()));
    const bool ok = WriteConfigByLibrary(ip(), kLibraryWritePassword, kTag, config);
    const auto after = m_sim.values(kMac);
    // A refused or vanished module took nothing; any other took the write, whatever
    // became of its reply.
    const bool taken = GetParam() != FaultKind::Refuse && GetParam() != FaultKind::Gone;
    EXPECT_EQ(ok, taken);
    EXPECT_EQ(after.at("NAME"), taken ? "renamed" : before.at("NAME"));
    EXPECT_EQ(after.at("C1_PORT"), taken ? "4001" : before.at("C1_PORT"));
}

INSTANTIATE_TEST_SUITE_P(Modify, WriteFaults, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<FaultKind>& param) {
                             return kindName(param.param);
                         });

} // namespace
