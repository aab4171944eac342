// Round trips through both roads against simulated modules holding generated values, odd
// ones included: a read then an unchanged write leaves every stored text as it was, and
// changing one field of the read record changes exactly that one stored text.
#include "FieldCodes.h"
#include "NumText.h"
#include "PrivateNetwork.h"
#include "RecordPrinting.h"
#include "Simulator.h"
#include "SwTcpFunc.h"

#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace {

using Values = std::map<std::string, std::string>;

constexpr std::uint32_t kSeed = 20261207;
constexpr std::uint8_t kTag = 9;

// Random texts of the kinds modules are seen to hold.
class TextMaker
{
public:
    explicit TextMaker(std::uint32_t seed) : m_rng(seed) {}

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_rng); }

    // Any bytes but NUL (the library's buffers end there), line ends and 8-bit codes included.
    std::string text()
    {
        std::string bytes(static_cast<std::size_t>(pick(25)), ' ');
        for (char& c : bytes)
            c = static_cast<char>(1 + pick(255));
        return bytes;
    }

    // A number as a module may write it. Strict: only what the strict scan accepts.
    std::string number(bool strict)
    {
        const std::string decimal = std::to_string(pick(10));
        switch (pick(strict ? 8 : 14)) {
        case 0:
            return decimal;
        case 1:
            return std::to_string(256 + pick(70000)); // beyond one byte
        case 2:
            return "-" + std::to_string(1 + pick(300));
        case 3:
            return hex();
        case 4:
            return std::string(static_cast<std::size_t>(1 + pick(3)), ' ') + decimal;
        case 5:
            return "000" + decimal;
        case 6:
            return pick(2) ? "2147483647" : "-2147483648";
        case 7:
            return "+" + decimal;
        case 8:
            return decimal + (pick(2) ? "\r\n" : "\n");
        case 9:
            return "";
        case 10:
            return decimal + " ";
        case 11:
            return "$000000001"; // one hexadecimal digit too many
        case 12:
            return "2147483648";
        default:
            return text();
        }
    }

private:
    std::string hex()
    {
        static const char* const prefixes[] = {"$", "x", "X", "0x", "0X"};
        static const char digits[] = "0123456789abcdefABCDEF";
        std::string result = prefixes[pick(5)];
        for (int i = 0, n = 1 + pick(8); i < n; ++i)
            result += digits[pick(22)];
        return result;
    }

    std::mt19937 m_rng;
};

// Changes one field of a read record and gives the text its road must send for it now.
std::string changeField(TModelConfig& c, ConfigField field, bool library)
{
    switch (field) {
    case ConfigField::UserName:
        return c.UserName += "~";
    case ConfigField::DeviceName:
        return c.DeviceName += "~";
    case ConfigField::TargetIp:
        return c.TargetIp += "~";
    case ConfigField::Gateway:
        return c.Gateway += "~";
    case ConfigField::NetMask:
        return c.NetMask += "~";
    case ConfigField::IpMode:
        c.IpMode ^= 1;
        return decimalText(library && (c.IpMode == 0 || c.IpMode == 1) ? 1 - c.IpMode : c.IpMode);
    case ConfigField::LocalPort:
        return decimalText(c.LocalPort ^= 1);
    case ConfigField::TargetPort:
        return decimalText(c.TargetPort ^= 1);
    case ConfigField::Protocol:
        return decimalText(c.Protocol ^= 1);
    case ConfigField::WorkMode:
        return decimalText((c.WorkMode ^= 1) + (library ? 1 : 0));
    case ConfigField::BaudIndex:
        return decimalText((c.BaudIndex ^= 1) + (library ? 2 : 0));
    case ConfigField::Parity:
        return decimalText(c.Parity ^= 1);
    case ConfigField::DataBitsIndex:
        return decimalText((c.DataBitsIndex ^= 1) + (library ? 7 : 0));
    case ConfigField::StopBitsIndex:
        return decimalText(c.StopBitsIndex ^= 1);
    default:
        throw std::logic_error("not a field to change here");
    }
}

// The module's own address and identity stay; every other stored text is generated.
const std::vector<std::string> kCommandTexts = {"GON", "GDN", "GDI", "GGI", "GNM"};
const std::vector<std::string> kCommandNumbers = {"GDH", "GPN", "GTP", "GRM", "GDP",
                                                  "GBR", "GPR", "GBB", "GFC", "GDT"};
const std::vector<std::string> kLibraryTexts = {"NAME", "MASK", "GATEWAY", "C1_CLI_IP1"};
const std::vector<std::string> kLibraryNumbers = {"IP_MODE", "C1_OP",    "C1_PORT",   "C1_CLI_PP1",
                                                  "C1_BAUD", "C1_STOPB", "C1_PARITY", "C1_DATAB"};
// What the writers send, but the module's address (a change would move the module).
const std::vector<std::string> kCommandChangeable = {"GON", "GDN", "GDH", "GPN", "GTP", "GRM", "GDI",
                                                     "GDP", "GGI", "GNM", "GBR", "GPR", "GBB"};
const std::vector<std::string> kLibraryChangeable = {"NAME",    "IP_MODE",  "MASK",       "GATEWAY",
                                                     "C1_OP",   "C1_PORT",  "C1_CLI_IP1", "C1_CLI_PP1",
                                                     "C1_BAUD", "C1_STOPB", "C1_PARITY",  "C1_DATAB"};

Values generated(TextMaker& maker, Values values, bool library)
{
    for (const std::string& code : library ? kLibraryTexts : kCommandTexts)
        values[code] = maker.text();
    for (const std::string& code : library ? kLibraryNumbers : kCommandNumbers)
        values[code] = maker.number(library);
    return values;
}

// One module driven through `states` generated states by the command road.
void commandRoundTrips(sim::Simulator& simulator, const sim::ModuleSpec& base, std::uint32_t seed, int states)
{
    TextMaker maker(seed);
    const TModelParm entry{base.mac, base.ip, 0, 1, 0};
    for (int state = 0; state < states; ++state) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", state " + std::to_string(state));
        sim::ModuleSpec spec = base;
        spec.values = generated(maker, base.values, false);
        simulator.setModule(base.mac, spec);

        TModelConfig config;
        ASSERT_TRUE(ReadConfigByCommands(entry, config));
        ASSERT_TRUE(WriteConfigByCommands(entry, config));
        ASSERT_EQ(simulator.values(base.mac), spec.values) << testing::PrintToString(config);

        const std::string code = kCommandChangeable[static_cast<std::size_t>(maker.pick(13))];
        Values expected = spec.values;
        expected[code] = changeField(config, fieldOfReadCode(code), false);
        ASSERT_TRUE(WriteConfigByCommands(entry, config));
        EXPECT_EQ(simulator.values(base.mac), expected) << code;
    }
}

TEST(RoundTrip, CommandRoadKeepsEveryTextAndChangesOnlyTheChangedField)
{
    // Writes pause 500 ms each, so the modules are driven side by side.
    constexpr int kModules = 20;
    constexpr int kStatesEach = 10;
    std::vector<sim::ModuleSpec> specs;
    for (int i = 1; i <= kModules; ++i)
        specs.push_back(sim::commandModule(testnet::moduleIp(i), "00-1A-2B-00-01-" + std::to_string(10 + i)));
    sim::Simulator simulator(specs);
    std::vector<std::thread> drivers;
    for (std::size_t i = 0; i < specs.size(); ++i)
        drivers.emplace_back(commandRoundTrips, std::ref(simulator), specs[i],
                             kSeed + static_cast<std::uint32_t>(i), kStatesEach);
    for (std::thread& driver : drivers)
        driver.join();
}

TEST(RoundTrip, LibraryRoadKeepsEveryTextAndChangesOnlyTheChangedField)
{
    // The library takes one call at a time, so one module serves every state.
    const sim::ModuleSpec base = sim::libraryModule(testnet::moduleIp(1), "00-4D-58-00-00-51", kTag);
    sim::Simulator simulator({base});
    TextMaker maker(kSeed);
    for (int state = 0; state < 200; ++state) {
        SCOPED_TRACE("seed " + std::to_string(kSeed) + ", state " + std::to_string(state));
        sim::ModuleSpec spec = base;
        spec.values = generated(maker, base.values, true);
        simulator.setModule(base.mac, spec);

        TModelConfig config;
        ASSERT_TRUE(ReadConfigByLibrary(base.ip, kTag, config));
        ASSERT_TRUE(WriteConfigByLibrary(base.ip, kLibraryWritePassword, kTag, config));
        ASSERT_EQ(simulator.values(base.mac), spec.values) << testing::PrintToString(config);

        const std::string& changed = kLibraryChangeable[static_cast<std::size_t>(maker.pick(12))];
        Values expected = spec.values;
        expected[changed] = changeField(config, fieldOfLibraryKey(changed), true);
        ASSERT_TRUE(WriteConfigByLibrary(base.ip, kLibraryWritePassword, kTag, config));
        EXPECT_EQ(simulator.values(base.mac), expected) << changed;
    }
}

} // namespace
