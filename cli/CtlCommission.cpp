// commission: new modules, which all leave the factory at one address, each given its own
// address and settings from a plan, found by MAC after one search.
#include "CtlBatch.h"
#include "CtlCommands.h"

#include "CommissionPlan.h"
#include "CtlSupport.h"
#include "CtlVerify.h"
#include "DeviceText.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <sstream>

namespace {

struct Step
{
    const PlanLine* line;
    std::optional<TModelParm> entry; // empty: the line's failure is in problem
    std::string problem;
};

// The module of a plan line: the one row of its MAC, or its command row when the library
// lists it too (new modules are commissioned over the command protocol).
Step resolve(const std::vector<TModelParm>& modules, const PlanLine& line)
{
    const Lookup lookup = lookUpModule(modules, line.mac, KindChoice::Any);
    std::vector<TModelParm> matches = lookup.matches;
    if (matches.size() > 1)
        std::erase_if(matches, [](const TModelParm& entry) { return !entry.ViaCommandProtocol; });
    if (matches.size() == 1)
        return {&line, matches.front(), {}};
    if (lookup.matches.empty())
        return {&line, std::nullopt, "not found by the search"};
    std::string listed;
    for (const TModelParm& entry : lookup.matches)
        listed += "; " + describeModule(entry);
    return {&line, std::nullopt, "listed more than once by the search" + listed};
}

const FieldChange* ipChange(const PlanLine& line)
{
    const auto it = std::find_if(line.changes.begin(), line.changes.end(), [](const FieldChange& change) {
        return change.field->field == ConfigField::IpAddress;
    });
    return it == line.changes.end() ? nullptr : &*it;
}

// Why the plan may not start: a value the module's road cannot take, or a planned address
// that a module outside the plan (or one the plan does not move) already answers at.
std::string planProblem(const std::vector<Step>& steps, const std::vector<TModelParm>& modules)
{
    for (const Step& step : steps) {
        if (!step.entry)
            continue;
        for (const FieldChange& change : step.line->changes) {
            if (const std::string problem = roadProblem(change, roadOf(*step.entry)); !problem.empty())
                return "line " + std::to_string(step.line->lineNumber) + ": " + describeModule(*step.entry) +
                       ": " + problem;
        }
        const FieldChange* ip = ipChange(*step.line);
        if (!ip)
            continue;
        for (const TModelParm& other : modules) {
            if (other.Ip != ip->text || sameMac(other.Mac, step.entry->Mac))
                continue;
            const auto moved = std::find_if(steps.begin(), steps.end(), [&](const Step& s) {
                return s.entry && sameMac(s.entry->Mac, other.Mac) && ipChange(*s.line) &&
                       ipChange(*s.line)->text != other.Ip;
            });
            if (moved == steps.end())
                return "line " + std::to_string(step.line->lineNumber) + ": ip " + ip->text +
                       " is already used by " + describeModule(other);
        }
    }
    return {};
}

// Reads the module, changes the line's fields and writes it (or, in a dry run, says what
// would change). Empty on success; the reason otherwise.
std::string commissionOne(CtlContext& ctx, const Step& step, bool dryRun)
{
    const TModelParm& entry = *step.entry;
    TModelConfig current;
    if (!readModule(entry, current))
        return "the module refused the read or did not answer";
    TModelConfig planned = current;
    for (FieldChange change : step.line->changes) {
        // A changed text goes back in the encoding the module's text was read in.
        if (change.field->kind == ValueKind::Text)
            change.text = textToDevice(change.text, textFromDevice(textValue(current, *change.field)).readAs);
        // The module's own text may go back as it is, control bytes and all.
        if (const std::string problem = roadProblem(change, roadOf(entry), textValue(current, *change.field));
            !problem.empty())
            return problem;
        applyChange(planned, change);
    }
    if (!dryRun) {
        const WriteCheck check = writeAndVerify(entry, current, planned, ctx.verifyWrites);
        if (!writeHeld(check))
            return describeWrite(check);
        ctx.out << describeDone(check);
        return {};
    }
    std::string changes;
    for (const CtlField& field : ctlFields()) {
        if (textValue(current, field) != textValue(planned, field))
            changes += "\n    " + padded(field.name, 12) + fieldDisplay(current, field) + "  ->  " +
                       fieldDisplay(planned, field);
    }
    ctx.out << (changes.empty() ? "no change" : "would change:") << changes;
    return {};
}

} // namespace

int commissionCommand(CtlContext& ctx, const std::string& planPath, bool dryRun)
{
    std::ifstream file(planPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    if (!file) {
        reportError(ctx, planPath + ": cannot read the file");
        return exitcode::kUsage;
    }
    const ParsedPlan plan = parsePlan(text.str());
    if (!plan.lines) {
        reportError(ctx, planPath + ": " + plan.problem);
        return exitcode::kUsage;
    }

    return guarded(ctx, [&] {
        const SearchOutcome search = runSearch(ctx);
        std::vector<Step> steps;
        for (const PlanLine& line : *plan.lines)
            steps.push_back(resolve(search.modules, line));
        if (const std::string problem = planProblem(steps, search.modules); !problem.empty()) {
            reportError(ctx, planPath + ": " + problem);
            return exitcode::kUsage;
        }

        CtlBatch batch(ctx, dryRun);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step& step = steps[i];
            const FieldChange* ip = ipChange(*step.line);
            ctx.out << "[" << i + 1 << "/" << steps.size() << "] " << step.line->mac;
            if (step.entry)
                ctx.out << " " << step.entry->Ip;
            if (ip)
                ctx.out << " -> " << ip->text;
            ctx.out << ": ";
            batch.finish(step.line->mac, [&]() -> std::string {
                return step.entry ? commissionOne(ctx, step, dryRun) : step.problem;
            });
        }
        return batch.summary();
    });
}
