#pragma once
// A commissioning plan: a CSV file in UTF-8 that gives each new module, by its MAC, the
// fields it should get ("mac,ip,devicename" then one line per module).

#include "CtlFields.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PlanLine
{
    std::size_t lineNumber = 0; // in the file, counted from 1
    std::string mac;
    std::vector<FieldChange> changes; // in the order of the columns; empty cells left out
};

struct ParsedPlan
{
    std::optional<std::vector<PlanLine>> lines;
    std::string problem; // "line 3: ..." when lines is empty
};

// The whole file or its first problem: not UTF-8, a first column other than mac, an unknown
// or repeated column, a line with another number of cells, a value set would refuse
// (parseAssignment), a text longer than the command road reads back, a MAC or an ip twice.
// Quotes as spreadsheets write them ("a,b", "say ""hi"""); a leading UTF-8 BOM, CRLF line
// ends and blank lines are taken. An empty cell leaves that field as the module has it.
ParsedPlan parsePlan(std::string_view bytes);
