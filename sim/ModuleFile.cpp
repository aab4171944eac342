#include "ModuleFile.h"

#include "LibraryModule.h"
#include "MxWire.h"
#include "net.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace sim {

namespace {

using nlohmann::json;

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    throw ModuleFileError(where + ": " + what);
}

const std::map<std::string, FaultKind>& faultNames()
{
    static const std::map<std::string, FaultKind> names{
        {"none", FaultKind::None},         {"refuse", FaultKind::Refuse}, {"silent", FaultKind::Silent},
        {"late", FaultKind::Late},         {"twice", FaultKind::Twice},   {"empty", FaultKind::Empty},
        {"oversize", FaultKind::Oversize}, {"gone", FaultKind::Gone},     {"lost", FaultKind::Lost},
    };
    return names;
}

// A text from the file in single quotes, control bytes written as \xHH, so that a message
// stays one line whatever the file holds.
std::string inQuotes(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "'";
}

// "[json.exception.parse_error.101] parse error at line 3, ...": the part after the tag.
std::string messageOf(const json::exception& error)
{
    const std::string what = error.what();
    const auto tagEnd = what.find("] ");
    return tagEnd == std::string::npos ? what : what.substr(tagEnd + 2);
}

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool isFaultCode(ModuleKind kind, const std::string& code)
{
    if (kind == ModuleKind::Library)
        return code == kSearchFault || code == kFetchFault || code == kModifyFault;
    return code == "X" || code == "L" || code == "W" || code == "E" || code == "O" ||
           contains(readCodes(), code) || contains(writeCodes(), code);
}

std::string textMember(const json& object, const char* name, const std::string& where)
{
    const json& member = object.at(name);
    if (!member.is_string())
        fail(where + "." + name, "must be a text");
    return member.get<std::string>();
}

std::int64_t integerMember(const json& object, const char* name, const std::string& where, std::int64_t min,
                           std::int64_t max)
{
    const json& member = object.at(name);
    // An unsigned number past INT64_MAX would read back as a negative one.
    const bool inRange = member.is_number_unsigned()
                             ? max >= 0 && member.get<std::uint64_t>() <= static_cast<std::uint64_t>(max)
                             : member.is_number_integer() && member.get<std::int64_t>() >= min &&
                                   member.get<std::int64_t>() <= max;
    if (!inRange)
        fail(where + "." + name,
             "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max));
    return member.get<std::int64_t>();
}

bool boolMember(const json& object, const char* name, const std::string& where)
{
    const json& member = object.at(name);
    if (!member.is_boolean())
        fail(where + "." + name, "must be true or false");
    return member.get<bool>();
}

// "loss": {"rate": 0.02, "seed": 7}; the seed is optional (0).
void readLoss(const json& loss, ModuleSpec& spec, const std::string& where)
{
    if (!loss.is_object())
        fail(where, "must be an object with \"rate\" and \"seed\"");
    for (const auto& [name, unused] : loss.items()) {
        if (name != "rate" && name != "seed")
            fail(where, "unknown member " + inQuotes(name));
    }
    const json* rate = loss.contains("rate") ? &loss.at("rate") : nullptr;
    if (!rate || !rate->is_number() || rate->get<double>() < 0 || rate->get<double>() > 1)
        fail(where + ".rate", "must be a number from 0 to 1");
    spec.loss.rate = rate->get<double>();
    if (loss.contains("seed"))
        spec.loss.seed = static_cast<std::uint32_t>(integerMember(loss, "seed", where, 0, UINT32_MAX));
}

void readValues(const json& values, ModuleSpec& spec, const std::string& where)
{
    if (!values.is_object())
        fail(where, "must be an object of texts");
    const auto& allowed = spec.kind == ModuleKind::Command ? readCodes() : libraryKeys();
    for (const auto& [key, value] : values.items()) {
        if (!contains(allowed, key))
            fail(where, inQuotes(key) + " is not a " +
                            (spec.kind == ModuleKind::Command ? "read code (GON .. GDT)"
                                                              : "library key (NAME .. C1_DATAB)"));
        if (!value.is_string())
            fail(where + "." + key, "must be a text (numbers too, as the module sends them)");
        spec.values[key] = value.get<std::string>();
    }
}

void readFaults(const json& faults, ModuleSpec& spec, const std::string& where)
{
    if (!faults.is_object())
        fail(where, "must be an object of faults");
    for (const auto& [code, item] : faults.items()) {
        const std::string at = where + "." + code;
        if (!isFaultCode(spec.kind, code))
            fail(where,
                 inQuotes(code) + " is not a command code" +
                     (spec.kind == ModuleKind::Library ? " (library modules: SEARCH, FETCH, MODIFY)" : ""));
        Fault fault;
        const json& kindText = item.is_string()   ? item
                               : item.is_object() ? item.value("kind", json())
                                                  : json();
        const auto named =
            kindText.is_string() ? faultNames().find(kindText.get<std::string>()) : faultNames().end();
        if (named == faultNames().end())
            fail(at, "must be one of none, refuse, silent, late, twice, empty, oversize, gone, lost (or "
                     "{\"kind\": "
                     "..., \"delayMs\": N, \"skip\": N, \"times\": N})");
        fault.kind = named->second;
        if (item.is_object()) {
            for (const auto& [name, unused] : item.items()) {
                if (name != "kind" && name != "delayMs" && name != "skip" && name != "times")
                    fail(at, "unknown member " + inQuotes(name));
            }
            if (item.contains("delayMs"))
                fault.delayMs = static_cast<int>(integerMember(item, "delayMs", at, 0, 60000));
            if (item.contains("skip"))
                fault.skip = static_cast<int>(integerMember(item, "skip", at, 0, 1000000));
            if (item.contains("times"))
                fault.times = static_cast<int>(integerMember(item, "times", at, 0, 1000000));
        }
        spec.faults[code] = fault;
    }
}

void readFailKeys(const json& keys, ModuleSpec& spec, const std::string& where)
{
    if (!keys.is_array())
        fail(where, "must be a list of library keys");
    for (const auto& key : keys) {
        if (!key.is_string() || !contains(libraryKeys(), key.get<std::string>()))
            fail(where, "holds something that is not a library key (NAME .. C1_DATAB)");
        spec.failKeys.insert(key.get<std::string>());
    }
}

ModuleSpec readModule(const json& item, const std::string& where)
{
    if (!item.is_object())
        fail(where, "must be an object");
    static const std::vector<std::string> commandMembers{
        "kind", "ip", "mac", "values", "faults", "loss", "refuseOpenAtOwnAddress", "probeJitterMs"};
    static const std::vector<std::string> libraryMembers{
        "kind",  "ip",      "mac",      "values",       "faults",    "tag", "searchPort",
        "model", "version", "failKeys", "rejectModify", "failFetch", "loss"};
    for (const char* required : {"kind", "ip"}) {
        if (!item.contains(required))
            fail(where, std::string("needs \"") + required + "\"");
    }
    const std::string kind = textMember(item, "kind", where);
    if (kind != "command" && kind != "library")
        fail(where + ".kind", "must be \"command\" or \"library\"");
    const bool isCommand = kind == "command";
    for (const auto& [name, unused] : item.items()) {
        if (!contains(isCommand ? commandMembers : libraryMembers, name))
            fail(where, "unknown member " + inQuotes(name) + " for a " + kind + " module");
    }
    const std::string ip = textMember(item, "ip", where);
    if (!isDottedQuad(ip))
        fail(where + ".ip", inQuotes(ip) + " is not an IPv4 address");
    const std::string mac = item.contains("mac") ? textMember(item, "mac", where) : macForIp(ip);
    if (mac.empty())
        fail(where + ".mac", "must not be empty");

    ModuleSpec spec;
    if (isCommand) {
        spec = commandModule(ip, mac);
        if (item.contains("refuseOpenAtOwnAddress"))
            spec.refuseOpenAtOwnAddress = boolMember(item, "refuseOpenAtOwnAddress", where);
        if (item.contains("probeJitterMs"))
            spec.probeJitterMs = static_cast<int>(integerMember(item, "probeJitterMs", where, 0, 60000));
    } else {
        spec = libraryModule(ip, mac, 1);
        if (item.contains("tag"))
            spec.tag = static_cast<std::uint8_t>(integerMember(item, "tag", where, 0, 255));
        if (item.contains("searchPort"))
            spec.searchPort =
                static_cast<std::int32_t>(integerMember(item, "searchPort", where, INT32_MIN, INT32_MAX));
        if (item.contains("model"))
            spec.model = textMember(item, "model", where);
        if (item.contains("version"))
            spec.version = static_cast<std::uint8_t>(integerMember(item, "version", where, 0, 255));
        if (item.contains("failKeys"))
            readFailKeys(item.at("failKeys"), spec, where + ".failKeys");
        if (item.contains("rejectModify"))
            spec.rejectModify = boolMember(item, "rejectModify", where);
        if (item.contains("failFetch"))
            spec.failFetch = boolMember(item, "failFetch", where);
    }
    if (item.contains("values"))
        readValues(item.at("values"), spec, where + ".values");
    if (item.contains("faults"))
        readFaults(item.at("faults"), spec, where + ".faults");
    if (item.contains("loss"))
        readLoss(item.at("loss"), spec, where + ".loss");
    return spec;
}

std::vector<std::string> splitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

} // namespace

std::string macForIp(const std::string& ip)
{
    std::uint32_t address = 0;
    if (isDottedQuad(ip)) {
        std::istringstream parts(ip);
        std::string part;
        while (std::getline(parts, part, '.'))
            address = (address << 8) | static_cast<std::uint32_t>(std::stoi(part));
    }
    char text[18];
    std::snprintf(text, sizeof text, "00-1A-2B-%02X-%02X-%02X", (address >> 16) & 0xFFu,
                  (address >> 8) & 0xFFu, address & 0xFFu);
    return text;
}

std::vector<ModuleSpec> parseModules(const std::string& jsonText, const std::string& origin)
{
    json document;
    try {
        document = json::parse(jsonText);
    } catch (const json::exception& error) {
        // Any of the library's errors: a number too large for a double is out_of_range.
        fail(origin, messageOf(error));
    }
    if (!document.is_object() || !document.contains("modules") || !document.at("modules").is_array())
        fail(origin, "must hold an object with a list \"modules\"");
    for (const auto& [name, unused] : document.items()) {
        if (name != "modules")
            fail(origin, "unknown member " + inQuotes(name));
    }
    std::vector<ModuleSpec> modules;
    const json& list = document.at("modules");
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string where = origin + ": modules[" + std::to_string(i) + "]";
        ModuleSpec spec;
        try {
            spec = readModule(list[i], where);
        } catch (const json::exception& error) {
            fail(where, messageOf(error));
        }
        if (spec.kind == ModuleKind::Library && !configFits(spec))
            fail(where + ".values", "make a configuration reply longer than the library's " +
                                        std::to_string(mx::kMaxMessageSize) + "-byte limit");
        for (const auto& other : modules) {
            if (other.mac == spec.mac)
                fail(where + ".mac", inQuotes(spec.mac) + " is used twice");
        }
        modules.push_back(std::move(spec));
    }
    return modules;
}

std::vector<ModuleSpec> loadModuleFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw ModuleFileError(path + ": cannot be read");
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        throw ModuleFileError(path + ": cannot be read");
    return parseModules(text.str(), path);
}

ModuleSpec commandModuleFromFlag(const std::string& text)
{
    const auto parts = splitCommas(text);
    if (parts.size() > 2 || !isDottedQuad(parts[0]))
        throw ModuleFileError("--command " + text + ": expected IP[,MAC], e.g. 10.77.0.11,00-1A-2B-00-00-11");
    return commandModule(parts[0], parts.size() == 2 && !parts[1].empty() ? parts[1] : macForIp(parts[0]));
}

ModuleSpec libraryModuleFromFlag(const std::string& text)
{
    const auto parts = splitCommas(text);
    const bool shapeOk = parts.size() <= 3 && isDottedQuad(parts[0]);
    const auto tag = parts.size() == 3 ? mx::parseUnsigned(parts[2], 255) : std::optional<std::uint32_t>(1);
    if (!shapeOk || !tag)
        throw ModuleFileError("--library " + text +
                              ": expected IP[,MAC[,TAG]] with TAG 0..255, e.g. 10.77.0.31,,7");
    return libraryModule(parts[0], parts.size() >= 2 && !parts[1].empty() ? parts[1] : macForIp(parts[0]),
                         static_cast<std::uint8_t>(*tag));
}

} // namespace sim
