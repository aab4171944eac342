#include "ModuleFinder.h"

#include "Discovery.h"
#include "net.h"

#include <algorithm>

namespace {

bool sameModule(const TModelParm& a, const TModelParm& b)
{
    return a.ViaCommandProtocol == b.ViaCommandProtocol && a.Ip == b.Ip && a.Mac == b.Mac &&
           (a.ViaCommandProtocol || a.LibraryTag == b.LibraryTag);
}

} // namespace

SearchOutcome searchModules(const std::string& interfaceAddress)
{
    // Every card of the PC, or the one the user named.
    CardEndpoints cards(interfaceAddress.empty() ? CardEndpoints::CardLister{} : [interfaceAddress] {
        return std::vector<std::string>{interfaceAddress};
    });
    SearchOutcome outcome;
    SearchStats stats;
    try {
        RunSearch(
            cards, [&](const TModelParm& entry) { outcome.modules.push_back(entry); }, &stats);
    } catch (const SocketError& error) {
        outcome.error = error.what();
    }
    outcome.droppedByOs = stats.droppedByOs;
    MarkSharedIps(outcome.modules);
    return outcome;
}

std::vector<std::string> searchWarnings(const SearchOutcome& outcome)
{
    std::vector<std::string> warnings;
    if (!outcome.error.empty())
        warnings.push_back("search: " + outcome.error);
    if (outcome.droppedByOs && *outcome.droppedByOs > 0)
        warnings.push_back(
            "warning: the OS dropped " + std::to_string(*outcome.droppedByOs) +
            " search replies, so modules may be missing; raise net.core.rmem_max and search again");
    return warnings;
}

Lookup lookUpModule(const std::vector<TModelParm>& modules, std::string_view id, KindChoice kind)
{
    Lookup lookup;
    for (const TModelParm& entry : modules) {
        if (kind == KindChoice::Commands && !entry.ViaCommandProtocol)
            continue;
        if (kind == KindChoice::Library && entry.ViaCommandProtocol)
            continue;
        if (entry.Ip != id && !sameMac(entry.Mac, id))
            continue;
        const bool listed = std::any_of(lookup.matches.begin(), lookup.matches.end(),
                                        [&](const TModelParm& seen) { return sameModule(seen, entry); });
        if (!listed)
            lookup.matches.push_back(entry);
    }
    return lookup;
}

std::string describeModule(const TModelParm& entry)
{
    std::string text = std::string(entry.ViaCommandProtocol ? "cmd " : "lib ") + entry.Ip + " " + entry.Mac;
    if (!entry.ViaCommandProtocol)
        text += " tag " + std::to_string(entry.LibraryTag);
    if (entry.SharedIp)
        text += " (shared IP)";
    return text;
}
