// Naming a module on the command line: by IP or MAC, by kind, once per module.
#include "ModuleFinder.h"

#include <gtest/gtest.h>

namespace {

TModelParm entry(const char* ip, const char* mac, bool viaCommands, std::uint8_t tag = 0)
{
    TModelParm e;
    e.Ip = ip;
    e.Mac = mac;
    e.ViaCommandProtocol = viaCommands ? 1 : 0;
    e.LibraryTag = tag;
    return e;
}

const std::vector<TModelParm> kList{
    entry("10.77.0.11", "00-1A-2B-00-00-11", true),
    entry("10.77.0.11", "00-1A-2B-00-00-11", true), // its reply came twice
    entry("10.77.0.12", "00-1A-2B-00-00-12", true),
    entry("10.77.0.12", "00-1A-2B-00-00-12", false, 7), // listed by both phases
    entry("10.77.0.13", "", true),                      // a reply without a MAC
};

struct Case
{
    const char* id;
    KindChoice kind;
    std::size_t matches;
    bool viaCommands; // of the first match
};

class LookUpModule : public testing::TestWithParam<Case>
{
};

TEST_P(LookUpModule, FindsTheModulesNamed)
{
    const Lookup lookup = lookUpModule(kList, GetParam().id, GetParam().kind);
    ASSERT_EQ(lookup.matches.size(), GetParam().matches);
    if (!lookup.matches.empty()) {
        EXPECT_EQ(lookup.matches.front().ViaCommandProtocol != 0, GetParam().viaCommands);
    }
}

INSTANTIATE_TEST_SUITE_P(ByIpMacAndKind, LookUpModule,
                         testing::Values(Case{"10.77.0.11", KindChoice::Any, 1, true},
                                         Case{"00:1a:2b:00:00:11", KindChoice::Any, 1, true},
                                         Case{"10.77.0.12", KindChoice::Any, 2, true},
                                         Case{"10.77.0.12", KindChoice::Library, 1, false},
                                         Case{"00-1A-2B-00-00-12", KindChoice::Commands, 1, true},
                                         Case{"10.77.0.11", KindChoice::Library, 0, false},
                                         Case{"", KindChoice::Any, 0, false},
                                         Case{"10.77.0.1", KindChoice::Any, 0, false}));

TEST(ModuleFinder, WarnsOfASearchErrorAndOfDroppedRepliesOnly)
{
    SearchOutcome outcome;
    EXPECT_TRUE(searchWarnings(outcome).empty());
    outcome.droppedByOs = 0;
    EXPECT_TRUE(searchWarnings(outcome).empty());
    outcome.droppedByOs = 37;
    outcome.error = "Socket Error # 10040";
    const auto warnings = searchWarnings(outcome);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], "search: Socket Error # 10040");
    EXPECT_EQ(warnings[1].rfind("warning: the OS dropped 37 search replies", 0), 0u) << warnings[1];
}

} // namespace
