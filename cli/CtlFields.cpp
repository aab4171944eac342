#include "CtlFields.h"

#include "NumText.h"
#include "Overloaded.h"
#include "TcpSetModel.h"

#include <algorithm>
#include <array>
#include <variant>

namespace {

constexpr std::array<std::string_view, 2> kIpModeWords{"static", "dynamic"};
constexpr std::array<std::string_view, 3> kWorkModeWords{"server", "auto", "client"};

struct NameRow
{
    std::string_view name;
    ConfigField field;
    std::span<const std::string_view> aliases;
};

constexpr std::array<NameRow, 16> kNames{{
    {"username", ConfigField::UserName, {}},
    {"devicename", ConfigField::DeviceName, {}},
    {"mac", ConfigField::MacAddress, {}},
    {"ipmode", ConfigField::IpMode, kIpModeWords},
    {"ip", ConfigField::IpAddress, {}},
    {"port", ConfigField::LocalPort, {}},
    {"protocol", ConfigField::Protocol, {}},
    {"workmode", ConfigField::WorkMode, kWorkModeWords},
    {"targetip", ConfigField::TargetIp, {}},
    {"targetport", ConfigField::TargetPort, {}},
    {"gateway", ConfigField::Gateway, {}},
    {"netmask", ConfigField::NetMask, {}},
    {"baud", ConfigField::BaudIndex, {}},
    {"parity", ConfigField::Parity, {}},
    {"databits", ConfigField::DataBitsIndex, {}},
    {"stopbits", ConfigField::StopBitsIndex, {}},
}};

bool sameWord(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::string itemList(const CtlField& field)
{
    std::string list;
    for (std::size_t i = 0; i < field.control->items.size(); ++i) {
        if (field.control->items[i].empty())
            continue;
        list += (list.empty() ? "" : ", ") + std::string(field.control->items[i]);
        if (i < field.aliases.size())
            list += " (" + std::string(field.aliases[i]) + ")";
    }
    return list;
}

std::string roadPhrase(ConfigRoad road)
{
    return road == ConfigRoad::Commands ? "the command road" : "the library road";
}

ParsedChange refused(std::string problem)
{
    return {std::nullopt, std::move(problem)};
}

} // namespace

const std::vector<CtlField>& ctlFields()
{
    static const std::vector<CtlField> fields = [] {
        std::vector<CtlField> list;
        for (const NameRow& row : kNames) {
            const auto& controls = controlTable();
            const auto control = std::find_if(controls.begin(), controls.end(),
                                              [&](const ControlSpec& c) { return c.field == row.field; });
            const ValueKind kind = !control->items.empty() ? ValueKind::Code
                                   : std::holds_alternative<std::int32_t TModelConfig::*>(memberOf(row.field))
                                       ? ValueKind::Number
                                       : ValueKind::Text;
            list.push_back({row.name, row.field, kind, &*control, row.aliases});
        }
        return list;
    }();
    return fields;
}

const CtlField* findCtlField(std::string_view name)
{
    for (const CtlField& field : ctlFields()) {
        if (sameWord(field.name, name))
            return &field;
    }
    return nullptr;
}

std::string ctlFieldNames()
{
    std::string names;
    for (const CtlField& field : ctlFields())
        names += (names.empty() ? "" : ", ") + std::string(field.name);
    return names;
}

std::string textValue(const TModelConfig& config, const CtlField& field)
{
    return std::visit(Overloaded{[&](std::string TModelConfig::*m) { return config.*m; },
                                 [&](auto m) { return decimalText(config.*m); }},
                      memberOf(field.field));
}

std::int32_t numberValue(const TModelConfig& config, const CtlField& field)
{
    return std::visit(Overloaded{[&](std::string TModelConfig::*) { return std::int32_t{0}; },
                                 [&](auto m) { return static_cast<std::int32_t>(config.*m); }},
                      memberOf(field.field));
}

std::optional<std::string_view> meaningOf(const CtlField& field, std::int32_t code)
{
    const auto& items = field.control->items;
    if (code < 0 || static_cast<std::size_t>(code) >= items.size())
        return std::nullopt;
    return items[static_cast<std::size_t>(code)];
}

ParsedChange parseAssignment(std::string_view assignment)
{
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos)
        return refused("'" + std::string(assignment) + "' is not FIELD=VALUE");
    const std::string_view name = assignment.substr(0, equals);
    const CtlField* field = findCtlField(name);
    if (!field)
        return refused("unknown field '" + std::string(name) + "' (fields: " + ctlFieldNames() + ")");
    return parseValue(*field, assignment.substr(equals + 1));
}

ParsedChange checkedNumber(const CtlField& field, std::int64_t number)
{
    const std::string name(field.name);
    if (field.kind == ValueKind::Code) {
        if (number < 0 || number >= static_cast<std::int64_t>(field.control->items.size()))
            return refused(name + ": code " + std::to_string(number) + " is not in the list (" +
                           itemList(field) + ")");
    } else if (field.kind == ValueKind::Number) {
        if (number < 0 || number > 65535)
            return refused(name + ": " + std::to_string(number) + " is not a port 0 to 65535");
    } else {
        return refused(name + " takes a text, not a number");
    }
    return {FieldChange{&field, {}, static_cast<std::int32_t>(number)}, {}};
}

ParsedChange parseValue(const CtlField& field, std::string_view value)
{
    const std::string name(field.name);
    const std::string label(field.control->label);
    switch (field.kind) {
    case ValueKind::Code: {
        const auto& items = field.control->items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if ((!items[i].empty() && sameWord(items[i], value)) ||
                (i < field.aliases.size() && sameWord(field.aliases[i], value)))
                return {FieldChange{&field, {}, static_cast<std::int32_t>(i)}, {}};
        }
        if (hasForm(FieldForm::Port, value))
            return checkedNumber(field, lenientToInt(value));
        return refused(name + " (" + label + "): '" + std::string(value) + "' is neither a code 0 to " +
                       std::to_string(items.size() - 1) + " nor one of " + itemList(field));
    }
    case ValueKind::Number:
        if (!hasForm(field.control->form, value))
            return refused(name + " (" + label + "): '" + std::string(value) + "' is not a port 0 to 65535");
        return {FieldChange{&field, {}, lenientToInt(value)}, {}};
    case ValueKind::Text:
        if (!hasForm(field.control->form, value))
            return refused(name + " (" + label + "): '" + std::string(value) +
                           "' is not a dotted IPv4 address like 192.168.1.10");
        return {FieldChange{&field, std::string(value), 0}, {}};
    }
    return refused(name + ": no value");
}

std::string valueProblem(const FieldChange& change, const std::optional<std::string>& asRead, ConfigRoad road,
                         const std::optional<std::string>& reported)
{
    const CtlField& field = *change.field;
    const std::string name(field.name);
    const std::size_t limit = maxReadableValueBytes(road);
    const auto tooLong = [&](const std::string& what, std::size_t bytes) {
        return name + ": " + what + std::to_string(bytes) + " bytes is longer than " + roadPhrase(road) +
               " reads back (" + std::to_string(limit) + " bytes)";
    };
    if (field.kind == ValueKind::Text && change.text.size() > limit)
        return tooLong("", change.text.size());
    // A module locked out by a reply it cannot send is as lost as one with a wrong address.
    if (asRead && asRead->size() > limit)
        return tooLong("the text as read, ", asRead->size());
    // The library takes C texts: whatever follows a NUL would never reach the module.
    if (road == ConfigRoad::Library && asRead && asRead->find('\0') != std::string::npos)
        return name + ": the text as read holds a NUL byte, which " + roadPhrase(road) + " cannot carry";
    if (field.kind == ValueKind::Text && change.text != reported) {
        const auto control = std::find_if(change.text.begin(), change.text.end(),
                                          [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        if (control != change.text.end()) {
            const char hex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(*control);
            return name + " (" + std::string(field.control->label) + "): control byte 0x" + hex[byte >> 4] +
                   hex[byte & 15] + " at byte " + std::to_string(control - change.text.begin() + 1) +
                   "; a text value takes no bytes below 0x20 unless the module itself reported them";
        }
    }
    return {};
}

std::string roadProblem(const FieldChange& change, ConfigRoad road,
                        const std::optional<std::string>& reported)
{
    const CtlField& field = *change.field;
    if (field.field == ConfigField::MacAddress)
        return "mac (" + std::string(field.control->label) + ") is read-only";
    if (!roadCarries(road, field.field))
        return std::string(field.name) + " (" + std::string(field.control->label) + ") is not carried by " +
               roadPhrase(road) + "; the module has no such setting";
    return valueProblem(change, std::nullopt, road, reported);
}

void applyChange(TModelConfig& config, const FieldChange& change)
{
    std::visit(Overloaded{[&](std::string TModelConfig::*m) { config.*m = change.text; },
                          [&](std::int32_t TModelConfig::*m) { config.*m = change.number; },
                          [&](std::uint8_t TModelConfig::*m) {
                              config.*m = static_cast<std::uint8_t>(change.number & 0xFF);
                          }},
               memberOf(change.field->field));
}
