#include "CtlSupport.h"

#include "DeviceText.h"
#include "NumText.h"
#include "net.h"

#include <algorithm>
#include <ostream>

std::string displayText(const std::string& bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    // Control characters would move the cursor or end the line: shown as \xNN.
    for (const char c : textFromDevice(bytes).text) {
        const auto code = static_cast<unsigned char>(c);
        if (code >= 0x20 && code != 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kHex[code >> 4];
            text += kHex[code & 15];
        }
    }
    return text;
}

std::string fieldDisplay(const TModelConfig& config, const CtlField& field)
{
    if (field.kind == ValueKind::Text)
        return displayText(textValue(config, field));
    const std::int32_t number = numberValue(config, field);
    if (field.kind == ValueKind::Number)
        return decimalText(number);
    const auto meaning = meaningOf(field, number);
    return decimalText(number) + "  " + (meaning ? std::string(*meaning) : "(no item)");
}

std::size_t displayWidth(std::string_view utf8)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        // Three- and four-byte characters here are CJK and full-width forms.
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

std::string padded(std::string_view utf8, std::size_t columns)
{
    const std::size_t width = displayWidth(utf8);
    return std::string(utf8) + std::string(width < columns ? columns - width : 1, ' ');
}

bool readModule(const TModelParm& entry, TModelConfig& config)
{
    if (roadOf(entry) == ConfigRoad::Commands)
        return ReadConfigByCommands(entry, config);
    return ReadConfigByLibrary(entry.Ip, entry.LibraryTag, config);
}

bool writeModule(const TModelParm& entry, const TModelConfig& config)
{
    if (roadOf(entry) == ConfigRoad::Commands)
        return WriteConfigByCommands(entry, config);
    return WriteConfigByLibrary(entry.Ip, kLibraryWritePassword, entry.LibraryTag, config);
}

std::string roadName(ConfigRoad road)
{
    return road == ConfigRoad::Commands ? "the command road" : "the library road";
}

SearchOutcome runSearch(CtlContext& ctx)
{
    SearchOutcome outcome = searchModules(ctx.interfaceAddress);
    for (const std::string& warning : searchWarnings(outcome))
        reportError(ctx, warning);
    return outcome;
}

SearchOutcome searchFor(CtlContext& ctx, const std::vector<std::string>& ids, KindChoice kind)
{
    SearchOutcome outcome = runSearch(ctx);
    const bool missing = std::any_of(ids.begin(), ids.end(), [&](const std::string& id) {
        return lookUpModule(outcome.modules, id, kind).matches.empty();
    });
    if (missing) {
        // The same module found by both searches is one match.
        SearchOutcome again = runSearch(ctx);
        outcome.modules.insert(outcome.modules.end(), again.modules.begin(), again.modules.end());
    }
    return outcome;
}

Found findModule(const std::vector<TModelParm>& modules, const std::string& id, KindChoice kind)
{
    const Lookup lookup = lookUpModule(modules, id, kind);
    if (lookup.matches.size() == 1)
        return {lookup.matches.front(), exitcode::kOk, {}};
    if (lookup.matches.empty())
        return {std::nullopt, exitcode::kFailed, id + ": not found by the search"};
    std::string listed;
    for (const TModelParm& entry : lookup.matches)
        listed += "; " + describeModule(entry);
    const bool shared = std::any_of(lookup.matches.begin(), lookup.matches.end(),
                                    [](const TModelParm& entry) { return entry.SharedIp; });
    // Modules that share an address are told apart by their MACs alone.
    return {std::nullopt, exitcode::kUsage,
            id +
                (shared ? " is shared by several modules, name one by its MAC"
                        : " is ambiguous, choose with --kind cmd|lib or a MAC") +
                listed};
}

void reportError(CtlContext& ctx, const std::string& text)
{
    std::string line = text;
    for (std::size_t at; (at = line.find_first_of("\r\n")) != std::string::npos;)
        line.replace(at, line.compare(at, 2, "\r\n") == 0 ? 2 : 1, " ");
    ctx.err << "tcpmodctl: " << line << '\n';
}

int guarded(CtlContext& ctx, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const SocketError& error) {
        reportError(ctx, error.what());
    } catch (const ConvertError& error) {
        reportError(ctx, error.what());
    }
    return exitcode::kFailed;
}
