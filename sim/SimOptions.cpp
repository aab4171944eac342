#include "SimOptions.h"

#include "ModuleFile.h"

#include <sstream>

namespace sim {

SimOptions parseSimOptions(const std::vector<std::string>& arguments)
{
    SimOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            return options;
        }
        if (option == "--verbose" || option == "-v") {
            options.verbose = true;
            continue;
        }
        if (option != "--command" && option != "--library" && option != "--file")
            throw ModuleFileError("unknown option '" + option + "' (see --help)");
        if (i + 1 >= arguments.size())
            throw ModuleFileError(option + " needs a value (see --help)");
        const std::string& value = arguments[++i];
        if (option == "--command") {
            options.modules.push_back(commandModuleFromFlag(value));
        } else if (option == "--library") {
            options.modules.push_back(libraryModuleFromFlag(value));
        } else {
            for (auto& spec : loadModuleFile(value))
                options.modules.push_back(std::move(spec));
        }
    }
    if (options.modules.empty())
        throw ModuleFileError("no modules given: use --command, --library or --file (see --help)");
    for (std::size_t i = 0; i < options.modules.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (options.modules[i].mac == options.modules[j].mac)
                throw ModuleFileError("two modules with MAC " + options.modules[i].mac);
        }
    }
    return options;
}

std::string simUsage()
{
    return "Usage: tcpmodsim [--command IP[,MAC]]... [--library IP[,MAC[,TAG]]]... [--file modules.json]\n"
           "                 [--verbose]\n"
           "\n"
           "Serves simulated TCP modules until Ctrl+C or SIGTERM. Every module needs an IPv4\n"
           "address this host owns: run it inside the private test network,\n"
           "  scripts/netns build/default/sim/tcpmodsim --file sim/demo-modules.json\n"
           "\n"
           "  --command IP[,MAC]          a module of the command protocol (UDP 65535)\n"
           "  --library IP[,MAC[,TAG]]    a module reached through the MivexAdv library\n"
           "                              (UDP 41799); TAG 0..255, default 1\n"
           "  --file PATH                 modules from a JSON file (see sim/demo-modules.json)\n"
           "  --verbose                   print every datagram a module receives\n"
           "  --help                      this text\n"
           "\n"
           "Without a MAC a module gets 00-1A-2B and the last three bytes of its address.\n"
           "Bad options or files: one line on stderr, exit status 2.\n";
}

std::string describeModules(const std::vector<ModuleSpec>& modules)
{
    std::ostringstream text;
    for (const auto& spec : modules) {
        if (spec.kind == ModuleKind::Command) {
            text << "command  " << spec.ip << "  " << spec.mac << "  UDP " << kCommandPort << "  \""
                 << (spec.values.count("GDN") ? spec.values.at("GDN") : std::string()) << "\"\n";
        } else {
            text << "library  " << spec.ip << "  " << spec.mac << "  UDP " << kLibraryPort << "  tag "
                 << static_cast<int>(spec.tag) << "  \""
                 << (spec.values.count("NAME") ? spec.values.at("NAME") : std::string()) << "\"\n";
        }
    }
    return text.str();
}

} // namespace sim
