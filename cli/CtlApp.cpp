#include "CtlApp.h"

#include "CtlCommands.h"
#include "CtlFields.h"
#include "Version.h"
#include "net.h"

#include <CLI/CLI.hpp>
#include <ostream>

namespace {

struct Options
{
    bool json = false;
    std::string interfaceAddress;
    std::string kind;
    std::string module;
    std::vector<std::string> assignments;
    std::string outPath;
    ApplyOptions apply;
    std::string planPath;
    bool noVerify = false;
};

void addInterface(CLI::App* command, Options& options)
{
    command
        ->add_option("--interface", options.interfaceAddress,
                     "send the probe and take the replies on the network card that owns this local address")
        ->check([](const std::string& text) {
            return isDottedQuad(text) ? std::string() : "'" + text + "' is not a dotted IPv4 address";
        });
}

void addKind(CLI::App* command, Options& options)
{
    command->add_option("--kind", options.kind, "the road, where the search lists the module on both")
        ->check(CLI::IsMember({"cmd", "lib"}));
}

void addModule(CLI::App* command, Options& options)
{
    command->add_option("MODULE", options.module, "IP or MAC address as the search lists it")->required();
}

void addNoVerify(CLI::App* command, Options& options)
{
    command->add_flag("--no-verify", options.noVerify, "do not read the module back after writing");
}

KindChoice kindChoice(const std::string& kind)
{
    if (kind == "cmd")
        return KindChoice::Commands;
    if (kind == "lib")
        return KindChoice::Library;
    return KindChoice::Any;
}

} // namespace

int runCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Finds serial-to-Ethernet modules, reads, changes, backs up and copies their configuration.",
                 "tcpmodctl"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "tcpmodctl " TCPMOD_VERSION_TEXT);
    Options options;

    CLI::App* search = app.add_subcommand("search", "search the LAN once and list the modules found");
    search->add_flag("--json", options.json, "a JSON array of {kind, ip, mac, tag, shared_ip}");
    addInterface(search, options);

    CLI::App* read = app.add_subcommand("read", "show every field of one module");
    addModule(read, options);
    read->add_flag("--json", options.json, "field names, codes and meanings as JSON");
    addKind(read, options);
    addInterface(read, options);

    CLI::App* set = app.add_subcommand("set", "change fields of one module and write it back");
    addModule(set, options);
    set->add_option("FIELD=VALUE", options.assignments, "fields: " + ctlFieldNames())->required();
    addNoVerify(set, options);
    addKind(set, options);
    addInterface(set, options);

    CLI::App* exportCommandApp = app.add_subcommand("export", "one module's configuration as a JSON file");
    addModule(exportCommandApp, options);
    exportCommandApp->add_option("-o,--output", options.outPath, "the file (default: standard output)");
    addKind(exportCommandApp, options);
    addInterface(exportCommandApp, options);

    CLI::App* apply =
        app.add_subcommand("apply", "write an exported configuration to modules, one after another");
    apply->add_option("FILE", options.apply.path, "a file written by export")->required();
    apply->add_option("MODULE", options.apply.modules, "IP or MAC addresses as the search lists them")
        ->required();
    apply->add_option("--fields", options.apply.fields, "only these fields, comma-separated")->delimiter(',');
    apply->add_flag("--with-ip", options.apply.withIp, "also the file's IP address (exactly one module)");
    apply->add_flag("--dry-run", options.apply.dryRun, "show what would change, write nothing");
    addNoVerify(apply, options);
    addKind(apply, options);
    addInterface(apply, options);

    CLI::App* commission = app.add_subcommand(
        "commission", "give new modules their own addresses and settings from a CSV plan, found by MAC");
    commission->add_option("PLAN", options.planPath, "a CSV file in UTF-8: mac, then fields of set")
        ->required();
    commission->add_flag("--dry-run", options.apply.dryRun, "show what would change, write nothing");
    addNoVerify(commission, options);
    addInterface(commission, options);

    std::vector<const char*> argv{"tcpmodctl"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        if (app.get_subcommands().empty()) {
            out << app.help();
        } else {
            // A subcommand's usage line names the tool too.
            const CLI::App* command = app.get_subcommands().front();
            std::string text = command->help();
            const std::string usage = "Usage: " + command->get_name();
            if (const std::size_t at = text.find(usage); at != std::string::npos)
                text.replace(at, usage.size(), "Usage: tcpmodctl " + command->get_name());
            out << text;
        }
        return exitcode::kOk;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << '\n';
        return exitcode::kOk;
    } catch (const CLI::ParseError& error) {
        CtlContext ctx{out, err, {}};
        reportError(ctx, std::string(error.what()) + " (see tcpmodctl --help)");
        return exitcode::kUsage;
    }

    CtlContext ctx{out, err, options.interfaceAddress, !options.noVerify};
    if (!options.interfaceAddress.empty()) {
        try {
            UdpSocket probe;
            probe.bind(options.interfaceAddress, 0);
        } catch (const SocketError& error) {
            reportError(ctx, "--interface " + options.interfaceAddress + ": " + error.what());
            return exitcode::kUsage;
        }
    }
    const KindChoice kind = kindChoice(options.kind);
    if (search->parsed())
        return searchCommand(ctx, options.json);
    if (read->parsed())
        return readCommand(ctx, options.module, kind, options.json);
    if (set->parsed())
        return setCommand(ctx, options.module, kind, options.assignments);
    if (exportCommandApp->parsed())
        return exportCommand(ctx, options.module, kind, options.outPath);
    if (commission->parsed())
        return commissionCommand(ctx, options.planPath, options.apply.dryRun);
    return applyCommand(ctx, options.apply, kind);
}
