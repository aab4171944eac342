// Module files and tcpmodsim's options: the demo file, and one clear line for every mistake.
#include "ModuleFile.h"
#include "SimOptions.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;

namespace {

std::string raised(const std::function<void()>& action)
{
    try {
        action();
    } catch (const sim::ModuleFileError& error) {
        return error.what();
    }
    return "(nothing raised)";
}

TEST(DemoModules, HoldDistinctCommandAndLibraryModules)
{
    const auto modules = sim::loadModuleFile(TCPMOD_DEMO_MODULES);
    std::set<std::string> workModes, bauds, macs, ips;
    int command = 0, library = 0;
    bool chinese = false;
    for (const auto& spec : modules) {
        EXPECT_THAT(spec.ip, testing::StartsWith("10.77.0."));
        macs.insert(spec.mac);
        ips.insert(spec.ip);
        if (spec.kind == sim::ModuleKind::Command) {
            ++command;
            EXPECT_EQ(spec.values.size(), 17u) << spec.mac;
            EXPECT_EQ(spec.values.at("GIP"), spec.ip);
            EXPECT_EQ(spec.values.at("GFE"), spec.mac);
            workModes.insert(spec.values.at("GRM"));
            bauds.insert(spec.values.at("GBR"));
            chinese = chinese || static_cast<unsigned char>(spec.values.at("GDN")[0]) >= 0xE0;
        } else {
            ++library;
            EXPECT_EQ(spec.values.size(), 14u) << spec.mac;
            EXPECT_EQ(spec.values.at("IP"), spec.ip);
            EXPECT_EQ(spec.values.at("MAC"), spec.mac);
            workModes.insert("library " + spec.values.at("C1_OP"));
            bauds.insert("library " + spec.values.at("C1_BAUD"));
        }
    }
    EXPECT_GE(command, 3);
    EXPECT_GE(library, 2);
    EXPECT_EQ(macs.size(), modules.size());
    EXPECT_EQ(ips.size(), modules.size());
    EXPECT_GE(workModes.size(), 4u);
    EXPECT_GE(bauds.size(), 4u);
    EXPECT_TRUE(chinese) << "some device names are Chinese, in UTF-8";
}

TEST(DemoModules, FirstModuleIsReadExactlyAsWritten)
{
    const auto modules = sim::loadModuleFile(TCPMOD_DEMO_MODULES);
    ASSERT_FALSE(modules.empty());
    EXPECT_EQ(modules[0].values.at("GON"), "\xE5\xBC\xA0\xE5\xB7\xA5"); // 张工 in UTF-8
    EXPECT_EQ(modules[0].mac, "00-1A-2B-3C-00-11");
}

TEST(ModuleFile, MembersOverrideTheDefaults)
{
    const auto modules = sim::parseModules(R"({"modules": [
        {"kind": "command", "ip": "10.77.0.11", "values": {"GBR": "7"}, "faults": {"GON": "silent",
         "SIP": {"kind": "late", "delayMs": 90}}, "refuseOpenAtOwnAddress": true, "probeJitterMs": 30,
         "loss": {"rate": 0.05, "seed": 7}},
        {"kind": "library", "ip": "10.77.0.31", "mac": "M-31", "tag": 9, "searchPort": -4, "model": "X",
         "version": 2, "failKeys": ["C1_PORT"], "rejectModify": true, "failFetch": true,
         "faults": {"FETCH": "twice"}}]})",
                                           "t.json");
    ASSERT_EQ(modules.size(), 2u);
    const auto& command = modules[0];
    EXPECT_EQ(command.mac, "00-1A-2B-4D-00-0B") << "made from the address";
    EXPECT_EQ(command.values.at("GBR"), "7");
    EXPECT_EQ(command.values.at("GON"), "user") << "defaults stay";
    EXPECT_EQ(command.faults.at("GON").kind, sim::FaultKind::Silent);
    EXPECT_EQ(command.faults.at("SIP").kind, sim::FaultKind::Late);
    EXPECT_EQ(command.faults.at("SIP").delayMs, 90);
    EXPECT_TRUE(command.refuseOpenAtOwnAddress);
    EXPECT_EQ(command.probeJitterMs, 30);
    EXPECT_EQ(command.loss.rate, 0.05);
    EXPECT_EQ(command.loss.seed, 7u);
    const auto& library = modules[1];
    EXPECT_EQ(library.kind, sim::ModuleKind::Library);
    EXPECT_EQ(library.tag, 9);
    EXPECT_EQ(library.searchPort, -4);
    EXPECT_EQ(library.model, "X");
    EXPECT_EQ(library.version, 2);
    EXPECT_EQ(library.failKeys, std::set<std::string>{"C1_PORT"});
    EXPECT_TRUE(library.rejectModify);
    EXPECT_TRUE(library.failFetch);
    EXPECT_EQ(library.faults.at("FETCH").kind, sim::FaultKind::Twice);
}

TEST(ModuleFile, MistakesAreNamedWithTheirPlace)
{
    const std::pair<std::string, const char*> cases[] = {
        {"{", "t.json: parse error"},
        {"[]", "must hold an object with a list \"modules\""},
        {R"({"modules": {}})", "must hold an object with a list \"modules\""},
        {R"({"modules": [], "extra": 1})", "unknown member 'extra'"},
        {R"({"modules": [1]})", "modules[0]: must be an object"},
        {R"({"modules": [{"ip": "10.77.0.11"}]})", "modules[0]: needs \"kind\""},
        {R"({"modules": [{"kind": "command"}]})", "modules[0]: needs \"ip\""},
        {R"({"modules": [{"kind": "router", "ip": "10.77.0.11"}]})", "modules[0].kind: must be"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0"}]})", "'10.77.0' is not an IPv4 address"},
        {R"({"modules": [{"kind": "command", "ip": 5}]})", "modules[0].ip: must be a text"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "mac": ""}]})",
         "modules[0].mac: must not be empty"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "tag": 1}]})", "unknown member 'tag'"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "values": {"NAME": "x"}}]})",
         "'NAME' is not a read code"},
        {R"({"modules": [{"kind": "library", "ip": "10.77.0.31", "values": {"GON": "x"}}]})",
         "'GON' is not a library key"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "values": {"GBR": 3}}]})",
         "modules[0].values.GBR: must be a text"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "faults": {"GON": "slow"}}]})",
         "modules[0].faults.GON: must be one of"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "faults": {"FETCH": "silent"}}]})",
         "'FETCH' is not a command code"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "faults": {"L": {"kind": "late", "delay": 5}}}]})",
         "unknown member 'delay'"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "loss": {"rate": 1.5}}]})",
         "modules[0].loss.rate: must be a number from 0 to 1"},
        {R"({"modules": [{"kind": "library", "ip": "10.77.0.31", "loss": {"rate": 0, "drop": 1}}]})",
         "modules[0].loss: unknown member 'drop'"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "probeJitterMs": -1}]})",
         "probeJitterMs: must be a whole number from 0 to 60000"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "refuseOpenAtOwnAddress": 1}]})",
         "must be true or false"},
        {R"({"modules": [{"kind": "library", "ip": "10.77.0.31", "tag": 256}]})",
         "tag: must be a whole number"},
        {R"({"modules": [{"kind": "library", "ip": "10.77.0.31", "failKeys": ["PORT"]}]})",
         "not a library key"},
        // Errors of the JSON library other than parse errors, and numbers past a field's type.
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "probeJitterMs": 1E400}]})",
         "number overflow"},
        {R"({"modules": [{"kind": "library", "ip": "10.77.0.31", "searchPort": 18446744073709551615}]})",
         "searchPort: must be a whole number from -2147483648 to 2147483647"},
        {R"({"modules": [{"kind": "library", "ip": "10.77.0.31", "tag": 18446744073709551615}]})",
         "tag: must be a whole number from 0 to 255"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "probeJitterMs": 9223372036854775808}]})",
         "probeJitterMs: must be a whole number"},
        {"{\"modules\": [], \"a\\nb\\u001b\": 1}", "unknown member 'a\\x0Ab\\x1B'"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "probeJitterMs": 1.5}]})",
         "probeJitterMs: must be a whole number"},
        {R"({"modules": [{"kind": "library", "ip": "10.77.0.31", "values": {"NAME": ")" +
             std::string(16400, 'n') + R"("}}]})",
         "modules[0].values: make a configuration reply longer than"},
        {R"({"modules": [{"kind": "command", "ip": "10.77.0.11", "mac": "A"},
                         {"kind": "command", "ip": "10.77.0.12", "mac": "A"}]})",
         "modules[1].mac: 'A' is used twice"},
    };
    for (const auto& [text, expected] : cases) {
        const std::string message = raised([&] { sim::parseModules(text, "t.json"); });
        EXPECT_THAT(message, HasSubstr(expected)) << text;
        EXPECT_THAT(message, testing::StartsWith("t.json")) << text;
        EXPECT_EQ(message.find('\n'), std::string::npos) << "one line: " << message;
    }
}

TEST(ModuleFile, UnreadableFileIsNamed)
{
    EXPECT_EQ(raised([] { sim::loadModuleFile("/nonexistent/modules.json"); }),
              "/nonexistent/modules.json: cannot be read");
}

TEST(ModuleFlags, ShortFormsGiveModulesWithDefaults)
{
    const auto command = sim::commandModuleFromFlag("10.77.0.12");
    EXPECT_EQ(command.kind, sim::ModuleKind::Command);
    EXPECT_EQ(command.ip, "10.77.0.12");
    EXPECT_EQ(command.mac, "00-1A-2B-4D-00-0C");
    EXPECT_EQ(sim::commandModuleFromFlag("10.77.0.12,AA-BB").mac, "AA-BB");
    EXPECT_EQ(sim::commandModuleFromFlag("10.77.0.12,").mac, "00-1A-2B-4D-00-0C");
    const auto library = sim::libraryModuleFromFlag("10.77.0.31,,7");
    EXPECT_EQ(library.kind, sim::ModuleKind::Library);
    EXPECT_EQ(library.mac, "00-1A-2B-4D-00-1F");
    EXPECT_EQ(library.tag, 7);
    EXPECT_EQ(sim::libraryModuleFromFlag("10.77.0.31").tag, 1);
    EXPECT_EQ(sim::libraryModuleFromFlag("10.77.0.31,M1").mac, "M1");
}

TEST(ModuleFlags, MalformedFormsAreRefused)
{
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"10.77.0", true},
        {"10.77.0.11,a,b", true},
        {"host,AA", true},
        {"", false},
        {"10.77.0.31,m,256", false},
        {"10.77.0.31,m,-1", false},
        {"10.77.0.31,m,1,2", false},
        {"10.77.0.31,m,", false},
    };
    for (const auto& [text, isCommand] : cases) {
        const std::string message =
            raised([&] { isCommand ? sim::commandModuleFromFlag(text) : sim::libraryModuleFromFlag(text); });
        EXPECT_THAT(message, HasSubstr(isCommand ? "--command" : "--library")) << text;
        EXPECT_THAT(message, HasSubstr("expected IP")) << text;
    }
}

TEST(SimOptions, CombineFlagsAndFiles)
{
    const auto options = sim::parseSimOptions({"--command", "10.77.0.15", "--verbose", "--library",
                                               "10.77.0.33,,3", "--file", TCPMOD_DEMO_MODULES});
    EXPECT_TRUE(options.verbose);
    EXPECT_FALSE(options.help);
    ASSERT_GE(options.modules.size(), 7u);
    EXPECT_EQ(options.modules[0].ip, "10.77.0.15");
    EXPECT_EQ(options.modules[1].tag, 3);
    EXPECT_TRUE(sim::parseSimOptions({"--help"}).help);
}

TEST(SimOptions, ModulesMayShareAnAddress)
{
    EXPECT_EQ(sim::parseSimOptions({"--command", "10.77.0.50,A", "--command", "10.77.0.50,B"}).modules.size(),
              2u);
    EXPECT_EQ(sim::parseModules(R"({"modules": [{"kind": "command", "ip": "10.77.0.50", "mac": "A"},
                                                 {"kind": "command", "ip": "10.77.0.50", "mac": "B"}]})",
                                "t.json")
                  .size(),
              2u);
}

TEST(SimOptions, MistakesGiveOneLine)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"serve"}, "unknown option 'serve'"},
        {{}, "no modules given"},
        {{"--verbose"}, "no modules given"},
        {{"--command"}, "--command needs a value"},
        {{"--file"}, "--file needs a value"},
        {{"--command", "10.77.0.11", "--command", "10.77.0.11"}, "two modules with MAC 00-1A-2B-4D-00-0B"},
        {{"--file", "/nonexistent.json"}, "/nonexistent.json: cannot be read"},
    };
    for (const auto& [arguments, expected] : cases) {
        const std::string message = raised([&] { sim::parseSimOptions(arguments); });
        EXPECT_THAT(message, HasSubstr(expected));
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
}

TEST(SimOptions, DescriptionNamesEveryModule)
{
    const auto text = sim::describeModules(sim::loadModuleFile(TCPMOD_DEMO_MODULES));
    EXPECT_THAT(text, HasSubstr("command  10.77.0.11  00-1A-2B-3C-00-11  UDP 65535"));
    EXPECT_THAT(text, HasSubstr("library  10.77.0.32  00-4D-58-00-00-32  UDP 41799  tag 2"));
    EXPECT_THAT(sim::simUsage(), HasSubstr("--file PATH"));
}

} // namespace
