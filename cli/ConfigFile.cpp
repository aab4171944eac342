#include "ConfigFile.h"

#include "DeviceText.h"
#include "NumText.h"

#include <chrono>
#include <ctime>
// Members stay in the order written, as a person reads them.
using json = nlohmann::ordered_json;

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

} // namespace

json bytesJson(const std::string& bytes)
{
    if (isValidUtf8(bytes))
        return bytes;
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kHexDigits[c >> 4];
        hex += kHexDigits[c & 15];
    }
    return json{{"hex", hex}, {"shown", textFromDevice(bytes).text}};
}

namespace {

std::optional<std::string> bytesFromJson(const json& value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (!value.is_object() || !value.contains("hex") || !value["hex"].is_string())
        return std::nullopt;
    const std::string hex = value["hex"].get<std::string>();
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

struct FileError
{
    std::string text;
};

FileField parseField(const CtlField& field, const json& value, ConfigRoad road)
{
    const std::string name(field.name);
    if (!value.is_object())
        throw FileError{name + ": not an object"};
    FileField result;
    ParsedChange parsed;
    if (field.kind == ValueKind::Text) {
        const auto bytes = value.contains("value") ? bytesFromJson(value["value"]) : std::nullopt;
        if (!bytes)
            throw FileError{name + ": no text value"};
        parsed = parseValue(field, *bytes);
    } else {
        const char* key = field.kind == ValueKind::Code ? "code" : "value";
        if (!value.contains(key) || !value[key].is_number_integer())
            throw FileError{name + ": no whole number \"" + key + "\""};
        parsed = checkedNumber(field, value[key].get<std::int64_t>());
        if (value.contains("read")) {
            result.asRead = bytesFromJson(value["read"]);
            if (!result.asRead)
                throw FileError{name + ": \"read\" is neither a string nor {\"hex\": ...}"};
        }
    }
    if (!parsed.change)
        throw FileError{parsed.problem};
    // Texts as read go only to modules of the file's kind, so its road bounds them.
    if (const std::string problem = valueProblem(*parsed.change, result.asRead, road); !problem.empty())
        throw FileError{problem};
    result.change = *parsed.change;
    return result;
}

std::string stringMember(const json& root, const char* key)
{
    if (!root.contains(key) || !root[key].is_string())
        throw FileError{std::string("no \"") + key + "\" text"};
    return root[key].get<std::string>();
}

} // namespace

std::string_view kindName(ConfigRoad road)
{
    return road == ConfigRoad::Commands ? "cmd" : "lib";
}

std::string exportConfig(const TModelParm& entry, const TModelConfig& config, std::string_view exportedAt)
{
    const ConfigRoad road = roadOf(entry);
    json fields = json::object();
    for (const CtlField& field : ctlFields()) {
        if (!roadCarries(road, field.field) || field.field == ConfigField::MacAddress)
            continue;
        json value;
        if (field.kind == ValueKind::Text) {
            value["value"] = bytesJson(textValue(config, field));
        } else {
            const std::int32_t number = numberValue(config, field);
            if (field.kind == ValueKind::Code) {
                value["code"] = number;
                if (const auto meaning = meaningOf(field, number))
                    value["meaning"] = std::string(*meaning);
            } else {
                value["value"] = number;
            }
            if (const auto& read = config.AsRead[fieldIndex(field.field)])
                value["read"] = bytesJson(*read);
        }
        fields[std::string(field.name)] = value;
    }
    json root{{"format", kConfigFileFormat},
              {"version", kConfigFileVersion},
              {"exported", exportedAt},
              {"kind", kindName(road)},
              {"mac", bytesJson(config.MacAddress.empty() ? entry.Mac : config.MacAddress)},
              {"ip", entry.Ip},
              {"fields", fields}};
    return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

ParsedFile parseConfig(std::string_view text)
{
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object())
        return {std::nullopt, "not a JSON object"};
    try {
        if (!root.contains("format") || root["format"] != kConfigFileFormat)
            throw FileError{"not a tcpmodctl configuration (\"format\" is not \"" +
                            std::string(kConfigFileFormat) + "\")"};
        if (!root.contains("version") || root["version"] != kConfigFileVersion)
            throw FileError{
                "version " + (root.contains("version") ? root["version"].dump() : std::string("missing")) +
                " is not supported (this tool reads version " + std::to_string(kConfigFileVersion) + ")"};
        ConfigFile file;
        const std::string kind = stringMember(root, "kind");
        if (kind != "cmd" && kind != "lib")
            throw FileError{"kind '" + kind + "' is neither cmd nor lib"};
        file.road = kind == "cmd" ? ConfigRoad::Commands : ConfigRoad::Library;
        const auto mac = root.contains("mac") ? bytesFromJson(root["mac"]) : std::nullopt;
        file.mac = mac.value_or("");
        file.ip = root.contains("ip") && root["ip"].is_string() ? root["ip"].get<std::string>() : "";
        file.exportedAt = stringMember(root, "exported");
        if (!root.contains("fields") || !root["fields"].is_object())
            throw FileError{"no \"fields\" object"};
        const json& fields = root["fields"];
        for (const auto& [name, value] : fields.items()) {
            const CtlField* field = findCtlField(name);
            if (!field || field->name != name)
                throw FileError{"unknown field '" + name + "' (fields: " + ctlFieldNames() + ")"};
            if (field->field == ConfigField::MacAddress)
                throw FileError{"mac belongs to the module and is never applied; remove it from \"fields\""};
        }
        for (const CtlField& field : ctlFields()) {
            if (fields.contains(std::string(field.name)))
                file.fields.push_back(parseField(field, fields[std::string(field.name)], file.road));
        }
        return {std::move(file), {}};
    } catch (const FileError& error) {
        return {std::nullopt, error.text};
    } catch (const json::exception& error) {
        return {std::nullopt, error.what()};
    }
}

std::string utcNow()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return text;
}
