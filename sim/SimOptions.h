#pragma once
// The command line of tcpmodsim.

#include "Simulator.h"

#include <string>
#include <vector>

namespace sim {

struct SimOptions
{
    bool help = false;
    bool verbose = false; // print every datagram a module receives
    std::vector<ModuleSpec> modules;
};

// Raises ModuleFileError with one line for a bad option, a bad file or no modules at all.
SimOptions parseSimOptions(const std::vector<std::string>& arguments);

// The text of --help.
std::string simUsage();

// One line per module: kind, address, MAC and what it answers on.
std::string describeModules(const std::vector<ModuleSpec>& modules);

} // namespace sim
