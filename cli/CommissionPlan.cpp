#include "CommissionPlan.h"

#include "DeviceText.h"

#include <algorithm>

namespace {

struct Row
{
    std::size_t lineNumber = 0;
    std::vector<std::string> cells;
};

// Rows of cells; a quoted cell may hold commas, doubled quotes and line breaks.
std::optional<std::vector<Row>> splitCsv(std::string_view text, std::string& problem)
{
    std::vector<Row> rows;
    Row row{1, {}};
    std::string cell;
    std::size_t line = 1;
    bool quoted = false;
    bool cellStarted = false;
    const auto endRow = [&] {
        row.cells.push_back(std::move(cell));
        cell.clear();
        cellStarted = false;
        const bool blank = row.cells.size() == 1 && row.cells.front().empty();
        if (!blank)
            rows.push_back(std::move(row));
        row = Row{line, {}};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n')
                    ++line;
                cell += c;
            }
            continue;
        }
        if (c == '"' && !cellStarted) {
            quoted = true;
            cellStarted = true;
        } else if (c == ',') {
            row.cells.push_back(std::move(cell));
            cell.clear();
            cellStarted = false;
        } else if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] == '\n'))) {
            if (c == '\r')
                ++i;
            ++line;
            endRow();
        } else if (c == '"') {
            problem = "line " + std::to_string(line) + ": a quote inside a cell that does not start with one";
            return std::nullopt;
        } else {
            cell += c;
            cellStarted = true;
        }
    }
    if (quoted) {
        problem = "line " + std::to_string(row.lineNumber) + ": a quoted cell is not closed";
        return std::nullopt;
    }
    if (cellStarted || !row.cells.empty())
        endRow();
    return rows;
}

ParsedPlan refused(std::size_t line, const std::string& problem)
{
    return {std::nullopt, "line " + std::to_string(line) + ": " + problem};
}

} // namespace

ParsedPlan parsePlan(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (!isValidUtf8(bytes))
        return {std::nullopt, "the file is not UTF-8 text"};
    std::string problem;
    const std::optional<std::vector<Row>> rows = splitCsv(bytes, problem);
    if (!rows)
        return {std::nullopt, problem};
    if (rows->empty())
        return {std::nullopt, "the file is empty; its first line names the columns, mac first"};

    const Row& header = rows->front();
    if (header.cells.front() != "mac")
        return refused(header.lineNumber, "the first column must be mac, not '" + header.cells.front() + "'");
    std::vector<const CtlField*> columns;
    for (std::size_t i = 1; i < header.cells.size(); ++i) {
        const std::string& name = header.cells[i];
        const CtlField* field = findCtlField(name);
        if (!field || field->field == ConfigField::MacAddress)
            return refused(header.lineNumber, "unknown column '" + name + "' (after mac: any of " +
                                                  ctlFieldNames() + " but mac)");
        if (std::find(columns.begin(), columns.end(), field) != columns.end())
            return refused(header.lineNumber, "column " + name + " twice");
        columns.push_back(field);
    }

    std::vector<PlanLine> lines;
    for (std::size_t r = 1; r < rows->size(); ++r) {
        const Row& row = (*rows)[r];
        if (row.cells.size() != header.cells.size())
            return refused(row.lineNumber, std::to_string(row.cells.size()) +
                                               " cells, the first line names " +
                                               std::to_string(header.cells.size()));
        PlanLine line{row.lineNumber, row.cells.front(), {}};
        if (line.mac.empty())
            return refused(row.lineNumber, "no mac");
        for (const PlanLine& earlier : lines) {
            if (sameMac(earlier.mac, line.mac))
                return refused(row.lineNumber, "mac " + line.mac + " is on line " +
                                                   std::to_string(earlier.lineNumber) + " too");
        }
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const std::string& value = row.cells[i + 1];
            if (value.empty())
                continue;
            // The very check set gives FIELD=VALUE on the command line.
            const ParsedChange parsed = parseAssignment(std::string(columns[i]->name) + "=" + value);
            if (!parsed.change)
                return refused(row.lineNumber, parsed.problem);
            // Commissioning is the command road's work; a longer text no road reads back.
            if (const std::string tooLong = roadProblem(*parsed.change, ConfigRoad::Commands);
                !tooLong.empty() && roadCarries(ConfigRoad::Commands, columns[i]->field))
                return refused(row.lineNumber, tooLong);
            line.changes.push_back(*parsed.change);
        }
        lines.push_back(std::move(line));
    }
    // Each module its own address: the point of commissioning.
    for (std::size_t a = 0; a < lines.size(); ++a) {
        for (const FieldChange& change : lines[a].changes) {
            if (change.field->field != ConfigField::IpAddress)
                continue;
            for (std::size_t b = 0; b < a; ++b) {
                for (const FieldChange& earlier : lines[b].changes) {
                    if (earlier.field->field == ConfigField::IpAddress && earlier.text == change.text)
                        return refused(lines[a].lineNumber, "ip " + change.text + " is on line " +
                                                                std::to_string(lines[b].lineNumber) + " too");
                }
            }
        }
    }
    if (lines.empty())
        return {std::nullopt, "the file names no module; one line per module after the first"};
    return {std::move(lines), {}};
}
