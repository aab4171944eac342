// tcpmodctl's readers of outside input on any bytes: each refuses with a reason, or gives
// values that a module of the road they are checked for can take and read back. Never a
// crash, never a text over the road's limit or a control byte nobody reported.
#include "ConfigFile.h"
#include "CtlFields.h"
#include "FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A value a reader lets through; road: the road it was checked for, or none when each
// module's road checks it later (roadProblem).
struct Accepted
{
    FieldChange change;
    std::optional<std::string> asRead;
    std::optional<ConfigRoad> road;
};

// What a reader made of the input: the values it accepts, or why it refused.
struct Outcome
{
    std::vector<Accepted> values;
    std::string problem;
};

Outcome fromConfigFile(std::string_view text)
{
    const ParsedFile parsed = parseConfig(text);
    if (!parsed.file)
        return {{}, parsed.problem.empty() ? "(no reason)" : parsed.problem};
    Outcome outcome;
    for (const FileField& f : parsed.file->fields)
        outcome.values.push_back({f.change, f.asRead, parsed.file->road});
    return outcome;
}

Outcome fromAssignment(std::string_view text)
{
    const ParsedChange parsed = parseAssignment(text);
    if (!parsed.change)
        return {{}, parsed.problem.empty() ? "(no reason)" : parsed.problem};
    return {{Accepted{*parsed.change, std::nullopt, std::nullopt}}, {}};
}

// Every reader of a file or a command line; another is one more line here.
constexpr Outcome (*kReaders[])(std::string_view) = {
    fromConfigFile, // tcpmodctl apply FILE
    fromAssignment, // tcpmodctl set MODULE NAME=VALUE
};

bool hasControlByte(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

void checkValue(const Accepted& value)
{
    const FieldChange& change = value.change;
    FUZZ_CHECK(change.field != nullptr);
    FUZZ_CHECK(findCtlField(change.field->name) == change.field);
    if (change.field->kind == ValueKind::Code)
        FUZZ_CHECK(change.number >= 0 &&
                   static_cast<std::size_t>(change.number) < change.field->control->items.size());
    if (change.field->kind == ValueKind::Number)
        FUZZ_CHECK(change.number >= 0 && change.number <= 65535);
    for (const ConfigRoad road : {ConfigRoad::Commands, ConfigRoad::Library}) {
        if (value.road ? *value.road != road : !roadProblem(change, road).empty())
            continue; // not meant for this road, or refused before any module of it is written
        const std::size_t limit = maxReadableValueBytes(road);
        if (change.field->kind == ValueKind::Text) {
            FUZZ_CHECK(change.text.size() <= limit);
            FUZZ_CHECK(!hasControlByte(change.text));
        }
        if (value.asRead) {
            FUZZ_CHECK(value.asRead->size() <= limit);
            FUZZ_CHECK(road == ConfigRoad::Commands || value.asRead->find('\0') == std::string::npos);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto reader : kReaders) {
        const Outcome outcome = reader(text);
        FUZZ_CHECK(outcome.problem.empty() || outcome.values.empty());
        for (const Accepted& value : outcome.values)
            checkValue(value);
    }
    return 0;
}
