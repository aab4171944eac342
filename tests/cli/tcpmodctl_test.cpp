// tcpmodctl end to end: the tool's own entry point against simulated modules of both kinds
// and the real stand-in library, inside the private network.
#include "CtlApp.h"
#include "PrivateNetwork.h"
#include "Simulator.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using testing::HasSubstr;

namespace {

// Test cases run side by side, each in a process of its own: a file each.
std::string testName()
{
    return testing::UnitTest::GetInstance()->current_test_info()->name();
}

const std::string kMacA = "00-1A-2B-00-00-11";
const std::string kMacB = "00-1A-2B-00-00-12";
const std::string kMacC = "00-1A-2B-00-00-13";
const std::string kMacLib = "00-4D-58-00-00-21";
const std::string kFarMac = "00-1A-2B-00-01-11";

struct Outcome
{
    int status;
    std::string out;
    std::string err;
};

Outcome ctl(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCtl(args, out, err);
    return {status, out.str(), err.str()};
}

std::string ip(int n)
{
    return testnet::moduleIp(n);
}

std::vector<sim::ModuleSpec> modules()
{
    sim::ModuleSpec a = sim::commandModule(ip(1), kMacA);
    // Texts the record cannot hold as they stand; they must reach a copy unchanged.
    a.values["GDP"] = " 9000";
    a.values["GPN"] = "0502";
    a.values["GDN"] = "\xD5\xC5\xB9\xA4"; // GBK bytes, not UTF-8
    a.values["GBR"] = "7";
    a.values["GPR"] = "2";
    return {a, sim::commandModule(ip(2), kMacB), sim::commandModule(ip(3), kMacC),
            sim::libraryModule(ip(11), kMacLib, 9)};
}

// Whether anything but reads went to the module: a write command, "E" or a library modify.
bool anyWrite(const std::vector<sim::WireEvent>& events)
{
    return std::any_of(events.begin(), events.end(), [](const sim::WireEvent& e) {
        return (e.data.size() > 1 && e.data[0] == 'S') || e.data == "E" || e.data.rfind("MXA1M", 0) == 0;
    });
}

class Ctl : public testing::Test
{
protected:
    Ctl() : m_sim(modules()) {}

    std::string exportA()
    {
        const std::string path = testing::TempDir() + "/" + testName() + "-a.json";
        const Outcome run = ctl({"export", kMacA, "-o", path});
        EXPECT_EQ(run.status, 0) << run.err;
        return path;
    }

    sim::Simulator m_sim;
};

TEST_F(Ctl, SearchListsBothKindsAsTableAndJson)
{
    const Outcome table = ctl({"search"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_THAT(table.out, HasSubstr("cmd   10.77.0.11      00-1A-2B-00-00-11"));
    EXPECT_THAT(table.out, HasSubstr("lib   10.77.0.21      00-4D-58-00-00-21  9"));

    const Outcome json = ctl({"search", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto list = nlohmann::json::parse(json.out);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], (nlohmann::json{{"kind", "cmd"},
                                       {"ip", ip(1)},
                                       {"mac", kMacA},
                                       {"tag", nullptr},
                                       {"shared_ip", false},
                                       {"via", testnet::kPcIp}}));
    EXPECT_EQ(list[3], (nlohmann::json{{"kind", "lib"},
                                       {"ip", ip(11)},
                                       {"mac", kMacLib},
                                       {"tag", 9},
                                       {"shared_ip", false},
                                       {"via", ""}}));
}

TEST_F(Ctl, AnOversizeReplyIsReportedAndTheOtherModulesStillServe)
{
    m_sim.setFault(kMacB, "X", {sim::FaultKind::Oversize});
    const Outcome search = ctl({"search"});
    EXPECT_EQ(search.status, 1);
    EXPECT_THAT(search.out, HasSubstr(kMacLib));
    EXPECT_EQ(search.err, "tcpmodctl: search: Socket Error # 10040 Message too long.\n");
    const Outcome read = ctl({"read", kMacA});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_THAT(read.err, HasSubstr("10040"));
}

TEST(CtlSecondLan, EveryCardByDefaultAndInterfaceNarrowsToOne)
{
    ASSERT_NE(testnet::secondLanPath(), nullptr) << "run with TCPMOD_NETNS_SECOND_LAN=1 scripts/netns";
    std::unique_ptr<sim::Simulator> far;
    ASSERT_TRUE(testnet::inSecondLan([&] {
        far = std::make_unique<sim::Simulator>(
            std::vector<sim::ModuleSpec>{sim::commandModule(testnet::kSecondLanModuleIp, kFarMac)});
    }));
    sim::Simulator near({sim::commandModule(ip(1), kMacA)});

    const Outcome plain = ctl({"search"});
    EXPECT_THAT(plain.out, HasSubstr("kind  ip              mac                tag  via             shared\n"));
    EXPECT_THAT(plain.out, HasSubstr("cmd   10.77.0.11      00-1A-2B-00-00-11       10.77.0.1\n"));
    EXPECT_THAT(plain.out, HasSubstr("cmd   10.78.0.11      00-1A-2B-00-01-11       10.78.0.1\n"));
    const Outcome firstCard = ctl({"search", "--interface", testnet::kPcIp});
    EXPECT_THAT(firstCard.out, HasSubstr(kMacA));
    EXPECT_THAT(firstCard.out, testing::Not(HasSubstr(kFarMac)));
    const Outcome read = ctl({"read", kFarMac});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_THAT(read.out, HasSubstr("10.78.0.11"));
    const Outcome set = ctl({"set", kFarMac, "devicename=far"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(far->values(kFarMac).at("GDN"), "far");
}

TEST_F(Ctl, ReadShowsLabelsCodesMeaningsAndWhatTheRoadLacks)
{
    const Outcome command = ctl({"read", ip(1)});
    ASSERT_EQ(command.status, 0) << command.err;
    EXPECT_THAT(command.out, HasSubstr("baud        波特率：      7  115200\n"));
    EXPECT_THAT(command.out, HasSubstr("devicename  设备名：      张工\n"));
    EXPECT_THAT(command.out, HasSubstr("stopbits    停止位：      (not carried by the command road)"));

    const Outcome library = ctl({"read", kMacLib, "--json"});
    ASSERT_EQ(library.status, 0) << library.err;
    const auto fields = nlohmann::json::parse(library.out)["fields"];
    EXPECT_EQ(fields[0], (nlohmann::json{{"name", "username"}, {"label", "使用者："}, {"carried", false}}));
    EXPECT_EQ(
        fields[7],
        (nlohmann::json{{"name", "workmode"}, {"label", "工作模式："}, {"code", 0}, {"meaning", "服务器"}}));
    EXPECT_EQ(fields[15]["code"], 1); // stop bits, only the library carries them
}

struct SetCase
{
    std::string module;
    std::vector<std::string> assignments;
    std::map<std::string, std::string> expected; // values the module then holds
};

class CtlSet : public Ctl, public testing::WithParamInterface<SetCase>
{
};

TEST_P(CtlSet, WritesCodesAndMeaningsAndLeavesTheRestAsRead)
{
    std::vector<std::string> args{"set", GetParam().module};
    args.insert(args.end(), GetParam().assignments.begin(), GetParam().assignments.end());
    const Outcome run = ctl(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string mac = GetParam().module == ip(11) ? kMacLib : kMacA;
    const auto values = m_sim.values(mac);
    for (const auto& [key, value] : GetParam().expected)
        EXPECT_EQ(values.at(key), value) << key;
}

INSTANTIATE_TEST_SUITE_P(
    BothRoads, CtlSet,
    testing::Values(
        SetCase{
            ip(1),
            {"baud=9600", "workmode=2", "parity=odd", "devicename=Line 4"},
            {{"GBR", "3"}, {"GRM", "2"}, {"GPR", "2"}, {"GDN", "Line 4"}, {"GDP", " 9000"}, {"GPN", "0502"}}},
        // A text goes back in the encoding the module's was read in.
        SetCase{ip(1), {"devicename=王芳"}, {{"GDN", "\xCD\xF5\xB7\xBC"}}},
        SetCase{ip(11),
                {"baud=3", "workmode=client", "stopbits=2", "ipmode=dynamic"},
                {{"C1_BAUD", "5"}, {"C1_OP", "3"}, {"C1_STOPB", "2"}, {"IP_MODE", "0"}, {"NAME", "MX-21"}}}));

// What a write says once the module is read back, by what happened to its "E".
struct VerifyCase
{
    const char* name;
    sim::Fault commitFault;
    std::vector<std::string> extra; // more arguments
    int status;
    std::string says; // on stdout for status 0, on stderr otherwise
    bool held;        // the module holds baud 5 (38400), not its 3
};

class CtlVerify : public Ctl, public testing::WithParamInterface<VerifyCase>
{
};

TEST_P(CtlVerify, SaysOnlyWhatTheModuleHolds)
{
    const VerifyCase& c = GetParam();
    m_sim.setFault(kMacB, "E", c.commitFault);
    std::vector<std::string> args{"set", kMacB, "baud=5", "parity=odd"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const Outcome run = ctl(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_THAT(c.status == 0 ? run.out : run.err, HasSubstr("cmd 10.77.0.12 00-1A-2B-00-00-12: " + c.says));
    EXPECT_EQ(m_sim.values(kMacB).at("GBR"), c.held ? "5" : "3");
}

INSTANTIATE_TEST_SUITE_P(
    Commit, CtlVerify,
    testing::Values(VerifyCase{"Held", {}, {}, 0, "written, verified\n", true},
                    VerifyCase{"Unchecked", {}, {"--no-verify"}, 0, "written\n", true},
                    VerifyCase{"LostOnce",
                               {sim::FaultKind::Lost, 0, 0, 1},
                               {},
                               0,
                               "written, verified (written twice: the first write was not committed)",
                               true},
                    VerifyCase{"LostAlways",
                               {sim::FaultKind::Lost},
                               {},
                               1,
                               "written, but read back otherwise: baud, parity (written twice",
                               false},
                    VerifyCase{
                        "LostUnchecked", {sim::FaultKind::Lost}, {"--no-verify"}, 0, "written\n", false},
                    // Gone before committing: nothing answers the read-back.
                    VerifyCase{"Gone", {sim::FaultKind::Gone}, {}, 1, "written, but not confirmed", false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Ctl, AModuleMissingFromTheSearchIsLookedForOnceMore)
{
    m_sim.setFault(kMacB, "X", {sim::FaultKind::Lost, 0, 0, 1});
    const Outcome run = ctl({"read", kMacB});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto events = m_sim.eventsFor(kMacB);
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [](const auto& e) { return e.data == "X"; }), 2);
}

TEST(CtlLossyLink, EveryWriteReportedDoneIsCommitted)
{
    // 5% of datagrams lost each way, a fixed seed per run.
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        sim::ModuleSpec spec = sim::commandModule(ip(1), kMacA);
        spec.loss = {0.05, seed};
        sim::Simulator simulator({spec});
        const std::string baud = std::to_string(seed);
        const Outcome run = ctl({"set", kMacA, "baud=" + baud});
        if (run.status == 0) {
            EXPECT_THAT(run.out, HasSubstr("written, verified")) << seed;
            EXPECT_EQ(simulator.values(kMacA).at("GBR"), baud) << seed;
        } else {
            EXPECT_THAT(run.err, testing::Not(HasSubstr(": written, verified"))) << seed;
        }
    }
}

struct Refusal
{
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* says;
    const char* faultCode = ""; // a fault on module A: refuse this code
};

class CtlRefusal : public Ctl, public testing::WithParamInterface<Refusal>
{
};

TEST_P(CtlRefusal, SaysWhyInOneLineAndWritesNothingOnBadInput)
{
    if (*GetParam().faultCode)
        m_sim.setFault(kMacA, GetParam().faultCode, {sim::FaultKind::Refuse});
    const Outcome run = ctl(GetParam().args);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_THAT(run.err, HasSubstr(GetParam().says));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    if (run.status == 2) {
        EXPECT_FALSE(anyWrite(m_sim.events()));
    }
}

const std::string kLongForLibrary = "devicename=" + std::string(100, 'n');
const std::string kLongForCommands = "devicename=" + std::string(8192, 'n');

INSTANTIATE_TEST_SUITE_P(
    EveryExitStatus, CtlRefusal,
    testing::Values(
        Refusal{"NoSubcommand", {}, 2, "subcommand is required"},
        Refusal{"UnknownOption", {"read", "--fast", "x"}, 2, "--fast"},
        Refusal{"BadKind", {"read", "x", "--kind", "both"}, 2, "--kind"},
        Refusal{"BadInterface", {"search", "--interface", "10.77.0"}, 2, "dotted IPv4"},
        Refusal{"InterfaceNotOwned",
                {"search", "--interface", "10.79.0.1"},
                2,
                "Cannot assign requested address."},
        Refusal{"UnknownField", {"set", ip(1), "speed=3"}, 2, "unknown field 'speed'"},
        Refusal{"NotCarried", {"set", ip(1), "stopbits=1"}, 2, "not carried by the command road"},
        Refusal{"NotCarriedByLibrary", {"set", ip(11), "protocol=TCP"}, 2, "not carried by the library road"},
        Refusal{"Mac", {"set", kMacLib, "mac=00-11"}, 2, "read-only"},
        Refusal{"TooLongForLibrary", {"set", ip(11), kLongForLibrary}, 2, "(99 bytes)"},
        Refusal{"TooLongForCommands", {"set", ip(1), kLongForCommands}, 2, "(8191 bytes)"},
        Refusal{"ControlByte", {"set", ip(1), "devicename=a\x01-b"}, 2, "control byte 0x01"},
        Refusal{"NoFile", {"apply", "/nonexistent/a.json", ip(1)}, 2, "cannot read the file"},
        Refusal{"NotFound", {"set", "10.77.0.99", "baud=3"}, 1, "10.77.0.99: not found"},
        Refusal{"ReadRefused", {"read", ip(1)}, 1, "refused the read", "GBR"},
        Refusal{"WriteRefused", {"set", ip(1), "baud=3"}, 1, "refused the write", "SBR"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CtlHelp, EverySubcommandHasItsOwn)
{
    for (const std::string command : {"search", "read", "set", "export", "apply", "commission"}) {
        const Outcome run = ctl({command, "--help"});
        EXPECT_EQ(run.status, 0);
        EXPECT_THAT(run.out, HasSubstr("Usage: tcpmodctl " + command + " "));
    }
    EXPECT_THAT(ctl({"set", "--help"}).out, HasSubstr("targetport"));
}

TEST(CtlVersion, PrintsTheReleaseVersion)
{
    const Outcome run = ctl({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "tcpmodctl " TCPMOD_EXPECTED_VERSION "\n");
}

TEST_F(Ctl, ExportThenApplyMakesAnotherModuleTheSameByteForByte)
{
    const std::string path = exportA();
    const Outcome run = ctl({"apply", path, kMacC});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("[1/1] cmd 10.77.0.13 00-1A-2B-00-00-13: done, verified"));
    auto a = m_sim.values(kMacA);
    auto c = m_sim.values(kMacC);
    EXPECT_EQ(c.at("GIP"), ip(3)); // keeps its own address
    for (const char* own : {"GIP", "GFE", "GFC", "GDT"}) {
        a.erase(own);
        c.erase(own);
    }
    EXPECT_EQ(c, a);
}

TEST_F(Ctl, ApplyGoesOnPastAFailingModuleAndSumsUp)
{
    const std::string path = exportA();
    m_sim.setFault(kMacB, "SBR", {sim::FaultKind::Refuse});
    const Outcome run = ctl({"apply", path, ip(2), ip(3), "10.77.0.99", ip(11), "--fields", "baud,parity"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out,
                HasSubstr("[1/4] cmd 10.77.0.12 00-1A-2B-00-00-12: failed: the module refused the write"));
    EXPECT_THAT(run.out, HasSubstr("[3/4] 10.77.0.99: failed: not found"));
    EXPECT_THAT(run.out, HasSubstr("2 done, 2 failed"));
    EXPECT_THAT(run.err, HasSubstr("10.77.0.99: not found"));
    EXPECT_EQ(m_sim.values(kMacC).at("GBR"), "7");
    EXPECT_EQ(m_sim.values(kMacC).at("GDN"), "TCP-13"); // not among --fields
    EXPECT_EQ(m_sim.values(kMacLib).at("C1_BAUD"), "9");
    EXPECT_EQ(m_sim.values(kMacLib).at("C1_PARITY"), "2");
}

TEST_F(Ctl, DryRunShowsEachChangeAndSendsNoWrite)
{
    const std::string path = exportA();
    m_sim.clearEvents();
    const Outcome run = ctl({"apply", path, ip(2), "--dry-run"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("    baud        3  9600  ->  7  115200\n"));
    EXPECT_THAT(
        run.out,
        HasSubstr("    targetport  9000  ->  9000  (sent as \" 9000\")\n")); // the text " 9000" would go
    EXPECT_THAT(run.out, testing::Not(HasSubstr("    ip ")));
    EXPECT_FALSE(anyWrite(m_sim.events()));
    EXPECT_FALSE(m_sim.events().empty());
}

TEST_F(Ctl, WithIpOneModuleTakesTheFilesAddress)
{
    const std::string path = exportA();
    std::ifstream in(path);
    auto file = nlohmann::json::parse(in);
    file["fields"]["ip"]["value"] = ip(5);
    std::ofstream(path) << file.dump();
    const Outcome run = ctl({"apply", path, kMacC, "--with-ip"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(m_sim.values(kMacC).at("GIP"), ip(5));
}

TEST_F(Ctl, ADamagedFileIsRefusedBeforeTheSearchAndTheModuleStillReads)
{
    // A file of its own: the other cases rewrite the shared one while ctest runs them side by side.
    const std::string path = testing::TempDir() + "/tcpmodctl-damaged.json";
    ASSERT_EQ(ctl({"export", kMacA, "-o", path}).status, 0);
    std::ifstream in(path);
    const auto exported = nlohmann::json::parse(in);
    auto longRead = exported; // reads as 0, and no reply could carry it back
    longRead["fields"]["port"] = {{"value", 0}, {"read", std::string(9000, '9')}};
    auto nul = exported;
    nul["fields"]["devicename"]["value"] = std::string("a\0b", 3);
    m_sim.clearEvents();
    for (const auto& file : {longRead, nul}) {
        std::ofstream(path, std::ios::trunc) << file.dump();
        const Outcome run = ctl({"apply", path, kMacA});
        EXPECT_EQ(run.status, 2);
        EXPECT_THAT(run.err, HasSubstr(file == nul ? "devicename" : "port"));
    }
    EXPECT_TRUE(m_sim.events().empty()); // not even a search
    EXPECT_EQ(ctl({"read", kMacA}).status, 0);
}

TEST_F(Ctl, ApplyRefusesIpForSeveralModulesAndAFileTooLongForALibraryModule)
{
    const std::string path = exportA();
    EXPECT_EQ(ctl({"apply", path, ip(2), ip(3), "--with-ip"}).status, 2);
    std::ifstream in(path);
    auto file = nlohmann::json::parse(in);
    file["fields"]["devicename"]["value"] = std::string(100, 'n');
    std::ofstream(path) << file.dump();
    const Outcome run = ctl({"apply", path, ip(2), ip(11)});
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr("(99 bytes)"));
    EXPECT_FALSE(anyWrite(m_sim.events()));
}

// ---------------------------------------------------------------- modules at one address

// Three new modules at the factory's one address; a unicast there reaches the first.
const std::vector<std::string> kNewMacs{"00-1A-2B-3C-00-AA", "00-1A-2B-3C-00-BB", "00-1A-2B-3C-00-CC"};

class CtlShared : public testing::Test
{
protected:
    CtlShared() : m_sim(newModules()) {}

    static std::vector<sim::ModuleSpec> newModules()
    {
        std::vector<sim::ModuleSpec> specs;
        for (const std::string& mac : kNewMacs)
            specs.push_back(sim::commandModule(ip(40), mac));
        return specs;
    }

    // The module's values with the given ones changed: nothing else may move.
    std::map<std::string, std::string> expectedValues(const std::string& mac,
                                                      const std::map<std::string, std::string>& changed)
    {
        std::map<std::string, std::string> values = sim::commandModule(ip(40), mac).values;
        for (const auto& [code, value] : changed)
            values[code] = value;
        return values;
    }

    static std::string writePlan(const std::string& text)
    {
        const std::string path = testing::TempDir() + "/" + testName() + "-plan.csv";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    sim::Simulator m_sim;
};

TEST_F(CtlShared, SearchMarksTheRowsAndAnAddressNamesNoOne)
{
    const Outcome table = ctl({"search"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_THAT(table.out, HasSubstr("cmd   10.77.0.50      00-1A-2B-3C-00-BB       10.77.0.1       shared IP"));
    const auto list = nlohmann::json::parse(ctl({"search", "--json"}).out);
    ASSERT_EQ(list.size(), 3u);
    for (const auto& row : list)
        EXPECT_EQ(row["shared_ip"], true);

    const Outcome byIp = ctl({"read", ip(40)});
    EXPECT_EQ(byIp.status, 2);
    EXPECT_THAT(byIp.err, HasSubstr("10.77.0.50 is shared by several modules, name one by its MAC"));
    EXPECT_THAT(byIp.err, HasSubstr("cmd 10.77.0.50 00-1A-2B-3C-00-CC (shared IP)"));
}

// Three writes meant for each module, in turn, by MAC: each lands on its own module.
TEST_F(CtlShared, SetByMacReachesThatModuleAlone)
{
    for (int round = 1; round <= 3; ++round) {
        for (const std::string& mac : kNewMacs) {
            const Outcome set = ctl({"set", mac, "devicename=" + mac.substr(15) + std::to_string(round)});
            ASSERT_EQ(set.status, 0) << set.err;
        }
    }
    for (const std::string& mac : kNewMacs)
        EXPECT_EQ(m_sim.values(mac), expectedValues(mac, {{"GDN", mac.substr(15) + "3"}})) << mac;
}

TEST_F(CtlShared, CommissionGivesEachModuleItsPlannedAddressAndName)
{
    // The last declared first: a write at the address would reach the first declared.
    const std::string plan = writePlan("mac,ip,devicename\r\n"
                                       "00-1A-2B-3C-00-CC,10.77.0.53,泵3\r\n"
                                       "00-1a-2b-3c-00-bb,10.77.0.52,\"Pump 2, east\"\r\n"
                                       "00-1A-2B-3C-00-AA,10.77.0.51,Pump 1\r\n");
    const Outcome run = ctl({"commission", plan});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("[2/3] 00-1a-2b-3c-00-bb 10.77.0.50 -> 10.77.0.52: done, verified\n"));
    EXPECT_THAT(run.out, HasSubstr("3 done, 0 failed\n"));
    const std::vector<std::pair<std::string, std::string>> planned{
        {"10.77.0.51", "Pump 1"}, {"10.77.0.52", "Pump 2, east"}, {"10.77.0.53", "泵3"}};
    for (std::size_t i = 0; i < kNewMacs.size(); ++i) {
        EXPECT_EQ(m_sim.currentIp(kNewMacs[i]), planned[i].first);
        EXPECT_EQ(m_sim.values(kNewMacs[i]),
                  expectedValues(kNewMacs[i], {{"GIP", planned[i].first}, {"GDN", planned[i].second}}));
    }
}

TEST_F(CtlShared, CommissionGoesOnPastAModuleNotFound)
{
    const std::string plan = writePlan("mac,devicename\n00-1A-2B-3C-00-99,ghost\n00-1A-2B-3C-00-BB,real\n");
    const Outcome run = ctl({"commission", plan});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("[1/2] 00-1A-2B-3C-00-99: failed: not found by the search\n"));
    EXPECT_THAT(run.out, HasSubstr("1 done, 1 failed\n"));
    EXPECT_EQ(run.err, "tcpmodctl: 00-1A-2B-3C-00-99: not found by the search\n");
    EXPECT_EQ(m_sim.values(kNewMacs[1]).at("GDN"), "real");
}

TEST_F(CtlShared, CommissionRefusesAPlanThatWouldMakeAnotherSharedAddress)
{
    const std::string plan = writePlan("mac,ip\n00-1A-2B-3C-00-AA,10.77.0.50\n");
    const Outcome run = ctl({"commission", plan});
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err,
                HasSubstr("line 2: ip 10.77.0.50 is already used by cmd 10.77.0.50 00-1A-2B-3C-00-BB"));
    for (const std::string& mac : kNewMacs)
        EXPECT_FALSE(anyWrite(m_sim.eventsFor(mac))) << mac;
}

} // namespace
