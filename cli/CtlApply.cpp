// apply: one file's configuration onto several modules, one after another.
#include "CtlBatch.h"
#include "CtlCommands.h"

#include "ConfigFile.h"
#include "CtlSupport.h"
#include "CtlVerify.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <sstream>

namespace {

struct Target
{
    std::string id;
    std::optional<TModelParm> entry; // empty: not found
};

// The file's fields that go to the modules, or the problem with the options.
struct Selection
{
    std::vector<FileField> fields;
    std::vector<ConfigField> named; // --fields, so a field a road lacks is an error
    std::string problem;
};

Selection selectFields(const ConfigFile& file, const ApplyOptions& options)
{
    Selection selection;
    if (options.withIp && options.modules.size() != 1) {
        selection.problem = "--with-ip needs exactly one module";
        return selection;
    }
    for (const std::string& name : options.fields) {
        const CtlField* field = findCtlField(name);
        if (!field) {
            selection.problem = "unknown field '" + name + "' in --fields (fields: " + ctlFieldNames() + ")";
            return selection;
        }
        if (field->field == ConfigField::MacAddress) {
            selection.problem = "mac belongs to each module and is never applied";
            return selection;
        }
        if (field->field == ConfigField::IpAddress && !options.withIp) {
            selection.problem = "ip is applied only with --with-ip to one module";
            return selection;
        }
        const bool inFile = std::any_of(file.fields.begin(), file.fields.end(),
                                        [&](const FileField& f) { return f.change.field == field; });
        if (!inFile) {
            selection.problem = "the file has no field " + name;
            return selection;
        }
        selection.named.push_back(field->field);
    }
    for (const FileField& f : file.fields) {
        const ConfigField id = f.change.field->field;
        const bool wanted = options.fields.empty() ? id != ConfigField::IpAddress || options.withIp
                                                   : std::find(selection.named.begin(), selection.named.end(),
                                                               id) != selection.named.end();
        if (wanted)
            selection.fields.push_back(f);
    }
    return selection;
}

// The module's record with the file's fields; a problem for a field named in --fields that
// the module's road lacks; the fields a road lacks otherwise are skipped and listed.
struct Planned
{
    TModelConfig config;
    std::string problem;
    std::string skipped;
};

Planned plan(const ConfigFile& file, const Selection& selection, const TModelParm& entry,
             const TModelConfig& current)
{
    Planned planned{current, {}, {}};
    const ConfigRoad road = roadOf(entry);
    for (const FileField& f : selection.fields) {
        const CtlField& field = *f.change.field;
        if (!roadCarries(road, field.field)) {
            if (std::find(selection.named.begin(), selection.named.end(), field.field) !=
                selection.named.end())
                planned.problem = roadProblem(f.change, road);
            else
                planned.skipped += (planned.skipped.empty() ? "" : ", ") + std::string(field.name);
            continue;
        }
        applyChange(planned.config, f.change);
        // A module of the file's kind gets the file's texts back while the value is theirs.
        if (road == file.road && f.asRead)
            planned.config.AsRead[fieldIndex(field.field)] = f.asRead;
    }
    return planned;
}

// Where only the text changes (" 9000" for 9000), the text that goes: "  (sent as " 9000")".
std::string sentAs(const TModelConfig& current, const TModelConfig& planned, const CtlField& field)
{
    const auto& text = planned.AsRead[fieldIndex(field.field)];
    if (!text || textValue(current, field) != textValue(planned, field))
        return {};
    return "  (sent as \"" + displayText(*text) + "\")";
}

// Reads the module, puts the file's fields in and writes it, or in a dry run prints what
// would change. The progress line's end on success; the reason on failure.
std::string applyOne(CtlContext& ctx, const ConfigFile& file, const Selection& selection,
                     const TModelParm& entry, bool dryRun)
{
    TModelConfig current;
    if (!readModule(entry, current))
        return "the module refused the read or did not answer";
    const Planned planned = plan(file, selection, entry, current);
    if (!planned.problem.empty())
        return planned.problem;
    const std::string skipped =
        planned.skipped.empty()
            ? std::string()
            : " (skipped, not carried by " + roadName(roadOf(entry)) + ": " + planned.skipped + ")";
    if (!dryRun) {
        const WriteCheck check = writeAndVerify(entry, current, planned.config, ctx.verifyWrites);
        if (!writeHeld(check))
            return describeWrite(check);
        ctx.out << describeDone(check) << skipped;
        return {};
    }
    std::string changes;
    for (const CtlField& field : ctlFields()) {
        const std::size_t at = fieldIndex(field.field);
        if (textValue(current, field) != textValue(planned.config, field) ||
            current.AsRead[at] != planned.config.AsRead[at])
            changes += "\n    " + padded(field.name, 12) + fieldDisplay(current, field) + "  ->  " +
                       fieldDisplay(planned.config, field) + sentAs(current, planned.config, field);
    }
    ctx.out << (changes.empty() ? "no change" : "would change") << skipped << (changes.empty() ? "" : ":")
            << changes;
    return {};
}

std::string readFile(const std::string& path, bool& ok)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    ok = static_cast<bool>(file);
    return text.str();
}

} // namespace

int applyCommand(CtlContext& ctx, const ApplyOptions& options, KindChoice kind)
{
    bool opened = false;
    const std::string text = readFile(options.path, opened);
    if (!opened) {
        reportError(ctx, options.path + ": cannot read the file");
        return exitcode::kUsage;
    }
    const ParsedFile parsed = parseConfig(text);
    if (!parsed.file) {
        reportError(ctx, options.path + ": " + parsed.problem);
        return exitcode::kUsage;
    }
    const ConfigFile& file = *parsed.file;
    const Selection selection = selectFields(file, options);
    if (!selection.problem.empty()) {
        reportError(ctx, selection.problem);
        return exitcode::kUsage;
    }

    return guarded(ctx, [&] {
        const SearchOutcome search = searchFor(ctx, options.modules, kind);
        std::vector<Target> targets;
        for (const std::string& id : options.modules) {
            const Found found = findModule(search.modules, id, kind);
            if (found.status == exitcode::kUsage) {
                reportError(ctx, found.problem);
                return exitcode::kUsage;
            }
            // Every value must be readable back on every module's road before one is written.
            for (const FileField& f : selection.fields) {
                const std::string problem =
                    found.entry && roadCarries(roadOf(*found.entry), f.change.field->field)
                        ? roadProblem(f.change, roadOf(*found.entry))
                        : std::string();
                if (!problem.empty()) {
                    reportError(ctx, describeModule(*found.entry) + ": " + problem);
                    return exitcode::kUsage;
                }
            }
            targets.push_back({id, found.entry});
        }

        CtlBatch batch(ctx, options.dryRun);
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const Target& target = targets[i];
            ctx.out << "[" << i + 1 << "/" << targets.size() << "] "
                    << (target.entry ? describeModule(*target.entry) : target.id) << ": ";
            batch.finish(target.id, [&]() -> std::string {
                if (!target.entry)
                    return "not found by the search";
                return applyOne(ctx, file, selection, *target.entry, options.dryRun);
            });
        }
        return batch.summary();
    });
}
