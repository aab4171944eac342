// The command-protocol module's rules, without sockets: what it answers and what it keeps.
#include "CommandModule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using sim::CommandModule;
using sim::Fault;
using sim::FaultKind;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const std::string kMac = "00-1A-2B-3C-00-11";

struct Step
{
    std::string request;
    bool atOwnAddress;
    std::vector<std::string> replies;
};

struct SessionCase
{
    const char* name;
    bool refuseOpenAtOwnAddress;
    std::vector<Step> steps;
};

class CommandModuleTest : public testing::Test
{
protected:
    std::vector<std::string> send(const std::string& request, bool atOwnAddress = true)
    {
        return module.receive(request, atOwnAddress, rng).datagrams;
    }

    CommandModule module{sim::commandModule("10.77.0.11", kMac)};
    std::mt19937 rng{1};
};

class CommandModuleSession : public testing::TestWithParam<SessionCase>
{
};

// Each step: a request, where it arrived, and the exact datagrams the module sends back.
const SessionCase kSessionCases[] = {
    {"ReadsOutsideASessionAreRefused",
     false,
     {{"GON", true, {"N"}}, {"SONx", true, {"N"}}, {"E", true, {"N"}}}},
    {"OpenSessionAnswersReads",
     false,
     {{"L", true, {"A"}}, {"GON", true, {"Auser"}}, {"GFE", true, {"A" + kMac}}, {"GBR", true, {"A3"}}}},
    {"UnselectedModuleIgnoresBroadcastCommands",
     false,
     {{"L", false, {}}, {"GON", false, {}}, {"E", false, {}}, {"O", false, {}}, {"SBR1", false, {}}}},
    {"ProbeIsAnsweredHoweverItArrives",
     false,
     {{"X", true, {"M" + kMac + "/TCP-11"}}, {"X", false, {"M" + kMac + "/TCP-11"}}}},
    {"SelectionByMacMakesBroadcastCommandsCount",
     false,
     {{"W" + kMac, false, {"A"}},
      {"L", false, {"A"}},
      {"GDN", false, {"ATCP-11"}},
      {"O", false, {"A"}},
      {"GDN", false, {}}}},
    {"SelectionIgnoresMacLetterCase", false, {{"W00-1a-2b-3c-00-11", false, {"A"}}, {"L", false, {"A"}}}},
    {"SelectionOfAnotherModuleEndsThisOne",
     false,
     {{"W" + kMac, false, {"A"}}, {"W00-1A-2B-3C-00-99", false, {}}, {"L", false, {}}}},
    {"WithoutMacNothingIsSelected", false, {{"W", false, {}}, {"L", false, {}}}},
    {"CloseEndsTheSession", false, {{"L", true, {"A"}}, {"O", true, {"A"}}, {"GON", true, {"N"}}}},
    {"CloseWithoutSessionIsRefused", false, {{"O", true, {"N"}}}},
    {"UnknownCommandsAreRefused",
     false,
     {{"Q", true, {"N"}},
      {"L", true, {"A"}},
      {"GONX", true, {"N"}},
      {"LL", true, {"N"}},
      {"", true, {"N"}},
      {"gon", true, {"N"}},
      {"XX", true, {"N"}}}},
    {"RefusedOpeningAtOwnAddressLeavesTheFallback",
     true,
     {{"L", true, {"N"}},
      {"GON", true, {"N"}},
      {"W" + kMac, false, {"A"}},
      {"L", false, {"A"}},
      {"GON", false, {"Auser"}}}},
};

TEST_P(CommandModuleSession, AnswersEachStepExactly)
{
    sim::ModuleSpec spec = sim::commandModule("10.77.0.11", kMac);
    spec.refuseOpenAtOwnAddress = GetParam().refuseOpenAtOwnAddress;
    CommandModule module(spec);
    std::mt19937 rng(1);
    int index = 0;
    for (const auto& step : GetParam().steps) {
        EXPECT_EQ(module.receive(step.request, step.atOwnAddress, rng).datagrams, step.replies)
            << "step " << index << ": " << step.request
            << (step.atOwnAddress ? " (own address)" : " (broadcast)");
        ++index;
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, CommandModuleSession, testing::ValuesIn(kSessionCases),
                         [](const testing::TestParamInfo<SessionCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(CommandModuleTest, WritesAreStagedUntilCommit)
{
    send("L");
    EXPECT_THAT(send("SON王芳"), ElementsAre("A"));
    EXPECT_THAT(send("SBR7"), ElementsAre("A"));
    EXPECT_THAT(send("SDN"), ElementsAre("A")); // an empty value is a value
    EXPECT_EQ(module.spec().values.at("GON"), "user");
    EXPECT_THAT(send("GON"), ElementsAre("Auser")) << "reads show committed values";
    EXPECT_EQ(module.staged().at("GON"), "王芳");

    EXPECT_THAT(send("E"), ElementsAre("A"));
    EXPECT_EQ(module.spec().values.at("GON"), "王芳");
    EXPECT_EQ(module.spec().values.at("GBR"), "7");
    EXPECT_EQ(module.spec().values.at("GDN"), "");
    EXPECT_THAT(module.staged(), IsEmpty());
    EXPECT_TRUE(module.inSession()) << "the address did not change";
    EXPECT_THAT(send("GBR"), ElementsAre("A7"));
}

TEST_F(CommandModuleTest, EveryWriteCodeStagesItsReadCode)
{
    send("L");
    for (const auto& code : sim::writeCodes())
        EXPECT_THAT(send(code + "v" + code), ElementsAre("A")) << code;
    ASSERT_EQ(module.staged().size(), 14u);
    for (const auto& code : sim::writeCodes())
        EXPECT_EQ(module.staged().at(sim::readCodeOf(code)), "v" + code);
}

TEST_F(CommandModuleTest, CloseWithoutCommitDropsStagedValues)
{
    send("L");
    send("SGI10.77.0.254");
    send("O");
    send("L");
    send("E");
    EXPECT_EQ(module.spec().values.at("GGI"), "10.77.0.1");
}

TEST_F(CommandModuleTest, CommittedNewAddressMovesTheModuleAndEndsTheSession)
{
    send("L");
    send("SIP10.77.0.21");
    EXPECT_EQ(module.spec().ip, "10.77.0.11") << "not before E";
    send("E");
    EXPECT_EQ(module.spec().ip, "10.77.0.21");
    EXPECT_EQ(module.spec().values.at("GIP"), "10.77.0.21");
    EXPECT_FALSE(module.inSession());
    EXPECT_THAT(send("GON"), ElementsAre("N"));
}

TEST_F(CommandModuleTest, SelectedModuleCommitsByBroadcastToo)
{
    send("W" + kMac, false);
    send("L", false);
    send("SPN4001", false);
    EXPECT_THAT(send("E", false), ElementsAre("A"));
    EXPECT_EQ(module.spec().values.at("GPN"), "4001");
}

struct FaultCase
{
    const char* name;
    Fault fault;
    std::vector<std::string> replies;
    int delayMs;
};

class CommandModuleFault : public testing::TestWithParam<FaultCase>
{
};

const FaultCase kFaultCases[] = {
    {"None", {FaultKind::None, 0}, {"Auser"}, 0},
    {"Refuse", {FaultKind::Refuse, 0}, {"N"}, 0},
    {"Silent", {FaultKind::Silent, 0}, {}, 0},
    {"Late", {FaultKind::Late, 80}, {"Auser"}, 80},
    {"Twice", {FaultKind::Twice, 0}, {"Auser", "Auser"}, 0},
    {"Empty", {FaultKind::Empty, 0}, {""}, 0},
    {"Oversize", {FaultKind::Oversize, 0}, {"Auser" + std::string(sim::kOversizeBytes - 5, '#')}, 0},
};

TEST_P(CommandModuleFault, ShapesTheReplyOfItsCommandOnly)
{
    CommandModule module(sim::commandModule("10.77.0.11", kMac));
    module.setFault("GON", GetParam().fault);
    std::mt19937 rng(1);
    module.receive("L", true, rng);
    const auto reply = module.receive("GON", true, rng);
    EXPECT_EQ(reply.datagrams, GetParam().replies);
    EXPECT_EQ(reply.delayMs, GetParam().delayMs);
    const auto other = module.receive("GDN", true, rng);
    EXPECT_THAT(other.datagrams, ElementsAre("ATCP-11"));
    EXPECT_EQ(other.delayMs, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CommandModuleFault, testing::ValuesIn(kFaultCases),
                         [](const testing::TestParamInfo<FaultCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(CommandModuleTest, RefusedWriteStagesNothingButASilentOneActs)
{
    module.setFault("SBR", {FaultKind::Refuse, 0});
    module.setFault("SPR", {FaultKind::Silent, 0});
    send("L");
    EXPECT_THAT(send("SBR7"), ElementsAre("N"));
    EXPECT_THAT(send("SPR2"), IsEmpty());
    EXPECT_EQ(module.staged().count("GBR"), 0u);
    EXPECT_EQ(module.staged().at("GPR"), "2");
}

TEST_F(CommandModuleTest, RefusedCommitChangesNothingButASilentOneCommits)
{
    send("L");
    send("SDN new name");
    module.setFault("E", {FaultKind::Refuse, 0});
    EXPECT_THAT(send("E"), ElementsAre("N"));
    EXPECT_EQ(module.spec().values.at("GDN"), "TCP-11");
    module.setFault("E", {FaultKind::Silent, 0});
    EXPECT_THAT(send("E"), IsEmpty());
    EXPECT_EQ(module.spec().values.at("GDN"), " new name");
}

TEST_F(CommandModuleTest, GoneModuleCommitsNothingAndAnswersNothingUntilRestored)
{
    send("L");
    send("SDN new name");
    module.setFault("E", {FaultKind::Gone, 0});
    EXPECT_THAT(send("E"), IsEmpty());
    EXPECT_TRUE(module.gone());
    for (const char* request : {"X", "L", "GDN", "O"})
        EXPECT_THAT(send(request), IsEmpty()) << request;
    EXPECT_EQ(module.spec().values.at("GDN"), "TCP-11");
    auto spec = module.spec();
    spec.faults.clear();
    module.setSpec(spec);
    EXPECT_THAT(send("L"), ElementsAre("A"));
}

TEST_F(CommandModuleTest, SkippedFaultLetsTheFirstRequestsPass)
{
    module.setFault("GDN", {FaultKind::Refuse, 0, 2});
    send("L");
    EXPECT_THAT(send("GDN"), ElementsAre("ATCP-11"));
    EXPECT_THAT(send("GDN"), ElementsAre("ATCP-11"));
    EXPECT_THAT(send("GDN"), ElementsAre("N"));
    EXPECT_THAT(send("GDN"), ElementsAre("N"));
}

TEST_F(CommandModuleTest, RefusedSelectionSelectsNothing)
{
    module.setFault("W", {FaultKind::Refuse, 0});
    EXPECT_THAT(send("W" + kMac, false), ElementsAre("N"));
    EXPECT_FALSE(module.selected());
    EXPECT_THAT(send("L", false), IsEmpty());
}

TEST_F(CommandModuleTest, ProbeFaultsApplyToTheProbeReply)
{
    module.setFault("X", {FaultKind::Twice, 0});
    EXPECT_THAT(send("X", false), ElementsAre("M" + kMac + "/TCP-11", "M" + kMac + "/TCP-11"));
    module.setFault("X", {FaultKind::Refuse, 0});
    EXPECT_THAT(send("X", false), ElementsAre("N"));
}

TEST_F(CommandModuleTest, ProbeJitterSpreadsDelaysOverTheWindow)
{
    sim::ModuleSpec spec = module.spec();
    spec.probeJitterMs = 50;
    module.setSpec(spec);
    std::set<int> delays;
    for (int i = 0; i < 200; ++i) {
        const auto reply = module.receive("X", false, rng);
        ASSERT_EQ(reply.datagrams.size(), 1u);
        EXPECT_GE(reply.delayMs, 0);
        EXPECT_LE(reply.delayMs, 50);
        delays.insert(reply.delayMs);
    }
    EXPECT_GT(delays.size(), 20u) << "200 draws over 51 values";
    EXPECT_EQ(module.receive("L", true, rng).delayMs, 0) << "only the probe is spread";
}

TEST(CommandCode, NamesTheFaultKeyOfARequest)
{
    const std::pair<const char*, const char*> cases[] = {
        {"X", "X"},     {"L", "L"},       {"E", "E"},
        {"O", "O"},     {"W00-11", "W"},  {"W", "W"},
        {"GON", "GON"}, {"GDT", "GDT"},   {"SIP10.77.0.1", "SIP"},
        {"SBB", "SBB"}, {"GONX", "GONX"}, {"Q", "Q"},
    };
    for (const auto& [request, code] : cases)
        EXPECT_EQ(sim::commandCode(request), code) << request;
}

TEST(CommandTables, HoldTheProgramsCodesInOrder)
{
    EXPECT_THAT(sim::readCodes(), ElementsAre("GON", "GDN", "GFE", "GDH", "GIP", "GPN", "GTP", "GRM", "GDI",
                                              "GDP", "GGI", "GNM", "GBR", "GPR", "GBB", "GFC", "GDT"));
    EXPECT_THAT(sim::writeCodes(), ElementsAre("SON", "SDN", "SDH", "SPN", "STP", "SRM", "SDI", "SDP", "SGI",
                                               "SNM", "SBR", "SPR", "SBB", "SIP"));
    EXPECT_EQ(sim::readCodeOf("SIP"), "GIP");
    EXPECT_EQ(sim::readCodeOf("GIP"), "");
    const auto spec = sim::commandModule("10.77.0.11", kMac);
    for (const auto& code : sim::readCodes())
        EXPECT_EQ(spec.values.count(code), 1u) << code;
    EXPECT_EQ(spec.values.at("GIP"), "10.77.0.11");
    EXPECT_EQ(spec.values.at("GFE"), kMac);
}

} // namespace
