#pragma once
// What the subcommands share: finding the module, reading and writing it by its road,
// showing values, and turning the core's errors into one line and a status.

#include "CtlCommands.h"
#include "CtlFields.h"

#include <functional>
#include <optional>
#include <string>

// Module bytes for a terminal, decoded as the dialog shows them; control characters as \xNN.
std::string displayText(const std::string& bytes);
// "3  9600", "8080", "Line 4"; a code no item has: "44  (no item)".
std::string fieldDisplay(const TModelConfig& config, const CtlField& field);
// Terminal columns of UTF-8 text: wide (CJK, full-width) characters take two.
std::size_t displayWidth(std::string_view utf8);
std::string padded(std::string_view utf8, std::size_t columns);

// The road's reader or writer for the entry.
bool readModule(const TModelParm& entry, TModelConfig& config);
bool writeModule(const TModelParm& entry, const TModelConfig& config);
std::string roadName(ConfigRoad road);

// Searches, and reports a search error and dropped replies on stderr.
SearchOutcome runSearch(CtlContext& ctx);
// Searches for the modules ids name; when one of them is not listed (its probe or reply may
// have been lost), searches once more and lists the modules of both.
SearchOutcome searchFor(CtlContext& ctx, const std::vector<std::string>& ids, KindChoice kind);

// The one module id names, or the status to leave with after saying why on stderr.
struct Found
{
    std::optional<TModelParm> entry;
    int status = exitcode::kOk;
    std::string problem;
};
Found findModule(const std::vector<TModelParm>& modules, const std::string& id, KindChoice kind);

// Runs body; a socket error, a malformed library number or a file error becomes one line
// on stderr and kFailed.
int guarded(CtlContext& ctx, const std::function<int()>& body);
