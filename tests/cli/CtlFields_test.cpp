// Field names and values on the command line: parsing, the dialog's checks, road limits.
#include "CtlFields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;

namespace {

struct Assignment
{
    const char* text;
    ConfigField field;
    std::int32_t number;
    const char* bytes;
};

class ParseAssignment : public testing::TestWithParam<Assignment>
{
};

TEST_P(ParseAssignment, GivesTheFieldAndItsValue)
{
    const ParsedChange parsed = parseAssignment(GetParam().text);
    ASSERT_TRUE(parsed.change) << parsed.problem;
    EXPECT_EQ(parsed.change->field->field, GetParam().field);
    EXPECT_EQ(parsed.change->number, GetParam().number);
    EXPECT_EQ(parsed.change->text, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(CodesMeaningsAndTexts, ParseAssignment,
                         testing::Values(Assignment{"baud=9600", ConfigField::BaudIndex, 3, ""},
                                         Assignment{"baud=3", ConfigField::BaudIndex, 3, ""},
                                         Assignment{"workmode=client", ConfigField::WorkMode, 2, ""},
                                         Assignment{"workmode=客户端", ConfigField::WorkMode, 2, ""},
                                         Assignment{"ipmode=Dynamic", ConfigField::IpMode, 1, ""},
                                         Assignment{"parity=mark", ConfigField::Parity, 3, ""},
                                         Assignment{"databits=7", ConfigField::DataBitsIndex, 0, ""},
                                         Assignment{"databits=1", ConfigField::DataBitsIndex, 1, ""},
                                         Assignment{"port=65535", ConfigField::LocalPort, 65535, ""},
                                         Assignment{"ip=192.168.1.10", ConfigField::IpAddress, 0,
                                                    "192.168.1.10"},
                                         Assignment{"devicename=a=b", ConfigField::DeviceName, 0, "a=b"}));

struct Refusal
{
    const char* text;
    const char* says;
};

class RefusedAssignment : public testing::TestWithParam<Refusal>
{
};

TEST_P(RefusedAssignment, SaysWhy)
{
    const ParsedChange parsed = parseAssignment(GetParam().text);
    EXPECT_FALSE(parsed.change);
    EXPECT_THAT(parsed.problem, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(DialogChecks, RefusedAssignment,
                         testing::Values(Refusal{"baud", "is not FIELD=VALUE"},
                                         Refusal{"baud=9601", "code 9601 is not in the list"},
                                         Refusal{"baud=fast", "neither a code 0 to 8 nor one of 1200"},
                                         Refusal{"workmode=3", "server"},
                                         Refusal{"parity=-1", "neither a code"},
                                         Refusal{"port=65536", "not a port"},
                                         Refusal{"port=80.1", "not a port"},
                                         Refusal{"gateway=10.77.0.256", "not a dotted IPv4"},
                                         Refusal{"netmask= 255.255.255.0", "not a dotted IPv4"}));

struct RoadCase
{
    const char* assignment;
    std::size_t textBytes; // a text of this many bytes instead, when not 0
    ConfigRoad road;
    const char* says; // empty: allowed
};

class RoadProblem : public testing::TestWithParam<RoadCase>
{
};

TEST_P(RoadProblem, RefusesWhatTheRoadCannotTakeOrReadBack)
{
    ParsedChange parsed = parseAssignment(GetParam().assignment);
    ASSERT_TRUE(parsed.change) << parsed.problem;
    if (GetParam().textBytes)
        parsed.change->text.assign(GetParam().textBytes, 'n');
    const std::string problem = roadProblem(*parsed.change, GetParam().road);
    if (*GetParam().says == '\0')
        EXPECT_EQ(problem, "");
    else
        EXPECT_THAT(problem, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(BothRoads, RoadProblem,
                         testing::Values(RoadCase{"stopbits=1", 0, ConfigRoad::Library, ""},
                                         RoadCase{"username=x", 0, ConfigRoad::Library,
                                                  "not carried by the library road"},
                                         RoadCase{"mac=00-11", 0, ConfigRoad::Commands, "read-only"},
                                         RoadCase{"devicename=x", 8191, ConfigRoad::Commands, ""},
                                         RoadCase{"devicename=x", 8192, ConfigRoad::Commands, "(8191 bytes)"},
                                         RoadCase{"devicename=x", 99, ConfigRoad::Library, ""},
                                         RoadCase{"devicename=x", 100, ConfigRoad::Library, "(99 bytes)"}));

struct ValueCase
{
    const char* name;
    const char* assignment;
    std::string text;   // the text value instead, when not empty
    std::string asRead; // the module's text for a number or code, when not empty
    std::string reported;
    ConfigRoad road;
    const char* says; // empty: allowed
};

class ValueProblem : public testing::TestWithParam<ValueCase>
{
};

TEST_P(ValueProblem, RefusesTextsNoReadGivesBack)
{
    const ValueCase& c = GetParam();
    ParsedChange parsed = parseAssignment(c.assignment);
    ASSERT_TRUE(parsed.change) << parsed.problem;
    if (!c.text.empty())
        parsed.change->text = c.text;
    const auto given = [](const std::string& s) { return s.empty() ? std::nullopt : std::optional(s); };
    const std::string problem = valueProblem(*parsed.change, given(c.asRead), c.road, given(c.reported));
    if (*c.says == '\0')
        EXPECT_EQ(problem, "");
    else
        EXPECT_THAT(problem, HasSubstr(c.says));
}

INSTANTIATE_TEST_SUITE_P(
    ReadTextsAndControlBytes, ValueProblem,
    testing::Values(
        ValueCase{"ReadAtLimit", "port=0", "", std::string(8191, '9'), "", ConfigRoad::Commands, ""},
        ValueCase{
            "ReadOverLimit", "port=0", "", std::string(8192, '9'), "", ConfigRoad::Commands,
            "port: the text as read, 8192 bytes is longer than the command road reads back (8191 bytes)"},
        ValueCase{"ReadOverLibraryLimit", "baud=3", "", std::string(100, '5'), "", ConfigRoad::Library,
                  "(99 bytes)"},
        ValueCase{"ReadWithLineEnd", "port=502", "", "502\r\n", "", ConfigRoad::Commands, ""},
        ValueCase{"ReadWithNulForLibrary", "port=502", "", std::string("502\0", 4), "", ConfigRoad::Library,
                  "NUL"},
        ValueCase{"Nul", "devicename=x", std::string("a\0b", 3), "", "", ConfigRoad::Commands,
                  "devicename (设备名：): control byte 0x00 at byte 2"},
        ValueCase{"Unit", "devicename=x", "a\x1F", "", "b\x1F", ConfigRoad::Library, "control byte 0x1F"},
        ValueCase{"ModulesOwn", "devicename=x", "a\r\n", "", "a\r\n", ConfigRoad::Commands, ""},
        ValueCase{"Blank", "devicename=a b", "", "", "", ConfigRoad::Library, ""}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CtlFields, EveryShownFieldHasOneNameAndTheDialogsLabel)
{
    ASSERT_EQ(ctlFields().size(), 16u);
    EXPECT_EQ(std::string(findCtlField("targetip")->control->label), "目标IP：");
    EXPECT_EQ(std::string(*meaningOf(*findCtlField("workmode"), 2)), "客户端");
    EXPECT_FALSE(meaningOf(*findCtlField("parity"), 5));
    EXPECT_EQ(findCtlField("gfc"), nullptr);
}

} // namespace
