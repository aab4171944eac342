// The configuration file: what export writes is what apply reads, and bad files are refused.
#include "ConfigFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using testing::HasSubstr;

namespace {

TModelParm commandEntry()
{
    TModelParm entry;
    entry.Ip = "10.77.0.11";
    entry.Mac = "00-1A-2B-00-00-11";
    entry.ViaCommandProtocol = 1;
    return entry;
}

TModelConfig sample()
{
    TModelConfig c;
    c.UserName = "\xD5\xC5\xB9\xA4"; // not UTF-8: travels as hex
    c.DeviceName = "一号车间";
    c.MacAddress = "00-1A-2B-00-00-11";
    c.IpAddress = "10.77.0.11";
    c.IpMode = 1;
    c.LocalPort = 0;
    c.AsRead[fieldIndex(ConfigField::LocalPort)] = "502\r\n";
    c.Protocol = 0;
    c.WorkMode = 2;
    c.TargetIp = "10.77.0.1";
    c.TargetPort = 9000;
    c.AsRead[fieldIndex(ConfigField::TargetPort)] = " 9000";
    c.Gateway = "10.77.0.1";
    c.NetMask = "255.255.255.0";
    c.BaudIndex = 7;
    c.AsRead[fieldIndex(ConfigField::BaudIndex)] = "\xFF"; // not UTF-8 either
    c.Parity = 4;
    c.DataBitsIndex = 0;
    return c;
}

TEST(ConfigFile, ExportThenParseGivesEveryCarriedFieldWithItsTextAsRead)
{
    const ParsedFile parsed = parseConfig(exportConfig(commandEntry(), sample(), "2026-12-07T11:30:05Z"));
    ASSERT_TRUE(parsed.file) << parsed.problem;
    EXPECT_EQ(parsed.file->road, ConfigRoad::Commands);
    EXPECT_EQ(parsed.file->mac, "00-1A-2B-00-00-11");
    EXPECT_EQ(parsed.file->exportedAt, "2026-12-07T11:30:05Z");

    TModelConfig rebuilt;
    for (const FileField& f : parsed.file->fields) {
        applyChange(rebuilt, f.change);
        rebuilt.AsRead[fieldIndex(f.change.field->field)] = f.asRead;
    }
    TModelConfig expected = sample();
    expected.MacAddress.clear(); // the module's own, never in a file
    EXPECT_EQ(rebuilt.UserName, expected.UserName);
    EXPECT_EQ(rebuilt, expected);
    EXPECT_EQ(parsed.file->fields.size(), 14u); // 16 shown, less mac and stopbits
}

TEST(ConfigFile, NamesCodesWithTheirMeaning)
{
    const auto root = nlohmann::json::parse(exportConfig(commandEntry(), sample(), "t"));
    EXPECT_EQ(root["format"], "tcpmodctl-config");
    EXPECT_EQ(root["version"], 1);
    EXPECT_EQ(root["kind"], "cmd");
    EXPECT_EQ(root["fields"]["baud"]["code"], 7);
    EXPECT_EQ(root["fields"]["baud"]["meaning"], "115200");
    EXPECT_EQ(root["fields"]["username"]["value"]["hex"], "D5C5B9A4");
    EXPECT_FALSE(root["fields"].contains("stopbits"));
}

struct BadFile
{
    const char* name;
    const char* text;
    const char* says;
};

class RefusedFile : public testing::TestWithParam<BadFile>
{
};

std::string withField(const std::string& field)
{
    return R"({"format": "tcpmodctl-config", "version": 1, "exported": "t", "kind": "cmd", "fields": {)" +
           field + "}}";
}

TEST_P(RefusedFile, SaysWhy)
{
    const ParsedFile parsed = parseConfig(GetParam().text);
    EXPECT_FALSE(parsed.file);
    EXPECT_THAT(parsed.problem, HasSubstr(GetParam().says));
}

const std::string kUnknown = withField(R"("speed": {"value": 1})");
const std::string kMac = withField(R"("mac": {"value": "00-11"})");
const std::string kCode = withField(R"("baud": {"code": 9})");
const std::string kNoCode = withField(R"("parity": {"meaning": "Odd"})");
const std::string kPort = withField(R"("port": {"value": 70000})");
const std::string kAddress = withField(R"("gateway": {"value": "10.77.0"})");
const std::string kHex = withField(R"("devicename": {"value": {"hex": "4G"}})");
// Edited or damaged on the way: a text as read that no reply could carry back, a NUL.
const std::string kLongRead = withField(R"("port": {"value": 0, "read": ")" + std::string(9000, '9') + "\"}");
const std::string kNul = withField(R"("devicename": {"value": "a\u0000b"})");
const std::string kLongReadForLibrary = std::string(kLongRead).replace(kLongRead.find("cmd"), 3, "lib");
const std::string kKind =
    R"({"format": "tcpmodctl-config", "version": 1, "exported": "t", "kind": "x", "fields": {}})";

INSTANTIATE_TEST_SUITE_P(
    BeforeAnythingIsSent, RefusedFile,
    testing::Values(BadFile{"NotJson", "{\"format\": ", "not a JSON object"},
                    BadFile{"OtherFormat", R"({"format": "other", "version": 1})",
                            "not a tcpmodctl configuration"},
                    BadFile{"LaterVersion", R"({"format": "tcpmodctl-config", "version": 2})", "version 2"},
                    BadFile{"UnknownKind", kKind.c_str(), "kind 'x'"},
                    BadFile{"UnknownField", kUnknown.c_str(), "unknown field 'speed'"},
                    BadFile{"Mac", kMac.c_str(), "never applied"},
                    BadFile{"CodeOutOfRange", kCode.c_str(), "code 9 is not in the list"},
                    BadFile{"NoCode", kNoCode.c_str(), "no whole number \"code\""},
                    BadFile{"PortOutOfRange", kPort.c_str(), "70000 is not a port"},
                    BadFile{"Address", kAddress.c_str(), "not a dotted IPv4"},
                    BadFile{"BadHex", kHex.c_str(), "no text value"},
                    BadFile{"LongRead", kLongRead.c_str(), "port: the text as read, 9000 bytes"},
                    BadFile{"LongReadForLibrary", kLongReadForLibrary.c_str(), "(99 bytes)"},
                    BadFile{"Nul", kNul.c_str(), "devicename (设备名：): control byte 0x00"}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
