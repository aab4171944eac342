// search, read, set and export.
#include "CtlCommands.h"

#include "ConfigFile.h"
#include "CtlSupport.h"
#include "CtlVerify.h"
#include "DeviceText.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>

// Members stay in the order written, as a person reads them.
using json = nlohmann::ordered_json;

namespace {

constexpr auto kReplace = json::error_handler_t::replace;

// The module, read; or the status to leave with.
struct ReadModule
{
    std::optional<TModelParm> entry;
    TModelConfig config;
    int status = exitcode::kOk;
};

ReadModule searchAndRead(CtlContext& ctx, const std::string& id, KindChoice kind)
{
    ReadModule result;
    const Found found = findModule(searchFor(ctx, {id}, kind).modules, id, kind);
    if (!found.entry) {
        reportError(ctx, found.problem);
        result.status = found.status;
        return result;
    }
    if (!readModule(*found.entry, result.config)) {
        reportError(ctx, describeModule(*found.entry) + ": the module refused the read or did not answer");
        result.status = exitcode::kFailed;
        return result;
    }
    result.entry = found.entry;
    return result;
}

json readJson(const TModelParm& entry, const TModelConfig& config)
{
    const ConfigRoad road = roadOf(entry);
    json fields = json::array();
    for (const CtlField& field : ctlFields()) {
        json item{{"name", field.name}, {"label", field.control->label}};
        if (!roadCarries(road, field.field)) {
            item["carried"] = false;
        } else if (field.kind == ValueKind::Text) {
            const std::string bytes = textValue(config, field);
            item["value"] = textFromDevice(bytes).text;
            if (!isValidUtf8(bytes))
                item["hex"] = bytesJson(bytes)["hex"];
        } else if (field.kind == ValueKind::Number) {
            item["value"] = numberValue(config, field);
        } else {
            const std::int32_t code = numberValue(config, field);
            item["code"] = code;
            const auto meaning = meaningOf(field, code);
            item["meaning"] = meaning ? json(std::string(*meaning)) : json(nullptr);
        }
        fields.push_back(item);
    }
    return json{{"kind", kindName(road)}, {"ip", entry.Ip}, {"mac", entry.Mac}, {"fields", fields}};
}

} // namespace

int searchCommand(CtlContext& ctx, bool asJson)
{
    return guarded(ctx, [&] {
        const SearchOutcome outcome = runSearch(ctx);
        if (asJson) {
            json list = json::array();
            for (const TModelParm& entry : outcome.modules) {
                list.push_back({{"kind", entry.ViaCommandProtocol ? "cmd" : "lib"},
                                {"ip", entry.Ip},
                                {"mac", entry.Mac},
                                {"tag", entry.ViaCommandProtocol ? json(nullptr) : json(entry.LibraryTag)},
                                {"shared_ip", entry.SharedIp},
                                {"via", entry.Via}});
            }
            ctx.out << list.dump(2, ' ', false, kReplace) << '\n';
            return outcome.error.empty() ? exitcode::kOk : exitcode::kFailed;
        }
        ctx.out << "kind  " << padded("ip", 16) << padded("mac", 19) << padded("tag", 5) << padded("via", 16)
                << "shared\n";
        for (const TModelParm& entry : outcome.modules) {
            std::string line = std::string(entry.ViaCommandProtocol ? "cmd   " : "lib   ") +
                               padded(displayText(entry.Ip), 16) + padded(displayText(entry.Mac), 19) +
                               padded(entry.ViaCommandProtocol ? "" : std::to_string(entry.LibraryTag), 5) +
                               padded(entry.Via, 16) + (entry.SharedIp ? "shared IP" : "");
            line.erase(line.find_last_not_of(' ') + 1);
            ctx.out << line << '\n';
        }
        return outcome.error.empty() ? exitcode::kOk : exitcode::kFailed;
    });
}

int readCommand(CtlContext& ctx, const std::string& module, KindChoice kind, bool asJson)
{
    return guarded(ctx, [&] {
        const ReadModule read = searchAndRead(ctx, module, kind);
        if (!read.entry)
            return read.status;
        if (asJson) {
            ctx.out << readJson(*read.entry, read.config).dump(2, ' ', false, kReplace) << '\n';
            return exitcode::kOk;
        }
        const ConfigRoad road = roadOf(*read.entry);
        ctx.out << describeModule(*read.entry) << '\n';
        for (const CtlField& field : ctlFields()) {
            ctx.out << padded(field.name, 12) << padded(field.control->label, 14);
            if (roadCarries(road, field.field))
                ctx.out << fieldDisplay(read.config, field) << '\n';
            else
                ctx.out << "(not carried by " << roadName(road) << ")\n";
        }
        return exitcode::kOk;
    });
}

int setCommand(CtlContext& ctx, const std::string& module, KindChoice kind,
               const std::vector<std::string>& assignments)
{
    std::vector<FieldChange> changes;
    for (const std::string& assignment : assignments) {
        const ParsedChange parsed = parseAssignment(assignment);
        if (!parsed.change) {
            reportError(ctx, parsed.problem);
            return exitcode::kUsage;
        }
        changes.push_back(*parsed.change);
    }
    return guarded(ctx, [&] {
        const Found found = findModule(searchFor(ctx, {module}, kind).modules, module, kind);
        if (!found.entry) {
            reportError(ctx, found.problem);
            return found.status;
        }
        const ConfigRoad road = roadOf(*found.entry);
        TModelConfig before;
        if (!readModule(*found.entry, before)) {
            reportError(ctx,
                        describeModule(*found.entry) + ": the module refused the read or did not answer");
            return exitcode::kFailed;
        }
        TModelConfig config = before;
        for (FieldChange& change : changes) {
            // A changed text goes back in the encoding the module's text was read in.
            if (change.field->kind == ValueKind::Text)
                change.text =
                    textToDevice(change.text, textFromDevice(textValue(config, *change.field)).readAs);
            // The module's own text may go back as it is, control bytes and all.
            const std::string reported = textValue(config, *change.field);
            if (const std::string problem = roadProblem(change, road, reported); !problem.empty()) {
                reportError(ctx, describeModule(*found.entry) + ": " + problem);
                return exitcode::kUsage;
            }
            applyChange(config, change);
        }
        const WriteCheck check = writeAndVerify(*found.entry, before, config, ctx.verifyWrites);
        if (!writeHeld(check)) {
            reportError(ctx, describeModule(*found.entry) + ": " + describeWrite(check));
            return exitcode::kFailed;
        }
        ctx.out << describeModule(*found.entry) << ": " << describeWrite(check) << '\n';
        return exitcode::kOk;
    });
}

int exportCommand(CtlContext& ctx, const std::string& module, KindChoice kind, const std::string& outPath)
{
    return guarded(ctx, [&] {
        const ReadModule read = searchAndRead(ctx, module, kind);
        if (!read.entry)
            return read.status;
        const std::string text = exportConfig(*read.entry, read.config, utcNow());
        if (outPath.empty() || outPath == "-") {
            ctx.out << text;
            return exitcode::kOk;
        }
        std::ofstream file(outPath, std::ios::binary | std::ios::trunc);
        file << text;
        file.close();
        if (!file) {
            reportError(ctx, outPath + ": cannot write the file");
            return exitcode::kUsage;
        }
        ctx.out << describeModule(*read.entry) << ": exported to " << outPath << '\n';
        return exitcode::kOk;
    });
}
