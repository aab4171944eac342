#pragma once
// The sixteen fields the command line shows and changes: their names on the command line
// and in files, with the dialog's labels, list items and checks.

#include "SwTcpFunc.h"
#include "TcpSetForm.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class ValueKind : std::uint8_t
{
    Text,   // bytes as the module keeps them
    Number, // a port
    Code,   // a list position
};

struct CtlField
{
    std::string_view name; // "baud"
    ConfigField field;
    ValueKind kind;
    const ControlSpec* control; // label, list items, form
    // English words a list item may also be given as ("client" for "客户端"), by position.
    std::span<const std::string_view> aliases;
};

// In the order the dialog shows them.
const std::vector<CtlField>& ctlFields();
const CtlField* findCtlField(std::string_view name);
// "username, devicename, ..." for messages and help.
std::string ctlFieldNames();

// The field's value: texts as bytes, numbers and codes as decimal.
std::string textValue(const TModelConfig& config, const CtlField& field);
std::int32_t numberValue(const TModelConfig& config, const CtlField& field);
// The list item a code names, or empty when no item has that position.
std::optional<std::string_view> meaningOf(const CtlField& field, std::int32_t code);

// A new value for one field, as given on the command line or in a file.
struct FieldChange
{
    const CtlField* field = nullptr;
    std::string text;        // Text
    std::int32_t number = 0; // Number, Code
};

// "baud=9600", "baud=3", "workmode=client", "devicename=Line 4": the change, or the reason
// it is refused (unknown field, a code no item has, a malformed address or port).
struct ParsedChange
{
    std::optional<FieldChange> change;
    std::string problem;
};
ParsedChange parseAssignment(std::string_view assignment);
ParsedChange parseValue(const CtlField& field, std::string_view value);
// A code or a number taken as it is, checked like a typed one.
ParsedChange checkedNumber(const CtlField& field, std::int64_t number);

// Why the value may not go to a module on road, or empty: a text, or the text the module
// reported for a number or code (asRead), longer than the road reads back; a control byte
// (below 0x20) in a text unless it is the module's own text for the field (reported); a
// NUL in a text the library would cut short. The one check for every way a value comes in.
std::string valueProblem(const FieldChange& change, const std::optional<std::string>& asRead, ConfigRoad road,
                         const std::optional<std::string>& reported = std::nullopt);

// Why the change may not go to a module on road, or empty: a field the road does not
// carry, the MAC address (read-only), or what valueProblem() finds.
std::string roadProblem(const FieldChange& change, ConfigRoad road,
                        const std::optional<std::string>& reported = std::nullopt);

// Sets the field's value. The text as read stays: the writer sends it again only when the
// new value is what the road reads from it.
void applyChange(TModelConfig& config, const FieldChange& change);
