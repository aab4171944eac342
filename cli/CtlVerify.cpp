#include "CtlVerify.h"

#include "CtlFields.h"
#include "CtlSupport.h"

namespace {

// The fields a road writes: the MAC address is the module's own and never changes.
bool written(ConfigRoad road, const CtlField& field)
{
    return roadCarries(road, field.field) && field.field != ConfigField::MacAddress;
}

std::vector<std::string> differingFields(ConfigRoad road, const TModelConfig& wanted, const TModelConfig& got)
{
    std::vector<std::string> names;
    for (const CtlField& field : ctlFields()) {
        if (written(road, field) && textValue(wanted, field) != textValue(got, field))
            names.emplace_back(field.name);
    }
    return names;
}

// No changed field took: what a module shows when the commit never reached it.
bool nothingCommitted(ConfigRoad road, const TModelConfig& before, const TModelConfig& wanted,
                      const TModelConfig& got)
{
    bool changed = false;
    for (const CtlField& field : ctlFields()) {
        if (!written(road, field) || textValue(before, field) == textValue(wanted, field))
            continue;
        changed = true;
        if (textValue(got, field) != textValue(before, field))
            return false;
    }
    return changed;
}

// A module that restarts after a write answers nothing for a while: asked again until the
// window closes. The command road finds a module that did not move by its MAC.
bool readBack(const TModelParm& at, TModelConfig& got)
{
    const auto deadline = std::chrono::steady_clock::now() + kComeBackWindow;
    while (true) {
        got = TModelConfig{};
        if (readModule(at, got))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        PauseMs(200);
    }
}

} // namespace

WriteCheck writeAndVerify(const TModelParm& entry, const TModelConfig& before, const TModelConfig& config,
                          bool verify)
{
    const ConfigRoad road = roadOf(entry);
    TModelParm after = entry;
    if (!config.IpAddress.empty())
        after.Ip = config.IpAddress;
    WriteCheck check;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!writeModule(entry, config)) {
            check.result = WriteCheck::Result::Refused;
            return check;
        }
        if (!verify) {
            check.result = WriteCheck::Result::Written;
            return check;
        }
        TModelConfig got;
        if (!readBack(after, got)) {
            check.result = WriteCheck::Result::NotConfirmed;
            return check;
        }
        check.differing = differingFields(road, config, got);
        if (check.differing.empty()) {
            check.result = WriteCheck::Result::Verified;
            return check;
        }
        check.result = WriteCheck::Result::Differs;
        if (check.writtenTwice || !nothingCommitted(road, before, config, got))
            return check;
        check.writtenTwice = true;
    }
    return check;
}

std::string describeWrite(const WriteCheck& check)
{
    const std::string again = check.writtenTwice ? " (written twice: the first write was not committed)" : "";
    switch (check.result) {
    case WriteCheck::Result::Refused:
        return "the module refused the write or did not answer";
    case WriteCheck::Result::Written:
        return "written";
    case WriteCheck::Result::Verified:
        return "written, verified" + again;
    case WriteCheck::Result::NotConfirmed:
        return "written, but not confirmed: the module did not answer when read back" + again;
    case WriteCheck::Result::Differs:
        break;
    }
    std::string names;
    for (const std::string& name : check.differing)
        names += (names.empty() ? "" : ", ") + name;
    return "written, but read back otherwise: " + names + again;
}

std::string describeDone(const WriteCheck& check)
{
    return std::string("done") + (check.result == WriteCheck::Result::Verified ? ", verified" : "") +
           (check.writtenTwice ? " (written twice: the first write was not committed)" : "");
}

bool writeHeld(const WriteCheck& check)
{
    return check.result == WriteCheck::Result::Verified || check.result == WriteCheck::Result::Written;
}
