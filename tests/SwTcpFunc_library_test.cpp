// The vendor-library road against a scripted library linked in place of the real one.
#include "FakeMivexAdv.h"
#include "FieldCodes.h"
#include "MivexAdv.h"
#include "NumText.h"
#include "RecordPrinting.h"
#include "SwTcpFunc.h"

#include <climits>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <stdexcept>

namespace {

using Call = FakeMivexAdv::Call;
using testing::ElementsAreArray;

const std::string kIp = "10.77.0.11";
constexpr std::uint8_t kTag = 200; // above 127, so a sign-extended tag would show

const std::vector<std::string> kKeys = {"NAME",    "MAC",      "IP_MODE",   "IP",         "MASK",
                                        "GATEWAY", "C1_OP",    "C1_PORT",   "C1_CLI_IP1", "C1_CLI_PP1",
                                        "C1_BAUD", "C1_STOPB", "C1_PARITY", "C1_DATAB"};

// A module's values as the library gives them, and the record they read into.
std::map<std::string, std::string> moduleValues()
{
    return {{"NAME", "Pump-7"},
            {"MAC", "00-0E-C6-12-34-56"},
            {"IP_MODE", "1"},
            {"IP", "10.77.0.11"},
            {"MASK", "255.255.255.0"},
            {"GATEWAY", "10.77.0.1"},
            {"C1_OP", "3"},
            {"C1_PORT", "502"},
            {"C1_CLI_IP1", "10.77.0.1"},
            {"C1_CLI_PP1", "8080"},
            {"C1_BAUD", "5"},
            {"C1_STOPB", "1"},
            {"C1_PARITY", "2"},
            {"C1_DATAB", "8"}};
}

// Fields the library road never carries hold marks, so a read that touches them shows.
TModelConfig untouchedRecord()
{
    TModelConfig config;
    config.UserName = "operator";
    config.Protocol = 1;
    config.GfcValue = 17;
    config.GdtValue = 42;
    return config;
}

TModelConfig moduleRecord()
{
    TModelConfig config = untouchedRecord();
    config.DeviceName = "Pump-7";
    config.MacAddress = "00-0E-C6-12-34-56";
    config.IpMode = 0;
    config.IpAddress = "10.77.0.11";
    config.NetMask = "255.255.255.0";
    config.Gateway = "10.77.0.1";
    config.WorkMode = 2;
    config.LocalPort = 502;
    config.TargetIp = "10.77.0.1";
    config.TargetPort = 8080;
    config.BaudIndex = 3;
    config.StopBitsIndex = 1;
    config.Parity = 2;
    config.DataBitsIndex = 1;
    return config;
}

// The record after the first `rows` keys of moduleValues() were read into untouchedRecord():
// their values and their texts as read.
TModelConfig recordAfterRows(std::size_t rows)
{
    const TModelConfig full = moduleRecord();
    TModelConfig config = untouchedRecord();
    const std::vector<std::function<void()>> copyRow = {
        [&] { config.DeviceName = full.DeviceName; }, [&] { config.MacAddress = full.MacAddress; },
        [&] { config.IpMode = full.IpMode; },         [&] { config.IpAddress = full.IpAddress; },
        [&] { config.NetMask = full.NetMask; },       [&] { config.Gateway = full.Gateway; },
        [&] { config.WorkMode = full.WorkMode; },     [&] { config.LocalPort = full.LocalPort; },
        [&] { config.TargetIp = full.TargetIp; },     [&] { config.TargetPort = full.TargetPort; },
        [&] { config.BaudIndex = full.BaudIndex; },   [&] { config.StopBitsIndex = full.StopBitsIndex; },
        [&] { config.Parity = full.Parity; },         [&] { config.DataBitsIndex = full.DataBitsIndex; },
    };
    for (std::size_t i = 0; i < rows; ++i) {
        copyRow[i]();
        config.AsRead[fieldIndex(fieldOfLibraryKey(kKeys[i]))] = moduleValues().at(kKeys[i]);
    }
    return config;
}

std::vector<Call> readCallsFor(std::size_t keys)
{
    std::vector<Call> calls;
    for (std::size_t i = 0; i < keys; ++i) {
        calls.push_back(Call{"MX_GetDevInfoUDPbyIP", {kIp, "200"}, {}});
        calls.push_back(Call{"MX_GetDevConfigUDP", {kKeys[i]}, {}});
    }
    return calls;
}

std::vector<std::pair<std::string, std::string>> stagedPairs(const FakeMivexAdv& fake)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const Call& call : fake.callsTo("MX_SetModifyConfigUDP"))
        pairs.emplace_back(call.args.at(0), call.args.at(1));
    return pairs;
}

class LibraryRoad : public testing::Test
{
protected:
    FakeMivexAdv m_fake;
};

// ---------------------------------------------------------------- ReadLibraryValue

TEST_F(LibraryRoad, ValueIsFetchedThenReadWithTheTagZeroExtended)
{
    m_fake.setValue("IP", "10.77.0.11");
    std::string value = "stale";
    EXPECT_TRUE(ReadLibraryValue(kIp, kTag, "IP", value));
    EXPECT_EQ(value, "10.77.0.11");
    EXPECT_THAT(m_fake.calls(), ElementsAreArray({Call{"MX_GetDevInfoUDPbyIP", {kIp, "200"}, {}},
                                                  Call{"MX_GetDevConfigUDP", {"IP"}, {}}}));
}

TEST_F(LibraryRoad, FailedFetchGivesFalseWithAnEmptyValueAndNoSecondCall)
{
    m_fake.setValue("IP", "10.77.0.11");
    for (const std::int32_t status : {0, 2, -1}) {
        m_fake.clearCalls();
        m_fake.setDevInfoStatus(status);
        std::string value = "stale";
        EXPECT_FALSE(ReadLibraryValue(kIp, kTag, "IP", value)) << status;
        EXPECT_EQ(value, "");
        EXPECT_EQ(m_fake.functionNames(), std::vector<std::string>{"MX_GetDevInfoUDPbyIP"});
    }
}

TEST_F(LibraryRoad, FailedValueGivesFalseWithAnEmptyValue)
{
    for (const std::int32_t status : {0, 2, -1}) {
        m_fake.setValue("IP", "10.77.0.11");
        m_fake.setConfigStatus("IP", status);
        std::string value = "stale";
        EXPECT_FALSE(ReadLibraryValue(kIp, kTag, "IP", value)) << status;
        EXPECT_EQ(value, "");
    }
}

TEST_F(LibraryRoad, ValueEndsAtTheFirstNul)
{
    m_fake.setValue("NAME", std::string("Pump\0old name", 13));
    std::string value;
    EXPECT_TRUE(ReadLibraryValue(kIp, kTag, "NAME", value));
    EXPECT_EQ(value, "Pump");
}

TEST_F(LibraryRoad, HundredByteValueWithoutNulIsTakenWhole)
{
    const std::string hundred = std::string(99, 'n') + "!";
    m_fake.setValue("NAME", hundred);
    std::string value;
    EXPECT_TRUE(ReadLibraryValue(kIp, kTag, "NAME", value));
    EXPECT_EQ(value, hundred);
}

TEST_F(LibraryRoad, SuccessWithoutAWrittenBufferGivesAnEmptyValue)
{
    // The first read leaves a full buffer's worth of text where the next one's buffer lies.
    m_fake.setValue("NAME", std::string(100, 'n'));
    m_fake.setConfigStatus("MAC", 1); // "success" without writing anything
    std::string value;
    ASSERT_TRUE(ReadLibraryValue(kIp, kTag, "NAME", value));
    EXPECT_TRUE(ReadLibraryValue(kIp, kTag, "MAC", value));
    EXPECT_EQ(value, "");
}

// ---------------------------------------------------------------- ReadConfigByLibrary

TEST_F(LibraryRoad, FullReadFetchesAnewForEveryKeyAndLeavesTheOtherFields)
{
    m_fake.setValues(moduleValues());
    TModelConfig config = untouchedRecord();
    EXPECT_TRUE(ReadConfigByLibrary(kIp, kTag, config));
    EXPECT_EQ(config, recordAfterRows(14));
    EXPECT_THAT(m_fake.calls(), ElementsAreArray(readCallsFor(14)));
}

struct ReadCase
{
    const char* key;
    std::string text;
    std::function<void(TModelConfig&)> expect; // applied to moduleRecord()
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.key << " = \"" << c.text << "\"";
}

class LibraryReadConversion : public LibraryRoad, public testing::WithParamInterface<ReadCase>
{
};

TEST_P(LibraryReadConversion, StoresTheRowsField)
{
    const ReadCase& c = GetParam();
    m_fake.setValues(moduleValues());
    m_fake.setValue(c.key, c.text);
    TModelConfig config = untouchedRecord();
    ASSERT_TRUE(ReadConfigByLibrary(kIp, kTag, config));
    TModelConfig expected = recordAfterRows(14);
    c.expect(expected);
    expected.AsRead[fieldIndex(fieldOfLibraryKey(c.key))] = c.text;
    EXPECT_EQ(config, expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, LibraryReadConversion,
    testing::Values(
        ReadCase{"NAME", "\xB1\xC3\xD5\xBE", [](TModelConfig& c) { c.DeviceName = "\xB1\xC3\xD5\xBE"; }},
        ReadCase{"NAME", "", [](TModelConfig& c) { c.DeviceName = ""; }},
        ReadCase{"NAME", std::string(100, 'z'),
                 [](TModelConfig& c) { c.DeviceName = std::string(100, 'z'); }},
        ReadCase{"MAC", "AA-BB-CC-DD-EE-FF", [](TModelConfig& c) { c.MacAddress = "AA-BB-CC-DD-EE-FF"; }},
        ReadCase{"IP_MODE", "1", [](TModelConfig& c) { c.IpMode = 0; }},
        ReadCase{"IP_MODE", "0", [](TModelConfig& c) { c.IpMode = 1; }},
        ReadCase{"IP_MODE", "5", [](TModelConfig& c) { c.IpMode = 5; }},
        ReadCase{"IP_MODE", "-1", [](TModelConfig& c) { c.IpMode = -1; }},
        ReadCase{"IP", "192.168.1.250", [](TModelConfig& c) { c.IpAddress = "192.168.1.250"; }},
        ReadCase{"MASK", "255.255.0.0", [](TModelConfig& c) { c.NetMask = "255.255.0.0"; }},
        ReadCase{"GATEWAY", "192.168.1.1", [](TModelConfig& c) { c.Gateway = "192.168.1.1"; }},
        ReadCase{"C1_OP", "1", [](TModelConfig& c) { c.WorkMode = 0; }},
        ReadCase{"C1_OP", "3", [](TModelConfig& c) { c.WorkMode = 2; }},
        ReadCase{"C1_OP", "0", [](TModelConfig& c) { c.WorkMode = 255; }},
        ReadCase{"C1_OP", "258", [](TModelConfig& c) { c.WorkMode = 1; }},
        ReadCase{"C1_PORT", "4001", [](TModelConfig& c) { c.LocalPort = 4001; }},
        ReadCase{"C1_PORT", "-7", [](TModelConfig& c) { c.LocalPort = -7; }},
        ReadCase{"C1_PORT", "  +12", [](TModelConfig& c) { c.LocalPort = 12; }},
        ReadCase{"C1_PORT", "0x10", [](TModelConfig& c) { c.LocalPort = 16; }},
        ReadCase{"C1_PORT", "$FF", [](TModelConfig& c) { c.LocalPort = 255; }},
        ReadCase{"C1_PORT", "X1f", [](TModelConfig& c) { c.LocalPort = 31; }},
        ReadCase{"C1_PORT", "2147483647", [](TModelConfig& c) { c.LocalPort = INT_MAX; }},
        ReadCase{"C1_PORT", "-2147483648", [](TModelConfig& c) { c.LocalPort = INT_MIN; }},
        ReadCase{"C1_CLI_IP1", "10.77.0.2", [](TModelConfig& c) { c.TargetIp = "10.77.0.2"; }},
        ReadCase{"C1_CLI_PP1", "65535", [](TModelConfig& c) { c.TargetPort = 65535; }},
        ReadCase{"C1_CLI_PP1", "$10000", [](TModelConfig& c) { c.TargetPort = 65536; }},
        ReadCase{"C1_BAUD", "2", [](TModelConfig& c) { c.BaudIndex = 0; }},
        ReadCase{"C1_BAUD", "9", [](TModelConfig& c) { c.BaudIndex = 7; }},
        ReadCase{"C1_BAUD", "1", [](TModelConfig& c) { c.BaudIndex = 255; }},
        ReadCase{"C1_STOPB", "3", [](TModelConfig& c) { c.StopBitsIndex = 3; }},
        ReadCase{"C1_STOPB", "256", [](TModelConfig& c) { c.StopBitsIndex = 0; }},
        ReadCase{"C1_PARITY", "4", [](TModelConfig& c) { c.Parity = 4; }},
        ReadCase{"C1_PARITY", "-1", [](TModelConfig& c) { c.Parity = 255; }},
        ReadCase{"C1_DATAB", "7", [](TModelConfig& c) { c.DataBitsIndex = 0; }},
        ReadCase{"C1_DATAB", "8", [](TModelConfig& c) { c.DataBitsIndex = 1; }},
        ReadCase{"C1_DATAB", "6", [](TModelConfig& c) { c.DataBitsIndex = 255; }}),
    [](const testing::TestParamInfo<ReadCase>& param) { return "case" + std::to_string(param.index); });

struct FailureCase
{
    std::size_t row;     // 0-based row of the key that fails
    bool fetchFails;     // MX_GetDevInfoUDPbyIP fails, else MX_GetDevConfigUDP
    std::int32_t status; // what the failing call returns
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << "row " << c.row + 1 << (c.fetchFails ? " fetch" : " value") << " returns " << c.status;
}

class LibraryReadFailure : public LibraryRoad, public testing::WithParamInterface<FailureCase>
{
};

TEST_P(LibraryReadFailure, StopsAtTheFailingKeyWithEarlierRowsStored)
{
    const FailureCase& c = GetParam();
    m_fake.setValues(moduleValues());
    if (c.fetchFails)
        m_fake.setDevInfoStatusAt(static_cast<int>(c.row), c.status);
    else
        m_fake.setConfigStatus(kKeys[c.row], c.status);

    TModelConfig config = untouchedRecord();
    EXPECT_FALSE(ReadConfigByLibrary(kIp, kTag, config));
    EXPECT_EQ(config, recordAfterRows(c.row));

    std::vector<Call> expectedCalls = readCallsFor(c.row + 1);
    if (c.fetchFails)
        expectedCalls.pop_back(); // no value is asked for after a failed fetch
    EXPECT_THAT(m_fake.calls(), ElementsAreArray(expectedCalls));
    EXPECT_EQ(m_fake.count("MX_GetDevInfoUDPbyIP"), static_cast<int>(c.row) + 1);
}

std::vector<FailureCase> everyRowFailing()
{
    std::vector<FailureCase> cases;
    for (std::size_t row = 0; row < 14; ++row) {
        cases.push_back({row, true, 0});
        cases.push_back({row, false, 0});
    }
    cases.push_back({7, true, 2}); // only 1 is success
    cases.push_back({7, false, -1});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryRow, LibraryReadFailure, testing::ValuesIn(everyRowFailing()),
                         [](const testing::TestParamInfo<FailureCase>& param) {
                             const FailureCase& c = param.param;
                             return "row" + std::to_string(c.row + 1) + (c.fetchFails ? "Fetch" : "Value") +
                                    (c.status < 0 ? "Minus" : "") + std::to_string(std::abs(c.status));
                         });

struct MalformedCase
{
    std::size_t row;
    std::string text;
};

void PrintTo(const MalformedCase& c, std::ostream* os)
{
    *os << "row " << c.row + 1 << " = \"" << c.text << "\"";
}

class LibraryReadMalformed : public LibraryRoad, public testing::WithParamInterface<MalformedCase>
{
};

TEST_P(LibraryReadMalformed, RaisesWithTheTextAfterStoringEarlierRows)
{
    const MalformedCase& c = GetParam();
    m_fake.setValues(moduleValues());
    m_fake.setValue(kKeys[c.row], c.text);
    TModelConfig config = untouchedRecord();
    try {
        ReadConfigByLibrary(kIp, kTag, config);
        FAIL() << "nothing raised";
    } catch (const ConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'" + c.text + "' is not a valid integer value");
    }
    EXPECT_EQ(config, recordAfterRows(c.row));
    EXPECT_THAT(m_fake.calls(), ElementsAreArray(readCallsFor(c.row + 1)));
}

INSTANTIATE_TEST_SUITE_P(
    NumericRows, LibraryReadMalformed,
    testing::Values(MalformedCase{7, ""}, MalformedCase{7, "12 "}, MalformedCase{7, "1.5"},
                    MalformedCase{7, "abc"}, MalformedCase{7, "0x"}, MalformedCase{7, "2147483648"},
                    MalformedCase{2, "static"}, MalformedCase{6, " "}, MalformedCase{9, "80a"},
                    MalformedCase{10, "9600 baud"}, MalformedCase{13, "$123456789"}),
    [](const testing::TestParamInfo<MalformedCase>& param) { return "case" + std::to_string(param.index); });

// ---------------------------------------------------------------- WriteConfigByLibrary

TEST_F(LibraryRoad, WriteStagesFourteenValuesThenModifiesWithThePasswordAsGiven)
{
    EXPECT_TRUE(WriteConfigByLibrary(kIp, "52417", kTag, moduleRecord()));

    std::vector<Call> expected{Call{"MX_ResetModifyConfigUDP", {}, {}}};
    for (const std::string& key : kKeys)
        expected.push_back(Call{"MX_SetModifyConfigUDP", {key, moduleValues().at(key)}, {}});
    expected.push_back(Call{"MX_ModifyDevUDPbyIP", {kIp, "52417", "200"}, {}});
    EXPECT_THAT(m_fake.calls(), ElementsAreArray(expected));
    // Every staged text was still intact when the modify call read it.
    EXPECT_EQ(m_fake.pendingAtModify(), stagedPairs(m_fake));
}

TEST_F(LibraryRoad, WriteAddressesTheModuleByThePassedIpNotTheNewOne)
{
    TModelConfig config = moduleRecord();
    config.IpAddress = "10.77.0.42";
    EXPECT_TRUE(WriteConfigByLibrary(kIp, "other password", 7, config));
    const auto modify = m_fake.callsTo("MX_ModifyDevUDPbyIP");
    ASSERT_EQ(modify.size(), 1u);
    EXPECT_EQ(modify[0].args, (std::vector<std::string>{kIp, "other password", "7"}));
    EXPECT_EQ(stagedPairs(m_fake).at(3), (std::pair<std::string, std::string>{"IP", "10.77.0.42"}));
}

TEST_F(LibraryRoad, FailedModifyGivesFalseAfterAllFourteenStaged)
{
    for (const std::int32_t status : {0, 2, -1}) {
        m_fake.clearCalls();
        m_fake.setModifyStatus(status);
        EXPECT_FALSE(WriteConfigByLibrary(kIp, "52417", kTag, moduleRecord())) << status;
        EXPECT_EQ(m_fake.count("MX_ResetModifyConfigUDP"), 1);
        EXPECT_EQ(m_fake.count("MX_SetModifyConfigUDP"), 14);
        EXPECT_EQ(m_fake.count("MX_ModifyDevUDPbyIP"), 1);
    }
}

TEST_F(LibraryRoad, IgnoredResultsDoNotStopTheWrite)
{
    m_fake.setIgnoredResults(0);
    EXPECT_TRUE(WriteConfigByLibrary(kIp, "52417", kTag, moduleRecord()));
    EXPECT_EQ(m_fake.count("MX_SetModifyConfigUDP"), 14);
}

TEST_F(LibraryRoad, ErrorInsideTheLibraryGivesFalseAndEscapesNothing)
{
    int sets = 0;
    m_fake.setHook([&](const Call& call) {
        if (call.function == "MX_SetModifyConfigUDP" && ++sets == 3)
            throw std::runtime_error("library failure");
    });
    bool result = true;
    EXPECT_NO_THROW(result = WriteConfigByLibrary(kIp, "52417", kTag, moduleRecord()));
    EXPECT_FALSE(result);
    EXPECT_EQ(m_fake.count("MX_ModifyDevUDPbyIP"), 0);

    m_fake.clearCalls();
    m_fake.setHook([](const Call& call) {
        if (call.function == "MX_ModifyDevUDPbyIP")
            throw 42; // not even an exception class
    });
    EXPECT_NO_THROW(result = WriteConfigByLibrary(kIp, "52417", kTag, moduleRecord()));
    EXPECT_FALSE(result);
}

TEST_F(LibraryRoad, ValueNoFetchCouldHandBackStagesNothing)
{
    // Leading blanks read as the same port, so the text goes out as the module's own.
    const auto withTargetText = [](std::size_t bytes) {
        TModelConfig config = moduleRecord();
        config.TargetPort = 9000;
        config.AsRead[fieldIndex(ConfigField::TargetPort)] = std::string(bytes - 4, ' ') + "9000";
        return config;
    };
    // A fetch hands over a full buffer without a NUL whole, so the module's own text may fill it.
    ASSERT_TRUE(WriteConfigByLibrary(kIp, "52417", kTag, withTargetText(kMxValueSize)));
    EXPECT_EQ(stagedPairs(m_fake).at(9).second.size(), std::size_t{kMxValueSize});

    TModelConfig longName = moduleRecord();
    longName.DeviceName = std::string(kLibraryRoadMaxValueBytes + 1, 'n'); // not the module's
    TModelConfig nul = moduleRecord();
    nul.DeviceName = std::string("a\0b", 3); // the library would take "a"
    for (const TModelConfig& config : {withTargetText(kMxValueSize + 1), longName, nul}) {
        m_fake.clearCalls();
        EXPECT_FALSE(WriteConfigByLibrary(kIp, "52417", kTag, config));
        EXPECT_THAT(m_fake.calls(), testing::IsEmpty());
    }
}

TEST_F(LibraryRoad, FieldsWithoutAKeyChangeNothingSent)
{
    ASSERT_TRUE(WriteConfigByLibrary(kIp, "52417", kTag, moduleRecord()));
    const auto before = m_fake.calls();
    m_fake.clearCalls();

    TModelConfig config = moduleRecord();
    config.UserName = "someone else";
    config.Protocol = 0;
    config.GfcValue = 1;
    config.GdtValue = 2;
    ASSERT_TRUE(WriteConfigByLibrary(kIp, "52417", kTag, config));
    EXPECT_EQ(m_fake.calls(), before);
}

struct WriteCase
{
    const char* key;
    std::string text;
    std::function<void(TModelConfig&)> change; // applied to moduleRecord()
};

void PrintTo(const WriteCase& c, std::ostream* os)
{
    *os << c.key << " sent as \"" << c.text << "\"";
}

class LibraryWriteConversion : public LibraryRoad, public testing::WithParamInterface<WriteCase>
{
};

TEST_P(LibraryWriteConversion, SendsTheRowsText)
{
    const WriteCase& c = GetParam();
    TModelConfig config = moduleRecord();
    c.change(config);
    ASSERT_TRUE(WriteConfigByLibrary(kIp, "52417", kTag, config));

    std::vector<std::pair<std::string, std::string>> expected;
    for (const std::string& key : kKeys)
        expected.emplace_back(key, key == c.key ? c.text : moduleValues().at(key));
    EXPECT_EQ(stagedPairs(m_fake), expected);
    EXPECT_EQ(m_fake.pendingAtModify(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, LibraryWriteConversion,
    testing::Values(WriteCase{"NAME", "", [](TModelConfig& c) { c.DeviceName = ""; }},
                    WriteCase{"NAME", "\xB1\xC3\xD5\xBE",
                              [](TModelConfig& c) { c.DeviceName = "\xB1\xC3\xD5\xBE"; }},
                    WriteCase{"MAC", "", [](TModelConfig& c) { c.MacAddress = ""; }},
                    WriteCase{"IP_MODE", "1", [](TModelConfig& c) { c.IpMode = 0; }},
                    WriteCase{"IP_MODE", "0", [](TModelConfig& c) { c.IpMode = 1; }},
                    WriteCase{"IP_MODE", "5", [](TModelConfig& c) { c.IpMode = 5; }},
                    WriteCase{"IP_MODE", "-1", [](TModelConfig& c) { c.IpMode = kNoIpMode; }},
                    WriteCase{"IP", "", [](TModelConfig& c) { c.IpAddress = ""; }},
                    WriteCase{"MASK", "255.0.0.0", [](TModelConfig& c) { c.NetMask = "255.0.0.0"; }},
                    WriteCase{"GATEWAY", "10.0.0.1", [](TModelConfig& c) { c.Gateway = "10.0.0.1"; }},
                    WriteCase{"C1_OP", "1", [](TModelConfig& c) { c.WorkMode = 0; }},
                    WriteCase{"C1_OP", "2", [](TModelConfig& c) { c.WorkMode = 1; }},
                    WriteCase{"C1_OP", "256", [](TModelConfig& c) { c.WorkMode = 255; }},
                    WriteCase{"C1_PORT", "0", [](TModelConfig& c) { c.LocalPort = 0; }},
                    WriteCase{"C1_PORT", "-2147483648", [](TModelConfig& c) { c.LocalPort = INT_MIN; }},
                    WriteCase{"C1_CLI_IP1", "", [](TModelConfig& c) { c.TargetIp = ""; }},
                    WriteCase{"C1_CLI_PP1", "-1", [](TModelConfig& c) { c.TargetPort = -1; }},
                    WriteCase{"C1_CLI_PP1", "2147483647", [](TModelConfig& c) { c.TargetPort = INT_MAX; }},
                    WriteCase{"C1_BAUD", "2", [](TModelConfig& c) { c.BaudIndex = 0; }},
                    WriteCase{"C1_BAUD", "9", [](TModelConfig& c) { c.BaudIndex = 7; }},
                    WriteCase{"C1_BAUD", "257", [](TModelConfig& c) { c.BaudIndex = 255; }},
                    WriteCase{"C1_STOPB", "0", [](TModelConfig& c) { c.StopBitsIndex = 0; }},
                    WriteCase{"C1_STOPB", "255", [](TModelConfig& c) { c.StopBitsIndex = kNoCode; }},
                    WriteCase{"C1_PARITY", "4", [](TModelConfig& c) { c.Parity = 4; }},
                    WriteCase{"C1_DATAB", "7", [](TModelConfig& c) { c.DataBitsIndex = 0; }},
                    WriteCase{"C1_DATAB", "262", [](TModelConfig& c) { c.DataBitsIndex = 255; }}),
    [](const testing::TestParamInfo<WriteCase>& param) { return "case" + std::to_string(param.index); });

// ---------------------------------------------------------------- both directions

TEST_F(LibraryRoad, ReadThenWriteOfTheSameRecordSendsBackWhatWasRead)
{
    // Texts the conversions cannot give back included: nothing is lost on the way.
    std::map<std::string, std::string> values = moduleValues();
    values["IP_MODE"] = "5";
    values["C1_OP"] = "0";
    values["C1_BAUD"] = "1";
    values["C1_DATAB"] = "5";
    values["C1_PARITY"] = "300";
    values["C1_STOPB"] = "256";
    values["C1_PORT"] = "$1F90";
    values["C1_CLI_PP1"] = " 9000";
    values["NAME"] = "";
    m_fake.setValues(values);
    TModelConfig config;
    ASSERT_TRUE(ReadConfigByLibrary(kIp, kTag, config));
    ASSERT_TRUE(WriteConfigByLibrary(kIp, "52417", kTag, config));

    std::vector<std::pair<std::string, std::string>> expected;
    for (const std::string& key : kKeys)
        expected.emplace_back(key, values.at(key));
    EXPECT_EQ(stagedPairs(m_fake), expected);
}

} // namespace
