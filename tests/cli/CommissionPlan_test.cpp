// Commissioning plans: what a spreadsheet's CSV gives, and every way a file is refused whole.
#include "CommissionPlan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;

namespace {

TEST(CommissionPlan, TakesASpreadsheetsCsv)
{
    const ParsedPlan plan = parsePlan("\xEF\xBB\xBFmac,ip,devicename,baud\r\n"
                                      "00-1A-2B-3C-00-AA,10.77.0.51,\"Pump 1, \"\"east\"\"\",9600\r\n"
                                      "\r\n"
                                      "00-1A-2B-3C-00-BB,,泵2,\r\n");
    ASSERT_TRUE(plan.lines) << plan.problem;
    ASSERT_EQ(plan.lines->size(), 2u);
    const PlanLine& first = plan.lines->at(0);
    EXPECT_EQ(first.lineNumber, 2u);
    EXPECT_EQ(first.mac, "00-1A-2B-3C-00-AA");
    ASSERT_EQ(first.changes.size(), 3u);
    EXPECT_EQ(first.changes[0].text, "10.77.0.51");
    EXPECT_EQ(first.changes[1].text, "Pump 1, \"east\"");
    EXPECT_EQ(first.changes[2].field->name, "baud");
    EXPECT_EQ(first.changes[2].number, 3);
    const PlanLine& second = plan.lines->at(1);
    EXPECT_EQ(second.lineNumber, 4u);
    ASSERT_EQ(second.changes.size(), 1u) << "empty cells leave their fields alone";
    EXPECT_EQ(second.changes[0].text, "泵2");
}

TEST(CommissionPlan, RefusesTheWholeFileForAnyBadLine)
{
    const std::string tooLong(8192, 'n');
    const std::pair<std::string, const char*> cases[] = {
        {"", "the file is empty"},
        {"mac,ip\n", "names no module"},
        {"ip,mac\n10.77.0.51,AA\n", "line 1: the first column must be mac"},
        {"mac,colour\nAA,red\n", "line 1: unknown column 'colour'"},
        {"mac,mac\nAA,BB\n", "line 1: unknown column 'mac'"},
        {"mac,ip,ip\nAA,10.77.0.51,10.77.0.52\n", "line 1: column ip twice"},
        {"mac,ip\nAA\n", "line 2: 1 cells, the first line names 2"},
        {"mac,ip\nAA,10.77.0.300\n", "line 2: ip (IP地址：): '10.77.0.300' is not a dotted IPv4 address"},
        {"mac,baud\nAA,9601\n", "line 2: baud"},
        {"mac,ip\n,10.77.0.51\n", "line 2: no mac"},
        {"mac,ip\nAA,10.77.0.51\naa,10.77.0.52\n", "line 3: mac aa is on line 2 too"},
        {"mac,ip\nAA,10.77.0.51\nBB,10.77.0.51\n", "line 3: ip 10.77.0.51 is on line 2 too"},
        {"mac,devicename\nAA,\"open\n", "line 2: a quoted cell is not closed"},
        {"mac,devicename\nAA,say \"hi\"\n", "line 2: a quote inside a cell"},
        {"mac,devicename\nAA," + tooLong + "\n", "line 2: devicename: 8192 bytes is longer than"},
        {"mac,devicename\nAA,\xD5\xC5\n", "not UTF-8"},
    };
    for (const auto& [text, expected] : cases) {
        const ParsedPlan plan = parsePlan(text);
        EXPECT_FALSE(plan.lines) << text;
        EXPECT_THAT(plan.problem, HasSubstr(expected)) << text.substr(0, 80);
    }
}

} // namespace
