#pragma once
// A module's configuration as a file: JSON, versioned (cli/README.md describes it).

#include "CtlFields.h"

#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kConfigFileFormat = "tcpmodctl-config";
inline constexpr int kConfigFileVersion = 1;

// One field of a file: the value, and for numbers and codes the text the module reported,
// which a module of the same kind gets back byte for byte while the value is unchanged.
struct FileField
{
    FieldChange change;
    std::optional<std::string> asRead;
};

struct ConfigFile
{
    ConfigRoad road = ConfigRoad::Commands; // the road the module was read by
    std::string mac;
    std::string ip;
    std::string exportedAt;
    std::vector<FileField> fields; // in the dialog's order, only fields the road carries
};

// Module bytes in JSON: a string when they are UTF-8, else {"hex": "D2BB...", "shown": the
// text as the dialog shows it}; a file gives the bytes back from "hex".
nlohmann::ordered_json bytesJson(const std::string& bytes);

// "cmd" or "lib".
std::string_view kindName(ConfigRoad road);

// The file for a module read by its road, exported at exportedAt (ISO 8601, UTC).
std::string exportConfig(const TModelParm& entry, const TModelConfig& config, std::string_view exportedAt);

// A file's content, every field checked as a typed value would be and against the road of
// the file's kind, texts as read included; the problem (not JSON, another format or
// version, an unknown field, a value out of range or too long to read back, a control
// byte in a text) when it is refused.
struct ParsedFile
{
    std::optional<ConfigFile> file;
    std::string problem;
};
ParsedFile parseConfig(std::string_view text);

// Now, as ISO 8601 in UTC ("2026-12-07T11:30:05Z").
std::string utcNow();
