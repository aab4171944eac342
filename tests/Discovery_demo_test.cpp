// A search of the demo network, through the real stand-in library and simulated modules.
#include "Discovery.h"
#include "ModuleFile.h"
#include "Simulator.h"
#include "net.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(DiscoveryDemo, EveryModuleOfBothKindsIsListedWithItsAddresses)
{
    const auto modules = sim::loadModuleFile(TCPMOD_SOURCE_DIR "/sim/demo-modules.json");
    sim::Simulator simulator(modules);
    UdpEndpoint endpoint;
    ConfigureDiscoveryEndpoint(endpoint);
    std::vector<TModelParm> rows;
    RunSearch(endpoint, [&rows](const TModelParm& entry) { rows.push_back(entry); });

    ASSERT_EQ(rows.size(), modules.size());
    // Probe answers first, then the library's modules.
    const auto firstLibraryRow = std::find_if(
        rows.begin(), rows.end(), [](const TModelParm& row) { return row.ViaCommandProtocol == 0; });
    EXPECT_TRUE(std::all_of(firstLibraryRow, rows.end(),
                            [](const TModelParm& row) { return row.ViaCommandProtocol == 0; }));
    for (const sim::ModuleSpec& module : modules) {
        const auto row =
            std::find_if(rows.begin(), rows.end(), [&](const TModelParm& r) { return r.Ip == module.ip; });
        ASSERT_NE(row, rows.end()) << module.ip;
        EXPECT_EQ(row->Mac, module.mac);
        EXPECT_EQ(row->ViaCommandProtocol, module.kind == sim::ModuleKind::Command ? 1 : 0);
        if (module.kind == sim::ModuleKind::Library) {
            EXPECT_EQ(row->LibraryTag, module.tag);
            EXPECT_EQ(row->Port, module.searchPort);
        } else {
            EXPECT_EQ(row->Port, kCommandPort);
        }
    }
}

TEST(DiscoveryDemo, ConsecutiveSearchesListTheSameModules)
{
    const auto modules = sim::loadModuleFile(TCPMOD_SOURCE_DIR "/sim/demo-modules.json");
    sim::Simulator simulator(modules);
    UdpEndpoint endpoint;
    ConfigureDiscoveryEndpoint(endpoint);
    for (int search = 0; search < 3; ++search) {
        std::vector<TModelParm> rows;
        RunSearch(endpoint, [&rows](const TModelParm& entry) { rows.push_back(entry); });
        EXPECT_EQ(rows.size(), modules.size()) << "search " << search;
    }
}

} // namespace
